#pragma once

#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include <boost/any.hpp>
#include <boost/shared_ptr.hpp>

#include "host/ITableDataProvider.h"

namespace Chem {
class Molecule;
}

namespace VorlatImportExport {
class SDDataProvider;
}

namespace vorlat {

// A failure the tool reports as one line on standard error, exit status 1.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How to open a file: its type, and for a CSV file how it is written.
struct OpenOptions {
    std::string type;      // "csv", "quenbar", "sd", "mol2"; empty: from the name
    std::string separator; // ",", ";", "tab" (or a tab), "|"; empty: found from the first lines
    bool noTitles = false; // the first line is a row, not the titles
    std::string comment;   // lines beginning with it before the titles are passed over
    bool extraColumns = false; // fields beyond the titles get columns of their own
    bool noCache = false;      // neither load nor save the file's saved index
};

// An open file and the table over it. The streams live as long as the table.
class TableFile {
public:
    // Opens path as the given type ("csv", "quenbar", "sd", "mol2"), or by
    // its extension (.csv, .tsv, .txt, .sdf, .sd, .mol2, each also with
    // .gz) when type is empty; gzip-compressed files (found from their
    // first bytes) are read as they are, without a copy;
    // large files show a progress bar while they are indexed and Ctrl-C
    // cancels. "-" (standard input) and pipes are copied into a temporary
    // file first (their type, when neither --type nor the name tells, from
    // their first bytes). A CSV file's separator, unless given, is found
    // from its first lines (said on standard error when it is not a comma).
    // Throws UserError when the file cannot be opened, read or indexed.
    TableFile(const std::string& path, const OpenOptions& options);
    ~TableFile();

    const std::string& Path() const { return m_Path; }
    boost::shared_ptr<Host::ITableDataProvider> Table() const { return m_Table; }
    // Seconds the index took.
    double IndexSeconds() const { return m_IndexSeconds; }
    // Whether the file is gzip-compressed.
    bool Compressed() const { return m_Compressed; }
    // Where the file's saved index is kept ("" when none is: --no-cache,
    // standard input, a compressed file, or a type without one), and whether
    // the index came from it.
    const std::string& SavedIndexPath() const { return m_SavedIndexPath; }
    bool IndexFromCache() const { return m_IndexFromCache; }
    // For a compressed SD or Mol2 file, the places noted to resume its
    // decompression and the bytes they hold; {0, 0} otherwise.
    std::pair<std::size_t, std::size_t> ResumePoints() const;
    // For a caller that reads each row once, in order, and is done with a
    // structure before it reads the next row: an SD or Mol2 table then keeps
    // the parsed record of the row being read only, instead of the last
    // thousand (molecules kept that long make parsing the next ones slower).
    void ReadRowsOnce() const;

private:
    std::string m_Path;
    boost::shared_ptr<Host::ITableDataProvider> m_Table;
    // The table, when it is an SD or Mol2 one.
    VorlatImportExport::SDDataProvider* m_Molecules = nullptr;
    double m_IndexSeconds = 0;
    bool m_Compressed = false;
    std::string m_SavedIndexPath;
    bool m_IndexFromCache = false;
    // The unlinked temporary file standard input or a pipe was copied to.
    int m_SpoolDescriptor = -1;
};

// The text a cell shows: numbers and texts as the library writes them,
// structures as canonical SMILES ("" without a molecule).
std::wstring CellText(const boost::any& value);
// The molecule of a structure cell (a ChemDoc*); null for any other value
// and for a document without one.
const Chem::Molecule* CellMolecule(const boost::any& value);
// Whether the table's first column holds structures (SD and Mol2 tables).
bool HoldsStructures(Host::ITableDataProvider& table);

// The folder saved indexes are kept in: $XDG_CACHE_HOME/vorlat, else
// ~/.cache/vorlat ("" when neither is set).
std::string CacheFolder();

// The bundled example shown when no file is named.
std::string BundledExamplePath();

} // namespace vorlat
