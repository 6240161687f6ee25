#include "core/store/own_settings.h"

#include <QDir>
#include <QFileInfo>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"

namespace quilto {

namespace {

constexpr const char* kWelfareRateKey = "welfare_rate";
constexpr const char* kRegistrationNumberKey = "registration_number";
// A settings file is a few lines; anything much larger is not ours.
constexpr qint64 kMaxBytes = 64 * 1024;

std::string Trim(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) return {};
    const auto last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

}  // namespace

std::optional<Fixed4> OwnSettings::WelfareRate() const {
    // A hand-edited rate out of range counts as none, so the command asks rather than
    // adds a line of a figure nobody meant.
    const auto text = Value(kWelfareRateKey);
    return text ? WelfareRateFromText(*text) : std::nullopt;
}

void OwnSettings::SetWelfareRate(Fixed4 percent) {
    SetValue(kWelfareRateKey, Fixed4ToText(percent));
}

void OwnSettings::ClearWelfareRate() { Remove(kWelfareRateKey); }

std::string OwnSettings::RegistrationNumber() const {
    return Value(kRegistrationNumberKey).value_or(std::string());
}

void OwnSettings::SetRegistrationNumber(const std::string& number) {
    if (number.empty()) {
        Remove(kRegistrationNumberKey);
    } else {
        SetValue(kRegistrationNumberKey, number);
    }
}

std::optional<Fixed4> WelfareRateFromText(std::string_view text) {
    const std::string trimmed = Trim(std::string(text));
    if (trimmed.empty() || trimmed.find_first_not_of("0123456789.") != std::string::npos ||
        trimmed.find('.') != trimmed.rfind('.'))
        return std::nullopt;
    const Fixed4 rate = TextToFixed4(trimmed);
    if (rate.raw <= 0 || rate > Fixed4::FromInt(100)) return std::nullopt;
    return rate;
}

std::optional<std::string> OwnSettings::Value(const std::string& key) const {
    for (const auto& [k, v] : entries_)
        if (k == key) return v;
    return std::nullopt;
}

void OwnSettings::SetValue(const std::string& key, const std::string& value) {
    for (auto& [k, v] : entries_) {
        if (k == key) {
            v = value;
            return;
        }
    }
    entries_.emplace_back(key, value);
}

void OwnSettings::Remove(const std::string& key) {
    std::erase_if(entries_, [&key](const auto& entry) { return entry.first == key; });
}

void OwnSettings::Parse(const std::string& text) {
    entries_.clear();
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find('\n', at);
        if (end == std::string::npos) end = text.size();
        const std::string line = text.substr(at, end - at);
        at = end + 1;
        const auto equals = line.find('=');
        if (equals == std::string::npos) continue;
        const std::string key = Trim(line.substr(0, equals));
        if (!key.empty()) SetValue(key, Trim(line.substr(equals + 1)));
    }
}

std::string OwnSettings::Text() const {
    std::string text;
    for (const auto& [k, v] : entries_) text += k + "=" + v + "\n";
    return text;
}

QString OwnSettingsPath(const QString& folder) {
    return QDir(folder).filePath(QString::fromLatin1(kOwnSettingsFileName));
}

bool ReadOwnSettings(OwnSettings& settings, QString* error, const QString& folder) {
    settings = OwnSettings();
    const QString path = OwnSettingsPath(folder);
    if (!QFileInfo::exists(path)) return true;
    const std::optional<std::string> text = ReadWholeFile(path, kMaxBytes);
    if (!text) {
        if (error) *error = QFileInfo(path).absoluteFilePath() + QStringLiteral(" を読めません");
        return false;
    }
    settings.Parse(*text);
    return true;
}

bool WriteOwnSettings(const OwnSettings& settings, QString* error, const QString& folder) {
    const QString path = OwnSettingsPath(folder);
    if (SaveFileAtomically(path, settings.Text())) return true;
    if (error) *error = LastFileFailure();
    return false;
}

}  // namespace quilto
