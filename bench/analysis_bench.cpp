// The table analyzer on a generated CSV of 1 million rows and 13 columns: a
// ChEMBL-style compound ID unique per row ("CHEMBL" and a number of 1 to 7
// digits, in no particular order), a grouping column of about 1000 series
// texts, 8 numerical columns and 3 text columns; the provider adds the
// numerical "Index" column. Every figure stands beside the time to read every
// cell once through GetRowValues, measured in the same run.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/analysis_bench
//
// BM_UniqueIdFirstRankedGroups groups by the ID column (1,000,000 groups):
// per iteration it reads the whole table once (read_s), then times the
// first GetRankedGroups on a new analyzer (pass_s, and pass_per_read, the
// worse of the iterations) and the heap the analyzer holds afterwards per
// group (bytes_per_group, from mallinfo2 before and after the call).

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>
#ifdef __GLIBC__
#include <malloc.h>
#endif

#include "analysis/GroupBy.h"
#include "analysis/TableDataAnalyzer.h"
#include "text/CsvDataProvider.h"

namespace {

namespace fs = std::filesystem;

const int Rows = 1000000;
const char* const TableName = "analysis-1m-ids.csv";
// Columns as the provider numbers them (0 is its "Index").
const int IdColumn = 1;
const int SeriesColumn = 2;
const int MwColumn = 3;
const int Ic50Column = 9;
const int SupplierColumn = 12;

fs::path TableFile()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(folder);
    const fs::path path = folder / TableName;
    if (fs::exists(path))
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    // Distinct ID numbers drawn from 1 to 5 million (a partial shuffle).
    std::mt19937 random(3);
    std::vector<unsigned> ids(5 * Rows);
    for (std::size_t i = 0; i < ids.size(); ++i)
        ids[i] = static_cast<unsigned>(i + 1);
    for (std::size_t i = 0; i < static_cast<std::size_t>(Rows); ++i)
        std::swap(ids[i], ids[i + random() % (ids.size() - i)]);
    const fs::path partial = folder / (std::string(TableName) + ".part");
    {
        std::ofstream out(partial, std::ios::binary);
        out << "id,series,mw,logp,tpsa,hbd,hba,rotb,ic50,ki,name,supplier,note\n";
        char line[512];
        for (int i = 0; i < Rows; ++i) {
            std::snprintf(line, sizeof line,
                          "CHEMBL%u,series-%04u,%.2f,%.2f,%.1f,%u,%u,%u,%.3f,%.1f,CPD-%07d,supplier %u,note %u\n",
                          ids[static_cast<std::size_t>(i)], static_cast<unsigned>(random() % 1000),
                          100 + (random() % 60000) / 100.0, (static_cast<int>(random() % 1000) - 300) / 100.0,
                          (random() % 2000) / 10.0, static_cast<unsigned>(random() % 6),
                          static_cast<unsigned>(random() % 12), static_cast<unsigned>(random() % 15),
                          (random() % 100000) / 1000.0, (random() % 50000) / 10.0, i,
                          static_cast<unsigned>(random() % 50), static_cast<unsigned>(random() % 1000));
            out << line;
        }
    }
    fs::rename(partial, path);
    return path;
}

struct Table {
    Table() : stream(TableFile(), std::ios::binary), provider(new VorlatImportExport::CsvDataProvider(stream)) {}
    std::ifstream stream;
    boost::shared_ptr<VorlatImportExport::CsvDataProvider> provider;
};

Table& Shared()
{
    static Table table;
    return table;
}

void ReadAllCells(Table& table)
{
    std::vector<std::string> values;
    for (int row = 0; row < table.provider->GetRowCount(); ++row) {
        values.clear();
        table.provider->GetRowValues(row, values);
    }
    benchmark::DoNotOptimize(values.data());
}

// The baseline: every cell of every row, one GetRowValues per row.
void BM_ReadAllCellsWithGetRowValues(benchmark::State& state)
{
    Table& table = Shared();
    for (auto _ : state)
        ReadAllCells(table);
    state.SetItemsProcessed(state.iterations() * Rows);
    state.SetLabel(TableName);
}

// Bytes the heap has handed out and not taken back.
double HeapInUse()
{
#ifdef __GLIBC__
    const struct mallinfo2 info = mallinfo2();
    return static_cast<double>(info.uordblks + info.hblkhd);
#else
    return 0;
#endif
}

double SecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Grouping by an ID unique per row: the first ranked request beside a full
// read of the same table just before it, and what the analyzer keeps.
void BM_UniqueIdFirstRankedGroups(benchmark::State& state)
{
    Table& table = Shared();
    double read = 0, pass = 0, worstRatio = 0, worstBytes = 0, groups = 0;
    for (auto _ : state) {
        auto start = std::chrono::steady_clock::now();
        ReadAllCells(table);
        const double readSeconds = SecondsSince(start);

        VorlatImportExport::TableDataAnalyzer analyzer(table.provider);
        std::vector<int> rows;
        const double before = HeapInUse();
        start = std::chrono::steady_clock::now();
        analyzer.GetRankedGroups(IdColumn, MwColumn, {}, rows, VorlatImportExport::TDM_Query_Maxs);
        const double passSeconds = SecondsSince(start);
        groups = static_cast<double>(rows.size());
        std::vector<int>().swap(rows); // the answer is the caller's, not the analyzer's
        const double held = HeapInUse() - before;

        state.SetIterationTime(passSeconds);
        read += readSeconds;
        pass += passSeconds;
        worstRatio = std::max(worstRatio, passSeconds / readSeconds);
        worstBytes = std::max(worstBytes, held / std::max(groups, 1.0));
    }
    const double n = static_cast<double>(state.iterations());
    state.counters["groups"] = groups;
    state.counters["read_s"] = read / n;
    state.counters["pass_s"] = pass / n;
    state.counters["pass_per_read"] = worstRatio;
    state.counters["bytes_per_group"] = worstBytes;
    state.SetLabel(std::string(TableName) + ", grouped by its unique id column");
}

// The analysis pass: the first ranked request for a grouping column.
void BM_AnalysisPassFirstRankedGroups(benchmark::State& state)
{
    Table& table = Shared();
    std::vector<int> rows;
    for (auto _ : state) {
        VorlatImportExport::TableDataAnalyzer analyzer(table.provider);
        analyzer.GetRankedGroups(SeriesColumn, MwColumn, {}, rows, VorlatImportExport::TDM_Query_Maxs);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["groups"] = static_cast<double>(rows.size());
}

struct Analysed {
    Analysed() : analyzer(Shared().provider)
    {
        std::vector<int> rows;
        analyzer.GetRankedGroups(SeriesColumn, MwColumn, {}, rows, VorlatImportExport::TDM_Query_Maxs);
    }
    VorlatImportExport::TableDataAnalyzer analyzer;
};

Analysed& SharedAnalysed()
{
    static Analysed analysed;
    return analysed;
}

// A later request for another rank column: served from the records.
void BM_LaterRankedGroupsOtherColumn(benchmark::State& state)
{
    Analysed& analysed = SharedAnalysed();
    std::vector<int> rows;
    for (auto _ : state) {
        analysed.analyzer.GetRankedGroups(SeriesColumn, Ic50Column, {}, rows, VorlatImportExport::TDM_Query_Mins);
        benchmark::DoNotOptimize(rows.data());
    }
}

void BM_GetGroupsTenNamed(benchmark::State& state)
{
    Analysed& analysed = SharedAnalysed();
    std::vector<std::wstring> groups;
    for (int i = 0; i < 10; ++i)
        groups.push_back(L"series-0" + std::to_wstring(100 + i * 37));
    std::vector<int> rows;
    for (auto _ : state) {
        analysed.analyzer.GetGroups(SeriesColumn, groups, rows);
        benchmark::DoNotOptimize(rows.data());
    }
    state.counters["rows"] = static_cast<double>(rows.size());
}

// GroupBy over two grouping columns with a rank column, beside reading
// those three columns' cells once.
void BM_ReadThreeColumns(benchmark::State& state)
{
    Table& table = Shared();
    for (auto _ : state) {
        for (int row = 0; row < Rows; ++row)
            for (int column : {SeriesColumn, SupplierColumn, MwColumn})
                benchmark::DoNotOptimize(table.provider->GetCellData(row, column));
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

void BM_GroupByTwoColumnsRanked(benchmark::State& state)
{
    Table& table = Shared();
    std::vector<int> rows;
    for (auto _ : state) {
        VorlatGroupBy::GroupBy grouping;
        grouping.Group(table.provider, {SeriesColumn, SupplierColumn}, MwColumn);
        rows.clear();
        grouping.GetGroupRepresentatives(table.provider, rows, true);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["groups"] = static_cast<double>(rows.size());
}

BENCHMARK(BM_ReadThreeColumns)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_GroupByTwoColumnsRanked)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_ReadAllCellsWithGetRowValues)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_AnalysisPassFirstRankedGroups)->Unit(benchmark::kMillisecond)->MinTime(3);
BENCHMARK(BM_UniqueIdFirstRankedGroups)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(2);
BENCHMARK(BM_LaterRankedGroupsOtherColumn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetGroupsTenNamed)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
