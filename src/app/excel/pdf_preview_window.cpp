#include "app/excel/pdf_preview_window.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPdfDocument>
#include <QPdfPageNavigator>
#include <QPdfView>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>
#include <QVBoxLayout>
#include <QWheelEvent>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"

namespace quilto {
namespace {

constexpr int kThumbnailWidth = 110;
constexpr qreal kZoomStep = 1.25;
constexpr qreal kMinZoom = 0.1;
constexpr qreal kMaxZoom = 8.0;

QSpinBox* MakeSpin(const char* name, int low, int high, int value, QWidget* parent) {
    auto* spin = new QSpinBox(parent);
    spin->setObjectName(QString::fromLatin1(name));
    spin->setRange(low, high);
    spin->setValue(value);
    return spin;
}

}  // namespace

PdfPreviewWindow::PdfPreviewWindow(const QString& pdfPath, const QString& printerName,
                                   PreviewActions actions, QWidget* parent)
    : QDialog(parent), pdfPath_(pdfPath), actions_(std::move(actions)) {
    setObjectName("PdfPreview");
    setWindowTitle(QStringLiteral("印刷プレビュー"));
    setModal(true);

    document_ = new QPdfDocument(this);
    document_->load(pdfPath);
    const int pages = std::max(1, document_->pageCount());

    view_ = new QPdfView(this);
    view_->setObjectName("PageView");
    view_->setDocument(document_);
    view_->setPageMode(QPdfView::PageMode::SinglePage);
    view_->installEventFilter(this);
    view_->viewport()->installEventFilter(this);
    view_->setBackgroundRole(QPalette::Dark);

    thumbnails_ = new QListWidget(this);
    thumbnails_->setObjectName("Thumbnails");
    thumbnails_->setViewMode(QListView::IconMode);
    thumbnails_->setFlow(QListView::TopToBottom);
    thumbnails_->setWrapping(false);
    thumbnails_->setMovement(QListView::Static);
    thumbnails_->setIconSize(QSize(kThumbnailWidth, kThumbnailWidth * 3 / 2));
    thumbnails_->setFixedWidth(kThumbnailWidth + 40);
    thumbnails_->setSpacing(4);
    FillThumbnails();
    connect(thumbnails_, &QListWidget::currentRowChanged, this, [this](int row) {
        if (row >= 0 && row != CurrentPage()) ShowPage(row);
    });

    // Navigation and zoom.
    auto* previous = MakeButton("PrevPage", QStringLiteral("◀ 前頁"), this);
    auto* next = MakeButton("NextPage", QStringLiteral("次頁 ▶"), this);
    pageLabel_ = new QLabel(this);
    pageLabel_->setObjectName("PageLabel");
    pageLabel_->setMinimumWidth(110);
    pageLabel_->setAlignment(Qt::AlignCenter);
    fitPage_ = MakeButton("FitPage", QStringLiteral("ページ全体"), this);
    fitWidth_ = MakeButton("FitWidth", QStringLiteral("幅に合わせる"), this);
    actualSize_ = MakeButton("ActualSize", QStringLiteral("100 %"), this);
    for (QPushButton* button : {fitPage_, fitWidth_, actualSize_}) button->setCheckable(true);
    connect(previous, &QPushButton::clicked, this, [this] { GoToPage(CurrentPage() - 1); });
    connect(next, &QPushButton::clicked, this, [this] { GoToPage(CurrentPage() + 1); });
    connect(fitPage_, &QPushButton::clicked, this, [this] { SetZoom(Zoom::kFitPage); });
    connect(fitWidth_, &QPushButton::clicked, this, [this] { SetZoom(Zoom::kFitWidth); });
    connect(actualSize_, &QPushButton::clicked, this, [this] { SetZoom(Zoom::kActualSize); });
    auto* navigation = new QHBoxLayout;
    navigation->addWidget(previous);
    navigation->addWidget(pageLabel_);
    navigation->addWidget(next);
    navigation->addSpacing(20);
    navigation->addWidget(fitPage_);
    navigation->addWidget(fitWidth_);
    navigation->addWidget(actualSize_);
    navigation->addStretch(1);

    // Printing these pages, saving and mailing this file.
    auto* printGroup = new QGroupBox(QStringLiteral("印刷"), this);
    fromPage_ = MakeSpin("FromPage", 1, pages, 1, printGroup);
    toPage_ = MakeSpin("ToPage", 1, pages, pages, printGroup);
    copies_ = MakeSpin("Copies", 1, 99, 1, printGroup);
    connect(fromPage_, &QSpinBox::valueChanged, toPage_, [this](int from) {
        if (toPage_->value() < from) toPage_->setValue(from);
    });
    connect(toPage_, &QSpinBox::valueChanged, fromPage_, [this](int to) {
        if (fromPage_->value() > to) fromPage_->setValue(to);
    });
    auto* printer = new QLabel(
        QStringLiteral("プリンタ: %1")
            .arg(printerName.isEmpty() ? QStringLiteral("(通常使うプリンタ)") : printerName),
        printGroup);
    printer->setObjectName("PreviewPrinter");
    printer->setWordWrap(true);
    auto* print = MakeButton("PreviewPrint", QStringLiteral("印刷"), printGroup);
    auto* printLayout = new QVBoxLayout(printGroup);
    printLayout->addWidget(printer);
    auto* range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("頁"), printGroup));
    range->addWidget(fromPage_);
    range->addWidget(new QLabel(QStringLiteral("～"), printGroup));
    range->addWidget(toPage_);
    printLayout->addLayout(range);
    auto* copiesRow = new QHBoxLayout;
    copiesRow->addWidget(new QLabel(QStringLiteral("部数"), printGroup));
    copiesRow->addWidget(copies_);
    copiesRow->addStretch(1);
    printLayout->addLayout(copiesRow);
    printLayout->addWidget(print);
    connect(print, &QPushButton::clicked, this, [this] {
        if (actions_.print)
            actions_.print(PrintRange{fromPage_->value(), toPage_->value(), copies_->value()});
    });

    auto* save = MakeButton("PreviewSavePdf", QStringLiteral("PDF保存"), this);
    auto* mail = MakeButton("PreviewMail", QStringLiteral("メール送信"), this);
    auto* close = MakeButton("PreviewClose", QStringLiteral("閉じる"), this);
    connect(save, &QPushButton::clicked, this, [this] {
        if (actions_.save) actions_.save();
    });
    connect(mail, &QPushButton::clicked, this, [this] {
        if (actions_.mail) actions_.mail();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    auto* side = new QVBoxLayout;
    side->addWidget(printGroup);
    side->addWidget(save);
    side->addWidget(mail);
    side->addStretch(1);
    side->addWidget(close);
    for (QPushButton* button : {print, save, mail, close}) button->setMinimumHeight(34);

    auto* centre = new QVBoxLayout;
    centre->addLayout(navigation);
    centre->addWidget(view_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(thumbnails_);
    layout->addLayout(centre, 1);
    layout->addLayout(side);

    connect(view_->pageNavigator(), &QPdfPageNavigator::currentPageChanged, this, [this](int page) {
        pageLabel_->setText(QStringLiteral("%1 / %2 頁").arg(page + 1).arg(PageCount()));
        const QSignalBlocker quiet(thumbnails_);
        thumbnails_->setCurrentRow(page);
    });
    resize(1100, 900);
    SetZoom(Zoom::kFitPage);
    ShowPage(0);
    PlaceOnScreen(this, pos());
    view_->setFocus();
}

bool PdfPreviewWindow::Loaded(QString* error) const {
    if (document_->status() == QPdfDocument::Status::Ready && document_->pageCount() > 0)
        return true;
    *error = QStringLiteral("PDF %1 を表示できません。").arg(pdfPath_);
    return false;
}

int PdfPreviewWindow::PageCount() const { return document_->pageCount(); }

int PdfPreviewWindow::CurrentPage() const { return view_->pageNavigator()->currentPage(); }

void PdfPreviewWindow::GoToPage(int page) {
    if (PageCount() == 0) return;
    ShowPage(std::clamp(page, 0, PageCount() - 1));
}

void PdfPreviewWindow::ShowPage(int page) {
    view_->pageNavigator()->jump(page, QPointF(), 0);
    pageLabel_->setText(QStringLiteral("%1 / %2 頁").arg(page + 1).arg(PageCount()));
    const QSignalBlocker quiet(thumbnails_);
    thumbnails_->setCurrentRow(page);
    view_->verticalScrollBar()->setValue(0);
}

void PdfPreviewWindow::SetZoom(Zoom zoom) {
    zoom_ = zoom;
    switch (zoom) {
        case Zoom::kFitPage:
            view_->setZoomMode(QPdfView::ZoomMode::FitInView);
            break;
        case Zoom::kFitWidth:
            view_->setZoomMode(QPdfView::ZoomMode::FitToWidth);
            break;
        case Zoom::kActualSize:
            view_->setZoomMode(QPdfView::ZoomMode::Custom);
            view_->setZoomFactor(1.0);
            break;
    }
    fitPage_->setChecked(zoom == Zoom::kFitPage);
    fitWidth_->setChecked(zoom == Zoom::kFitWidth);
    actualSize_->setChecked(zoom == Zoom::kActualSize);
}

qreal PdfPreviewWindow::ZoomFactor() const { return view_->zoomFactor(); }

void PdfPreviewWindow::ZoomBy(qreal factor) {
    // From whatever the fitted size is now, in steps, as a custom zoom.
    const qreal now =
        view_->zoomMode() == QPdfView::ZoomMode::Custom ? view_->zoomFactor() : [this] {
            const QSizeF points = document_->pagePointSize(CurrentPage());
            const QSize room = view_->viewport()->size();
            if (points.isEmpty()) return 1.0;
            // Qt PDF draws a point as a pixel at 72 dpi, scaled by the
            // screen's logical dpi.
            const qreal scale = logicalDpiX() / 72.0;
            const qreal wide = room.width() / (points.width() * scale);
            const qreal high = room.height() / (points.height() * scale);
            return view_->zoomMode() == QPdfView::ZoomMode::FitToWidth ? wide
                                                                       : std::min(wide, high);
        }();
    zoom_ = Zoom::kActualSize;
    view_->setZoomMode(QPdfView::ZoomMode::Custom);
    view_->setZoomFactor(std::clamp(now * factor, kMinZoom, kMaxZoom));
    for (QPushButton* button : {fitPage_, fitWidth_, actualSize_}) button->setChecked(false);
}

void PdfPreviewWindow::FillThumbnails() {
    for (int page = 0; page < document_->pageCount(); ++page) {
        const QSizeF points = document_->pagePointSize(page);
        const int height =
            points.width() > 0
                ? static_cast<int>(kThumbnailWidth * points.height() / points.width())
                : kThumbnailWidth * 3 / 2;
        // Drawn from the page itself at the thumbnail's size.
        const QImage image = document_->render(page, QSize(kThumbnailWidth, height));
        auto* item = new QListWidgetItem(QIcon(QPixmap::fromImage(image)),
                                         QString::number(page + 1), thumbnails_);
        item->setTextAlignment(Qt::AlignHCenter);
    }
}

void PdfPreviewWindow::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_PageUp:
            GoToPage(CurrentPage() - 1);
            return;
        case Qt::Key_PageDown:
            GoToPage(CurrentPage() + 1);
            return;
        case Qt::Key_Home:
            GoToPage(0);
            return;
        case Qt::Key_End:
            GoToPage(PageCount() - 1);
            return;
        default:
            QDialog::keyPressEvent(event);  // Esc closes
    }
}

bool PdfPreviewWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view_->viewport() && event->type() == QEvent::Wheel) {
        auto* wheel = static_cast<QWheelEvent*>(event);
        if (wheel->modifiers() & Qt::ControlModifier) {
            const int steps = wheel->angleDelta().y();
            if (steps != 0) ZoomBy(steps > 0 ? kZoomStep : 1 / kZoomStep);
            return true;
        }
    }
    // The view would scroll with these keys; here they turn pages.
    if ((watched == view_ || watched == view_->viewport()) && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() == Qt::Key_PageUp || key->key() == Qt::Key_PageDown ||
            key->key() == Qt::Key_Home || key->key() == Qt::Key_End) {
            keyPressEvent(key);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace quilto
