#include "shell/quilto_program.h"

#include "editor/form_mvell1.h"
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
      formMVell1_(std::make_unique<TFormMVell1>(state_, formMenu1_.get())),
      formMSyo_(std::make_unique<TFormMSyo>(state_, formMenu1_.get())),
      // A child of the editor: the modal editor leaves its own windows open to the user.
      formRef1_(std::make_unique<TFormRef1>(state_, formMVell1_.get())) {
    formMenu1_->SetForms(formAbout_.get(), formMenu2_.get());
    formMenu1_->SetEditorOpener([this] { formMVell1_->Open(); });
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
