#include "app/foundation/qt_questions.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

#include "app/foundation/folder_question.h"
#include "app/foundation/form_msg1.h"

namespace quilto {
namespace {

const QString kOk = QStringLiteral("OK");
const QString kCancel = QStringLiteral("キャンセル");

QString FromUtf8(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QtQuestions::QtQuestions() : formMsg1_(std::make_unique<TFormMsg1>()) {}

QtQuestions::~QtQuestions() = default;

ButtonAnswer QtQuestions::AskButtons(const std::string& message, const std::string& caption,
                                     const std::string& button1, const std::string& button2,
                                     const std::string& button3) {
    return formMsg1_->AskButtons(message, caption, button1, button2, button3);
}

QWidget* QtQuestions::DialogParent() const {
    if (QWidget* active = QApplication::activeWindow()) return active;
    return mainWindow_;
}

// A main window that stays on top would cover the message box; it is taken out of the
// top band without being moved, resized or activated.
void QtQuestions::TakeMainWindowOffTop() {
    QWidget* window = mainWindow_;
    if (!window || !window->windowFlags().testFlag(Qt::WindowStaysOnTopHint)) return;
    const bool visible = window->isVisible();
    const QRect geometry = window->geometry();
    const bool showQuietly = window->testAttribute(Qt::WA_ShowWithoutActivating);
    // Changing the flags hides the window; it comes back where it was.
    window->setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (visible) {
        window->setAttribute(Qt::WA_ShowWithoutActivating, true);
        window->setGeometry(geometry);
        window->show();
        window->setAttribute(Qt::WA_ShowWithoutActivating, showQuietly);
    }
}

bool QtQuestions::AskOkCancel(const std::string& message, const std::string& caption) {
    TakeMainWindowOffTop();
    QMessageBox box(QMessageBox::NoIcon, FromUtf8(caption), FromUtf8(message),
                    QMessageBox::Ok | QMessageBox::Cancel, DialogParent());
    box.setObjectName("AskOkCancel");
    box.button(QMessageBox::Ok)->setText(kOk);
    box.button(QMessageBox::Cancel)->setText(kCancel);
    box.setDefaultButton(QMessageBox::Ok);
    box.setEscapeButton(QMessageBox::Cancel);
    return box.exec() == QMessageBox::Ok;
}

void QtQuestions::Inform(const std::string& message, const std::string& caption) {
    // Like the system's simple message box, an untitled message carries the program's name.
    const QString title = caption.empty() ? QApplication::applicationName() : FromUtf8(caption);
    QMessageBox box(QMessageBox::NoIcon, title, FromUtf8(message), QMessageBox::Ok, DialogParent());
    box.setObjectName("Inform");
    box.button(QMessageBox::Ok)->setText(kOk);
    box.setEscapeButton(QMessageBox::Ok);
    box.exec();
}

std::optional<std::string> QtQuestions::AskText(const std::string& caption,
                                                const std::string& prompt,
                                                const std::string& initial) {
    QInputDialog dialog(DialogParent());
    dialog.setObjectName("AskText");
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setWindowTitle(FromUtf8(caption));
    dialog.setLabelText(FromUtf8(prompt));
    dialog.setTextValue(FromUtf8(initial));
    dialog.setOkButtonText(kOk);
    dialog.setCancelButtonText(kCancel);
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.textValue().toStdString();
}

std::optional<std::string> QtQuestions::AskFolder(const std::string& caption,
                                                  const std::string& message,
                                                  const std::string& initial) {
    TakeMainWindowOffTop();
    FolderQuestion dialog(FromUtf8(caption), FromUtf8(message), FromUtf8(initial), DialogParent());
    if (dialog.exec() != QDialog::Accepted) return std::nullopt;
    return dialog.Folder().toStdString();
}

}  // namespace quilto
