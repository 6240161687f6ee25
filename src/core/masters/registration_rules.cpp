#include "core/masters/registration_rules.h"

#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/name_registration.h"
#include "core/masters/product_import.h"

namespace quilto {

bool CloseNeedsQuestion(std::string_view constructionName, std::string_view productName) {
    return HasText(constructionName) || HasText(productName);
}

SaveStep ConstructionSaveStep(const MasterLists& lists, std::string_view typedName) {
    if (!HasText(typedName)) return SaveStep::kNothing;
    if (!HasRoomForConstructionName(lists)) return SaveStep::kFull;
    return SaveStep::kGoOn;
}

SaveStep ProductSaveStep(const MasterLists& lists, std::string_view constructionCode,
                         std::string_view productCode, std::string_view productName) {
    if (!HasText(constructionCode) || !HasText(productCode) || !HasText(productName)) {
        return SaveStep::kNothing;
    }
    if (!HasRoomForProduct(lists)) return SaveStep::kFull;
    return SaveStep::kGoOn;
}

bool PressStartsNewProduct(std::string_view productCode, std::string_view constructionCode) {
    return !HasText(productCode) && !constructionCode.empty();
}

std::string ImportCannotStartMessage(std::string_view constructionCode, bool readOnly,
                                     const std::string& unreadable) {
    if (constructionCode.empty()) return kImportNoConstructionMessage;
    if (readOnly) return unreadable.empty() ? kImportReadOnlyMessage : unreadable;
    return {};
}

RemarksEnter RemarksEnterStep(std::string_view constructionCode, std::string_view productCode,
                              std::string_view productName, bool readOnly) {
    if (!HasText(constructionCode) || !HasText(productCode))
        return RemarksEnter::kSelectConstruction;
    if (!HasText(productName)) return RemarksEnter::kNameMissing;
    return readOnly ? RemarksEnter::kNoSave : RemarksEnter::kAskSave;
}

int RowAfterProductDelete(int selectedBefore, int rowCount) {
    const int last = rowCount - 1;
    return selectedBefore >= 0 && selectedBefore < last ? selectedBefore : last;
}

bool PriceFieldRefuses(char32_t typed) {
    if (typed < 0x20 || typed == 0x7F) return false;  // no character: backspace, Enter
    return typed > 0x7F || FilterKey(static_cast<char>(typed), 0) == '\0';
}

std::string RegistrationCaption(bool readOnly, std::string_view holder) {
    std::string caption = kRegistrationCaption;
    if (readOnly) caption += kReadOnlyCaptionSuffix;
    if (!holder.empty()) {
        caption += " 使用中: ";
        caption += holder;
    }
    return caption;
}

KeyAction RegistrationKeyAction(RegistrationField field, RegistrationKey key, bool dropDownOpen) {
    using enum RegistrationKey;
    const bool forward = key == kEnter || key == kDown || key == kTab;
    switch (field) {
        case RegistrationField::kUnitDropDown:
            if (dropDownOpen) return KeyAction::kPass;
            if (key == kEscape) return KeyAction::kClose;
            if (forward) return KeyAction::kNext;
            return key == kUp ? KeyAction::kPrevious : KeyAction::kPass;
        case RegistrationField::kConstructionList:
        case RegistrationField::kProductList:
            if (key == kEscape) return KeyAction::kClose;
            return key == kEnter ? KeyAction::kToEditField : KeyAction::kPass;
        case RegistrationField::kButton:
            if (key == kEscape) return KeyAction::kClose;
            return key == kEnter ? KeyAction::kClick : KeyAction::kPass;
        case RegistrationField::kConstructionName:
            if (key == kEscape) return KeyAction::kClose;
            return key == kEnter ? KeyAction::kSwallow : KeyAction::kPass;
        case RegistrationField::kRemarks:
            if (key == kEscape) return KeyAction::kClose;
            if (key == kEnter) return KeyAction::kEnterInRemarks;
            if (key == kDown || key == kTab) return KeyAction::kSwallow;
            return key == kUp ? KeyAction::kPrevious : KeyAction::kPass;
        case RegistrationField::kProductName:
        case RegistrationField::kOtherField:
            if (key == kEscape) return KeyAction::kClose;
            if (forward) return KeyAction::kNext;
            if (key == kUp) {
                // The product name is the first field of a product: Up goes nowhere.
                return field == RegistrationField::kProductName ? KeyAction::kSwallow
                                                                : KeyAction::kPrevious;
            }
            return KeyAction::kPass;
    }
    return KeyAction::kPass;
}

}  // namespace quilto
