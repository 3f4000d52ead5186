#include "TableFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <memory>
#include <fcntl.h>
#include <unistd.h>
#include <vector>

#include "TerminalProgress.h"
#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "frame/OpenTableFile.h"
#include "host/GzipFile.h"
#include "index/SavedIndex.h"
#include "host/StringConversion.h"
#include "molecule/SDDataProvider.h"
#include "text/CsvOptions.h"

namespace vorlat {

namespace {

using VorlatImportExport::TableFormat;

const char* const KnownTypes = "csv, quenbar, sd, mol2";

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The first bytes of a file, without a byte-order mark and without the
// lines before the titles that begin with comment (when it is not empty).
std::string Head(const std::string& path, const std::string& comment)
{
    const std::string head = VorlatImportExport::ReadTableFileHead(path, 64 << 10);
    std::size_t start = head.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    while (!comment.empty() && head.compare(start, comment.size(), comment) == 0) {
        const std::size_t end = head.find_first_of("\r\n", start);
        if (end == std::string::npos)
            return std::string();
        start = end + (head.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return head.substr(start);
}

// The name's extension, lower-case, without a ".gz" ending: what the
// compressed file holds.
std::string Extension(const std::string& name)
{
    std::filesystem::path path(name);
    if (Lower(path.extension().string()) == ".gz")
        path = path.stem();
    return Lower(path.extension().string());
}

char SeparatorNamed(const std::string& name)
{
    if (name == "," || name == "comma")
        return ',';
    if (name == ";" || name == "semicolon")
        return ';';
    if (name == "tab" || name == "\t" || name == "\\t")
        return '\t';
    if (name == "|" || name == "bar")
        return '|';
    throw UserError("unknown separator \"" + name + "\"; known: , ; tab |");
}

const char* SeparatorName(char separator)
{
    switch (separator) {
    case ';':
        return "semicolons";
    case '\t':
        return "tabs";
    case '|':
        return "bars";
    default:
        return "commas";
    }
}

bool CsvWritingGiven(const OpenOptions& options)
{
    return !options.separator.empty() || options.noTitles || !options.comment.empty() || options.extraColumns;
}

// The type the first bytes of a file's data show ("" when they show none).
std::string SniffType(const std::string& path)
{
    switch (VorlatImportExport::FormatFromContent(VorlatImportExport::ReadTableFileHead(path, 64 << 10))) {
    case TableFormat::Mol2:
        return "mol2";
    case TableFormat::Sd:
        return "sd";
    case TableFormat::Csv:
        return "csv";
    default:
        return "";
    }
}

TableFormat TypeOf(const std::string& path, const std::string& type, const std::string& readFrom,
                const OpenOptions& options)
{
    if (!type.empty()) {
        if (type == "csv")
            return TableFormat::Csv;
        if (type == "sd" || type == "sdf")
            return TableFormat::Sd;
        if (type == "mol2")
            return TableFormat::Mol2;
        if (type == "quenbar")
            return TableFormat::Quenbar;
        throw UserError("unknown file type \"" + type + "\"; known types: " + KnownTypes);
    }
    const TableFormat named = VorlatImportExport::FormatFromName(path);
    if (named != TableFormat::Quenbar && named != TableFormat::Unknown)
        return named;
    if (named == TableFormat::Quenbar) {
        // A text table: CSV when asked for one, or when its first lines use
        // commas, semicolons or bars without doubt; Quenbar when its first
        // line names column types. Other tab-separated lines could be either
        // (a spreadsheet saves tab-separated tables as .txt): the user says.
        if (CsvWritingGiven(options))
            return TableFormat::Csv;
        const std::string head = Head(readFrom, options.comment);
        const char separator = VorlatImportExport::CsvOptions::DetectSeparator(head);
        if (separator != 0 && separator != '\t')
            return TableFormat::Csv;
        // A first line of column types: a Quenbar table.
        if (options.comment.empty() && VorlatImportExport::LooksLikeQuenbar(head))
            return TableFormat::Quenbar;
        throw UserError("cannot tell whether " + path +
                        " is a Quenbar or a CSV table; give --type quenbar, or --type csv (--separator tab for "
                        "tab-separated fields)");
    }
    if (Host::GzipFile::IsGzipFile(readFrom)) {
        // A compressed file whose name tells nothing of what it holds: its
        // first lines may.
        const std::string shown = SniffType(readFrom);
        if (!shown.empty())
            return TypeOf(path, shown, readFrom, options);
        throw UserError(path + " is gzip-compressed, and neither its name nor its first lines tell what it holds; "
                        "give the type with --type (known types: " + KnownTypes + ")");
    }
    throw UserError("cannot tell the type of " + path + " from its name; give it with --type (known types: " +
                    KnownTypes + "; a Quenbar text table needs --type quenbar)");
}

// Copies standard input or a pipe into a file that is already unlinked, so
// that nothing is left behind however the tool ends; the file is reached
// through /proc/self/fd while its descriptor stays open. Ctrl-C cancels.
std::string Spool(const std::string& path, int& descriptor)
{
    const int in = path == "-" ? STDIN_FILENO : ::open(path.c_str(), O_RDONLY);
    if (in < 0)
        throw UserError("cannot open " + path + ": " + std::strerror(errno));
    // The pipe is closed however the copy ends (standard input stays open).
    const std::unique_ptr<const int, void (*)(const int*)> closer(&in, [](const int* fd) {
        if (*fd != STDIN_FILENO)
            ::close(*fd);
    });
    const std::string folder = std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp";
    std::string name = folder + "/vorlat-spool-XXXXXX";
    descriptor = ::mkstemp(name.data());
    if (descriptor < 0) {
        const int code = errno;
        throw UserError("cannot make a temporary file in " + folder + ": " + std::strerror(code));
    }
    ::unlink(name.c_str());
    TerminalProgress progress("Copying " + (path == "-" ? std::string("standard input") : path));
    std::vector<char> buffer(1 << 20);
    unsigned long long copied = 0;
    for (;;) {
        if (progress.IsCancelled())
            throw UserError("copying " + path + " was cancelled");
        const ssize_t n = ::read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int code = errno;
            throw UserError("cannot read " + path + ": " + std::strerror(code));
        }
        if (n == 0)
            break;
        for (ssize_t done = 0; done < n;) {
            const ssize_t written = ::write(descriptor, buffer.data() + done, static_cast<std::size_t>(n - done));
            if (written < 0 && errno == EINTR)
                continue;
            if (written < 0) {
                const int code = errno;
                throw UserError("cannot copy " + path + " to " + folder + ": " + std::strerror(code));
            }
            done += written;
        }
        copied += static_cast<unsigned long long>(n);
        progress.ShowBytes(copied);
    }
    return "/proc/self/fd/" + std::to_string(descriptor);
}

// Where the saved index of the file at path is kept: in the cache folder
// (made when missing), named after the file and a hash of its absolute path;
// "" when there is no cache folder.
std::string SavedIndexFor(const std::string& path)
{
    const std::string folder = CacheFolder();
    std::error_code error;
    if (folder.empty() || (!std::filesystem::create_directories(folder, error) && error))
        return std::string();
    const std::string absolute = std::filesystem::absolute(path, error).lexically_normal().string();
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(VorlatImportExport::HashBytes(absolute.data(), absolute.size())));
    return folder + "/" + std::filesystem::path(path).filename().string() + "-" + hash + ".index";
}

std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
}

} // namespace

TableFile::TableFile(const std::string& name, const OpenOptions& options) : m_Path(name)
{
    const std::string& type = options.type;
    std::error_code error;
    if (std::filesystem::is_directory(name, error))
        throw UserError("cannot open " + name + ": it is a directory");
    // The readers go back to the records they indexed: standard input ("-")
    // and pipes (<(zcat x.sdf.gz)) are copied into a temporary file first.
    std::string path = name;
    std::string fileTypeName = type;
    const bool piped = name == "-" || (std::filesystem::exists(name, error) &&
                                       !std::filesystem::is_regular_file(name, error) &&
                                       !std::filesystem::is_block_file(name, error));
    if (piped) {
        if (fileTypeName.empty()) {
            if (name == "-" || VorlatImportExport::FormatFromName(name) == TableFormat::Unknown)
                fileTypeName = "?";
        }
        path = Spool(name, m_SpoolDescriptor);
        if (fileTypeName == "?") {
            fileTypeName = SniffType(path);
            if (fileTypeName.empty())
                fileTypeName = "csv";
        }
    }
    const TableFormat fileType = TypeOf(name, fileTypeName, path, options);
    if (fileType != TableFormat::Csv && CsvWritingGiven(options))
        throw UserError("--separator, --no-titles, --comment and --extra-columns are for CSV files; " + name +
                        " is none");

    const bool compressed = m_Compressed = Host::GzipFile::IsGzipFile(path);
    const auto savedBefore = std::filesystem::file_time_type::clock::now() - std::chrono::seconds(2);
    const auto started = std::chrono::steady_clock::now();
    const std::string label =
        "Indexing " + (name == "-" ? std::string("standard input") : std::filesystem::path(name).filename().string());
    VorlatImportExport::OpenTableOptions open;
    open.format = fileType;
    // Tables keep their index in the cache folder, under a name made from
    // the file's absolute path.
    if (!options.noCache && !piped && !compressed) {
        m_SavedIndexPath = SavedIndexFor(name);
        open.savedIndex = m_SavedIndexPath;
    }
    try {
        if (fileType == TableFormat::Csv) {
            VorlatImportExport::CsvOptions& csv = open.csv;
            csv.titles = !options.noTitles;
            csv.commentPrefix = options.comment;
            csv.extraColumns = options.extraColumns;
            if (!options.separator.empty()) {
                csv.separator = SeparatorNamed(options.separator);
            } else {
                // Found from the first lines; else what the name says.
                csv.separator = VorlatImportExport::CsvOptions::DetectSeparator(Head(path, options.comment));
                const bool tsv = Extension(name) == ".tsv";
                if (csv.separator == 0)
                    csv.separator = tsv ? '\t' : ',';
                else if (csv.separator != (tsv ? '\t' : ','))
                    std::cerr << "vorlat: reading " << name << " with " << SeparatorName(csv.separator)
                              << " between fields, as its first lines have them (--separator chooses)\n";
            }
            // The CSV index reports no progress: name the wait on a terminal.
            const auto size = std::filesystem::file_size(path, error);
            const bool announce = !error && size >= (compressed ? 32u << 20 : 256u << 20) && isatty(STDERR_FILENO);
            if (announce)
                std::cerr << label << "..." << std::flush;
            m_Table = VorlatImportExport::OpenTableFile(path, open);
            if (announce)
                std::cerr << "\r\033[K" << std::flush;
        } else if (fileType == TableFormat::Sd || fileType == TableFormat::Mol2) {
            TerminalProgress progress(label);
            open.monitor = &progress;
            m_Table = VorlatImportExport::OpenTableFile(path, open);
            m_Molecules = dynamic_cast<VorlatImportExport::SDDataProvider*>(m_Table.get());
        } else {
            m_Table = VorlatImportExport::OpenTableFile(path, open);
        }
    } catch (const Host::CancellationException&) {
        throw UserError("indexing " + name + " was cancelled");
    } catch (const Host::OrvixException& failure) {
        throw UserError("cannot read " + name + ": " + OneLine(failure.what()));
    } catch (const std::runtime_error& failure) {
        throw UserError(failure.what());
    }
    m_IndexFromCache = m_Table && VorlatImportExport::IndexWasLoaded(*m_Table);
    // A saved index that could not be written is none.
    std::error_code noIndex;
    if (!m_IndexFromCache && !m_SavedIndexPath.empty() &&
        !(std::filesystem::last_write_time(m_SavedIndexPath, noIndex) >= savedBefore && !noIndex))
        m_SavedIndexPath.clear();
    m_IndexSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

TableFile::~TableFile()
{
    // The table (and the streams it owns) goes before the spooled file.
    m_Table.reset();
    if (m_SpoolDescriptor >= 0)
        ::close(m_SpoolDescriptor);
}

std::string CacheFolder()
{
    const char* cache = std::getenv("XDG_CACHE_HOME");
    if (cache && *cache == '/')
        return std::string(cache) + "/vorlat";
    const char* home = std::getenv("HOME");
    if (home && *home)
        return std::string(home) + "/.cache/vorlat";
    return std::string();
}

std::pair<std::size_t, std::size_t> TableFile::ResumePoints() const
{
    const auto* gzip = m_Molecules ? dynamic_cast<const Host::GzipInputStream*>(m_Molecules->GetInputStream().get())
                                   : nullptr;
    if (!gzip)
        return {0, 0};
    return {gzip->File()->AccessPointCount(), gzip->File()->AccessPointBytes()};
}

void TableFile::ReadRowsOnce() const
{
    if (m_Molecules)
        m_Molecules->SetCacheSize(1);
}

const Chem::Molecule* CellMolecule(const boost::any& value)
{
    if (value.type() != typeid(Chem::ChemDoc*))
        return nullptr;
    Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(value);
    if (!document)
        return nullptr;
    Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
    return static_cast<const Chem::Molecule*>(molecules.GetNext());
}

bool HoldsStructures(Host::ITableDataProvider& table)
{
    return table.GetColumnCount() > 0 && table.GetColumnTitle(0) == L"Structure" &&
           table.IsChemistryCell(0, 0) == Host::IsChemistry;
}

std::wstring CellText(const boost::any& value)
{
    if (value.type() == typeid(Chem::ChemDoc*))
        return Host::ToWString(Chem::MoleculeToSmiles(CellMolecule(value)));
    return VorlatImportExport::TableDataUtil::BoostAny2WString(value);
}

std::string BundledExamplePath()
{
    const char* const name = "compounds.csv";
    std::vector<std::filesystem::path> folders;
    if (const char* dir = std::getenv("VORLAT_EXAMPLES_DIR"))
        folders.emplace_back(dir);
#ifdef VORLAT_EXAMPLES_FROM_TOOL
    // An installed tool's own examples, found from where the tool lies
    // (share/vorlat/examples beside its bin folder), before the source
    // tree it was built from.
    std::error_code noPath;
    const std::filesystem::path tool = std::filesystem::read_symlink("/proc/self/exe", noPath);
    if (!noPath)
        folders.push_back((tool.parent_path() / VORLAT_EXAMPLES_FROM_TOOL).lexically_normal());
#endif
#ifdef VORLAT_SOURCE_EXAMPLES_DIR
    folders.emplace_back(VORLAT_SOURCE_EXAMPLES_DIR);
#endif
    for (const auto& folder : folders) {
        std::error_code error;
        if (std::filesystem::is_regular_file(folder / name, error))
            return (folder / name).string();
    }
    throw UserError(std::string("the bundled example ") + name +
                    " was not found; name a file, or set VORLAT_EXAMPLES_DIR to its folder");
}

} // namespace vorlat
