#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstring>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QHeaderView>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QStatusBar>
#include <QTest>

#include "app/modal_driver.h"
#include "app/shell/byte_column_delegate.h"
#include "app/shell/shell_fixture.h"
#include "core/shell/estimate_list_actions.h"
#include "core/store/estimate_list.h"
#include "support/read_only_folder.h"
#include "support/sjis.h"

namespace quilto {
namespace {

using test::Child;
using test::ModalDriver;
using test::PressKey;
using test::ShellRun;
using test::Sjis;
using test::WriteAll;

QListWidget* Lines(QWidget* list) { return Child<QListWidget>(list, "ListBox1"); }

QString Panel(QWidget* list, int panel) {
    return Child<QLabel>(list, QStringLiteral("StatusBar1Panel%1").arg(panel).toLatin1())->text();
}

void DoubleClickLine(QWidget* list, int row) {
    QListWidget* lines = Lines(list);
    const QRect rect = lines->visualItemRect(lines->item(row));
    QTest::mouseClick(lines->viewport(), Qt::LeftButton, {}, rect.center());
    QTest::mouseDClick(lines->viewport(), Qt::LeftButton, {}, rect.center());
}

// Text as an input method hands it over when the user confirms a conversion.
void CommitTyped(QWidget* field, const QString& text) {
    QInputMethodEvent commit;
    commit.setCommitString(text);
    QApplication::sendEvent(field, &commit);
}

class EstimateListForm : public ShellRun {
  protected:
    // Shows the list from a main-menu button and runs action on it.
    void WithList(const char* button, std::function<void(QWidget*)> action) {
        ModalDriver driver(std::move(action));
        Child<QPushButton>(&Menu(), button)->click();
    }
};

TEST_F(EstimateListForm, ShowsEveryFileSortedInByteColumnsUnderItsHeader) {
    WriteEstimate("000003", Sjis("佐藤工務店"), Sjis("屋根改修"), 1234567);
    WriteEstimate("000001", Sjis("山田建設"), Sjis("外壁塗装"), 500);
    WriteAll("DAT/m_000002.dat", std::string(1392, 'x'));  // not an estimate
    Start();

    std::vector<std::string> shown;
    std::vector<std::string> expected;
    QStringList sections;
    std::vector<int> widths;
    QString title;
    QString mode;
    QString folderPanel;
    QString printDatePanel;
    int cell = 0;
    int rowHeight = 0;
    WithList("ChgBtn", [&](QWidget* list) {
        title = list->windowTitle();
        mode = Child<QLabel>(list, "EMode")->text();
        auto* header = Child<QHeaderView>(list, "HeaderControl1");
        for (int i = 0; i < header->count(); ++i) {
            sections << header->model()->headerData(i, Qt::Horizontal).toString();
            widths.push_back(header->sectionSize(i));
        }
        for (const EstimateListEntry& entry : program->FormMenu2().Entries()) {
            expected.push_back(entry.item);
        }
        QListWidget* lines = Lines(list);
        for (int i = 0; i < lines->count(); ++i) {
            const QByteArray bytes =
                lines->item(i)->data(ByteColumnDelegate::kBytesRole).toByteArray();
            shown.push_back(bytes.toStdString());
        }
        cell = program->FormMenu2().CellWidth();
        rowHeight = lines->visualItemRect(lines->item(0)).height();
        folderPanel = Panel(list, 0);
        lines->setCurrentRow(2);
        printDatePanel = Panel(list, 1);
        PressKey(Qt::Key_Escape);
    });
    EXPECT_EQ(title, "見積一覧");
    EXPECT_EQ(mode, "呼び出し");
    EXPECT_EQ(sections, (QStringList{"管理No", "  お 客 様 名", "  工 事 名 称", "  日    付",
                                     " 見 出 し", "   金     額"}));
    EXPECT_EQ(widths, (std::vector<int>{60, 240, 240, 200, 0, 1000}));
    ASSERT_EQ(shown.size(), 3u);
    EXPECT_EQ(shown, expected);
    EXPECT_EQ(shown[0].substr(0, 8 + 8), "000001  " + Sjis("山田建設"));
    EXPECT_EQ(shown[1].substr(0, 8) + shown[1].substr(38), "000002  **********   ");
    EXPECT_EQ(shown[2].substr(93, 15), "     1,234,567 ");
    // One byte is one half-width cell: the 30-byte name columns fill their 240-pixel headers.
    EXPECT_EQ(30 * cell, 240);
    EXPECT_EQ(rowHeight, 18);
    EXPECT_EQ(folderPanel, " " + QDir::currentPath() + "/DAT/");
    EXPECT_EQ(printDatePanel, " フリー印刷日 : ");
    EXPECT_EQ(State().shell.selectedNumber, "");
}

TEST_F(EstimateListForm, ChoosingTakesTheNumberByButtonDoubleClickOrEnter) {
    WriteEstimate("000001", "a", "t");
    WriteEstimate("000002", "b", "t");
    WriteAll("DAT/m_abc.dat", "short");
    Start();
    const std::vector<std::function<void(QWidget*)>> ways = {
        [](QWidget* list) {
            Lines(list)->setCurrentRow(1);
            Child<QPushButton>(list, "MlistEnt")->click();
        },
        [](QWidget* list) { DoubleClickLine(list, 1); },
        [](QWidget* list) {
            Lines(list)->setCurrentRow(1);
            QTest::keyClick(Lines(list), Qt::Key_Return);
        },
    };
    for (std::size_t i = 0; i < ways.size(); ++i) {
        State().shell.selectedNumber = "before";
        WithList("CustBtn", ways[i]);
        EXPECT_EQ(State().shell.selectedNumber, "000002") << i;
        EXPECT_FALSE(program->FormMenu2().isVisible()) << i;
    }
    // A file whose name holds no number passes "000000" on.
    WithList("ExlBtn1", [](QWidget* list) { DoubleClickLine(list, 2); });
    EXPECT_EQ(State().shell.selectedNumber, "000000");

    // An empty list has nothing to choose: Enter does nothing; the list is left with Esc.
    QFile::remove("DAT/m_000001.dat");
    QFile::remove("DAT/m_000002.dat");
    QFile::remove("DAT/m_abc.dat");
    bool stayed = false;
    WithList("CustBtn", [&](QWidget* list) {
        QTest::keyClick(Lines(list), Qt::Key_Return);
        stayed = list->isVisible();
        PressKey(Qt::Key_Escape);
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(State().shell.selectedNumber, "");
}

// By keyboard alone, the line the cursor is on is the line chosen: Enter at once takes the
// first, Down then Enter the second, in every mode (deleting asks about that line).
TEST_F(EstimateListForm, TheCurrentLineIsTheChosenLineByKeyboard) {
    WriteEstimate("000001", "a", "t");
    WriteEstimate("000002", "b", "t");
    WriteEstimate("000003", "c", "t");
    Start();
    WithList("CustBtn", [](QWidget*) { PressKey(Qt::Key_Return); });
    EXPECT_EQ(State().shell.selectedNumber, "000001");
    WithList("CustBtn", [](QWidget*) {
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(State().shell.selectedNumber, "000002");

    questions.ExpectButtons(
        "指定の見積書を削除します。\n\n管理No : 000002\nお客様名 : b\n工事名称 : t", 2);
    WithList("DelBtn", [](QWidget*) {
        PressKey(Qt::Key_Down);
        PressKey(Qt::Key_Return);
        PressKey(Qt::Key_Escape);
    });
    questions.Done();
    EXPECT_TRUE(QFile::exists("DAT/m_000002.dat"));
}

TEST_F(EstimateListForm, ModePanelPicksTheBackupInCopyModeOnly) {
    WriteEstimate("000001", "a", "t");
    Start();
    Qt::CursorShape cursor = Qt::ArrowCursor;
    WithList("CustBtn", [&](QWidget* list) {
        auto* eMode = Child<QLabel>(list, "EMode");
        cursor = eMode->cursor().shape();
        QTest::mouseDClick(eMode, Qt::LeftButton);
    });
    EXPECT_EQ(cursor, Qt::PointingHandCursor);
    EXPECT_EQ(State().shell.selectedNumber, "BackUp");

    bool stayed = false;
    WithList("ChgBtn", [&](QWidget* list) {
        QTest::mouseDClick(Child<QLabel>(list, "EMode"), Qt::LeftButton);
        stayed = list->isVisible();
        Child<QPushButton>(list, "MlistRet")->click();
    });
    EXPECT_TRUE(stayed);
    EXPECT_EQ(State().shell.selectedNumber, "");
}

TEST_F(EstimateListForm, CallingUpAnEstimateInUseAsksAndCancelKeepsTheListOpen) {
    WriteEstimate("000001", "a", "t");
    Start();
    WriteAll("DAT/m_000001.tmp", "");  // another copy has it open
    questions.ExpectOkCancel("参照モードで入ります。", false, "確 認");
    questions.ExpectOkCancel("参照モードで入ります。", true, "確 認");
    bool stayed = false;
    std::string afterCancel = "unset";
    WithList("ChgBtn", [&](QWidget* list) {
        DoubleClickLine(list, 0);
        stayed = list->isVisible();
        afterCancel = State().shell.selectedNumber;
        DoubleClickLine(list, 0);
    });
    questions.Done();
    EXPECT_TRUE(stayed);
    EXPECT_EQ(afterCancel, "");
    EXPECT_EQ(State().shell.selectedNumber, "000001");
    EXPECT_EQ(State().markers.EstimateState(), MarkerState::kInUse);
}

TEST_F(EstimateListForm, DeletesTheChosenEstimateAfterAskingAndRefusesOtherwise) {
    WriteEstimate("000001", "a", "t");
    WriteEstimate("000002", "b", "t");
    Start();
    WriteAll("DAT/m_000001.tmp", "");

    questions.ExpectInform("見積書が選択されていません。");
    questions.ExpectInform("この見積は使用中です。");
    const std::string question =
        "指定の見積書を削除します。\n\n管理No : 000002\nお客様名 : b\n工事名称 : t";
    questions.ExpectButtons(question, 0);  // Esc
    questions.ExpectButtons(question, 1);
    questions.ExpectInformStartingWith("ごみ箱に移しました (m_000002.dat)。\n元に戻すには、");
    int linesBefore = 0;
    int linesAfter = 0;
    QString mode;
    QColor modeColor;
    WithList("DelBtn", [&](QWidget* list) {
        mode = Child<QLabel>(list, "EMode")->text();
        modeColor = Child<QLabel>(list, "EMode")->palette().color(QPalette::Window);
        linesBefore = Lines(list)->count();
        Lines(list)->clearSelection();                  // as a Ctrl+click leaves it
        Child<QPushButton>(list, "MlistEnt")->click();  // nothing selected
        DoubleClickLine(list, 0);                       // in use
        DoubleClickLine(list, 1);                       // Esc
        DoubleClickLine(list, 1);                       // 削 除
        linesAfter = Lines(list)->count();
        PressKey(Qt::Key_Escape);
    });
    questions.Done();
    EXPECT_EQ(mode, "削 除");
    EXPECT_EQ(modeColor, QColor(255, 255, 0));
    EXPECT_EQ(linesBefore, 2);
    EXPECT_EQ(linesAfter, 1);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat"));
    EXPECT_FALSE(QFile::exists("DAT/m_000002.dat"));
    EXPECT_TRUE(QFile::exists(folder.TrashFiles() + "/m_000002.dat"));
    EXPECT_EQ(State().markers.EstimateState(), MarkerState::kNone);
    EXPECT_EQ(State().shell.selectedNumber, "");
    const auto& asked = questions.History();
    ASSERT_EQ(asked.size(), 5u);
    EXPECT_EQ(asked[3].buttons, (std::array<std::string, 3>{"削 除", "キャンセル", ""}));
}

// In a folder that takes no changes the deletion cannot happen: the list says so, with the
// file and the reason, and still shows the estimate.
TEST_F(EstimateListForm, AFailedDeletionIsToldAndTheEstimateStaysListed) {
    WriteEstimate("000001", "a", "t");
    WriteAll("not-a-folder", "");
    folder.SetDataHome(folder.FilePath("not-a-folder/share"));  // no trash either
    Start();
    test::ReadOnlyFolder readOnly(folder.FilePath("DAT"));
    if (!readOnly.Usable()) GTEST_SKIP() << "the folder cannot be made read-only here";

    // The reason is the system's own, whatever it says for this folder.
    const QByteArray keep = QFile::encodeName(folder.FilePath("DAT/削除済み"));
    ASSERT_NE(::mkdir(keep.constData(), 0777), 0);
    const std::string reason = std::strerror(errno);

    questions.ExpectButtons(
        "指定の見積書を削除します。\n\n管理No : 000001\nお客様名 : a\n工事名称 : t", 1);
    questions.ExpectInform("見積書を削除できませんでした。\n" + keep.toStdString() + ": " + reason);
    int linesAfter = 0;
    WithList("DelBtn", [&](QWidget* list) {
        DoubleClickLine(list, 0);
        linesAfter = Lines(list)->count();
        PressKey(Qt::Key_Escape);
    });
    questions.Done();
    EXPECT_EQ(linesAfter, 1);
    EXPECT_TRUE(QFile::exists("DAT/m_000001.dat"));
}

// Typing into the search bar narrows the list as one types; a click on a header sorts; the
// line chosen from the narrowed list is the estimate called up; Esc clears the search.
TEST_F(EstimateListForm, TypingIntoTheSearchBarNarrowsTheListAndTheChosenLineIsCalledUp) {
    WriteEstimate("000001", Sjis("山田建設"), Sjis("外壁塗装"), 500);
    WriteEstimate("000002", Sjis("ﾀﾅｶ工務店"), Sjis("屋根改修"), 90000);
    WriteEstimate("000003", Sjis("田中ハウス"), Sjis("外構"), 1200);
    Start();
    std::vector<std::string> narrowed, sorted, cleared;
    QString count;
    WithList("ChgBtn", [&](QWidget* list) {
        auto* text = Child<QLineEdit>(list, "SearchText");
        text->setFocus();
        // The half-width name typed in full width.
        CommitTyped(text, QStringLiteral("タナカ"));
        for (const EstimateListEntry& e : program->FormMenu2().Entries())
            narrowed.push_back(e.item.substr(0, 6));
        CommitTyped(Child<QLineEdit>(list, "SearchMin"), QStringLiteral("1,000"));
        count = Child<QLabel>(list, "SearchCount")->text();
        QTest::keyClick(Child<QLineEdit>(list, "SearchMin"), Qt::Key_Escape);  // clears all
        auto* header = Child<QHeaderView>(list, "HeaderControl1");
        header->sectionClicked(5);  // amount, ascending
        header->sectionClicked(5);  // descending
        for (const EstimateListEntry& e : program->FormMenu2().Entries())
            sorted.push_back(e.item.substr(0, 6));
        CommitTyped(text, QStringLiteral("外"));
        for (const EstimateListEntry& e : program->FormMenu2().Entries())
            cleared.push_back(e.item.substr(0, 6));
        QListWidget* lines = Lines(list);
        ASSERT_EQ(lines->count(), 2);
        lines->setFocus();
        lines->setCurrentRow(0);
        PressKey(Qt::Key_Return);
    });
    EXPECT_EQ(narrowed, (std::vector<std::string>{"000002"}));
    EXPECT_EQ(count, QStringLiteral("1 件 / 3 件中"));
    EXPECT_EQ(sorted, (std::vector<std::string>{"000002", "000003", "000001"}));
    // Sorted by amount, descending: 外構 (1,200) comes before 外壁塗装 (500).
    EXPECT_EQ(cleared, (std::vector<std::string>{"000003", "000001"}));
    EXPECT_EQ(State().shell.selectedNumber, "000003");
}

}  // namespace
}  // namespace quilto
