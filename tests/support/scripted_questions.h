#pragma once

// Answers the question seam from a script, for tests. Each question the code asks must be
// the next one scripted (same kind, same message, and the caption when the script names
// one); anything else fails the running test with the question's text and gets the safe
// answer (Cancel, 0, no text). Scripted answers left unused fail the test at Done() or,
// failing that, when the script is destroyed.

#include <array>
#include <deque>
#include <optional>
#include <string>
#include <vector>

#include "core/foundation/button_question.h"
#include "core/foundation/questions.h"

namespace quilto::test {

class ScriptedQuestions : public Questions {
  public:
    enum class Kind { Buttons, OkCancel, Inform, Text, Folder };

    // One question as it was asked. For the three-button question the message and caption
    // are those the form shows (a blank one keeps the previous), and buttons holds the
    // captions of the buttons that show (blank for a hidden one).
    struct Asked {
        Kind kind = Kind::Buttons;
        std::string message;  // the prompt for a text or folder question
        std::string caption;
        std::array<std::string, 3> buttons{};
        std::string initial;  // the text an input box starts with, the folder proposed
    };

    ScriptedQuestions() = default;
    ~ScriptedQuestions() override;
    ScriptedQuestions(const ScriptedQuestions&) = delete;
    ScriptedQuestions& operator=(const ScriptedQuestions&) = delete;

    // The script. answer: 1-3 for a button (it must be one that shows), 0 for Esc, -1 for
    // closing the window.
    ScriptedQuestions& ExpectButtons(std::string message, int answer,
                                     std::optional<std::string> caption = std::nullopt);
    ScriptedQuestions& ExpectOkCancel(std::string message, bool ok,
                                      std::optional<std::string> caption = std::nullopt);
    ScriptedQuestions& ExpectInform(std::string message,
                                    std::optional<std::string> caption = std::nullopt);
    // A message whose end the system words (a failure's reason in the system's language):
    // it must begin with start.
    ScriptedQuestions& ExpectInformStartingWith(std::string start);
    // answer nullopt: the input box is cancelled.
    ScriptedQuestions& ExpectText(std::string prompt, std::optional<std::string> answer,
                                  std::optional<std::string> caption = std::nullopt);

    // answer nullopt: the folder chooser is cancelled.
    ScriptedQuestions& ExpectFolder(std::string message, std::optional<std::string> answer,
                                    std::optional<std::string> caption = std::nullopt);

    // Fails the test for every scripted question that was not asked, and forgets them.
    void Done();

    const std::vector<Asked>& History() const { return asked_; }
    const ButtonQuestion& ButtonForm() const { return form_; }

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
    struct Expected {
        Kind kind = Kind::Buttons;
        std::string message;
        std::optional<std::string> caption;
        int button = 0;
        bool ok = false;
        std::optional<std::string> text;
        bool startOnly = false;  // message is what the asked one begins with
    };

    static Expected MakeExpected(Kind kind, std::string message,
                                 std::optional<std::string> caption);
    // Records the question and takes the next scripted entry when it matches.
    std::optional<Expected> Take(const Asked& asked);

    std::deque<Expected> script_;
    std::vector<Asked> asked_;
    ButtonQuestion form_;
};

}  // namespace quilto::test
