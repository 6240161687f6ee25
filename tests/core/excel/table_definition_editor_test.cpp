#include "core/excel/table_definition_editor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/excel/pattern_choice.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

TEST(TableDefinitionEditor, AddressFieldsShowTheirPositionAndDropWhatIsNoAddress) {
    struct Case {
        const char* typed;
        const char* left;      // the field after leaving it
        const char* position;  // Edit1
    };
    const Case cases[] = {
        {"ab4", "AB4", "   28,  4"},
        {" h17 ", "H17", "    8, 17"},
        {"ZZ999", "ZZ999", "  702,999"},
        {"A0", "", "  "},
        {"A01", "", "  "},
        {"ABC1", "", "  "},
        {"A1234", "", "  "},
        {"4", "", "  "},
        {"Ａ1", "", "  "},  // a full-width letter is no column
        {"", "", "  "},
    };
    for (const Case& c : cases) {
        const AddressFieldState left = LeftAddressField(QString::fromUtf8(c.typed));
        EXPECT_EQ(left.text, QString::fromUtf8(c.left)) << c.typed;
        EXPECT_EQ(left.position, QString::fromUtf8(c.position)) << c.typed;
    }
    // Entering keeps a valid text as it stands and empties an invalid one.
    EXPECT_EQ(EnteredAddressField("h17").text, "h17");
    EXPECT_EQ(EnteredAddressField("h17").position, "    8, 17");
    EXPECT_EQ(EnteredAddressField("A0").text, "");
    EXPECT_EQ(EnteredAddressField("A0").position, "  ");
}

TEST(TableDefinitionEditor, TypingRules) {
    EXPECT_EQ(UpperCaseTyped(QStringLiteral("ab4ｚ－x")), QStringLiteral("AB4ｚ－X"));
    EXPECT_TRUE(AcceptsLinesCharacter(QLatin1Char('0')));
    EXPECT_TRUE(AcceptsLinesCharacter(QLatin1Char('9')));
    for (QChar c : QStringLiteral("a -.１"))
        EXPECT_FALSE(AcceptsLinesCharacter(c)) << int{c.unicode()};

    EXPECT_EQ(InputMaxLength(InputKindOf(TableFields()[TableFieldIndex("HName1")])), 5);
    EXPECT_EQ(InputKindOf(TableFields()[TableFieldIndex("HBKsep")]), TableInputKind::kSeparator);
    EXPECT_EQ(InputMaxLength(TableInputKind::kSeparator), 2);
    EXPECT_EQ(InputKindOf(TableFields()[TableFieldIndex("SB2LinP1")]), TableInputKind::kLines);
    EXPECT_EQ(InputMaxLength(TableInputKind::kLines), 2);
}

TEST(TableDefinitionEditor, TypedFieldsAreRefusedWithTheFieldThatHoldsAnUnknownCharacter) {
    std::vector<QString> texts(TableFields().size());
    texts[static_cast<std::size_t>(TableFieldIndex("HBKsep"))] = QStringLiteral("－");
    std::optional<TableFieldTexts> fields = TypedFieldTexts(texts);
    ASSERT_TRUE(fields.has_value());
    EXPECT_EQ(fields->Get("HBKsep"), Sjis("－"));

    texts[static_cast<std::size_t>(TableFieldIndex("EName"))] = QStringLiteral("C3😀");
    TypedTextRefusal refusal;
    std::size_t field = 0;
    EXPECT_FALSE(TypedFieldTexts(texts, &refusal, &field).has_value());
    EXPECT_EQ(field, static_cast<std::size_t>(TableFieldIndex("EName")));
    EXPECT_EQ(refusal.character, U'😀');
}

// A paste passes the key filter of a lines field: what it holds besides digits and the
// blank the field shows before one digit must not reach a save, since the output refuses a
// page size of -1 and a sign or letter would make one.
TEST(TableDefinitionEditor, LinesFieldsTakeDigitsAndBlanksOnly) {
    struct Case {
        const char16_t* pasted;
        char32_t refused;  // 0: saved
    };
    const Case cases[] = {
        {u"15", 0},
        {u" 5", 0},
        {u"", 0},
        {u"-1", U'-'},
        {u"+9", U'+'},
        {u"1x", U'x'},
        {u"\uFF17", U'\uFF17'},  // a full-width digit is no digit here
    };
    const std::size_t lines = static_cast<std::size_t>(TableFieldIndex("GyoD1"));
    for (const Case& c : cases) {
        SCOPED_TRACE(QString::fromUtf16(c.pasted).toStdString());
        std::vector<QString> texts(TableFields().size());
        texts[lines] = QString::fromUtf16(c.pasted);
        TypedTextRefusal refusal;
        std::size_t field = 0;
        const std::optional<TableFieldTexts> fields = TypedFieldTexts(texts, &refusal, &field);
        EXPECT_EQ(fields.has_value(), c.refused == 0);
        if (c.refused == 0) continue;
        EXPECT_EQ(field, lines);
        EXPECT_EQ(refusal.character, c.refused);
    }
}

class TableDefinitionSessionTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* code : {"00", "01"}) {
            WriteAll(QStringLiteral("XlsBase/XKP%1.Dat").arg(code), Header('h', kXkpRecordSize));
            WriteAll(QStringLiteral("XlsBase/XKPSei%1.Dat").arg(code),
                     Header('s', kXkpSeiRecordSize));
        }
    }

    // A record whose header is marked, so that keeping it shows.
    static std::string Header(char mark, std::size_t size) {
        std::string record(size, '\0');
        record[0] = mark;
        return record;
    }

    static TableFieldTexts Edited(const char* name, const char* text) {
        TableFieldTexts fields;
        fields.Set(name, text);
        fields.Set("GyoD1", "15");
        return fields;
    }

    WorkingFolder folder;
    TableDefinitions tables;
    TableDefinitionSession session{tables};
};

TEST_F(TableDefinitionSessionTest, PreviousValuesBeforeAnySaveEmptyEveryFieldButKeepTheHeaders) {
    ASSERT_EQ(session.Load(0), TableFileResult::kOk);
    ASSERT_EQ(session.Save(0, StandardTableDefaults(TableFieldTexts())), TableFileResult::kOk);
    TableDefinitionSession fresh(tables);  // a new run: nothing saved yet
    fresh.RestorePrevious();
    const TableFieldTexts fields = fresh.Fields();
    EXPECT_EQ(fields.Get("HMBango"), "");
    EXPECT_EQ(fields.Get("GyoD1"), " 0");
    EXPECT_EQ(fields.Get("SB2LinP1"), " 0");
    EXPECT_EQ(tables.Record(TableFile::kStandard)[0], 'h');
    EXPECT_EQ(tables.Record(TableFile::kFreeForm)[0], 's');
}

TEST_F(TableDefinitionSessionTest, PreviousValuesAreWhatWasLastSavedWhateverWasLoadedSince) {
    ASSERT_EQ(session.Save(1, Edited("HName1", "E5")), TableFileResult::kOk);
    ASSERT_EQ(session.Load(0), TableFileResult::kOk);
    EXPECT_EQ(session.Fields().Get("HName1"), "");
    session.RestorePrevious();
    EXPECT_EQ(session.Fields().Get("HName1"), "E5");
    EXPECT_EQ(tables.Count("GyoD1"), 15);
    // Restoring changes no file.
    EXPECT_EQ(ReadAll("XlsBase/XKP00.Dat"), Header('h', kXkpRecordSize));
}

TEST_F(TableDefinitionSessionTest, ChoiceIndexSelectsTheFilesAndAPatternWithoutFilesFails) {
    ASSERT_EQ(session.Save(1, Edited("HTitle1", "H17")), TableFileResult::kOk);
    EXPECT_EQ(ReadAll("XlsBase/XKP00.Dat"), Header('h', kXkpRecordSize));
    ASSERT_EQ(session.Load(0), TableFileResult::kOk);
    EXPECT_EQ(session.Fields().Get("HTitle1"), "");
    ASSERT_EQ(session.Load(1), TableFileResult::kOk);
    EXPECT_EQ(session.Fields().Get("HTitle1"), "H17");
    // Pattern 02 has no files here: loading keeps the fields, saving writes nothing.
    EXPECT_EQ(session.Load(2), TableFileResult::kFailed);
    EXPECT_EQ(session.Fields().Get("HTitle1"), "H17");
    EXPECT_EQ(session.Save(2, Edited("HTitle1", "A1")), TableFileResult::kFailed);
    EXPECT_FALSE(QFile::exists("XlsBase/XKP02.Dat"));
}

// The output prints the separator's blanks: loading and saving again without a change must
// keep them.
TEST_F(TableDefinitionSessionTest, SeparatorKeepsItsBlanksThroughLoadAndSave) {
    for (const char* separator : {" -", "- ", " "}) {
        SCOPED_TRACE(separator);
        ASSERT_EQ(session.Save(0, Edited("HBKsep", separator)), TableFileResult::kOk);
        const std::string saved = ReadAll("XlsBase/XKP00.Dat");
        ASSERT_EQ(session.Load(0), TableFileResult::kOk);
        const TableFieldTexts shown = session.Fields();
        EXPECT_EQ(shown.Get("HBKsep"), separator);
        const std::optional<TableFieldTexts> typed = TypedFieldTexts(ShownFieldTexts(shown));
        ASSERT_TRUE(typed.has_value());
        ASSERT_EQ(session.Save(0, *typed), TableFileResult::kOk);
        EXPECT_EQ(ReadAll("XlsBase/XKP00.Dat"), saved);
    }
}

TEST(PatternChoice, ItemsFollowTheTemplatesAndTheEnvironmentsNames) {
    const std::array<std::string, 3> blank{"", "  ", ""};
    EXPECT_EQ(PatternChoiceItems(blank, false, true),
              std::vector<std::string>{Sjis(" 0 標準パターン ")});
    EXPECT_EQ(PatternChoiceItems({Sjis("木造"), "", Sjis("鉄骨")}, true, true),
              (std::vector<std::string>{Sjis(" 0 木造"), Sjis(" 1 パターン １"), Sjis(" 2 鉄骨")}));

    WorkingFolder folder;
    EXPECT_EQ(PatternChoiceItems(blank).size(), 1u);
    WriteAll(QStringLiteral("XlsBase/見積書02.xlsx"), "x");
    EXPECT_EQ(PatternChoiceItems(blank).size(), 1u) << "02 is offered only after 01";
    WriteAll(QStringLiteral("XlsBase/見積書01.XLS"), "x");  // a legacy template, any case
    EXPECT_EQ(PatternChoiceItems(blank).size(), 3u);
    EXPECT_EQ(FindTemplate(QStringLiteral("見積書01")), QStringLiteral("XlsBase/見積書01.XLS"));
    EXPECT_EQ(FindTemplate(QStringLiteral("書式F00A")), QString());
}

TEST(PatternChoice, ComboTextGivesAPatternWithinTheList) {
    struct Case {
        const char* text;
        int items;
        int pattern;
    };
    const Case cases[] = {
        {" 1 パターン １", 3, 1},
        {"2", 3, 2},
        {"2", 1, 0},
        {" 2", 2, 0},
        {"3", 3, 0},
        {"-1", 3, 0},
        {"x", 3, 0},
        {"", 3, 0},
        {"01", 3, 1},
        {"1 ", 3, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(PatternIndexOfText(QString::fromUtf8(c.text), c.items), c.pattern)
            << c.text << " of " << c.items;
    }
    EXPECT_EQ(PatternCodeOfIndex(0), "00");
    EXPECT_EQ(PatternCodeOfIndex(2), "02");
    EXPECT_EQ(PatternCodeOfIndex(7), "00");
}

}  // namespace
}  // namespace quilto
