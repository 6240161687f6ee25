#pragma once

// A one-line edit for text that is stored as CP932: what is typed, pasted or composed by
// the input method is normalised and must convert (a character CP932 cannot hold is
// refused with a message naming it and the field), and the text never grows beyond its
// limit in CP932 bytes, a double-byte character never being split. Number fields accept
// only their characters and count their length after the numeric clean-up. Used by the
// cover fields and as the grids' in-place editor.

#include <QLineEdit>
#include <functional>
#include <string>

namespace quilto {

class TypedLineEdit : public QLineEdit {
    Q_OBJECT

  public:
    explicit TypedLineEdit(QWidget* parent = nullptr);

    // 0: no limit.
    void SetMaxBytes(int maxBytes) { maxBytes_ = maxBytes; }
    int MaxBytes() const { return maxBytes_; }
    // A number field accepting digits, Backspace and the characters of `extra` ("-", "-.");
    // its input method is off. An empty `extra` with numeric false makes a text field.
    void SetNumeric(bool numeric, const QString& extra = {});
    bool Numeric() const { return numeric_; }
    // The field's name in the refusal message ("お客様名").
    void SetFieldName(const QString& name) { fieldName_ = name; }
    // Shows the refusal message; without one the character is refused silently.
    void SetRefusalHandler(std::function<void(const QString&)> handler) {
        refuse_ = std::move(handler);
    }

    // The text as CP932 bytes (always convertible: nothing else gets in).
    std::string Cp932Text() const;
    void SetCp932Text(const std::string& text);

  signals:
    // The user changed the text (typed, pasted, composed); the text is already accepted.
    void TypedTextChanged();

  protected:
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void Accept(const QString& text);
    int MeasuredBytes(const QString& text) const;

    int maxBytes_ = 0;
    bool numeric_ = false;
    QString extra_;
    QString fieldName_;
    QString accepted_;
    std::function<void(const QString&)> refuse_;
};

}  // namespace quilto
