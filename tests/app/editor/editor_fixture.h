#pragma once

// The estimate editor of a program run in a fresh working folder, driven by keys as a user
// drives it, its questions answered from a script.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QTest>
#include <QToolButton>
#include <memory>
#include <string>

#include "app/editor/editor_context.h"
#include "app/editor/form_mvell1.h"
#include "app/editor/sheet_grid_view.h"
#include "app/modal_driver.h"
#include "app/shell/form_menu1.h"
#include "app/shell/quilto_program.h"
#include "core/foundation/text_bytes.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto::test {

class EditorRun : public ::testing::Test {
  protected:
    void SetUp() override {
        program = std::make_unique<QuiltoProgram>(questions);
        program->FormMenu1().show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return program->FormMenu1().StartedUp(); }, 10000));
    }
    void TearDown() override {
        if (Editor().isVisible()) Editor().done(0);
        questions.Done();
    }

    TFormMVell1& Editor() { return program->FormMVell1(); }
    EditorContext& Context() { return Editor().Context(); }
    ProgramState& State() { return program->State(); }
    EstimateDocument& Document() { return State().document; }

    // Opens the editor without waiting for it, in the entry mode given.
    void Open(EntryMode entryMode, const std::string& selected = {}) {
        State().shell.entryMode = entryMode;
        State().shell.selectedNumber = selected;
        ASSERT_TRUE(Editor().Begin());
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&Editor()));
        Editor().activateWindow();
        ASSERT_TRUE(QTest::qWaitFor([this] { return QApplication::activeWindow() == &Editor(); }));
    }

    // A key as the keyboard sends it, to the editor's focused control (shortcuts included).
    void Key(Qt::Key key, Qt::KeyboardModifiers mods = Qt::NoModifier) {
        QTest::keyClick(Editor().windowHandle(), key, mods);
    }
    // Text typed character by character, each to whatever has the focus at that moment.
    void Type(const QString& text) {
        for (const QChar c : text) {
            const Qt::Key key = c.isDigit()             ? Qt::Key(Qt::Key_0 + c.digitValue())
                                : c == QLatin1Char('.') ? Qt::Key_Period
                                : c == QLatin1Char('-') ? Qt::Key_Minus
                                : c.unicode() < 128 && c.isLetter()
                                    ? Qt::Key(Qt::Key_A + (c.toUpper().unicode() - 'A'))
                                    : Qt::Key_unknown;
            QTest::sendKeyEvent(QTest::Click, Editor().windowHandle(), key, QString(c),
                                Qt::NoModifier);
        }
    }
    // Typed into the current cell, then Enter.
    void Cell(const QString& text) {
        Type(text);
        Key(Qt::Key_Return);
    }

    SheetGridView* Grid(SheetKind sheet) { return Context().View(sheet); }
    std::string CellText(SheetKind sheet, int row, int col) {
        return Utf8(Trimmed(Document().Grid(sheet).Cell(row, col)));
    }
    std::string Figure(const char* name) {
        auto* label = Editor().findChild<QLabel*>(name);
        return label ? label->text().toStdString() : std::string("(none)");
    }
    void Trigger(const char* action) {
        auto* a = Editor().findChild<QAction*>(action);
        ASSERT_NE(a, nullptr) << action;
        a->trigger();
    }
    void Click(const char* button) {
        auto* b = Editor().findChild<QAbstractButton*>(button);
        ASSERT_NE(b, nullptr) << button;
        b->click();
    }
    // The grid takes the focus as a user's click gives it: the editor becomes the active
    // window again (a pop-up or a message may just have closed) and the grid has the focus
    // before anything else happens, since the editor follows its grids by focus changes.
    void Focus(SheetKind sheet, int row, int col) {
        Editor().activateWindow();
        Grid(sheet)->setFocus();
        EXPECT_TRUE(QTest::qWaitFor([&] { return Grid(sheet)->hasFocus(); }, 2000))
            << "the grid did not take the focus";
        Grid(sheet)->SetCurrentCell(row, col);
    }

    WorkingFolder folder;
    ScriptedQuestions questions;
    std::unique_ptr<QuiltoProgram> program;
};

}  // namespace quilto::test
