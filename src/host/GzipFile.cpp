#include "host/GzipFile.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <mutex>
#include <vector>

#include <zlib.h>

#include "host/FileInputStream.h"

namespace Host {

namespace {

// The data before a place that decompression needs to resume there.
const std::size_t Window = 32768;
// Uncompressed bytes a cursor makes at a time, and compressed bytes it
// reads at a time.
const std::size_t Chunk = 256 << 10;
const std::size_t InputChunk = 128 << 10;
const std::int64_t DefaultSpan = 1 << 20;

// A place where decompression can resume: the uncompressed offset, the
// compressed byte to go on from, how many bits of the byte before it are
// still to be read, and the data before it.
struct AccessPoint {
    std::int64_t out = 0;
    std::int64_t in = 0;
    int bits = 0;
    std::vector<unsigned char> window;
};

} // namespace

struct GzipIndex {
    boost::shared_ptr<InputStream> compressed;
    bool canReadAt = false;
    std::int64_t compressedLength = -1;
    std::mutex readTurns; // for a compressed stream without ReadAt

    mutable std::mutex mutex; // guards points and pointBytes
    std::vector<AccessPoint> points; // by increasing out
    std::size_t pointBytes = 0;
    std::atomic<std::int64_t> lastOut{0};
    std::atomic<std::int64_t> length{-1};
    std::int64_t span = DefaultSpan;

    std::size_t ReadCompressed(std::int64_t position, unsigned char* buffer, std::size_t size)
    {
        if (!compressed || position < 0)
            return 0;
        char* bytes = reinterpret_cast<char*>(buffer);
        if (canReadAt)
            return compressed->ReadAt(position, bytes, size);
        std::lock_guard<std::mutex> lock(readTurns);
        if (!compressed->Seek(position))
            return 0;
        std::size_t done = 0;
        while (done < size) {
            const std::size_t n = compressed->Read(bytes + done, size - done);
            if (n == 0)
                break;
            done += n;
        }
        return done;
    }

    bool ReadError() const { return compressed && compressed->HasReadError(); }
};

// One reader's decompression: a zlib stream and the last chunk it made, with
// up to 32 KiB of the data before that chunk kept in front of it (the data a
// place noted inside the chunk needs).
class GzipCursor {
public:
    explicit GzipCursor(GzipIndex& index) : m_Index(index), m_In(InputChunk), m_Out(Window + Chunk) {}
    ~GzipCursor()
    {
        if (m_Ready)
            inflateEnd(&m_Z);
    }
    GzipCursor(const GzipCursor&) = delete;
    GzipCursor& operator=(const GzipCursor&) = delete;

    // The data from position on (size > 0 bytes, valid until the next call);
    // false at the end of the data or where it cannot be read.
    bool Fill(std::int64_t position, const char*& data, std::size_t& size)
    {
        m_FillFailed = false;
        return FillFrom(position, data, size);
    }

    // Whether some read met corrupt or truncated data, or could not read
    // the compressed data; whether the last Fill did.
    bool Failed() const { return m_Failed; }
    bool LastFillFailed() const { return m_FillFailed; }

    double CompressedFraction() const
    {
        if (m_Index.compressedLength <= 0)
            return -1;
        const std::int64_t at = m_InPos - static_cast<std::int64_t>(m_Ready ? m_Z.avail_in : 0);
        return std::min(1.0, static_cast<double>(at) / static_cast<double>(m_Index.compressedLength));
    }

private:
    bool FillFrom(std::int64_t position, const char*& data, std::size_t& size)
    {
        if (position < 0)
            return false;
        if (!Holds(position)) {
            const std::int64_t known = m_Index.length.load();
            if (known >= 0 && position >= known)
                return false;
            if (!m_Started || m_Broken || position < ChunkEnd() || PointBetween(ChunkEnd(), position)) {
                if (!Restart(position))
                    return false;
            }
            while (!Holds(position)) {
                if (!Produce())
                    return false;
            }
        }
        data = reinterpret_cast<const char*>(m_Out.data() + Window + (position - m_ChunkPos));
        size = static_cast<std::size_t>(ChunkEnd() - position);
        return true;
    }

    std::int64_t ChunkEnd() const { return m_ChunkPos + static_cast<std::int64_t>(m_ChunkSize); }
    bool Holds(std::int64_t position) const { return position >= m_ChunkPos && position < ChunkEnd(); }

    bool PointBetween(std::int64_t after, std::int64_t upTo) const
    {
        if (m_Index.lastOut.load() <= after)
            return false;
        std::lock_guard<std::mutex> lock(m_Index.mutex);
        const auto next = std::upper_bound(m_Index.points.begin(), m_Index.points.end(), after,
                                           [](std::int64_t value, const AccessPoint& point) { return value < point.out; });
        return next != m_Index.points.end() && next->out <= upTo;
    }

    void Fail()
    {
        m_Failed = true;
        m_FillFailed = true;
        m_Broken = true;
    }

    // Goes to the last place noted at or before target (the start of the
    // data when there is none), ready to decompress from there.
    bool Restart(std::int64_t target)
    {
        AccessPoint from;
        {
            std::lock_guard<std::mutex> lock(m_Index.mutex);
            const auto after = std::upper_bound(m_Index.points.begin(), m_Index.points.end(), target,
                                                [](std::int64_t value, const AccessPoint& point) { return value < point.out; });
            if (after != m_Index.points.begin())
                from = *(after - 1);
        }
        const bool atStart = from.out == 0;
        const int windowBits = atStart ? 15 + 16 : -15;
        if (!m_Ready) {
            std::memset(&m_Z, 0, sizeof m_Z);
            if (inflateInit2(&m_Z, windowBits) != Z_OK) {
                Fail();
                return false;
            }
            m_Ready = true;
        } else if (inflateReset2(&m_Z, windowBits) != Z_OK) {
            Fail();
            return false;
        }
        m_Started = true;
        m_Broken = false;
        m_Ended = false;
        m_Raw = !atStart;
        m_Z.avail_in = 0;
        m_Z.next_in = m_In.data();
        m_ChunkPos = from.out;
        m_ChunkSize = 0;
        m_InPos = atStart ? 0 : from.in - (from.bits ? 1 : 0);
        // The data before the place is the history later places need.
        m_History = from.window.size();
        if (m_History > 0)
            std::memcpy(m_Out.data() + Window - m_History, from.window.data(), m_History);
        if (atStart)
            return true;
        if (from.bits) {
            if (!LoadInput()) {
                Fail();
                return false;
            }
            const int byte = *m_Z.next_in;
            ++m_Z.next_in;
            --m_Z.avail_in;
            if (inflatePrime(&m_Z, from.bits, byte >> (8 - from.bits)) != Z_OK) {
                Fail();
                return false;
            }
        }
        if (inflateSetDictionary(&m_Z, from.window.data(), static_cast<uInt>(from.window.size())) != Z_OK) {
            Fail();
            return false;
        }
        return true;
    }

    bool LoadInput()
    {
        const std::size_t n = m_Index.ReadCompressed(m_InPos, m_In.data(), m_In.size());
        if (n == 0)
            return false;
        m_Z.next_in = m_In.data();
        m_Z.avail_in = static_cast<uInt>(n);
        m_InPos += static_cast<std::int64_t>(n);
        return true;
    }

    // The next chunk of data after the current one; false when there is
    // none (the end of the data, or a failure).
    bool Produce()
    {
        if (m_Ended || m_Broken)
            return false;
        // Keep the last 32 KiB made in front of the new chunk.
        const std::size_t made = m_History + m_ChunkSize;
        const std::size_t keep = std::min(made, Window);
        std::memmove(m_Out.data() + Window - keep, m_Out.data() + Window + m_ChunkSize - keep, keep);
        m_History = keep;
        m_ChunkPos = ChunkEnd();
        m_ChunkSize = 0;
        unsigned char* const chunk = m_Out.data() + Window;
        m_Z.next_out = chunk;
        m_Z.avail_out = static_cast<uInt>(Chunk);
        while (m_Z.avail_out > 0) {
            if (m_Z.avail_in == 0 && !LoadInput()) {
                // The compressed data ends inside a member: truncated.
                Fail();
                break;
            }
            const int result = inflate(&m_Z, Z_BLOCK);
            if (result == Z_STREAM_END) {
                if (!NextMember())
                    break;
                continue;
            }
            if (result != Z_OK && !(result == Z_BUF_ERROR && m_Z.avail_in == 0)) {
                Fail();
                break;
            }
            // At the end of a block that is not the member's last: a place
            // to note when the last one is a span back.
            if ((m_Z.data_type & 128) && !(m_Z.data_type & 64))
                NotePoint();
        }
        m_ChunkSize = static_cast<std::size_t>(m_Z.next_out - chunk);
        return m_ChunkSize > 0;
    }

    void NotePoint()
    {
        const unsigned char* const chunk = m_Out.data() + Window;
        const std::int64_t out = m_ChunkPos + (m_Z.next_out - chunk);
        if (out - m_Index.lastOut.load() < m_Index.span)
            return;
        const unsigned char* const first = std::max<const unsigned char*>(m_Z.next_out - Window, chunk - m_History);
        AccessPoint point;
        point.out = out;
        point.in = m_InPos - static_cast<std::int64_t>(m_Z.avail_in);
        point.bits = m_Z.data_type & 7;
        point.window.assign(first, static_cast<const unsigned char*>(m_Z.next_out));
        std::lock_guard<std::mutex> lock(m_Index.mutex);
        if (out - m_Index.lastOut.load() < m_Index.span)
            return;
        m_Index.pointBytes += sizeof(AccessPoint) + point.window.size();
        m_Index.points.push_back(std::move(point));
        m_Index.lastOut = out;
    }

    // After the end of a member: the next member, or the end of the data
    // (zero bytes may pad it). Anything else after a member is corrupt.
    bool NextMember()
    {
        if (m_Raw) {
            // The member's trailer (its check value and size), which a
            // decompression that began inside the member cannot check.
            for (unsigned need = 8; need > 0;) {
                if (m_Z.avail_in == 0 && !LoadInput()) {
                    Fail();
                    return false;
                }
                const unsigned take = std::min(need, m_Z.avail_in);
                m_Z.next_in += take;
                m_Z.avail_in -= take;
                need -= take;
            }
        }
        for (bool first = true;; first = false) {
            if (m_Z.avail_in == 0 && !LoadInput()) {
                if (m_Index.ReadError()) {
                    Fail();
                    return false;
                }
                m_Ended = true;
                const std::int64_t out = m_ChunkPos + (m_Z.next_out - (m_Out.data() + Window));
                std::int64_t unknown = -1;
                m_Index.length.compare_exchange_strong(unknown, out);
                return false;
            }
            if (first && *m_Z.next_in == 0x1f) {
                unsigned char magic[2] = {0, 0};
                const std::int64_t at = m_InPos - static_cast<std::int64_t>(m_Z.avail_in);
                if (m_Index.ReadCompressed(at, magic, 2) == 2 && magic[1] == 0x8b) {
                    if (inflateReset2(&m_Z, 15 + 16) != Z_OK) {
                        Fail();
                        return false;
                    }
                    m_Raw = false;
                    return true;
                }
            }
            // Only zero bytes may follow the last member.
            unsigned char* const end = m_Z.next_in + m_Z.avail_in;
            if (std::find_if(m_Z.next_in, end, [](unsigned char c) { return c != 0; }) != end) {
                Fail();
                return false;
            }
            m_Z.next_in = end;
            m_Z.avail_in = 0;
        }
    }

    GzipIndex& m_Index;
    z_stream m_Z{};
    bool m_Ready = false;
    bool m_Started = false;
    bool m_Broken = false;
    bool m_Failed = false;
    bool m_FillFailed = false;
    bool m_Ended = false;
    bool m_Raw = false;
    std::vector<unsigned char> m_In;
    std::vector<unsigned char> m_Out;
    std::int64_t m_InPos = 0;
    std::int64_t m_ChunkPos = 0;
    std::size_t m_ChunkSize = 0;
    std::size_t m_History = 0;
};

// --- the file -----------------------------------------------------------------

GzipFile::GzipFile(boost::shared_ptr<InputStream> compressed) : m_Index(new GzipIndex)
{
    m_Index->compressed = std::move(compressed);
    if (m_Index->compressed) {
        m_Index->canReadAt = m_Index->compressed->CanReadAt();
        m_Index->compressedLength = m_Index->compressed->GetLength();
    }
}

GzipFile::GzipFile(const std::string& path) : GzipFile(boost::shared_ptr<InputStream>(new FileInputStream(path))) {}

GzipFile::~GzipFile() = default;

bool GzipFile::IsOpen() const
{
    const auto* file = dynamic_cast<const FileInputStream*>(m_Index->compressed.get());
    return m_Index->compressed && (!file || file->IsOpen());
}

bool GzipFile::IsGzip(const char* head, std::size_t size)
{
    return size >= 2 && static_cast<unsigned char>(head[0]) == 0x1f && static_cast<unsigned char>(head[1]) == 0x8b;
}

bool GzipFile::IsGzipFile(const std::string& path)
{
    FileInputStream file(path);
    char head[2] = {0, 0};
    return file.IsOpen() && file.ReadAt(0, head, 2) == 2 && IsGzip(head, 2);
}

std::int64_t GzipFile::KnownLength() const { return m_Index->length.load(); }

std::int64_t GzipFile::ReadLength()
{
    if (m_Index->length.load() >= 0)
        return m_Index->length.load();
    GzipCursor cursor(*m_Index);
    // From the last place noted on: what came before was read already.
    std::int64_t position = m_Index->lastOut.load();
    const char* data = nullptr;
    std::size_t size = 0;
    while (cursor.Fill(position, data, size))
        position += static_cast<std::int64_t>(size);
    return cursor.Failed() ? -1 : m_Index->length.load();
}

std::int64_t GzipFile::CompressedLength() const { return m_Index->compressedLength; }

std::size_t GzipFile::AccessPointCount() const
{
    std::lock_guard<std::mutex> lock(m_Index->mutex);
    return m_Index->points.size();
}

std::size_t GzipFile::AccessPointBytes() const
{
    std::lock_guard<std::mutex> lock(m_Index->mutex);
    return m_Index->pointBytes;
}

void GzipFile::SetAccessPointSpan(std::int64_t span) { m_Index->span = std::max<std::int64_t>(span, 1); }

// --- the host input stream ----------------------------------------------------------

GzipInputStream::GzipInputStream(boost::shared_ptr<GzipFile> file)
    : m_File(std::move(file)), m_Cursor(new GzipCursor(*m_File->m_Index))
{
}

GzipInputStream::~GzipInputStream() = default;

std::size_t GzipInputStream::Read(char* buffer, std::size_t size)
{
    std::size_t done = 0;
    while (done < size) {
        const char* data = nullptr;
        std::size_t available = 0;
        if (!m_Cursor->Fill(m_Position, data, available))
            break;
        const std::size_t n = std::min(available, size - done);
        std::memcpy(buffer + done, data, n);
        done += n;
        m_Position += static_cast<std::int64_t>(n);
    }
    return done;
}

bool GzipInputStream::Seek(std::int64_t position)
{
    if (position < 0)
        return false;
    m_Position = position;
    return true;
}

std::int64_t GzipInputStream::GetPosition() { return m_Position; }

std::int64_t GzipInputStream::GetLength() { return m_File->KnownLength(); }

bool GzipInputStream::HasReadError() const { return m_Cursor->Failed(); }

double GzipInputStream::GetCompressedFraction() const { return m_Cursor->CompressedFraction(); }

// --- the standard stream buffer -------------------------------------------------------

GzipStreamBuffer::GzipStreamBuffer(boost::shared_ptr<GzipFile> file)
    : m_File(std::move(file)), m_Cursor(new GzipCursor(*m_File->m_Index))
{
}

GzipStreamBuffer::~GzipStreamBuffer() = default;

bool GzipStreamBuffer::HasReadError() const { return m_Cursor->Failed(); }

std::int64_t GzipStreamBuffer::Position() const
{
    return eback() ? m_AreaStart + (gptr() - eback()) : m_Target;
}

GzipStreamBuffer::int_type GzipStreamBuffer::underflow()
{
    if (gptr() < egptr())
        return traits_type::to_int_type(*gptr());
    const std::int64_t position = Position();
    const char* data = nullptr;
    std::size_t size = 0;
    if (!m_Cursor->Fill(position, data, size)) {
        setg(nullptr, nullptr, nullptr);
        m_Target = position;
        if (m_Cursor->LastFillFailed() && m_Owner)
            m_Owner->setstate(std::ios::badbit);
        return traits_type::eof();
    }
    char* area = const_cast<char*>(data);
    setg(area, area, area + size);
    m_AreaStart = position;
    return traits_type::to_int_type(*gptr());
}

GzipStreamBuffer::pos_type GzipStreamBuffer::seekoff(off_type offset, std::ios_base::seekdir direction,
                                                     std::ios_base::openmode which)
{
    const pos_type failed(off_type(-1));
    if (!(which & std::ios_base::in))
        return failed;
    std::int64_t base = 0;
    if (direction == std::ios_base::cur) {
        base = Position();
    } else if (direction == std::ios_base::end) {
        base = m_File->KnownLength();
        if (base < 0)
            return failed;
    }
    return seekpos(pos_type(off_type(base + offset)), which);
}

GzipStreamBuffer::pos_type GzipStreamBuffer::seekpos(pos_type position, std::ios_base::openmode which)
{
    const std::int64_t target = static_cast<std::int64_t>(static_cast<off_type>(position));
    if (!(which & std::ios_base::in) || target < 0)
        return pos_type(off_type(-1));
    if (eback() && target >= m_AreaStart && target < m_AreaStart + (egptr() - eback())) {
        setg(eback(), eback() + (target - m_AreaStart), egptr());
    } else {
        setg(nullptr, nullptr, nullptr);
        m_Target = target;
    }
    return position;
}

GzipIStream::GzipIStream(boost::shared_ptr<GzipFile> file) : std::istream(nullptr), m_Buffer(std::move(file))
{
    m_Buffer.m_Owner = this;
    rdbuf(&m_Buffer);
}

GzipIStream::~GzipIStream() = default;

} // namespace Host
