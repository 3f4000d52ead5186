#include <algorithm>
#include <cstdio>
#include <unistd.h>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "support/Files.h"

namespace {

struct Result {
    int status;
    std::string out;
    std::string err;
};

// Runs the tool with arguments (already quoted for the shell).
// The tool's cache folder for these tests, removed when they end.
struct TestCache {
    const std::filesystem::path folder =
        std::filesystem::temp_directory_path() / ("vorlat-cli-cache-" + std::to_string(getpid()));
    ~TestCache() { std::filesystem::remove_all(folder); }
};
const TestCache Cache;

Result RunTool(const std::string& arguments)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-cli-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string command = std::string("COLUMNS= XDG_CACHE_HOME='") + Cache.folder.string() + "' '" +
                                VORLAT_TOOL_PATH + "' " + arguments + " >'" +
                                (dir / "out").string() + "' 2>'" + (dir / "err").string() + "'";
    const int raw = std::system(command.c_str());
    Result result{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, VorlatTest::ReadFile(dir / "out"), VorlatTest::ReadFile(dir / "err")};
    std::filesystem::remove_all(dir);
    return result;
}

const std::string Example = std::string("'") + VORLAT_EXAMPLES_DATA_DIR + "/compounds.csv'";
const std::string SdExample = std::string("'") + VORLAT_EXAMPLES_DATA_DIR + "/compounds.sdf'";

} // namespace

TEST(VorlatCli, ShowsTheBundledExampleWithoutAFile)
{
    Result result = RunTool("show --width 0");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("compounds.csv: 30 rows, 7 columns\n"), std::string::npos);
    EXPECT_NE(result.out.find("Aspirin"), std::string::npos);
    // The text view leaves out the "Index" column that repeats the row
    // numbers; the data formats keep it, and so does a view that asks.
    EXPECT_EQ(result.out.find("Index"), std::string::npos);
    EXPECT_EQ(RunTool("show --rows 1:1 --format csv").out.substr(0, 6), "Index,");
    EXPECT_NE(RunTool("show --columns Index,name").out.find("Index"), std::string::npos);
    // The caption names the rows shown; a width of 0 cuts no cell.
    result = RunTool("show --rows 2:4 --width 0 --columns smiles");
    EXPECT_NE(result.out.find("30 rows, 7 columns (rows 2-4 shown)"), std::string::npos) << result.out;
    EXPECT_NE(RunTool("show --rows 8:8 --width 0").out.find(
                  "Cc1ccc(NC(=O)c2ccc(CN3CCN(C)CC3)cc2)cc1Nc1nccc(-c2cccnc2)n1"),
              std::string::npos);
}

TEST(VorlatCli, FormatsAndSelections)
{
    // JSON: one object per row, numbers as numbers.
    Result result = RunTool("show " + Example + " --format json --rows 2:3 --columns Index,name,2");
    ASSERT_EQ(result.status, 0) << result.err;
    const nlohmann::json rows = nlohmann::json::parse(result.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0]["Index"], 2);
    EXPECT_TRUE(rows[0]["name"].is_string());
    EXPECT_EQ(rows[0].size(), 3u);

    // CSV reads back as the same fields.
    result = RunTool("show " + Example + " --format csv --rows -1:");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(std::count(result.out.begin(), result.out.end(), '\n'), 2);

    // A narrow text table cuts long cells with an ellipsis and keeps every
    // line within the width.
    result = RunTool("show " + Example + " --width 60");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("\u2026"), std::string::npos);
    std::istringstream lines(result.out);
    std::string line;
    std::getline(lines, line); // the caption
    while (std::getline(lines, line)) {
        std::size_t cells = 0;
        for (unsigned char c : line)
            cells += (c & 0xC0) != 0x80;
        EXPECT_LE(cells, 60u) << line;
    }
}

TEST(VorlatCli, SdFilesShowStructuresAsSmiles)
{
    Result result = RunTool("show " + SdExample + " --format csv --rows 1:2 --columns Structure,Name,MolWeight");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Structure,Name,MolWeight\nCC(=O)Oc1ccccc1C(=O)O,Aspirin,180.16\n"
                          "Cn1c(=O)c2c(ncn2C)n(C)c1=O,Caffeine,194.19\n");
    result = RunTool("info " + SdExample);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("rows: 12\n"), std::string::npos);
    EXPECT_NE(result.out.find("  3  ID\n"), std::string::npos);
    EXPECT_NE(result.out.find("index time: "), std::string::npos);
}

TEST(VorlatCli, QueriesAnswerTheFourKinds)
{
    Result result = RunTool("query " + Example + " --equal name=Caffeine,Aspirin --columns id,name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "id,name\nVX-0001,Aspirin\n");
    result = RunTool("query " + Example + " --group-by activity_class --max mol_weight --columns name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "name\nAtorvastatin\nPenicillin G\nSildenafil\nDiazepam\n");
    result = RunTool("query " + Example + " --group-by 6 --min logp --groups weak --columns name --width 0");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("26  Salbutamol"), std::string::npos) << result.out; // the file's row number
    result = RunTool("query " + Example + " --group-by activity_class --groups weak,active --format json");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(nlohmann::json::parse(result.out).size(), 15u); // 6 weak, 9 active
    // --all: every match in file order (the default stays the first).
    result = RunTool("query " + Example + " --equal activity_class=active --all --columns name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "name\nCelecoxib\nImatinib\nGefitinib\nErlotinib\nAtorvastatin\nMorphine\nTamoxifen\n"
                          "Losartan\nSorafenib\n");
    EXPECT_EQ(RunTool("query " + Example + " --all").status, 1);
    result = RunTool("query " + Example + " --max mol_weight");
    EXPECT_EQ(result.out, "mol_weight: largest 558.65, smallest 129.17\n");
    result = RunTool("query " + Example + " --group-by activity_class --max name");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("is not numerical"), std::string::npos);
}

// Values as the file holds them: long IDs, numbers a person types, commas in
// texts, titles that repeat.
TEST(VorlatCli, QueriesFindValuesAsTheFileHoldsThem)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-values-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string file = "'" + (dir / "values.csv").string() + "'";
    std::ofstream(dir / "values.csv") << "id,name,v,v\n"
                                         "123456789012,\"Smith, John\",100000,1\n"
                                         "123456789013,Jones,2,7\n"
                                         "123456789012345678901,Brown,0.0005,3\n";

    struct Case {
        std::string arguments;
        std::string out;
    } cases[] = {
        {"--equal id=123456789013", "id\n123456789013\n"},
        {"--equal id=123456789012", "id\n123456789012\n"},
        {"--equal id=123456789012345678901", "id\n123456789012345678901\n"},
        {"--equal v=1e5", "id\n123456789012\n"},
        {"--equal v=2.0", "id\n123456789013\n"},
        {"--equal v=5e-4", "id\n123456789012345678901\n"},
        {"--equal 'name=Smith, John' --equal name=Nobody", "id\n123456789012\n"},
        {"--equal 'name=Nobody,Smith\\, John'", "id\n123456789012\n"},
        {"--group-by id --groups 123456789013", "id\n123456789013\n"},
    };
    for (const Case& c : cases) {
        const Result result = RunTool("query " + file + " " + c.arguments + " --columns id --format csv");
        EXPECT_EQ(result.status, 0) << c.arguments << ": " << result.err;
        EXPECT_EQ(result.out, c.out) << c.arguments;
    }
    // Column numbers pick that column, not the first one of its title.
    Result result = RunTool("query " + file + " --equal name=Jones --columns 3,4 --format csv");
    EXPECT_EQ(result.out, "v,v\n2,7\n");
    result = RunTool("query " + file + " --group-by name --max 4 --groups Brown --columns 4 --format csv");
    EXPECT_EQ(result.out, "v\n3\n");
    // Long IDs are numbers in JSON, digit for digit.
    result = RunTool("query " + file + " --equal name=Jones --columns id,2 --format json");
    EXPECT_EQ(nlohmann::json::parse(result.out)[0]["id"].dump(), "123456789013") << result.out;
    result = RunTool("query " + file + " --equal id=1 --equal name=x");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("--equal names one column"), std::string::npos) << result.err;
    std::filesystem::remove_all(dir);
}

// Standard input and pipes are copied to a file that is gone afterwards;
// a directory is refused.
TEST(VorlatCli, ReadsStandardInputAndPipes)
{
    Result result = RunTool("show - --rows 1:2 --columns Name --format csv < " + SdExample);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Name\nAspirin\nCaffeine\n");
    result = RunTool("query - --type csv --equal name=Caffeine --columns id --format csv < " + Example);
    EXPECT_EQ(result.out, "id\nVX-0002\n") << result.err;

    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-fifo-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string fifo = (dir / "compounds").string();
    ASSERT_EQ(std::system(("mkfifo '" + fifo + "'").c_str()), 0);
    ASSERT_EQ(std::system(("cat " + std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.mol2 > '" + fifo + "' &").c_str()), 0);
    result = RunTool("show '" + fifo + "' --rows 12:12 --columns Name --format csv");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Name\nAtorvastatin\n") << result.err;

    result = RunTool("show '" + dir.string() + "'");
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("is a directory"), std::string::npos) << result.err;
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, CompressedFilesReadInPlace)
{
    const std::string compressed = std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf.gz";
    Result result = RunTool("show " + compressed + " --rows 12:12 --columns Name,MolWeight --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Name,MolWeight\nAtorvastatin,558.65\n");
    result = RunTool("info " + compressed);
    EXPECT_NE(result.out.find("compressed: gzip"), std::string::npos) << result.out;
    // Piped compressed data is found from its first bytes.
    result = RunTool("export - --rows 2:2 --sdf - < " + compressed);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out.compare(0, 8, "Caffeine"), 0) << result.out;

    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-gzip-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&](const std::string& name, const std::string& command) {
        const std::string path = (dir / name).string();
        EXPECT_EQ(std::system((command + " > '" + path + "'").c_str()), 0);
        return path;
    };
    // The format from the name inside, or from the first lines.
    const std::string quenbar = write("table.txt.gz", "gzip -c " + std::string(VORLAT_EXAMPLES_DATA_DIR) +
                                                          "/compounds-quenbar.txt");
    result = RunTool("show " + quenbar + " --rows 2:2 --columns name --format csv");
    EXPECT_EQ(result.out, "name\nCaffeine\n") << result.err;
    const std::string noName = write("download.gz", "gzip -c " + Example);
    result = RunTool("show " + noName + " --rows 1:1 --columns name --format csv");
    EXPECT_EQ(result.out, "name\nAspirin\n") << result.err;
    const std::string noise = write("noise.gz", "printf '\\001\\002\\003' | gzip -c");
    result = RunTool("show " + noise);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("is gzip-compressed, and neither its name nor its first lines tell what it holds"),
              std::string::npos)
        << result.err;
    // Cut: refused with the reader's message, never a shorter table.
    const std::string cut = write("cut.sdf.gz", "head -c 2000 " + compressed);
    result = RunTool("show " + cut);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("Unable to process file."), std::string::npos) << result.err;
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, SavedIndexesInTheCacheFolder)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-saved-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "data.csv").string();
    std::ofstream(path, std::ios::binary) << "id,name\n1,Aspirin\n2,\"Caf\nfeine\"\n";
    Result result = RunTool("info " + path);
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("(indexed; saved to " + Cache.folder.string() + "/vorlat/data.csv-"), std::string::npos)
        << result.out;
    result = RunTool("info " + path);
    EXPECT_NE(result.out.find("(loaded from the saved index"), std::string::npos) << result.out;
    result = RunTool("show " + path + " --format csv");
    EXPECT_EQ(result.out, "Index,id,name\n1,1,Aspirin\n2,2,\"Caf\nfeine\"\n");
    // Changed: indexed again; --no-cache: neither loaded nor saved.
    std::ofstream(path, std::ios::binary | std::ios::app) << "3,Ibuprofen\n";
    result = RunTool("show " + path + " --format csv --rows 3");
    EXPECT_EQ(result.out, "Index,id,name\n3,3,Ibuprofen\n") << result.err;
    result = RunTool("info --no-cache " + path);
    EXPECT_EQ(result.out.find("saved index"), std::string::npos) << result.out;
    EXPECT_EQ(result.out.find("saved to"), std::string::npos) << result.out;
    // A cache folder that cannot be written costs nothing but the saving.
    result = RunTool("info " + path + " 2>&1; XDG_CACHE_HOME=/proc/none '" + VORLAT_TOOL_PATH + "' info " + path);
    EXPECT_EQ(result.status, 0) << result.err;
    // An SD file's index, its held data items among it, comes back the same.
    const std::string sd = (dir / "compounds.sdf").string();
    std::filesystem::copy_file(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf", sd);
    const std::string showSd = "show " + sd + " --columns Name,MolWeight,Activity --format csv";
    const Result scanned = RunTool(showSd);
    ASSERT_EQ(scanned.status, 0) << scanned.err;
    result = RunTool("info " + sd);
    EXPECT_NE(result.out.find("(loaded from the saved index"), std::string::npos) << result.out;
    EXPECT_EQ(RunTool(showSd).out, scanned.out);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, Mol2QuenbarAndGroups)
{
    // A Mol2 file written by Open Babel from the SD example (no hydrogens).
    Result result = RunTool(std::string("show '") + VORLAT_TEST_DATA_DIR +
                            "/compounds-openbabel.mol2' --columns Structure,Name --rows 1:2 --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Structure,Name\nCC(=O)Oc1ccccc1C(=O)O,Aspirin\nCn1c(=O)c2c(ncn2C)n(C)c1=O,Caffeine\n");
    result = RunTool(std::string("show '") + VORLAT_EXAMPLES_DATA_DIR +
                     "/compounds.mol2' --columns Name,MolWeight,Activity --rows 12: --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Name,MolWeight,Activity\nAtorvastatin,558.65,active\n");
    result = RunTool(std::string("show '") + VORLAT_EXAMPLES_DATA_DIR +
                     "/compounds-quenbar.txt' --type quenbar --rows 2:2 --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "id,name,mol_weight,logp,activity_class\nVX-0002,Caffeine,194.19,-1.03,inactive\n");

    result = RunTool("group " + Example + " --by activity_class --rank mol_weight --last --columns name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "name\nAtorvastatin\nPenicillin G\nSildenafil\nDiazepam\n");
    result = RunTool("group " + Example + " --by activity_class --members 3 --columns name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "name\nIbuprofen\nNaproxen\nDiazepam\nNicotine\nLidocaine\nSalbutamol\n");
    EXPECT_EQ(RunTool("group " + Example + " --by activity_class --members 99").status, 1);
}

TEST(VorlatCli, CsvDialectsChosenOrFound)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-dialects-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const auto write = [&dir](const std::string& name, const std::string& text) {
        std::ofstream(dir / name, std::ios::binary) << text;
        return "'" + (dir / name).string() + "'";
    };
    // A spreadsheet's export under a European locale: found, and said so.
    const std::string european = write("eu.csv", "Name;MW\r\nAspirin;180,16\r\nCaffeine;194,19\r\n");
    Result result = RunTool("show " + european + " --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "Index,Name,MW\n1,Aspirin,\"180,16\"\n2,Caffeine,\"194,19\"\n");
    EXPECT_NE(result.err.find("with semicolons between fields"), std::string::npos) << result.err;
    // Chosen, the separator is used as given and nothing is said.
    result = RunTool("show " + european + " --separator , --format csv");
    EXPECT_EQ(result.out, "Index,Name;MW\n1,Aspirin;180\n2,Caffeine;194\n");
    EXPECT_EQ(result.err, "");
    // Tab-separated by name, a dump without titles, a comment before them.
    result = RunTool("show " + write("t.tsv", "x\n1\n") + " --format csv");
    EXPECT_EQ(result.out, "Index,x\n1,1\n") << result.err;
    result = RunTool("show " + write("dump.txt", "# exported\n1|a\n2|b|c\n") +
                     " --comment '#' --separator '|' --no-titles --extra-columns --format csv");
    EXPECT_EQ(result.out, "Index,Column 1,Column 2,Column 3\n1,1,a,\n2,2,b,c\n") << result.err;
    // A tab-separated .txt is a Quenbar table when its first line names
    // column types; other tab-separated lines (a spreadsheet's export) could
    // be either: the user says which.
    result = RunTool(std::string("show '") + VORLAT_EXAMPLES_DATA_DIR + "/compounds-quenbar.txt' --rows 1");
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_NE(result.out.find("mol_weight"), std::string::npos) << result.out;
    result = RunTool("show " + write("excel.txt", "Name\tMW\nAspirin\t180\n"));
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("--type quenbar, or --type csv"), std::string::npos) << result.err;
    EXPECT_EQ(RunTool("show " + SdExample + " --no-titles").status, 1);
    EXPECT_EQ(RunTool("show " + european + " --separator :").status, 1);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, ExportEscapesTextAndDrawsStructures)
{
    // A record named with markup characters, a value that is not UTF-8, and
    // a record without a molecule.
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-export-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ifstream example(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf", std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(example)), std::istreambuf_iterator<char>());
    text = text.substr(0, text.find("$$$$\n") + 5);
    text.replace(0, text.find('\n'), "<b>&\"quoted\"'</b>");
    text.insert(text.find(">  <ID>"), "> <Bytes>\n\xFF\xFEok\n\n");
    text += "broken\n\n\n  x\nM  END\n$$$$\n";
    std::ofstream(dir / "odd.sdf", std::ios::binary) << text;

    const Result result = RunTool("export '" + (dir / "odd.sdf").string() + "' --html '" + (dir / "odd.html").string() +
                                  "' --csv '" + (dir / "odd.csv").string() + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string page = VorlatTest::ReadFile(dir / "odd.html");
    EXPECT_NE(page.find("&lt;b&gt;&amp;&quot;quoted&quot;&#39;&lt;/b&gt;"), std::string::npos);
    EXPECT_EQ(page.find("<b>&"), std::string::npos);
    EXPECT_NE(page.find("\xEF\xBF\xBD\xEF\xBF\xBDok"), std::string::npos); // U+FFFD twice
    EXPECT_EQ(std::count(page.begin(), page.end(), '\xFF'), 0);
    std::size_t drawings = 0;
    for (std::size_t at = page.find("<svg"); at != std::string::npos; at = page.find("<svg", at + 1))
        ++drawings;
    EXPECT_EQ(drawings, 1u); // the broken record's cell stays empty
    EXPECT_NE(page.find("<td class=\"mol\"></td>"), std::string::npos);
    // The CSV keeps the file's bytes and quotes what needs it.
    EXPECT_NE(VorlatTest::ReadFile(dir / "odd.csv").find("\"<b>&\"\"quoted\"\"'</b>\""), std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, ExportWritesEveryRowAndThePageSaysWhatItLeavesOut)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-rows-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::string text = "id,v\n";
    for (int i = 1; i <= 700; ++i)
        text += std::to_string(i) + "," + std::to_string(i * 2) + "\n";
    std::ofstream(dir / "long.csv", std::ios::binary) << text;
    const std::string file = "'" + (dir / "long.csv").string() + "'";
    const std::string page = (dir / "long.html").string();

    Result result = RunTool("export " + file + " --csv '" + (dir / "out.csv").string() + "' --html '" + page + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string csv = VorlatTest::ReadFile(dir / "out.csv");
    EXPECT_EQ(std::count(csv.begin(), csv.end(), '\n'), 701);
    EXPECT_NE(result.err.find("the page shows rows 1-500 of 700"), std::string::npos) << result.err;
    const std::string html = VorlatTest::ReadFile(page);
    EXPECT_NE(html.find("700 rows, 3 columns (500 shown; vorlat export --rows writes others)"), std::string::npos);
    // --rows lifts the page's limit; "-" writes to standard output.
    result = RunTool("export " + file + " --rows 1:700 --html '" + page + "' --json -");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(nlohmann::json::parse(result.out).size(), 700u);
    EXPECT_EQ(VorlatTest::ReadFile(page).find("shown"), std::string::npos);
    EXPECT_EQ(RunTool("export " + file + " --csv - --json -").status, 1);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, FilterByExpressionsStructuresAndSort)
{
    // Numbers as numbers, texts as texts, regular expressions, and/or/not.
    Result result = RunTool("filter " + Example +
                            " --where \"mol_weight < 200 and not (logp > 1.32 or name = 'Metformin')\" "
                            "--columns name --format csv");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "name\nAspirin\nCaffeine\nDopamine\nTheophylline\n");
    result = RunTool("filter " + Example + " --where \"name ~ '^[CD]i' and activity_class != 'weak'\" "
                     "--columns name --format csv");
    EXPECT_EQ(result.out, "name\nDiclofenac\nCiprofloxacin\n") << result.err;
    // Substructures in SD structures and in a CSV file's SMILES column;
    // an exact structure written another way.
    result = RunTool("filter " + SdExample + " --smarts 'c1ccccc1C(=O)[OH]' --columns Name --format csv");
    EXPECT_EQ(result.out, "Name\nAspirin\n") << result.err;
    result = RunTool("filter " + Example + " --smarts '[CX4][NX3;H2]' --where 'logp < 1' --columns name --format csv");
    EXPECT_EQ(result.out, "name\nDopamine\n") << result.err;
    // An SD file's records searched on every core give what the same
    // structures give in a Mol2 file, searched one by one.
    const std::string mol2 = std::string("'") + VORLAT_EXAMPLES_DATA_DIR + "/compounds.mol2'";
    for (const char* pattern : {"[#7]", "c1ccccc1", "[CX3](=O)[OX2H1]", "[R2]", "[Cl,F]"}) {
        const Result sd = RunTool("filter " + SdExample + " --smarts '" + pattern + "' --columns Name --format csv");
        EXPECT_EQ(sd.status, 0) << sd.err;
        EXPECT_EQ(sd.out, RunTool("filter " + mol2 + " --smarts '" + pattern + "' --columns Name --format csv").out)
            << pattern;
        EXPECT_GT(std::count(sd.out.begin(), sd.out.end(), '\n'), 1) << pattern;
    }
    result = RunTool("filter " + Example + " --smiles 'OC(=O)c1ccccc1OC(C)=O' --columns name --format csv");
    EXPECT_EQ(result.out, "name\nAspirin\n") << result.err;

    // Sorted by a column with empty cells (last either way), then a slice of
    // the result; titles with spaces in backquotes; "is empty".
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-filter-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    std::ofstream(dir / "assay.csv", std::ios::binary) << "id,IC50 (uM),note\n1,5,\n2,,x\n3,0.5,\n4,50,y\n5,,\n";
    const std::string assay = "'" + (dir / "assay.csv").string() + "'";
    result = RunTool("filter " + assay + " --where 'id > 0' --sort '`IC50 (uM)`:desc' --columns id --format csv");
    EXPECT_EQ(result.status, 1); // --sort takes a title as it is, not in backquotes
    result = RunTool("filter " + assay + " --where 'id > 0' --sort 'IC50 (uM):desc' --columns id --format csv");
    EXPECT_EQ(result.out, "id\n4\n1\n3\n2\n5\n") << result.err;
    result = RunTool("filter " + assay + " --where 'id > 0' --sort 'IC50 (uM)' --rows 1:2 --columns id --format csv");
    EXPECT_EQ(result.out, "id\n3\n1\n") << result.err;
    result = RunTool("filter " + assay + " --where '`IC50 (uM)` is empty and note is not empty' --columns id "
                     "--format csv");
    EXPECT_EQ(result.out, "id\n2\n") << result.err;

    // Errors name the place and what was expected.
    const std::pair<std::string, std::string> errors[] = {
        {"logp < 5", "--where, at 1: column `logp` not found; did you mean `logP`?"},
        {"(logP > 1", "--where, at 10: expected \")\" to close the \"(\" at 1, not the end"},
        {"logP >", "--where, at 7: expected a number or a quoted text after the comparison, not the end"},
        {"logP ~ '('", "is no regular expression"},
        {"logP > 1 logP", "expected \"and\", \"or\" or the end"},
    };
    std::ofstream(dir / "p.csv", std::ios::binary) << "logP,x\n1,2\n";
    for (const auto& [where, message] : errors) {
        result = RunTool("filter '" + (dir / "p.csv").string() + "' --where \"" + where + "\"");
        EXPECT_EQ(result.status, 1) << where;
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
    EXPECT_NE(RunTool("filter " + Example + " --smarts 'C(('").err.find("--smarts: \"C((\" is no SMARTS"),
              std::string::npos);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, SdExportCopiesRecordsAndWritesOthers)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-sdf-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string out = (dir / "out.sdf").string();
    const auto body = [](const Result& result) { return result.out.substr(result.out.find('\n') + 1); };

    // SD records byte for byte, CR LF kept; a last record cut after its
    // last value gets the empty line, "$$$$" and line ends it lacks, in the
    // file's line ends.
    std::string sd = VorlatTest::ReadFile(std::string(VORLAT_EXAMPLES_DATA_DIR) + "/compounds.sdf");
    std::string crlf;
    for (const char c : sd)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    crlf.erase(crlf.rfind("$$$$"));
    crlf.resize(crlf.size() - 4); // and the empty line and line end before it
    std::ofstream(dir / "in.sdf", std::ios::binary) << crlf;
    const std::string in = "'" + (dir / "in.sdf").string() + "'";
    Result result = RunTool("export " + in + " --rows 11: --sdf '" + out + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string written = VorlatTest::ReadFile(out);
    const std::size_t start = crlf.find("Sildenafil");
    ASSERT_NE(start, std::string::npos);
    EXPECT_EQ(written.substr(written.size() - 18), "\r\nactive\r\n\r\n$$$$\r\n");
    EXPECT_EQ(written, crlf.substr(start) + "\r\n\r\n$$$$\r\n");
    EXPECT_EQ(body(RunTool("show '" + out + "' --columns Name,ID,MolWeight --format csv")),
              body(RunTool("show " + in + " --rows 11: --columns Name,ID,MolWeight --format csv")));

    // A CSV file's SMILES and cells, and Mol2 structures, read back the same.
    result = RunTool("export " + Example + " --sdf '" + out + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(body(RunTool("show '" + out + "' --columns Structure,Name,id,mol_weight,logp --format csv")),
              body(RunTool("show " + Example + " --columns smiles,name,id,mol_weight,logp --format csv")));
    const std::string mol2 = std::string("'") + VORLAT_EXAMPLES_DATA_DIR + "/compounds.mol2'";
    result = RunTool("export " + mol2 + " --sdf -");
    ASSERT_EQ(result.status, 0) << result.err;
    std::ofstream(dir / "from-mol2.sdf", std::ios::binary) << result.out;
    EXPECT_EQ(body(RunTool("show '" + (dir / "from-mol2.sdf").string() +
                           "' --columns Structure,Name,MolWeight,Activity --format csv")),
              body(RunTool("show " + mol2 + " --columns Structure,Name,MolWeight,Activity --format csv")));
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, XlsxWorkbooksAndPagesDrawStructures)
{
    const auto dir = std::filesystem::temp_directory_path() / ("vorlat-xlsx-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir);
    const std::string book = (dir / "c.xlsx").string();
    // Read back with unzip: the sheet, and the pictures.
    const auto unzip = [&dir](const std::string& arguments) {
        const std::string listing = (dir / "listing").string();
        EXPECT_EQ(std::system(("unzip " + arguments + " > '" + listing + "' 2>&1").c_str()), 0) << arguments;
        return VorlatTest::ReadFile(listing);
    };
    const auto count = [](const std::string& text, const std::string& what) {
        std::size_t n = 0;
        for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
            ++n;
        return n;
    };
    Result result = RunTool("export " + SdExample + " --xlsx '" + book + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    const std::string sheet = unzip("-p '" + book + "' xl/worksheets/sheet1.xml");
    EXPECT_NE(sheet.find("<pane ySplit=\"1\" topLeftCell=\"A2\" activePane=\"bottomLeft\" state=\"frozen\"/>"),
              std::string::npos);
    EXPECT_NE(sheet.find("<c r=\"E2\"><v>180.16</v></c>"), std::string::npos); // a number, as the file has it
    EXPECT_NE(sheet.find("<t>VX-0001</t>"), std::string::npos);
    EXPECT_EQ(count(unzip("-l '" + book + "'"), "xl/media/image"), 12u);
    EXPECT_EQ(unzip("-p '" + book + "' xl/media/image1.png").substr(0, 4), "\x89PNG");
    // A CSV file's SMILES column is drawn too, in the workbook and on a page.
    result = RunTool("export " + Example + " --xlsx '" + book + "' --html '" + (dir / "c.html").string() + "'");
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(count(unzip("-l '" + book + "'"), "xl/media/image"), 30u);
    EXPECT_EQ(count(VorlatTest::ReadFile(dir / "c.html"), "<svg"), 30u);
    EXPECT_EQ(RunTool("export " + Example + " --xlsx -").status, 1);
    std::filesystem::remove_all(dir);
}

TEST(VorlatCli, BadInputGivesOneLineAndStatus1)
{
    struct Case {
        std::string arguments;
        std::string message;
    };
    const Case cases[] = {
        {"show /no/such/file.csv", "cannot open /no/such/file.csv: No such file or directory"},
        {"show /tmp --type csv", "it is a directory"},
        {"show /etc/hostname", "cannot tell the type"},
        {"info /dev/null --type sd", "cannot read /dev/null: Unable to process file. Please check the file and try again."},
        {"info /dev/null --type mol2", "cannot read /dev/null: Invalid Sybyl MOL2 format."},
        {"export " + Example + " --html /no/such/dir/page.html", "cannot write /no/such/dir/page.html: "},
        {"show " + Example + " --columns nope", "no column \"nope\"; the columns are: Index, "},
        {"show " + Example + " --rows x:y", "--rows takes A:B"},
        {"show " + Example + " --rows 40:50", "--rows 40:50: the table has 30 rows (1:30)"},
    };
    for (const Case& c : cases) {
        const Result result = RunTool(c.arguments);
        EXPECT_EQ(result.status, 1) << c.arguments;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(std::count(result.err.begin(), result.err.end(), '\n'), 1) << result.err;
    }
    EXPECT_EQ(RunTool("show --format xml").status, 2);
    EXPECT_EQ(RunTool("--threads 0 info " + SdExample).status, 2);
    // The thread count changes how a file is read, never what it holds.
    const auto table = [](const Result& result) { return result.out.substr(0, result.out.find("index time")); };
    const Result one = RunTool("--threads 1 info --no-cache " + SdExample);
    EXPECT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(table(one), table(RunTool("info --no-cache " + SdExample)));
    // A mistyped option names the one meant.
    const Result typo = RunTool("show " + Example + " --row 1:3");
    EXPECT_EQ(typo.status, 2);
    EXPECT_EQ(typo.err, "vorlat: unknown option --row; did you mean --rows?\n");
}
