// The scan window's lines and the marker-line search, against plain
// byte-by-byte readings, with windows small enough that every line end and
// every CR LF pair falls on a window edge somewhere.
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "index/ByteSource.h"
#include "index/LineMasks.h"
#include "index/ScanWindow.h"
#include "text/RecordStarts.h"

using VorlatImportExport::ByteSource;
using VorlatImportExport::ScanWindow;

namespace {

class TextSource : public ByteSource {
public:
    explicit TextSource(std::string text) : m_Text(std::move(text)) {}
    std::size_t ReadAt(std::int64_t position, char* buffer, std::size_t size) override
    {
        if (position < 0 || static_cast<std::size_t>(position) >= m_Text.size())
            return 0;
        const std::size_t n = std::min(size, m_Text.size() - static_cast<std::size_t>(position));
        std::memcpy(buffer, m_Text.data() + position, n);
        if (reinterpret_cast<std::uintptr_t>(buffer) % 64 != 0)
            ++misaligned;
        return n;
    }
    bool HasReadError() const override { return false; }

    // Reads into a buffer that does not start on a 64-byte boundary.
    std::size_t misaligned = 0;

private:
    std::string m_Text;
};

// Text of short and long lines, empty lines, and every line end.
std::string MixedText(unsigned seed, std::size_t lines)
{
    std::mt19937 random(seed);
    const char* const ends[] = {"\n", "\r\n", "\r"};
    std::string text;
    for (std::size_t i = 0; i < lines; ++i) {
        const std::size_t size = random() % 4 == 0 ? 0 : random() % 7 == 0 ? 150 + random() % 200 : random() % 30;
        for (std::size_t k = 0; k < size; ++k)
            text += "ab>$M  x"[random() % 8];
        text += ends[random() % 3];
    }
    if (random() % 2)
        text += "last line without an end";
    return text;
}

// The lines of a text, read byte by byte.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = start;
        while (end < text.size() && text[end] != '\n' && text[end] != '\r')
            ++end;
        lines.push_back(text.substr(start, end - start));
        if (end + 1 < text.size() && text[end] == '\r' && text[end + 1] == '\n')
            ++end;
        start = end + 1;
    }
    return lines;
}

} // namespace

TEST(ScanWindow, LinesAcrossWindowEdges)
{
    for (unsigned seed = 1; seed <= 6; ++seed) {
        const std::string text = MixedText(seed, 400);
        const std::vector<std::string> expected = Lines(text);
        for (std::size_t size = 64; size <= 72; ++size) {
            TextSource source(text);
            ScanWindow window(source, size);
            window.Start(0);
            const char* p = window.Begin();
            std::vector<std::string> lines;
            const char* lineEnd = nullptr;
            const char* next = nullptr;
            while (window.Line(p, lineEnd, next)) {
                lines.emplace_back(p, lineEnd);
                p = next;
            }
            ASSERT_EQ(lines, expected) << "seed " << seed << ", window " << size;
            // Whatever the window keeps, and when it grows for a long line,
            // it reads to a 64-byte boundary: the kernel copies a file's
            // pages far more slowly to a buffer a few bytes off one.
            EXPECT_EQ(source.misaligned, 0u) << "seed " << seed << ", window " << size;
        }
    }
}

TEST(ScanWindow, CsvScanReadsToAlignedBlocks)
{
    // Blocks of an odd size, from an odd offset, as a range's scan has them.
    TextSource source(MixedText(7, 400));
    VorlatImportExport::RecordScan scan;
    scan.blockSize = 100;
    VorlatImportExport::ScanState state;
    state.origin = 3;
    std::vector<std::int64_t> starts;
    VorlatImportExport::PlainSink sink(starts);
    VorlatImportExport::ScanRecordStarts(source, scan, 3, INT64_MAX, state, sink);
    EXPECT_GT(starts.size(), 100u);
    EXPECT_EQ(source.misaligned, 0u);
}

TEST(LineMasks, MarkerLinesAsByteByByte)
{
    // Every line start whose first byte is a marker, found 64 bytes at a
    // time, against a plain walk; the search is resumed where it stops.
    for (unsigned seed = 1; seed <= 20; ++seed) {
        const std::string text = MixedText(seed, 300);
        std::vector<std::size_t> expected;
        bool start = true;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (start && (text[i] == '>' || text[i] == '$'))
                expected.push_back(i);
            start = text[i] == '\n' || (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'));
        }
        std::vector<std::size_t> found;
        const char* const first = text.data();
        const char* const end = first + text.size();
        const char* p = first;
        bool lineStart = true;
        for (;;) {
            VorlatImportExport::MarkerResume resume;
            const char* marker = VorlatImportExport::FindMarkerLine(p, end, lineStart, true, '>', '$', '$', resume);
            if (!marker)
                break;
            found.push_back(static_cast<std::size_t>(marker - first));
            p = marker + 1;
            lineStart = false;
        }
        ASSERT_EQ(found, expected) << "seed " << seed;
    }
}
