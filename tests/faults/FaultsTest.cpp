#include <algorithm>
#include <filesystem>
#include <functional>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <streambuf>
#include <string>

#include <gtest/gtest.h>

#include "support/PipeBuffer.h"

#include "host/Exception.h"
#include "host/StdInputStream.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "molecule/SdFixtures.h"
#include "text/CsvDataProvider.h"
#include "text/QuenbarDataProvider.h"

namespace {

// A stream buffer over text that hands out 16 bytes at a time and fails with
// a read error (not an end of file) once failAt bytes are read.
class FailingBuffer : public std::streambuf {
public:
    FailingBuffer(std::string text, std::size_t failAt) : m_Text(std::move(text)), m_FailAt(failAt)
    {
        setg(m_Text.data(), m_Text.data(), m_Text.data());
    }

protected:
    int_type underflow() override
    {
        if (gptr() < egptr())
            return traits_type::to_int_type(*gptr());
        const std::size_t at = static_cast<std::size_t>(egptr() - m_Text.data());
        if (at >= m_Text.size())
            return traits_type::eof();
        if (at >= m_FailAt)
            throw std::runtime_error("read error");
        const std::size_t n = std::min<std::size_t>(16, m_Text.size() - at);
        setg(m_Text.data(), m_Text.data() + at, m_Text.data() + at + n);
        return traits_type::to_int_type(*gptr());
    }
    pos_type seekoff(off_type offset, std::ios::seekdir way, std::ios::openmode mode) override
    {
        const off_type base = way == std::ios::beg   ? 0
                              : way == std::ios::cur ? static_cast<off_type>(gptr() - m_Text.data())
                                                     : static_cast<off_type>(m_Text.size());
        return seekpos(pos_type(base + offset), mode);
    }
    pos_type seekpos(pos_type position, std::ios::openmode) override
    {
        const off_type at = position;
        if (at < 0 || at > static_cast<off_type>(m_Text.size()))
            return pos_type(off_type(-1));
        setg(m_Text.data(), m_Text.data() + at, m_Text.data() + at);
        return position;
    }

private:
    std::string m_Text;
    std::size_t m_FailAt;
};

std::wstring Refusal(const std::function<void()>& open)
{
    try {
        open();
    } catch (const Host::OrvixException& e) {
        return e.GetWideMessage();
    }
    return L"accepted";
}

std::string Mol2Record(const std::string& name)
{
    return "@<TRIPOS>MOLECULE\n" + name + "\n 1 0 0 0 0\nSMALL\n\n@<TRIPOS>ATOM\n      1 C1 0.0 0.0 0.0 C.3\n";
}

} // namespace

TEST(Faults, ReadErrorWhileIndexingIsRefused)
{
    // Large enough that the error comes after several full reads.
    std::string csv = "a,b\n", quenbar = "s\ts\na\tb\n", sd, mol2;
    for (int i = 0; i < 2000; ++i) {
        csv += std::to_string(i) + ",x\n";
        quenbar += std::to_string(i) + "\tx\n";
        sd += VorlatTest::SdRecord("R" + std::to_string(i), {{"P", "1"}});
        mol2 += Mol2Record("M" + std::to_string(i));
    }
    {
        FailingBuffer buffer(csv, csv.size() / 2);
        std::istream stream(&buffer);
        EXPECT_EQ(Refusal([&] { VorlatImportExport::CsvDataProvider p(stream); }), L"Unable to read file.");
    }
    {
        FailingBuffer buffer(quenbar, quenbar.size() / 2);
        std::istream stream(&buffer);
        EXPECT_EQ(Refusal([&] { VorlatImportExport::QuenbarDataProvider p(stream); }), L"Unable to read file.");
    }
    {
        std::istringstream file(sd);
        FailingBuffer buffer(sd, sd.size() / 2);
        std::istream scanned(&buffer);
        Host::NullProgressMonitor monitor;
        EXPECT_EQ(Refusal([&] {
                      VorlatImportExport::SDDataProvider p(
                          file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
                  }),
                  L"Unable to process file.\nPlease check the file and try again.");
    }
    {
        std::istringstream file(mol2);
        FailingBuffer buffer(mol2, mol2.size() / 2);
        std::istream scanned(&buffer);
        Host::NullProgressMonitor monitor;
        EXPECT_EQ(Refusal([&] {
                      VorlatImportExport::Mol2DataProvider p(
                          file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
                  }),
                  L"Unknown error reading SYBYL Mol2 file.");
    }
    // The same files read whole are accepted.
    FailingBuffer whole(csv, csv.size() + 1);
    std::istream stream(&whole);
    EXPECT_EQ(VorlatImportExport::CsvDataProvider(stream).GetRowCount(), 2000);
}

TEST(Faults, FilesThatChangeAfterIndexing)
{
    const std::string path = testing::TempDir() + "/changing.csv";
    std::ofstream(path, std::ios::binary) << "a,b\n1,x\n2,y\n3,z\n";
    std::ifstream in(path, std::ios::binary);
    VorlatImportExport::CsvDataProvider p(in);
    ASSERT_EQ(p.GetRowCount(), 3);
    // Grown: the table keeps the rows of its index.
    std::ofstream(path, std::ios::binary | std::ios::app) << "4,w\n5,v\n";
    EXPECT_EQ(p.GetRowCount(), 3);
    EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(2, 2)), L"z");
    // Shrunk: the rows past the end read as no value, the others as they are.
    std::filesystem::resize_file(path, 8);
    EXPECT_TRUE(p.GetCellData(1, 1).empty());
    EXPECT_TRUE(p.GetCellData(2, 2).empty());
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 1)), 1);
    // Replaced by something else entirely: no crash, rows give what is there.
    std::ofstream(path, std::ios::binary | std::ios::trunc) << "completely different\n";
    for (int row = 0; row < 3; ++row)
        p.GetCellData(row, 2);
    std::filesystem::remove(path);
}

TEST(Faults, CancellationAtEveryPlaceLeavesNothingBehind)
{
    std::string sd, mol2;
    for (int i = 0; i < 20; ++i) {
        sd += VorlatTest::SdRecord("R" + std::to_string(i), {{"P", "1"}});
        mol2 += Mol2Record("M" + std::to_string(i));
    }
    // The SD scan asks once per record (20 times), the Mol2 scan once per
    // marker after the first (19 times): the first, a middle and the last.
    for (int after : {0, 9, 18}) {
        VorlatTest::CountingMonitor monitor;
        monitor.cancelAfter = after;
        std::istringstream file(sd), scanned(sd);
        EXPECT_THROW(VorlatImportExport::SDDataProvider(
                         file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor),
                     Host::CancellationException)
            << after;
        VorlatTest::CountingMonitor monitor2;
        monitor2.cancelAfter = after;
        std::istringstream file2(mol2), scanned2(mol2);
        EXPECT_THROW(VorlatImportExport::Mol2DataProvider(
                         file2, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned2)), monitor2),
                     Host::CancellationException)
            << after;
    }
}

TEST(Faults, TenMillionEmptyLines)
{
    std::istringstream stream("title\n" + std::string(10000000, '\n'));
    VorlatImportExport::CsvDataProvider p(stream);
    ASSERT_EQ(p.GetRowCount(), 10000000);
    EXPECT_EQ(boost::any_cast<int>(p.GetCellData(9999999, 0)), 10000000);
    EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(9999999, 1)), L"");
}

TEST(Faults, LinesOfTwoHundredMegabytes)
{
    const std::size_t size = 200u << 20;
    {
        std::string text = "a,b\nx,";
        text.append(size, 'y');
        text += "\nlast,1\n";
        std::istringstream stream(text);
        VorlatImportExport::CsvDataProvider p(stream);
        ASSERT_EQ(p.GetRowCount(), 2);
        EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(0, 1)), L"x");
        EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 2)), 1);
    }
    {
        std::string text = VorlatTest::SdRecord("big", {{"P", std::string(size, 'v')}, {"Q", "2"}});
        text += VorlatTest::SdRecord("small", {{"Q", "3"}});
        std::istringstream file(text), scanned(text);
        Host::NullProgressMonitor monitor;
        VorlatImportExport::SDDataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)),
                                             monitor);
        ASSERT_EQ(p.GetRowCount(), 2);
        EXPECT_EQ(boost::any_cast<int>(p.GetCellData(0, 4)), 2);
        EXPECT_EQ(boost::any_cast<int>(p.GetCellData(1, 4)), 3);
        EXPECT_EQ(boost::any_cast<std::wstring>(p.GetCellData(1, 1)), L"small");
    }
}

TEST(Faults, InputsTheFuzzersFound)
{
    // Query bonds that RDKit's molfile reader builds and then drops when it
    // refuses the record (its own leak, suppressed for the sanitizers).
    std::ifstream in(std::string(VORLAT_TEST_DATA_DIR) + "/fuzz-sd-query-bonds.sdf", std::ios::binary);
    std::stringstream bytes;
    bytes << in.rdbuf();
    const std::string text = bytes.str();
    std::istringstream file(text), scanned(text);
    Host::NullProgressMonitor monitor;
    try {
        VorlatImportExport::SDDataProvider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)),
                                             monitor);
        for (int row = 0; row < p.GetRowCount(); ++row)
            for (int column = 0; column < p.GetColumnCount(); ++column)
                p.GetCellData(row, column);
    } catch (const Host::OrvixException&) {
    }
}

TEST(Faults, StreamsThatCannotSeekAreRefusedByEveryReader)
{
    const std::wstring refused = L"The file cannot be read at random positions: it is a pipe or another stream that "
                                 L"cannot seek. Save it to a file first.";
    const std::string sd = VorlatTest::SdRecord("A", {{"P", "1"}});
    const std::string mol2 = Mol2Record("M");
    VorlatTest::PipeBuffer csvPipe("a,b\n1,2\n"), quenbarPipe("a\tb\nA\tB\n1\t2\n");
    std::istream csv(&csvPipe), quenbar(&quenbarPipe);
    EXPECT_EQ(Refusal([&] { VorlatImportExport::CsvDataProvider p(csv); }), refused);
    EXPECT_EQ(Refusal([&] { VorlatImportExport::QuenbarDataProvider p(quenbar); }), refused);
    for (const bool pipedFile : {true, false}) {
        // Either of the molecule readers' two streams may be the pipe.
        VorlatTest::PipeBuffer sdPipe(sd), mol2Pipe(mol2);
        std::istream sdPiped(&sdPipe), mol2Piped(&mol2Pipe);
        std::istringstream sdText(sd), mol2Text(mol2);
        std::istream& sdFile = pipedFile ? sdPiped : sdText;
        std::istream& sdScanned = pipedFile ? static_cast<std::istream&>(sdText) : sdPiped;
        std::istream& mol2File = pipedFile ? mol2Piped : mol2Text;
        std::istream& mol2Scanned = pipedFile ? static_cast<std::istream&>(mol2Text) : mol2Piped;
        Host::NullProgressMonitor monitor;
        EXPECT_EQ(Refusal([&] {
                      VorlatImportExport::SDDataProvider p(
                          sdFile, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(sdScanned)), monitor);
                  }),
                  refused);
        EXPECT_EQ(Refusal([&] {
                      VorlatImportExport::Mol2DataProvider p(
                          mol2File, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(mol2Scanned)),
                          monitor);
                  }),
                  refused);
    }
}
