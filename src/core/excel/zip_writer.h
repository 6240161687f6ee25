#pragma once

// Writes a zip archive into memory, one entry after another. Every entry is deflated by the
// same compressor (setting one up costs more than deflating a small part of a workbook), an
// entry can be fed piece by piece, and an entry that is already compressed elsewhere (a part
// of the template that nothing changed) is copied as it is stored, without inflating and
// deflating it again.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace quilto {

// An entry as a zip stores it: the method (0 stored, 8 deflated), the CRC-32 and size of
// its uncompressed bytes, and the bytes as stored.
struct ZipStoredEntry {
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t size = 0;
    std::string data;
};

class ZipWriter {
  public:
    // Appends the archive to *out.
    explicit ZipWriter(std::string* out);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    // A whole entry, deflated, or stored as it is when `store` (images, which deflate
    // would only make slower to write).
    bool Add(std::string_view name, std::string_view bytes, bool store = false);
    // An entry written in pieces: Begin, any number of Append, End. Always deflated. The
    // pieces are gathered in a buffer kept from entry to entry.
    bool Begin(std::string_view name);
    bool Append(std::string_view bytes);
    bool End();
    // An entry copied as stored (method 0 or 8 only).
    bool AddStored(std::string_view name, const ZipStoredEntry& entry);
    // The central directory. False, here or earlier, when deflate fails or the archive
    // would pass what a zip without its 64-bit extension holds (4 GiB, 65,535 entries).
    bool Finish();

  private:
    struct Deflater;
    struct Central {
        std::string name;
        std::uint16_t method;
        std::uint32_t crc;
        std::uint64_t compressed, size, offset;
    };
    bool LocalHeader(std::string_view name, std::uint16_t method);
    bool PatchLocalHeader(const Central& entry);

    std::string* out_;
    std::unique_ptr<Deflater> deflater_;
    std::string pendingName_;  // between Begin and End
    std::vector<Central> entries_;
    std::uint16_t time_ = 0, date_ = 0;  // DOS form of when the archive was made
    bool open_ = false;                  // between Begin and End
    bool failed_ = false;
};

}  // namespace quilto
