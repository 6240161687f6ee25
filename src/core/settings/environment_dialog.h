#pragma once

// What the environment settings dialog does with the environment's working copy (its
// controls by name, EnvironmentSettings): the input limits of its fields, copying a stored
// company block into the printed one, the standard captions and tax messages, the rounding
// choices, and the save when the dialog closes. The dialog's widgets only mirror the
// working copy; every rule lives here.

#include <string>
#include <string_view>
#include <vector>

namespace quilto {

class Environment;
class EnvironmentSettings;

// How many CP932 bytes the user may type into a text control; 0 for a control the dialog
// does not let the user type into (the hidden lines Edit10-Edit13) or does not know.
int InputLimit(std::string_view control);

// The ten visible fields of a company block (0 printed, 1-3 stored alternatives), in the
// order of the block: name lines 1 and 2, postal code, address lines 1 and 2, TEL, FAX,
// representative, person in charge, logo. Empty for any other block.
std::vector<std::string> CompanyBlockControls(int block);

// "社名 N を使用する。": the visible fields of block 1-3 into block 0. Nothing is saved.
void UseCompanyBlock(EnvironmentSettings& settings, int block);

// "標準 1" (style 1: "－  小  計  －", ...) and "標準 2" (style 2: "【  小  計  】", ...).
void SetStandardCaptions(EnvironmentSettings& settings, int style);

// "標準": the two tax messages, each ending in one blank.
void SetStandardTaxMessages(EnvironmentSettings& settings);

// Leaving a rounding drop-down (Hasu, Hasu2): its text becomes the standard item of the
// value it stands for (" 0 四捨五入" for anything but 1 and 2).
void NormaliseRoundingChoice(EnvironmentSettings& settings, std::string_view control);

// Opening: the file is read again, so the controls start from what is stored (a file that
// cannot be read leaves them as the record in memory gives them).
void OpenEnvironmentSettings(Environment& environment);

// Closing always saves: the record is rebuilt from the controls and written. The settings
// take effect in memory either way, read back as after a read (a cleared caption shows its
// default again). False with message telling which file could not be written and why
// (UTF-8, for the user): the settings then last only until the program ends.
[[nodiscard]] bool SaveEnvironmentSettings(Environment& environment, std::string* message);

}  // namespace quilto
