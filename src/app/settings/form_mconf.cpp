#include "app/settings/form_mconf.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>

#include "app/foundation/form_button.h"
#include "app/foundation/screen_fit.h"
#include "app/settings/byte_limit_validator.h"
#include "core/foundation/cp932.h"
#include "core/foundation/typed_text.h"
#include "core/settings/environment_dialog.h"
#include "core/settings/own_settings_fields.h"
#include "core/shell/program_state.h"

namespace quilto {
namespace {

// The captions of a company block's ten visible fields, in block order (the second name and
// address lines have none of their own).
constexpr const char* kBlockLabels[] = {"自社名称", "",       "自社郵便番号", "自社住所", "",
                                        "ＴＥＬ",   "ＦＡＸ", "代表者名",     "担当者名", "ロ ゴ"};

QString Shown(const std::string& cp932) { return Cp932ToQStringLossy(cp932); }

QLabel* MakeLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    return label;
}

}  // namespace

TFormMConf::TFormMConf(ProgramState& program, QWidget* parent)
    : QDialog(parent), program_(program) {
    setObjectName("FormMConf");
    setWindowTitle(QStringLiteral("環境設定"));
    setModal(true);

    auto* layout = new QVBoxLayout(this);
    pageControl1_ = new QTabWidget(this);
    pageControl1_->setObjectName("PageControl1");
    pageControl1_->addTab(BuildCompanyTab(), QStringLiteral("会社情報"));
    pageControl1_->addTab(BuildOptionsTab(), QStringLiteral("その他"));
    pageControl1_->widget(0)->setObjectName("TabSheet1");
    pageControl1_->widget(1)->setObjectName("TabSheet2");
    layout->addWidget(pageControl1_);

    auto* bottom = new QHBoxLayout;
    bottom->addWidget(MakeLabel(QStringLiteral("F12: タブ切替    Esc: 閉じる (保存します)"), this));
    bottom->addStretch();
    QPushButton* button1 = MakeButton("Button1", QStringLiteral("閉じる"), this);
    button1->setMinimumWidth(110);
    connect(button1, &QPushButton::clicked, this, &QDialog::close);
    bottom->addWidget(button1);
    layout->addLayout(bottom);

    // The tabs are switched with F12 or the mouse; the focus walks the fields only.
    for (QTabBar* bar : findChildren<QTabBar*>()) bar->setFocusPolicy(Qt::NoFocus);
    // The dialog sees every key before its fields.
    for (QWidget* child : findChildren<QWidget*>()) {
        if (child->focusPolicy() != Qt::NoFocus) child->installEventFilter(this);
    }
}

// --- Layout -------------------------------------------------------------------------------

QWidget* TFormMConf::BuildCompanyTab() {
    auto* tab = new QWidget;
    auto* layout = new QVBoxLayout(tab);
    pageControl2_ = new QTabWidget(tab);
    pageControl2_->setObjectName("PageControl2");
    const char* titles[] = {"< 表示・印刷用 >", "社名 1", "社名 2", "社名 3"};
    for (int block = 0; block < 4; ++block) {
        QWidget* page = BuildCompanyPage(block);
        page->setObjectName(QStringLiteral("TabSheet%1").arg(block + 3));
        pageControl2_->addTab(page, QString::fromUtf8(titles[block]));
    }
    layout->addWidget(pageControl2_);
    return tab;
}

QWidget* TFormMConf::BuildCompanyPage(int block) {
    auto* page = new QWidget;
    auto* layout = new QHBoxLayout(page);
    auto* left = new QVBoxLayout;
    if (block == 0) {
        auto* heading =
            MakeLabel(QStringLiteral("<< 以下の内容が、見積作成・印刷で使用されます。 >>"), page);
        heading->setObjectName("Label0");
        left->addWidget(heading);
    }
    auto* grid = new QGridLayout;
    const std::vector<std::string> controls = CompanyBlockControls(block);
    for (std::size_t i = 0; i < controls.size(); ++i) {
        const QString label = QString::fromUtf8(kBlockLabels[i]);
        const QString field = label.isEmpty() ? QString::fromUtf8(kBlockLabels[i - 1]) : label;
        AddRow(grid, static_cast<int>(i), label, AddEdit(controls[i], field, page));
    }
    if (block == 0) {
        // The firm's own, not one of the blocks: kept in quilto.conf, printed on invoices.
        auto* invoice = new QWidget(page);
        auto* row = new QHBoxLayout(invoice);
        row->setContentsMargins(0, 0, 0, 0);
        registrationNumber_ = AddOwnEdit(kRegistrationNumberControl, 20, invoice);
        registrationNumber_->setPlaceholderText(QStringLiteral("T1234567890123"));
        row->addWidget(registrationNumber_);
        row->addWidget(
            MakeLabel(QStringLiteral("(適格請求書の登録番号：T＋13桁。ない場合は空欄)"), invoice));
        AddRow(grid, static_cast<int>(controls.size()), QStringLiteral("登録番号"), invoice);
    }
    left->addLayout(grid);
    left->addStretch();
    layout->addLayout(left);

    auto* right = new QVBoxLayout;
    if (block == 0) {
        auto* note = new QFrame(page);
        note->setObjectName("NotePanel");
        note->setFrameShape(QFrame::StyledPanel);
        auto* lines = new QVBoxLayout(note);
        for (const char* line : {"このデータには社名１", "～", "社名３のデータが",
                                 "上書きされますので", "御注意下さい。"}) {
            lines->addWidget(MakeLabel(QString::fromUtf8(line), note));
        }
        right->addWidget(note);
        // Four further lines of the printed block that the dialog keeps but never shows.
        for (int i = 10; i <= 13; ++i) {
            AddEdit("Edit" + std::to_string(i), QString(), page)->hide();
        }
    } else {
        const std::string name = "Button" + std::to_string(block + 3);
        QPushButton* use =
            MakeButton(name.c_str(), QStringLiteral("社名 %1 を使用する。").arg(block), page);
        connect(use, &QPushButton::clicked, this, [this, block] {
            UseCompanyBlock(program_.environment.Settings(), block);
            ShowSettings();
        });
        right->addStretch();
        right->addWidget(use);
    }
    right->addStretch();
    layout->addLayout(right);
    return page;
}

QWidget* TFormMConf::BuildOptionsTab() {
    auto* tab = new QWidget;
    auto* columns = new QHBoxLayout(tab);
    auto* left = new QVBoxLayout;
    left->addWidget(BuildCaptionGroup());
    left->addWidget(BuildMessageGroup());
    left->addStretch();
    columns->addLayout(left);

    auto* right = new QVBoxLayout;
    QCheckBox* decimals = AddCheck("CheckBox2", QStringLiteral("数量小数点(.99)"), tab);
    decimals->setToolTip(QStringLiteral("チェック有り=2桁 , 無し=1桁"));
    right->addWidget(decimals);
    right->addWidget(MakeLabel(QStringLiteral("(総括書/明細書が対象になります。)"), tab));

    struct Rounding {
        const char* name;
        const char* group;
        const char* hint;
    };
    for (const Rounding& r :
         {Rounding{"Hasu", "< 税 端数処理 >", "表紙の見積金額の税計算が対象"},
          Rounding{"Hasu2", "< 明細金額 端数処理 >", "明細金額の数量*単価の金額計算が対象"}}) {
        auto* group = new QGroupBox(QString::fromUtf8(r.group), tab);
        auto* box = new QVBoxLayout(group);
        QComboBox* combo = AddRounding(r.name, QString::fromUtf8(r.group), group);
        combo->setToolTip(QString::fromUtf8(r.hint));
        box->addWidget(combo);
        right->addWidget(group);
    }

    auto* discount = new QGroupBox(QStringLiteral("< 値引表記(総括/内訳) >"), tab);
    auto* discountBox = new QVBoxLayout(discount);
    discountBox->addWidget(
        AddCheck("Chk_Nebi", QStringLiteral("出力時に \"-\" を付加。"), discount));
    right->addWidget(discount);
    right->addWidget(BuildPatternGroup());

    auto* rate = new QHBoxLayout;
    rate->addWidget(MakeLabel(QStringLiteral("設定消費税："), tab));
    QLineEdit* zratio = AddEdit("Zratio1", QStringLiteral("設定消費税"), tab);
    zratio->setAlignment(Qt::AlignRight);
    ByteLimitValidator::AcceptDigitsOnly(zratio);
    rate->addWidget(zratio);
    rate->addWidget(MakeLabel(QStringLiteral("％"), tab));
    rate->addStretch();
    right->addLayout(rate);

    auto* welfare = new QHBoxLayout;
    welfare->addWidget(MakeLabel(QStringLiteral("法定福利費率："), tab));
    welfareRate_ = AddOwnEdit(kWelfareRateControl, 6, tab);
    welfareRate_->setAlignment(Qt::AlignRight);
    welfareRate_->setToolTip(QStringLiteral("明細書の「法定福利費の行」が使う率"));
    welfare->addWidget(welfareRate_);
    welfare->addWidget(MakeLabel(QStringLiteral("％ (労務費に対する)"), tab));
    welfare->addStretch();
    right->addLayout(welfare);
    right->addStretch();
    columns->addLayout(right);

    // Kept as stored, never shown: the thousands separator and the other-trade option.
    AddCheck("CheckBox1", QStringLiteral("数値カンマ付加"), tab)->hide();
    AddCheck("Chk_Gyo", QStringLiteral("建設業以外はチェック"), tab)->hide();
    return tab;
}

QWidget* TFormMConf::BuildCaptionGroup() {
    auto* group = new QGroupBox(QStringLiteral("< 名 称 >"));
    auto* grid = new QGridLayout(group);
    struct Caption {
        const char* name;
        const char* label;
    };
    const Caption captions[] = {{"Syokei", "小    計"},
                                {"Nebiki", "値   引"},
                                {"Nakakei", "計"},
                                {"Zei", "消費税"},
                                {"Goukei", "合   計"}};
    int row = 0;
    for (const Caption& c : captions) {
        const QString label = QString::fromUtf8(c.label);
        AddRow(grid, row++, label, AddEdit(c.name, label, group));
    }
    auto* buttons = new QHBoxLayout;
    for (int style = 1; style <= 2; ++style) {
        const std::string name = "Button" + std::to_string(style + 1);
        QPushButton* button = MakeButton(name.c_str(), QStringLiteral("標準 %1").arg(style), group);
        connect(button, &QPushButton::clicked, this, [this, style] {
            SetStandardCaptions(program_.environment.Settings(), style);
            ShowSettings();
        });
        buttons->addWidget(button);
    }
    grid->addLayout(buttons, row, 1);
    return group;
}

QWidget* TFormMConf::BuildMessageGroup() {
    auto* group = new QGroupBox(QStringLiteral("< 消費税メッセージ設定 >"));
    auto* box = new QVBoxLayout(group);
    box->addWidget(MakeLabel(QStringLiteral("< 消費税が含まれています。 >"), group));
    box->addWidget(AddEdit("SMes01", QStringLiteral("消費税メッセージ"), group));
    box->addWidget(MakeLabel(QStringLiteral("< 消費税は含まれていません。 >"), group));
    box->addWidget(AddEdit("SMes02", QStringLiteral("消費税メッセージ"), group));
    QPushButton* standard = MakeButton("BitBtn1", QStringLiteral("標準"), group);
    connect(standard, &QPushButton::clicked, this, [this] {
        SetStandardTaxMessages(program_.environment.Settings());
        ShowSettings();
    });
    auto* row = new QHBoxLayout;
    row->addStretch();
    row->addWidget(standard);
    box->addLayout(row);
    return group;
}

QWidget* TFormMConf::BuildPatternGroup() {
    auto* group = new QGroupBox(QStringLiteral("< 帳票パターン名設定 >"));
    auto* grid = new QGridLayout(group);
    grid->addWidget(MakeLabel(QStringLiteral("見積/請求書パターン名"), group), 0, 0, 1, 2);
    const char* labels[] = {"標準ﾊﾟﾀｰﾝ", "ﾊﾟﾀｰﾝ(1)", "ﾊﾟﾀｰﾝ(2)"};
    for (int i = 0; i < 3; ++i) {
        const QString label = QString::fromUtf8(labels[i]);
        AddRow(grid, i + 1, label, AddEdit("Pat" + std::to_string(i + 1), label, group));
    }
    grid->addWidget(MakeLabel(QStringLiteral("(1)-(3)の数は設定により変動"), group), 4, 0, 1, 2);
    return group;
}

void TFormMConf::AddRow(QGridLayout* grid, int row, const QString& label, QWidget* field) {
    grid->addWidget(MakeLabel(label, field->parentWidget()), row, 0);
    grid->addWidget(field, row, 1, Qt::AlignLeft);
}

QLineEdit* TFormMConf::AddEdit(const std::string& name, const QString& field, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromStdString(name));
    const int limit = InputLimit(name);
    // Wide enough for the bytes the field takes, a double-byte character being two.
    const int byteWidth = edit->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    edit->setFixedWidth(byteWidth * (std::max(limit, 2) + 2) + 8);
    if (limit > 0) {
        ByteLimitValidator::Attach(edit, limit, field, [this](const QString& message) {
            program_.questions.Inform(message.toStdString());
        });
    }
    connect(edit, &QLineEdit::textEdited, this, [this, name](const QString& text) {
        if (auto bytes = TypedTextToCp932(text))
            program_.environment.Settings().SetText(name, *bytes);
    });
    edits_[name] = edit;
    return edit;
}

QLineEdit* TFormMConf::AddOwnEdit(const char* name, int maxLength, QWidget* parent) {
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(QString::fromLatin1(name));
    edit->setMaxLength(maxLength);
    const int charWidth = edit->fontMetrics().horizontalAdvance(QLatin1Char('0'));
    edit->setFixedWidth(charWidth * (maxLength + 2) + 8);
    return edit;
}

QComboBox* TFormMConf::AddRounding(const std::string& name, const QString& field, QWidget* parent) {
    auto* combo = new QComboBox(parent);
    combo->setObjectName(QString::fromStdString(name));
    combo->setEditable(true);
    combo->setInsertPolicy(QComboBox::NoInsert);
    for (int code = 0; code <= 2; ++code) combo->addItem(Shown(RoundingChoiceText(code)));
    combo->setMinimumWidth(
        combo->fontMetrics().horizontalAdvance(QStringLiteral("0000000000000000")));
    // Its own items are taken whole when chosen from the list; what is typed counts bytes.
    QStringList choices;
    for (int i = 0; i < combo->count(); ++i) choices.append(combo->itemText(i));
    ByteLimitValidator::Attach(
        combo->lineEdit(), InputLimit(name), field,
        [this](const QString& message) { program_.questions.Inform(message.toStdString()); },
        choices);
    connect(combo, &QComboBox::currentTextChanged, this, [this, name](const QString& text) {
        if (filling_) return;
        if (auto bytes = TypedTextToCp932(text))
            program_.environment.Settings().SetText(name, *bytes);
    });
    combos_[name] = combo;
    return combo;
}

QCheckBox* TFormMConf::AddCheck(const std::string& name, const QString& caption, QWidget* parent) {
    auto* check = new QCheckBox(caption, parent);
    check->setObjectName(QString::fromStdString(name));
    connect(check, &QCheckBox::toggled, this, [this, name](bool on) {
        if (!filling_) program_.environment.Settings().SetChecked(name, on);
    });
    checks_[name] = check;
    return check;
}

// --- Behaviour ----------------------------------------------------------------------------

void TFormMConf::ShowSettings() {
    filling_ = true;
    const EnvironmentSettings& settings = program_.environment.Settings();
    for (auto& [name, edit] : edits_)
        ByteLimitValidator::ShowText(edit, Shown(settings.Text(name)));
    for (auto& [name, combo] : combos_) {
        ByteLimitValidator::ShowText(combo->lineEdit(), Shown(settings.Text(name)));
    }
    for (auto& [name, check] : checks_) check->setChecked(settings.Checked(name));
    filling_ = false;
}

void TFormMConf::showEvent(QShowEvent* event) {
    OpenEnvironmentSettings(program_.environment);
    ShowSettings();
    std::string message;
    if (!OpenOwnSettingsFields(&storedOwn_, &message)) program_.questions.Inform(message);
    const OwnSettingsFields own = OwnSettingsFieldsOf(storedOwn_);
    registrationNumber_->setText(QString::fromStdString(own.registrationNumber));
    welfareRate_->setText(QString::fromStdString(own.welfareRate));
    pageControl1_->setCurrentIndex(0);
    pageControl2_->setCurrentIndex(0);
    QDialog::showEvent(event);
    if (!event->spontaneous()) PlaceOnScreen(this, pos());
    edits_.at("Edit1")->setFocus();
}

bool TFormMConf::SaveOwnFields() {
    const OwnSettingsFields typed{registrationNumber_->text().toStdString(),
                                  welfareRate_->text().toStdString()};
    const OwnSettingsCheck check = CheckOwnSettingsFields(typed, storedOwn_);
    if (!check.message.empty()) program_.questions.Inform(check.message);
    if (!check.accepted) {
        GoToField(check.control == kWelfareRateControl ? welfareRate_ : registrationNumber_);
        return false;
    }
    std::string message;
    if (!SaveOwnSettingsFields(typed, &message)) program_.questions.Inform(message);
    return true;
}

void TFormMConf::GoToField(QLineEdit* field) {
    const bool options = field == welfareRate_;
    pageControl1_->setCurrentIndex(options ? 1 : 0);
    if (!options) pageControl2_->setCurrentIndex(0);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void TFormMConf::done(int result) {
    // A registration number of the wrong form would go onto every invoice: the dialog
    // stays open until it is put right or cleared.
    if (!SaveOwnFields()) return;
    std::string message;
    if (!SaveEnvironmentSettings(program_.environment, &message)) {
        program_.questions.Inform(message);
    }
    QDialog::done(result);
    emit SettingsClosed();
}

bool TFormMConf::eventFilter(QObject* watched, QEvent* event) {
    auto* widget = qobject_cast<QWidget*>(watched);
    if (widget && event->type() == QEvent::KeyPress) {
        if (HandleKey(widget, static_cast<QKeyEvent*>(event))) return true;
    }
    if (widget && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        // Leaving a rounding drop-down shows the standard item of what it holds.
        for (auto& [name, combo] : combos_) {
            if (widget != combo) continue;
            NormaliseRoundingChoice(program_.environment.Settings(), name);
            filling_ = true;
            ByteLimitValidator::ShowText(combo->lineEdit(),
                                         Shown(program_.environment.Settings().Text(name)));
            filling_ = false;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFormMConf::HandleKey(QWidget* watched, QKeyEvent* event) {
    // An editable drop-down keeps the focus itself; its line edit only shows the text.
    QComboBox* combo = qobject_cast<QComboBox*>(watched);
    const bool listOpen = combo && combo->view()->isVisible();
    if (listOpen) return false;
    const int key = event->key();
    const bool modified = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
    switch (key) {
        case Qt::Key_Escape:
            close();
            return true;
        case Qt::Key_F12:
            SwitchTab();
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Down:
            if (modified) return false;
            MoveFocus(true);
            return true;
        case Qt::Key_Up: {
            if (modified) return false;
            const bool textField = combo || qobject_cast<QLineEdit*>(watched);
            if (combo || (textField && watched != edits_.at("Edit1"))) MoveFocus(false);
            // A drop-down with its list closed never takes Up; a field keeps it otherwise.
            return combo != nullptr || textField;
        }
        default:
            return false;
    }
}

void TFormMConf::MoveFocus(bool next) { focusNextPrevChild(next); }

void TFormMConf::SwitchTab() {
    const int index = pageControl1_->currentIndex() == 0 ? 1 : 0;
    pageControl1_->setCurrentIndex(index);
    if (index == 0) {
        const int block = pageControl2_->currentIndex();
        edits_.at(CompanyBlockControls(block).front())->setFocus(Qt::TabFocusReason);
    } else {
        edits_.at("Syokei")->setFocus(Qt::TabFocusReason);
    }
}

}  // namespace quilto
