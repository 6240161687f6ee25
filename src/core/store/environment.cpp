#include "core/store/environment.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cmath>

#include "core/foundation/atomic_file.h"
#include "core/foundation/binary_record.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

// Record layout. Texts are short strings: a length byte and up to `capacity` bytes.
constexpr std::size_t kSignatureAt = 0;
constexpr std::size_t kSignatureCapacity = 12;
constexpr std::size_t kCompanyBlocksAt = 19;
constexpr std::size_t kCompanyBlockSize = 718;
constexpr int kCompanyBlocks = 6;
constexpr std::size_t kTaxRateAt = 4328;
constexpr std::size_t kTaxRoundingAt = 4372;
// 4433-4437 are reserved bytes: nothing here touches them but Clear, so they stay as read.
constexpr std::size_t kQuantityDecimalsAt = 4440;
constexpr std::size_t kSeparatorFlagAt = 4444;
constexpr std::size_t kAmountRoundingAt = 4448;
constexpr std::size_t kOtherTradeFlagAt = 4452;
constexpr std::size_t kDiscountSignFlagAt = 4460;
constexpr std::size_t kCaptionsAt = 4546;
constexpr std::size_t kCaptionCapacity = 20;
constexpr std::size_t kTaxIncludedMessageAt = 4673;
constexpr std::size_t kTaxExcludedMessageAt = 4724;
constexpr std::size_t kMessageCapacity = 50;
constexpr std::size_t kDataFolderAt = 5188;
constexpr std::size_t kMasterFolderAt = 5389;
constexpr std::size_t kFolderCapacity = 200;
constexpr std::size_t kPatternNamesAt = 5992;
constexpr std::size_t kPatternNameCapacity = 20;

// Unused areas that every rebuild zeroes (between the tax rate and the reserved bytes).
struct Area {
    std::size_t at;
    std::size_t size;
};
constexpr std::array<Area, 2> kAreasClearedOnBuild = {{{4336, 36}, {4376, 57}}};

// Company block layout, offsets relative to the block.
struct BlockField {
    CompanyField field;
    std::size_t at;
    std::size_t capacity;
};
constexpr std::array<BlockField, 14> kBlockFields = {{
    {CompanyField::Name1, 0, 40},
    {CompanyField::Name2, 41, 40},
    {CompanyField::PostalCode, 82, 8},
    {CompanyField::Address1, 91, 40},
    {CompanyField::Address2, 132, 40},
    {CompanyField::Tel, 173, 26},
    {CompanyField::Fax, 200, 26},
    {CompanyField::Representative, 258, 30},
    {CompanyField::PersonInCharge, 289, 20},
    {CompanyField::Logo, 310, 80},
    {CompanyField::Extra1, 391, 80},
    {CompanyField::Extra2, 472, 80},
    {CompanyField::Extra3, 553, 80},
    {CompanyField::Extra4, 634, 80},
}};

// A text control of the settings dialog and the record field it shows.
struct TextBinding {
    std::string control;
    std::size_t at;
    std::size_t capacity;
};

std::size_t BlockAt(int block) {
    return kCompanyBlocksAt + static_cast<std::size_t>(block) * kCompanyBlockSize;
}

const BlockField& FieldOf(CompanyField field) {
    return kBlockFields[static_cast<std::size_t>(field)];
}

const std::vector<TextBinding>& TextBindings() {
    static const std::vector<TextBinding> bindings = [] {
        std::vector<TextBinding> b;
        auto add = [&b](std::string control, int block, CompanyField field) {
            const BlockField& f = FieldOf(field);
            b.push_back({std::move(control), BlockAt(block) + f.at, f.capacity});
        };
        // Block 0: Edit1, Edit1B, Edit2-Edit9, and the four hidden lines Edit10-Edit13.
        add("Edit1", 0, CompanyField::Name1);
        add("Edit1B", 0, CompanyField::Name2);
        const std::array<CompanyField, 8> numbered = {CompanyField::PostalCode,
                                                      CompanyField::Address1,
                                                      CompanyField::Address2,
                                                      CompanyField::Tel,
                                                      CompanyField::Fax,
                                                      CompanyField::Representative,
                                                      CompanyField::PersonInCharge,
                                                      CompanyField::Logo};
        for (std::size_t i = 0; i < numbered.size(); ++i) {
            add("Edit" + std::to_string(i + 2), 0, numbered[i]);
        }
        const std::array<CompanyField, 4> extras = {CompanyField::Extra1, CompanyField::Extra2,
                                                    CompanyField::Extra3, CompanyField::Extra4};
        for (std::size_t i = 0; i < extras.size(); ++i) {
            add("Edit" + std::to_string(i + 10), 0, extras[i]);
        }
        // Blocks 1-3: EditN01, EditN01B, EditN02-EditN09.
        for (int block = 1; block <= 3; ++block) {
            const std::string stem = "Edit" + std::to_string(block) + "0";
            add(stem + "1", block, CompanyField::Name1);
            add(stem + "1B", block, CompanyField::Name2);
            for (std::size_t i = 0; i < numbered.size(); ++i) {
                add(stem + std::to_string(i + 2), block, numbered[i]);
            }
        }
        const std::array<const char*, 5> captions = {"Syokei", "Nebiki", "Nakakei", "Zei",
                                                     "Goukei"};
        for (std::size_t i = 0; i < captions.size(); ++i) {
            b.push_back({captions[i], kCaptionsAt + i * (kCaptionCapacity + 1), kCaptionCapacity});
        }
        b.push_back({"SMes01", kTaxIncludedMessageAt, kMessageCapacity});
        b.push_back({"SMes02", kTaxExcludedMessageAt, kMessageCapacity});
        for (std::size_t i = 0; i < 3; ++i) {
            b.push_back({"Pat" + std::to_string(i + 1),
                         kPatternNamesAt + i * (kPatternNameCapacity + 1), kPatternNameCapacity});
        }
        return b;
    }();
    return bindings;
}

// Controls that are not a field of their own: the tax rate and the two rounding combos.
constexpr const char* kTaxRateControl = "Zratio1";
constexpr const char* kTaxRoundingControl = "Hasu";
constexpr const char* kAmountRoundingControl = "Hasu2";
constexpr const char* kSeparatorCheck = "CheckBox1";
constexpr const char* kDecimalsCheck = "CheckBox2";
constexpr const char* kOtherTradeCheck = "Chk_Gyo";
constexpr const char* kDiscountSignCheck = "Chk_Nebi";

// The captions in CP932: "－  小  計  －", "－  値  引  －", "－    計    －",
// "－  消費税  －", "－  合  計  －".
constexpr std::array<std::string_view, 5> kDefaultCaptions = {
    "\x81|  \x8F\xAC  \x8Cv  \x81|", "\x81|  \x92l  \x88\xF8  \x81|",
    "\x81|    \x8Cv    \x81|",       "\x81|  \x8F\xC1\x94\xEF\x90\xC5  \x81|",
    "\x81|  \x8D\x87  \x8Cv  \x81|",
};

// " 0 四捨五入", " 1 切捨て", " 2 切上げ" in CP932.
constexpr std::array<std::string_view, 3> kRoundingChoices = {
    " 0 \x8El\x8E\xCC\x8C\xDC\x93\xFC",
    " 1 \x90\xD8\x8E\xCC\x82\xC4",
    " 2 \x90\xD8\x8F\xE3\x82\xB0",
};

bool IsRoundingCode(int code) { return code >= 0 && code <= 2; }

// The first two bytes of a dialog text, blank-padded and trimmed: the part of Zratio1 and
// of the rounding combos that counts.
std::string FirstTwoBytes(std::string_view text) { return Trimmed(PadRightBytes(text, 2)); }

Fixed4 TaxRateFromText(std::string_view text) {
    const double percent = ToFloat(FirstTwoBytes(text));
    const double raw = std::round(percent * static_cast<double>(Fixed4::kScale));
    if (!(raw > 0)) return kDefaultTaxRate;
    return Fixed4::FromRaw(static_cast<std::int64_t>(raw));
}

// A setting written on Windows separates its folders with "\\": read here with "/". The
// second byte of a double-byte character (表 is 0x95 0x5C) is part of that character.
std::string WithSlashes(std::string_view setting) {
    std::string folder(setting);
    for (std::size_t i = 0; i < folder.size(); ++i) {
        if (folder[i] == '\\' && ByteClass(folder, static_cast<int>(i) + 1) != ByteKind::kSecond)
            folder[i] = '/';
    }
    return folder;
}

std::string FolderOf(Environment& environment, std::size_t at, std::string_view fallback) {
    const std::string setting = RecordReader(environment.Record()).Text(at, kFolderCapacity);
    // A Windows folder (a drive or a network share) is nowhere here: the setting stays as
    // it is, for the user to change, and the default folder is used meanwhile.
    if (Trimmed(setting).empty() || IsWindowsFolderSetting(setting)) return std::string(fallback);
    std::string folder = AppendSeparator(WithSlashes(setting));
    // The setting keeps its separator from now on; the path uses the whole folder even when
    // the stored setting had to be cut to its field.
    if (at == kDataFolderAt) {
        environment.SetDataFolderSetting(folder);
    } else {
        environment.SetMasterFolderSetting(folder);
    }
    return folder;
}

QString FileIn(const std::string& folder, std::string_view fileName) {
    return ResolveCaseInsensitive(NativePath(folder + std::string(fileName)));
}

}  // namespace

std::string RoundingChoiceText(int code) {
    return std::string(kRoundingChoices[IsRoundingCode(code) ? static_cast<std::size_t>(code) : 0]);
}

int RoundingChoiceCode(std::string_view comboText) {
    const long long value = ToInt(FirstTwoBytes(comboText));
    return static_cast<int>(std::clamp<long long>(value, -99, 99));
}

std::string DefaultLineCaption(LineCaption caption) {
    return std::string(kDefaultCaptions[static_cast<std::size_t>(caption)]);
}

// --- EnvironmentSettings ------------------------------------------------------------------

EnvironmentSettings::EnvironmentSettings() {
    for (const auto& name : TextControlNames()) texts_.emplace(name, std::string());
    for (const auto& name : CheckControlNames()) checks_.emplace(name, false);
}

const std::vector<std::string>& EnvironmentSettings::TextControlNames() {
    static const std::vector<std::string> names = [] {
        std::vector<std::string> n;
        for (const auto& binding : TextBindings()) n.push_back(binding.control);
        n.insert(n.end(), {kTaxRateControl, kTaxRoundingControl, kAmountRoundingControl});
        return n;
    }();
    return names;
}

const std::vector<std::string>& EnvironmentSettings::CheckControlNames() {
    static const std::vector<std::string> names = {kSeparatorCheck, kDecimalsCheck,
                                                   kOtherTradeCheck, kDiscountSignCheck};
    return names;
}

bool EnvironmentSettings::HasText(std::string_view control) const {
    return texts_.find(control) != texts_.end();
}

std::string EnvironmentSettings::Text(std::string_view control) const {
    const auto it = texts_.find(control);
    return it == texts_.end() ? std::string() : it->second;
}

bool EnvironmentSettings::SetText(std::string_view control, std::string_view text) {
    const auto it = texts_.find(control);
    if (it == texts_.end()) return false;
    it->second = std::string(text);
    return true;
}

bool EnvironmentSettings::HasCheck(std::string_view control) const {
    return checks_.find(control) != checks_.end();
}

bool EnvironmentSettings::Checked(std::string_view control) const {
    const auto it = checks_.find(control);
    return it != checks_.end() && it->second;
}

bool EnvironmentSettings::SetChecked(std::string_view control, bool checked) {
    const auto it = checks_.find(control);
    if (it == checks_.end()) return false;
    it->second = checked;
    return true;
}

// --- Environment --------------------------------------------------------------------------

Environment::Environment() : record_(kEnvironmentRecordSize, '\0') { FillSettings(); }

void Environment::Load(std::string_view bytes) {
    record_.assign(bytes.substr(0, kEnvironmentRecordSize));
    record_.resize(kEnvironmentRecordSize, '\0');
    FillSettings();
}

void Environment::FillSettings() {
    RecordReader reader(record_);
    RecordWriter writer(record_);
    for (const auto& binding : TextBindings()) {
        settings_.SetText(binding.control, reader.Text(binding.at, binding.capacity));
    }
    settings_.SetText(kTaxRoundingControl, RoundingChoiceText(reader.I32(kTaxRoundingAt)));
    settings_.SetText(kAmountRoundingControl, RoundingChoiceText(reader.I32(kAmountRoundingAt)));
    settings_.SetChecked(kSeparatorCheck, reader.I32(kSeparatorFlagAt) == 1);
    settings_.SetChecked(kDiscountSignCheck, reader.I32(kDiscountSignFlagAt) == 1);
    settings_.SetChecked(kDecimalsCheck, reader.I32(kQuantityDecimalsAt) == 2);
    // The other-trade option starts off in every run, whatever the file held.
    writer.I32(kOtherTradeFlagAt, 0);
    settings_.SetChecked(kOtherTradeCheck, false);
    const std::array<const char*, 5> captionControls = {"Syokei", "Nebiki", "Nakakei", "Zei",
                                                        "Goukei"};
    for (std::size_t i = 0; i < captionControls.size(); ++i) {
        const std::size_t at = kCaptionsAt + i * (kCaptionCapacity + 1);
        if (!Trimmed(reader.ShortString(at, kCaptionCapacity)).empty()) continue;
        writer.ShortString(at, kCaptionCapacity, kDefaultCaptions[i]);
        settings_.SetText(captionControls[i], kDefaultCaptions[i]);
    }
    settings_.SetText(kTaxRateControl, Fixed4ToText(reader.Fixed(kTaxRateAt)));
}

void Environment::BuildRecord() {
    RecordWriter writer(record_);
    writer.Zero(kCompanyBlocksAt, kCompanyBlockSize * kCompanyBlocks);
    writer.ShortString(kSignatureAt, kSignatureCapacity, kEnvironmentSignature);
    for (const auto& binding : TextBindings()) {
        writer.ShortString(binding.at, binding.capacity, settings_.Text(binding.control));
    }
    // A code the combo cannot show is stored as the one it shows, so that the calculation
    // rounds the way the dialog says.
    for (const auto& [control, at] : {std::pair{kTaxRoundingControl, kTaxRoundingAt},
                                      std::pair{kAmountRoundingControl, kAmountRoundingAt}}) {
        const int code = RoundingChoiceCode(settings_.Text(control));
        writer.I32(at, IsRoundingCode(code) ? code : 0);
    }
    writer.I32(kQuantityDecimalsAt, settings_.Checked(kDecimalsCheck) ? 2 : 1);
    writer.I32(kSeparatorFlagAt, settings_.Checked(kSeparatorCheck) ? 1 : 0);
    writer.I32(kOtherTradeFlagAt, settings_.Checked(kOtherTradeCheck) ? 1 : 0);
    writer.I32(kDiscountSignFlagAt, settings_.Checked(kDiscountSignCheck) ? 1 : 0);
    writer.Fixed(kTaxRateAt, TaxRateFromText(settings_.Text(kTaxRateControl)));
    for (const Area& area : kAreasClearedOnBuild) writer.Zero(area.at, area.size);
}

void Environment::Clear() {
    // Zeros everywhere: every text empty, the tax rate and its rounding 0, the reserved
    // bytes and the unused areas zero, as in a file that never held anything.
    record_.assign(kEnvironmentRecordSize, '\0');
    FillSettings();
}

Fixed4 Environment::TaxRate() const { return RecordReader(record_).Fixed(kTaxRateAt); }
int Environment::TaxRounding() const { return RecordReader(record_).I32(kTaxRoundingAt); }
int Environment::AmountRounding() const { return RecordReader(record_).I32(kAmountRoundingAt); }
int Environment::QuantityDecimals() const {
    return RecordReader(record_).I32(kQuantityDecimalsAt) == 2 ? 2 : 1;
}
bool Environment::ThousandsSeparator() const {
    return RecordReader(record_).I32(kSeparatorFlagAt) == 1;
}
bool Environment::OtherTrade() const { return RecordReader(record_).I32(kOtherTradeFlagAt) == 1; }
bool Environment::DiscountSign() const {
    return RecordReader(record_).I32(kDiscountSignFlagAt) == 1;
}

std::string Environment::Caption(LineCaption caption) const {
    const auto i = static_cast<std::size_t>(caption);
    if (i >= kDefaultCaptions.size()) return {};
    return RecordReader(record_).Text(kCaptionsAt + i * (kCaptionCapacity + 1), kCaptionCapacity);
}

std::string Environment::TaxIncludedMessage() const {
    return RecordReader(record_).Text(kTaxIncludedMessageAt, kMessageCapacity);
}

std::string Environment::TaxExcludedMessage() const {
    return RecordReader(record_).Text(kTaxExcludedMessageAt, kMessageCapacity);
}

std::string Environment::PatternName(int pattern) const {
    if (pattern < 0 || pattern > 2) return {};
    const auto i = static_cast<std::size_t>(pattern);
    return RecordReader(record_).Text(kPatternNamesAt + i * (kPatternNameCapacity + 1),
                                      kPatternNameCapacity);
}

std::string Environment::Company(int block, CompanyField field) const {
    const auto i = static_cast<std::size_t>(field);
    if (block < 0 || block >= kCompanyBlocks || i >= kBlockFields.size()) return {};
    const BlockField& f = kBlockFields[i];
    return RecordReader(record_).Text(BlockAt(block) + f.at, f.capacity);
}

std::string Environment::DataFolderSetting() const {
    return RecordReader(record_).Text(kDataFolderAt, kFolderCapacity);
}

std::string Environment::MasterFolderSetting() const {
    return RecordReader(record_).Text(kMasterFolderAt, kFolderCapacity);
}

void Environment::SetDataFolderSetting(std::string_view folder) {
    RecordWriter(record_).ShortString(kDataFolderAt, kFolderCapacity, folder);
}

void Environment::SetMasterFolderSetting(std::string_view folder) {
    RecordWriter(record_).ShortString(kMasterFolderAt, kFolderCapacity, folder);
}

// --- The file -----------------------------------------------------------------------------

QString EnvironmentFilePath() { return ResolveCaseInsensitive(NativePath(kEnvironmentFileName)); }

EnvironmentFileResult ReadEnvironment(Environment& environment) {
    QFile file(EnvironmentFilePath());
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.read(static_cast<qint64>(kEnvironmentRecordSize));
        if (bytes.size() == static_cast<qsizetype>(kEnvironmentRecordSize)) {
            environment.Load(std::string_view(bytes.constData(), kEnvironmentRecordSize));
            return EnvironmentFileResult::kOk;
        }
    }
    environment.FillSettings();
    return EnvironmentFileResult::kFailed;
}

EnvironmentFileResult WriteEnvironment(Environment& environment) {
    environment.BuildRecord();
    const QString path = EnvironmentFilePath();
    if (!CanOpenFile(path)) return EnvironmentFileResult::kFailed;
    // The file is only ever rewritten, never made writable by the replace: one the user
    // protected stays protected.
    {
        QFile probe(path);
        if (!probe.open(QIODevice::ReadWrite)) return EnvironmentFileResult::kFailed;
    }
    return SaveFileAtomically(path, environment.Record()) ? EnvironmentFileResult::kOk
                                                          : EnvironmentFileResult::kFailed;
}

EnvironmentFileResult CreateEnvironmentFile(Environment& environment) {
    environment.Clear();
    environment.BuildRecord();
    return SaveFileAtomically(EnvironmentFilePath(), environment.Record())
               ? EnvironmentFileResult::kOk
               : EnvironmentFileResult::kFailed;
}

// --- The folder rule ----------------------------------------------------------------------

bool IsWindowsFolderSetting(std::string_view setting) {
    const std::string trimmed = Trimmed(setting);
    const auto isLetter = [](char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); };
    if (trimmed.size() >= 2 && isLetter(trimmed[0]) && trimmed[1] == ':') return true;
    return trimmed.rfind("\\\\", 0) == 0;
}

std::string DataFolder(Environment& environment) {
    return FolderOf(environment, kDataFolderAt, "DAT/");
}

std::string MasterFolder(Environment& environment) {
    return FolderOf(environment, kMasterFolderAt, "MST/");
}

QString DataFilePath(Environment& environment, std::string_view fileName) {
    return FileIn(DataFolder(environment), fileName);
}

QString MasterFilePath(Environment& environment, std::string_view fileName) {
    return FileIn(MasterFolder(environment), fileName);
}

}  // namespace quilto
