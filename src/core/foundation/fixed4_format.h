#pragma once

// A Fixed4 formatted as the number formatter formats its text, directly from the integer:
// the editor shows thousands of figures on every recalculation.

#include <optional>
#include <string>

#include "foundation/fixed4.h"

namespace quilto {

// Exactly FormatNumber(width, decimals, Fixed4ToText(value), grouped).text for a status
// of 0 (rounded half away from zero to `decimals`, 0-4, thousands separators when grouped,
// right-aligned in width bytes); nullopt when FormatNumber would not give status 0.
std::optional<std::string> FormatFixed4(Fixed4 value, int width, int decimals, bool grouped);

}  // namespace quilto
