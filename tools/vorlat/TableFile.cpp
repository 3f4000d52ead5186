#include "TableFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <vector>

#include "text/CsvDataProvider.h"

namespace vorlat {

namespace {

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

FileType TypeOf(const std::string& path, const std::string& type)
{
    if (!type.empty()) {
        if (type == "csv")
            return FileType::Csv;
        throw UserError("unknown file type \"" + type + "\"; known types: csv");
    }
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (extension == ".csv")
        return FileType::Csv;
    throw UserError("cannot tell the type of " + path + " from its name; give it with --type (known types: csv)");
}

} // namespace

TableFile::TableFile(const std::string& path, const std::string& type) : m_Path(path)
{
    const FileType fileType = TypeOf(path, type);

    std::error_code error;
    if (std::filesystem::is_directory(path, error))
        throw UserError("cannot open " + path + ": it is a directory");
    errno = 0;
    m_Stream = std::make_unique<std::ifstream>(path, std::ios::in | std::ios::binary);
    if (!m_Stream->is_open()) {
        const int code = errno;
        throw UserError("cannot open " + path + ": " + (code ? std::strerror(code) : "unreadable"));
    }

    // Indexing a large file takes a moment: say so on a terminal.
    const auto size = std::filesystem::file_size(path, error);
    const bool announce = !error && size >= (256u << 20) && isatty(STDERR_FILENO);
    if (announce)
        std::cerr << "Indexing " << path << " (" << size / (1u << 20) << " MiB)..." << std::flush;

    switch (fileType) {
    case FileType::Csv:
        m_Table.reset(new VorlatImportExport::CsvDataProvider(*m_Stream));
        break;
    }

    if (announce)
        std::cerr << " done\n";
}

std::string BundledExamplePath()
{
    const char* const name = "compounds.csv";
    std::vector<std::filesystem::path> folders;
    if (const char* dir = std::getenv("VORLAT_EXAMPLES_DIR"))
        folders.emplace_back(dir);
#ifdef VORLAT_SOURCE_EXAMPLES_DIR
    folders.emplace_back(VORLAT_SOURCE_EXAMPLES_DIR);
#endif
#ifdef VORLAT_INSTALLED_EXAMPLES_DIR
    folders.emplace_back(VORLAT_INSTALLED_EXAMPLES_DIR);
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
