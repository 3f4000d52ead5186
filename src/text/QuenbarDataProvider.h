#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "host/TableDataProviderBase.h"
#include "index/RecordOffsets.h"
#include "index/SavedIndex.h"

namespace VorlatImportExport {

// The Quenbar text table as a read-only table of wide texts: tab-separated
// lines; the first header line's non-empty tokens give the column count, the
// second's the column titles, and every later line is a record whose
// non-empty tokens are its cells. Lines end in LF, CR LF or a lone CR, and
// the line end is no part of a token; a UTF-8 byte-order mark at the start
// is skipped. Nothing else is trimmed, and cells are not typed.
//
// Like the CSV provider it keeps only where each record starts (offsets of
// any size, a few bytes a line) and reads a record again for a cell; the
// last record split is kept, so reading a row's cells costs one line read.
class VORLAT_EXPORT QuenbarDataProvider : public Host::TableDataProviderBase {
public:
    // Throws Host::OrvixException "Unable to read file." when the stream
    // reports a read error while it is indexed (its end is no error), and
    // "The file cannot be read at random positions: ..." for a stream that
    // cannot seek (a pipe).
    explicit QuenbarDataProvider(std::istream& stream);
    // With a saved index to load instead of indexing, or to write after it
    // (see SavedIndexOptions).
    QuenbarDataProvider(std::istream& stream, const SavedIndexOptions& savedIndex);
    QuenbarDataProvider(const QuenbarDataProvider& other);
    QuenbarDataProvider& operator=(const QuenbarDataProvider&) = delete;
    ~QuenbarDataProvider() override;

    int GetRowCount() const override;
    int GetColumnCount() const override;
    std::wstring GetRowTitle(int row) override;
    // "" beyond the second header line's tokens.
    std::wstring GetColumnTitle(int column) override;
    // The record's token number column as wide text; "" beyond its tokens
    // (and for a row outside the table).
    boost::any GetCellData(int row, int column) override;
    bool SetCellData(int row, int column, const boost::any& value) override;

    int GetLineCount() const { return m_LineCount; }
    int GetRecordCount() const { return m_RecordCount; }
    int GetHeaderCount() const { return m_HeaderCount; }
    // Indexes the stream again from its start, from scratch (or from the
    // saved index, when one was given and is of the file as it is now).
    bool InitDataProvider();
    // Whether the index came from a saved index rather than a pass through
    // the file.
    bool IndexWasLoaded() const { return m_IndexLoaded; }

private:
    void ConstructIndexMap();
    void IndexFromFile();
    bool LoadSavedIndex(const FileFingerprint& fingerprint);
    void SaveIndex(const FileFingerprint& fingerprint) const;
    // The counts that follow from the offsets and headers.
    void SetCounts();
    static void ParseLine(const std::string& line, std::vector<std::string>& tokens, char delimiter);
    void ResetFile();
    // Line `index` of the scan (the header lines first) without its line
    // end; false when it cannot be read whole.
    bool ReadLineAt(std::size_t index, std::string& line);

    int m_RecordCount = 0;
    int m_ColumnCount = 0;
    int m_LineCount = 0;
    int m_HeaderCount = 0;
    std::istream& m_Stream;
    std::vector<std::string> m_FirstHeader;
    std::vector<std::string> m_SecondHeader;
    RecordOffsets m_RecordOffsets;
    std::int64_t m_EndOffset = 0;
    SavedIndexOptions m_SavedIndex;
    bool m_IndexLoaded = false;

    int m_SplitRow = -1;
    std::vector<std::string> m_SplitTokens;
};

} // namespace VorlatImportExport
