// vorlat filter on the 1 GB SD file of sd_bench (5 items per record), each
// beside its baseline in the same run:
//   --where on two numerical items  beside  vorlat export --csv of the same
//                                           columns (goal: at least half its speed)
//   --smarts                        beside  RDKit's ForwardSDMolSupplier with
//                                           a SubstructMatch per record (goal:
//                                           at least as fast per record)
//
//   VORLAT_BENCH_DIR=/tmp/vorlat-bench build/bench/filter_bench
//
// The file is sd_bench's records-5-items.sdf (run sd_bench once to make it).
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include <GraphMol/FileParsers/MolSupplier.h>
#include <GraphMol/ROMol.h>
#include <GraphMol/SmilesParse/SmilesParse.h>
#include <GraphMol/Substruct/SubstructMatch.h>
#include <RDGeneral/RDLog.h>

namespace {

namespace fs = std::filesystem;

// Wall-clock seconds of a shell command; exits when it fails.
double Seconds(const std::string& command)
{
    const auto start = std::chrono::steady_clock::now();
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "failed: %s\n", command.c_str());
        std::exit(1);
    }
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// Lines of a file (records written by the tool, plus the title line).
long Lines(const std::string& path)
{
    std::ifstream in(path);
    long count = 0;
    for (std::string line; std::getline(in, line);)
        ++count;
    return count;
}

} // namespace

int main()
{
    const char* dir = std::getenv("VORLAT_BENCH_DIR");
    const fs::path file = (dir ? fs::path(dir) : fs::temp_directory_path() / "vorlat-bench") / "records-5-items.sdf";
    if (!fs::exists(file)) {
        std::fprintf(stderr, "%s is missing: run sd_bench once to make it\n", file.c_str());
        return 1;
    }
    const std::string tool = VORLAT_TOOL_PATH;
    const std::string quoted = "'" + file.string() + "'";
    const std::string out = (fs::temp_directory_path() / "vorlat-filter-bench.csv").string();

    // Two numerical items: every row exported, or every row tested.
    const double exported = Seconds(tool + " export " + quoted + " --columns MolWeight,LogP --csv /dev/null");
    const double filtered = Seconds(tool + " filter " + quoted + " --where 'MolWeight < 300 and LogP < 200' " +
                                    "--columns MolWeight,LogP --format csv > '" + out + "'");
    const long matches = Lines(out) - 1;
    std::printf("--where on 2 items: %.2f s (%ld rows match), export --csv of the same columns: %.2f s: "
                "%.2f x its speed (goal >= 0.5)\n",
                filtered, matches, exported, exported / filtered);

    // A substructure: the tool, and RDKit's own loop over the same file.
    const std::string smarts = "c1ccccc1C(=O)[OX2H1]";
    const double tool_smarts = Seconds(tool + " filter " + quoted + " --smarts '" + smarts +
                                       "' --columns Name --format csv > '" + out + "'");
    const long toolMatches = Lines(out) - 1;
    RDLog::LogStateSetter quiet;
    const std::unique_ptr<RDKit::ROMol> pattern(RDKit::SmartsToMol(smarts));
    const auto start = std::chrono::steady_clock::now();
    long records = 0, rdkitMatches = 0;
    {
        std::ifstream in(file, std::ios::binary);
        RDKit::ForwardSDMolSupplier supplier(&in, false);
        while (!supplier.atEnd()) {
            const std::unique_ptr<RDKit::ROMol> mol(supplier.next());
            ++records;
            RDKit::MatchVectType match;
            if (mol && RDKit::SubstructMatch(*mol, *pattern, match))
                ++rdkitMatches;
        }
    }
    const double rdkit = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("--smarts %s: vorlat %.2f s (%ld match), RDKit ForwardSDMolSupplier + SubstructMatch %.2f s "
                "(%ld of %ld records match): %.2f x RDKit's speed (goal >= 1)\n",
                smarts.c_str(), tool_smarts, toolMatches, rdkit, rdkitMatches, records, rdkit / tool_smarts);
    std::remove(out.c_str());
    return 0;
}
