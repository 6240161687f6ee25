#include "app/settings/byte_limit_validator.h"

#include <QLineEdit>
#include <QTimer>
#include <algorithm>
#include <optional>
#include <string>

#include "core/foundation/typed_text.h"

namespace quilto {
namespace {

std::optional<std::size_t> Cp932Size(const QString& text) {
    const std::optional<std::string> bytes = TypedTextToCp932(text);
    if (!bytes) return std::nullopt;
    return bytes->size();
}

}  // namespace

ByteLimitValidator* ByteLimitValidator::Attach(QLineEdit* edit, int limitBytes,
                                               const QString& field,
                                               std::function<void(const QString&)> refused,
                                               QStringList choices) {
    auto* validator = new ByteLimitValidator(limitBytes, field, std::move(refused), edit);
    validator->choices_ = std::move(choices);
    validator->current_ = edit->text();
    // Every accepted change, typed or set by the program, is the text the next edit starts
    // from.
    connect(edit, &QLineEdit::textChanged, validator,
            [validator](const QString& text) { validator->current_ = text; });
    edit->setValidator(validator);
    return validator;
}

void ByteLimitValidator::ShowText(QLineEdit* edit, const QString& text) {
    auto* validator = edit->findChild<ByteLimitValidator*>(QString(), Qt::FindDirectChildrenOnly);
    if (validator) validator->showing_ = true;
    edit->setText(text);
    if (validator) validator->showing_ = false;
}

void ByteLimitValidator::AcceptDigitsOnly(QLineEdit* edit) {
    if (auto* validator =
            edit->findChild<ByteLimitValidator*>(QString(), Qt::FindDirectChildrenOnly))
        validator->digitsOnly_ = true;
}

ByteLimitValidator::ByteLimitValidator(int limitBytes, QString field,
                                       std::function<void(const QString&)> refused, QObject* parent)
    : QValidator(parent),
      limit_(limitBytes),
      field_(std::move(field)),
      refused_(std::move(refused)) {}

QValidator::State ByteLimitValidator::validate(QString& input, int& pos) const {
    if (showing_ || choices_.contains(input)) return Acceptable;
    if (digitsOnly_ &&
        std::any_of(input.cbegin(), input.cend(), [](QChar c) { return c < u'0' || c > u'9'; }))
        return Invalid;
    TypedTextRefusal refusal;
    if (!TypedTextToCp932(input, &refusal)) {
        if (!messagePending_ && refused_) {
            messagePending_ = true;
            const QString message = TypedTextRefusalMessage(refusal, field_);
            QTimer::singleShot(0, this, [this, message] {
                messagePending_ = false;
                refused_(message);
            });
        }
        return Invalid;
    }
    // The inserted part is what differs from the text before the edit: everything between
    // their common start and their common end.
    const qsizetype common = std::min(input.size(), current_.size());
    qsizetype prefix = 0;
    while (prefix < common && input.at(prefix) == current_.at(prefix)) ++prefix;
    qsizetype suffix = 0;
    while (suffix < common - prefix &&
           input.at(input.size() - 1 - suffix) == current_.at(current_.size() - 1 - suffix)) {
        ++suffix;
    }
    qsizetype insertedEnd = input.size() - suffix;
    // Cut the insertion from its end until the whole fits; a surrogate pair goes whole.
    std::optional<std::size_t> size = Cp932Size(input);
    while (size && *size > static_cast<std::size_t>(limit_) && insertedEnd > prefix) {
        const qsizetype width =
            insertedEnd - prefix > 1 && input.at(insertedEnd - 1).isLowSurrogate() ? 2 : 1;
        input.remove(insertedEnd - width, width);
        insertedEnd -= width;
        if (pos >= insertedEnd + width) {
            pos -= static_cast<int>(width);
        } else if (pos > insertedEnd) {
            pos = static_cast<int>(insertedEnd);
        }
        size = Cp932Size(input);
    }
    if (!size) return Invalid;
    if (*size <= static_cast<std::size_t>(limit_)) return Acceptable;
    // A text the program set longer than the limit may still be shortened, never lengthened.
    return input.size() < current_.size() ? Acceptable : Invalid;
}

}  // namespace quilto
