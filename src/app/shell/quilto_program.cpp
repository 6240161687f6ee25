#include "app/shell/quilto_program.h"

#include "app/editor/estimate_session.h"
#include "app/editor/form_mvell1.h"
#include "app/excel/form_mxls1.h"
#include "app/excel/form_mxls2.h"
#include "app/excel/form_prt_setup.h"
#include "app/masters/form_msyo.h"
#include "app/masters/form_ref1.h"
#include "app/settings/form_mbup1.h"
#include "app/settings/form_mconf.h"
#include "app/shell/form_about.h"
#include "app/shell/form_menu1.h"
#include "app/shell/form_menu2.h"
#include "core/excel/printers.h"

namespace quilto {

QuiltoProgram::QuiltoProgram(Questions& questions)
    : state_(questions),
      printers_(CupsPrinters()),
      formMenu1_(std::make_unique<TFormMenu1>(state_)),
      formAbout_(std::make_unique<TFormAbout>(formMenu1_.get())),
      formMConf_(std::make_unique<TFormMConf>(state_, formMenu1_.get())),
      formMenu2_(std::make_unique<TFormMenu2>(state_, formMenu1_.get())),
      formMXls1_(std::make_unique<TFormMXls1>(state_, formMenu1_.get())),
      formMXls2_(std::make_unique<TFormMXls2>(state_, *printers_, formMenu1_.get())),
      formPrtSetup_(std::make_unique<TFormPrtSetup>(*printers_, questions, formMenu1_.get())),
      formMBup1_(std::make_unique<TFormMBup1>(state_, formMenu1_.get())),
      formMVell1_(std::make_unique<TFormMVell1>(state_, formMenu1_.get())),
      formMSyo_(std::make_unique<TFormMSyo>(state_, formMenu1_.get())),
      // A child of the editor: the modal editor leaves its own windows open to the user.
      formRef1_(std::make_unique<TFormRef1>(state_, formMVell1_.get())) {
    formMenu1_->SetForms(formAbout_.get(), formMenu2_.get());
    formMenu1_->SetEditorOpener([this] { formMVell1_->Open(); });
    formMenu1_->SetTableDefinitionForm(formMXls1_.get());
    formMXls2_->SetDialogs(formMXls1_.get(), formPrtSetup_.get());
    // The editor's output command and entry mode 6 open the dialog; edited definitions
    // change the editor's pages.
    formMVell1_->SetOutputDialog([this] { formMXls2_->exec(); });
    formMVell1_->SetTableSetup([this] { formMXls1_->exec(); });
    formMXls2_->SetDefinitionsChanged(
        [this] { formMVell1_->Session().PatternChosen(state_.document.PatternIndex()); });
    // The settings command is the editor's: the dialog, then the breakdown calculation with
    // what it now holds. The main menu's button runs the same.
    formMVell1_->SetSettingsDialog([this] { formMConf_->exec(); });
    formMenu1_->SetSettingsForms([this] { formMVell1_->SConf1Click(); }, formMBup1_.get());
    const auto openRegistration = [this] { formMSyo_->exec(); };
    formMenu1_->SetRegistrationOpener(openRegistration);
    formMVell1_->SetNameRegistration(openRegistration);
    formMVell1_->SetLookupGuide(formRef1_.get());
    formRef1_->SetTarget(formMVell1_.get());
    formRef1_->SetRegistrationOpener(openRegistration);
}

// The dialogs are children of the main menu; as members made after it they are destroyed
// before it. The editor forgets the guide first, which goes before it.
QuiltoProgram::~QuiltoProgram() { formMVell1_->SetLookupGuide(nullptr); }

}  // namespace quilto
