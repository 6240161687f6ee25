#include "app/editor/editor_menus.h"

#include <QAction>
#include <QHBoxLayout>
#include <QMenu>
#include <QToolButton>

namespace quilto {

namespace {

QAction* Add(QMenu* menu, QWidget* form, const char* name, const char* caption,
             const QKeySequence& key = {}) {
    auto* action = new QAction(QString::fromUtf8(caption), form);
    action->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
        action->setShortcut(key);
        action->setShortcutContext(Qt::WindowShortcut);
    }
    form->addAction(action);
    if (menu) menu->addAction(action);
    return action;
}

QToolButton* Speed(QWidget* bar, const char* name, const char* caption, const char* hint,
                   int width = 64) {
    auto* button = new QToolButton(bar);
    button->setObjectName(QString::fromLatin1(name));
    button->setText(QString::fromUtf8(caption));
    if (hint && *hint) button->setToolTip(QString::fromUtf8(hint));
    button->setFocusPolicy(Qt::NoFocus);
    button->setFixedSize(width, 38);
    button->setAutoRaise(false);
    return button;
}

}  // namespace

QMenuBar* BuildEditorMenuBar(QWidget* form, EditorActions& a) {
    auto* bar = new QMenuBar(form);
    bar->setObjectName("MainMenu1");
    bar->setNativeMenuBar(false);

    QMenu* file = bar->addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName("File1");
    a.new1 = Add(file, form, "New1", "見積新規作成(&N)");
    a.save1 = Add(file, form, "Save1", "上書き保存(&S)");
    file->addSeparator();
    a.xlsPrint1 =
        Add(file, form, "XlsPrint1", "エクセル出力(&P)...", QKeySequence(Qt::CTRL | Qt::Key_P));
    a.xlsSetup1 = Add(file, form, "XlsSetup1", "表出力ﾞ設定(&R)...");
    a.issueHistory1 = Add(file, form, "IssueHistory1", "発行履歴(&H)...");
    file->addSeparator();
    a.cancel = Add(file, form, "Cancel", "取り消し(&C)  画面消去");
    a.exit1 = Add(file, form, "Exit1", "終了(&X)");

    QMenu* edit = bar->addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName("Edit1Menu");
    a.undo1 = Add(edit, form, "Undo1", "元に戻す", QKeySequence(Qt::CTRL | Qt::Key_Z));
    a.redo1 = Add(edit, form, "Redo1", "やり直し", QKeySequence(Qt::CTRL | Qt::Key_Y));
    a.redo1->setShortcuts(
        {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    a.lins = Add(edit, form, "Grid_Lins1", "行挿入", QKeySequence(Qt::CTRL | Qt::Key_Insert));
    a.ldel = Add(edit, form, "Grid_Ldel1", "行削除", QKeySequence(Qt::CTRL | Qt::Key_Delete));
    edit->addSeparator();
    a.lCopy = Add(edit, form, "LCopy", "行コピー(&C)", QKeySequence(Qt::CTRL | Qt::Key_F1));
    a.lPast = Add(edit, form, "LPast", "行貼付け(&P)", QKeySequence(Qt::CTRL | Qt::Key_F2));
    a.lDup = Add(edit, form, "LDup", "上の行を複写(&D)", QKeySequence(Qt::CTRL | Qt::Key_F3));
    edit->addSeparator();
    a.mx = Add(edit, form, "MX1", "摘要隠し");
    a.guid1 = Add(edit, form, "Grid_guid1", "検索ガイド表示", QKeySequence(Qt::Key_F4));

    QMenu* lines = bar->addMenu(QStringLiteral("計算行(&K)"));
    lines->setObjectName("Lines1");
    a.syokei = Add(lines, form, "Grid_Syokei", "小計");
    a.nebiki = Add(lines, form, "Grid_Nebiki", "値引");
    a.nakakei = Add(lines, form, "Grid_Nakakei", "中計");
    a.zei = Add(lines, form, "Grid_Zei", "消費税");
    a.goukei = Add(lines, form, "Grid_Goukei", "合計");
    lines->addSeparator();
    a.welfare1 = Add(lines, form, "Welfare1", "法定福利費の行（明細書）(&W)...");

    QMenu* view = bar->addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName("View1");
    a.hyousi1 = Add(view, form, "Grid_Hyousi1", "表紙 切替", QKeySequence(Qt::Key_F11));
    a.meisai1 = Add(view, form, "Grid_meisai1", "明細 切替", QKeySequence(Qt::Key_F12));
    view->addSeparator();
    a.itemised1 = Add(view, form, "Itemised1", "材料費等内訳(&I)...",
                      QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_I));

    QMenu* settings = bar->addMenu(QStringLiteral("設定他(&S)"));
    settings->setObjectName("Settings1");
    a.sConf1 = Add(settings, form, "SConf1", "環境設定(&K)...",
                   QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F1));
    a.sSyo1 = Add(settings, form, "SSyo1", "名称登録(&M)...",
                  QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F2));

    QMenu* help = bar->addMenu(QStringLiteral("ヘルプ(&H)"));
    help->setObjectName("Help1");
    a.about1 = Add(help, form, "About1", "バージョン情報(&A)");

    // The pop-up of SubMenu1: line copy, paste, duplicate and the multiplier.
    a.popupMenu1 = new QMenu(form);
    a.popupMenu1->setObjectName("PopupMenu1");
    a.popupMenu1->addAction(a.lCopy);
    a.popupMenu1->addAction(a.lPast);
    a.popupMenu1->addAction(a.lDup);
    a.popupMenu1->addSeparator();
    a.kakeSet = Add(a.popupMenu1, form, "KakeSet", "【内訳書】 掛け率設定及び計算。");
    a.kakeRet = Add(a.popupMenu1, form, "KakeRet", "【内訳書】 設定前に戻す。");
    a.kakeSetS = Add(a.popupMenu1, form, "KakeSet_s", "【総括書】 掛け率設定及び計算。");
    a.kakeRetS = Add(a.popupMenu1, form, "KakeRet_s", "【総括書】 設定前に戻す。");
    return bar;
}

QWidget* BuildSpeedButtons(QWidget* form, EditorActions& a) {
    auto* bar = new QWidget(form);
    bar->setObjectName("SpeedBar");
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(4, 2, 4, 2);
    layout->setSpacing(3);
    a.saveBtn = Speed(bar, "SaveBTN", "保 存", "見積保存");
    a.cancelBtn = Speed(bar, "CancelBTN", "終 了", "見積作成終了 メニューへ");
    a.sbIns = Speed(bar, "SB_Ins", "行挿入", "");
    a.sbDel = Speed(bar, "SB_Del", "行削除", "");
    a.sbSyokei = Speed(bar, "SB_Syokei", "小 計", "", 52);
    a.sbNebiki = Speed(bar, "SB_Nebiki", "値 引", "", 52);
    a.sbNakakei = Speed(bar, "SB_Nakakei", "計", "", 52);
    a.sbZei = Speed(bar, "SB_Zei", "税", "", 52);
    a.sbGoukei = Speed(bar, "SB_Goukei", "合 計", "", 52);
    a.meisyoBtn1 = Speed(bar, "MeisyoBtn1", "名称選択", "工事名・商品名・単位名の検索", 76);
    a.mxBtn = Speed(bar, "MXBtn", "摘要隠し", "文字の先頭に // を付加して印刷時に出力しない。", 76);
    a.sbXls = Speed(bar, "SB_xls", "エクセル\n印  刷", "印 刷 (先に保存されます)", 76);
    a.subMenu1 = Speed(bar, "SubMenu1", "ｻﾌﾞﾒﾆｭｰ", "", 76);
    for (QWidget* w : {static_cast<QWidget*>(a.saveBtn), static_cast<QWidget*>(a.cancelBtn)}) {
        layout->addWidget(w);
    }
    layout->addSpacing(12);
    for (QToolButton* b : {a.sbIns, a.sbDel}) layout->addWidget(b);
    layout->addSpacing(12);
    for (QToolButton* b : {a.sbSyokei, a.sbNebiki, a.sbNakakei, a.sbZei, a.sbGoukei}) {
        layout->addWidget(b);
    }
    layout->addSpacing(12);
    for (QToolButton* b : {a.meisyoBtn1, a.mxBtn, a.sbXls, a.subMenu1}) layout->addWidget(b);
    layout->addStretch(1);
    return bar;
}

}  // namespace quilto
