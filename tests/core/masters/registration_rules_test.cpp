#include "core/masters/registration_rules.h"

#include <gtest/gtest.h>

#include <string>

#include "core/masters/product_import.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::Sjis;

MasterLists ListsOf(int constructionNames, int products) {
    MasterLists lists;
    lists.constructionNames.assign(static_cast<std::size_t>(constructionNames), "001x");
    lists.products.assign(static_cast<std::size_t>(products), "001000001x");
    return lists;
}

TEST(RegistrationRulesTest, ClosingAsksOnlyWhenSomethingIsTyped) {
    EXPECT_FALSE(CloseNeedsQuestion("", ""));
    EXPECT_FALSE(CloseNeedsQuestion("  ", " "));
    EXPECT_TRUE(CloseNeedsQuestion(Sjis("途中"), ""));
    EXPECT_TRUE(CloseNeedsQuestion("", Sjis("　")));  // a full-width blank is typed text
    EXPECT_TRUE(CloseNeedsQuestion("", "x"));
}

// A save checks blank before capacity: a blank entry in a full list says nothing. A list
// at its capacity still takes one more (the 301st name), as the window always has.
TEST(RegistrationRulesTest, SavesCheckBlankThenCapacityInThatOrder) {
    const MasterLists atCapacity = ListsOf(kConstructionNameCapacity, kProductCapacity);
    const MasterLists past = ListsOf(kConstructionNameCapacity + 1, kProductCapacity + 1);
    EXPECT_EQ(ConstructionSaveStep(past, " "), SaveStep::kNothing);
    EXPECT_EQ(ConstructionSaveStep(atCapacity, "x"), SaveStep::kGoOn);
    EXPECT_EQ(ConstructionSaveStep(past, "x"), SaveStep::kFull);

    const struct {
        const char* code;
        const char* productCode;
        const char* name;
        SaveStep step;
    } products[] = {
        {"", "000001", "x", SaveStep::kNothing},
        {"001", "", "x", SaveStep::kNothing},
        {"001", "000001", " ", SaveStep::kNothing},
        {"001", "000001", "x", SaveStep::kFull},
    };
    for (const auto& p : products) {
        EXPECT_EQ(ProductSaveStep(past, p.code, p.productCode, p.name), p.step)
            << p.code << "/" << p.productCode << "/" << p.name;
    }
    EXPECT_EQ(ProductSaveStep(atCapacity, "001", "000001", "x"), SaveStep::kGoOn);
}

TEST(RegistrationRulesTest, EnterInTheRemarksChecksTheConstructionThenTheName) {
    const struct {
        const char* code;
        const char* productCode;
        const char* name;
        bool readOnly;
        RemarksEnter step;
    } cases[] = {
        {"", "000001", "x", false, RemarksEnter::kSelectConstruction},
        {"001", " ", "", false, RemarksEnter::kSelectConstruction},
        {"001", "000001", "", false, RemarksEnter::kNameMissing},
        {"001", "000001", "", true, RemarksEnter::kNameMissing},
        {"001", "000001", "x", false, RemarksEnter::kAskSave},
        {"001", "000001", "x", true, RemarksEnter::kNoSave},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RemarksEnterStep(c.code, c.productCode, c.name, c.readOnly), c.step)
            << c.code << "/" << c.productCode << "/" << c.name << "/" << c.readOnly;
    }
}

TEST(RegistrationRulesTest, AfterADeleteTheSameRowOrTheLastIsChosen) {
    const struct {
        int selected;
        int rows;
        int chosen;
    } cases[] = {
        {0, 3, 0}, {1, 3, 1},  {2, 3, 2},              // the deleted last row: the new last one
        {5, 3, 2}, {-1, 3, 2}, {0, 1, 0}, {0, 0, -1},  // an empty list: nothing
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RowAfterProductDelete(c.selected, c.rows), c.chosen)
            << c.selected << " of " << c.rows;
    }
}

TEST(RegistrationRulesTest, PriceFieldsTakeDigitsAndMinusOnly) {
    for (const char32_t typed : {U'0', U'9', U'-', U'\b', U'\r', U'\x1b'}) {
        EXPECT_FALSE(PriceFieldRefuses(typed)) << static_cast<int>(typed);
    }
    for (const char32_t typed : {U'a', U',', U'.', U' ', U'+', U'１', U'円'}) {
        EXPECT_TRUE(PriceFieldRefuses(typed)) << static_cast<int>(typed);
    }
}

TEST(RegistrationRulesTest, APressStartsAProductOnlyWithoutACodeUnderASelectedConstruction) {
    EXPECT_TRUE(PressStartsNewProduct("", "001"));
    EXPECT_TRUE(PressStartsNewProduct("  ", "001"));
    EXPECT_FALSE(PressStartsNewProduct("001000002", "001"));  // a product is shown
    EXPECT_FALSE(PressStartsNewProduct("", ""));              // no construction selected
}

TEST(RegistrationRulesTest, TheImportNeedsAConstructionThenWritableMasters) {
    const std::string unreadable = "M_SYOHIN.DAT cannot be read";
    struct Case {
        const char* code;
        bool readOnly;
        std::string unreadable;
        std::string refusal;
    };
    const Case cases[] = {
        {"", true, unreadable, kImportNoConstructionMessage},  // the construction comes first
        {"001", true, "", kImportReadOnlyMessage},
        {"001", true, unreadable, unreadable},
        {"001", false, unreadable, ""},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ImportCannotStartMessage(c.code, c.readOnly, c.unreadable), c.refusal)
            << c.code << " " << c.readOnly << " " << c.unreadable;
    }
}

// The holder is named only when it is another copy: a window read-only because a master
// file could not be read used to name its own copy as the one using the masters.
TEST(RegistrationRulesTest, TheCaptionSaysReadOnlyAndNamesAnotherHolder) {
    EXPECT_EQ(RegistrationCaption(false, ""), "名称登録（マスター） ");
    EXPECT_EQ(RegistrationCaption(true, ""), "名称登録（マスター）  < 書込み不可 >");
    EXPECT_EQ(RegistrationCaption(true, "PC-2 (sato)"),
              "名称登録（マスター）  < 書込み不可 > 使用中: PC-2 (sato)");
}

TEST(RegistrationRulesTest, EachKeyDoesWhatItsFieldWants) {
    using F = RegistrationField;
    using K = RegistrationKey;
    using A = KeyAction;
    const struct {
        F field;
        K key;
        bool open;
        A action;
    } cases[] = {
        // A drop-down with its list open keeps every key, Esc included.
        {F::kUnitDropDown, K::kEscape, true, A::kPass},
        {F::kUnitDropDown, K::kEnter, true, A::kPass},
        {F::kUnitDropDown, K::kEnter, false, A::kNext},
        {F::kUnitDropDown, K::kTab, false, A::kNext},
        {F::kUnitDropDown, K::kUp, false, A::kPrevious},
        {F::kUnitDropDown, K::kEscape, false, A::kClose},
        {F::kUnitDropDown, K::kOther, false, A::kPass},
        // Lists keep their arrows; Enter goes to the field that edits the entry.
        {F::kConstructionList, K::kEnter, false, A::kToEditField},
        {F::kProductList, K::kEnter, false, A::kToEditField},
        {F::kProductList, K::kDown, false, A::kPass},
        {F::kConstructionList, K::kEscape, false, A::kClose},
        {F::kButton, K::kEnter, false, A::kClick},
        {F::kButton, K::kTab, false, A::kPass},
        // The construction name only swallows the Enter character.
        {F::kConstructionName, K::kEnter, false, A::kSwallow},
        {F::kConstructionName, K::kDown, false, A::kPass},
        {F::kConstructionName, K::kEscape, false, A::kClose},
        {F::kRemarks, K::kEnter, false, A::kEnterInRemarks},
        {F::kRemarks, K::kDown, false, A::kSwallow},
        {F::kRemarks, K::kTab, false, A::kSwallow},
        {F::kRemarks, K::kUp, false, A::kPrevious},
        {F::kProductName, K::kUp, false, A::kSwallow},
        {F::kProductName, K::kEnter, false, A::kNext},
        {F::kOtherField, K::kDown, false, A::kNext},
        {F::kOtherField, K::kUp, false, A::kPrevious},
        {F::kOtherField, K::kEscape, false, A::kClose},
        {F::kOtherField, K::kOther, false, A::kPass},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RegistrationKeyAction(c.field, c.key, c.open), c.action)
            << static_cast<int>(c.field) << " key " << static_cast<int>(c.key) << " open "
            << c.open;
    }
}

}  // namespace
}  // namespace quilto
