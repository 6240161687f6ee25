#include "core/settings/environment_dialog.h"

#include <QFileInfo>
#include <array>
#include <map>

#include "core/foundation/cp932.h"
#include "core/settings/file_failure.h"
#include "core/store/environment.h"

namespace quilto {
namespace {

// Suffixes of the ten visible fields, in block order: Edit1, Edit1B, Edit2 ... Edit9 for the
// printed block, Edit101, Edit101B, Edit102 ... for block 1.
constexpr std::array<const char*, 10> kBlockSuffixes = {"1", "1B", "2", "3", "4",
                                                        "5", "6",  "7", "8", "9"};
// Input limits of the block's fields, in the same order (the logo is stored in 80 bytes but
// typed in 40).
constexpr std::array<int, 10> kBlockLimits = {40, 40, 8, 40, 40, 26, 26, 30, 20, 40};

constexpr std::array<const char*, 5> kCaptionControls = {"Syokei", "Nebiki", "Nakakei", "Zei",
                                                         "Goukei"};
constexpr std::array<const char*, 5> kStyle1Captions = {
    "－  小  計  －", "－  値  引  －", "－    計    －", "－  消費税  －", "－  合  計  －"};
constexpr std::array<const char*, 5> kStyle2Captions = {
    "【  小  計  】", "【  値  引  】", "【    計    】", "【  消費税  】", "【  合  計  】"};

std::string Cp932(const char* utf8) { return Utf8ToCp932(utf8).value_or(std::string()); }

std::string BlockControl(int block, std::size_t field) {
    const std::string stem = block == 0 ? "Edit" : "Edit" + std::to_string(block) + "0";
    return stem + kBlockSuffixes[field];
}

const std::map<std::string, int, std::less<>>& Limits() {
    static const std::map<std::string, int, std::less<>> limits = [] {
        std::map<std::string, int, std::less<>> m;
        for (int block = 0; block <= 3; ++block) {
            for (std::size_t i = 0; i < kBlockSuffixes.size(); ++i) {
                m[BlockControl(block, i)] = kBlockLimits[i];
            }
        }
        for (const char* caption : kCaptionControls) m[caption] = 20;
        m["SMes01"] = 30;
        m["SMes02"] = 30;
        for (const char* pattern : {"Pat1", "Pat2", "Pat3"}) m[pattern] = 12;
        m["Zratio1"] = 2;
        m["Hasu"] = 2;
        m["Hasu2"] = 2;
        return m;
    }();
    return limits;
}

}  // namespace

int InputLimit(std::string_view control) {
    const auto it = Limits().find(control);
    return it == Limits().end() ? 0 : it->second;
}

std::vector<std::string> CompanyBlockControls(int block) {
    std::vector<std::string> controls;
    if (block < 0 || block > 3) return controls;
    for (std::size_t i = 0; i < kBlockSuffixes.size(); ++i) {
        controls.push_back(BlockControl(block, i));
    }
    return controls;
}

void UseCompanyBlock(EnvironmentSettings& settings, int block) {
    if (block < 1 || block > 3) return;
    const std::vector<std::string> from = CompanyBlockControls(block);
    const std::vector<std::string> to = CompanyBlockControls(0);
    for (std::size_t i = 0; i < from.size(); ++i) settings.SetText(to[i], settings.Text(from[i]));
}

void SetStandardCaptions(EnvironmentSettings& settings, int style) {
    const auto& captions = style == 2 ? kStyle2Captions : kStyle1Captions;
    for (std::size_t i = 0; i < kCaptionControls.size(); ++i) {
        settings.SetText(kCaptionControls[i], Cp932(captions[i]));
    }
}

void SetStandardTaxMessages(EnvironmentSettings& settings) {
    settings.SetText("SMes01", Cp932("消費税が含まれています。 "));
    settings.SetText("SMes02", Cp932("消費税は含まれていません。 "));
}

void NormaliseRoundingChoice(EnvironmentSettings& settings, std::string_view control) {
    if (control != "Hasu" && control != "Hasu2") return;
    settings.SetText(control, RoundingChoiceText(RoundingChoiceCode(settings.Text(control))));
}

void OpenEnvironmentSettings(Environment& environment) { ReadEnvironment(environment); }

bool SaveEnvironmentSettings(Environment& environment, std::string* message) {
    const EnvironmentFileResult result = WriteEnvironment(environment);
    // What a later read of the file would show, in memory at once: the editor and the
    // output read the record, not the file.
    environment.FillSettings();
    if (result == EnvironmentFileResult::kOk) return true;
    if (message) {
        const QString path = QFileInfo(EnvironmentFilePath()).absoluteFilePath();
        *message = "環境設定を保存できませんでした。\n" + WriteFailureText(path) +
                   "\n変更した設定は、見積作成を終了するまでの間だけ有効です。";
    }
    return false;
}

}  // namespace quilto
