// Records that used to lose data while reporting success: end lines with
// trailing blanks, odd data item headers, records the toolkit refuses, and
// structure pointers of records without a structure.
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/StdInputStream.h"
#include "host/StringConversion.h"
#include "molecule/SdFixtures.h"

using VorlatImportExport::SDDataProvider;
using VorlatImportExport::TableDataUtil;
using VorlatTest::SdFile;
using VorlatTest::SdRecord;

namespace {

const int AllHeld = 1046527;

// The kind and text of a value, structures as the name and atom count of
// their molecule ("none" for a document without one).
std::string Describe(const boost::any& value)
{
    if (value.type() == typeid(Chem::ChemDoc*)) {
        Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(value);
        Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
        const auto* molecule = static_cast<const Chem::Molecule*>(molecules.GetNext());
        return molecule ? "structure:" + molecule->GetName() + "/" + std::to_string(molecule->GetAtomCount())
                        : "structure:none";
    }
    const std::wstring text = TableDataUtil::BoostAny2WString(value);
    const char* kind = value.empty() ? "empty" : value.type() == typeid(int) ? "int" : "text";
    return std::string(kind) + ":" + Host::ToSString(text);
}

std::vector<std::string> Titles(SDDataProvider& p)
{
    std::vector<std::string> titles;
    for (int c = 0; c < p.GetColumnCount(); ++c)
        titles.push_back(Host::ToSString(p.GetColumnTitle(c)));
    return titles;
}

std::string WithLineEnds(const std::string& lf, const std::string& end)
{
    std::string text;
    for (char c : lf)
        text += c == '\n' ? end : std::string(1, c);
    return text;
}

// The record with its last atom's symbol replaced by one the toolkit does
// not know, so that it refuses the structure.
std::string Refused(const std::string& name, const std::vector<std::pair<std::string, std::string>>& items)
{
    std::string text = SdRecord(name, items);
    text.replace(text.find(" O   0"), 4, " Xx ");
    return text;
}

std::string ZeroAtoms(const std::string& name, const std::string& value)
{
    return name + "\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\n" + value + "\n\n$$$$\n";
}

} // namespace

TEST(SDRecordEnds, EndLinesWithTrailingBlanksEndTheRecordInScanAndCopy)
{
    // End lines with blanks after "$$$$" (runs longer than the scan's
    // look-ahead too), in records of many sizes, so that they fall against
    // the scan's buffer edges and the copy's blocks.
    const std::vector<std::string> ends{"$$$$ ", "$$$$\t", "$$$$", "$$$$ \t  ", "$$$$" + std::string(40, ' ')};
    std::vector<std::string> records;
    for (int i = 0; i < 300; ++i)
        records.push_back(SdRecord("N" + std::to_string(i), {{"P", std::string(i * 37 % 500, 'x')}}, false) +
                          ends[static_cast<std::size_t>(i) % ends.size()] + "\n");
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
        std::string text;
        std::vector<std::size_t> offsets;
        for (const std::string& record : records) {
            offsets.push_back(text.size());
            text += WithLineEnds(record, lineEnd);
        }
        offsets.push_back(text.size());
        for (int held : {AllHeld, 7, 0}) {
            SdFile sd(text, held);
            auto& p = sd.provider;
            ASSERT_EQ(p.GetRowCount(), 300) << held;
            for (int i = 0; i < 300; ++i) {
                const std::size_t row = static_cast<std::size_t>(i);
                ASSERT_EQ(p.GetMoleculeOffset(i), static_cast<std::int64_t>(offsets[row])) << held << " " << i;
                // The copy for parsing ends where the scan says the record does.
                p.SeekToRecord(i);
                std::string copied;
                ASSERT_TRUE(p.LoadMolecule(copied));
                ASSERT_EQ(copied, text.substr(offsets[row], offsets[row + 1] - offsets[row])) << held << " " << i;
                ASSERT_EQ(Describe(p.GetCellData(i, 1)), "text:N" + std::to_string(i)) << held;
            }
            EXPECT_EQ(Describe(p.GetCellData(151, 0)), "structure:N151/3");
            if (held > 0) {
                EXPECT_EQ(Describe(p.GetCellData(1, 3)), "text:" + std::string(37, 'x'));
            }
        }
    }

    // A value that runs into such an end line is broken as it is before
    // "$$$$": the index refuses the file; a parsed record's value stops there.
    const std::string broken = "B\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\nv\n$$$$ \t\n";
    std::istringstream file(broken), scanned(broken);
    Host::NullProgressMonitor monitor;
    EXPECT_THROW(SDDataProvider(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor),
                 Host::OrvixException);
    SdFile parsed(SdRecord("A", {{"P", "first"}}) + broken + SdRecord("C", {{"P", "third"}}), 1);
    ASSERT_EQ(parsed.provider.GetRowCount(), 3);
    EXPECT_EQ(Describe(parsed.provider.GetCellData(1, 3)), "text:v");
    EXPECT_EQ(Describe(parsed.provider.GetCellData(2, 3)), "text:third");
}

TEST(SDRecordEnds, CopyEndsAtTheEndLineWhateverSizeTheIndexGives)
{
    // The copy asks for a record's size in the index in one read; the end
    // line still decides where it ends. Here the file changed after it was
    // indexed: each record is longer or shorter than the index says, some
    // longer than the copy's 4096-byte blocks, with every kind of line end.
    const auto file = [](const std::vector<std::size_t>& sizes, const std::string& lineEnd) {
        std::string text;
        for (std::size_t size : sizes)
            text += WithLineEnds(SdRecord("R", {{"P", std::string(size, 'x')}}), lineEnd);
        return text;
    };
    // The bytes from offset up to and including the first end line (or to
    // the end of the text).
    const auto expected = [](const std::string& text, std::size_t offset) {
        for (std::size_t start = offset; start < text.size();) {
            std::size_t end = text.find_first_of("\r\n", start);
            if (end == std::string::npos)
                break;
            const std::string line = text.substr(start, end - start);
            end += text.compare(end, 2, "\r\n") == 0 ? 2 : 1;
            if (line.rfind("$$$$", 0) == 0)
                return text.substr(offset, end - offset);
            start = end;
        }
        return text.substr(offset);
    };
    for (const std::string lineEnd : {"\n", "\r\n", "\r"}) {
        const std::string indexed = file({10, 5000, 300, 9000, 4000, 50}, lineEnd);
        const std::string changed = file({4000, 20, 8200, 100, 4100, 3900}, lineEnd);
        std::istringstream read(changed), scanned(indexed);
        Host::NullProgressMonitor monitor;
        SdFile::Provider p(read, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor,
                           AllHeld);
        ASSERT_EQ(p.GetRowCount(), 6);
        for (int row = 0; row < 6; ++row) {
            p.SeekToRecord(row);
            const std::size_t offset = static_cast<std::size_t>(p.GetMoleculeOffset(row));
            std::string copied;
            ASSERT_EQ(p.LoadMolecule(copied), offset < changed.size()) << row;
            EXPECT_EQ(copied, offset < changed.size() ? expected(changed, offset) : "") << lineEnd.size() << " " << row;
        }
    }
}

TEST(SDDataItems, NamelessItemsAreLeftOutAndDollarSignsInNamesKept)
{
    // Headers without a name ("> <>", ">" alone, ">" and blanks) make no
    // column and take their value lines with them; a name holding "$$$$" is
    // a name, since only a whole "$$$$" line ends a record.
    std::string bare = SdRecord("B", {{"P", "2"}});
    bare.insert(bare.find("> <P>"), ">\nlost\n\n>  \t\nlost too\n\n");
    const std::string text = SdRecord("A", {{"", "lost"}, {"P", "1"}}) + bare +
                             SdRecord("C", {{"X$$$$", "kept"}, {"P", "3"}, {"$$$$", "dollars"}});
    // The file twice: the first copy held, the second parsed under the same
    // columns; each row read before and after its structure.
    SdFile sd(text + text, 3);
    auto& p = sd.provider;
    ASSERT_EQ(p.GetRowCount(), 6);
    EXPECT_EQ(Titles(p), (std::vector<std::string>{"Structure", "Name", "Index", "P", "X$$$$", "$$$$"}));
    const char* const names[] = {"A", "B", "C"};
    for (int pass = 0; pass < 2; ++pass) {
        for (int row = 0; row < 6; ++row) {
            const int k = row % 3;
            SCOPED_TRACE("row " + std::to_string(row) + ", pass " + std::to_string(pass));
            EXPECT_EQ(Describe(p.GetCellData(row, 1)), std::string("text:") + names[k]);
            EXPECT_EQ(Describe(p.GetCellData(row, 3)), "int:" + std::to_string(k + 1));
            EXPECT_EQ(Describe(p.GetCellData(row, 4)), k == 2 ? "text:kept" : "empty:");
            EXPECT_EQ(Describe(p.GetCellData(row, 5)), k == 2 ? "text:dollars" : "empty:");
            EXPECT_EQ(Describe(p.GetCellData(row, 0)), std::string("structure:") + names[k] + "/3");
        }
    }
}

TEST(SDRefusedRecords, KeepTheirNameAndItemsWithAnEmptyStructure)
{
    // A record the toolkit refuses shows the same name and items while only
    // indexed, once parsed for its items, and after its structure was read,
    // held or not; its structure is a molecule without atoms, like a record
    // of 0 atoms.
    const std::string text = Refused("Refused", {{"P", "5"}}) + Refused("", {{"P", "6"}}) +
                             SdRecord("Normal", {{"P", "7"}}) + ZeroAtoms("Empty", "8");
    struct Expected {
        const char* name;
        int atoms;
    };
    const Expected expected[] = {{"Refused", 0}, {"Molecule-2", 0}, {"Normal", 3}, {"Empty", 0}};
    for (bool structureFirst : {false, true}) {
        SdFile sd(text + text, 4);
        auto& p = sd.provider;
        ASSERT_EQ(p.GetRowCount(), 8);
        for (int row = 0; row < 8; ++row) {
            const Expected& e = expected[row % 4];
            // The parsed copy's unnamed record is named after its own row.
            const std::string name = row == 5 ? "Molecule-6" : e.name;
            SCOPED_TRACE("row " + std::to_string(row) + (structureFirst ? ", structure first" : ""));
            const std::string structure = "structure:" + name + "/" + std::to_string(e.atoms);
            if (structureFirst) {
                EXPECT_EQ(Describe(p.GetCellData(row, 0)), structure);
            }
            for (int pass = 0; pass < 2; ++pass) {
                EXPECT_EQ(Describe(p.GetCellData(row, 1)), "text:" + name);
                EXPECT_EQ(Describe(p.GetCellData(row, 3)), "int:" + std::to_string(5 + row % 4));
                EXPECT_EQ(Describe(p.GetCellData(row, 0)), structure);
            }
        }
    }
}

TEST(SDStructurePointers, StayValidWhileTheRecordIsCached)
{
    // A structure is parsed once while its record is cached, whatever it
    // holds: a pointer handed out earlier stays usable. A record parsed for
    // its items first is parsed once more, fully, for its structure.
    const std::string text = ZeroAtoms("Empty", "1") + Refused("Refused", {{"P", "2"}}) +
                             SdRecord("Normal", {{"P", "3"}});
    const char* const names[] = {"Empty", "Refused", "Normal"};
    for (int held : {AllHeld, 0}) {
        SdFile sd(text, held);
        auto& p = sd.provider;
        ASSERT_EQ(p.GetRowCount(), 3);
        std::vector<Chem::ChemDoc*> kept;
        for (int read = 0; read < 3; ++read) {
            for (int row = 0; row < 3; ++row) {
                if (read == 0)
                    p.GetCellData(row, 1);
                kept.push_back(boost::any_cast<Chem::ChemDoc*>(p.GetCellData(row, 0)));
            }
        }
        for (std::size_t i = 0; i < kept.size(); ++i) {
            EXPECT_EQ(kept[i], kept[i % 3]) << held << " " << i;
            EXPECT_EQ(Chem::GetMoleculeName(kept[i]), Host::ToWString(names[i % 3])) << held << " " << i;
        }
        EXPECT_EQ(Describe(p.GetCellData(2, 0)), "structure:Normal/3");
    }
}
