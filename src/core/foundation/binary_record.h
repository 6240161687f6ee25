#pragma once

// Field-by-field access to the fixed-layout records of the data files. Every access is
// bounds-checked: reading past the end gives zero/empty values, writing past the end is
// ignored, and a length byte larger than its field is clamped to the field. Numbers are
// little-endian. Records are never cast onto structs.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/foundation/fixed4.h"

namespace quilto {

class RecordReader {
  public:
    explicit RecordReader(std::string_view bytes) : bytes_(bytes) {}

    std::size_t Size() const { return bytes_.size(); }
    std::uint8_t U8(std::size_t offset) const;
    std::int32_t I32(std::size_t offset) const;
    std::int64_t I64(std::size_t offset) const;
    // A stored -2^63 is read as the negative edge of the range (-(2^63-1)): it is a figure
    // out of range, which every calculation names like an overflow, never a number no
    // other figure can be (its negation is undefined) nor the grids' mark of "no number".
    Fixed4 Fixed(std::size_t offset) const {
        const std::int64_t raw = I64(offset);
        return raw == INT64_MIN ? Fixed4::Saturated(false) : Fixed4::FromRaw(raw);
    }
    // A short string of capacity bytes at offset (length byte + text): the text as stored.
    std::string ShortString(std::size_t offset, std::size_t capacity) const;
    // The same with trailing blanks removed, as every reader of a stored text sees it.
    std::string Text(std::size_t offset, std::size_t capacity) const;
    std::string_view TextView(std::size_t offset, std::size_t capacity) const;
    std::string_view Bytes(std::size_t offset, std::size_t count) const;

  private:
    std::string_view bytes_;
};

class RecordWriter {
  public:
    // Writes into bytes, which keeps its size.
    explicit RecordWriter(std::string& bytes) : bytes_(bytes.data(), bytes.size()) {}
    explicit RecordWriter(std::span<char> bytes) : bytes_(bytes) {}

    void U8(std::size_t offset, std::uint8_t value);
    void I32(std::size_t offset, std::int32_t value);
    void I64(std::size_t offset, std::int64_t value);
    void Fixed(std::size_t offset, Fixed4 value) { I64(offset, value.raw); }
    // Stores text cut to capacity bytes (never splitting a double-byte character), the
    // length byte first; the unused rest of the field is zeroed.
    void ShortString(std::size_t offset, std::size_t capacity, std::string_view text);
    void Bytes(std::size_t offset, std::string_view data);
    void Zero(std::size_t offset, std::size_t count);

  private:
    std::span<char> bytes_;
};

}  // namespace quilto
