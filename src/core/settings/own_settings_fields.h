#pragma once

// The settings dialog's fields that live in quilto.conf rather than in the environment
// file (which has no room for them): the invoice registration number on the company tab
// and the statutory welfare rate on the options tab. Opening reads them from the file,
// closing checks them and writes them back; the dialog's widgets only show them.

#include <QString>
#include <string>
#include <string_view>

#include "core/store/own_settings.h"

namespace quilto {

// The fields as typed (UTF-8), named by their controls.
inline constexpr const char* kRegistrationNumberControl = "Touroku1";
inline constexpr const char* kWelfareRateControl = "Fukuri1";
struct OwnSettingsFields {
    std::string registrationNumber;
    std::string welfareRate;  // percent of labour; blank: none set
};

// What the file holds, as the fields show it.
OwnSettingsFields OwnSettingsFieldsOf(const OwnSettings& settings);

// A typed registration number as it is checked and kept: full-width letters and digits
// made half-width, blanks dropped, a lower-case "t" made "T".
std::string NormalisedRegistrationNumber(std::string_view typed);

// The verdict on closing. Refused: the dialog stays open at `control` after `message`.
// Accepted: `message` is a warning to show (or empty), and the fields are saved.
struct OwnSettingsCheck {
    bool accepted = true;
    std::string control;
    std::string message;  // UTF-8
};
// A registration number of the wrong form, or a rate that is not a number more than 0 and
// at most 100, is refused; a check digit that does not fit a corporate number is only
// warned about, and only when the number differs from the stored one (a sole
// proprietor's number is not a corporate number, and is told once, not at every closing).
OwnSettingsCheck CheckOwnSettingsFields(const OwnSettingsFields& typed, const OwnSettings& stored);

// Reads quilto.conf of `folder` into *settings; false with *message naming the file (the
// settings are then empty).
[[nodiscard]] bool OpenOwnSettingsFields(OwnSettings* settings, std::string* message,
                                         const QString& folder = QStringLiteral("."));

// Takes accepted fields into quilto.conf of `folder`. The file is read again first, so
// that what another PC or the welfare-line command wrote meanwhile under other keys is
// kept, and it is rewritten (atomically) only when a value changed. False with *message
// naming the file and the reason; nothing is written then.
[[nodiscard]] bool SaveOwnSettingsFields(const OwnSettingsFields& typed, std::string* message,
                                         const QString& folder = QStringLiteral("."));

}  // namespace quilto
