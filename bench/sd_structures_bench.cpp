// Every structure of an SD file read in order and written as SMILES, as
// `vorlat export --csv` does for the structure column, beside RDKit doing
// the same, pass for pass in the same run:
//   - the provider: SDDataProvider opens (indexes) the file, then
//     GetCellData(row, 0) of every row in order, each document written as
//     the tool writes a structure cell (Chem::MoleculeToSmiles, then to wide
//     text and back to UTF-8);
//   - RDKit: ForwardSDMolSupplier over the file (sanitized, hydrogens
//     removed: its defaults), MolToSmiles of each molecule.
// "kept" is how many parsed records the provider keeps: 1000, its default,
// as a host gets it; 1, as `vorlat export` with one output sets it
// (TableFile::ReadRowsOnce). Reported: each reader's wall seconds per pass
// (provider_s, RDKit_s), and the provider's wall and processor time over
// RDKit's (x_RDKit, x_RDKit_cpu; the latter is less disturbed by other
// programs on a shared machine), each the median of five passes. Both
// readers hash the SMILES they write; the run fails when the hashes differ,
// so both are seen to do the same work.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/sd_structures_bench
//
// The input (about 64 MB, 30660 records) is the bundled example's records
// repeated, with their names and data items; it is generated once and
// reused.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iostream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/ROMol.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/SmilesParse/SmilesWrite.h>

#include "chem/ChemDoc.h"
#include "chem/Molecule.h"
#include "chem/MolUtilities.h"
#include "host/FileInputStream.h"
#include "host/IProgressMonitor.h"
#include "host/StringConversion.h"
#include "molecule/SDDataProvider.h"

namespace {

namespace fs = std::filesystem;

const std::size_t TargetBytes = std::size_t(64) << 20;

fs::path BenchDir()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    fs::path path = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(path);
    return path;
}

const fs::path& InputFile()
{
    static const fs::path path = [] {
        const fs::path file = BenchDir() / "example-records-64mb.sdf";
        std::error_code error;
        if (fs::exists(file) && fs::file_size(file, error) >= TargetBytes)
            return file;
        std::cerr << "generating " << file << " ..." << std::endl;
        std::ifstream in(VORLAT_EXAMPLE_SDF, std::ios::binary);
        const std::string records((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::ofstream out(file, std::ios::binary);
        for (std::size_t written = 0; written < TargetBytes; written += records.size())
            out << records;
        return file;
    }();
    return path;
}

// Hashes the SMILES of the records in order.
struct SmilesHash {
    std::size_t value = 0;
    int count = 0;
    void Add(const std::string& smiles)
    {
        value = value * 1000003u ^ std::hash<std::string>()(smiles);
        ++count;
    }
};

bool operator!=(const SmilesHash& a, const SmilesHash& b) { return a.value != b.value || a.count != b.count; }

using Clock = std::chrono::steady_clock;

// One reader's pass over the file: the SMILES it wrote, hashed, and its wall
// and processor seconds (the latter undisturbed by other programs taking
// turns on the processors).
struct Pass {
    SmilesHash hash;
    double wall = 0;
    double processor = 0;
};

template <typename Read>
Pass Timed(Read read)
{
    Pass pass;
    const Clock::time_point wall = Clock::now();
    const std::clock_t processor = std::clock();
    read(pass.hash);
    pass.processor = static_cast<double>(std::clock() - processor) / CLOCKS_PER_SEC;
    pass.wall = std::chrono::duration<double>(Clock::now() - wall).count();
    return pass;
}

// Runs the timed pass in a child process: every pass starts from a fresh
// heap, whatever the passes before it left there (a pass that kept a
// thousand molecules leaves free memory strewn over a large heap, which
// slows the next pass's allocations, of either reader).
template <typename Read>
Pass InChild(Read read)
{
    int channel[2];
    if (::pipe(channel) != 0)
        return Pass();
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(channel[0]);
        const Pass pass = Timed(read);
        const bool written = ::write(channel[1], &pass, sizeof pass) == static_cast<ssize_t>(sizeof pass);
        ::_exit(written ? 0 : 1);
    }
    ::close(channel[1]);
    Pass pass;
    if (child < 0 || ::read(channel[0], &pass, sizeof pass) != static_cast<ssize_t>(sizeof pass))
        pass = Pass();
    ::close(channel[0]);
    if (child > 0)
        ::waitpid(child, nullptr, 0);
    return pass;
}

Pass RDKitPass(const fs::path& path)
{
    return InChild([&](SmilesHash& hash) {
        RDKit::ForwardSDMolSupplier supplier(new std::ifstream(path, std::ios::binary), true);
        while (!supplier.atEnd()) {
            std::unique_ptr<RDKit::ROMol> mol(supplier.next());
            // The supplier gives one null after the last record's "$$$$".
            if (!mol && supplier.atEnd())
                break;
            hash.Add(mol ? RDKit::MolToSmiles(*mol) : std::string());
        }
    });
}

Pass ProviderPass(const fs::path& path, int keptRecords)
{
    return InChild([&](SmilesHash& hash) {
        Host::NullProgressMonitor monitor;
        std::ifstream in(path, std::ios::binary);
        boost::shared_ptr<Host::InputStream> input(new Host::FileInputStream(path.string()));
        VorlatImportExport::SDDataProvider provider(in, input, monitor);
        provider.SetCacheSize(keptRecords);
        const int rows = provider.GetRowCount();
        for (int row = 0; row < rows; ++row) {
            const boost::any cell = provider.GetCellData(row, 0);
            Chem::ChemDoc* document = cell.empty() ? nullptr : boost::any_cast<Chem::ChemDoc*>(cell);
            std::string smiles;
            if (document) {
                Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
                smiles = Host::ToSString(Host::ToWString(
                    Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(molecules.GetNext()))));
            }
            hash.Add(smiles);
        }
    });
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

// Each iteration is a pass of each reader, back to back, the one going first
// taking turns: each ratio compares two passes made under the same
// conditions, however the machine's load drifts, and the median of the
// iterations' figures leaves out a pass another program disturbed. The time
// shown is the provider's pass (the processor time column is the parent's,
// which waits).
void BM_StructuresAsSmiles(benchmark::State& state)
{
    const fs::path& path = InputFile();
    // RDKit's tables are set up here once, not in every pass's process.
    std::unique_ptr<RDKit::ROMol> warm(RDKit::SmilesToMol("c1ccccc1O"));
    const int kept = static_cast<int>(state.range(0));
    std::vector<double> providerSeconds, rdkitSeconds, ratios, processorRatios;
    int records = 0;
    bool providerFirst = false;
    for (auto _ : state) {
        Pass ours, theirs;
        if (providerFirst) {
            ours = ProviderPass(path, kept);
            theirs = RDKitPass(path);
        } else {
            theirs = RDKitPass(path);
            ours = ProviderPass(path, kept);
        }
        providerFirst = !providerFirst;
        if (ours.wall <= 0 || theirs.wall <= 0) {
            state.SkipWithError("a pass's child process failed");
            break;
        }
        if (ours.hash != theirs.hash) {
            state.SkipWithError("the provider's SMILES differ from RDKit's");
            break;
        }
        state.SetIterationTime(ours.wall);
        providerSeconds.push_back(ours.wall);
        rdkitSeconds.push_back(theirs.wall);
        ratios.push_back(ours.wall / theirs.wall);
        processorRatios.push_back(ours.processor / theirs.processor);
        records = ours.hash.count;
    }
    if (ratios.empty())
        return;
    state.counters["records"] = records;
    state.counters["provider_s"] = Median(providerSeconds);
    state.counters["RDKit_s"] = Median(rdkitSeconds);
    state.counters["x_RDKit"] = Median(ratios);
    state.counters["x_RDKit_cpu"] = Median(processorRatios);
}

// A pass takes a few seconds.
BENCHMARK(BM_StructuresAsSmiles)
    ->ArgName("kept")
    ->Arg(1000)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5)
    ->UseManualTime();

} // namespace

BENCHMARK_MAIN();
