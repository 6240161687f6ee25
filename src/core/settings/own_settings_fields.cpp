#include "core/settings/own_settings_fields.h"

#include "core/foundation/fixed4.h"
#include "core/store/registration_number.h"

namespace quilto {

namespace {

constexpr const char* kWelfareRateMessage =
    "法定福利費率は 0 より大きく 100 以下の数字で入力してください（例 15.6）。"
    "使わないときは空欄にしてください。";

std::string HalfWidthTrimmed(std::string_view typed) {
    QString text = QString::fromUtf8(typed.data(), static_cast<qsizetype>(typed.size()))
                       .normalized(QString::NormalizationForm_KC);
    text.remove(QLatin1Char(' ')).remove(QLatin1Char('\t'));
    return text.toStdString();
}

}  // namespace

OwnSettingsFields OwnSettingsFieldsOf(const OwnSettings& settings) {
    OwnSettingsFields fields;
    fields.registrationNumber = settings.RegistrationNumber();
    if (const std::optional<Fixed4> rate = settings.WelfareRate())
        fields.welfareRate = Fixed4ToText(*rate);
    return fields;
}

std::string NormalisedRegistrationNumber(std::string_view typed) {
    std::string number = HalfWidthTrimmed(typed);
    if (!number.empty() && number.front() == 't') number.front() = 'T';
    return number;
}

OwnSettingsCheck CheckOwnSettingsFields(const OwnSettingsFields& typed, const OwnSettings& stored) {
    OwnSettingsCheck check;
    const std::string number = NormalisedRegistrationNumber(typed.registrationNumber);
    const RegistrationCheck form = CheckRegistrationNumber(number);
    if (form == RegistrationCheck::kWrongForm) {
        return {false, kRegistrationNumberControl, RegistrationCheckMessage(form)};
    }
    const std::string rate = HalfWidthTrimmed(typed.welfareRate);
    if (!rate.empty() && !WelfareRateFromText(rate)) {
        return {false, kWelfareRateControl, kWelfareRateMessage};
    }
    if (form == RegistrationCheck::kCheckDigitWarning && number != stored.RegistrationNumber()) {
        check.message = RegistrationCheckMessage(form);
    }
    return check;
}

bool OpenOwnSettingsFields(OwnSettings* settings, std::string* message, const QString& folder) {
    QString error;
    if (ReadOwnSettings(*settings, &error, folder)) return true;
    if (message) {
        *message = error.toStdString() +
                   "\n登録番号と法定福利費率を表示できません。ファイルを確認してください。";
    }
    return false;
}

bool SaveOwnSettingsFields(const OwnSettingsFields& typed, std::string* message,
                           const QString& folder) {
    OwnSettings settings;
    QString error;
    if (ReadOwnSettings(settings, &error, folder)) {
        const OwnSettings before = settings;
        settings.SetRegistrationNumber(NormalisedRegistrationNumber(typed.registrationNumber));
        if (const std::optional<Fixed4> rate =
                WelfareRateFromText(HalfWidthTrimmed(typed.welfareRate))) {
            if (settings.WelfareRate() != rate) settings.SetWelfareRate(*rate);
        } else {
            settings.ClearWelfareRate();
        }
        if (settings.Entries() == before.Entries() || WriteOwnSettings(settings, &error, folder))
            return true;
    }
    if (message) {
        *message = "登録番号と法定福利費率を保存できませんでした。\n" + error.toStdString();
    }
    return false;
}

}  // namespace quilto
