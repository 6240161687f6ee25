#include "app/masters/form_msyo.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <memory>

#include "app/masters/masters_fixture.h"
#include "app/screenshot.h"
#include "app/shell/quilto_program.h"
#include "app/shell/shell_fixture.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/masters/product_import.h"
#include "support/marker_holder.h"

namespace quilto {
namespace {

using test::Child;
using test::MarkerHolder;
using test::ModalDriver;
using test::ReadAll;
using test::Sjis;
using test::Utf8;
using test::WriteAll;

class Registration : public test::MastersRun {
  protected:
    void Open() {
        form = std::make_unique<TFormMSyo>(state);
        form->SetFileChooser([this](const QString&) { return chosenFile; });
        form->open();
        form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    }
    QWidget* W() { return form.get(); }
    void Save(const char* button, const char* question) {
        questions.ExpectButtons(question, 1);
        Click(W(), button);
    }
    std::vector<std::string> StoredProducts() {
        MasterLists lists;
        LoadProducts(lists, state.environment);
        std::vector<std::string> rows;
        for (const std::string& line : lists.products) {
            const ProductFields f = ProductFieldsOf(line);
            rows.push_back(
                Utf8(Trimmed(f.constructionCode + f.productCode + "|" + TrimmedRight(f.name) + "|" +
                             TrimmedRight(f.specification) + "|" + TrimmedRight(f.unit) + "|" +
                             TrimmedRight(f.cost) + "|" + TrimmedRight(f.price) + "|" +
                             TrimmedRight(f.remarks))));
        }
        return rows;
    }

    std::unique_ptr<TFormMSyo> form;
    QString chosenFile;
};

TEST_F(Registration, RegistersAConstructionNameAndItsProductsAndChangesThem) {
    MasterLists lists;
    SetDefaultUnits(lists);
    WriteMasters(lists);
    Open();
    EXPECT_EQ(form->windowTitle(), "名称登録（マスター） ");
    EXPECT_EQ(Shown(W(), "TitlePanel"), "名称登録 （工事・商品・単位）");
    EXPECT_EQ(Shown(W(), "K_kensu"), "( 0/300 )");
    EXPECT_EQ(Shown(W(), "U_Kensu"), "( 8/100 )");
    EXPECT_EQ(Shown(W(), "S_kensu"), "");
    EXPECT_TRUE(Child<QPushButton>(W(), "K_sav")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(W(), "K_del")->isEnabled());
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));
    EXPECT_EQ(QApplication::focusWidget(), Child<QWidget>(W(), "K_NM1"));

    Type(W(), "K_NM1", "基礎工事");
    Save("K_sav", "工事名を保存します。");
    Type(W(), "K_NM1", "内装工事");
    Save("K_sav", "工事名を保存します。");
    EXPECT_EQ(Shown(W(), "K_NM1"), "");
    EXPECT_EQ(Shown(W(), "K_kensu"), "( 2/300 )");
    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), BuildConstructionLine("001", Sjis("基礎工事")) + "\r\n" +
                                              BuildConstructionLine("002", Sjis("内装工事")) +
                                              "\r\n");

    // Selecting a construction name readies a new product of it.
    ClickRow(W(), "K_LB1", 1);
    EXPECT_EQ(form->CurrentCode(), "002");
    EXPECT_EQ(Shown(W(), "K_NM1"), "内装工事");
    EXPECT_EQ(Shown(W(), "StatusBar1Panel0"), " 工事 = 002");
    EXPECT_EQ(Shown(W(), "Edit1"), "000001");
    EXPECT_EQ(Shown(W(), "S_kensu"), "( 0/30000 )");
    EXPECT_TRUE(Child<QPushButton>(W(), "K_del")->isEnabled());

    // A product typed field by field, saved with Enter in the remarks.
    Type(W(), "Edit2", "石膏ボード");
    Type(W(), "Edit3", "9.5mm 910×1820");
    Child<QComboBox>(W(), "CBUnit")->setFocus();
    TypeText(Child<QComboBox>(W(), "CBUnit")->lineEdit(), "枚");
    Type(W(), "MaskEdit1", "1a2,34");  // the letter and the comma are not taken
    Type(W(), "MaskEdit2", "1500");
    Type(W(), "EditBiko1", "不燃");
    EXPECT_EQ(Shown(W(), "MaskEdit2"), "1,500");  // shown grouped once left
    EXPECT_EQ(Shown(W(), "MaskEdit1"), "1,234");
    questions.ExpectButtons("商品を保存します。", 1);
    QTest::keyClick(Child<QWidget>(W(), "EditBiko1"), Qt::Key_Return);
    EXPECT_EQ(Shown(W(), "Edit1"), "000002");
    EXPECT_EQ(Shown(W(), "Edit2"), "");
    Type(W(), "Edit2", "断熱材");
    Click(W(), "S_sav");
    EXPECT_EQ(StoredProducts(), (std::vector<std::string>{
                                    "002000001|石膏ボード|9.5mm 910×1820|枚|1234|1500|不燃",
                                    "002000002|断熱材|||0|0|",
                                }));
    EXPECT_EQ(Items(W(), "S_LB1").size(), 2u);
    EXPECT_EQ(Items(W(), "S_LB1")[0], Utf8(PadRightBytes(Sjis("石膏ボード"), 26) + " " +
                                           PadRightBytes(Sjis("9.5mm 910×1820"), 30) + "000001"));

    // Selecting a product loads it; saving changes it in place.
    ClickRow(W(), "S_LB1", 0);
    EXPECT_TRUE(form->ProductEditMode());
    EXPECT_EQ(Shown(W(), "Edit2"), "石膏ボード");
    EXPECT_EQ(Shown(W(), "MaskEdit1"), "1,234");
    EXPECT_EQ(Shown(W(), "StatusBar1Panel2"), " 商品 = 000001");
    Type(W(), "Edit2", "強化石膏ボード");
    Click(W(), "S_sav");
    EXPECT_EQ(StoredProducts()[0], "002000001|強化石膏ボード|9.5mm 910×1820|枚|1234|1500|不燃");

    // Deleting the last product selects the new last one.
    ClickRow(W(), "S_LB1", 1);
    questions.ExpectButtons("商品を削除します。", 1);
    Click(W(), "S_del");
    EXPECT_EQ(StoredProducts().size(), 1u);
    EXPECT_EQ(Child<MasterListView>(W(), "S_LB1")->SelectedRow(), 0);

    // Saving while a construction name is selected renames it under its code.
    ClickRow(W(), "K_LB1", 1);
    Type(W(), "K_NM1", "内装仕上工事");
    Save("K_sav", "工事名を保存します。");
    EXPECT_EQ(form->CurrentCode(), "");
    EXPECT_TRUE(Items(W(), "S_LB1").empty());
    EXPECT_EQ(Utf8(ReadAll("MST/sp_Koji.dat")),
              Utf8(BuildConstructionLine("001", Sjis("基礎工事")) + "\r\n" +
                   BuildConstructionLine("002", Sjis("内装仕上工事")) + "\r\n"));

    // Deleting it takes its products along.
    ClickRow(W(), "K_LB1", 1);
    Save("K_del", "工事名を削除します。");
    EXPECT_EQ(Items(W(), "K_LB1").size(), 1u);
    EXPECT_TRUE(StoredProducts().empty());
    questions.Done();

    form->reject();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
}

TEST_F(Registration, UnitsAreAddedAndDeletedThroughTheUnitPanel) {
    MasterLists lists;
    SetDefaultUnits(lists);
    WriteMasters(lists);
    Open();
    EXPECT_FALSE(Child<QWidget>(W(), "UnitBtn")->isVisible());
    QTest::mouseClick(Child<QWidget>(W(), "UnitEBL"), Qt::LeftButton);
    EXPECT_TRUE(Child<QWidget>(W(), "UnitBtn")->isVisible());
    EXPECT_FALSE(Child<QWidget>(W(), "UnitMemo")->isVisible());

    QLineEdit* typed = Child<QComboBox>(W(), "CBUnit")->lineEdit();
    TypeText(typed, "坪あい");  // four bytes at most
    EXPECT_EQ(typed->text(), "坪あ");
    Click(W(), "U_sav");
    EXPECT_EQ(ReadAll("MST/sp_unit.dat").substr(ReadAll("MST/sp_unit.dat").size() - 6),
              Sjis("坪あ") + "\r\n");
    EXPECT_EQ(Shown(W(), "U_Kensu"), "( 9/100 )");
    EXPECT_EQ(Child<QComboBox>(W(), "CBUnit")->count(), 9);

    // A unit that is not in the list: nothing happens, nothing is asked.
    typed->setText("kg");
    Click(W(), "U_del");
    typed->setText(QString::fromUtf8("坪あ"));
    questions.ExpectButtons("単位名を削除します。", 1);
    Click(W(), "U_del");
    EXPECT_EQ(Shown(W(), "U_Kensu"), "( 8/100 )");
    EXPECT_EQ(ReadAll("MST/sp_unit.dat"), Sjis("式\r\n本\r\n個\r\n台\r\n冊\r\nｍ\r\n㎡\r\nm3\r\n"));

    // Leaving the drop-down for another field closes unit editing.
    Child<QLineEdit>(W(), "Edit3")->setFocus();
    EXPECT_FALSE(Child<QWidget>(W(), "UnitBtn")->isVisible());
    questions.Done();
}

// The window keeps its size while units are edited and saved: the buttons that replace
// the unit note take the note's room, they do not widen the window.
TEST_F(Registration, KeepsItsSizeWhileUnitsAreEditedAndSaved) {
    MasterLists lists;
    SetDefaultUnits(lists);
    WriteMasters(lists);
    Open();
    const QSize opened = form->frameGeometry().size();
    QTest::mouseClick(Child<QWidget>(W(), "UnitEBL"), Qt::LeftButton);
    TypeText(Child<QComboBox>(W(), "CBUnit")->lineEdit(), "坪");
    Click(W(), "U_sav");
    QCoreApplication::processEvents();
    EXPECT_EQ(form->frameGeometry().size(), opened);
    EXPECT_EQ(Child<QComboBox>(W(), "CBUnit")->count(), 9);
    test::SaveScreenshot(W(), "ui-registration-frame.png");
}

TEST_F(Registration, TextCp932CannotHoldIsRefusedWhereItIsTyped) {
    WriteMasters({});
    Open();
    Type(W(), "K_NM1", "外構");
    questions.ExpectInform("「😀」は使えない文字です (工事名)");
    // An input method commits the character as one key event.
    QKeyEvent emoji(QEvent::KeyPress, 0, Qt::NoModifier, QStringLiteral("😀"));
    QApplication::sendEvent(Child<QWidget>(W(), "K_NM1"), &emoji);
    EXPECT_EQ(Shown(W(), "K_NM1"), "外構");
    // Thirty bytes at most: the fifteenth double-byte character does not fit after a blank.
    Type(W(), "K_NM1", " " + QString(15, QChar(0x5DE5)));
    EXPECT_EQ(Child<QLineEdit>(W(), "K_NM1")->text().size(), 15);
    questions.Done();
}

TEST_F(Registration, AtThreeHundredNamesOneMoreIsTakenAndThenNoMore) {
    MasterLists lists;
    for (int i = 1; i <= kConstructionNameCapacity; ++i) {
        PutConstructionName(lists, NextConstructionCode(lists).code, "x");
    }
    WriteMasters(lists);
    Open();
    EXPECT_EQ(Shown(W(), "K_kensu"), "( 300/300 )");
    Type(W(), "K_NM1", "追加工事");
    Save("K_sav", "工事名を保存します。");
    EXPECT_EQ(Shown(W(), "K_kensu"), "( 301/300 )");
    Type(W(), "K_NM1", "もう一つ");
    questions.ExpectInform("工事件数オーバー");
    Click(W(), "K_sav");
    questions.Done();
    MasterLists stored;
    LoadConstructionNames(stored, state.environment);
    EXPECT_EQ(stored.constructionNames.size(), 301u);
    questions.ExpectButtons("終了します。", 1);
    form->reject();
}

TEST_F(Registration, ReadOnlyWhileAnotherCopyHoldsTheMasterMarker) {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    lists.products.push_back(BuildProductLine({"001", "000001", Sjis("型枠"), "", "", "", "", ""}));
    WriteMasters(lists);
    const std::string names = ReadAll("MST/sp_Koji.dat");
    const std::string products = ReadAll("MST/sp_syo.dat");
    MarkerHolder other("MST/Master.tmp");
    ASSERT_TRUE(other.Held());

    Open();
    EXPECT_TRUE(form->ReadOnly());
    EXPECT_EQ(form->windowTitle(), "名称登録（マスター）  < 書込み不可 >");
    EXPECT_FALSE(Child<QPushButton>(W(), "K_sav")->isEnabled());
    ClickRow(W(), "K_LB1", 0);
    EXPECT_FALSE(Child<QPushButton>(W(), "K_del")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(W(), "S_sav")->isEnabled());
    ClickRow(W(), "S_LB1", 0);
    EXPECT_TRUE(form->ProductEditMode());
    EXPECT_FALSE(Child<QPushButton>(W(), "S_sav")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>(W(), "S_del")->isEnabled());
    QTest::mouseClick(Child<QWidget>(W(), "UnitEBL"), Qt::LeftButton);
    EXPECT_FALSE(Child<QWidget>(W(), "UnitBtn")->isVisible());
    // Enter in the remarks offers no save.
    QTest::keyClick(Child<QWidget>(W(), "EditBiko1"), Qt::Key_Return);
    // The import is refused before anything is chosen.
    WriteAll("in.csv", "a,b\r\n");
    chosenFile = folder.FilePath("in.csv");
    questions.ExpectInform(kImportReadOnlyMessage);
    form->findChild<QAction*>("SImp1")->trigger();
    questions.Done();

    EXPECT_EQ(ReadAll("MST/sp_Koji.dat"), names);
    EXPECT_EQ(ReadAll("MST/sp_syo.dat"), products);
    questions.ExpectButtons("終了します。", 1);
    form->reject();
    EXPECT_TRUE(QFile::exists("MST/Master.tmp"));
}

// A product file that cannot be read whole opens the window read-only, saying which file
// and why; nothing can be saved or imported over it.
TEST_F(Registration, AProductFileThatCannotBeReadOpensReadOnlyAndIsNeverWritten) {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    WriteMasters(lists);
    QFile big("MST/sp_syo.dat");
    ASSERT_TRUE(big.open(QIODevice::ReadWrite));
    ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));
    big.close();

    MasterLists read;
    LoadMasterLists(read, state.environment);
    const std::string unreadable =
        (QStringLiteral("マスターのファイルを読めません。読めるようにするまで、名称登録は参照のみ"
                        "（保存・取込はできません）になります。\n") +
         read.productsUnreadable)
            .toStdString();
    questions.ExpectInform(unreadable);
    Open();
    questions.Done();
    EXPECT_TRUE(form->ReadOnly());
    EXPECT_EQ(form->windowTitle(), "名称登録（マスター）  < 書込み不可 >");
    EXPECT_FALSE(Child<QPushButton>(W(), "K_sav")->isEnabled());
    ClickRow(W(), "K_LB1", 0);
    EXPECT_FALSE(Child<QPushButton>(W(), "S_sav")->isEnabled());
    WriteAll("in.csv", "a,b\r\n");
    chosenFile = folder.FilePath("in.csv");
    questions.ExpectInform(unreadable);
    form->findChild<QAction*>("SImp1")->trigger();
    questions.Done();
    EXPECT_EQ(QFileInfo("MST/sp_syo.dat").size(), kMaxMasterFileBytes + 1);
    questions.ExpectButtons("終了します。", 1);
    form->reject();
}

TEST_F(Registration, ImportsACsvFileIntoTheSelectedConstructionName) {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    PutConstructionName(lists, "002", Sjis("内装工事"));
    lists.products.push_back(BuildProductLine({"002", "000007", "x", "", "", "", "", ""}));
    WriteMasters(lists);
    WriteAll("in.csv",
             "\xEF\xBB\xBF"
             "クロス,\"SP-2001, 防火\",ｍ,800,1200\n"
             "\n"
             "照明😀,LED,台,1,2\n"
             "巾木,H60,ｍ,12,20,六つ目\n");
    Open();

    questions.ExpectInform(kImportNoConstructionMessage);
    form->findChild<QAction*>("SImp1")->trigger();

    ClickRow(W(), "K_LB1", 1);
    chosenFile = folder.FilePath("none.csv");
    questions.ExpectInform(ImportMissingFileMessage(chosenFile));
    form->findChild<QAction*>("SImp1")->trigger();

    // A file too large is said to be so before anything is asked; one holding no text
    // once it is read; neither is called missing, and nothing comes in.
    {
        QFile big("big.csv");
        ASSERT_TRUE(big.open(QIODevice::WriteOnly));
        ASSERT_TRUE(big.resize(kMaxMasterFileBytes + 1));
    }
    chosenFile = folder.FilePath("big.csv");
    questions.ExpectInformStartingWith("**  ファイルが大きすぎます。 ！！  ( " +
                                       chosenFile.toStdString() + " : ");
    form->findChild<QAction*>("SImp1")->trigger();
    WriteAll("binary.csv", std::string("\0\1\2\3", 4));
    chosenFile = folder.FilePath("binary.csv");
    questions.ExpectOkCancel(ImportConfirmMessage(chosenFile), true, "確 認");
    questions.ExpectInformStartingWith("**  CSV のテキストファイルではありません。 ！！  ( " +
                                       chosenFile.toStdString() + " : ");
    form->findChild<QAction*>("SImp1")->trigger();

    chosenFile = folder.FilePath("in.csv");
    questions.ExpectOkCancel(ImportConfirmMessage(chosenFile), false, "確 認");
    form->findChild<QAction*>("SImp1")->trigger();
    EXPECT_EQ(Items(W(), "S_LB1").size(), 1u);

    questions.ExpectOkCancel(ImportConfirmMessage(chosenFile), true, "確 認");
    ProductImportReport report;
    report.encoding = ImportEncoding::kUtf8;
    report.imported = 2;
    report.blankLines = 1;
    report.refused = {{3, "「😀」は使えない文字です (商品名)"}};
    questions.ExpectInform(ImportClosingMessage(report));
    form->findChild<QAction*>("SImp1")->trigger();
    questions.Done();

    // The blank line is skipped, not stored as a product 「＊＊＊＊＊」.
    EXPECT_EQ(StoredProducts(), (std::vector<std::string>{
                                    "002000007|x|||0|0|",
                                    "002000008|クロス|SP-2001, 防火|ｍ|800|1200|",
                                    "002000009|巾木|H60|ｍ|12|20|",
                                }));
    EXPECT_EQ(Items(W(), "S_LB1").size(), 3u);
    // The code waiting for a new product is past the imported ones.
    EXPECT_EQ(Shown(W(), "Edit1"), "000010");
    questions.ExpectButtons("終了します。", 1);
    form->reject();
}

TEST_F(Registration, ClosingWithTypedTextAsksFirst) {
    WriteMasters({});
    Open();
    Type(W(), "K_NM1", "途中");
    questions.ExpectButtons("終了します。", 2);
    QTest::keyClick(Child<QWidget>(W(), "K_NM1"), Qt::Key_Escape);
    EXPECT_TRUE(form->isVisible());
    questions.ExpectButtons("終了します。", 1);
    form->findChild<QAction*>("Exit1")->trigger();
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
    questions.Done();
}

TEST_F(Registration, KeysMoveThroughTheFieldsAsTheWindowSeesThemFirst) {
    MasterLists lists;
    PutConstructionName(lists, "001", Sjis("基礎工事"));
    WriteMasters(lists);
    Open();
    ClickRow(W(), "K_LB1", 0);
    const struct {
        const char* from;
        Qt::Key key;
        const char* to;
    } moves[] = {
        {"K_LB1", Qt::Key_Return, "K_NM1"},       {"Edit2", Qt::Key_Return, "Edit3"},
        {"Edit3", Qt::Key_Down, "CBUnit"},        {"CBUnit", Qt::Key_Return, "MaskEdit1"},
        {"MaskEdit1", Qt::Key_Tab, "MaskEdit2"},  {"MaskEdit2", Qt::Key_Up, "MaskEdit1"},
        {"Edit3", Qt::Key_Up, "Edit2"},           {"Edit2", Qt::Key_Up, "Edit2"},
        {"EditBiko1", Qt::Key_Down, "EditBiko1"}, {"EditBiko1", Qt::Key_Tab, "EditBiko1"},
        {"S_LB1", Qt::Key_Return, "Edit2"},
    };
    for (const auto& move : moves) {
        auto* from = Child<QWidget>(W(), move.from);
        from->setFocus();
        QTest::keyClick(QApplication::focusWidget(), move.key);
        const QWidget* now = QApplication::focusWidget();
        const QString name = now && now->parentWidget() && now->objectName().isEmpty()
                                 ? now->parentWidget()->objectName()  // the drop-down's edit
                                 : (now ? now->objectName() : QString());
        EXPECT_EQ(name.toStdString(), move.to) << move.from << " key " << move.key;
    }
    // Entering a price field shows the bare number; leaving it shows it grouped again.
    auto* price = Child<QLineEdit>(W(), "MaskEdit2");
    price->setText("12,345");
    price->setFocus();
    EXPECT_EQ(price->text(), "12345");
    Child<QWidget>(W(), "Edit2")->setFocus();
    EXPECT_EQ(price->text(), "12,345");
    questions.ExpectButtons("終了します。", 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
    EXPECT_FALSE(form->isVisible());
    questions.Done();
}

using MainMenuRegistration = test::ShellRun;

TEST_F(MainMenuRegistration, TheNameRegistrationButtonOpensTheWindow) {
    Start();
    bool shown = false;
    {
        ModalDriver driver([&](QWidget* modal) {
            shown = modal->objectName() == "FormMSyo";
            Child<QPushButton>(modal, "Button1")->click();
        });
        Child<QPushButton>(&Menu(), "SyoBtn1")->click();
    }
    questions.Done();
    EXPECT_TRUE(shown);
    EXPECT_FALSE(QFile::exists("MST/Master.tmp"));
}

}  // namespace
}  // namespace quilto
