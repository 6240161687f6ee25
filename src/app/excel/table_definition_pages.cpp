#include "app/excel/table_definition_pages.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTabWidget>
#include <QVBoxLayout>
#include <initializer_list>
#include <string>

namespace quilto {
namespace {

struct Item {
    const char* name;
    const char* label;
    bool hidden = false;  // loaded and saved, never shown
};

constexpr int kLabelWidth = 118;

// A group of fields in `columns` columns of label-field pairs, read down each column. A
// field's label is its buddy, named after it ("HName1Label"); a hidden field hides it too.
QGroupBox* Group(const char* title, std::initializer_list<Item> items, int columns, QWidget* parent,
                 const DefinitionFieldMaker& makeField) {
    auto* group = new QGroupBox(QString::fromUtf8(title), parent);
    auto* grid = new QGridLayout(group);
    grid->setHorizontalSpacing(8);
    grid->setVerticalSpacing(4);
    int shown = 0;
    for (const Item& item : items) shown += item.hidden ? 0 : 1;
    const int rows = (shown + columns - 1) / columns;
    int at = 0;
    for (const Item& item : items) {
        auto* label = new QLabel(QString::fromUtf8(item.label), group);
        label->setObjectName(QString::fromLatin1(item.name) + QStringLiteral("Label"));
        label->setMinimumWidth(kLabelWidth);
        QLineEdit* field = makeField(item.name, group);
        label->setBuddy(field);
        if (item.hidden) {
            label->hide();
            field->hide();
            continue;
        }
        const int row = at % rows;
        const int column = (at / rows) * 2;
        grid->addWidget(label, row, column);
        grid->addWidget(field, row, column + 1);
        ++at;
    }
    grid->setColumnStretch(columns * 2, 1);
    return group;
}

QLabel* Note(const char* text, QWidget* parent) {
    auto* note = new QLabel(QString::fromUtf8(text), parent);
    note->setStyleSheet(QStringLiteral("color: #800000;"));
    return note;
}

QWidget* Page(QWidget* parent) {
    auto* page = new QWidget(parent);
    auto* layout = new QVBoxLayout(page);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->setSpacing(6);
    return page;
}

void Add(QWidget* page, QWidget* widget) { page->layout()->addWidget(widget); }

QWidget* Row(QWidget* parent, std::initializer_list<QWidget*> widgets) {
    auto* row = new QWidget(parent);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    for (QWidget* widget : widgets) {
        widget->setParent(row);
        layout->addWidget(widget, 0, Qt::AlignTop);
    }
    layout->addStretch(1);
    return row;
}

QWidget* CoverPage(QWidget* parent, const DefinitionFieldMaker& make) {
    QWidget* page = Page(parent);
    Add(page, Row(page, {Group("< 見積内容 >",
                               {{"HMno", "管理番号"},
                                {"HMBango", "見積番号"},
                                {"HName1", "お客様名"},
                                {"HName2", "お客様名２", true},
                                {"HTitle1", "工事名称"},
                                {"HBasyo1", "工事場所"},
                                {"HYMD2", "工事期間 (自)"},
                                {"HYMD3", "工事期間 (至)"},
                                {"HKigen1", "有効期限"},
                                {"HTanto1", "担当"},
                                {"HYMD1", "見積作成日"}},
                               1, page, make),
                         Group("< 備 考 >",
                               {{"HBiko01", "備考１"},
                                {"HBiko02", "備考２"},
                                {"HBiko03", "備考３"},
                                {"HBiko04", "備考４"},
                                {"HBiko05", "備考５"}},
                               1, page, make),
                         Group("< 自社情報 >",
                               {{"HJName1", "自社名１"},
                                {"HJName2", "自社名２"},
                                {"HJUbin", "郵便番号"},
                                {"HJJyu1", "住所１"},
                                {"HJJyu2", "住所２"},
                                {"HJTel", "ＴＥＬ"},
                                {"HJFax", "ＦＡＸ"},
                                {"HJDaihyo", "代表者"},
                                {"HJTanto", "担当者", true},
                                {"Hadd2", "ロゴ印刷"}},
                               1, page, make)}));
    QGroupBox* total = Group("< 見積合計 >", {{"HGoukei", "見積合計"}}, 1, page, make);
    // The amounts before tax and of the tax sit on a panel of their own.
    QGroupBox* taxPanel =
        Group("< 税抜額・税額 >", {{"HGoukei1", "税抜額"}, {"HGoukei2", "税額"}}, 1, page, make);
    taxPanel->setObjectName("TaxPanel");
    QGroupBox* message = Group("< 消費税 >", {{"Hadd1", "消費税有無の表示"}}, 1, page, make);
    Add(page, Row(page, {total, taxPanel, message}));

    auto* note = new QPlainTextEdit(page);
    note->setObjectName("Memo1");
    note->setReadOnly(true);
    note->setFocusPolicy(Qt::NoFocus);
    note->setPlainText(
        QStringLiteral("【 セル名称入力 】\n"
                       "  例)  A1  A29  AA120  BC25\n"
                       "     等 EXCEL の表仕様に準拠。 （桁数 = ５桁）\n"
                       "     セル名を設定しない場合は、出力なし。"));
    note->setFixedSize(360, 90);
    Add(page, note);
    static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
    return page;
}

// A summary, breakdown or detail tab: the line cells, the page cells, and the cells that
// only the cost print uses beside those that only the normal print uses.
QWidget* SheetPage(QWidget* parent, QGroupBox* lines, QGroupBox* pageCells, QGroupBox* costCells,
                   QGroupBox* plainCells) {
    QWidget* page = Page(parent);
    for (QGroupBox* group : {lines, pageCells, costCells, plainCells}) group->setParent(page);
    Add(page, Row(page, {lines, pageCells}));
    Add(page, Row(page, {costCells, plainCells}));
    Add(page, Note("< 原価あり > は原価印刷時に使用されます。", page));
    static_cast<QVBoxLayout*>(page->layout())->addStretch(1);
    return page;
}

QWidget* SummaryPage(QWidget* parent, const DefinitionFieldMaker& make) {
    return SheetPage(
        parent,
        Group("< 明細行 >",
              {{"GyoF1", "行数 (01～99)"},
               {"FGBan", "番号"},
               {"FName", "名称"},
               {"FTanni", "単位"},
               {"FSuu", "数量"},
               {"FUtanka", "単価"},
               {"FUgou", "金額"}},
              1, parent, make),
        Group("< 頁 >", {{"FPage1", "ページ"}, {"Fadd2", "ロゴ印刷"}}, 1, parent, make),
        Group(
            "< 原価あり >",
            {{"FStanka", "原単価"}, {"FSGou", "原価"}, {"FRes02", "粗利率"}, {"FTekiyo1", "摘要"}},
            1, parent, make),
        Group("< 原価なし >", {{"FTekiyo2", "摘要"}}, 1, parent, make));
}

QWidget* BreakdownPage(QWidget* parent, const DefinitionFieldMaker& make) {
    return SheetPage(
        parent,
        Group("< 明細行 >",
              {{"GyoD1", "行数 (01～99)"},
               {"DGBan", "番号"},
               {"DName", "名称"},
               {"DTanni", "単位"},
               {"DSuu", "数量"},
               {"DUgou", "金額"},
               {"DSGou", "予備", true}},
              1, parent, make),
        Group("< 頁 >", {{"DPage1", "ページ"}, {"Dadd2", "ロゴ印刷"}}, 1, parent, make),
        Group("< 原価あり >", {{"DStanka", "原価"}, {"DRes02", "粗利率"}, {"DTekiyo1", "摘要"}}, 1,
              parent, make),
        Group("< 原価なし >", {{"DTekiyo2", "摘要"}}, 1, parent, make));
}

QWidget* DetailPage(QWidget* parent, const DefinitionFieldMaker& make) {
    QWidget* page = SheetPage(parent,
                              Group("< 明細行 >",
                                    {{"GyoE1", "行数 (01～99)"},
                                     {"EGBan", "番号"},
                                     {"EName", "名称"},
                                     {"EKikaku", "規格"},
                                     {"ETanni", "単位"},
                                     {"ESuu", "数量"},
                                     {"EUtanka", "単価"},
                                     {"EUgou", "金額"}},
                                    1, parent, make),
                              Group("< 頁 >",
                                    {{"EPage1", "ページ"},
                                     {"Eadd1", "工事名"},
                                     {"HBKsep", "番号-工事 セパレータ"},
                                     {"Eadd2", "ロゴ印刷"}},
                                    1, parent, make),
                              Group("< 原価あり >",
                                    {{"EStanka", "原単価"},
                                     {"ESgou", "原価"},
                                     {"ERes02", "粗利率"},
                                     {"ETekiyo1", "摘要"},
                                     {"EKTan", "歩掛単価", true},
                                     {"EKake", "歩掛け", true}},
                                    1, parent, make),
                              Group("< 原価なし >", {{"ETekiyo2", "摘要"}}, 1, parent, make));
    // The separator's own note, beside its field.
    if (auto* separator = page->findChild<QLineEdit*>(QStringLiteral("HBKsep"))) {
        auto* grid = static_cast<QGridLayout*>(separator->parentWidget()->layout());
        int row = 0, column = 0, rowSpan = 0, columnSpan = 0;
        grid->getItemPosition(grid->indexOf(separator), &row, &column, &rowSpan, &columnSpan);
        grid->addWidget(new QLabel(QStringLiteral("(- : 空白)"), separator->parentWidget()), row,
                        column + 1);
    }
    return page;
}

// The free-form heading blocks (かがみ) of part A or B: prefix "SA1" or "SB1".
QGroupBox* HeadingGroup(const char* title, const std::string& p, QWidget* parent,
                        const DefinitionFieldMaker& make) {
    // The names outlive the group: the fields copy them into their object names.
    const std::string n[] = {p + "HMno",      p + "HTitle1", p + "HName1",   p + "HYMD1",
                             p + "HGoukeiU",  p + "Hadd1",   p + "Hadd2",    p + "HJName1",
                             p + "HJName2",   p + "HJUbin",  p + "HJJyu1",   p + "HJJyu2",
                             p + "HJTel",     p + "HJFax",   p + "HJDaihyo", p + "HJTanto",
                             p + "HJTouroku", p + "HZRitu",  p + "HZTaisyo", p + "HZGaku"};
    return Group(title,
                 {{n[0].c_str(), "請求番号"},
                  {n[1].c_str(), "件名"},
                  {n[2].c_str(), "お客様名"},
                  {n[3].c_str(), "請求日"},
                  {n[4].c_str(), "請求金額"},
                  {n[5].c_str(), "消費税有無の表示"},
                  {n[6].c_str(), "ロゴ印刷"},
                  {n[7].c_str(), "自社名１"},
                  {n[8].c_str(), "自社名２"},
                  {n[9].c_str(), "郵便番号"},
                  {n[10].c_str(), "住所１"},
                  {n[11].c_str(), "住所２"},
                  {n[12].c_str(), "ＴＥＬ"},
                  {n[13].c_str(), "ＦＡＸ"},
                  {n[14].c_str(), "代表者"},
                  {n[15].c_str(), "担当者"},
                  // What makes the output a qualified invoice (適格請求書).
                  {n[16].c_str(), "登録番号"},
                  {n[17].c_str(), "税率区分"},
                  {n[18].c_str(), "税率別対象額"},
                  {n[19].c_str(), "税率別消費税"}},
                 2, parent, make);
}

// The line cells of a free-form page: prefix "SA1", "SB1", "SA2" or "SB2".
QGroupBox* LineGroup(const char* title, const std::string& p, QWidget* parent,
                     const DefinitionFieldMaker& make) {
    const std::string n[] = {p + "LinP1",  p + "GBan",  p + "Name",   p + "Kikaku",
                             p + "Tanni",  p + "Suu",   p + "Utanka", p + "Ugou",
                             p + "Tekiyo", p + "Page1", p + "add2"};
    return Group(title,
                 {{n[0].c_str(), "行数 (01～99)"},
                  {n[1].c_str(), "番号"},
                  {n[2].c_str(), "名称"},
                  {n[3].c_str(), "規格"},
                  {n[4].c_str(), "単位"},
                  {n[5].c_str(), "数量"},
                  {n[6].c_str(), "単価"},
                  {n[7].c_str(), "金額"},
                  {n[8].c_str(), "摘要"},
                  {n[9].c_str(), "ページ"},
                  {n[10].c_str(), "ロゴ印刷"}},
                 1, parent, make);
}

QGroupBox* TotalsGroup(const std::string& p, QWidget* parent, const DefinitionFieldMaker& make) {
    const std::string n[] = {p + "HSkei", p + "HNebiki", p + "HNakakei", p + "HZei", p + "HGoukei"};
    return Group("< 下部合計部 >",
                 {{n[0].c_str(), "計"},
                  {n[1].c_str(), "値引"},
                  {n[2].c_str(), "中計"},
                  {n[3].c_str(), "消費税"},
                  {n[4].c_str(), "税込合計"}},
                 1, parent, make);
}

void AddFreeFormNotes(QWidget* page) {
    Add(page, Note("※ フリー書式は主に請求書等に利用できます。", page));
    Add(page, Note("※単価は総括書のみ有効。", page));
    Add(page, Note("* 同一セル名にすることで、単独セルに名称/規格を表示可能。", page));
}

}  // namespace

DefinitionPages BuildDefinitionPages(QWidget* parent, const DefinitionFieldMaker& make) {
    DefinitionPages pages;
    pages.pages = new QTabWidget(parent);
    pages.pages->setObjectName("PageControl1");
    pages.pages->addTab(CoverPage(pages.pages, make), QStringLiteral("表 紙"));
    pages.pages->addTab(SummaryPage(pages.pages, make), QStringLiteral("総括書"));
    pages.pages->addTab(BreakdownPage(pages.pages, make), QStringLiteral("内訳書"));
    pages.pages->addTab(DetailPage(pages.pages, make), QStringLiteral("明細書"));

    // First free-form page: the heading blocks, then the first page's lines and totals.
    QWidget* first = Page(pages.pages);
    pages.freePages = new QTabWidget(first);
    pages.freePages->setObjectName("PageControl2");
    QWidget* heading = Page(pages.freePages);
    Add(heading, Row(heading, {HeadingGroup("<Ａ総括書・内訳書 >", "SA1", heading, make),
                               HeadingGroup("<Ｂ明細書 >", "SB1", heading, make)}));
    static_cast<QVBoxLayout*>(heading->layout())->addStretch(1);
    QWidget* lines = Page(pages.freePages);
    Add(lines,
        Row(lines,
            {LineGroup("<Ａ総括書・内訳書 >", "SA1", lines, make), TotalsGroup("SA1", lines, make),
             LineGroup("<Ｂ明細書 >", "SB1", lines, make), TotalsGroup("SB1", lines, make)}));
    static_cast<QVBoxLayout*>(lines->layout())->addStretch(1);
    pages.freePages->addTab(heading, QStringLiteral("かがみ部"));
    pages.freePages->addTab(lines, QStringLiteral("明細部"));
    Add(first, pages.freePages);
    AddFreeFormNotes(first);
    pages.pages->addTab(first, QStringLiteral("*フリー書式１頁*"));

    QWidget* second = Page(pages.pages);
    Add(second, Row(second, {LineGroup("<Ａ総括書・内訳書 >", "SA2", second, make),
                             LineGroup("<Ｂ明細書 >", "SB2", second, make)}));
    AddFreeFormNotes(second);
    static_cast<QVBoxLayout*>(second->layout())->addStretch(1);
    pages.pages->addTab(second, QStringLiteral("*フリー書式２頁*"));
    return pages;
}

}  // namespace quilto
