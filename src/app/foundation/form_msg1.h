#pragma once

// The three-button question form. It is created once and reused for every question, so the
// caption and message of one question stay in place for the next caller that leaves them
// blank; the rule for that and the layout live in ButtonQuestion.

#include <QDialog>
#include <array>
#include <string>

#include "core/foundation/button_question.h"
#include "core/foundation/questions.h"

class QLabel;
class QPushButton;

namespace quilto {

class TFormMsg1 : public QDialog {
    Q_OBJECT

  public:
    explicit TFormMsg1(QWidget* parent = nullptr);

    // Shows the question modally: 1, 2 or 3 for the button pressed, 0 for Esc, -1 when the
    // window was closed any other way.
    ButtonAnswer AskButtons(const std::string& message, const std::string& caption,
                            const std::string& button1, const std::string& button2,
                            const std::string& button3);

    ButtonAnswer Result() const { return result_; }
    const ButtonQuestion& Question() const { return question_; }

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowTexts();
    void PlaceOnScreen();
    // Handles the keys the form sees before its buttons; true when the key was used.
    bool HandleKey(QKeyEvent* event);
    void Answer(ButtonAnswer answer);

    ButtonQuestion question_;
    QLabel* msg1_ = nullptr;
    std::array<QPushButton*, ButtonQuestion::kButtons> buttons_{};
    ButtonAnswer result_ = ButtonAnswer::kClosed;
};

}  // namespace quilto
