#include "core/excel/zip_writer.h"

#include <libdeflate.h>

#include <algorithm>
#include <ctime>
#include <limits>

#include "core/excel/zip_format.h"

namespace quilto {
namespace {

using namespace zip;

constexpr std::uint16_t kVersion = 20;        // 2.0: deflate
constexpr std::uint16_t kUtf8Names = 0x0800;  // names are UTF-8 (bit 11)
constexpr std::uint64_t kMax32 = std::numeric_limits<std::uint32_t>::max();

void Put16(std::string& out, std::uint16_t value) {
    out += static_cast<char>(value & 0xff);
    out += static_cast<char>(value >> 8);
}

void Put32(std::string& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((value >> shift) & 0xff);
}

void Set32(std::string& out, std::size_t at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) out[at + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

}  // namespace

// One deflate compressor for every entry: setting one up costs more than deflating a small
// part. An entry's bytes are gathered in a buffer that is kept from entry to entry, then
// deflated at once.
struct ZipWriter::Deflater {
    libdeflate_compressor* compressor = nullptr;
    std::string pending;  // the entry being written, uncompressed
    // The fastest level: a filled workbook is written once per run and opened soon after,
    // so speed counts for more than the last few kilobytes.
    Deflater() : compressor(libdeflate_alloc_compressor(1)) {}
    ~Deflater() {
        if (compressor) libdeflate_free_compressor(compressor);
    }
    // Deflates bytes onto out.
    bool Run(std::string_view bytes, std::string& out) {
        if (!compressor) return false;
        const std::size_t start = out.size();
        out.resize(start + libdeflate_deflate_compress_bound(compressor, bytes.size()));
        const std::size_t written = libdeflate_deflate_compress(
            compressor, bytes.data(), bytes.size(), out.data() + start, out.size() - start);
        out.resize(start + written);
        return written != 0 || bytes.empty();
    }
};

ZipWriter::ZipWriter(std::string* out) : out_(out), deflater_(std::make_unique<Deflater>()) {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    time_ = static_cast<std::uint16_t>((local.tm_hour << 11) | (local.tm_min << 5) |
                                       (local.tm_sec / 2));
    date_ = static_cast<std::uint16_t>(((std::max(local.tm_year, 80) - 80) << 9) |
                                       ((local.tm_mon + 1) << 5) | local.tm_mday);
}

ZipWriter::~ZipWriter() = default;

bool ZipWriter::LocalHeader(std::string_view name, std::uint16_t method) {
    if (failed_ || open_ || name.size() > 0xffff || entries_.size() >= 0xffff ||
        out_->size() > kMax32) {
        failed_ = true;
        return false;
    }
    entries_.push_back({std::string(name), method, 0, 0, 0, out_->size()});
    std::string& out = *out_;
    Put32(out, kLocalSignature);
    Put16(out, kVersion);
    Put16(out, kUtf8Names);
    Put16(out, method);
    Put16(out, time_);
    Put16(out, date_);
    Put32(out, 0);  // CRC-32 and sizes: filled in once the entry is written
    Put32(out, 0);
    Put32(out, 0);
    Put16(out, static_cast<std::uint16_t>(name.size()));
    Put16(out, 0);
    out.append(name);
    return true;
}

bool ZipWriter::PatchLocalHeader(const Central& entry) {
    if (entry.compressed > kMax32 || entry.size > kMax32) return false;
    Set32(*out_, entry.offset + 14, entry.crc);
    Set32(*out_, entry.offset + 18, static_cast<std::uint32_t>(entry.compressed));
    Set32(*out_, entry.offset + 22, static_cast<std::uint32_t>(entry.size));
    return true;
}

bool ZipWriter::Add(std::string_view name, std::string_view bytes, bool store) {
    if (!LocalHeader(name, store ? kStored : kDeflated)) return false;
    Central& entry = entries_.back();
    entry.crc = libdeflate_crc32(0, bytes.data(), bytes.size());
    entry.size = bytes.size();
    if (store)
        out_->append(bytes);
    else if (!deflater_->Run(bytes, *out_))
        return failed_ = true, false;
    entry.compressed = out_->size() - entry.offset - kLocalHeaderSize - entry.name.size();
    if (!PatchLocalHeader(entry)) failed_ = true;
    return !failed_;
}

bool ZipWriter::Begin(std::string_view name) {
    if (failed_ || open_) return failed_ = true, false;
    pendingName_ = name;
    deflater_->pending.clear();
    open_ = true;
    return true;
}

bool ZipWriter::Append(std::string_view bytes) {
    if (failed_ || !open_) return failed_ = true, false;
    deflater_->pending.append(bytes);
    return true;
}

bool ZipWriter::End() {
    if (failed_ || !open_) return failed_ = true, false;
    open_ = false;
    return Add(pendingName_, deflater_->pending);
}

bool ZipWriter::AddStored(std::string_view name, const ZipStoredEntry& stored) {
    if (stored.method != kStored && stored.method != kDeflated) return failed_ = true, false;
    if (!LocalHeader(name, stored.method)) return false;
    Central& entry = entries_.back();
    entry.crc = stored.crc;
    entry.size = stored.size;
    entry.compressed = stored.data.size();
    out_->append(stored.data);
    if (!PatchLocalHeader(entry)) failed_ = true;
    return !failed_;
}

bool ZipWriter::Finish() {
    if (failed_ || open_) return false;
    std::string& out = *out_;
    const std::uint64_t start = out.size();
    for (const Central& entry : entries_) {
        Put32(out, kCentralSignature);
        Put16(out, kVersion);
        Put16(out, kVersion);
        Put16(out, kUtf8Names);
        Put16(out, entry.method);
        Put16(out, time_);
        Put16(out, date_);
        Put32(out, entry.crc);
        Put32(out, static_cast<std::uint32_t>(entry.compressed));
        Put32(out, static_cast<std::uint32_t>(entry.size));
        Put16(out, static_cast<std::uint16_t>(entry.name.size()));
        Put16(out, 0);  // extra field
        Put16(out, 0);  // comment
        Put16(out, 0);  // disk
        Put16(out, 0);  // internal attributes
        Put32(out, 0);  // external attributes
        Put32(out, static_cast<std::uint32_t>(entry.offset));
        out.append(entry.name);
    }
    const std::uint64_t size = out.size() - start;
    if (start > kMax32 || size > kMax32) return failed_ = true, false;
    Put32(out, kEndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint16_t>(entries_.size()));
    Put16(out, static_cast<std::uint16_t>(entries_.size()));
    Put32(out, static_cast<std::uint32_t>(size));
    Put32(out, static_cast<std::uint32_t>(start));
    Put16(out, 0);
    return true;
}

}  // namespace quilto
