#include "core/foundation/button_question.h"

namespace quilto {
namespace {

// Blank means nothing but blanks and control characters. The texts are UTF-8, so this looks
// at single bytes only: every byte of a multi-byte UTF-8 character is 0x80 or above, and a
// full-width blank (U+3000) is a character, as it was for the original form.
bool IsBlank(std::string_view text) {
    for (unsigned char c : text) {
        if (c > 0x20 && c != 0x7F) return false;
    }
    return true;
}

}  // namespace

ButtonQuestion::ButtonQuestion() : message_(kDefaultMessage), caption_(kDefaultCaption) {}

void ButtonQuestion::Apply(std::string_view message, std::string_view caption,
                           std::string_view button1, std::string_view button2,
                           std::string_view button3) {
    if (!IsBlank(message)) message_ = message;
    if (!IsBlank(caption)) caption_ = caption;
    const std::array<std::string_view, kButtons> captions{button1, button2, button3};
    for (int i = 0; i < kButtons; ++i) {
        buttons_[i] = captions[i];
        shown_[i] = !IsBlank(captions[i]);
    }
}

const std::string& ButtonQuestion::ButtonCaption(int number) const {
    static const std::string none;
    return number >= 1 && number <= kButtons ? buttons_[number - 1] : none;
}

bool ButtonQuestion::ButtonShown(int number) const {
    return number >= 1 && number <= kButtons && shown_[number - 1];
}

ButtonQuestion::Layout ButtonQuestion::FormLayout() const {
    if (ButtonShown(3)) return {340, {30, 120, 210}};
    return {270, {44, 134, 224}};
}

}  // namespace quilto
