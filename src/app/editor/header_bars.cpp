#include "app/editor/header_bars.h"

#include <QHBoxLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "core/editor/estimate_calculator.h"
#include "core/editor/estimate_document.h"
#include "core/foundation/cp932.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr int kFigureWidth = 150;

QString Shown(const std::string& cp932) { return Cp932ToQStringLossy(Trimmed(cp932)); }

}  // namespace

QLabel* MakeFigure(const char* name, const char* caption, const char* hint, QWidget* parent,
                   QWidget** captionOut) {
    auto* box = new QWidget(parent);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(1);
    auto* label = new QLabel(QString::fromUtf8(caption), box);
    label->setObjectName(QStringLiteral("%1Caption").arg(QLatin1String(name)));
    auto* figure = new QLabel(box);
    figure->setObjectName(QString::fromLatin1(name));
    figure->setToolTip(QString::fromUtf8(hint));
    figure->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    figure->setFrameShape(QFrame::StyledPanel);
    figure->setFrameShadow(QFrame::Sunken);
    figure->setAutoFillBackground(true);
    QPalette p = figure->palette();
    p.setColor(QPalette::Window, Qt::white);
    figure->setPalette(p);
    figure->setFixedWidth(kFigureWidth);
    figure->setTextInteractionFlags(Qt::TextSelectableByMouse);
    QFont bold = figure->font();
    bold.setBold(true);
    figure->setFont(bold);
    layout->addWidget(label);
    layout->addWidget(figure);
    if (captionOut) *captionOut = box;
    return figure;
}

HeaderFigureBar::HeaderFigureBar(QWidget* parent) : QFrame(parent) {
    setObjectName("PanelB1");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    QWidget* box = nullptr;
    mGoukei01_ = MakeFigure("MGoukei01", "見積金額 (税込)", "合計金額", this, &box);
    layout->addWidget(box);
    mGoukei11_ = MakeFigure("MGoukei11", "税抜合計", "計の金額を表示", this, &box);
    layout->addWidget(box);
    mGoukei12_ = MakeFigure("MGoukei12", "原価金額", "", this, &box);
    layout->addWidget(box);
    mGoukei13_ = MakeFigure("MGoukei13", "粗 利 額", "", this, &box);
    layout->addWidget(box);
    gDisp_ = new QLabel(this);
    gDisp_->setObjectName("GDisp");
    gDisp_->setAlignment(Qt::AlignCenter);
    layout->addWidget(gDisp_);
    layout->addStretch(1);
}

void HeaderFigureBar::Show(const EstimateDocument& document) {
    mGoukei01_->setText(Shown(document.Figure(HeaderFigure::MGoukei01)));
    mGoukei11_->setText(Shown(document.Figure(HeaderFigure::MGoukei11)));
    mGoukei12_->setText(Shown(document.Figure(HeaderFigure::MGoukei12)));
    mGoukei13_->setText(Shown(document.Figure(HeaderFigure::MGoukei13)));
    gDisp_->setText(
        Cp932ToQStringLossy(EstimateCalculator::TotalsSourceText(document.CheckBox1())));
}

LineStepper::LineStepper(QWidget* parent) : QWidget(parent) {
    setObjectName("UpDown1");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    // Step -1: the upper arrow goes to the line above.
    for (auto [arrow, delta, name] :
         {std::tuple{Qt::UpArrow, -1, "UpDown1Up"}, std::tuple{Qt::DownArrow, 1, "UpDown1Down"}}) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString::fromLatin1(name));
        button->setArrowType(arrow);
        button->setFocusPolicy(Qt::NoFocus);
        button->setAutoRepeat(true);
        button->setFixedSize(22, 14);
        connect(button, &QToolButton::clicked, this, [this, d = delta] { Step(d); });
        layout->addWidget(button);
    }
}

void LineStepper::SetValue(int value) { value_ = std::clamp(value, 1, kBreakdownLines); }

void LineStepper::Step(int delta) {
    const int next = std::clamp(value_ + delta, 1, kBreakdownLines);
    if (next == value_) return;
    value_ = next;
    emit Stepped(value_);
}

DetailBar::DetailBar(QWidget* parent) : QFrame(parent) {
    setObjectName("PanelB6");
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 2, 6, 2);
    auto* panelX30 = new QLabel(QStringLiteral("工事名"), this);
    panelX30->setObjectName("PanelX30");
    layout->addWidget(panelX30);
    vwGno_ = new QLabel(this);
    vwGno_->setObjectName("VWGno");
    vwGno_->setMinimumWidth(50);
    vwGno_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    layout->addWidget(vwGno_);
    upDown1_ = new LineStepper(this);
    upDown1_->setToolTip(QStringLiteral("簡易工事名切替"));
    layout->addWidget(upDown1_);
    vwName1_ = new QLabel(this);
    vwName1_->setObjectName("VWName1");
    vwName1_->setMinimumWidth(360);
    vwName1_->setFrameShape(QFrame::StyledPanel);
    layout->addWidget(vwName1_);
    layout->addStretch(1);
    QWidget* box = nullptr;
    mGoukei21_ = MakeFigure("MGoukei21", "明細金額計", "", this, &box);
    layout->addWidget(box);
    mGoukei22_ = MakeFigure("MGoukei22", "原価金額", "", this, &box);
    layout->addWidget(box);
}

void DetailBar::ShowTotals(const std::string& amount, const std::string& cost) {
    mGoukei21_->setText(Shown(amount));
    mGoukei22_->setText(Shown(cost));
}

void DetailBar::ShowLine(int row, const QString& name) {
    vwGno_->setText(QString::number(row) + QStringLiteral("行"));
    vwName1_->setText(name);
}

}  // namespace quilto
