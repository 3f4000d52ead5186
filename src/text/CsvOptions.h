#pragma once

#include <string>

#include "host/Export.h"
#include "index/SavedIndex.h"

namespace VorlatImportExport {

// How a CSV file is written, for files other than comma-separated tables
// with a title line: a spreadsheet's export under a European locale (";"),
// tab- or bar-separated tables, a database dump without titles, comment
// lines before the titles. The defaults read a file as the plain
// constructor of CsvDataProvider does.
struct VORLAT_EXPORT CsvOptions {
    // The byte between fields: ',', ';', '\t' or '|'; 0: the one the first
    // lines use (DetectSeparator), ',' when they do not tell.
    char separator = ',';
    // Whether the first record holds the column titles; without them every
    // record is a row and the columns are titled "Column 1", "Column 2", ...
    bool titles = true;
    // Lines that begin with this text before the titles (or the first row)
    // are passed over; empty: none are.
    std::string commentPrefix;
    // Whether fields beyond the title record's count (or the first row's)
    // get columns of their own, titled "Column N" after their place; this
    // reads every record once more while the file is indexed. Without it
    // they are not shown.
    bool extraColumns = false;
    // A saved index to load instead of indexing, or to write after it (off
    // unless both paths are given; see SavedIndexOptions).
    SavedIndexOptions savedIndex;

    // Whether c is one of the separators above.
    static bool IsSeparator(char c);
    // The separator the records of text (the start of a file) use without
    // doubt: the one of ',', ';', '\t' and '|' that stands, outside quoted
    // fields, equally often and at least once in every record of it (up to
    // 50; a record the text cuts short is left out), when exactly one does;
    // 0 otherwise.
    static char DetectSeparator(const std::string& text);
};

} // namespace VorlatImportExport
