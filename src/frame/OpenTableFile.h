#pragma once

#include <string>

#include <boost/shared_ptr.hpp>

#include "host/Export.h"
#include "host/ITableDataProvider.h"
#include "text/CsvOptions.h"

namespace Host {
class IProgressMonitor;
}

namespace VorlatImportExport {

enum class TableFormat { Unknown, Csv, Quenbar, Sd, Mol2 };

// What a file holds: its format, and whether it is gzip-compressed.
struct VORLAT_EXPORT TableFileKind {
    TableFormat format = TableFormat::Unknown;
    bool compressed = false;
};

// The format a file name tells, without a ".gz" ending: .csv and .tsv
// (CSV), .sdf and .sd (SD), .mol2 (Mol2), .txt (Quenbar, though a .txt file
// may be CSV too: SniffTableFile looks); Unknown for any other name.
VORLAT_EXPORT TableFormat FormatFromName(const std::string& path);

// The format the first bytes of a file's (uncompressed) data show: a Mol2
// molecule marker, an SD record's end, lines that split equally at commas,
// semicolons or bars (CSV), or a Quenbar table's first line (LooksLikeQuenbar);
// Unknown when they show none of these.
VORLAT_EXPORT TableFormat FormatFromContent(const std::string& head);

// Whether the text begins as a Quenbar table does: a tab-separated first
// line of column types ("string", "float", "int", ...). A tab-separated
// table with titles in its first line does not.
VORLAT_EXPORT bool LooksLikeQuenbar(const std::string& head);

// Whether the file at path is gzip-compressed (from its first bytes), and
// its format: from its name, or from its first bytes when the name tells
// none or is ".txt" (CSV or Quenbar as FormatFromContent finds; Unknown for
// a tab-separated table with titles, which either could be). Unknown format
// when neither tells (or the file cannot be read).
VORLAT_EXPORT TableFileKind SniffTableFile(const std::string& path);

// The first size bytes (at most) of the file's data, decompressed when it is
// gzip-compressed.
VORLAT_EXPORT std::string ReadTableFileHead(const std::string& path, std::size_t size);

struct VORLAT_EXPORT OpenTableOptions {
    // Unknown: as SniffTableFile finds it.
    TableFormat format = TableFormat::Unknown;
    // For CSV files.
    CsvOptions csv;
    // For SD and Mol2 files' progress and cancellation; none: not shown.
    Host::IProgressMonitor* monitor = nullptr;
    // Where to keep the file's saved index (see SavedIndexOptions), for
    // files that are not compressed; empty: none.
    std::string savedIndex;
};

// Whether the table's index came from its saved index (tables opened with
// one).
VORLAT_EXPORT bool IndexWasLoaded(const Host::ITableDataProvider& table);

// Opens the file at path as a table, plain or gzip-compressed, and indexes
// it. The table owns the streams it reads: nothing else needs to live as
// long as it. Throws std::invalid_argument when the format is not known
// (neither given nor found), std::runtime_error when the file cannot be
// opened, and what the format's own reader throws for a file it cannot read
// (a corrupt or truncated compressed file among them).
VORLAT_EXPORT boost::shared_ptr<Host::ITableDataProvider> OpenTableFile(const std::string& path,
                                                                        const OpenTableOptions& options = {});

} // namespace VorlatImportExport
