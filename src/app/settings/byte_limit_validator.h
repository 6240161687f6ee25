#pragma once

// Keeps what the user types into a line edit (or an editable drop-down) within a byte limit
// counted in CP932 and to characters CP932 holds. An insertion that would pass the limit is
// cut at its end, as a maximum length cuts a paste; a character CP932 cannot hold refuses
// the whole edit and is named in a message (shown once the edit has been undone, never from
// inside the edit). Texts the program shows through ShowText are not checked: stored bytes
// are shown as they are, even when they are longer than the user could type.

#include <QString>
#include <QStringList>
#include <QValidator>
#include <functional>

class QLineEdit;

namespace quilto {

class ByteLimitValidator : public QValidator {
    Q_OBJECT

  public:
    // Puts a validator on edit. refused is told the message for a refused character; field
    // names the field in it. choices are texts always accepted whole (the items of a
    // drop-down, which it sets itself when one is chosen).
    static ByteLimitValidator* Attach(QLineEdit* edit, int limitBytes, const QString& field,
                                      std::function<void(const QString&)> refused,
                                      QStringList choices = {});
    // Shows text in edit as the program has it, unchecked and uncut.
    static void ShowText(QLineEdit* edit, const QString& text);
    // From now on edit's validator refuses anything but the digits 0-9 as they are typed.
    static void AcceptDigitsOnly(QLineEdit* edit);

    State validate(QString& input, int& pos) const override;

  private:
    ByteLimitValidator(int limitBytes, QString field, std::function<void(const QString&)> refused,
                       QObject* parent);

    int limit_;
    QString field_;
    std::function<void(const QString&)> refused_;
    QStringList choices_;
    QString current_;  // the text before the edit being validated
    bool showing_ = false;
    bool digitsOnly_ = false;
    mutable bool messagePending_ = false;
};

}  // namespace quilto
