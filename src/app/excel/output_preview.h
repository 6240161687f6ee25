#pragma once

// What the output dialog's プレビュー shows and what its buttons do: the preview window
// over the PDF just made, and 印刷, PDF保存 and メール送信 handing that very file over
// through the core (which keeps it as issued). PDF保存 proposes the estimate's file name in
// the folder last used and asks before it replaces a file.

#include <QString>
#include <functional>

#include "core/output/output_choices.h"

class QWidget;

namespace quilto {

class PdfPreviewWindow;
class ProgramState;

class OutputPreview {
  public:
    // Asks where to save: proposed is the folder and file name offered; empty when
    // cancelled. The desktop's save dialog unless a test replaces it.
    using SavePathChooser = std::function<QString(QWidget* parent, const QString& proposed)>;

    OutputPreview(ProgramState& program, QString configFile);

    void SetSavePathChooser(SavePathChooser chooser) { chooseSavePath_ = std::move(chooser); }

    // Shows the preview of pdfPath (made with choices) until it is closed; printer is where
    // 印刷 prints (empty: the default printer). Tells the user when the PDF cannot be shown.
    void Show(const QString& pdfPath, const OutputChoices& choices, const QString& printer,
              QWidget* parent);

  private:
    void Save(const QString& pdfPath, const OutputChoices& choices, QWidget* parent);

    ProgramState& program_;
    QString configFile_;
    SavePathChooser chooseSavePath_;
};

}  // namespace quilto
