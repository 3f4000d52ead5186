// CSV indexing and cell reads on generated files of about 500 MB with
// 100-byte lines (one without quotes, one with every field quoted and some
// quoted line breaks), each beside a plain read-and-memchr line count of the
// same file measured in the same run. The index passes also report the
// bytes their index of record starts holds per row; the saved index is
// written after a pass and loaded instead of one, beside the pass.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/csv_bench
//
// The files are generated once into VORLAT_BENCH_DIR (default: the system's
// temporary folder) and reused by later runs.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

#include <boost/shared_ptr.hpp>

#include "host/FileInputStream.h"
#include "index/ByteSource.h"
#include "index/IndexOptions.h"
#include "text/CsvDataProvider.h"

namespace {

namespace fs = std::filesystem;

const std::size_t LineLength = 100;        // bytes, line feed included
const std::size_t LineCount = 5'000'000;   // 500 MB
const std::size_t WideRows = 200'000;      // rows of the 50-column file
const int WideColumns = 50;

fs::path BenchDir()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    fs::path path = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(path);
    return path;
}

// Writes lines of exactly LineLength bytes: an id, a name, numbers and a
// text, padded with a last text field.
fs::path NarrowFile()
{
    const fs::path path = BenchDir() / "narrow-500mb.csv";
    const std::size_t expected = LineLength * (LineCount + 1);
    std::error_code error;
    if (fs::file_size(path, error) == expected)
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(1);
    std::vector<char> buffer;
    const auto writeLine = [&](std::string line) {
        line.resize(LineLength - 1, 'x');
        line += '\n';
        buffer.insert(buffer.end(), line.begin(), line.end());
        if (buffer.size() > (8u << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };
    writeLine("id,name,mw,logp,count,class,pad");
    char text[128];
    for (std::size_t i = 0; i < LineCount; ++i) {
        std::snprintf(text, sizeof text, "%zu,CPD-%09zu,%.3f,%.2f,%u,class%u,", i + 1, i,
                      100 + (random() % 500000) / 1000.0, (static_cast<int>(random() % 1000) - 500) / 100.0,
                      static_cast<unsigned>(random() % 100000), static_cast<unsigned>(random() % 1000));
        writeLine(text);
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return path;
}

// The same rows with every field quoted, as spreadsheets and pandas write
// them with quoting on; every hundredth note holds a line break.
fs::path QuotedFile()
{
    const fs::path path = BenchDir() / "quoted-500mb.csv";
    std::error_code error;
    if (fs::file_size(path, error) == LineLength * (LineCount + 1))
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    std::ofstream out(path, std::ios::binary);
    std::mt19937 random(2);
    std::string buffer;
    const auto writeLine = [&](std::string line, const std::string& last) {
        // The last field pads the line to LineLength bytes.
        line += "\"" + last;
        line.resize(LineLength - 2, 'x');
        line += "\"\n";
        buffer += line;
        if (buffer.size() > (8u << 20)) {
            out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
            buffer.clear();
        }
    };
    writeLine("\"id\",\"name\",\"mw\",\"logp\",\"count\",\"class\",", "pad");
    char text[160];
    for (std::size_t i = 0; i < LineCount; ++i) {
        std::snprintf(text, sizeof text, "\"%zu\",\"CPD-%09zu\",\"%.3f\",\"%.2f\",\"%u\",\"class%u\",", i + 1, i,
                      100 + (random() % 500000) / 1000.0, (static_cast<int>(random() % 1000) - 500) / 100.0,
                      static_cast<unsigned>(random() % 100000), static_cast<unsigned>(random() % 1000));
        writeLine(text, i % 100 == 0 ? "a \"\"note\"\"\nover two lines" : "note");
    }
    out.write(buffer.data(), static_cast<std::streamsize>(buffer.size()));
    return path;
}

fs::path WideFile()
{
    const fs::path path = BenchDir() / "wide-50-columns.csv";
    if (fs::exists(path))
        return path;
    std::ofstream out(path, std::ios::binary);
    for (int c = 0; c < WideColumns; ++c)
        out << (c ? "," : "") << "c" << c;
    out << '\n';
    for (std::size_t r = 0; r < WideRows; ++r) {
        for (int c = 0; c < WideColumns; ++c)
            out << (c ? "," : "") << (c % 3 == 0 ? std::to_string(r * c) : c % 3 == 1 ? "1.25" : "text");
        out << '\n';
    }
    return path;
}

// The baseline: read the file in 1 MiB blocks and count line feeds.
void PlainMemchrScan(benchmark::State& state, const fs::path& path)
{
    // On a 64-byte boundary, as the index's reads are: the kernel copies
    // to a buffer a few bytes off one several times more slowly.
    const std::size_t blockSize = std::size_t(1) << 20;
    const VorlatImportExport::ReadBuffer buffer(blockSize);
    std::size_t lines = 0;
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        lines = 0;
        for (;;) {
            in.read(buffer.data(), static_cast<std::streamsize>(blockSize));
            const std::size_t n = static_cast<std::size_t>(in.gcount());
            if (n == 0)
                break;
            const char* p = buffer.data();
            const char* last = p + n;
            while (const void* hit = std::memchr(p, '\n', static_cast<std::size_t>(last - p))) {
                p = static_cast<const char*>(hit) + 1;
                ++lines;
            }
        }
        benchmark::DoNotOptimize(lines);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["lines"] = static_cast<double>(lines);
}

void BM_PlainMemchrScan(benchmark::State& state) { PlainMemchrScan(state, NarrowFile()); }
void BM_PlainMemchrScanQuoted(benchmark::State& state) { PlainMemchrScan(state, QuotedFile()); }

// Argument: the threads of the pass. The index reads through a file input
// stream, which threads can read side by side.
void CsvIndexPass(benchmark::State& state, const fs::path& path)
{
    int rows = 0;
    std::size_t indexBytes = 0;
    VorlatImportExport::IndexOptions::SetThreadCount(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        std::ifstream in(path, std::ios::binary);
        VorlatImportExport::CsvDataProvider provider(
            in, boost::shared_ptr<Host::InputStream>(new Host::FileInputStream(path.string())));
        rows = provider.GetRowCount();
        indexBytes = provider.GetIndexMemoryUsage();
        benchmark::DoNotOptimize(rows);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fs::file_size(path)));
    state.counters["rows"] = rows;
    // What the index of record starts holds, per row.
    state.counters["index_bytes_per_row"] = rows > 0 ? static_cast<double>(indexBytes) / rows : 0.0;
    VorlatImportExport::IndexOptions::SetThreadCount(0);
}

void BM_CsvIndexPass(benchmark::State& state) { CsvIndexPass(state, NarrowFile()); }
void BM_CsvIndexPassQuoted(benchmark::State& state) { CsvIndexPass(state, QuotedFile()); }

// The saved index of the 500 MB file: written after a pass (argument 0:
// the pass and the writing together, beside BM_CsvIndexPass), and the
// opening that loads it instead of the pass (argument 1). Its size on disk
// beside the index the pass holds in memory.
void BM_CsvSavedIndex(benchmark::State& state)
{
    const fs::path path = NarrowFile();
    const std::string saved = (BenchDir() / "narrow.csv.index").string();
    const bool load = state.range(0) == 1;
    VorlatImportExport::CsvOptions options;
    options.savedIndex = {saved, path.string()};
    std::size_t indexBytes = 0;
    bool loaded = false;
    if (load) {
        // Made once before the loads are timed.
        std::ifstream in(path, std::ios::binary);
        VorlatImportExport::CsvDataProvider provider(in, options);
    }
    for (auto _ : state) {
        if (!load)
            fs::remove(saved);
        std::ifstream in(path, std::ios::binary);
        VorlatImportExport::CsvDataProvider provider(
            in, options, boost::shared_ptr<Host::InputStream>(new Host::FileInputStream(path.string())));
        indexBytes = provider.GetIndexMemoryUsage();
        loaded = provider.IndexWasLoaded();
        benchmark::DoNotOptimize(indexBytes);
    }
    if (loaded != load)
        state.SkipWithError(load ? "the saved index was not loaded" : "a saved index was loaded");
    state.counters["saved_bytes"] = static_cast<double>(fs::file_size(saved));
    // What a scan holds (a loaded table reads the saved index in place).
    if (!load) {
        state.counters["held_bytes"] = static_cast<double>(indexBytes);
        state.counters["saved/held"] = static_cast<double>(fs::file_size(saved)) / static_cast<double>(indexBytes);
    }
}

// Random cells of the 500 MB file: one seek, one line read and split each.
void BM_RandomGetCellData(benchmark::State& state)
{
    std::ifstream in(NarrowFile(), std::ios::binary);
    VorlatImportExport::CsvDataProvider provider(in);
    std::mt19937 random(5);
    const int rows = provider.GetRowCount();
    const int columns = provider.GetColumnCount();
    for (auto _ : state) {
        const int row = static_cast<int>(random() % static_cast<unsigned>(rows));
        const int column = 1 + static_cast<int>(random() % static_cast<unsigned>(columns - 1));
        benchmark::DoNotOptimize(provider.GetCellData(row, column));
    }
    state.SetItemsProcessed(state.iterations());
}

// GetRowValues of random rows of a 50-column file: one line read per row.
void BM_GetRowValues50Columns(benchmark::State& state)
{
    std::ifstream in(WideFile(), std::ios::binary);
    VorlatImportExport::CsvDataProvider provider(in);
    std::mt19937 random(9);
    std::vector<std::string> values;
    for (auto _ : state) {
        values.clear();
        provider.GetRowValues(static_cast<int>(random() % WideRows), values);
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations());
}

BENCHMARK(BM_PlainMemchrScan)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CsvIndexPass)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_PlainMemchrScanQuoted)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CsvIndexPassQuoted)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_CsvSavedIndex)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_RandomGetCellData)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_GetRowValues50Columns)->Unit(benchmark::kNanosecond);

// Prints the usual table, then the index pass's throughput beside the
// plain scan's.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto found = run.counters.find("bytes_per_second");
            if (found != run.counters.end() && run.run_type == Run::RT_Iteration)
                m_BytesPerSecond[run.benchmark_name()] = found->second;
        }
    }
    std::map<std::string, double> m_BytesPerSecond;
};

} // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    const auto ratio = [&](const char* scanName, const char* indexName, const char* file, double goal) {
        const auto scan = reporter.m_BytesPerSecond.find(std::string(scanName) + "/min_time:3.000");
        const auto index = reporter.m_BytesPerSecond.find(std::string(indexName) + "/min_time:3.000");
        if (scan != reporter.m_BytesPerSecond.end() && index != reporter.m_BytesPerSecond.end())
            std::printf("%s: plain scan %.0f MB/s, index pass %.0f MB/s: index/scan = %.2f (goal >= %.2f)\n", file,
                        scan->second / 1e6, index->second / 1e6, index->second / scan->second, goal);
    };
    std::printf("\n");
    ratio("BM_PlainMemchrScan", "BM_CsvIndexPass/1", "no quotes, one thread", 0.6);
    ratio("BM_PlainMemchrScanQuoted", "BM_CsvIndexPassQuoted/1", "every field quoted, one thread", 0.4);
    const auto threads = [&](const char* name, const char* file) {
        const auto one = reporter.m_BytesPerSecond.find(std::string(name) + "/1/min_time:3.000");
        const auto two = reporter.m_BytesPerSecond.find(std::string(name) + "/2/min_time:3.000");
        if (one != reporter.m_BytesPerSecond.end() && two != reporter.m_BytesPerSecond.end())
            std::printf("%s: index pass, two threads %.0f MB/s, one thread %.0f MB/s: %.2f x (goal >= 1.7)\n", file,
                        two->second / 1e6, one->second / 1e6, two->second / one->second);
    };
    threads("BM_CsvIndexPass", "no quotes");
    threads("BM_CsvIndexPassQuoted", "every field quoted");
    benchmark::Shutdown();
    return 0;
}
