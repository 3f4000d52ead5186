// The table analyzer on a generated CSV of 1 million rows and 12 columns (a
// grouping column of about 1000 texts, 8 numerical columns, 3 text columns),
// beside the time to read every cell once through GetRowValues, measured in
// the same run.
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/analysis_bench

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

#include "analysis/GroupBy.h"
#include "analysis/TableDataAnalyzer.h"
#include "text/CsvDataProvider.h"

namespace {

namespace fs = std::filesystem;

const int Rows = 1000000;

fs::path TableFile()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    const fs::path folder = dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench";
    fs::create_directories(folder);
    const fs::path path = folder / "analysis-1m.csv";
    if (fs::exists(path))
        return path;
    std::cerr << "generating " << path << " ..." << std::endl;
    std::ofstream out(path, std::ios::binary);
    out << "series,mw,logp,tpsa,hbd,hba,rotb,ic50,ki,name,supplier,note\n";
    std::mt19937 random(3);
    char line[512];
    for (int i = 0; i < Rows; ++i) {
        std::snprintf(line, sizeof line, "series-%04u,%.2f,%.2f,%.1f,%u,%u,%u,%.3f,%.1f,CPD-%07d,supplier %u,note %u\n",
                      static_cast<unsigned>(random() % 1000), 100 + (random() % 60000) / 100.0,
                      (static_cast<int>(random() % 1000) - 300) / 100.0, (random() % 2000) / 10.0,
                      static_cast<unsigned>(random() % 6), static_cast<unsigned>(random() % 12),
                      static_cast<unsigned>(random() % 15), (random() % 100000) / 1000.0, (random() % 50000) / 10.0,
                      i, static_cast<unsigned>(random() % 50), static_cast<unsigned>(random() % 1000));
        out << line;
    }
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

// The baseline: every cell of every row, one GetRowValues per row.
void BM_ReadAllCellsWithGetRowValues(benchmark::State& state)
{
    Table& table = Shared();
    std::vector<std::string> values;
    for (auto _ : state) {
        for (int row = 0; row < table.provider->GetRowCount(); ++row) {
            values.clear();
            table.provider->GetRowValues(row, values);
        }
        benchmark::DoNotOptimize(values.data());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
}

// The analysis pass: the first ranked request for a grouping column.
void BM_AnalysisPassFirstRankedGroups(benchmark::State& state)
{
    Table& table = Shared();
    std::vector<int> rows;
    for (auto _ : state) {
        VorlatImportExport::TableDataAnalyzer analyzer(table.provider);
        analyzer.GetRankedGroups(1, 2, {}, rows, VorlatImportExport::TDM_Query_Maxs);
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * Rows);
    state.counters["groups"] = static_cast<double>(rows.size());
}

struct Analysed {
    Analysed() : analyzer(Shared().provider)
    {
        std::vector<int> rows;
        analyzer.GetRankedGroups(1, 2, {}, rows, VorlatImportExport::TDM_Query_Maxs);
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
        analysed.analyzer.GetRankedGroups(1, 8, {}, rows, VorlatImportExport::TDM_Query_Mins);
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
        analysed.analyzer.GetGroups(1, groups, rows);
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
            for (int column : {1, 11, 2})
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
        grouping.Group(table.provider, {1, 11}, 2);
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
BENCHMARK(BM_LaterRankedGroupsOtherColumn)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GetGroupsTenNamed)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
