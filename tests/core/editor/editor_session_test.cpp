// Saving an open estimate: the editor window and quilto-cli calc --save both save through
// the editor session, so one stored estimate gets the same outcome, the same message and,
// when it is written, the same bytes from both.

#include "core/editor/editor_session.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <functional>
#include <string>
#include <vector>

#include "core/store/environment.h"
#include "support/cli_runner.h"
#include "support/scripted_questions.h"
#include "support/silent_questions.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::RunCli;
using test::WorkingFolder;
using test::WriteAll;

constexpr char kEstimate[] = "DAT/m_000001.dat";
constexpr char kBackup[] = "m_BackUp.dat";

void Row(EstimateDocument& d, SheetKind sheet, int row, const std::vector<std::string>& cells) {
    for (std::size_t i = 0; i < cells.size(); ++i)
        d.Grid(sheet).SetCell(row, static_cast<int>(i) + 1, cells[i]);
}

// Detail line `line` of breakdown line `row`, written straight into the store as a file
// holds it, with the amount it was stored with (not necessarily quantity x price).
void StoredDetail(EstimateDocument& d, int row, int line, const char* name, long long quantity,
                  long long price, long long storedAmount) {
    LineRecord& r = d.Stores().details.MutableLine(row, line);
    r.SetName(name);
    r.SetQuantity(Fixed4::FromInt(quantity));
    r.SetUnitPrice(Fixed4::FromInt(price));
    r.SetAmount(Fixed4::FromInt(storedAmount));
    d.Stores().breakdown[static_cast<std::size_t>(row)].SetDetailCount(line);
}

// A fine estimate 000001: a summary line, a typed breakdown line and one whose detail sheet
// was stored with a stale amount (2 x 300 stored as 500).
void Fine(EstimateDocument& d) {
    d.SetText(HeaderText::MName1, "customer");
    d.SetText(HeaderText::MTitle1, "title");
    d.SetTaxRateText("10");
    Row(d, SheetKind::Summary, 1, {"", "", "walls", "", "2", "1,500"});
    Row(d, SheetKind::Breakdown, 1, {"", "", "typed", "", "", "9,000"});
    Row(d, SheetKind::Breakdown, 2, {"", "", "pipes", "", "", "500"});
    StoredDetail(d, 2, 1, "pipe", 2, 300, 500);
}

// The file as another program (or an older save) left it: written without any check.
void Store(const std::function<void(EstimateDocument&)>& make) {
    EstimateDocument d;
    d.SetText(HeaderText::MNo, "000001");
    d.BeginSession(EntryMode::kCallUp);
    make(d);
    Environment environment;
    test::SilentQuestions silent;
    ASSERT_EQ(SaveEstimate(d, environment, silent), EstimateResult::kOk);
}

const std::string kHuge = "999999999999";

TEST(EditorSession, TheWindowAndTheCommandLineSaveAStoredEstimateAlike) {
    struct Case {
        const char* what;
        std::function<void(EstimateDocument&)> make;
        SaveOutcome outcome;
        std::optional<CalculationOverflow> overflow;
    };
    const std::vector<Case> cases = {
        {"fine", Fine, SaveOutcome::kSaved, {}},
        {"a detail sheet past the range, not on screen",
         [](EstimateDocument& d) {
             Fine(d);
             StoredDetail(d, 2, 4, "pipe", 9999999, 999999999999, 0);
         },
         SaveOutcome::kOverflow, CalculationOverflow{SheetKind::Detail, 2, 4}},
        {"the breakdown's running sum past the range",
         [](EstimateDocument& d) {
             Fine(d);
             for (int row = 3; row <= 12; ++row)
                 Row(d, SheetKind::Breakdown, row, {"", "", "big", "", "", "99,999,999,999,999"});
         },
         SaveOutcome::kOverflow, CalculationOverflow{SheetKind::Breakdown, 0, 12}},
        {"the summary past the range",
         [](EstimateDocument& d) {
             Fine(d);
             Row(d, SheetKind::Summary, 2, {"", "", "huge", "", "9999999", kHuge});
         },
         SaveOutcome::kOverflow, CalculationOverflow{SheetKind::Summary, 0, 2}},
        {"a detail sheet and the summary: the detail line is named",
         [](EstimateDocument& d) {
             Fine(d);
             Row(d, SheetKind::Summary, 2, {"", "", "huge", "", "9999999", kHuge});
             StoredDetail(d, 2, 3, "pipe", 9999999, 999999999999, 0);
         },
         SaveOutcome::kOverflow, CalculationOverflow{SheetKind::Detail, 2, 3}},
        {"no customer",
         [](EstimateDocument& d) {
             Fine(d);
             d.SetText(HeaderText::MName1, "");
         },
         SaveOutcome::kMissingFields,
         {}},
        {"no title, and past the range: the missing field is told first",
         [](EstimateDocument& d) {
             Fine(d);
             d.SetText(HeaderText::MTitle1, " ");
             Row(d, SheetKind::Summary, 2, {"", "", "huge", "", "9999999", kHuge});
         },
         SaveOutcome::kMissingFields,
         {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkingFolder folder;
        ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
        Store(c.make);
        const std::string stored = ReadAll(kEstimate);

        // The command line.
        const auto cli = RunCli({"calc", "000001", "--json", "--save"});
        const std::string cliBytes = ReadAll(kEstimate);
        const std::string cliBackup = QFile::exists(kBackup) ? ReadAll(kBackup) : "";
        WriteAll(kEstimate, stored);
        QFile::remove(kBackup);

        // The window's session.
        Environment environment;
        ASSERT_EQ(ReadEnvironment(environment), EnvironmentFileResult::kOk);
        test::ScriptedQuestions questions;
        EditorSession session;
        session.UseSettings(environment);
        ASSERT_EQ(session.Open(environment, "000001", EntryMode::kCallUp), EstimateResult::kOk);
        const SaveResult result = session.Save(environment, questions);
        questions.Done();

        EXPECT_EQ(result.outcome, c.outcome);
        ASSERT_EQ(result.overflow.has_value(), c.overflow.has_value());
        if (c.overflow) {
            EXPECT_EQ(result.overflow->sheet, c.overflow->sheet);
            EXPECT_EQ(result.overflow->breakdownRow, c.overflow->breakdownRow);
            EXPECT_EQ(result.overflow->row, c.overflow->row);
        }
        const std::string message = SaveOutcomeMessage(result);
        if (c.outcome == SaveOutcome::kSaved) {
            EXPECT_EQ(message, "");
            EXPECT_EQ(cli.exitCode, 0) << cli.err;
            // The stale detail sheet counted again: 2 x 300 on the breakdown line.
            EstimateHeader header;
            EstimateStores stores;
            ASSERT_EQ(ReadEstimateFile(kEstimate, header, stores), EstimateResult::kOk);
            EXPECT_EQ(stores.breakdown[2].Amount(), Fixed4::FromInt(600));
            EXPECT_EQ(ReadAll(kEstimate), cliBytes) << "the same bytes from both";
            EXPECT_EQ(ReadAll(kBackup), cliBackup);
        } else {
            EXPECT_EQ(message, c.overflow ? CalculationOverflowMessage(*c.overflow)
                                          : std::string(kNoDataMessage));
            EXPECT_EQ(cli.exitCode, 1);
            EXPECT_NE(cli.err.find(message + " Nothing was saved."), std::string::npos) << cli.err;
            EXPECT_EQ(cliBytes, stored);
            EXPECT_EQ(ReadAll(kEstimate), stored) << "nothing written";
            EXPECT_EQ(cliBackup, "");
            EXPECT_FALSE(QFile::exists(kBackup));
        }
    }
}

// The checks that need no file. A read-only estimate is calculated and checked like any
// other but never written, and tells nothing of its own; a blank number is told before
// anything else.
TEST(EditorSession, ReadOnlyAndNumberlessEstimatesAreNotWritten) {
    WorkingFolder folder;
    Environment environment;
    test::ScriptedQuestions questions;
    EditorSession session;
    session.UseSettings(environment);
    session.Document().BeginSession(EntryMode::kCallUp);
    session.StartNew(environment);
    session.Document().SetText(HeaderText::MNo, "000001");
    Fine(session.Document());

    session.Document().SetReadOnly(true);
    EXPECT_EQ(session.Save(environment, questions).outcome, SaveOutcome::kReadOnly);
    EXPECT_EQ(session.Document().Grid(SheetKind::Summary).Cell(1, 7), "         3,000")
        << "calculated all the same";
    session.Document().SetText(HeaderText::MName1, "");
    EXPECT_EQ(session.Save(environment, questions).outcome, SaveOutcome::kMissingFields);
    session.Document().SetReadOnly(false);
    session.Document().SetText(HeaderText::MNo, "");
    const SaveResult numberless = session.Save(environment, questions);
    EXPECT_EQ(numberless.outcome, SaveOutcome::kNoNumber);
    EXPECT_EQ(SaveOutcomeMessage(numberless), kNoNumberMessage);
    questions.Done();
    EXPECT_FALSE(QFile::exists(kBackup));
    EXPECT_TRUE(QDir("DAT").isEmpty());
}

// A save is the history's clean point, with what the save itself changed (the recalculated
// figures) taken in: nothing is unsaved after it.
TEST(EditorSession, ASaveIsTheHistorysCleanPoint) {
    WorkingFolder folder;
    Environment environment;
    test::SilentQuestions silent;
    Store(Fine);
    EditorSession session;
    session.UseSettings(environment);
    ASSERT_EQ(session.Open(environment, "000001", EntryMode::kCallUp), EstimateResult::kOk);
    session.History().SetEnabled(true);
    session.History().Reset(session.Document());
    Row(session.Document(), SheetKind::Summary, 3, {"", "", "more", "", "1", "100"});
    EditStep step;
    step.name = "入力";
    ASSERT_TRUE(session.History().Record(session.Document(), step));
    EXPECT_TRUE(session.History().Modified());

    ASSERT_TRUE(session.Save(environment, silent).Saved());
    EXPECT_FALSE(session.History().Modified());
    ASSERT_TRUE(session.History().Undo(session.Document()).has_value());
    EXPECT_TRUE(session.History().Modified());
    ASSERT_TRUE(session.History().Redo(session.Document()).has_value());
    EXPECT_FALSE(session.History().Modified()) << "back at what was saved";
}

}  // namespace
}  // namespace quilto
