#include "core/excel/zip_reader.h"

#include <libdeflate.h>

#include <memory>

#include "core/excel/zip_format.h"

namespace quilto {
namespace {

using namespace zip;

constexpr std::uint32_t kEnd64Signature = 0x06064b50;
constexpr std::uint32_t kEnd64LocatorSignature = 0x07064b50;
constexpr std::size_t kEnd64LocatorSize = 20;
constexpr std::size_t kEnd64Size = 56;
constexpr std::uint16_t kZip64ExtraId = 0x0001;
constexpr std::uint16_t kEncryptedFlags = 0x0001 | 0x0040;  // encrypted, strongly encrypted

// Little-endian fields at checked offsets: a read past the end gives nothing and marks the
// reader failed, so a damaged archive is caught once, where its fields are used.
class Fields {
  public:
    explicit Fields(std::string_view bytes) : bytes_(bytes) {}
    bool Has(std::uint64_t offset, std::uint64_t length) const {
        return offset <= bytes_.size() && length <= bytes_.size() - offset;
    }
    std::uint64_t Get(std::uint64_t offset, int width) {
        if (!Has(offset, static_cast<std::uint64_t>(width))) {
            failed_ = true;
            return 0;
        }
        std::uint64_t value = 0;
        for (int i = width - 1; i >= 0; --i)
            value = (value << 8) | static_cast<unsigned char>(bytes_[offset + i]);
        return value;
    }
    std::uint32_t U32(std::uint64_t offset) { return static_cast<std::uint32_t>(Get(offset, 4)); }
    std::uint16_t U16(std::uint64_t offset) { return static_cast<std::uint16_t>(Get(offset, 2)); }
    std::uint64_t U64(std::uint64_t offset) { return Get(offset, 8); }
    std::string_view Bytes(std::uint64_t offset, std::uint64_t length) {
        if (!Has(offset, length)) {
            failed_ = true;
            return {};
        }
        return bytes_.substr(offset, length);
    }
    bool Failed() const { return failed_; }

  private:
    std::string_view bytes_;
    bool failed_ = false;
};

struct Directory {
    std::uint64_t entries = 0;
    std::uint64_t offset = 0;
    std::uint64_t size = 0;
};

// The end record is the last thing in the archive but for its comment of up to 64 KiB.
bool FindDirectory(std::string_view zip, Directory* directory, QString* reason) {
    Fields f(zip);
    if (zip.size() < kEndSize) {
        *reason = QStringLiteral("zip の目録がありません");
        return false;
    }
    const std::size_t lowest = zip.size() > kEndSize + 0xffff ? zip.size() - kEndSize - 0xffff : 0;
    std::size_t end = zip.size() - kEndSize;
    while (!(f.U32(end) == kEndSignature && end + kEndSize + f.U16(end + 20) <= zip.size())) {
        if (end == lowest) {
            *reason = QStringLiteral("zip の目録がありません");
            return false;
        }
        --end;
    }
    const std::uint16_t disk = f.U16(end + 4);
    const std::uint16_t directoryDisk = f.U16(end + 6);
    directory->entries = f.U16(end + 10);
    directory->size = f.U32(end + 12);
    directory->offset = f.U32(end + 16);
    if (end >= kEnd64LocatorSize && f.U32(end - kEnd64LocatorSize) == kEnd64LocatorSignature) {
        const std::uint64_t at = f.U64(end - kEnd64LocatorSize + 8);
        if (f.U32(at) != kEnd64Signature || f.Failed() || !f.Has(at, kEnd64Size)) {
            *reason = QStringLiteral("zip64 の目録が壊れています");
            return false;
        }
        if (f.U32(at + 16) != 0 || f.U32(at + 20) != 0 || f.U32(end - kEnd64LocatorSize + 4) != 0) {
            *reason = QStringLiteral("複数に分けられた zip です");
            return false;
        }
        directory->entries = f.U64(at + 32);
        directory->size = f.U64(at + 40);
        directory->offset = f.U64(at + 48);
    } else if (disk != 0 || directoryDisk != 0) {
        *reason = QStringLiteral("複数に分けられた zip です");
        return false;
    }
    if (f.Failed() || !f.Has(directory->offset, directory->size)) {
        *reason = QStringLiteral("zip の目録が壊れています");
        return false;
    }
    return true;
}

// The 64-bit sizes and offset of an entry whose 32-bit fields are saturated.
bool ReadZip64Extra(std::string_view extra, std::uint64_t* size, std::uint64_t* compressed,
                    std::uint64_t* offset) {
    Fields f(extra);
    for (std::uint64_t at = 0; at + 4 <= extra.size();) {
        const std::uint16_t id = f.U16(at);
        const std::uint16_t length = f.U16(at + 2);
        if (id == kZip64ExtraId) {
            std::uint64_t field = at + 4;
            for (std::uint64_t* value : {size, compressed, offset}) {
                if (*value != 0xffffffff) continue;
                if (field + 8 > at + 4 + length) return false;
                *value = f.U64(field);
                field += 8;
            }
            return !f.Failed();
        }
        at += 4 + static_cast<std::uint64_t>(length);
    }
    return *size != 0xffffffff && *compressed != 0xffffffff && *offset != 0xffffffff;
}

}  // namespace

bool ReadZipDirectory(std::string_view zip, std::size_t maxEntries, std::vector<ZipEntry>* entries,
                      QString* reason) {
    entries->clear();
    Directory directory;
    if (!FindDirectory(zip, &directory, reason)) return false;
    Fields f(zip);
    const auto damaged = [&](const std::string& name) {
        *reason =
            name.empty()
                ? QStringLiteral("zip の目録が壊れています")
                : QStringLiteral("部品 %1 の目録が壊れています")
                      .arg(QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size())));
        return false;
    };
    // Every entry takes at least its fixed fields, so a count larger than the directory can
    // hold is damage, found before anything is made for it.
    if (directory.entries > directory.size / kCentralHeaderSize) return damaged({});
    if (directory.entries > maxEntries) {
        *reason = QStringLiteral("部品が多すぎます");
        return false;
    }
    std::uint64_t at = directory.offset;
    const std::uint64_t directoryEnd = directory.offset + directory.size;
    for (std::uint64_t i = 0; i < directory.entries; ++i) {
        if (at + kCentralHeaderSize > directoryEnd || f.U32(at) != kCentralSignature)
            return damaged({});
        ZipEntry entry;
        const std::uint16_t flags = f.U16(at + 8);
        entry.method = f.U16(at + 10);
        entry.crc = f.U32(at + 16);
        std::uint64_t compressed = f.U32(at + 20);
        entry.size = f.U32(at + 24);
        const std::uint16_t nameLength = f.U16(at + 28);
        const std::uint16_t extraLength = f.U16(at + 30);
        const std::uint16_t commentLength = f.U16(at + 32);
        std::uint64_t local = f.U32(at + 42);
        const std::uint64_t next =
            at + kCentralHeaderSize + nameLength + extraLength + commentLength;
        if (next > directoryEnd) return damaged({});
        entry.name = std::string(f.Bytes(at + kCentralHeaderSize, nameLength));
        const std::string_view extra = f.Bytes(at + kCentralHeaderSize + nameLength, extraLength);
        if (f.Failed() || !ReadZip64Extra(extra, &entry.size, &compressed, &local))
            return damaged(entry.name);
        const QString shownName =
            QString::fromUtf8(entry.name.data(), static_cast<qsizetype>(entry.name.size()));
        if (flags & kEncryptedFlags) {
            *reason = QStringLiteral("部品 %1 は暗号化されています").arg(shownName);
            return false;
        }
        if (entry.method != kStored && entry.method != kDeflated) {
            *reason = QStringLiteral("部品 %1 の圧縮方式 (%2) には対応していません")
                          .arg(shownName)
                          .arg(entry.method);
            return false;
        }
        // The local header must name the same entry the same way, and the data must lie
        // within the archive.
        const std::uint64_t localNameLength = f.U16(local + 26);
        const std::uint64_t data = local + kLocalHeaderSize + localNameLength + f.U16(local + 28);
        if (f.Failed() || f.U32(local) != kLocalSignature || f.U16(local + 8) != entry.method ||
            f.Bytes(local + kLocalHeaderSize, localNameLength) != entry.name ||
            !f.Has(data, compressed) || (entry.method == kStored && compressed != entry.size))
            return damaged(entry.name);
        entry.stored = zip.substr(data, compressed);
        entries->push_back(std::move(entry));
        at = next;
    }
    return true;
}

bool ExpandZipEntry(const ZipEntry& entry, std::string* bytes) {
    if (entry.method == kStored) {
        bytes->assign(entry.stored);
    } else {
        struct Free {
            void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
        };
        const std::unique_ptr<libdeflate_decompressor, Free> decompressor(
            libdeflate_alloc_decompressor());
        if (!decompressor) return false;
        bytes->resize(entry.size);
        // Without a place for the expanded length, anything but exactly `size` bytes fails.
        if (libdeflate_deflate_decompress(decompressor.get(), entry.stored.data(),
                                          entry.stored.size(), bytes->data(), bytes->size(),
                                          nullptr) != LIBDEFLATE_SUCCESS)
            return false;
    }
    return libdeflate_crc32(0, bytes->data(), bytes->size()) == entry.crc;
}

}  // namespace quilto
