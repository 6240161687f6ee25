#pragma once

// The state of the three-button question form. The form is created once and reused, so its
// message, caption and button captions persist from one question to the next; a caller that
// passes a blank message or caption keeps what the previous question showed. Kept here, not
// in the form, so the rule and the layout are the same for the Qt form and for the scripted
// answers in tests. Texts are UTF-8 (they are shown, never stored).

#include <array>
#include <string>
#include <string_view>

namespace quilto {

class ButtonQuestion {
  public:
    static constexpr int kButtons = 3;
    static constexpr const char* kDefaultCaption = "ボタン選択";
    static constexpr const char* kDefaultMessage = "ボタンを押してください。";

    // Where the form puts its buttons: the form's width and the left edge of each button.
    struct Layout {
        int width = 0;
        std::array<int, kButtons> buttonLeft{};
        bool operator==(const Layout&) const = default;
    };

    static constexpr int kButtonWidth = 83;
    static constexpr int kButtonHeight = 27;
    static constexpr int kMessageWidth = 276;

    // The texts of a form just created: default caption and message, no buttons.
    ButtonQuestion();

    // Takes the texts of a new question. A message or caption that is blank once blanks
    // and control characters are trimmed keeps the previous one; every button caption is
    // taken as given, and a button shows only when its trimmed caption is not blank.
    void Apply(std::string_view message, std::string_view caption, std::string_view button1,
               std::string_view button2, std::string_view button3);

    const std::string& Message() const { return message_; }
    const std::string& Caption() const { return caption_; }
    // number is 1, 2 or 3; any other number has an empty caption and does not show.
    const std::string& ButtonCaption(int number) const;
    bool ButtonShown(int number) const;

    // 340 pixels wide with buttons at 30/120/210 when the third button shows, otherwise
    // 270 pixels with 44/134/224, which centres the first two.
    Layout FormLayout() const;

  private:
    std::string message_;
    std::string caption_;
    std::array<std::string, kButtons> buttons_;
    std::array<bool, kButtons> shown_{};
};

}  // namespace quilto
