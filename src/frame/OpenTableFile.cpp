#include "frame/OpenTableFile.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <memory>
#include <stdexcept>

#include "host/FileInputStream.h"
#include "host/GzipFile.h"
#include "host/IProgressMonitor.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "text/CsvDataProvider.h"
#include "text/QuenbarDataProvider.h"

namespace VorlatImportExport {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

std::string Extension(const std::string& name)
{
    const std::size_t slash = name.find_last_of('/');
    const std::size_t dot = name.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return std::string();
    return Lower(name.substr(dot));
}

// The streams a table reads, kept until the table is gone.
struct TableStreams {
    std::unique_ptr<std::istream> stream;
    boost::shared_ptr<Host::InputStream> input;
};

} // namespace

TableFormat FormatFromName(const std::string& path)
{
    std::string name = path;
    if (Extension(name) == ".gz")
        name.erase(name.size() - 3);
    const std::string extension = Extension(name);
    if (extension == ".csv" || extension == ".tsv")
        return TableFormat::Csv;
    if (extension == ".sdf" || extension == ".sd")
        return TableFormat::Sd;
    if (extension == ".mol2")
        return TableFormat::Mol2;
    if (extension == ".txt")
        return TableFormat::Quenbar;
    return TableFormat::Unknown;
}

bool LooksLikeQuenbar(const std::string& head)
{
    const std::size_t start = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const std::size_t end = head.find_first_of("\r\n", start);
    if (end == std::string::npos || head.find('\t', start) > end)
        return false;
    // The first line names each column's type, as the tables the modelling
    // application writes have it; a tab-separated table's titles do not.
    static const char* const types[] = {"string", "text", "float", "double", "real", "int", "integer", "long",
                                        "number", "bool", "boolean", "date", "smiles"};
    std::size_t tokens = 0;
    for (std::size_t at = start; at < end;) {
        std::size_t next = head.find('\t', at);
        if (next == std::string::npos || next > end)
            next = end;
        const std::string token = Lower(head.substr(at, next - at));
        at = next + 1;
        if (token.empty())
            continue;
        ++tokens;
        if (std::none_of(std::begin(types), std::end(types), [&](const char* type) { return token == type; }))
            return false;
    }
    return tokens > 0;
}

TableFormat FormatFromContent(const std::string& head)
{
    if (head.find("@<TRIPOS>MOLECULE") != std::string::npos)
        return TableFormat::Mol2;
    if (head.find("\nM  END") != std::string::npos || head.compare(0, 4, "$$$$") == 0 ||
        head.find("\n$$$$") != std::string::npos)
        return TableFormat::Sd;
    const std::size_t start = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    const char separator = CsvOptions::DetectSeparator(head.substr(start));
    if (separator != 0 && separator != '\t')
        return TableFormat::Csv;
    return LooksLikeQuenbar(head) ? TableFormat::Quenbar : TableFormat::Unknown;
}

std::string ReadTableFileHead(const std::string& path, std::size_t size)
{
    std::string head(size, '\0');
    if (Host::GzipFile::IsGzipFile(path)) {
        Host::GzipInputStream data(boost::shared_ptr<Host::GzipFile>(new Host::GzipFile(path)));
        head.resize(data.Read(head.data(), head.size()));
        return head;
    }
    Host::FileInputStream file(path);
    head.resize(file.IsOpen() ? file.ReadAt(0, head.data(), head.size()) : 0);
    return head;
}

TableFileKind SniffTableFile(const std::string& path)
{
    TableFileKind kind;
    kind.compressed = Host::GzipFile::IsGzipFile(path);
    kind.format = FormatFromName(path);
    // A .txt file may be a Quenbar table or a CSV one (a spreadsheet's
    // tab-separated export among them): its first lines decide.
    if (kind.format == TableFormat::Unknown || kind.format == TableFormat::Quenbar)
        kind.format = FormatFromContent(ReadTableFileHead(path, 64 << 10));
    return kind;
}

boost::shared_ptr<Host::ITableDataProvider> OpenTableFile(const std::string& path, const OpenTableOptions& options)
{
    const bool compressed = Host::GzipFile::IsGzipFile(path);
    const TableFormat format = options.format != TableFormat::Unknown ? options.format : SniffTableFile(path).format;
    if (format == TableFormat::Unknown)
        throw std::invalid_argument("OpenTableFile: the format of " + path +
                                    " is neither given nor shown by its name or first bytes");

    auto streams = std::make_shared<TableStreams>();
    if (compressed) {
        boost::shared_ptr<Host::GzipFile> file(new Host::GzipFile(path));
        if (!file->IsOpen())
            throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
        // Two views of one file: the index pass reads the input stream, the
        // cells the standard stream; the places noted by one serve both.
        streams->stream.reset(new Host::GzipIStream(file));
        streams->input.reset(new Host::GzipInputStream(file));
    } else {
        auto* file = new Host::FileInputStream(path);
        streams->input.reset(file);
        if (!file->IsOpen())
            throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
        streams->stream.reset(new std::ifstream(path, std::ios::in | std::ios::binary));
        if (!*streams->stream)
            throw std::runtime_error("cannot open " + path + ": " + std::strerror(errno));
    }

    Host::NullProgressMonitor silent;
    Host::IProgressMonitor& monitor = options.monitor ? *options.monitor : silent;
    std::istream& stream = *streams->stream;
    Host::ITableDataProvider* table = nullptr;
    SavedIndexOptions saved;
    if (!compressed && !options.savedIndex.empty())
        saved = {options.savedIndex, path};
    switch (format) {
    case TableFormat::Csv: {
        CsvOptions csv = options.csv;
        csv.savedIndex = saved;
        table = new CsvDataProvider(stream, csv, streams->input);
        break;
    }
    case TableFormat::Quenbar:
        table = new QuenbarDataProvider(stream, saved);
        break;
    case TableFormat::Sd:
        table = new SDDataProvider(stream, streams->input, monitor, saved);
        break;
    case TableFormat::Mol2:
        table = new Mol2DataProvider(stream, streams->input, monitor, saved);
        break;
    case TableFormat::Unknown:
        break;
    }
    // The deleter keeps the streams: they go after the table.
    return boost::shared_ptr<Host::ITableDataProvider>(table,
                                                       [streams](Host::ITableDataProvider* gone) { delete gone; });
}

bool IndexWasLoaded(const Host::ITableDataProvider& table)
{
    if (const auto* csv = dynamic_cast<const CsvDataProvider*>(&table))
        return csv->IndexWasLoaded();
    if (const auto* quenbar = dynamic_cast<const QuenbarDataProvider*>(&table))
        return quenbar->IndexWasLoaded();
    if (const auto* molecules = dynamic_cast<const SDDataProvider*>(&table))
        return molecules->IndexWasLoaded();
    return false;
}

} // namespace VorlatImportExport
