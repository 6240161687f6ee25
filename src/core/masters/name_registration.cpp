#include "core/masters/name_registration.h"

#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/store/environment.h"
#include "core/store/markers.h"

namespace quilto {
namespace {

constexpr int kProductItemNameBytes = 26;
constexpr int kPriceDisplayWidth = 10;

std::string Label(std::string_view label, std::string_view before, std::string_view after) {
    std::string text(before);
    text += label;
    text += after;
    return text;
}

}  // namespace

RegistrationTexts::RegistrationTexts(std::string_view label)
    : groupCaption(Label(label, "< ", "名 >")),
      nameLabel(Label(label, "", "名")),
      listHeading(Label(label, "", "名一覧")),
      selectFirstHint(Label(label, "先に", "を選択してください。")),
      titlePanel(Label(label, "名称登録 （", "・商品・単位）")),
      statusPrefix(Label(label, " ", " = ")),
      newQuestion(Label(label, "", "名新規入力。")),
      saveQuestion(Label(label, "", "名を保存します。")),
      deleteQuestion(Label(label, "", "名を削除します。")),
      capacityMessage(Label(label, "", "件数オーバー")),
      selectMessage(Label(label, "", "を選択してください。")) {}

ListItems ConstructionListItems(const MasterLists& lists) {
    ListItems list;
    list.items.reserve(lists.constructionNames.size());
    list.entries.reserve(lists.constructionNames.size());
    for (std::size_t i = 0; i < lists.constructionNames.size(); ++i) {
        list.items.push_back(
            PadRightBytes(ConstructionNameOf(lists.constructionNames[i]), kConstructionNameWidth));
        list.entries.push_back(static_cast<int>(i));
    }
    return list;
}

ListItems ProductItems(const MasterLists& lists, std::string_view constructionCode, int nameBytes,
                       std::string_view gap) {
    ListItems list;
    const std::string key = PadRightBytes(constructionCode, kConstructionCodeWidth);
    for (std::size_t i = 0; i < lists.products.size(); ++i) {
        const std::string_view line = lists.products[i];
        if (ProductFieldOf(line, ProductField::ConstructionCode) != key) continue;
        std::string item = PadRightBytes(ProductFieldOf(line, ProductField::Name), nameBytes);
        item += gap;
        item +=
            PadRightBytes(ProductFieldOf(line, ProductField::Specification), kSpecificationWidth);
        item += PadRightBytes(ProductFieldOf(line, ProductField::ProductCode), kProductCodeWidth);
        list.items.push_back(std::move(item));
        list.entries.push_back(static_cast<int>(i));
    }
    return list;
}

ListItems ProductListItems(const MasterLists& lists, std::string_view constructionCode) {
    return ProductItems(lists, constructionCode, kProductItemNameBytes, " ");
}

std::string ProductCodeOfItem(std::string_view item) {
    const std::size_t width = kProductCodeWidth;
    return std::string(item.size() > width ? item.substr(item.size() - width) : item);
}

bool IsBadProductCode(std::string_view code) {
    return code.empty() || code.front() < '0' || Trimmed(code).size() < 3;
}

std::string CounterText(std::size_t count, int capacity) {
    return "( " + std::to_string(count) + "/" + std::to_string(capacity) + " )";
}

std::string PriceDisplayText(std::string_view typed) {
    std::string number = Trimmed(CleanNumber(typed));
    if (number.empty()) number.push_back('0');
    FormattedNumber shown = FormatNumber(kPriceDisplayWidth, 0, number, true);
    if (shown.status != NumberFormatStatus::kOk || shown.text.find('#') != std::string::npos) {
        shown = FormatNumber(kPriceDisplayWidth, 0, "0", true);
    }
    return Trimmed(shown.text);
}

std::string PriceEditText(std::string_view shown) { return CleanNumber(shown); }

NameRegistration::NameRegistration(MasterLists& lists, Environment& environment, Markers& markers)
    : lists_(lists), environment_(environment), markers_(markers) {}

void NameRegistration::Open() {
    LoadProducts(lists_, environment_);
    LoadConstructionNames(lists_, environment_);
    LoadUnits(lists_, environment_);
    // The lock decides: a marker another running copy holds makes the window read-only; one
    // left behind by a crash is simply taken over.
    markers_.HoldMasterMarker();
    // A list whose file could not be read whole is shown as far as it was read, and
    // nothing is written until the file can be read again.
    readOnly_ = markers_.MasterState() == MarkerState::kInUse || !lists_.Unreadable().isEmpty();
}

std::string NameRegistration::UnreadableMessage() const {
    const QString unreadable = lists_.Unreadable();
    if (unreadable.isEmpty()) return {};
    return (QStringLiteral(
                "マスターのファイルを読めません。読めるようにするまで、名称登録は参照のみ"
                "（保存・取込はできません）になります。\n") +
            unreadable)
        .toStdString();
}

std::string NameRegistration::OtherHolder() const {
    return markers_.MasterState() == MarkerState::kInUse ? markers_.MasterHolder() : std::string();
}

void NameRegistration::Close() {
    markers_.ReleaseMasterMarker();
    readOnly_ = false;
}

namespace {

RegistrationResult Written(MasterFileResult result) {
    return result == MasterFileResult::kOk ? RegistrationResult::kDone
                                           : RegistrationResult::kWriteFailed;
}

}  // namespace

RegistrationResult NameRegistration::SaveConstructionName(std::string code, std::string_view name) {
    if (!HasRoomForConstructionName(lists_)) return RegistrationResult::kListFull;
    if (readOnly_) return RegistrationResult::kDone;
    if (Trimmed(code).empty()) {
        const NextCode next = NextConstructionCode(lists_);
        if (next.exhausted) return RegistrationResult::kListFull;
        code = next.code;
    }
    PutConstructionName(lists_, code, name);
    return Written(WriteConstructionNames(lists_, environment_));
}

RegistrationResult NameRegistration::DeleteConstructionName(std::string_view code) {
    if (readOnly_) return RegistrationResult::kDone;
    quilto::DeleteConstructionName(lists_, code);
    return Written(WriteConstructionNamesThenProducts(lists_, environment_));
}

RegistrationResult NameRegistration::SaveProduct(const ProductFields& fields) {
    if (!HasRoomForProduct(lists_)) return RegistrationResult::kListFull;
    if (readOnly_) return RegistrationResult::kDone;
    PutProduct(lists_, fields);
    return Written(WriteProducts(lists_, environment_));
}

RegistrationResult NameRegistration::DeleteProduct(std::string_view constructionCode,
                                                   std::string_view productCode) {
    if (readOnly_) return RegistrationResult::kDone;
    quilto::DeleteProduct(lists_, constructionCode, productCode);
    return Written(WriteProducts(lists_, environment_));
}

RegistrationResult NameRegistration::AddUnit(std::string_view name) {
    const std::string unit = Trimmed(name);
    if (unit.empty() || FindUnit(lists_, unit) >= 0) return RegistrationResult::kNothingToDo;
    if (!HasRoomForUnit(lists_)) return RegistrationResult::kListFull;
    if (readOnly_) return RegistrationResult::kDone;
    quilto::AddUnit(lists_, unit);
    return Written(WriteUnits(lists_, environment_));
}

RegistrationResult NameRegistration::DeleteUnit(std::string_view name) {
    const int index = FindUnit(lists_, Trimmed(name));
    if (index < 0) return RegistrationResult::kNothingToDo;
    if (readOnly_) return RegistrationResult::kDone;
    quilto::DeleteUnit(lists_, index);
    return Written(WriteUnits(lists_, environment_));
}

std::string MasterWriteFailedMessage(Environment& environment, std::string_view fileName) {
    return "マスタファイルに書き込めませんでした。 ( " +
           MasterFilePath(environment, fileName).toStdString() + " )";
}

}  // namespace quilto
