#pragma once

// The output and print dialog (EXCEL出力): what of the open estimate goes into the
// workbook (cover, summary, breakdown, the detail sheets of the chosen constructions, or a
// free-form layout), and whether the filled workbook is opened (表出力) or printed
// (印 刷). The run itself is the output engine's; it runs off the GUI thread while the
// progress bar moves and キャンセル stays live. The rules live in output/output_dialog.

#include <QDialog>
#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "core/output/output_choices.h"
#include "core/output/output_source.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTemporaryDir;
class QUrl;

namespace quilto {

class OfficeService;
class OutputPreview;
class OutputRunner;
class PatternCombo;
class PrinterSource;
class ProgramState;
struct OutputDialogChecks;

class TFormMXls2 : public QDialog {
    Q_OBJECT

  public:
    TFormMXls2(ProgramState& program, PrinterSource& printers, QWidget* parent = nullptr);
    ~TFormMXls2() override;

    // The dialogs behind 表定義 and プリンタ設定.
    void SetDialogs(QDialog* tableDefinitions, QDialog* printerSetup);
    // Called after the table definitions were edited: the estimate editor redraws its page
    // markers.
    void SetDefinitionsChanged(std::function<void()> changed);
    // How the filled workbook is opened; the desktop's handler unless a test replaces it.
    void SetUrlOpener(std::function<bool(const QUrl&)> openUrl);

    // What プレビュー shows and hands over (tests replace its save dialog).
    OutputPreview& Preview() { return *preview_; }
    // The LibreOffice kept ready for PDFs while the program runs.
    OfficeService& Office() { return *office_; }

    // The constructions the list shows, in its order.
    const std::vector<ConstructionEntry>& Constructions() const { return constructions_; }
    // Whether an output is running.
    bool Running() const;

  public slots:
    // Closing is refused while an output runs.
    void reject() override;

  protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* BuildChoices();
    QWidget* BuildProgress();
    void Activate();
    void ShowPrinter();
    void ShowFreeFormAvailability();
    OutputDialogChecks ReadChecks() const;
    void ShowChecks(const OutputDialogChecks& checks);
    void ApplyRule(const std::function<void(OutputDialogChecks&)>& rule);
    void Run(OutputTarget target);
    void ShowPreview(const QString& pdfPath, const OutputChoices& choices);
    void SetRunning(bool running);
    void EditTableDefinitions();
    void SetUpPrinter();

    ProgramState& program_;
    PrinterSource& printers_;
    OutputRunner* runner_ = nullptr;
    std::unique_ptr<OfficeService> office_;
    std::unique_ptr<OutputPreview> preview_;
    // The previews' PDFs, for as long as the dialog lives.
    std::unique_ptr<QTemporaryDir> previews_;
    int previewCount_ = 0;
    QDialog* tableDefinitions_ = nullptr;
    QDialog* printerSetup_ = nullptr;
    std::function<void()> definitionsChanged_;
    std::function<bool(const QUrl&)> openUrl_;
    // The last run's kind: it keeps its value between showings.
    OutputTarget lastTarget_ = OutputTarget::kWorkbook;
    bool activated_ = false;
    std::vector<ConstructionEntry> constructions_;

    QLabel* pTitle1_ = nullptr;
    QWidget* panelB1_ = nullptr;
    QPushButton* xOutBtn_ = nullptr;
    QPushButton* xPrnBtn_ = nullptr;
    QPushButton* previewBtn_ = nullptr;
    QPushButton* xSetBtn_ = nullptr;
    PatternCombo* cbListMS_ = nullptr;
    QGroupBox* groupBox2_ = nullptr;
    QCheckBox* checkH_ = nullptr;
    QCheckBox* check3_ = nullptr;
    QCheckBox* check1_ = nullptr;
    QCheckBox* checkGen_ = nullptr;
    QCheckBox* checkItemised_ = nullptr;
    QListWidget* listBox1_ = nullptr;
    QGroupBox* freeFormGroup_ = nullptr;
    QCheckBox* checkSei_ = nullptr;
    QButtonGroup* sources_ = nullptr;
    std::vector<QRadioButton*> radioButtons_;
    QCheckBox* chkKtype_ = nullptr;
    QWidget* numbersGroup_ = nullptr;
    QLabel* panel3_ = nullptr;
    QLineEdit* eYMD4_ = nullptr;
    QLineEdit* eSeiNo_ = nullptr;
    QGroupBox* stepInfo_ = nullptr;
    QProgressBar* progressBar1_ = nullptr;
    QPushButton* canBtn_ = nullptr;
    QLabel* hyoji_ = nullptr;
    QLabel* prnInfo_ = nullptr;
    std::array<QLabel*, 3> statusPanels_{};
};

}  // namespace quilto
