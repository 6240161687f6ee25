#pragma once

// Printer setup (使用プリンタ設定): the printers the user can print to, the current default,
// and the choice of another default for this user, which the output's printing then uses.

#include <QDialog>

class QLineEdit;
class QListWidget;

namespace quilto {

class PrinterSource;
class Questions;

class TFormPrtSetup : public QDialog {
    Q_OBJECT

  public:
    TFormPrtSetup(PrinterSource& printers, Questions& questions, QWidget* parent = nullptr);

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    void ChoosePrinter();

    PrinterSource& printers_;
    Questions& questions_;
    QListWidget* listBox1_ = nullptr;
    QLineEdit* defPrt_ = nullptr;
};

}  // namespace quilto
