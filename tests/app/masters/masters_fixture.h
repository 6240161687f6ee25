#pragma once

// A program state in a fresh working folder with master files written by the test, and
// helpers that drive the master windows by their component names.

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <string>
#include <vector>

#include "app/masters/master_list_view.h"
#include "app/modal_driver.h"
#include "core/masters/master_files.h"
#include "core/shell/program_state.h"
#include "support/scripted_questions.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto::test {

class MastersRun : public ::testing::Test {
  protected:
    // Writes the three master files from lists.
    void WriteMasters(const MasterLists& lists) {
        ASSERT_EQ(WriteConstructionNames(lists, state.environment), MasterFileResult::kOk);
        ASSERT_EQ(WriteProducts(lists, state.environment), MasterFileResult::kOk);
        ASSERT_EQ(WriteUnits(lists, state.environment), MasterFileResult::kOk);
    }

    static void ClickRow(QWidget* window, const char* list, int row) {
        auto* view = Child<MasterListView>(window, list);
        ASSERT_NE(view, nullptr) << list;
        ASSERT_LT(row, view->Count()) << list;
        const QRect rect = view->visualRect(view->model()->index(row, 0));
        QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    }

    static void Click(QWidget* window, const char* button) {
        auto* widget = Child<QPushButton>(window, button);
        ASSERT_NE(widget, nullptr) << button;
        ASSERT_TRUE(widget->isEnabled()) << button;
        QTest::mouseClick(widget, Qt::LeftButton);
    }

    // Types text into widget one character at a time, each as one key event carrying it (as
    // an input method commits it; QTest's key clicks know only Latin-1).
    static void TypeText(QWidget* widget, const QString& text) {
        for (qsizetype i = 0; i < text.size(); ++i) {
            QString one = text.mid(i, text.at(i).isHighSurrogate() ? 2 : 1);
            i += one.size() - 1;
            const int key =
                one.size() == 1 && one.at(0).unicode() < 0x80 ? one.at(0).toUpper().unicode() : 0;
            QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, one);
            QApplication::sendEvent(widget, &press);
            QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, one);
            QApplication::sendEvent(widget, &release);
        }
    }

    // Replaces the text of an edit by typing.
    static void Type(QWidget* window, const char* edit, const QString& text) {
        auto* field = Child<QLineEdit>(window, edit);
        ASSERT_NE(field, nullptr) << edit;
        field->setFocus();
        field->selectAll();
        QTest::keyClick(field, Qt::Key_Delete);
        TypeText(field, text);
    }

    static QString Shown(QWidget* window, const char* name) {
        if (auto* edit = Child<QLineEdit>(window, name)) return edit->text();
        if (auto* label = Child<QLabel>(window, name)) return label->text();
        ADD_FAILURE() << "no field " << name;
        return {};
    }

    static std::vector<std::string> Items(QWidget* window, const char* list) {
        std::vector<std::string> shown;
        for (const std::string& item : Child<MasterListView>(window, list)->Model().Items()) {
            shown.push_back(Utf8(item));
        }
        return shown;
    }

    WorkingFolder folder;
    ScriptedQuestions questions;
    ProgramState state{questions};
};

}  // namespace quilto::test
