#include "core/store/own_settings.h"

#include <QDir>
#include <QFileInfo>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"

namespace quilto {

namespace {

constexpr const char* kWelfareRateKey = "welfare_rate";
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
    const auto text = Value(kWelfareRateKey);
    if (!text || text->empty() || text->find_first_not_of("0123456789.") != std::string::npos)
        return std::nullopt;
    return TextToFixed4(*text);
}

void OwnSettings::SetWelfareRate(Fixed4 percent) {
    SetValue(kWelfareRateKey, Fixed4ToText(percent));
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
