#include "shell/quilto_program.h"

#include "masters/form_msyo.h"
#include "masters/form_ref1.h"
#include "shell/form_about.h"
#include "shell/form_menu1.h"
#include "shell/form_menu2.h"

namespace quilto {

QuiltoProgram::QuiltoProgram(Questions& questions)
    : state_(questions),
      formMenu1_(std::make_unique<TFormMenu1>(state_)),
      formAbout_(std::make_unique<TFormAbout>(formMenu1_.get())),
      formMenu2_(std::make_unique<TFormMenu2>(state_, formMenu1_.get())),
      formMSyo_(std::make_unique<TFormMSyo>(state_, formMenu1_.get())),
      formRef1_(std::make_unique<TFormRef1>(state_, formMenu1_.get())) {
    formMenu1_->SetForms(formAbout_.get(), formMenu2_.get());
    const auto openRegistration = [this] { formMSyo_->exec(); };
    formMenu1_->SetRegistrationOpener(openRegistration);
    formRef1_->SetRegistrationOpener(openRegistration);
}

// The dialogs are children of the main menu; as members made after it they are destroyed
// before it.
QuiltoProgram::~QuiltoProgram() = default;

}  // namespace quilto
