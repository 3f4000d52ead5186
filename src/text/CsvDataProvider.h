#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include <boost/shared_ptr.hpp>

#include "host/Export.h"
#include "host/InputStream.h"
#include "host/TableDataProviderBase.h"
#include "index/RecordOffsets.h"
#include "text/CsvOptions.h"

namespace VorlatImportExport {

class ByteSource;
struct RecordScan;

// A comma-separated text file as a read-only table. The first record holds
// the column titles, every later record is a row (other separators, files
// without titles and comment lines: CsvOptions). A record is a line, or
// several where a quoted field holds line breaks; lines end in LF, CR LF or
// a lone CR, and a UTF-8 byte-order mark at the start is skipped. The file
// is never loaded: the constructor records where each record starts, and a
// cell read seeks to its record, reads it and splits it. Column 0, titled
// "Index", holds the 1-based row number; the file's columns follow.
//
// The caller opens the stream (positioned at the header line), owns it and
// keeps it alive as long as the provider and its copies. Copies share the
// stream and its read position, so a provider and its copies are used from
// one thread at a time.
class VORLAT_EXPORT CsvDataProvider : public Host::TableDataProviderBase {
public:
    // Bytes read at a time while indexing.
    static constexpr std::size_t DefaultIndexBlockSize = 1 << 20;

    // Throws Host::OrvixException "Unable to read file." when the stream
    // reports a read error while it is indexed (its end is no error), and
    // "The file cannot be read at random positions: ..." for a stream that
    // cannot seek (a pipe). A stream with exceptions() set is read all the
    // same: the provider switches them off while it reads.
    explicit CsvDataProvider(std::istream& stream);
    // indexBlockSize: bytes read at a time while indexing (at least 1); small
    // values let tests put line ends at block edges.
    CsvDataProvider(std::istream& stream, std::size_t indexBlockSize);
    // input: the same file, for the index pass to read at any position from
    // several threads at once (as a Host::FileInputStream can); the provider
    // keeps it while it lives. Without it the pass's threads take turns on
    // the stream.
    CsvDataProvider(std::istream& stream, boost::shared_ptr<Host::InputStream> input,
                    std::size_t indexBlockSize = DefaultIndexBlockSize);
    // A file written another way: its separator, whether it has a title
    // line, comment lines before it (see CsvOptions). input may be null.
    // Throws as above, and std::invalid_argument for a separator that is
    // none of those CsvOptions names.
    CsvDataProvider(std::istream& stream, const CsvOptions& options,
                    boost::shared_ptr<Host::InputStream> input = boost::shared_ptr<Host::InputStream>(),
                    std::size_t indexBlockSize = DefaultIndexBlockSize);
    CsvDataProvider(const CsvDataProvider& other);
    CsvDataProvider& operator=(const CsvDataProvider&) = delete;
    ~CsvDataProvider() override;

    int GetRowCount() const override;
    int GetColumnCount() const override;
    // Column 0: the int row + 1. Other columns: the field typed as an int, a
    // float or a wide text; a field the line does not have is an empty wide
    // text. A row outside the table, or whose line can no longer be read,
    // gives the empty value.
    boost::any GetCellData(int row, int column) override;
    // The table is read-only: changes nothing, returns false.
    bool SetCellData(int row, int column, const boost::any& value) override;
    std::wstring GetRowTitle(int row) override;
    std::wstring GetColumnTitle(int column) override;

    // Appends the column titles as narrow text.
    virtual void GetColumnTitles(std::vector<std::string>& titles);
    // Appends the text of every cell of the row, "Index" column first; the
    // line is read and split once for the whole row.
    virtual void GetRowValues(int row, std::vector<std::string>& values);

    // Bytes the index of record starts holds: about 2.3 a row for lines of
    // 100 bytes.
    std::size_t GetIndexMemoryUsage() const;
    // The byte between fields the table reads with: the one the options
    // gave, or found.
    char GetSeparator() const { return m_Options.separator; }
    // Whether the index came from a saved index (CsvOptions::savedIndex)
    // rather than a pass through the file.
    bool IndexWasLoaded() const { return m_IndexLoaded; }

private:
    // The record's size without the blanks and line end after it (the
    // separator, a tab, is no blank there).
    static std::size_t TrimmedSize(const char* record, std::size_t size, char separator);
    void TrimRecordEnd(std::string& record) const;
    // Where the first line from start on that does not begin with prefix
    // starts.
    std::int64_t SkipCommentLines(ByteSource& source, std::int64_t start, const std::string& prefix) const;
    // The most fields a record of the table has.
    std::size_t MostFields(ByteSource& source) const;
    void ConstructIndexMap(std::size_t blockSize);
    // The options that shape the index, as bytes: a saved index made with
    // others is not used.
    std::string SavedIndexKey(std::size_t blockSize) const;
    bool LoadSavedIndex(const std::string& key, const FileFingerprint& fingerprint);
    void SaveIndex(const std::string& key, const FileFingerprint& fingerprint) const;
    // The pass through the file.
    void IndexFromFile(std::size_t blockSize);
    // The index pass on several threads, range by range; returns where the
    // data ends.
    std::int64_t IndexInRanges(ByteSource& source, const RecordScan& scan, std::int64_t start, std::int64_t length,
                               int threads, std::int64_t rangeSize);
    // Where the record of the index ends: the next one's start, or the end
    // of the data as it was indexed.
    std::int64_t RecordEnd(std::size_t index) const;
    // The fields of the row, the row number first; the last row split is kept.
    const std::vector<std::string>& SplitRecord(int row);

    std::istream& m_Stream;
    boost::shared_ptr<Host::InputStream> m_Input;
    CsvOptions m_Options;
    std::vector<std::string> m_ColumnTitles;
    RecordOffsets m_RecordOffsets;
    std::int64_t m_EndOffset = 0;
    bool m_IndexLoaded = false;

    int m_SplitRow = -1;
    std::vector<std::string> m_SplitFields;
    std::string m_Line;
};

} // namespace VorlatImportExport
