#pragma once

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "host/StringConversion.h"
#include "molecule/SDDataProvider.h"

namespace VorlatTest {

// One SD record: a three-atom structure named name, then the data items.
inline std::string SdRecord(const std::string& name, const std::vector<std::pair<std::string, std::string>>& items,
                            bool end = true)
{
    std::string text = name + "\n  test\n\n"
                              "  3  2  0  0  0  0  0  0  0  0999 V2000\n"
                              "    0.0000    0.0000    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                              "    1.2990    0.7500    0.0000 C   0  0  0  0  0  0  0  0  0  0  0  0\n"
                              "    2.5981    0.0000    0.0000 O   0  0  0  0  0  0  0  0  0  0  0  0\n"
                              "  1  2  1  0\n"
                              "  2  3  1  0\n"
                              "M  END\n";
    for (const auto& [key, value] : items)
        text += "> <" + key + ">\n" + value + "\n\n";
    if (end)
        text += "$$$$\n";
    return text;
}

// A monitor that counts its calls, keeps the progress it was given and can
// ask to cancel after some records.
class CountingMonitor : public Host::IProgressMonitor {
public:
    void Begin() override { ++begins; }
    void SetTask(const std::wstring&, int) override { ++tasks; }
    void SetProgress(double fraction) override { progress.push_back(fraction); }
    void SetTitle(const std::wstring& t) override { title = t; }
    void End() override {}
    bool IsCancelled() override { return ++asked > cancelAfter; }

    int begins = 0, tasks = 0, asked = 0;
    int cancelAfter = 1 << 30;
    std::wstring title;
    std::vector<double> progress;
};

// The streams of an SD text and a provider over them. Subclassing gives the
// tests the provider's protected parts.
struct SdFile {
    class Provider : public VorlatImportExport::SDDataProvider {
    public:
        Provider(std::istream& file, boost::shared_ptr<Host::InputStream> input, Host::IProgressMonitor& monitor,
                 int propertyCacheSize)
            : SDDataProvider(file, input, monitor, true)
        {
            SetPropertyCacheSize(propertyCacheSize);
            if (!Initialize(monitor))
                throw std::runtime_error("not indexed");
        }
        using SDDataProvider::Initialize;
        using SDDataProvider::LoadMolecule;
        using SDDataProvider::SeekToRecord;
        using SDDataProvider::m_moleculeCache;
    };

    explicit SdFile(const std::string& text, int propertyCacheSize = 1046527)
        : file(text), scanned(text), provider(file, MakeInput(), monitor, propertyCacheSize)
    {
    }
    boost::shared_ptr<Host::InputStream> MakeInput() { return boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)); }

    std::istringstream file;
    std::istringstream scanned;
    CountingMonitor monitor;
    Provider provider;
};

// What a provider's index gives, as text: rows, titles, and per row its
// offset and held items.
inline std::string IndexText(VorlatImportExport::SDDataProvider& p)
{
    std::ostringstream out;
    out << p.GetRowCount() << " rows\n";
    std::vector<std::string> titles;
    for (int c = 0; c < p.GetColumnCount(); ++c)
        titles.push_back(Host::ToSString(p.GetColumnTitle(c)));
    for (const std::string& title : titles)
        out << title << "|";
    out << "\n";
    for (int r = 0; r < p.GetRowCount(); ++r) {
        out << p.GetMoleculeOffset(r) << ":";
        for (const std::string& title : titles) {
            std::string value;
            if (p.GetMolProperty(r, title, value))
                out << title << "=" << value << ";";
        }
        out << "\n";
    }
    return out.str();
}

} // namespace VorlatTest
