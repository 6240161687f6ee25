#pragma once

// Keeps what is typed or pasted into a line edit storable: at most a number of CP932 bytes
// (a longer text is cut without splitting a character), and no character CP932 cannot hold
// (the edit goes back to its previous text and the user is told which character it was).

#include <QObject>
#include <QPointer>
#include <QString>
#include <string>

class QLineEdit;

namespace quilto {

class Questions;

class Cp932Field : public QObject {
    Q_OBJECT

  public:
    // field names the edit in the refusal message.
    Cp932Field(QLineEdit* edit, int maxBytes, QString field, Questions& questions);

    // The text of edit in CP932 (what it shows always converts).
    static std::string Bytes(const QLineEdit* edit);
    // Shows CP932 bytes in edit.
    static void SetBytes(QLineEdit* edit, std::string_view bytes);

  private:
    void Edited(const QString& text);

    QPointer<QLineEdit> edit_;
    int maxBytes_;
    QString field_;
    Questions& questions_;
    QString accepted_;
};

}  // namespace quilto
