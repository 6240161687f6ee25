#include "app/foundation/typed_line_edit.h"

#include <QKeyEvent>

#include "core/foundation/cp932.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/foundation/typed_text.h"

namespace quilto {

TypedLineEdit::TypedLineEdit(QWidget* parent) : QLineEdit(parent) {
    connect(this, &QLineEdit::textEdited, this, &TypedLineEdit::Accept);
    connect(this, &QLineEdit::textChanged, this, [this](const QString& text) {
        // Text set by the program is taken as it is.
        if (!isModified()) accepted_ = text;
    });
}

void TypedLineEdit::SetNumeric(bool numeric, const QString& extra) {
    numeric_ = numeric;
    extra_ = extra;
    setAttribute(Qt::WA_InputMethodEnabled, !numeric);
}

std::string TypedLineEdit::Cp932Text() const {
    return QStringToCp932(text()).value_or(std::string());
}

void TypedLineEdit::SetCp932Text(const std::string& text) {
    const QString shown = Cp932ToQStringLossy(text);
    accepted_ = shown;
    setText(shown);
    setModified(false);
}

int TypedLineEdit::MeasuredBytes(const QString& text) const {
    const std::string bytes = QStringToCp932(text).value_or(std::string());
    return static_cast<int>(numeric_ ? CleanNumber(bytes).size() : bytes.size());
}

void TypedLineEdit::keyPressEvent(QKeyEvent* event) {
    const QString typed = event->text();
    const bool printable = !typed.isEmpty() && typed.at(0).unicode() >= 32 &&
                           typed.at(0).unicode() != 127 &&
                           !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (printable) {
        if (numeric_) {
            for (const QChar c : typed) {
                if (!c.isDigit() && !extra_.contains(c)) return;  // refused, swallowed
            }
        }
        // The key is refused once the text (less what the key replaces) has reached the
        // field's length.
        QString remaining = text();
        if (hasSelectedText()) remaining.remove(selectionStart(), selectedText().size());
        if (maxBytes_ > 0 && MeasuredBytes(remaining) >= maxBytes_) return;
    }
    QLineEdit::keyPressEvent(event);
}

void TypedLineEdit::Accept(const QString& edited) {
    QString text = edited;
    if (numeric_) {
        QString kept;
        for (const QChar c : text) {
            if (c.isDigit() || extra_.contains(c)) kept += c;
        }
        text = kept;
    }
    TypedTextRefusal refusal;
    std::optional<std::string> bytes = TypedTextToCp932(text, &refusal);
    if (!bytes) {
        const int cursor = std::min(cursorPosition(), static_cast<int>(accepted_.size()));
        setText(accepted_);
        setCursorPosition(cursor);
        if (refuse_) refuse_(TypedTextRefusalMessage(refusal, fieldName_));
        return;
    }
    if (maxBytes_ > 0 && !numeric_ && static_cast<int>(bytes->size()) > maxBytes_) {
        *bytes = CutToBytes(*bytes, maxBytes_);
    } else if (maxBytes_ > 0 && numeric_ && MeasuredBytes(text) > maxBytes_) {
        *bytes = CutToBytes(*bytes, maxBytes_);
    }
    const QString normalised = Cp932ToQStringLossy(*bytes);
    if (normalised != edited) {
        const int cursor = std::min(cursorPosition(), static_cast<int>(normalised.size()));
        setText(normalised);
        setCursorPosition(cursor);
        setModified(true);
    }
    accepted_ = normalised;
    emit TypedTextChanged();
}

}  // namespace quilto
