#pragma once

// The print preview: the pages of one finished PDF, drawn from the PDF itself by Qt PDF,
// page by page beside thumbnails, at fit page, fit width or 100 %. From here the very same
// file is printed (a page range, copies), saved as a PDF or mailed; what each of those does
// is the owner's business (the actions below).
//
// Keys: PageUp/PageDown, Home/End turn pages, Ctrl+wheel zooms, Esc closes.

#include <QDialog>
#include <functional>

#include "core/excel/cups_print.h"

class QLabel;
class QListWidget;
class QPdfDocument;
class QPdfView;
class QPushButton;
class QSpinBox;

namespace quilto {

struct PreviewActions {
    std::function<void(const PrintRange&)> print;
    std::function<void()> save;
    std::function<void()> mail;
};

class PdfPreviewWindow : public QDialog {
    Q_OBJECT

  public:
    enum class Zoom { kFitPage, kFitWidth, kActualSize };

    // printerName is shown beside 印刷 (empty: the default printer).
    PdfPreviewWindow(const QString& pdfPath, const QString& printerName, PreviewActions actions,
                     QWidget* parent = nullptr);

    // False (and nothing shown) when the file is not a readable PDF: *error says why.
    bool Loaded(QString* error) const;
    int PageCount() const;
    int CurrentPage() const;  // 0-based
    void GoToPage(int page);
    void SetZoom(Zoom zoom);
    Zoom CurrentZoom() const { return zoom_; }
    qreal ZoomFactor() const;
    QPdfDocument* Document() const { return document_; }
    const QString& PdfPath() const { return pdfPath_; }

  protected:
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ShowPage(int page);
    void ZoomBy(qreal factor);
    void FillThumbnails();

    QString pdfPath_;
    PreviewActions actions_;
    Zoom zoom_ = Zoom::kFitPage;
    QPdfDocument* document_ = nullptr;
    QPdfView* view_ = nullptr;
    QListWidget* thumbnails_ = nullptr;
    QLabel* pageLabel_ = nullptr;
    QSpinBox* fromPage_ = nullptr;
    QSpinBox* toPage_ = nullptr;
    QSpinBox* copies_ = nullptr;
    QPushButton* fitPage_ = nullptr;
    QPushButton* fitWidth_ = nullptr;
    QPushButton* actualSize_ = nullptr;
};

}  // namespace quilto
