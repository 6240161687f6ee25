// Ctrl+Z / Ctrl+Y in the editor, and unsaved edits brought back after the program was
// killed: a child run of this test program types, waits for its snapshot and is killed
// with SIGKILL; a new program in the same working folder offers the edits back.

#include <signal.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTimer>

#include "app/editor/editor_fixture.h"
#include "app/editor/estimate_session.h"
#include "app/editor/recovery_controller.h"
#include "app/editor/undo_controller.h"
#include "core/editor/editor_session.h"
#include "core/editor/estimate_io.h"
#include "core/editor/recovery_snapshots.h"
#include "core/store/markers.h"

namespace quilto {
namespace {

using test::EditorRun;
using test::ModalDriver;
using test::ReadAll;
using test::Sjis;
using test::Utf8;

constexpr char kChildFolder[] = "QUILTO_RECOVERY_CHILD_FOLDER";
constexpr char kChildMode[] = "QUILTO_RECOVERY_CHILD_MODE";

class UndoRecovery : public EditorRun {
  protected:
    void SetUp() override {
        // A child run works in its parent's working folder.
        if (qEnvironmentVariableIsSet(kChildFolder))
            QDir::setCurrent(qEnvironmentVariable(kChildFolder));
        EditorRun::SetUp();
    }

    QString MenuText(const char* action) { return Editor().findChild<QAction*>(action)->text(); }

    // The same edits in every run: the cover, a summary line, a breakdown line deleted.
    void MakeEdits() {
        Editor().findChild<QComboBox*>("MName1")->setFocus();
        Type(QStringLiteral("abc"));
        Context().pageControl1->setCurrentIndex(kSummaryTab);
        Focus(SheetKind::Summary, 2, 3);
        Cell(QStringLiteral("roof"));
        Focus(SheetKind::Summary, 2, 5);
        Cell(QStringLiteral("3"));
        Focus(SheetKind::Summary, 2, 6);
        Cell(QStringLiteral("1200"));
        Context().pageControl1->setCurrentIndex(kBreakdownTab);
        Focus(SheetKind::Breakdown, 1, 3);
        Key(Qt::Key_Delete, Qt::ControlModifier);
    }

    // An estimate 000001 with a summary line and two breakdown lines.
    void StoreEstimate() {
        EstimateDocument d;
        d.SetText(HeaderText::MNo, "000001");
        d.SetText(HeaderText::MName1, "customer");
        d.SetText(HeaderText::MTitle1, "title");
        d.SetTaxRateText("10");
        d.Grid(SheetKind::Summary).SetCell(1, 3, "walls");
        d.Grid(SheetKind::Summary).SetCell(1, 7, "5000");
        d.Grid(SheetKind::Breakdown).SetCell(1, 3, "first");
        d.Grid(SheetKind::Breakdown).SetCell(2, 3, "second");
        d.BeginSession(EntryMode::kCallUp);
        ASSERT_EQ(SaveEstimate(d, State().environment, questions), EstimateResult::kOk);
    }

    // A child run of this program that opens the editor in `mode` (3: estimate 000001),
    // makes the edits, waits for the snapshot and is then killed.
    void RunChildUntilKilled(EntryMode mode) {
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(kChildFolder, QDir::currentPath());
        env.insert(kChildMode, QString::number(static_cast<int>(mode)));
        child.setProcessEnvironment(env);
        child.setWorkingDirectory(QDir::currentPath());
        child.start(QCoreApplication::applicationFilePath(),
                    {QStringLiteral("--gtest_filter=UndoRecovery.ChildEditsUntilKilled")});
        ASSERT_TRUE(child.waitForStarted());
        QByteArray out;
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                child.waitForReadyRead(100);
                out += child.readAllStandardOutput();
                return out.contains("SNAPSHOT WRITTEN") || child.state() == QProcess::NotRunning;
            },
            120000))
            << out.toStdString();
        ASSERT_TRUE(out.contains("SNAPSHOT WRITTEN")) << out.toStdString();
        ::kill(static_cast<pid_t>(child.processId()), SIGKILL);
        ASSERT_TRUE(child.waitForFinished(10000));
        EXPECT_EQ(child.exitStatus(), QProcess::CrashExit);
    }

    // A new program in this working folder, as after a restart.
    void Restart() {
        program.reset();
        program = std::make_unique<QuiltoProgram>(questions);
        program->FormMenu1().show();
    }

    std::vector<RecoveryRecord> Snapshots() { return UnclaimedSnapshots(QDir::currentPath()); }
};

// The child's part of the tests below: not a test of its own.
TEST_F(UndoRecovery, ChildEditsUntilKilled) {
    if (!qEnvironmentVariableIsSet(kChildMode)) GTEST_SKIP() << "run by the tests below";
    const auto mode = static_cast<EntryMode>(qEnvironmentVariable(kChildMode).toInt());
    Open(mode, mode == EntryMode::kCallUp ? "000001" : "");
    MakeEdits();
    SnapshotWriter* writer = nullptr;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            writer = Editor().Recovery().Writer();
            if (!writer) return false;
            writer->Wait();
            return writer->Written() > 0;
        },
        30000));
    // The last edits are in a snapshot once no pause is pending and the writer is idle.
    const auto* pause = Editor().findChild<QTimer*>("SnapshotTimer");
    ASSERT_NE(pause, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !pause->isActive(); }, 30000));
    writer->Wait();
    std::printf("SNAPSHOT WRITTEN\n");
    std::fflush(stdout);
    QTest::qWait(600000);  // killed long before
}

TEST_F(UndoRecovery, CtrlZAndCtrlYTakeStepsBackAndForthWithTabAndCursor) {
    StoreEstimate();
    Open(EntryMode::kCallUp, "000001");
    EXPECT_FALSE(Editor().findChild<QAction*>("Undo1")->isEnabled());
    MakeEdits();
    EXPECT_EQ(MenuText("Undo1"), "元に戻す: 行削除");
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "second");

    Key(Qt::Key_F11);  // elsewhere: the cover
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "first");
    EXPECT_EQ(Context().VisibleTab(), kBreakdownTab) << "the tab of the step";
    EXPECT_EQ(Grid(SheetKind::Breakdown)->CurrentGridRow(), 1);
    EXPECT_EQ(MenuText("Redo1"), "やり直し: 行削除");
    EXPECT_EQ(MenuText("Undo1"), "元に戻す: 入力");

    Key(Qt::Key_Z, Qt::ControlModifier);  // the unit price, with the amount it made
    EXPECT_EQ(CellText(SheetKind::Summary, 2, 6), "0");
    EXPECT_EQ(CellText(SheetKind::Summary, 2, 7), "0");
    EXPECT_EQ(Context().VisibleTab(), kSummaryTab);
    EXPECT_EQ(Grid(SheetKind::Summary)->CurrentGridRow(), 2);
    EXPECT_EQ(Grid(SheetKind::Summary)->CurrentCol(), 6);

    Key(Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(CellText(SheetKind::Summary, 2, 7), "3,600");
    Key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(CellText(SheetKind::Breakdown, 1, 3), "second");

    // Back to the stored state by undoing everything: nothing is unsaved.
    while (Editor().findChild<QAction*>("Undo1")->isEnabled()) Trigger("Undo1");
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), "customer");
    EXPECT_FALSE(Editor().Undo().Modified());
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Exit1");
}

// A save is the clean point: a change after it and its undo leave nothing unsaved (no
// snapshot, the steps before the save still there to undo). The close question stays the
// usual one, and 破棄戻る then loses nothing.
TEST_F(UndoRecovery, UndoingBackToTheLastSaveLeavesNothingUnsaved) {
    StoreEstimate();
    Open(EntryMode::kCallUp, "000001");
    MakeEdits();
    Trigger("Save1");
    const std::string saved = ReadAll("DAT/m_000001.dat");
    EXPECT_FALSE(Editor().Undo().Modified());

    Context().pageControl1->setCurrentIndex(kSummaryTab);
    Focus(SheetKind::Summary, 3, 3);
    Cell(QStringLiteral("more"));
    EXPECT_TRUE(Editor().Undo().Modified());
    SnapshotWriter* writer = Editor().Recovery().Writer();
    ASSERT_NE(writer, nullptr) << "a changed line is kept at once";
    writer->Wait();
    EXPECT_TRUE(QFile::exists(writer->SnapshotPath()));

    Trigger("Undo1");
    EXPECT_FALSE(Editor().Undo().Modified());
    EXPECT_EQ(MenuText("Undo1"), "元に戻す: 行削除");
    writer->Wait();
    EXPECT_FALSE(QFile::exists(writer->SnapshotPath()));
    questions.ExpectButtons(kCloseQuestion, 2);
    Trigger("Exit1");
    EXPECT_EQ(ReadAll("DAT/m_000001.dat"), saved);
}

// Unsaved edits of an estimate that another copy holds now: the question says they open
// read-only; they do, with no history and nothing to save, and the snapshot stays for when
// the estimate is free again.
TEST_F(UndoRecovery, ASnapshotOfAnEstimateHeldElsewhereOpensReadOnly) {
    QTest::qWait(0);  // the start-up's offer of snapshots is made (there are none yet)
    StoreEstimate();
    const QString path = folder.FilePath(QStringLiteral("DAT/m_000001.dat"));
    const std::string original = ReadAll(path);
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(-60),
                            QFileDevice::FileModificationTime);
    {
        // A copy of the program that ended without closing the estimate.
        EditorSession edited;
        ASSERT_EQ(edited.Open(State().environment, "000001", EntryMode::kCallUp),
                  EstimateResult::kOk);
        edited.Document().SetText(HeaderText::MName1, "recovered");
        SnapshotWriter writer(QDir::currentPath());
        ASSERT_TRUE(writer.WriteNow(edited.Document())) << writer.LastFailure().toStdString();
    }
    const std::vector<RecoveryRecord> left = Snapshots();
    ASSERT_EQ(left.size(), 1u);
    Markers other(questions, MarkerFoldersOf(State().environment));
    ASSERT_EQ(other.HoldEstimateMarker("000001"), MarkerHold::kDone);

    const std::string question = RecoveryQuestion(left[0], true);
    EXPECT_NE(question.find("読取専用で開きます"), std::string::npos) << question;
    questions.ExpectButtons(question, 1, kRecoveryCaption);
    Open(EntryMode::kCallUp, "000001");
    EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), "recovered");
    EXPECT_TRUE(Editor().windowTitle().contains(QStringLiteral("書込み不可")));
    EXPECT_FALSE(Editor().findChild<QAction*>("Save1")->isEnabled());
    Context().pageControl1->setCurrentIndex(kSummaryTab);
    Focus(SheetKind::Summary, 3, 3);
    Cell(QStringLiteral("more"));
    EXPECT_FALSE(Editor().findChild<QAction*>("Undo1")->isEnabled()) << "no history";
    EXPECT_FALSE(Editor().Undo().Modified());
    Trigger("Exit1");  // read-only: no question
    EXPECT_FALSE(Editor().isVisible());
    EXPECT_EQ(ReadAll(path), original);
    EXPECT_EQ(Snapshots().size(), 1u) << "kept until it can be saved or is discarded";
}

// Killed after the edits; started again, the program offers them back, and the estimate
// saved from them is byte for byte the one an uninterrupted session saves.
TEST_F(UndoRecovery, EditsOfAKilledProgramAreRecoveredAtTheNextStart) {
    StoreEstimate();
    const QString path = folder.FilePath(QStringLiteral("DAT/m_000001.dat"));
    const std::string original = ReadAll(path);
    Open(EntryMode::kCallUp, "000001");
    MakeEdits();
    const std::string customer = Utf8(Document().Text(HeaderText::MName1));
    questions.ExpectButtons(kCloseQuestion, 1);
    Trigger("Exit1");
    const std::string expected = ReadAll(path);
    ASSERT_NE(expected, original);
    test::WriteAll(path, original);
    QFile(path).setFileTime(QDateTime::currentDateTime().addSecs(-60),
                            QFileDevice::FileModificationTime);
    EXPECT_TRUE(Snapshots().empty()) << "a normal close leaves no snapshot";

    RunChildUntilKilled(EntryMode::kCallUp);
    const std::vector<RecoveryRecord> left = Snapshots();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_EQ(ReadAll(path), original) << "the killed copy never saved";

    // Later: the snapshot stays and is offered again.
    questions.ExpectButtons(RecoveryQuestion(left[0], false), 3, kRecoveryCaption);
    std::size_t asked = questions.History().size();
    Restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return questions.History().size() > asked; }, 10000));
    EXPECT_EQ(Snapshots().size(), 1u);

    questions.ExpectButtons(RecoveryQuestion(left[0], false), 1, kRecoveryCaption);
    bool recovered = false;
    ModalDriver driver([&](QWidget*) {
        recovered = Editor().Undo().Modified();
        EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), customer);
        questions.ExpectButtons(kCloseQuestion, 1);
        Trigger("Exit1");
    });
    Restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !Editor().isVisible() && recovered; }, 20000));
    EXPECT_EQ(ReadAll(path), expected);
    EXPECT_TRUE(Snapshots().empty()) << "saved: nothing left to recover";
}

// A new estimate's edits come back as a new estimate (its number is given at its first
// save); 破棄する removes the snapshot.
TEST_F(UndoRecovery, ANewEstimateIsRecoveredAsNewAndDiscardRemovesTheSnapshot) {
    RunChildUntilKilled(EntryMode::kNew);
    std::vector<RecoveryRecord> left = Snapshots();
    ASSERT_EQ(left.size(), 1u);
    EXPECT_TRUE(left[0].newEstimate);

    questions.ExpectButtons(RecoveryQuestion(left[0], false), 1, kRecoveryCaption);
    ModalDriver driver([&](QWidget*) {
        EXPECT_EQ(Utf8(Document().Text(HeaderText::MName1)), "abc");
        EXPECT_EQ(Document().Entry(), EntryMode::kNew);
        EXPECT_FALSE(Document().NumberAssigned());
        EXPECT_TRUE(Editor().Undo().Modified());
        EXPECT_EQ(CellText(SheetKind::Summary, 2, 7), "3,600");
        // Closed without saving on purpose: the edits are gone with the snapshot.
        questions.ExpectButtons(kCloseQuestion, 2);
        Trigger("Exit1");
    });
    std::size_t asked = questions.History().size();
    Restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return questions.History().size() >= asked + 2; }, 20000));
    EXPECT_TRUE(Snapshots().empty());
    EXPECT_FALSE(QFile::exists(folder.FilePath(QStringLiteral("DAT/m_000001.dat"))));

    RunChildUntilKilled(EntryMode::kNew);
    left = Snapshots();
    ASSERT_EQ(left.size(), 1u);
    questions.ExpectButtons(RecoveryQuestion(left[0], false), 2, kRecoveryCaption);
    Restart();
    ASSERT_TRUE(QTest::qWaitFor([&] { return Snapshots().empty(); }, 10000));
}

}  // namespace
}  // namespace quilto
