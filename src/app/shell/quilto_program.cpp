#include "shell/quilto_program.h"

#include "editor/form_mvell1.h"
#include "settings/form_mbup1.h"
#include "settings/form_mconf.h"
#include "shell/form_about.h"
#include "shell/form_menu1.h"
#include "shell/form_menu2.h"

namespace quilto {

QuiltoProgram::QuiltoProgram(Questions& questions)
    : state_(questions),
      formMenu1_(std::make_unique<TFormMenu1>(state_)),
      formAbout_(std::make_unique<TFormAbout>(formMenu1_.get())),
      formMConf_(std::make_unique<TFormMConf>(state_, formMenu1_.get())),
      formMenu2_(std::make_unique<TFormMenu2>(state_, formMenu1_.get())),
      formMBup1_(std::make_unique<TFormMBup1>(state_, formMenu1_.get())),
      formMVell1_(std::make_unique<TFormMVell1>(state_, formMenu1_.get())) {
    formMenu1_->SetForms(formAbout_.get(), formMenu2_.get());
    formMenu1_->SetEditorOpener([this] { formMVell1_->Open(); });
    // The settings command is the editor's: the dialog, then the breakdown calculation with
    // what it now holds. The main menu's button runs the same.
    formMVell1_->SetSettingsDialog([this] { formMConf_->exec(); });
    formMenu1_->SetSettingsForms([this] { formMVell1_->SConf1Click(); }, formMBup1_.get());
}

// The dialogs are children of the main menu; as members made after it they are destroyed
// before it.
QuiltoProgram::~QuiltoProgram() = default;

}  // namespace quilto
