#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include "app/excel/form_prt_setup.h"
#include "app/modal_driver.h"
#include "core/excel/printers.h"
#include "support/cups_sandbox.h"
#include "support/fake_printers.h"
#include "support/scripted_questions.h"

namespace quilto {
namespace {

using test::Child;
using test::FakePrinters;
using test::ScriptedQuestions;

class PrinterSetupForm : public ::testing::Test {
  protected:
    void Show() {
        form.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    }
    QListWidget* List() { return Child<QListWidget>(&form, "ListBox1"); }
    QString Default() { return Child<QLineEdit>(&form, "DefPrt")->text(); }
    void Click(const char* name) { Child<QPushButton>(&form, name)->click(); }

    ScriptedQuestions questions;
    FakePrinters printers;
    TFormPrtSetup form{printers, questions};
};

TEST_F(PrinterSetupForm, ListsThePrintersWithTheDefaultChosenAndMakesAnotherTheDefault) {
    printers.names = {"Office", "PDF"};
    printers.current = "PDF";
    Show();
    EXPECT_EQ(form.windowTitle(), "使用プリンタ設定");
    ASSERT_EQ(List()->count(), 2);
    EXPECT_EQ(List()->item(0)->text(), "Office");
    EXPECT_EQ(List()->currentItem()->text(), "PDF");
    EXPECT_EQ(Default(), "PDF");

    List()->setCurrentRow(0);
    Click("BitBtn1");
    EXPECT_EQ(printers.made, std::vector<std::string>{"Office"});
    EXPECT_EQ(Default(), "Office");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.result(), QDialog::Accepted);
}

TEST_F(PrinterSetupForm, NothingChosenOrRefusedStaysOpenAndCloseChangesNothing) {
    Show();  // no printer at all
    EXPECT_EQ(List()->count(), 0);
    EXPECT_EQ(Default(), "");
    questions.ExpectInform("ListBoxで目的のプリンタを選択して下さい");
    Click("BitBtn1");
    questions.Done();
    EXPECT_TRUE(form.isVisible());

    form.hide();
    printers.names = {"Office"};
    printers.refusal = kPrinterNotFoundMessage;
    Show();
    List()->setCurrentRow(0);
    questions.ExpectInform(kPrinterNotFoundMessage);
    Click("BitBtn1");
    questions.Done();
    EXPECT_TRUE(form.isVisible());
    EXPECT_EQ(Default(), "");

    Click("BitBtn2");
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(printers.made.size(), 1u);
}

TEST(PrinterSetupWithCups, ChoosingTheOtherQueueMakesItTheUsersDefault) {
    if (!test::CupsSchedulerRunning()) GTEST_SKIP() << "no CUPS scheduler is running";
    test::CupsClientSandbox sandbox;
    test::CupsPdfQueues queues({"QuiltoFormA", "QuiltoFormB"});
    ASSERT_TRUE(queues.Ready());
    std::unique_ptr<PrinterSource> cups = CupsPrinters();
    std::string error;
    ASSERT_TRUE(cups->MakeDefault("QuiltoFormA", &error)) << error;

    ScriptedQuestions questions;
    TFormPrtSetup form(*cups, questions);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    auto* list = Child<QListWidget>(&form, "ListBox1");
    EXPECT_EQ(Child<QLineEdit>(&form, "DefPrt")->text(), "QuiltoFormA");
    const QList<QListWidgetItem*> other = list->findItems("QuiltoFormB", Qt::MatchExactly);
    ASSERT_EQ(other.size(), 1);
    list->setCurrentItem(other.first());
    Child<QPushButton>(&form, "BitBtn1")->click();
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(cups->DefaultPrinter(), "QuiltoFormB");
    EXPECT_EQ(sandbox.LpstatDefault(), "QuiltoFormB");
}

}  // namespace
}  // namespace quilto
