#pragma once

// The decisions of the name-registration window, as plain functions of what its fields
// hold, so that they are tested without a display: when closing asks first, the checks a
// save goes through in order, what Enter in the remarks does, which row is chosen after a
// product is deleted, which characters a price field refuses, its caption, and what each
// key does in each kind of field, when a press starts a new product, and why the import
// cannot start. The window reads its widgets, asks one of these, and
// does what the answer says.

#include <string>
#include <string_view>

#include "core/masters/master_lists.h"

namespace quilto {

// Closing asks "終了します。" unless both the construction name and the product name are
// blank: something typed would be lost.
bool CloseNeedsQuestion(std::string_view constructionName, std::string_view productName);

// What a save of the typed entry comes to, checked in this order: nothing to save (blank),
// the list past its capacity (its "件数オーバー" message), or go on (for a construction
// name: ask, then write; for a product: write).
enum class SaveStep {
    kNothing,
    kFull,  // past its capacity
    kGoOn,
};
SaveStep ConstructionSaveStep(const MasterLists& lists, std::string_view typedName);
// constructionCode: the current one, blank when none is selected.
SaveStep ProductSaveStep(const MasterLists& lists, std::string_view constructionCode,
                         std::string_view productCode, std::string_view productName);

// Enter in the remarks field checks, in this order, that a construction name is selected
// and a product code set, then that the product has a name; then it offers to save, except
// in read-only mode, where nothing can be saved.
enum class RemarksEnter {
    kSelectConstruction,  // "工事を選択してください。", to the construction list
    kNameMissing,         // "商品名を入力してください。", to the product name
    kAskSave,             // to the product name, then "商品を保存します。"
    kNoSave,              // to the product name, nothing asked
};
RemarksEnter RemarksEnterStep(std::string_view constructionCode, std::string_view productCode,
                              std::string_view productName, bool readOnly);

// The product row chosen after a delete (asked or declined): the row that was selected
// while it is before the last one, otherwise the last row; -1 for an empty list.
int RowAfterProductDelete(int selectedBefore, int rowCount);

// A character typed into a price field is refused unless it is a digit or "-" (backspace
// and keys without a printable character, such as the arrows, are not characters here).
bool PriceFieldRefuses(char32_t typed);

// A press in the product name, specification or remarks starts a new product (it takes the
// next free code) when no product code is shown yet and a construction name is selected.
bool PressStartsNewProduct(std::string_view productCode, std::string_view constructionCode);

// Why the product import cannot start, in this order: no construction name is selected, or
// the window is read-only (unreadable: why the masters could not be read, empty when they
// were, and then the masters are held by another copy). Empty when the import may go on.
std::string ImportCannotStartMessage(std::string_view constructionCode, bool readOnly,
                                     const std::string& unreadable);

// The window caption: read-only mode says so, and names the copy that holds the masters
// when another one does (holder: empty when this copy holds them or nothing is known).
std::string RegistrationCaption(bool readOnly, std::string_view holder);

// The kinds of field the window's keys are decided for.
enum class RegistrationField {
    kConstructionList,  // K_LB1
    kProductList,       // S_LB1
    kConstructionName,  // K_NM1
    kProductName,       // Edit2
    kRemarks,           // EditBiko1
    kUnitDropDown,      // CBUnit and its text
    kButton,
    kOtherField,  // specification, prices
};

enum class RegistrationKey { kEnter, kTab, kDown, kUp, kEscape, kOther };

enum class KeyAction {
    kPass,            // the field has the key as usual
    kSwallow,         // nobody has it (the Enter character never reaches a field)
    kClose,           // the window closes (asking first where it must)
    kNext,            // the focus goes to the next field
    kPrevious,        // ... to the previous one
    kToEditField,     // Enter in a list: to the field that edits its entry
    kClick,           // Enter on a button presses it
    kEnterInRemarks,  // see RemarksEnterStep
};

// The window sees every key before its fields. dropDownOpen: the unit drop-down shows its
// list, which then has the keys, Esc included.
KeyAction RegistrationKeyAction(RegistrationField field, RegistrationKey key, bool dropDownOpen);

}  // namespace quilto
