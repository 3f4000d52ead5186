// SDDataProvider over a gzip-compressed file: every cell of every row. The
// input is compressed here (then the table must be the plain one's) or read
// as compressed data as it is (damaged or hostile: the provider refuses it
// with its own exception, or reads what it can).
#include <cstdlib>
#include <sstream>
#include <string>

#include <boost/shared_ptr.hpp>

#include "FuzzTables.h"
#include "GzipInput.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/GzipFile.h"
#include "host/IProgressMonitor.h"
#include "host/StdInputStream.h"
#include "molecule/SDDataProvider.h"

namespace {

// Titles and every text cell (structure cells aside) of the first rows.
std::wstring TextCells(Host::ITableDataProvider& table)
{
    std::wstring text = std::to_wstring(table.GetRowCount()) + L"x" + std::to_wstring(table.GetColumnCount());
    for (int c = 0; c < table.GetColumnCount() && c < 200; ++c)
        text += L"|" + table.GetColumnTitle(c);
    for (int r = 0; r < table.GetRowCount() && r < 64; ++r) {
        for (int c = 1; c < table.GetColumnCount() && c < 200; ++c)
            text += L"|" + VorlatImportExport::TableDataUtil::BoostAny2WString(table.GetCellData(r, c));
    }
    return text;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const unsigned char* data, std::size_t size)
{
    const GzipInput input = MakeGzipInput(data, size);
    const boost::shared_ptr<Host::GzipFile> file = OpenGzipInput(input);
    Host::GzipIStream stream(file);
    Host::NullProgressMonitor monitor;
    std::wstring compressed;
    bool opened = false;
    try {
        VorlatImportExport::SDDataProvider provider(
            stream, boost::shared_ptr<Host::InputStream>(new Host::GzipInputStream(file)), monitor);
        opened = true;
        compressed = TextCells(provider);
        ReadEveryCell(provider, 64);
    } catch (const Host::Exception&) {
    }
    if (input.valid) {
        // The plain data must give the same table (or be refused as well).
        std::istringstream plain(input.plain), scanned(input.plain);
        bool plainOpened = false;
        std::wstring expected;
        try {
            VorlatImportExport::SDDataProvider provider(
                plain, boost::shared_ptr<Host::InputStream>(new Host::StdInputStream(scanned)), monitor);
            plainOpened = true;
            expected = TextCells(provider);
        } catch (const Host::Exception&) {
        }
        if (opened != plainOpened || compressed != expected)
            std::abort();
    }
    return 0;
}
