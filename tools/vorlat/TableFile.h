#pragma once

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include <boost/shared_ptr.hpp>

#include "host/ITableDataProvider.h"

namespace vorlat {

// A failure the tool reports as one line on standard error, exit status 1.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class FileType { Csv };

// An open file and the table over it. The stream lives as long as the table.
class TableFile {
public:
    // Opens path as the given type, or by its extension when type is empty.
    // Throws UserError when the file cannot be opened or its type is unknown.
    TableFile(const std::string& path, const std::string& type);

    const std::string& Path() const { return m_Path; }
    boost::shared_ptr<Host::ITableDataProvider> Table() const { return m_Table; }

private:
    std::string m_Path;
    std::unique_ptr<std::ifstream> m_Stream;
    boost::shared_ptr<Host::ITableDataProvider> m_Table;
};

// The bundled example shown when no file is named.
std::string BundledExamplePath();

} // namespace vorlat
