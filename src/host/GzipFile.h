#pragma once

#include <cstddef>
#include <cstdint>
#include <istream>
#include <memory>
#include <streambuf>
#include <string>

#include <boost/shared_ptr.hpp>

#include "host/InputStream.h"

namespace Host {

class GzipCursor;
struct GzipIndex;

// A gzip-compressed file (one member, or several one after the other as
// bgzip and "cat a.gz b.gz" make) read at any position of its uncompressed
// data. Decompression that runs through the data in order notes, about
// every mebibyte, where it can resume (the bit in the compressed data and
// the 32 KiB of data before it), so that a later read at any position
// decompresses at most about a mebibyte before it. The first reading
// through (a table's index pass) notes them as it goes: no extra pass.
//
// The streams over one file (GzipInputStream, GzipIStream) share it; any
// number of them may be used at once, each from one thread at a time.
// Corrupt or truncated compressed data is a read error of the stream that
// meets it (never a short end of the data).
class VORLAT_EXPORT GzipFile {
public:
    // Over compressed data read through compressed (ReadAt where it can,
    // else Seek and Read in turns).
    explicit GzipFile(boost::shared_ptr<InputStream> compressed);
    // Over the file at path; IsOpen tells whether it could be opened.
    explicit GzipFile(const std::string& path);
    ~GzipFile();
    GzipFile(const GzipFile&) = delete;
    GzipFile& operator=(const GzipFile&) = delete;

    bool IsOpen() const;
    // Whether the bytes begin as gzip data does (1f 8b).
    static bool IsGzip(const char* head, std::size_t size);
    // Whether the file at path begins as gzip data does.
    static bool IsGzipFile(const std::string& path);

    // The uncompressed data's length once some reading reached its end;
    // -1 before.
    std::int64_t KnownLength() const;
    // Reads through to the end of the data (noting where to resume on the
    // way), for callers that need the length first; -1 when the data is
    // corrupt or truncated.
    std::int64_t ReadLength();
    // The compressed data's size in bytes (-1 when it cannot tell).
    std::int64_t CompressedLength() const;
    // The places noted so far, and the memory they hold.
    std::size_t AccessPointCount() const;
    std::size_t AccessPointBytes() const;

    // Uncompressed bytes between places noted (at least; a place is noted at
    // the first deflate block boundary after). For tests and measurements.
    void SetAccessPointSpan(std::int64_t span);

private:
    friend class GzipInputStream;
    friend class GzipStreamBuffer;
    std::unique_ptr<GzipIndex> m_Index;
};

// A host input stream over the uncompressed data of a gzip file. The
// length is -1 until some reading has reached the end of the data; seeking
// to any position works (reads there decompress from the nearest place
// noted before it).
class VORLAT_EXPORT GzipInputStream : public InputStream {
public:
    explicit GzipInputStream(boost::shared_ptr<GzipFile> file);
    ~GzipInputStream() override;

    std::size_t Read(char* buffer, std::size_t size) override;
    bool Seek(std::int64_t position) override;
    std::int64_t GetPosition() override;
    std::int64_t GetLength() override;
    bool HasReadError() const override;
    // How far through the compressed data the reading is (0 to 1), for
    // progress while the length is not known yet; -1 when it cannot tell.
    double GetCompressedFraction() const;
    const boost::shared_ptr<GzipFile>& File() const { return m_File; }

private:
    boost::shared_ptr<GzipFile> m_File;
    std::unique_ptr<GzipCursor> m_Cursor;
    std::int64_t m_Position = 0;
};

// A standard stream buffer over the uncompressed data of a gzip file:
// seeks to any position (lazily: the data is decompressed when read), and
// relative to the end once the length is known (before, such a seek fails).
class VORLAT_EXPORT GzipStreamBuffer : public std::streambuf {
public:
    explicit GzipStreamBuffer(boost::shared_ptr<GzipFile> file);
    ~GzipStreamBuffer() override;
    bool HasReadError() const;
    const boost::shared_ptr<GzipFile>& File() const { return m_File; }

protected:
    int_type underflow() override;
    pos_type seekoff(off_type offset, std::ios_base::seekdir direction, std::ios_base::openmode which) override;
    pos_type seekpos(pos_type position, std::ios_base::openmode which) override;

private:
    friend class GzipIStream;
    std::int64_t Position() const;
    boost::shared_ptr<GzipFile> m_File;
    std::unique_ptr<GzipCursor> m_Cursor;
    // Where the get area starts in the data; where the next read goes when
    // the get area is empty.
    std::int64_t m_AreaStart = 0;
    std::int64_t m_Target = 0;
    // The stream to mark bad on a read error (corrupt or truncated data).
    std::istream* m_Owner = nullptr;
};

// A standard input stream over a gzip file's uncompressed data; a read that
// meets corrupt or truncated data sets badbit.
class VORLAT_EXPORT GzipIStream : public std::istream {
public:
    explicit GzipIStream(boost::shared_ptr<GzipFile> file);
    ~GzipIStream() override;
    GzipStreamBuffer& Buffer() { return m_Buffer; }

private:
    GzipStreamBuffer m_Buffer;
};

} // namespace Host
