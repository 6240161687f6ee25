#pragma once

// One run of the program: the state every form shares and the forms themselves, each made
// once and kept until the end. The main menu is the main window; the program ends when it
// closes.

#include <memory>

#include "core/shell/program_state.h"

namespace quilto {

class Questions;
class TFormAbout;
class TFormMBup1;
class TFormMConf;
class TFormMenu1;
class TFormMenu2;
class PrinterSource;
class TFormMVell1;
class TFormMXls1;
class TFormMXls2;
class TFormPrtSetup;
class TFormMSyo;
class TFormRef1;

class QuiltoProgram {
  public:
    // questions answers every question of the run (the dialogs, or a script in tests).
    explicit QuiltoProgram(Questions& questions);
    ~QuiltoProgram();
    QuiltoProgram(const QuiltoProgram&) = delete;
    QuiltoProgram& operator=(const QuiltoProgram&) = delete;

    ProgramState& State() { return state_; }
    TFormMenu1& FormMenu1() { return *formMenu1_; }
    TFormAbout& FormAbout() { return *formAbout_; }
    TFormMenu2& FormMenu2() { return *formMenu2_; }
    TFormMXls1& FormMXls1() { return *formMXls1_; }
    TFormMXls2& FormMXls2() { return *formMXls2_; }
    TFormPrtSetup& FormPrtSetup() { return *formPrtSetup_; }
    TFormMConf& FormMConf() { return *formMConf_; }
    TFormMBup1& FormMBup1() { return *formMBup1_; }
    TFormMVell1& FormMVell1() { return *formMVell1_; }
    TFormMSyo& FormMSyo() { return *formMSyo_; }
    TFormRef1& FormRef1() { return *formRef1_; }

  private:
    ProgramState state_;
    // The printers of the machine, for the printer setup and the output dialog.
    std::unique_ptr<PrinterSource> printers_;
    // In the order they are made; the later ones are used only once the start-up has run.
    std::unique_ptr<TFormMenu1> formMenu1_;
    std::unique_ptr<TFormAbout> formAbout_;
    std::unique_ptr<TFormMConf> formMConf_;
    std::unique_ptr<TFormMenu2> formMenu2_;
    std::unique_ptr<TFormMXls1> formMXls1_;
    std::unique_ptr<TFormMXls2> formMXls2_;
    std::unique_ptr<TFormPrtSetup> formPrtSetup_;
    std::unique_ptr<TFormMBup1> formMBup1_;
    std::unique_ptr<TFormMVell1> formMVell1_;
    std::unique_ptr<TFormMSyo> formMSyo_;
    std::unique_ptr<TFormRef1> formRef1_;
};

}  // namespace quilto
