// Mol2 index scans (on one thread and on two) and structure reads on a
// generated file of about 500 MB, beside a plain read-and-memchr line scan of
// the same file in the same run.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/mol2_bench
//
// The file repeats the bundled Mol2 example's records (with their property
// blocks) and is kept for later runs.

#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include <benchmark/benchmark.h>

#include <GraphMol/FileParsers/FileParsers.h>

#include "host/FileInputStream.h"
#include "host/IProgressMonitor.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "molecule/Mol2DataProvider.h"

namespace {

namespace fs = std::filesystem;

const std::size_t TargetBytes = 500u << 20;

fs::path Mol2File()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(folder);
    const fs::path path = folder / "records-500mb.mol2";
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!error && size >= TargetBytes)
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    std::ifstream in(VORLAT_EXAMPLE_MOL2, std::ios::binary);
    std::stringstream example;
    example << in.rdbuf();
    const std::string text = example.str();
    std::ofstream out(path, std::ios::binary);
    for (std::size_t written = 0; written < TargetBytes; written += text.size())
        out << text;
    return path;
}

// The Mol2 test corpus with all hydrogens (3D, as Open Babel writes it),
// repeated to about 100 MB: records that RDKit's own Mol2 reader reads too.
fs::path CorpusFile()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(folder);
    const fs::path path = folder / "corpus-all-h-100mb.mol2";
    const std::size_t target = 100u << 20;
    std::error_code error;
    const auto size = fs::file_size(path, error);
    if (!error && size >= target)
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    std::ifstream in(VORLAT_MOL2_CORPUS, std::ios::binary);
    std::stringstream corpus;
    corpus << in.rdbuf();
    const std::string text = corpus.str();
    std::ofstream out(path, std::ios::binary);
    for (std::size_t written = 0; written < target; written += text.size())
        out << text;
    return path;
}

void PlainScan(benchmark::State& state, std::size_t readSize)
{
    const fs::path path = Mol2File();
    // On a 64-byte boundary, as the index's reads are: the kernel copies
    // to a buffer a few bytes off one several times more slowly.
    const VorlatImportExport::ReadBuffer buffer(readSize);
    std::size_t lines = 0;
    for (auto _ : state) {
        const int fd = ::open(path.c_str(), O_RDONLY);
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
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
}

void BM_PlainScan8KiB(benchmark::State& state) { PlainScan(state, 8192); }
void BM_PlainScan1MiB(benchmark::State& state) { PlainScan(state, 1 << 20); }

class Provider : public VorlatImportExport::Mol2DataProvider {
public:
    Provider(std::istream& file, boost::shared_ptr<Host::InputStream> input, Host::IProgressMonitor& monitor)
        : Mol2DataProvider(file, input, monitor)
    {
    }
    using Mol2DataProvider::Initialize;
};

// Argument: threads.
void IndexScan(benchmark::State& state, int held)
{
    VorlatImportExport::IndexOptions::SetThreadCount(static_cast<int>(state.range(0)));
    const fs::path path = Mol2File();
    Host::NullProgressMonitor monitor;
    std::ifstream in(path, std::ios::binary);
    boost::shared_ptr<Host::InputStream> input(new Host::FileInputStream(path.string()));
    // Constructed once (it indexes); each iteration indexes again with the
    // chosen number of held records.
    static std::unique_ptr<Provider> provider;
    provider.reset(new Provider(in, input, monitor));
    int rows = 0;
    for (auto _ : state) {
        provider->SetPropertyCacheSize(held);
        provider->Initialize(monitor);
        rows = provider->GetRowCount();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["records/s"] = benchmark::Counter(rows, benchmark::Counter::kIsIterationInvariantRate);
    provider.reset();
    VorlatImportExport::IndexOptions::SetThreadCount(0);
}

void BM_IndexHoldingProperties(benchmark::State& state) { IndexScan(state, 1046527); }
void BM_IndexOffsetsOnly(benchmark::State& state) { IndexScan(state, 0); }

struct Reader {
    explicit Reader(const fs::path& path = Mol2File())
        : in(path, std::ios::binary), input(new Host::FileInputStream(path.string()))
    {
        provider.reset(new VorlatImportExport::Mol2DataProvider(in, input, monitor));
    }
    std::ifstream in;
    boost::shared_ptr<Host::InputStream> input;
    Host::NullProgressMonitor monitor;
    std::unique_ptr<VorlatImportExport::Mol2DataProvider> provider;
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

void BM_StructureCachedRead(benchmark::State& state)
{
    Reader& reader = SharedReader();
    reader.provider->SetCacheSize(1000);
    reader.provider->GetCellData(321, 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.provider->GetCellData(321, 0));
}

// A structure cell of a random record of the corpus file, first read (cache
// size 0), beside RDKit's Mol2BlockToMol of the same record's text.
Reader& CorpusReader()
{
    static Reader reader(CorpusFile());
    return reader;
}

void BM_CorpusStructureFirstRead(benchmark::State& state)
{
    Reader& reader = CorpusReader();
    reader.provider->SetCacheSize(0);
    std::mt19937 random(17);
    const int rows = reader.provider->GetRowCount();
    for (auto _ : state)
        benchmark::DoNotOptimize(reader.provider->GetCellData(static_cast<int>(random() % rows), 0));
}

void BM_CorpusRDKitMol2BlockSameRecord(benchmark::State& state)
{
    Reader& reader = CorpusReader();
    std::mt19937 random(17);
    const int rows = reader.provider->GetRowCount();
    std::ifstream in(CorpusFile(), std::ios::binary);
    std::string text;
    for (auto _ : state) {
        // Reading the record's bytes is timed too, as the provider's copy is.
        const int row = static_cast<int>(random() % rows);
        text.resize(static_cast<std::size_t>(reader.provider->GetMoleculeSize(row)));
        in.seekg(reader.provider->GetMoleculeOffset(row));
        in.read(text.data(), static_cast<std::streamsize>(text.size()));
        std::unique_ptr<RDKit::RWMol> mol;
        try {
            mol.reset(RDKit::Mol2BlockToMol(text, true, false));
        } catch (const std::exception&) {
        }
        benchmark::DoNotOptimize(mol.get());
    }
}

BENCHMARK(BM_PlainScan8KiB)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_PlainScan1MiB)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IndexHoldingProperties)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_IndexOffsetsOnly)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(2);
BENCHMARK(BM_StructureFirstRead)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StructureCachedRead)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_CorpusRDKitMol2BlockSameRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_CorpusStructureFirstRead)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
