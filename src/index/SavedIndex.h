#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "host/Export.h"

namespace VorlatImportExport {

// What a saved index was made from: the file's size and modification time,
// and a hash of its first and last 64 KiB and of 16 blocks of 4 KiB spread
// across it (a file rewritten within the same second with the same size
// still shows).
struct VORLAT_EXPORT FileFingerprint {
    std::int64_t size = -1;
    std::int64_t modified = 0; // nanoseconds since the epoch
    std::uint64_t hash = 0;

    // The fingerprint of the file at path; false when it cannot be read.
    static bool Of(const std::string& path, FileFingerprint& fingerprint);
    bool operator==(const FileFingerprint& other) const
    {
        return size == other.size && modified == other.modified && hash == other.hash;
    }
};

// Where a provider keeps its saved index, opted into by the host: the saved
// index's path (a file the host chooses, in its cache folder) and the path of
// the file the provider's streams read (whose fingerprint says whether the
// saved index is of it). A provider given both loads the saved index instead
// of indexing when it is of the same file, unchanged, made with the same
// options, and whole; and writes one after indexing otherwise. Either empty:
// nothing is read or written.
struct VORLAT_EXPORT SavedIndexOptions {
    std::string path;
    std::string file;
    bool Enabled() const { return !path.empty() && !file.empty(); }
};

// A 64-bit hash of bytes, several gigabytes a second: the saved index's
// check value and the fingerprint's.
VORLAT_EXPORT std::uint64_t HashBytes(const void* data, std::size_t size, std::uint64_t seed = 0);

// A provider's index saved to a file: a header (what the index is of, the
// file's fingerprint, the options it was made with), numbered sections of
// bytes, each at an offset that is a multiple of 8 so that a section of
// numbers can be used where it lies, and a check value of everything before
// it (made of the hashes of its slices of 8 MiB, so that it can be checked on
// several threads).
class VORLAT_EXPORT SavedIndexWriter {
public:
    // kind: which provider wrote it; options: the options that shaped the
    // index, as bytes (an index made with others is not used).
    SavedIndexWriter(std::uint32_t kind, const FileFingerprint& fingerprint, std::string options);

    // The section's bytes are copied.
    void Add(std::uint32_t tag, const void* data, std::size_t size);
    // A section of bytes that are not copied: they must stay as they are
    // until WriteTo returns. AddMore appends bytes to the last section, so
    // that a section can be made of separate blocks.
    void AddView(std::uint32_t tag, const void* data, std::size_t size);
    void AddMore(const void* data, std::size_t size);
    void Add(std::uint32_t tag, const std::string& bytes) { Add(tag, bytes.data(), bytes.size()); }
    void AddNumber(std::uint32_t tag, std::int64_t value) { Add(tag, &value, sizeof value); }
    // Texts, each as its length (8 bytes) then its bytes.
    void AddTexts(std::uint32_t tag, const std::vector<std::string>& texts);

    // Writes the saved index to path: to a temporary file beside it, then
    // renamed over it, so that path holds a whole saved index or none (two
    // processes writing at once each rename a whole one). False, and nothing
    // left behind, when it cannot be written (a read-only folder, a full
    // disk); never throws.
    bool WriteTo(const std::string& path) const noexcept;

private:
    struct Piece {
        const char* data;
        std::size_t size;
    };
    struct Section {
        std::uint32_t tag;
        std::string bytes; // copied bytes, the first piece
        std::vector<Piece> pieces;
        std::size_t Size() const;
    };
    std::uint32_t m_Kind;
    FileFingerprint m_Fingerprint;
    std::string m_Options;
    std::vector<Section> m_Sections;
};

// A saved index read back and checked before anything in it is used: its
// length, header, kind, version, the file's fingerprint, the options, every
// section's place within it and the check value of the whole. Every
// accessor checks lengths again; a failed check of any kind is a saved
// index that is not used.
//
// The file is mapped, not read: sections are used where they lie (a loaded
// index may borrow them, holding Keep()), so that loading costs the check
// value's pass over the bytes and little else. At least 8 readable bytes
// follow every section (the check value follows the last).
class VORLAT_EXPORT SavedIndexReader {
public:
    // False when there is no usable saved index at path for this kind, file
    // and options; never throws.
    bool Load(const std::string& path, std::uint32_t kind, const FileFingerprint& fingerprint,
              const std::string& options) noexcept;

    // The section's bytes (at an address that is a multiple of 8); false
    // when there is no such section.
    bool Section(std::uint32_t tag, const char*& data, std::size_t& size) const;
    bool Number(std::uint32_t tag, std::int64_t& value) const;
    bool Texts(std::uint32_t tag, std::vector<std::string>& texts) const;
    // Holds the mapped saved index for as long as anything borrows from it.
    std::shared_ptr<const void> Keep() const { return m_Mapping; }

private:
    struct Place {
        std::uint32_t tag;
        std::uint64_t offset;
        std::uint64_t size;
    };
    void Reset();
    std::shared_ptr<const void> m_Mapping;
    const char* m_Bytes = nullptr; // the whole saved index, page-aligned
    std::vector<Place> m_Places;   // by tag
};

} // namespace VorlatImportExport
