#pragma once

// Reading a zip archive held whole in memory: its central directory, and each entry's bytes
// expanded and checked. Only what workbooks use is read: entries stored or deflated, in one
// archive of one part, with or without the 64-bit records. Every offset and size is checked
// against the bytes at hand before it is used, so no archive, however made, reads outside
// them.

#include <QString>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quilto {

struct ZipEntry {
    std::string name;
    std::uint16_t method = 0;  // 0 stored, 8 deflated
    std::uint32_t crc = 0;
    std::uint64_t size = 0;   // expanded
    std::string_view stored;  // the entry's bytes as the archive holds them
};

// The entries in the order of the central directory. false and *reason when the bytes are
// no zip, or one that is damaged, split over several parts, with more than `maxEntries`
// entries, or with an entry encrypted or compressed some other way (then naming the entry).
bool ReadZipDirectory(std::string_view zip, std::size_t maxEntries, std::vector<ZipEntry>* entries,
                      QString* reason);

// The entry's bytes; false when they do not expand to its size or do not match its CRC.
bool ExpandZipEntry(const ZipEntry& entry, std::string* bytes);

}  // namespace quilto
