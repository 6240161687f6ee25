#include "core/foundation/typed_text.h"

#include "core/foundation/cp932.h"

#include <QList>

namespace quilto {

namespace {

// The code points input methods and keyboards type, and the ones CP932 stores for them.
char16_t NormalizedCodeUnit(char16_t unit) {
    switch (unit) {
        case u'\u301C':
            return u'\uFF5E';  // WAVE DASH -> FULLWIDTH TILDE (0x8160)
        case u'\u2016':
            return u'\u2225';  // DOUBLE VERTICAL LINE -> PARALLEL TO (0x8161)
        case u'\u2212':
            return u'\uFF0D';  // MINUS SIGN -> FULLWIDTH HYPHEN-MINUS (0x817C)
        case u'\u00A2':
            return u'\uFFE0';  // CENT SIGN -> FULLWIDTH CENT SIGN (0x8191)
        case u'\u00A3':
            return u'\uFFE1';  // POUND SIGN -> FULLWIDTH POUND SIGN (0x8192)
        case u'\u00AC':
            return u'\uFFE2';  // NOT SIGN -> FULLWIDTH NOT SIGN (0x81CA)
        case u'\u2014':
            return u'\u2015';  // EM DASH -> HORIZONTAL BAR (0x815C)
        case u'\u00A5':
            return u'\\';  // YEN SIGN -> 0x5C, which Japanese fonts show as ¥
        default:
            return unit;
    }
}

bool IsControl(char32_t c) { return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0); }

}  // namespace

QString NormalizeTypedText(const QString& text) {
    QString result = text;
    for (QChar& c : result) c = QChar(NormalizedCodeUnit(c.unicode()));
    return result;
}

std::optional<std::string> TypedTextToCp932(const QString& text, TypedTextRefusal* refusal) {
    const QString normalized = NormalizeTypedText(text);
    for (const char32_t c : normalized.toUcs4()) {
        if (IsControl(c)) {
            if (refusal) *refusal = {c, true};
            return std::nullopt;
        }
    }
    Cp932Error error;
    auto bytes = QStringToCp932(normalized, &error);
    if (!bytes && refusal) {
        // The offset is a UTF-16 index; name the whole character there (a pair, if it is one).
        const auto index = static_cast<qsizetype>(error.offset);
        char32_t c = index < normalized.size() ? normalized.at(index).unicode() : 0;
        if (QChar::isHighSurrogate(c) && index + 1 < normalized.size() &&
            normalized.at(index + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(normalized.at(index), normalized.at(index + 1));
        }
        *refusal = {c, false};
    }
    return bytes;
}

std::optional<std::string> TypedUtf8ToCp932(std::string_view utf8, TypedTextRefusal* refusal) {
    return TypedTextToCp932(QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size())),
                            refusal);
}

QString TypedTextRefusalMessage(const TypedTextRefusal& refusal, const QString& field) {
    const QString suffix = field.isEmpty() ? QString() : QStringLiteral(" (%1)").arg(field);
    if (refusal.isControl) {
        const QString code = QString::number(static_cast<uint>(refusal.character), 16)
                                 .toUpper()
                                 .rightJustified(4, u'0');
        return QStringLiteral("改行やタブなどの制御文字 (U+%1) は使えません").arg(code) + suffix;
    }
    const char32_t c = refusal.character;
    return QStringLiteral("「%1」は使えない文字です").arg(QString::fromUcs4(&c, 1)) + suffix;
}

}  // namespace quilto
