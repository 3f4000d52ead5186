// The Mol2 index made on several threads, range by range, against the one
// made on one: the same rows, offsets, columns, held blocks and refusals, on
// files whose markers fall anywhere against the ranges' edges.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "host/Exception.h"
#include "host/StdInputStream.h"
#include "host/StringConversion.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SdFixtures.h"
#include "support/Files.h"
#include "support/IndexSettings.h"

using VorlatImportExport::Mol2DataProvider;
using VorlatTest::IndexSettings;
using VorlatTest::WithLineEnds;

namespace {

// Everything the index gives, as text, or the refusal's message.
std::string IndexOf(const std::string& text, int held)
{
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    std::ostringstream out;
    try {
        Mol2DataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
        if (held != 1046527) {
            p.SetPropertyCacheSize(held);
            if (!p.Initialize(monitor))
                return "not indexed";
        }
        out << VorlatTest::IndexText(p);
    } catch (const Host::OrvixException& e) {
        out << "refused: " << Host::ToSString(e.GetWideMessage());
    }
    return out.str();
}

std::string Block(const std::string& name, const std::string& value)
{
    return "@<ZENTROVA>MOL_PROPERTY\n" + name + "\nstring\n" + value + "\n\n";
}

// Records with every kind of trouble the scan knows: markers after and
// before blanks, "@" inside lines, marker lines as names and as block
// names, empty names, blocks named "Name" and "Index", long and commented
// values, values ended by a marker line, formal-charge sections.
std::string Records(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) {
        text += i % 6 == 1 ? "  @<TRIPOS>MOLECULE \t\n" : "@<TRIPOS>MOLECULE\n";
        text += i % 7 == 0 ? "\n" : i % 11 == 3 ? "@<TRIPOS>MOLECULE\n" : "  m" + std::to_string(i) + " \n";
        text += " 2 1 0 0 0\nSMALL\nNO_CHARGES\n\n@<TRIPOS>ATOM\n"
                "      1 C1 0.0 0.0 0.0 C.3 1 MOL 0.0\n      2 O2 1.4 0.0 0.0 O.3 1 MOL 0.0\n"
                "  @<TRIPOS>BOND\n     1 1 2 1\n";
        if (i % 5 == 2)
            text += "a line with @<TRIPOS>MOLECULE inside\n";
        text += Block("ID", std::to_string(i));
        text += Block(i % 3 ? "A" : "B", "x @ y");
        if (i % 4 == 1)
            text += Block("Note", "#comment\n1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12\n13");
        if (i % 9 == 5)
            text += "@<ZENTROVA>MOL_PROPERTY\n@<TRIPOS>MOLECULE\nstring\nhidden\n\n";
        if (i % 10 == 7)
            text += Block("Name", "given") + Block("Index", "ix" + std::to_string(i));
        if (i % 13 == 8)
            text += "@<ZENTROVA>MOL_PROPERTY\nCut\nstring\nends at a marker\n  @<TRIPOS>SUBSTRUCTURE\n";
        if (i % 17 == 12)
            text += "@<TRIPOS>UNITY_ATOM_ATTR\n1 1\ncharge 0\n";
    }
    return text;
}

std::vector<std::string> TroubleFiles()
{
    std::vector<std::string> files;
    const std::string records = Records(45);
    files.push_back(records);
    files.push_back("text before any record\n@<TRIPOS>ATOM\n" + records + "text after\n");
    files.push_back(WithLineEnds(records, "\r\n"));
    files.push_back(WithLineEnds(records, "\r"));
    // A block without its second line, early and late; a file cut in a block.
    const std::string broken = "@<TRIPOS>MOLECULE\nbroken\n@<ZENTROVA>MOL_PROPERTY\nP\n\nvalue\n\n";
    files.push_back(broken + records);
    files.push_back(records + broken + records);
    files.push_back(records + "@<ZENTROVA>MOL_PROPERTY\nP");
    // No record at all; one long record; binary bytes.
    files.push_back(std::string(3000, '@') + "\n@<TRIPOS>MOLECULE2\n");
    files.push_back("@<TRIPOS>MOLECULE\none\n" + std::string(5000, ' ') + "x\n" + Block("P", "1"));
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    files.push_back(garbage + records);
    return files;
}

} // namespace

TEST(Mol2IndexThreads, RangesGiveTheOneThreadIndex)
{
    VorlatTest::ExpectRangesGiveTheOneThreadIndex(TroubleFiles(), {1046527, 0, 1, 20, 44}, {53, 400, 1777}, IndexOf);
}

TEST(Mol2IndexThreads, NamesAndIndexesOfRecordsInLaterRanges)
{
    // Records read by another thread know their numbers only once merged:
    // an empty name still becomes "Molecule-" and the row's number, and a
    // block named "Name" or "Index" (even an empty one) still wins.
    std::string text = Records(45);
    text += "@<TRIPOS>MOLECULE\n\n" + Block("Name", "") + "@<TRIPOS>MOLECULE\n \t\n";
    IndexSettings settings(2, 300);
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    Mol2DataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
    ASSERT_EQ(p.GetRowCount(), 47);
    const auto item = [&p](int row, const std::string& name) {
        std::string value;
        EXPECT_TRUE(p.GetMolProperty(row, name, value)) << row << " " << name;
        return value;
    };
    EXPECT_EQ(item(42, "Name"), "Molecule-43");
    EXPECT_EQ(item(42, "Index"), "42");
    EXPECT_EQ(item(37, "Name"), "given");
    EXPECT_EQ(item(37, "Index"), "ix37");
    EXPECT_EQ(item(38, "Name"), "m38");
    EXPECT_EQ(item(45, "Name"), "");
    EXPECT_EQ(item(46, "Name"), "Molecule-47");
}
