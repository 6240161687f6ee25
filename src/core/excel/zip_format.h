#pragma once

// What the zip reader and writer agree on: the records' signatures and fixed sizes, and the
// two ways an entry may be held.

#include <cstddef>
#include <cstdint>

namespace quilto::zip {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndSize = 22;

constexpr std::uint16_t kStored = 0;
constexpr std::uint16_t kDeflated = 8;

}  // namespace quilto::zip
