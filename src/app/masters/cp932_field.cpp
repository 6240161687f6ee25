#include "masters/cp932_field.h"

#include <QLineEdit>

#include "foundation/cp932.h"
#include "foundation/questions.h"
#include "foundation/text_bytes.h"
#include "foundation/typed_text.h"

namespace quilto {

Cp932Field::Cp932Field(QLineEdit* edit, int maxBytes, QString field, Questions& questions)
    : QObject(edit),
      edit_(edit),
      maxBytes_(maxBytes),
      field_(std::move(field)),
      questions_(questions) {
    accepted_ = edit->text();
    // Texts set by the program are stored texts already; only what the user types is checked.
    connect(edit, &QLineEdit::textChanged, this, [this](const QString& text) {
        if (!edit_->isModified()) accepted_ = text;
    });
    connect(edit, &QLineEdit::textEdited, this, &Cp932Field::Edited);
}

void Cp932Field::Edited(const QString& text) {
    TypedTextRefusal refusal;
    const std::optional<std::string> bytes = TypedTextToCp932(text, &refusal);
    if (!bytes) {
        const int cursor = std::min(edit_->cursorPosition(), static_cast<int>(accepted_.size()));
        edit_->setText(accepted_);
        edit_->setCursorPosition(cursor);
        questions_.Inform(TypedTextRefusalMessage(refusal, field_).toStdString());
        return;
    }
    std::string stored = *bytes;
    if (static_cast<int>(stored.size()) > maxBytes_) stored = CutToBytes(stored, maxBytes_);
    const QString shown = Cp932ToQStringLossy(stored);
    if (shown != text) {
        const int cursor = std::min(edit_->cursorPosition(), static_cast<int>(shown.size()));
        edit_->setText(shown);
        edit_->setCursorPosition(cursor);
        edit_->setModified(true);
    }
    accepted_ = shown;
}

std::string Cp932Field::Bytes(const QLineEdit* edit) {
    return TypedTextToCp932(edit->text()).value_or(std::string());
}

void Cp932Field::SetBytes(QLineEdit* edit, std::string_view bytes) {
    edit->setText(Cp932ToQStringLossy(bytes));
}

}  // namespace quilto
