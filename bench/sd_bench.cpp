// SD index scans and structure reads on generated files of about 1 GB,
// each beside its baseline measured in the same run:
//   - plain read-and-memchr line scans with 8 KiB and 1 MiB reads;
//   - RDKit's SDMolSupplier::length() on the same file;
//   - RDKit's own parse (MolBlockToMol) of the same record text.
// It also reports the memory held for data items beside the bytes of their
// names and values in the file.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/sd_bench
//
// Two files are generated once (and reused): one with 5 and one with 30
// data items per record, by repeating the bundled example's molfiles.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include <GraphMol/FileParsers/FileParsers.h>
#include <GraphMol/FileParsers/MolSupplier.h>

#include "host/FileInputStream.h"
#include "host/IProgressMonitor.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "molecule/SDDataProvider.h"

namespace {

namespace fs = std::filesystem;

const std::size_t TargetBytes = std::size_t(1) << 30;

fs::path BenchDir()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    fs::path path = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(path);
    return path;
}

// The molfiles (up to and including "M  END") of the bundled example.
std::vector<std::string> ExampleMolfiles()
{
    std::ifstream in(VORLAT_EXAMPLE_SDF, std::ios::binary);
    std::vector<std::string> blocks;
    std::string line, block;
    bool inBlock = true;
    while (std::getline(in, line)) {
        if (inBlock)
            block += line + "\n";
        if (line.rfind("M  END", 0) == 0) {
            blocks.push_back(block);
            block.clear();
            inBlock = false;
        } else if (line == "$$$$") {
            inBlock = true;
        }
    }
    return blocks;
}

struct SdFile {
    fs::path path;
    std::size_t records = 0;
    std::size_t itemBytes = 0; // names and values of every data item
};

const char* const ItemNames[] = {"ID", "MolWeight", "LogP", "Activity", "Supplier", "Batch", "Purity",
                                 "Solubility", "IC50_uM", "Assay", "Plate", "Well", "Project", "Chemist",
                                 "Registered", "Formula", "TPSA", "HBD", "HBA", "RotBonds", "Stereo",
                                 "Salt", "Comment", "Series", "Target", "Species", "Ki_nM", "Status",
                                 "Location", "Amount_mg"};

SdFile MakeFile(int items)
{
    SdFile file;
    file.path = BenchDir() / ("records-" + std::to_string(items) + "-items.sdf");
    const fs::path info = file.path.string() + ".info";
    std::error_code error;
    if (fs::exists(info) && fs::file_size(file.path, error) >= TargetBytes) {
        std::ifstream(info) >> file.records >> file.itemBytes;
        return file;
    }
    std::cerr << "generating " << file.path << " ..." << std::endl;
    const std::vector<std::string> molfiles = ExampleMolfiles();
    std::ofstream out(file.path, std::ios::binary);
    std::mt19937 random(items);
    std::string record;
    std::size_t written = 0;
    while (written < TargetBytes) {
        record = molfiles[file.records % molfiles.size()];
        for (int i = 0; i < items; ++i) {
            const std::string name = ItemNames[i];
            std::string value;
            switch (i % 5) {
            case 0: value = "VX-" + std::to_string(1000000 + file.records); break;
            case 1: value = std::to_string(100 + random() % 50000 / 100.0).substr(0, 6); break;
            case 2: value = std::to_string(static_cast<int>(random() % 1000) - 500); break;
            case 3: value = (random() % 2) ? "active" : "inactive compound, retest"; break;
            default: value = "batch-" + std::to_string(random() % 100000); break;
            }
            record += "> <" + name + ">\n" + value + "\n\n";
            file.itemBytes += name.size() + value.size();
        }
        record += "$$$$\n";
        out << record;
        written += record.size();
        ++file.records;
    }
    out.close();
    std::ofstream(info) << file.records << ' ' << file.itemBytes;
    return file;
}

const SdFile& Few()
{
    static const SdFile file = MakeFile(5);
    return file;
}

const SdFile& Many()
{
    static const SdFile file = MakeFile(30);
    return file;
}

const SdFile& FileOf(const benchmark::State& state) { return state.range(0) == 5 ? Few() : Many(); }

void PlainScan(benchmark::State& state, std::size_t readSize)
{
    const SdFile& file = FileOf(state);
    // On a 64-byte boundary, as the index's reads are: the kernel copies
    // to a buffer a few bytes off one several times more slowly.
    const VorlatImportExport::ReadBuffer buffer(readSize);
    std::size_t lines = 0;
    for (auto _ : state) {
        const int fd = ::open(file.path.c_str(), O_RDONLY);
        lines = 0;
        for (ssize_t n; (n = ::read(fd, buffer.data(), readSize)) > 0;) {
            const char* p = buffer.data();
            const char* last = p + n;
            while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(last - p))) {
                p = static_cast<const char*>(hit) + 1;
                ++lines;
            }
        }
        ::close(fd);
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file.path)));
}

void BM_PlainScan8KiB(benchmark::State& state) { PlainScan(state, 8192); }
void BM_PlainScan1MiB(benchmark::State& state) { PlainScan(state, 1 << 20); }

// Indexes with a chosen number of held records.
class Provider : public VorlatImportExport::SDDataProvider {
public:
    Provider(std::istream& file, boost::shared_ptr<Host::InputStream> input, Host::IProgressMonitor& monitor,
             int held)
        : SDDataProvider(file, input, monitor, true)
    {
        SetPropertyCacheSize(held);
        Initialize(monitor);
    }
};

// Arguments: items per record, threads.
void IndexScan(benchmark::State& state, int held)
{
    const SdFile& file = FileOf(state);
    VorlatImportExport::IndexOptions::SetThreadCount(static_cast<int>(state.range(1)));
    Host::NullProgressMonitor monitor;
    std::size_t heldBytes = 0;
    int rows = 0;
    for (auto _ : state) {
        std::ifstream in(file.path, std::ios::binary);
        boost::shared_ptr<Host::InputStream> input(new Host::FileInputStream(file.path.string()));
        Provider provider(in, input, monitor, held);
        rows = provider.GetRowCount();
        heldBytes = provider.GetHeldPropertyBytes();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file.path)));
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(rows), benchmark::Counter::kIsIterationInvariantRate);
    if (held > 0) {
        state.counters["held_bytes"] = static_cast<double>(heldBytes);
        state.counters["item_bytes"] = static_cast<double>(file.itemBytes);
        state.counters["held/items"] = static_cast<double>(heldBytes) / static_cast<double>(file.itemBytes);
    }
    VorlatImportExport::IndexOptions::SetThreadCount(0);
}

void BM_IndexOffsetsOnly(benchmark::State& state) { IndexScan(state, 0); }
void BM_IndexHoldingItems(benchmark::State& state) { IndexScan(state, 1046527); }

// Arguments: items per record, 0 to index (on the default threads) and
// write the saved index, 1 to open from it.
void BM_SavedIndex(benchmark::State& state)
{
    const SdFile& file = FileOf(state);
    const std::string saved = file.path.string() + ".index";
    const bool load = state.range(1) == 1;
    const VorlatImportExport::SavedIndexOptions options{saved, file.path.string()};
    Host::NullProgressMonitor monitor;
    const auto open = [&] {
        std::ifstream in(file.path, std::ios::binary);
        boost::shared_ptr<Host::InputStream> input(new Host::FileInputStream(file.path.string()));
        return std::make_unique<VorlatImportExport::SDDataProvider>(in, input, monitor, options);
    };
    if (load)
        open(); // made once before the loads are timed
    std::size_t heldBytes = 0;
    bool loaded = false;
    for (auto _ : state) {
        if (!load)
            fs::remove(saved);
        std::ifstream in(file.path, std::ios::binary);
        boost::shared_ptr<Host::InputStream> input(new Host::FileInputStream(file.path.string()));
        VorlatImportExport::SDDataProvider provider(in, input, monitor, options);
        heldBytes = provider.GetHeldPropertyBytes();
        loaded = provider.IndexWasLoaded();
        benchmark::DoNotOptimize(heldBytes);
    }
    if (loaded != load)
        state.SkipWithError(load ? "the saved index was not loaded" : "a saved index was loaded");
    state.counters["saved_bytes"] = static_cast<double>(fs::file_size(saved));
    // What a scan holds (a loaded table reads the saved index in place).
    if (!load) {
        state.counters["held_bytes"] = static_cast<double>(heldBytes);
        state.counters["saved/held"] = static_cast<double>(fs::file_size(saved)) / static_cast<double>(heldBytes);
    }
}

void BM_RDKitSupplierLength(benchmark::State& state)
{
    const SdFile& file = FileOf(state);
    unsigned int records = 0;
    for (auto _ : state) {
        RDKit::SDMolSupplier supplier(file.path.string(), false, false, false);
        records = supplier.length();
        benchmark::DoNotOptimize(records);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(file.path)));
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(records), benchmark::Counter::kIsIterationInvariantRate);
}

// A structure cell of a random row, first read (copy and parse, cache size
// 0 so that every read parses) and cached read, and RDKit's parse of the
// same record texts.
struct Reader {
    Reader() : in(Many().path, std::ios::binary), input(new Host::FileInputStream(Many().path.string()))
    {
        provider.reset(new VorlatImportExport::SDDataProvider(in, input, monitor));
    }
    std::ifstream in;
    boost::shared_ptr<Host::InputStream> input;
    Host::NullProgressMonitor monitor;
    std::unique_ptr<VorlatImportExport::SDDataProvider> provider;
};

Reader& SharedReader()
{
    static Reader reader;
    return reader;
}

void BM_StructureFirstRead(benchmark::State& state)
{
    Reader& reader = SharedReader();
    reader.provider->SetCacheSize(0);
    std::mt19937 random(17);
    const int rows = reader.provider->GetRowCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.provider->GetCellData(static_cast<int>(random() % rows), 0));
}

void BM_RDKitParseSameRecord(benchmark::State& state)
{
    Reader& reader = SharedReader();
    std::mt19937 random(17);
    const int rows = reader.provider->GetRowCount();
    std::ifstream in(Many().path, std::ios::binary);
    std::string text;
    for (auto _ : state) {
        // Reading the record's bytes is timed too, as the provider's copy is.
        const int row = static_cast<int>(random() % rows);
        text.resize(static_cast<std::size_t>(reader.provider->GetMoleculeSize(row)));
        in.seekg(reader.provider->GetMoleculeOffset(row));
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        std::unique_ptr<RDKit::RWMol> mol(RDKit::MolBlockToMol(text, true, false));
        benchmark::DoNotOptimize(mol.get());
    }
}

void BM_StructureCachedRead(benchmark::State& state)
{
    Reader& reader = SharedReader();
    reader.provider->SetCacheSize(1000);
    reader.provider->GetCellData(123, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.provider->GetCellData(123, 0));
}

BENCHMARK(BM_PlainScan8KiB)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PlainScan1MiB)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IndexOffsetsOnly)->Args({5, 1})->Args({30, 1})->Args({5, 2})->Args({30, 2})->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RDKitSupplierLength)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IndexHoldingItems)->Args({5, 1})->Args({30, 1})->Args({5, 2})->Args({30, 2})->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_SavedIndex)->Args({5, 0})->Args({5, 1})->Args({30, 0})->Args({30, 1})->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_RDKitParseSameRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StructureFirstRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StructureCachedRead)->Unit(benchmark::kNanosecond);

// Prints the usual table, then the index pass beside RDKit's count of the
// same file, and two threads beside one.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration)
                m_Milliseconds[run.benchmark_name()] = run.GetAdjustedRealTime();
    }
    double Get(const std::string& name) const
    {
        const auto found = m_Milliseconds.find(name + "/min_time:2.000");
        return found == m_Milliseconds.end() ? 0 : found->second;
    }
    std::map<std::string, double> m_Milliseconds;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    std::printf("\n");
    for (const char* items : {"5", "30"}) {
        const double rdkit = reporter.Get(std::string("BM_RDKitSupplierLength/") + items);
        const double one = reporter.Get(std::string("BM_IndexHoldingItems/") + items + "/1");
        const double two = reporter.Get(std::string("BM_IndexHoldingItems/") + items + "/2");
        const double oneOffsets = reporter.Get(std::string("BM_IndexOffsetsOnly/") + items + "/1");
        const double twoOffsets = reporter.Get(std::string("BM_IndexOffsetsOnly/") + items + "/2");
        if (rdkit > 0 && one > 0)
            std::printf("%s items: index holding every item, one thread %.0f ms, RDKit length() %.0f ms: "
                        "%.2f x RDKit (goal >= 2)\n",
                        items, one, rdkit, rdkit / one);
        if (one > 0 && two > 0)
            std::printf("%s items: holding items, two threads %.0f ms: %.2f x one thread (goal >= 1.7)\n", items,
                        two, one / two);
        const double indexAndSave = reporter.Get(std::string("BM_SavedIndex/") + items + "/0");
        const double reopen = reporter.Get(std::string("BM_SavedIndex/") + items + "/1");
        if (reopen > 0 && one > 0 && two > 0)
            std::printf("%s items: opening from the saved index %.1f ms, index + writing it %.0f ms: "
                        "%.1f %% of the one-thread index, %.1f %% of the two-thread one (goal <= 5 %%)\n",
                        items, reopen, indexAndSave, 100 * reopen / one, 100 * reopen / two);
        if (oneOffsets > 0 && twoOffsets > 0)
            std::printf("%s items: offsets only, one thread %.0f ms, two threads %.0f ms: %.2f x\n", items,
                        oneOffsets, twoOffsets, oneOffsets / twoOffsets);
    }
    benchmark::Shutdown();
    return 0;
}
