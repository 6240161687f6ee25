// Cell texts are typed by users and read from files: the number and byte routines must give
// a defined result for any bytes, and keep their width promises.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "core/foundation/fixed4.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace {

void Require(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    const int width = data[0] % 40;
    const int decimals = data[1] % 6;
    const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
    using namespace quilto;

    const bool valid = IsNumberText(text);
    ToInt(text);
    ToFloat(text);

    const FormattedNumber grouped = FormatNumber(width, decimals, text, true);
    if (grouped.status == NumberFormatStatus::kOk)
        Require(grouped.text.size() == static_cast<std::size_t>(width));

    std::string rounded = text;
    const bool roundable = RoundDecimal(rounded, decimals, data[1] % 4);
    Require(roundable == valid);
    if (roundable) Require(IsNumberText(rounded));

    const Fixed4 value = TextToFixed4(text);
    Require(TextToFixed4(Fixed4ToText(value)) == value);

    if (width > 0) Require(PadRightBytes(text, width).size() == static_cast<std::size_t>(width));
    Require(PadLeftBytes(text, width).size() == static_cast<std::size_t>(width));
    Require(CutToBytes(text, width).size() <= static_cast<std::size_t>(width));
    return 0;
}
