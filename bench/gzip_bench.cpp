// Gzip-compressed SD files, each figure beside its baseline measured in the
// same run:
//   - the index pass holding every data item, beside the gzip tool's own
//     decompression (gzip -dc FILE > /dev/null), zlib's decompression alone
//     (the inflater the library uses) and RDKit's
//     ForwardSDMolSupplier counting the records of the compressed file
//     (read through zlib);
//   - a random structure cell of the compressed file beside the same of the
//     plain file;
//   - the memory the places noted for random reads hold, beside the
//     uncompressed size (counters of the index pass).
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/gzip_bench
//
// It compresses sd_bench's files (records-5-items.sdf and records-30-items.sdf,
// about 1 GB each; run sd_bench first) with gzip -6 once, and keeps them.

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <streambuf>
#include <string>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include <GraphMol/FileParsers/MolSupplier.h>

#include "host/FileInputStream.h"
#include "host/GzipFile.h"
#include "host/IProgressMonitor.h"
#include "molecule/SDDataProvider.h"

namespace {

namespace fs = std::filesystem;

fs::path BenchDir()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    return dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
}

fs::path PlainFile(int items) { return BenchDir() / ("records-" + std::to_string(items) + "-items.sdf"); }

// The plain file compressed with gzip -6, made once.
fs::path CompressedFile(int items)
{
    const fs::path plain = PlainFile(items);
    const fs::path compressed = plain.string() + ".gz";
    std::error_code error;
    if (!fs::exists(plain, error)) {
        std::cerr << plain << " is missing: run sd_bench first (it generates it)" << std::endl;
        std::exit(1);
    }
    if (!fs::exists(compressed, error) || fs::last_write_time(compressed, error) < fs::last_write_time(plain, error)) {
        std::cerr << "compressing " << plain << " with gzip -6 ..." << std::endl;
        const std::string command = "gzip -6 -c '" + plain.string() + "' > '" + compressed.string() + ".tmp' && mv '" +
                                    compressed.string() + ".tmp' '" + compressed.string() + "'";
        if (std::system(command.c_str()) != 0)
            std::exit(1);
    }
    return compressed;
}

void BM_GzipToolDecompression(benchmark::State& state)
{
    const fs::path file = CompressedFile(static_cast<int>(state.range(0)));
    const std::string command = "gzip -dc '" + file.string() + "' > /dev/null";
    for (auto _ : state) {
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("gzip -dc failed");
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(PlainFile(static_cast<int>(state.range(0))))));
}

// Indexes with every record's data items held.
class Provider : public VorlatImportExport::SDDataProvider {
public:
    Provider(std::istream& file, boost::shared_ptr<Host::InputStream> input, Host::IProgressMonitor& monitor)
        : SDDataProvider(file, input, monitor, true)
    {
        SetPropertyCacheSize(1046527);
        Initialize(monitor);
    }
};

void BM_GzipIndexHoldingItems(benchmark::State& state)
{
    const int items = static_cast<int>(state.range(0));
    const fs::path file = CompressedFile(items);
    Host::NullProgressMonitor monitor;
    int rows = 0;
    std::size_t pointBytes = 0, points = 0;
    for (auto _ : state) {
        boost::shared_ptr<Host::GzipFile> gzip(new Host::GzipFile(file.string()));
        Host::GzipIStream in(gzip);
        Provider provider(in, boost::shared_ptr<Host::InputStream>(new Host::GzipInputStream(gzip)), monitor);
        rows = provider.GetRowCount();
        pointBytes = gzip->AccessPointBytes();
        points = gzip->AccessPointCount();
    }
    const auto size = fs::file_size(PlainFile(items));
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * size));
    state.counters["rows"] = rows;
    state.counters["points"] = static_cast<double>(points);
    state.counters["point_bytes"] = static_cast<double>(pointBytes);
    state.counters["points/size_%"] = 100.0 * static_cast<double>(pointBytes) / static_cast<double>(size);
}

// zlib's gzread under a standard stream, for RDKit's forward supplier.
class GzReadBuffer : public std::streambuf {
public:
    explicit GzReadBuffer(const std::string& path) : m_File(gzopen(path.c_str(), "rb")), m_Buffer(1 << 20) {}
    ~GzReadBuffer() override
    {
        if (m_File)
            gzclose(m_File);
    }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const int n = m_File ? gzread(m_File, m_Buffer.data(), static_cast<unsigned>(m_Buffer.size())) : 0;
        if (n <= 0)
            return traits_type::eof();
        setg(m_Buffer.data(), m_Buffer.data(), m_Buffer.data() + n);
        return traits_type::to_int_type(*gptr());
    }

private:
    gzFile m_File;
    std::vector<char> m_Buffer;
};

// zlib's decompression alone (gzread into a buffer): the inflater this
// library uses, without the index.
void BM_ZlibDecompression(benchmark::State& state)
{
    const fs::path file = CompressedFile(static_cast<int>(state.range(0)));
    std::vector<char> buffer(1 << 20);
    for (auto _ : state) {
        gzFile in = gzopen(file.string().c_str(), "rb");
        gzbuffer(in, 1 << 17);
        while (gzread(in, buffer.data(), static_cast<unsigned>(buffer.size())) > 0) {
        }
        gzclose(in);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(PlainFile(static_cast<int>(state.range(0))))));
}

void BM_RDKitForwardSupplierGzipCount(benchmark::State& state)
{
    const fs::path file = CompressedFile(static_cast<int>(state.range(0)));
    std::size_t records = 0;
    for (auto _ : state) {
        GzReadBuffer buffer(file.string());
        auto* in = new std::istream(&buffer);
        RDKit::ForwardSDMolSupplier supplier(in, true, false, false);
        records = 0;
        while (!supplier.atEnd()) {
            std::unique_ptr<RDKit::ROMol> mol(supplier.next());
            ++records;
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(PlainFile(static_cast<int>(state.range(0))))));
    state.counters["records"] = static_cast<double>(records);
}

// A random row's structure cell (parsed on every read: cache size 0), of the
// compressed file (argument 1) or the plain one (0).
void BM_RandomStructureCell(benchmark::State& state)
{
    const bool compressed = state.range(0) == 1;
    const fs::path plain = PlainFile(30);
    Host::NullProgressMonitor monitor;
    std::unique_ptr<std::istream> in;
    boost::shared_ptr<Host::InputStream> input;
    if (compressed) {
        boost::shared_ptr<Host::GzipFile> gzip(new Host::GzipFile(CompressedFile(30).string()));
        in.reset(new Host::GzipIStream(gzip));
        input.reset(new Host::GzipInputStream(gzip));
    } else {
        in.reset(new std::ifstream(plain, std::ios::binary));
        input.reset(new Host::FileInputStream(plain.string()));
    }
    VorlatImportExport::SDDataProvider provider(*in, input, monitor);
    provider.SetCacheSize(0);
    std::mt19937 random(17);
    const int rows = provider.GetRowCount();
    double worst = 0;
    for (auto _ : state) {
        const auto started = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(provider.GetCellData(static_cast<int>(random() % rows), 0));
        worst = std::max(worst, std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count());
    }
    state.counters["worst_ms"] = worst;
}

} // namespace

BENCHMARK(BM_GzipToolDecompression)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_ZlibDecompression)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_GzipIndexHoldingItems)->Arg(5)->Arg(30)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_RDKitForwardSupplierGzipCount)->Arg(5)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_RandomStructureCell)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->Iterations(2000);

BENCHMARK_MAIN();
