#pragma once

// The invoice registration number (適格請求書発行事業者の登録番号): "T" and 13 digits. For a
// corporation the digits are its corporate number, whose first digit checks the other
// twelve; a sole proprietor's number carries no such check. So a wrong form is refused, a
// check digit that does not fit is only warned about.

#include <string_view>

namespace quilto {

enum class RegistrationCheck {
    kBlank,              // nothing entered: the firm issues no qualified invoices
    kValid,              // T + 13 digits, the check digit fits
    kCheckDigitWarning,  // T + 13 digits, the check digit does not fit a corporate number
    kWrongForm,          // anything else
};

// Surrounding blanks are ignored; full-width characters are not accepted (the caller
// normalises typed text first).
RegistrationCheck CheckRegistrationNumber(std::string_view text);

// The message for a result other than kBlank and kValid (UTF-8).
const char* RegistrationCheckMessage(RegistrationCheck check);

}  // namespace quilto
