#pragma once

// A Fixed4 formatted as the number formatter formats its text, directly from the integer:
// the editor shows thousands of figures on every recalculation.

#include <optional>
#include <string>

#include "core/foundation/fixed4.h"

namespace quilto {

// Exactly FormatNumber(width, decimals, Fixed4ToText(value), grouped).text for a status
// of kOk (rounded half away from zero to `decimals`, 0-4, thousands separators when grouped,
// right-aligned in width bytes); nullopt when FormatNumber would not give kOk.
std::optional<std::string> FormatFixed4(Fixed4 value, int width, int decimals, bool grouped);

// A number right-aligned in width bytes. Unlike the plain formatter it never replaces a
// value that does not fit by "0": it drops the separators, and if that is still too wide
// it shows the value unpadded, so a figure is never lost from view or from the next
// calculation.
std::string DisplayNumber(Fixed4 value, int width, int decimals, bool grouped);
// DisplayNumber written over text, reusing its storage: a recalculation rewrites every
// number cell of a sheet.
void AssignDisplayNumber(std::string& text, Fixed4 value, int width, int decimals, bool grouped);

}  // namespace quilto
