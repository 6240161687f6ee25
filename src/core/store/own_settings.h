#pragma once

// Settings the environment file has no field for (the statutory welfare rate, the invoice
// registration number, ...): a small text file of Quilto's own, quilto.conf, beside
// sp_jis.dat in the working folder, so every PC working on that folder shares them. The
// environment file's hidden fields are never used for them: what other programs keep
// there is not known. One "key=value" line each, UTF-8; lines this version does not know
// are kept as they are when the file is rewritten.

#include <QString>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "core/foundation/fixed4.h"

namespace quilto {

inline constexpr const char* kOwnSettingsFileName = "quilto.conf";

class OwnSettings {
  public:
    // The statutory welfare rate (法定福利費率): percent of labour, e.g. 15.6.
    std::optional<Fixed4> WelfareRate() const;
    void SetWelfareRate(Fixed4 percent);
    // Blank removes the rate: the welfare-line command then asks for one.
    void ClearWelfareRate();
    // The invoice registration number as it was accepted ("T" and 13 digits), or empty.
    std::string RegistrationNumber() const;
    void SetRegistrationNumber(const std::string& number);

    std::optional<std::string> Value(const std::string& key) const;
    void SetValue(const std::string& key, const std::string& value);
    void Remove(const std::string& key);

    const std::vector<std::pair<std::string, std::string>>& Entries() const { return entries_; }
    void Parse(const std::string& text);
    std::string Text() const;

  private:
    std::vector<std::pair<std::string, std::string>> entries_;  // in file order
};

// A welfare rate as typed (half-width digits and one "."): more than 0 and at most 100, or
// nothing. Shared by the settings dialog and the welfare-line command.
std::optional<Fixed4> WelfareRateFromText(std::string_view text);

// The file in `folder` (the working folder). A missing file reads as no settings.
QString OwnSettingsPath(const QString& folder = QStringLiteral("."));
// False, with the reason in *error (the file named), when it exists but cannot be read.
bool ReadOwnSettings(OwnSettings& settings, QString* error,
                     const QString& folder = QStringLiteral("."));
// Written whole and atomically; false, with the reason in *error, when that fails.
[[nodiscard]] bool WriteOwnSettings(const OwnSettings& settings, QString* error,
                                    const QString& folder = QStringLiteral("."));

}  // namespace quilto
