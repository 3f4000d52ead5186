#include "index/SavedIndex.h"

#include "index/IndexOptions.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/mman.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace VorlatImportExport {

namespace {

const char Magic[8] = {'V', 'O', 'R', 'L', 'A', 'T', 'I', 'X'};
// Changes whenever the layout of the header or of any provider's sections
// changes: a saved index of another version is not used.
const std::uint32_t FormatVersion = 2;

// The header, then the section table (tag, 0, offset, size per section),
// then the sections, then the check value of everything before it.
struct Header {
    char magic[8];
    std::uint32_t version;
    std::uint32_t kind;
    std::int64_t fileSize;
    std::int64_t fileModified;
    std::uint64_t fileHash;
    std::uint64_t optionsHash;
    std::uint64_t optionsSize;
    std::uint64_t sections;
    std::uint64_t totalSize;
};
static_assert(sizeof(Header) % 8 == 0, "the header keeps sections aligned");

struct TableEntry {
    std::uint32_t tag;
    std::uint32_t zero;
    std::uint64_t offset;
    std::uint64_t size;
};

std::uint64_t Rotate(std::uint64_t value, unsigned bits) { return (value << bits) | (value >> (64 - bits)); }

std::uint64_t Mix(std::uint64_t value)
{
    value ^= value >> 33;
    value *= 0xFF51AFD7ED558CCDull;
    value ^= value >> 33;
    value *= 0xC4CEB9FE1A85EC53ull;
    value ^= value >> 33;
    return value;
}

std::size_t Padded(std::size_t size) { return (size + 7) / 8 * 8; }

// HashBytes of bytes that come in pieces: the result is the same however
// they are cut.
class ByteHasher {
public:
    explicit ByteHasher(std::uint64_t seed = 0);
    void Add(const void* data, std::size_t size);
    std::uint64_t Result() const;

private:
    void Stripes(const char* data, std::size_t count);
    std::uint64_t m_Lanes[4];
    char m_Buffer[32] = {};
    std::size_t m_Pending = 0;
    std::uint64_t m_Total = 0;
};

// The check value hashes slices of this size apart (each with its number as
// the seed), then the list of their hashes.
const std::size_t CheckSlice = std::size_t(8) << 20;

// The check value of bytes that come in pieces.
class SlicedHasher {
public:
    void Add(const char* data, std::size_t size)
    {
        while (size > 0) {
            const std::size_t n = std::min(size, CheckSlice - m_InSlice);
            m_Slice.Add(data, n);
            m_InSlice += n;
            m_Total += n;
            data += n;
            size -= n;
            if (m_InSlice == CheckSlice) {
                m_Hashes.push_back(m_Slice.Result());
                m_Slice = ByteHasher(m_Hashes.size());
                m_InSlice = 0;
            }
        }
    }
    std::uint64_t Result()
    {
        if (m_InSlice > 0)
            m_Hashes.push_back(m_Slice.Result());
        return HashBytes(m_Hashes.data(), m_Hashes.size() * sizeof(std::uint64_t), m_Total);
    }

private:
    ByteHasher m_Slice{0};
    std::size_t m_InSlice = 0;
    std::uint64_t m_Total = 0;
    std::vector<std::uint64_t> m_Hashes;
};

// The same check value of bytes that lie in memory, slices on several
// threads.
std::uint64_t CheckValueOf(const char* bytes, std::size_t size)
{
    std::vector<std::uint64_t> hashes((size + CheckSlice - 1) / CheckSlice);
    ForEachOnThreads(hashes.size(), [&](std::size_t slice) {
        const std::size_t at = slice * CheckSlice;
        hashes[slice] = HashBytes(bytes + at, std::min(CheckSlice, size - at), slice);
    });
    return HashBytes(hashes.data(), hashes.size() * sizeof(std::uint64_t), size);
}

bool WriteAll(int descriptor, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = ::write(descriptor, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::size_t ReadAllAt(int descriptor, char* data, std::size_t size, std::int64_t at)
{
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(descriptor, data + done, size - done, static_cast<off_t>(at + static_cast<std::int64_t>(done)));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

} // namespace

namespace {

const std::uint64_t HashPrime = 0x9E3779B97F4A7C15ull;

} // namespace

// Four lanes of 8 bytes at a time, each a multiply and a rotation, then
// mixed: fast enough for hundreds of megabytes, and any changed byte
// changes the result. Bytes given in pieces hash as the same bytes in one.
ByteHasher::ByteHasher(std::uint64_t seed)
    : m_Lanes{seed ^ 0x9E3779B97F4A7C15ull, seed + 0xC2B2AE3D27D4EB4Full, seed ^ 0x165667B19E3779F9ull,
              seed - 0x85EBCA77C2B2AE63ull}
{
}

void ByteHasher::Stripes(const char* p, std::size_t count)
{
    std::uint64_t lanes[4] = {m_Lanes[0], m_Lanes[1], m_Lanes[2], m_Lanes[3]};
    for (std::size_t s = 0; s < count; ++s, p += 32) {
        for (int k = 0; k < 4; ++k) {
            std::uint64_t word;
            std::memcpy(&word, p + 8 * k, 8);
            lanes[k] = Rotate(lanes[k] + word * 0xC2B2AE3D27D4EB4Full, 31) * HashPrime;
        }
    }
    for (int k = 0; k < 4; ++k)
        m_Lanes[k] = lanes[k];
}

void ByteHasher::Add(const void* data, std::size_t size)
{
    const char* p = static_cast<const char*>(data);
    m_Total += size;
    if (m_Pending > 0) {
        const std::size_t n = std::min(size, sizeof m_Buffer - m_Pending);
        std::memcpy(m_Buffer + m_Pending, p, n);
        m_Pending += n;
        p += n;
        size -= n;
        if (m_Pending < sizeof m_Buffer)
            return;
        Stripes(m_Buffer, 1);
        m_Pending = 0;
    }
    Stripes(p, size / 32);
    p += size / 32 * 32;
    size %= 32;
    if (size > 0)
        std::memcpy(m_Buffer, p, size);
    m_Pending = size;
}

std::uint64_t ByteHasher::Result() const
{
    std::uint64_t hash = Rotate(m_Lanes[0], 1) + Rotate(m_Lanes[1], 7) + Rotate(m_Lanes[2], 12) + Rotate(m_Lanes[3], 18);
    for (int k = 0; k < 4; ++k)
        hash = (hash ^ Mix(m_Lanes[k])) * HashPrime;
    const char* p = m_Buffer;
    std::size_t left = m_Pending;
    while (left >= 8) {
        std::uint64_t word;
        std::memcpy(&word, p, 8);
        hash = Rotate(hash ^ Mix(word), 27) * HashPrime + 0x85EBCA77C2B2AE63ull;
        p += 8;
        left -= 8;
    }
    while (left > 0) {
        hash = Rotate(hash ^ (static_cast<unsigned char>(*p) * 0x27D4EB2F165667C5ull), 11) * HashPrime;
        ++p;
        --left;
    }
    return Mix(hash ^ m_Total);
}

std::uint64_t HashBytes(const void* data, std::size_t size, std::uint64_t seed)
{
    ByteHasher hasher(seed);
    hasher.Add(data, size);
    return hasher.Result();
}

bool FileFingerprint::Of(const std::string& path, FileFingerprint& fingerprint)
{
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    struct stat info {};
    bool ok = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode);
    if (ok) {
        fingerprint.size = static_cast<std::int64_t>(info.st_size);
        fingerprint.modified =
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + static_cast<std::int64_t>(info.st_mtim.tv_nsec);
        // The first and last 64 KiB, and 16 blocks of 4 KiB between.
        const std::int64_t size = fingerprint.size;
        std::vector<std::pair<std::int64_t, std::size_t>> places = {{0, 64 << 10},
                                                                    {std::max<std::int64_t>(size - (64 << 10), 0), 64 << 10}};
        for (int k = 1; k <= 16; ++k)
            places.emplace_back(size / 17 * k, 4 << 10);
        std::vector<char> bytes(64 << 10);
        std::uint64_t hash = static_cast<std::uint64_t>(size);
        for (const auto& [at, length] : places) {
            const std::size_t n = ReadAllAt(descriptor, bytes.data(), std::min(length, bytes.size()), at);
            hash = HashBytes(bytes.data(), n, hash);
        }
        fingerprint.hash = hash;
    }
    ::close(descriptor);
    return ok;
}

SavedIndexWriter::SavedIndexWriter(std::uint32_t kind, const FileFingerprint& fingerprint, std::string options)
    : m_Kind(kind), m_Fingerprint(fingerprint), m_Options(std::move(options))
{
}

void SavedIndexWriter::Add(std::uint32_t tag, const void* data, std::size_t size)
{
    m_Sections.push_back({tag, std::string(static_cast<const char*>(data), size), {}});
}

void SavedIndexWriter::AddView(std::uint32_t tag, const void* data, std::size_t size)
{
    m_Sections.push_back({tag, std::string(), {}});
    AddMore(data, size);
}

void SavedIndexWriter::AddMore(const void* data, std::size_t size)
{
    if (!m_Sections.empty() && size > 0)
        m_Sections.back().pieces.push_back({static_cast<const char*>(data), size});
}

std::size_t SavedIndexWriter::Section::Size() const
{
    std::size_t size = bytes.size();
    for (const Piece& piece : pieces)
        size += piece.size;
    return size;
}

void SavedIndexWriter::AddTexts(std::uint32_t tag, const std::vector<std::string>& texts)
{
    std::string bytes;
    for (const std::string& text : texts) {
        const std::uint64_t length = text.size();
        bytes.append(reinterpret_cast<const char*>(&length), sizeof length);
        bytes += text;
    }
    Add(tag, bytes);
}

bool SavedIndexWriter::WriteTo(const std::string& path) const noexcept
{
    try {
        Header header{};
        std::memcpy(header.magic, Magic, sizeof Magic);
        header.version = FormatVersion;
        header.kind = m_Kind;
        header.fileSize = m_Fingerprint.size;
        header.fileModified = m_Fingerprint.modified;
        header.fileHash = m_Fingerprint.hash;
        header.optionsHash = HashBytes(m_Options.data(), m_Options.size());
        header.optionsSize = m_Options.size();
        header.sections = m_Sections.size();
        // The header and the section table first, the sections then follow
        // as they are (their bytes are not gathered into one copy).
        std::string head(sizeof header + m_Sections.size() * sizeof(TableEntry), '\0');
        std::vector<TableEntry> table;
        std::uint64_t at = head.size();
        for (const Section& section : m_Sections) {
            const std::size_t size = section.Size();
            table.push_back({section.tag, 0, at, size});
            at += Padded(size);
        }
        header.totalSize = at + sizeof(std::uint64_t);
        std::memcpy(head.data(), &header, sizeof header);
        if (!table.empty())
            std::memcpy(head.data() + sizeof header, table.data(), table.size() * sizeof(TableEntry));

        // A name of this writer's own beside the target, renamed over it.
        std::random_device device;
        const std::string temporary =
            path + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(device() & 0xFFFFFF);
        const int descriptor = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (descriptor < 0)
            return false;
        SlicedHasher check;
        const auto put = [&](const char* data, std::size_t size) {
            check.Add(data, size);
            return WriteAll(descriptor, data, size);
        };
        const char zeros[8] = {};
        bool written = put(head.data(), head.size());
        for (const Section& section : m_Sections) {
            written = written && put(section.bytes.data(), section.bytes.size());
            for (const Piece& piece : section.pieces)
                written = written && put(piece.data, piece.size);
            const std::size_t size = section.Size();
            written = written && put(zeros, Padded(size) - size);
        }
        const std::uint64_t value = check.Result();
        written = written && WriteAll(descriptor, reinterpret_cast<const char*>(&value), sizeof value);
        const bool closed = ::close(descriptor) == 0;
        if (!written || !closed || std::rename(temporary.c_str(), path.c_str()) != 0) {
            ::unlink(temporary.c_str());
            return false;
        }
        return true;
    } catch (...) {
        return false;
    }
}

void SavedIndexReader::Reset()
{
    m_Mapping.reset();
    m_Bytes = nullptr;
    m_Places.clear();
}

bool SavedIndexReader::Load(const std::string& path, std::uint32_t kind, const FileFingerprint& fingerprint,
                            const std::string& options) noexcept
{
    Reset();
    try {
        const int descriptor = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (descriptor < 0)
            return false;
        struct stat info {};
        Header header{};
        bool ok = ::fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
                  static_cast<std::uint64_t>(info.st_size) >= sizeof header + sizeof(std::uint64_t) &&
                  info.st_size % 8 == 0 &&
                  ReadAllAt(descriptor, reinterpret_cast<char*>(&header), sizeof header, 0) == sizeof header &&
                  std::memcmp(header.magic, Magic, sizeof Magic) == 0 && header.version == FormatVersion &&
                  header.kind == kind && header.totalSize == static_cast<std::uint64_t>(info.st_size) &&
                  header.fileSize == fingerprint.size && header.fileModified == fingerprint.modified &&
                  header.fileHash == fingerprint.hash && header.optionsSize == options.size() &&
                  header.optionsHash == HashBytes(options.data(), options.size()) &&
                  header.sections <= (header.totalSize - sizeof header) / sizeof(TableEntry) &&
                  header.totalSize <= std::numeric_limits<std::size_t>::max();
        void* mapped = MAP_FAILED;
        const std::size_t total = static_cast<std::size_t>(header.totalSize);
        if (ok) {
            // Mapped, its pages brought in by the check value's threads.
            mapped = ::mmap(nullptr, total, PROT_READ, MAP_PRIVATE, descriptor, 0);
            ok = mapped != MAP_FAILED;
        }
        ::close(descriptor);
        if (!ok)
            return false;
        m_Mapping = std::shared_ptr<const void>(mapped, [total](const void* bytes) {
            ::munmap(const_cast<void*>(bytes), total);
        });
        const char* const bytes = static_cast<const char*>(mapped);
        const std::uint64_t checked = header.totalSize - sizeof(std::uint64_t);
        std::uint64_t check = 0;
        std::memcpy(&check, bytes + checked, sizeof check);
        // The header again (the file may have changed since its first read).
        if (check != CheckValueOf(bytes, static_cast<std::size_t>(checked)) ||
            std::memcmp(bytes, &header, sizeof header) != 0) {
            Reset();
            return false;
        }
        const std::uint64_t dataStart = sizeof header + header.sections * sizeof(TableEntry);
        for (std::uint64_t k = 0; k < header.sections; ++k) {
            TableEntry entry{};
            std::memcpy(&entry, bytes + sizeof header + k * sizeof(TableEntry), sizeof entry);
            if (entry.offset < dataStart || entry.offset % 8 != 0 || entry.offset > checked ||
                entry.size > checked - entry.offset) {
                Reset();
                return false;
            }
            m_Places.push_back({entry.tag, entry.offset, entry.size});
        }
        // By tag, each once.
        std::sort(m_Places.begin(), m_Places.end(), [](const Place& a, const Place& b) { return a.tag < b.tag; });
        for (std::size_t k = 1; k < m_Places.size(); ++k)
            if (m_Places[k].tag == m_Places[k - 1].tag) {
                Reset();
                return false;
            }
        m_Bytes = bytes;
        return true;
    } catch (...) {
        Reset();
        return false;
    }
}

bool SavedIndexReader::Section(std::uint32_t tag, const char*& data, std::size_t& size) const
{
    const auto found = std::lower_bound(m_Places.begin(), m_Places.end(), tag,
                                        [](const Place& place, std::uint32_t t) { return place.tag < t; });
    if (found == m_Places.end() || found->tag != tag)
        return false;
    data = m_Bytes + found->offset;
    size = static_cast<std::size_t>(found->size);
    return true;
}

bool SavedIndexReader::Number(std::uint32_t tag, std::int64_t& value) const
{
    const char* data = nullptr;
    std::size_t size = 0;
    if (!Section(tag, data, size) || size != sizeof value)
        return false;
    std::memcpy(&value, data, sizeof value);
    return true;
}

bool SavedIndexReader::Texts(std::uint32_t tag, std::vector<std::string>& texts) const
{
    const char* data = nullptr;
    std::size_t size = 0;
    texts.clear();
    if (!Section(tag, data, size))
        return false;
    while (size > 0) {
        std::uint64_t length = 0;
        if (size < sizeof length)
            return false;
        std::memcpy(&length, data, sizeof length);
        data += sizeof length;
        size -= sizeof length;
        if (length > size)
            return false;
        texts.emplace_back(data, static_cast<std::size_t>(length));
        data += length;
        size -= static_cast<std::size_t>(length);
    }
    return true;
}

} // namespace VorlatImportExport
