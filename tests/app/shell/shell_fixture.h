#pragma once

// A run of the program in a fresh working folder, its questions answered from a script.

#include <gtest/gtest.h>

#include <QTest>
#include <memory>
#include <string>

#include "app/shell/form_menu1.h"
#include "app/shell/form_menu2.h"
#include "app/shell/quilto_program.h"
#include "core/store/estimate_file.h"
#include "support/scripted_questions.h"
#include "support/working_folder.h"

namespace quilto::test {

class ShellRun : public ::testing::Test {
  protected:
    // Makes the forms, shows the main menu and waits for its start-up to finish.
    void Start() {
        program = std::make_unique<QuiltoProgram>(questions);
        QObject::connect(&Menu(), &TFormMenu1::ProgramEnded, [this] { ++ended; });
        // The list's tests stop where the editor would open.
        Menu().SetEditorOpener([this] { ++editorOpened; });
        Menu().show();
        ASSERT_TRUE(QTest::qWaitFor([this] { return Menu().StartedUp(); }, 10000));
    }

    TFormMenu1& Menu() { return program->FormMenu1(); }
    ProgramState& State() { return program->State(); }

    // An estimate file in DAT/ with the customer and title given (CP932).
    static void WriteEstimate(const char* number, const std::string& customer,
                              const std::string& title, std::int64_t yen = 0) {
        EstimateHeader header;
        header.SetSignature(kEstimateSignature);
        header.SetText(HeaderText::MName1, customer);
        header.SetText(HeaderText::MTitle1, title);
        header.SetFigure(HeaderFigure::MGoukei01, Fixed4::FromInt(yen));
        WriteAll(QStringLiteral("DAT/m_%1.dat").arg(number),
                 header.Bytes() + std::string(2 * kLineRecordSize, '\0'));
    }

    WorkingFolder folder;
    ScriptedQuestions questions;
    std::unique_ptr<QuiltoProgram> program;
    int ended = 0;
    int editorOpened = 0;
};

}  // namespace quilto::test
