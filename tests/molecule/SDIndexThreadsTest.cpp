// The SD index made on several threads, range by range, against the one
// made on one: the same rows, offsets, columns, held items and refusals, on
// files whose record ends fall anywhere against the ranges' edges.
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "SdFixtures.h"
#include "host/Exception.h"
#include "host/StringConversion.h"
#include "index/IndexOptions.h"
#include "support/Files.h"
#include "support/IndexSettings.h"

using VorlatTest::SdRecord;
using VorlatImportExport::IndexOptions;
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
        VorlatTest::SdFile::Provider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)),
                                       monitor, held);
        out << VorlatTest::IndexText(p);
    } catch (const std::runtime_error&) {
        out << "not indexed";
    } catch (const Host::OrvixException& e) {
        out << "refused: " << Host::ToSString(e.GetWideMessage());
    }
    return out.str();
}

// Files of many small records with every kind of trouble the scan knows:
// end lines with blanks, "$$$$" and ">" inside text, names that look like
// markers, empty names, records without structure end, items without names
// or values, values that run into an end line, text after the last record.
std::vector<std::string> TroubleFiles()
{
    std::vector<std::string> files;
    std::string mixed;
    for (int i = 0; i < 60; ++i) {
        std::string record = SdRecord(i % 7 == 0 ? "" : i % 11 == 0 ? "$$$$" : "R" + std::to_string(i),
                                      {{"ID", std::to_string(i)}, {i % 3 ? "A" : "B", "x $$$$ y"},
                                       {"Note", i % 5 ? "> 3" : "1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n11\n12"}});
        if (i % 9 == 4)
            record.replace(record.rfind("$$$$"), 4, "$$$$  \t");
        if (i % 13 == 6)
            record.insert(record.find("M  END"), "> <Early>\nearly\n\n");
        if (i % 17 == 8)
            record.replace(record.find("M  END"), 6, "M  CHG");
        if (i % 19 == 9)
            record.insert(record.rfind("$$$$"), ">\n\n> <Empty>\n\n");
        mixed += record;
    }
    files.push_back(mixed);
    files.push_back(mixed + "trailing text without a marker\n");
    files.push_back(mixed + "last\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\nv");
    // A value that runs into an end line, early and late.
    const std::string broken = "B\n\n\n  0  0  0  0  0  0  0  0  0  0999 V2000\nM  END\n> <P>\nv\n$$$$\n";
    files.push_back(broken + mixed);
    files.push_back(mixed + broken + mixed);
    files.push_back(WithLineEnds(mixed, "\r\n"));
    files.push_back(WithLineEnds(mixed, "\r"));
    // Markers on the first byte, no markers at all, binary bytes.
    files.push_back("$$$$\n" + mixed);
    files.push_back("> <A>\n1\n\n$$$$\n" + mixed);
    files.push_back(std::string(3000, 'x') + "\n" + std::string(2000, 'y'));
    std::string garbage;
    for (int i = 0; i < 5000; ++i)
        garbage += static_cast<char>((i * 7919) % 256);
    files.push_back(garbage);
    return files;
}

} // namespace

TEST(SDIndexThreads, RangesGiveTheOneThreadIndex)
{
    VorlatTest::ExpectRangesGiveTheOneThreadIndex(TroubleFiles(), {1046527, 0, 1, 25, 59}, {61, 400, 1777}, IndexOf);
}

namespace {

// A monitor that notes whether any call came from another thread than the
// one that made it, and cancels after a number of questions.
class ThreadCheckingMonitor : public VorlatTest::CountingMonitor {
public:
    bool IsCancelled() override
    {
        if (std::this_thread::get_id() != m_Owner)
            otherThread = true;
        return CountingMonitor::IsCancelled();
    }
    void SetProgress(double fraction) override
    {
        if (std::this_thread::get_id() != m_Owner)
            otherThread = true;
        CountingMonitor::SetProgress(fraction);
    }
    bool otherThread = false;

private:
    std::thread::id m_Owner = std::this_thread::get_id();
};

} // namespace

TEST(SDIndexThreads, MonitorOnTheCallersThreadAndCancellationStopsThePass)
{
    std::string text;
    for (int i = 0; i < 3000; ++i)
        text += SdRecord("R" + std::to_string(i), {{"P", std::to_string(i)}});
    IndexSettings settings(4, 4096);
    {
        std::istringstream file(text), scanned(text);
        ThreadCheckingMonitor monitor;
        VorlatTest::SdFile::Provider p(file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)),
                                       monitor, 1046527);
        EXPECT_EQ(p.GetRowCount(), 3000);
        EXPECT_FALSE(monitor.otherThread);
        EXPECT_GE(monitor.asked, 3000 * static_cast<int>(text.size() / 4096) / 3000);
        ASSERT_FALSE(monitor.progress.empty());
        EXPECT_EQ(monitor.progress.back(), 1.0);
    }
    for (int after : {0, 5, 200}) {
        std::istringstream file(text), scanned(text);
        ThreadCheckingMonitor monitor;
        monitor.cancelAfter = after;
        EXPECT_THROW(VorlatImportExport::SDDataProvider(
                         file, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor),
                     Host::CancellationException);
        EXPECT_FALSE(monitor.otherThread);
        EXPECT_EQ(monitor.asked, after + 1);
    }
}
