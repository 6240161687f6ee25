#include "app/editor/cover_panel.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include "app/foundation/typed_line_edit.h"
#include "core/editor/customer_honorific.h"
#include "core/editor/estimate_document.h"
#include "core/foundation/cp932.h"
#include "core/foundation/era_date.h"
#include "core/foundation/text_bytes.h"
#include "core/shell/shell_state.h"
#include "core/store/environment.h"

namespace quilto {

namespace {

constexpr int kPanelWidth = 930;
constexpr int kPanelHeight = 550;
constexpr int kVisibleNotes = 5;
constexpr int kAllNotes = 8;

QLabel* Caption(const QString& text, QWidget* parent, const char* name = nullptr) {
    auto* label = new QLabel(text, parent);
    if (name) label->setObjectName(QString::fromLatin1(name));
    label->setFrameShape(QFrame::StyledPanel);
    label->setAlignment(Qt::AlignCenter);
    label->setAutoFillBackground(true);
    QPalette p = label->palette();
    p.setColor(QPalette::Window, QColor(0xDD, 0xE6, 0xF2));
    label->setPalette(p);
    label->setMinimumWidth(90);
    return label;
}

QPushButton* SampleButton(const char* name, QWidget* parent) {
    auto* button = new QPushButton(QStringLiteral("見本"), parent);
    button->setObjectName(QString::fromLatin1(name));
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedWidth(48);
    return button;
}

QString Shown(const std::string& cp932) { return Cp932ToQStringLossy(cp932); }

}  // namespace

CoverPanel::CoverPanel(EstimateDocument& document, QWidget* parent)
    : QFrame(parent), document_(document) {
    setObjectName("PanelB2");
    setFixedSize(kPanelWidth, kPanelHeight);
    setFrameShape(QFrame::StyledPanel);
    auto* outer = new QHBoxLayout(this);
    outer->setContentsMargins(10, 10, 10, 10);
    outer->setSpacing(14);

    // Left: the estimate's own fields.
    auto* left = new QWidget(this);
    auto* grid = new QGridLayout(left);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(6);
    int row = 0;

    auto* mNo = AddField("MNo", left);
    mNo->setReadOnly(true);
    mNo->setEnabled(false);
    mNo->setToolTip(QStringLiteral("見積を管理する内部番号。"));
    mNo->setFixedWidth(80);
    auto* mBango = AddField("MBango", left);
    mBango->setFixedWidth(140);
    auto* numbers = new QHBoxLayout;
    numbers->addWidget(mNo);
    numbers->addSpacing(12);
    numbers->addWidget(Caption(QStringLiteral("見積番号"), left));
    numbers->addWidget(mBango);
    numbers->addStretch(1);
    grid->addWidget(Caption(QStringLiteral("< 管理番号 >"), left), row, 0);
    grid->addLayout(numbers, row++, 1);

    auto* mYmd1 = AddField("MYMD1", left);
    mYmd1->setFixedWidth(200);
    auto* mYmd1Set = SampleButton("MYMD1Set", left);
    connect(mYmd1Set, &QPushButton::clicked, this, [this, mYmd1] {
        mYmd1->SetCp932Text(TodayEraText());
        document_.SetText(HeaderText::MYMD1, TodayEraText());
    });
    auto* date = new QHBoxLayout;
    date->addWidget(mYmd1);
    date->addWidget(mYmd1Set);
    date->addStretch(1);
    grid->addWidget(Caption(QStringLiteral("見積作成日"), left), row, 0);
    grid->addLayout(date, row++, 1);

    mName1_ = AddCombo("MName1", left);
    // The cover adds the honorific itself: shown here so that it is not typed as well.
    auto* honorific = new QLabel(QString::fromUtf8(kCoverHonorific), left);
    honorific->setObjectName("MName1Honorific");
    honorific->setToolTip(QStringLiteral("表紙にはお客様名のあとに「%1」が付きます。")
                              .arg(QString::fromUtf8(kCoverHonorific)));
    auto* customer = new QHBoxLayout;
    customer->addWidget(mName1_, 1);
    customer->addWidget(honorific);
    grid->addWidget(Caption(QStringLiteral("お客様名"), left), row, 0);
    grid->addLayout(customer, row++, 1);
    connect(mName1_->lineEdit(), &QLineEdit::editingFinished, this, [this] {
        const std::string warning = honorificWarning_.Check(mName1_->currentText().toStdString());
        if (!warning.empty() && tell_) tell_(QString::fromStdString(warning));
    });
    mTitle1_ = AddCombo("MTitle1", left);
    grid->addWidget(Caption(QString::fromUtf8(kKojiNameLabel), left, "PanelX01"), row, 0);
    grid->addWidget(mTitle1_, row++, 1);
    grid->addWidget(Caption(QString::fromUtf8(kKojiPlaceLabel), left, "PanelX02"), row, 0);
    grid->addWidget(AddField("MBasyo1", left), row++, 1);

    auto* mYmd2 = AddField("MYMD2", left);
    auto* mYmd3 = AddField("MYMD3", left);
    auto* button3 = SampleButton("Button3", left);
    connect(button3, &QPushButton::clicked, this, [this, mYmd2, mYmd3] {
        for (auto [edit, field] :
             {std::pair{mYmd2, HeaderText::MYMD2}, std::pair{mYmd3, HeaderText::MYMD3}}) {
            edit->SetCp932Text(TodayEraText());
            document_.SetText(field, TodayEraText());
        }
    });
    auto* period = new QHBoxLayout;
    period->addWidget(mYmd2);
    period->addWidget(new QLabel(QStringLiteral("～"), left));
    period->addWidget(mYmd3);
    period->addWidget(button3);
    grid->addWidget(Caption(QString::fromUtf8(kKojiPeriodLabel), left, "PanelX03"), row, 0);
    grid->addLayout(period, row++, 1);

    auto* mKigen1 = AddField("MKigen1", left);
    auto* button4 = SampleButton("Button4", left);
    connect(button4, &QPushButton::clicked, this, [this, mKigen1] {
        mKigen1->SetCp932Text(TodayEraText());
        document_.SetText(HeaderText::MKigen1, TodayEraText());
    });
    auto* validity = new QHBoxLayout;
    validity->addWidget(mKigen1);
    validity->addWidget(button4);
    grid->addWidget(Caption(QStringLiteral("有効期限"), left), row, 0);
    grid->addLayout(validity, row++, 1);

    auto* mTanto1 = AddField("MTanto1", left);
    mTanto1->setFixedWidth(180);
    auto* zRitu = AddField("ZRitu", left);
    zRitu->SetNumeric(true);
    zRitu->setFixedWidth(36);
    zRitu->setAlignment(Qt::AlignRight);
    auto* person = new QHBoxLayout;
    person->addWidget(mTanto1);
    person->addSpacing(20);
    person->addWidget(Caption(QStringLiteral("消費税率"), left));
    person->addWidget(zRitu);
    person->addWidget(new QLabel(QStringLiteral("％"), left));
    person->addStretch(1);
    grid->addWidget(Caption(QStringLiteral("担  当"), left), row, 0);
    grid->addLayout(person, row++, 1);

    checkBox1_ = new QCheckBox(QStringLiteral("総括書で計算する。"), left);
    checkBox1_->setObjectName("CheckBox1");
    checkBox1_->setToolTip(QStringLiteral("見積金額の選択 （総括書/内訳書）"));
    checkBox2_ = new QCheckBox(QStringLiteral("消費税含む(印刷)"), left);
    checkBox2_->setObjectName("CheckBox2");
    checkBox2_->setToolTip(QStringLiteral("消費税有無 （V：税含む）"));
    for (QCheckBox* box : {checkBox1_, checkBox2_}) box->setFocusPolicy(Qt::ClickFocus);
    connect(checkBox1_, &QCheckBox::clicked, this, [this](bool on) {
        document_.SetCheckBox1(on);
        emit CheckBox1Clicked();
        emit CoverEdited(QStringLiteral("CheckBox1"));
    });
    connect(checkBox2_, &QCheckBox::clicked, this, [this](bool on) {
        document_.SetCheckBox2(on);
        emit CheckBox2Clicked();
        emit CoverEdited(QStringLiteral("CheckBox2"));
    });
    auto* checks = new QHBoxLayout;
    checks->addWidget(checkBox1_);
    checks->addSpacing(20);
    checks->addWidget(checkBox2_);
    checks->addStretch(1);
    grid->addLayout(checks, row++, 1);

    // Notes: five lines in a scroll box; three more, the heading and a tenth line hidden.
    auto* notes = new QScrollArea(left);
    notes->setObjectName("ScrollBox1");
    auto* notesInner = new QWidget(notes);
    auto* notesLayout = new QVBoxLayout(notesInner);
    notesLayout->setContentsMargins(2, 2, 2, 2);
    notesLayout->setSpacing(3);
    for (int i = 1; i <= kAllNotes; ++i) {
        const QByteArray name = "MBiko" + QByteArray::number(i);
        auto* note = AddField(name.constData(), notesInner);
        notesLayout->addWidget(note);
        note->setVisible(i <= kVisibleNotes);
    }
    notes->setWidget(notesInner);
    notes->setWidgetResizable(true);
    notes->setFixedHeight(5 * 28 + 8);
    grid->addWidget(Caption(QStringLiteral("備  考"), left), row, 0, Qt::AlignTop);
    grid->addWidget(notes, row++, 1);
    grid->setRowStretch(row, 1);
    for (const char* hidden : {"MName2", "MCode1", "MBiko9", "MBiko10"}) {
        AddField(hidden, left)->hide();
    }

    auto* panelX09 = new QLabel(QStringLiteral("お客様名と") + QString::fromUtf8(kKojiNameLabel) +
                                    QStringLiteral("は必須項目です。"),
                                left);
    panelX09->setObjectName("PanelX09");
    panelX09->setStyleSheet(QStringLiteral("color: #b00000;"));
    grid->addWidget(panelX09, ++row, 0, 1, 2);
    outer->addWidget(left, 1);

    // Right: pattern choice, company information, tax message and the amount.
    auto* right = new QWidget(this);
    right->setFixedWidth(300);
    auto* side = new QVBoxLayout(right);
    side->setContentsMargins(0, 0, 0, 0);
    side->setSpacing(8);
    auto* groupMS = new QGroupBox(QStringLiteral("< 参照表選択 >"), right);
    groupMS->setObjectName("GroupMS");
    groupMS->installEventFilter(this);
    groupMS_ = groupMS;
    auto* groupLayout = new QVBoxLayout(groupMS);
    cbListMS_ = new QComboBox(groupMS);
    cbListMS_->setObjectName("CBListMS");
    cbListMS_->setToolTip(QStringLiteral("使用する見積書パターン選択 (頁マーカーに反映)"));
    cbListMS_->setFocusPolicy(Qt::ClickFocus);
    connect(cbListMS_, &QComboBox::activated, this,
            [this](int index) { emit PatternChosen(index); });
    groupLayout->addWidget(cbListMS_);
    side->addWidget(groupMS);

    auto* companyBox = new QGroupBox(QStringLiteral("< 会社情報表示 >"), right);
    auto* companyLayout = new QVBoxLayout(companyBox);
    memo1_ = new QPlainTextEdit(companyBox);
    memo1_->setObjectName("Memo1");
    memo1_->setReadOnly(true);
    memo1_->setFocusPolicy(Qt::NoFocus);
    memo1_->setFixedHeight(180);
    companyLayout->addWidget(memo1_);
    auto* logoRow = new QHBoxLayout;
    logoRow->addWidget(Caption(QStringLiteral("ロゴ"), companyBox));
    licsNM_ = new QLabel(companyBox);
    licsNM_->setObjectName("LicsNM");
    logoRow->addWidget(licsNM_, 1);
    companyLayout->addLayout(logoRow);
    side->addWidget(companyBox);

    sMesD_ = new QLabel(right);
    sMesD_->setObjectName("SMesD");
    side->addWidget(sMesD_);
    auto* amountRow = new QHBoxLayout;
    amountRow->addWidget(new QLabel(QStringLiteral("金額 :"), right));
    hGoukei01_ = new QLabel(right);
    hGoukei01_->setObjectName("HGoukei01");
    hGoukei01_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    QFont big = hGoukei01_->font();
    big.setPointSizeF(big.pointSizeF() * 1.4);
    big.setBold(true);
    hGoukei01_->setFont(big);
    amountRow->addWidget(hGoukei01_, 1);
    side->addLayout(amountRow);
    side->addStretch(1);
    outer->addWidget(right);

    order_ = {mName1_, mTitle1_, Field("MBasyo1"), mYmd2, mYmd3,
              mKigen1, mTanto1,  mBango,           mYmd1, zRitu};
    for (int i = 1; i <= kVisibleNotes; ++i) order_.append(Field(QStringLiteral("MBiko%1").arg(i)));
    for (int i = 1; i < order_.size(); ++i) setTabOrder(order_[i - 1], order_[i]);
}

TypedLineEdit* CoverPanel::AddField(const char* name, QWidget* parent) {
    auto* edit = new TypedLineEdit(parent);
    const QString control = QString::fromLatin1(name);
    edit->setObjectName(control);
    edit->SetMaxBytes(EstimateDocument::CoverMaxBytes(name));
    fields_.insert(control, edit);
    connect(edit, &QLineEdit::textChanged, this,
            [this, control, edit] { FieldEdited(control, edit); });
    return edit;
}

QComboBox* CoverPanel::AddCombo(const char* name, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromLatin1(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    combo->setMaxVisibleItems(20);
    auto* edit = new TypedLineEdit(combo);
    edit->setObjectName(QStringLiteral("%1Edit").arg(QLatin1String(name)));
    edit->SetMaxBytes(EstimateDocument::CoverMaxBytes(name));
    combo->setLineEdit(edit);
    combo->setCompleter(nullptr);
    const QString control = QString::fromLatin1(name);
    fields_.insert(control, edit);
    connect(edit, &QLineEdit::textChanged, this,
            [this, control, edit] { FieldEdited(control, edit); });
    return combo;
}

void CoverPanel::FieldEdited(const QString& name, const TypedLineEdit* edit) {
    // Text that does not convert is about to be refused by the field itself.
    if (const auto bytes = QStringToCp932(edit->text())) {
        document_.SetCoverText(name.toStdString(), *bytes);
        emit CoverEdited(name);
    }
}

void CoverPanel::SetRefusalHandler(const std::function<void(const QString&)>& handler) {
    static const QMap<QString, QString> kNames = {{"MBango", "見積番号"},  {"MYMD1", "見積作成日"},
                                                  {"MName1", "お客様名"},  {"MTitle1", "工事名称"},
                                                  {"MBasyo1", "工事場所"}, {"MYMD2", "工事期間"},
                                                  {"MYMD3", "工事期間"},   {"MKigen1", "有効期限"},
                                                  {"MTanto1", "担当"},     {"ZRitu", "消費税率"}};
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
        it.value()->SetFieldName(kNames.value(it.key(), QStringLiteral("備考")));
        it.value()->SetRefusalHandler(handler);
    }
    tell_ = handler;
}

void CoverPanel::ShowDocument() {
    for (auto it = fields_.begin(); it != fields_.end(); ++it) {
        const auto text = document_.CoverText(it.key().toStdString());
        it.value()->SetCp932Text(text ? *text : std::string());
    }
    checkBox1_->setChecked(document_.CheckBox1());
    checkBox2_->setChecked(document_.CheckBox2());
    honorificWarning_.Seen(mName1_->currentText().toStdString());
}

void CoverPanel::SetHistories(const std::vector<std::string>& customers,
                              const std::vector<std::string>& titles) {
    for (auto [combo, list] : {std::pair{mName1_, &customers}, std::pair{mTitle1_, &titles}}) {
        const QString text = combo->currentText();
        combo->clear();
        for (const std::string& entry : *list) {
            if (HasText(entry)) combo->addItem(Shown(entry));
        }
        combo->setCurrentIndex(-1);
        static_cast<TypedLineEdit*>(combo->lineEdit())
            ->SetCp932Text(QStringToCp932(text).value_or(std::string()));
    }
}

void CoverPanel::ShowCompany(const Environment& environment) {
    auto field = [&environment](CompanyField f) {
        return Shown(TrimmedRight(environment.Company(0, f)));
    };
    const QStringList lines = {field(CompanyField::Name1),
                               field(CompanyField::Name2),
                               QStringLiteral("  ") + field(CompanyField::Representative),
                               field(CompanyField::PostalCode),
                               field(CompanyField::Address1),
                               field(CompanyField::Address2),
                               QStringLiteral("  ") + field(CompanyField::Tel),
                               QStringLiteral("  ") + field(CompanyField::Fax),
                               QStringLiteral("  ") + field(CompanyField::PersonInCharge)};
    memo1_->setPlainText(lines.join(QLatin1Char('\n')));
    licsNM_->setText(field(CompanyField::Logo));
}

void CoverPanel::ShowTaxMessage(const Environment& environment) {
    sMesD_->setText(Shown(TrimmedRight(document_.CheckBox2() ? environment.TaxIncludedMessage()
                                                             : environment.TaxExcludedMessage())));
}

void CoverPanel::ShowTotal(const QString& total) { hGoukei01_->setText(total); }

void CoverPanel::SetPatternChoices(const QStringList& choices, int selected) {
    cbListMS_->clear();
    cbListMS_->addItems(choices);
    cbListMS_->setCurrentIndex(selected >= 0 && selected < choices.size() ? selected : 0);
}

bool CoverPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == groupMS_ && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        emit GroupMSClicked();
        return true;
    }
    return QFrame::eventFilter(watched, event);
}

}  // namespace quilto
