#include "core/store/registration_number.h"

namespace quilto {

namespace {

std::string_view TrimBlanks(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
    return text;
}

// The corporate number's check digit: 9 - (sum of the twelve digits, weighted 1 and 2
// alternately from the right, mod 9).
int CheckDigitOf(std::string_view twelve) {
    int sum = 0;
    for (int n = 1; n <= 12; ++n) {
        const int digit = twelve[static_cast<std::size_t>(12 - n)] - '0';
        sum += digit * (n % 2 == 1 ? 1 : 2);
    }
    return 9 - sum % 9;
}

}  // namespace

RegistrationCheck CheckRegistrationNumber(std::string_view text) {
    text = TrimBlanks(text);
    if (text.empty()) return RegistrationCheck::kBlank;
    if (text.size() != 14 || text[0] != 'T') return RegistrationCheck::kWrongForm;
    const std::string_view digits = text.substr(1);
    for (char c : digits)
        if (c < '0' || c > '9') return RegistrationCheck::kWrongForm;
    return CheckDigitOf(digits.substr(1)) == digits[0] - '0'
               ? RegistrationCheck::kValid
               : RegistrationCheck::kCheckDigitWarning;
}

const char* RegistrationCheckMessage(RegistrationCheck check) {
    switch (check) {
        case RegistrationCheck::kWrongForm:
            return "登録番号は「T」と13桁の数字で入力してください（例 T1234567890123）。";
        case RegistrationCheck::kCheckDigitWarning:
            return "登録番号の先頭の数字（チェック数字）が法人番号として合いません。"
                   "個人事業者の番号でなければ、入力を確かめてください。";
        default:
            return "";
    }
}

}  // namespace quilto
