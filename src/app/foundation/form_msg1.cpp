#include "app/foundation/form_msg1.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <algorithm>

namespace quilto {
namespace {

constexpr int kFormHeight = 96;
constexpr int kMessageTop = 16;
constexpr int kMessageHeight = 20;
constexpr int kButtonTop = 52;

}  // namespace

TFormMsg1::TFormMsg1(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint) {
    setObjectName("FormMsg1");
    setModal(true);
    setSizeGripEnabled(false);

    msg1_ = new QLabel(this);
    msg1_->setObjectName("Msg1");
    msg1_->setAlignment(Qt::AlignCenter);
    msg1_->setTextFormat(Qt::PlainText);
    // A message of several lines (an estimate named under the question) makes the form
    // taller; a line too long for the width wraps.
    msg1_->setWordWrap(true);

    for (int i = 0; i < ButtonQuestion::kButtons; ++i) {
        auto* button = new QPushButton(this);
        button->setObjectName(QStringLiteral("BitBtn%1").arg(i + 1));
        button->setFixedSize(ButtonQuestion::kButtonWidth, ButtonQuestion::kButtonHeight);
        button->setAutoDefault(false);
        button->installEventFilter(this);
        connect(button, &QPushButton::clicked, this,
                [this, i] { Answer(static_cast<ButtonAnswer>(i + 1)); });
        buttons_[i] = button;
    }
    setTabOrder(buttons_[0], buttons_[1]);
    setTabOrder(buttons_[1], buttons_[2]);

    ShowTexts();
}

ButtonAnswer TFormMsg1::AskButtons(const std::string& message, const std::string& caption,
                                   const std::string& button1, const std::string& button2,
                                   const std::string& button3) {
    question_.Apply(message, caption, button1, button2, button3);
    ShowTexts();
    exec();
    return result_;
}

void TFormMsg1::ShowTexts() {
    setWindowTitle(QString::fromStdString(question_.Caption()));
    msg1_->setText(QString::fromStdString(question_.Message()));

    const ButtonQuestion::Layout layout = question_.FormLayout();
    const QRect needed =
        msg1_->fontMetrics().boundingRect(QRect(0, 0, ButtonQuestion::kMessageWidth, 10000),
                                          Qt::AlignCenter | Qt::TextWordWrap, msg1_->text());
    const int extra = std::max(0, needed.height() - kMessageHeight);
    setFixedSize(layout.width, kFormHeight + extra);
    msg1_->setGeometry((layout.width - ButtonQuestion::kMessageWidth) / 2, kMessageTop,
                       ButtonQuestion::kMessageWidth, kMessageHeight + extra);
    for (int i = 0; i < ButtonQuestion::kButtons; ++i) {
        buttons_[i]->setText(QString::fromStdString(question_.ButtonCaption(i + 1)));
        buttons_[i]->move(layout.buttonLeft[i], kButtonTop + extra);
        buttons_[i]->setVisible(question_.ButtonShown(i + 1));
    }
}

void TFormMsg1::PlaceOnScreen() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect desktop = screen->availableGeometry();
    move(desktop.center() - QPoint(width() / 2, height() / 2));
}

void TFormMsg1::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous()) return;
    PlaceOnScreen();
    // Anything but a button or Esc (the window manager's close, say) answers kClosed.
    result_ = ButtonAnswer::kClosed;
    buttons_[0]->setFocus(Qt::ActiveWindowFocusReason);
}

bool TFormMsg1::HandleKey(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Escape:
            Answer(ButtonAnswer::kEscape);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            // Enter presses the button that has the focus, as a click would.
            if (auto* button = qobject_cast<QPushButton*>(focusWidget())) {
                if (button->isVisible()) button->click();
            }
            return true;
        case Qt::Key_Down:
            focusNextChild();
            return true;
        case Qt::Key_Up:
            focusPreviousChild();
            return true;
        default:
            return false;
    }
}

bool TFormMsg1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress && HandleKey(static_cast<QKeyEvent*>(event))) {
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormMsg1::keyPressEvent(QKeyEvent* event) {
    if (!HandleKey(event)) QDialog::keyPressEvent(event);
}

void TFormMsg1::Answer(ButtonAnswer answer) {
    result_ = answer;
    done(answer == ButtonAnswer::kEscape ? QDialog::Rejected : QDialog::Accepted);
}

}  // namespace quilto
