#pragma once

// Everything that asks the user goes through this seam: the app answers with dialogs,
// tests with a script. Texts here are UTF-8 (they are shown, not stored).

#include <optional>
#include <string>

namespace quilto {

// The answer to a three-button question: the button pressed (first, second, third from the
// left), Esc, or the window closed any other way.
enum class ButtonAnswer { kClosed = -1, kEscape = 0, kFirst = 1, kSecond = 2, kThird = 3 };

class Questions {
  public:
    virtual ~Questions() = default;

    // The three-button question. A blank message or caption keeps the previous one; a
    // button whose caption is blank is hidden.
    virtual ButtonAnswer AskButtons(const std::string& message, const std::string& caption,
                                    const std::string& button1, const std::string& button2,
                                    const std::string& button3) = 0;
    // OK/Cancel: true for OK.
    virtual bool AskOkCancel(const std::string& message, const std::string& caption) = 0;
    // A plain message with one OK button.
    virtual void Inform(const std::string& message, const std::string& caption = {}) = 0;
    // A one-line input box; nullopt when cancelled.
    virtual std::optional<std::string> AskText(const std::string& caption,
                                               const std::string& prompt,
                                               const std::string& initial) = 0;
    // A folder: message says what it is for, initial is the folder proposed; nullopt when
    // cancelled. An asker without a folder chooser takes the path as a line of text.
    virtual std::optional<std::string> AskFolder(const std::string& caption,
                                                 const std::string& message,
                                                 const std::string& initial) {
        return AskText(caption, message, initial);
    }
};

}  // namespace quilto
