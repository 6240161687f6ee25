#pragma once

// The question seam answered with dialogs: the three-button form for choices, message
// boxes for OK/Cancel and plain messages, an input box for a line of text, the folder
// question for a folder.

#include <QPointer>
#include <QWidget>
#include <memory>

#include "core/foundation/questions.h"

namespace quilto {

class TFormMsg1;

class QtQuestions : public Questions {
  public:
    QtQuestions();
    ~QtQuestions() override;
    QtQuestions(const QtQuestions&) = delete;
    QtQuestions& operator=(const QtQuestions&) = delete;

    // The window that must not hide a confirmation by staying on top of it.
    void SetMainWindow(QWidget* window) { mainWindow_ = window; }
    // The one three-button form, created with this object and reused for every question.
    TFormMsg1& FormMsg1() { return *formMsg1_; }

    ButtonAnswer AskButtons(const std::string& message, const std::string& caption,
                            const std::string& button1, const std::string& button2,
                            const std::string& button3) override;
    bool AskOkCancel(const std::string& message, const std::string& caption) override;
    void Inform(const std::string& message, const std::string& caption = {}) override;
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;
    std::optional<std::string> AskFolder(const std::string& caption, const std::string& message,
                                         const std::string& initial) override;

  private:
    QWidget* DialogParent() const;
    void TakeMainWindowOffTop();

    std::unique_ptr<TFormMsg1> formMsg1_;
    QPointer<QWidget> mainWindow_;
};

}  // namespace quilto
