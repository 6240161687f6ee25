// Arbitrary bytes through the CP932 decoder: no crash, the lossy decoder agrees with the
// strict one wherever the strict one succeeds, and decoded text encodes and decodes to the
// same text (the bytes may differ where a character has several codes).
#include <QString>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/foundation/cp932.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const QString lossy = quilto::Cp932ToQStringLossy(bytes);
    quilto::Cp932Error error;
    const auto strict = quilto::Cp932ToQString(bytes, &error);
    if (!strict) {
        if (error.offset >= size) std::abort();
        return 0;
    }
    if (*strict != lossy) std::abort();
    const auto encoded = quilto::QStringToCp932(*strict);
    if (!encoded) std::abort();
    const auto again = quilto::Cp932ToUtf8(*encoded);
    if (!again || *again != quilto::Cp932ToUtf8(bytes)) std::abort();
    return 0;
}
