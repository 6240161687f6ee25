#include "core/foundation/binary_record.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

bool Fits(std::size_t size, std::size_t offset, std::size_t count) {
    return offset <= size && count <= size - offset;
}

}  // namespace

std::uint8_t RecordReader::U8(std::size_t offset) const {
    return offset < bytes_.size() ? static_cast<std::uint8_t>(bytes_[offset]) : 0;
}

std::int32_t RecordReader::I32(std::size_t offset) const {
    if (!Fits(bytes_.size(), offset, 4)) return 0;
    std::uint32_t v = 0;
    for (std::size_t i = 4; i-- > 0;) v = (v << 8) | static_cast<std::uint8_t>(bytes_[offset + i]);
    return static_cast<std::int32_t>(v);
}

std::int64_t RecordReader::I64(std::size_t offset) const {
    if (!Fits(bytes_.size(), offset, 8)) return 0;
    std::uint64_t v = 0;
    // Every amount of every line passes here: one load where the machine is little-endian.
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(&v, bytes_.data() + offset, sizeof v);
    } else {
        for (std::size_t i = 8; i-- > 0;)
            v = (v << 8) | static_cast<std::uint8_t>(bytes_[offset + i]);
    }
    return static_cast<std::int64_t>(v);
}

namespace {

std::string_view ShortStringIn(std::string_view bytes, std::size_t offset, std::size_t capacity) {
    if (offset >= bytes.size()) return {};
    const std::size_t length =
        std::min<std::size_t>(static_cast<std::uint8_t>(bytes[offset]), capacity);
    const std::size_t available = bytes.size() - offset - 1;
    return bytes.substr(offset + 1, std::min(length, available));
}

}  // namespace

std::string RecordReader::ShortString(std::size_t offset, std::size_t capacity) const {
    return std::string(ShortStringIn(bytes_, offset, capacity));
}

std::string RecordReader::Text(std::size_t offset, std::size_t capacity) const {
    return std::string(TextView(offset, capacity));
}

std::string_view RecordReader::TextView(std::size_t offset, std::size_t capacity) const {
    return TrimmedRightView(ShortStringIn(bytes_, offset, capacity));
}

std::string_view RecordReader::Bytes(std::size_t offset, std::size_t count) const {
    if (offset >= bytes_.size()) return {};
    return bytes_.substr(offset, std::min(count, bytes_.size() - offset));
}

void RecordWriter::U8(std::size_t offset, std::uint8_t value) {
    if (offset < bytes_.size()) bytes_[offset] = static_cast<char>(value);
}

void RecordWriter::I32(std::size_t offset, std::int32_t value) {
    if (!Fits(bytes_.size(), offset, 4)) return;
    auto v = static_cast<std::uint32_t>(value);
    for (std::size_t i = 0; i < 4; ++i, v >>= 8) bytes_[offset + i] = static_cast<char>(v & 0xFF);
}

void RecordWriter::I64(std::size_t offset, std::int64_t value) {
    if (!Fits(bytes_.size(), offset, 8)) return;
    auto v = static_cast<std::uint64_t>(value);
    if constexpr (std::endian::native == std::endian::little) {
        std::memcpy(bytes_.data() + offset, &v, sizeof v);
    } else {
        for (std::size_t i = 0; i < 8; ++i, v >>= 8)
            bytes_[offset + i] = static_cast<char>(v & 0xFF);
    }
}

void RecordWriter::ShortString(std::size_t offset, std::size_t capacity, std::string_view text) {
    if (!Fits(bytes_.size(), offset, capacity + 1)) return;
    constexpr std::size_t kLongest = 255;  // what the length byte can count
    const std::string_view kept =
        CutToBytesView(text, static_cast<int>(std::min<std::size_t>(capacity, kLongest)));
    char* field = bytes_.data() + offset;
    // The text is moved before anything else is written: it may be a view into this very
    // record.
    if (!kept.empty()) std::memmove(field + 1, kept.data(), kept.size());
    std::memset(field + 1 + kept.size(), 0, capacity - kept.size());
    field[0] = static_cast<char>(kept.size());
}

void RecordWriter::Bytes(std::size_t offset, std::string_view data) {
    if (!Fits(bytes_.size(), offset, data.size())) return;
    std::copy(data.begin(), data.end(), bytes_.begin() + static_cast<std::ptrdiff_t>(offset));
}

void RecordWriter::Zero(std::size_t offset, std::size_t count) {
    if (!Fits(bytes_.size(), offset, count)) return;
    std::fill_n(bytes_.begin() + static_cast<std::ptrdiff_t>(offset), count, '\0');
}

}  // namespace quilto
