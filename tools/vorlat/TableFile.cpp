#include "TableFile.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <unistd.h>
#include <vector>

#include "TerminalProgress.h"
#include "chem/ChemDoc.h"
#include "chem/MolUtilities.h"
#include "chem/Molecule.h"
#include "frame/TableDataUtil.h"
#include "host/Exception.h"
#include "host/FileInputStream.h"
#include "host/StringConversion.h"
#include "molecule/Mol2DataProvider.h"
#include "molecule/SDDataProvider.h"
#include "text/QuenbarDataProvider.h"
#include "text/CsvDataProvider.h"

namespace vorlat {

namespace {

const char* const KnownTypes = "csv, quenbar, sd, mol2";

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
        if (type == "sd" || type == "sdf")
            return FileType::Sd;
        if (type == "mol2")
            return FileType::Mol2;
        if (type == "quenbar")
            return FileType::Quenbar;
        throw UserError("unknown file type \"" + type + "\"; known types: " + KnownTypes);
    }
    const std::string extension = Lower(std::filesystem::path(path).extension().string());
    if (extension == ".csv")
        return FileType::Csv;
    if (extension == ".sdf" || extension == ".sd")
        return FileType::Sd;
    if (extension == ".mol2")
        return FileType::Mol2;
    throw UserError("cannot tell the type of " + path + " from its name; give it with --type (known types: " +
                    KnownTypes + "; a Quenbar text table needs --type quenbar)");
}

std::string OneLine(std::string text)
{
    std::replace(text.begin(), text.end(), '\n', ' ');
    return text;
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

    const auto started = std::chrono::steady_clock::now();
    const std::string label = "Indexing " + std::filesystem::path(path).filename().string();
    try {
        switch (fileType) {
        case FileType::Csv: {
            // The CSV index reports no progress: name the wait on a terminal.
            const auto size = std::filesystem::file_size(path, error);
            const bool announce = !error && size >= (256u << 20) && isatty(STDERR_FILENO);
            if (announce)
                std::cerr << label << "..." << std::flush;
            m_Table.reset(new VorlatImportExport::CsvDataProvider(*m_Stream));
            if (announce)
                std::cerr << "\r\033[K" << std::flush;
            break;
        }
        case FileType::Quenbar:
            m_Table.reset(new VorlatImportExport::QuenbarDataProvider(*m_Stream));
            break;
        case FileType::Sd:
        case FileType::Mol2: {
            boost::shared_ptr<Host::FileInputStream> input(new Host::FileInputStream(path));
            if (!input->IsOpen())
                throw UserError("cannot open " + path + ": " + std::strerror(errno));
            TerminalProgress progress(label);
            if (fileType == FileType::Sd)
                m_Table.reset(new VorlatImportExport::SDDataProvider(*m_Stream, input, progress));
            else
                m_Table.reset(new VorlatImportExport::Mol2DataProvider(*m_Stream, input, progress));
            break;
        }
        }
    } catch (const Host::CancellationException&) {
        throw UserError("indexing " + path + " was cancelled");
    } catch (const Host::OrvixException& failure) {
        throw UserError("cannot read " + path + ": " + OneLine(failure.what()));
    }
    m_IndexSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
}

TableFile::~TableFile()
{
    // The table goes before the streams it reads.
    m_Table.reset();
}

std::wstring CellText(const boost::any& value)
{
    if (value.type() == typeid(Chem::ChemDoc*)) {
        Chem::ChemDoc* document = boost::any_cast<Chem::ChemDoc*>(value);
        if (!document)
            return std::wstring();
        Chem::DescendentIterator molecules(document->GetTreeRoot(), Chem::Molecule::classType, false, false);
        return Host::ToWString(Chem::MoleculeToSmiles(static_cast<const Chem::Molecule*>(molecules.GetNext())));
    }
    return VorlatImportExport::TableDataUtil::BoostAny2WString(value);
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
