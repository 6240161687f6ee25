// The output engine end to end on the shipped templates, through quilto-cli: openpyxl
// reads back the values and sheet states of the filled workbook, and `print` goes through
// LibreOffice and CUPS to the PDF queue that scripts/test.sh starts. Under
// QUILTO_INTEGRATION=1 a missing program fails the test instead of skipping it.

#include <gtest/gtest.h>

#include <cups/cups.h>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QThread>

#include "core/excel/office_convert.h"
#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::RunCli;

#define REQUIRE_PROGRAM(condition, what)                                 \
    do {                                                                 \
        if (!(condition)) {                                              \
            if (qEnvironmentVariableIntValue("QUILTO_INTEGRATION") == 1) \
                FAIL() << what << " is not available";                   \
            GTEST_SKIP() << what << " is not available";                 \
        }                                                                \
    } while (0)

QString Output(const QString& program, const QStringList& arguments, int* exitCode) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// An installation with the shipped XlsBase and one estimate, 000001: three constructions
// with detail sheets, the special lines and a discount.
void Install() {
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    for (const QString& name : QDir(QUILTO_XLSBASE_DIR).entryList(QDir::Files)) {
        QFile::remove("XlsBase/" + name);
        ASSERT_TRUE(QFile::copy(QStringLiteral(QUILTO_XLSBASE_DIR "/") + name, "XlsBase/" + name));
    }
    test::WriteAll("estimate.json", R"({
 "cover": {"MName1": "株式会社 山田商事", "MTitle1": "本社ビル3階 事務所改装工事", "ZRitu": "10",
           "CheckBox2": true},
 "breakdown": [
  {"cells": ["", "1", "仮設工事", "式", "1", "", "", "", "2"],
   "details": [["000001", "", "養生シート", "1.8×3.6m", "枚", "20", "850",
                "", "", "", "", "", "", "材"]]},
  {"cells": ["", "2", "内装工事", "式", "1", "", "", "", "5.5"],
   "details": [["000003", "", "石膏ボード張り", "t=12.5", "㎡", "120", "1,850",
                "", "", "", "", "300", "", "材"]]},
  {"cells": ["", "3", "電気設備工事", "式", "1"],
   "details": [["000006", "", "LED照明器具", "埋込型", "台", "24", "18,500"]]},
  {"cells": ["="]}, {"cells": ["-", "", "", "", "", "50,000"]}, {"cells": ["/"]},
  {"cells": ["%"]}, {"cells": ["\\"]}
 ]})");
    ASSERT_EQ(RunCli({"create", "--json", "estimate.json"}).out, "000001\n");
}

TEST(OutputIntegration, AnIndependentReaderSeesTheFilledEstimate) {
    int code = 0;
    Output("/usr/bin/python3", {"-c", "import openpyxl"}, &code);
    REQUIRE_PROGRAM(code == 0, "python3-openpyxl");
    test::WorkingFolder folder;
    Install();
    const auto run = RunCli({"export", "000001", "--xlsx", "out.xlsx"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const QString json =
        Output("/usr/bin/python3", {QUILTO_INTEGRATION_DIR "/read_xlsx.py", "out.xlsx"}, &code);
    ASSERT_EQ(code, 0) << json.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray sheets = root["sheets"].toArray();
    // cover, summary (hidden), breakdown, three detail sheets, the itemised sheet (hidden)
    ASSERT_EQ(sheets.size(), 7);
    EXPECT_EQ(root["active"].toString(), "表紙");
    EXPECT_EQ(sheets[1].toObject()["state"].toString(), "hidden");
    EXPECT_EQ(sheets[6].toObject()["state"].toString(), "hidden");
    const auto cell = [&](int sheet, const char* address) {
        return sheets[sheet - 1].toObject()["cells"].toObject()[address].toVariant();
    };
    EXPECT_EQ(cell(1, "E5").toString(), "株式会社 山田商事");
    EXPECT_EQ(cell(1, "H17").toString(), "本社ビル3階 事務所改装工事");
    EXPECT_EQ(cell(1, "L10").toDouble(), 696300);  // (17,000 + 222,000 + 444,000 - 50,000) x 1.1
    EXPECT_EQ(cell(1, "W10").toDouble(), 633000);  // beside it: the amount before tax
    EXPECT_EQ(cell(1, "W11").toDouble(), 63300);   // and the tax
    EXPECT_EQ(cell(3, "C3").toString(), "仮設工事");
    EXPECT_EQ(cell(3, "F3").toDouble(), 17000);  // a number, not text
    EXPECT_EQ(cell(3, "F7").toDouble(), 50000);
    EXPECT_EQ(cell(5, "C3").toString(), "石膏ボード張り");
    EXPECT_EQ(cell(5, "D3").toString(), "t=12.5");
    EXPECT_EQ(cell(5, "E3").toDouble(), 120);
    EXPECT_EQ(cell(6, "H3").toDouble(), 444000);
    EXPECT_EQ(cell(6, "H4").toDouble(), 444000);  // the sheet's total below its last line
}

TEST(OutputIntegration, TheItemisedSheetReadsBackPerWorkType) {
    int code = 0;
    Output("/usr/bin/python3", {"-c", "import openpyxl"}, &code);
    REQUIRE_PROGRAM(code == 0, "python3-openpyxl");
    test::WorkingFolder folder;
    Install();
    const auto run = RunCli({"export", "000001", "--xlsx", "out.xlsx", "--itemised"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "export: 6 pages\n");  // the standard five and the itemised one

    const QString json =
        Output("/usr/bin/python3", {QUILTO_INTEGRATION_DIR "/read_xlsx.py", "out.xlsx"}, &code);
    ASSERT_EQ(code, 0) << json.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray sheets = root["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 7);
    const QJsonObject itemised = sheets[6].toObject();
    EXPECT_EQ(itemised["name"].toString(), "材料費等内訳書");
    EXPECT_EQ(itemised["state"].toString(), "visible");
    const QJsonObject cells = itemised["cells"].toObject();
    const auto text = [&](const char* address) { return cells[address].toString(); };
    const auto number = [&](const char* address) {
        EXPECT_TRUE(cells[address].isDouble()) << address << " is not a number";
        return cells[address].toDouble();
    };
    EXPECT_EQ(text("F3"), "株式会社 山田商事");
    EXPECT_EQ(text("C4"), "本社ビル3階 事務所改装工事");
    // 仮設工事: materials only, 2 days.
    EXPECT_EQ(text("B7"), "仮設工事");
    EXPECT_EQ(number("C7"), 17000);
    EXPECT_EQ(number("I7"), 17000);
    EXPECT_EQ(number("J7"), 2);
    // 内装工事: 222,000 of which 300 x 120 = 36,000 is labour.
    EXPECT_EQ(text("B8"), "内装工事");
    EXPECT_EQ(number("C8"), 186000);
    EXPECT_EQ(number("D8"), 36000);
    EXPECT_EQ(number("I8"), 222000);
    EXPECT_EQ(number("J8"), 5.5);
    // 電気設備工事: never classified, counted as materials and said so below the table.
    EXPECT_EQ(number("C9"), 444000);
    EXPECT_FALSE(cells.contains("D9"));
    // The breakdown's discount is a row of its own; the total row closes the table.
    EXPECT_EQ(number("I10"), -50000);
    EXPECT_FALSE(cells.contains("C10"));
    EXPECT_EQ(text("B11"), "合　　計");
    EXPECT_EQ(number("C11"), 647000);
    EXPECT_EQ(number("D11"), 36000);
    EXPECT_EQ(number("E11"), 0);
    EXPECT_EQ(number("I11"), 633000);  // the cover's amount before tax
    EXPECT_TRUE(text("B28").contains("444,000")) << text("B28").toStdString();

    // The command line gives the same table.
    const auto costs = RunCli({"costs", "000001", "--json"});
    ASSERT_EQ(costs.exitCode, 0) << costs.err;
    const QJsonObject table =
        QJsonDocument::fromJson(QByteArray::fromStdString(costs.out)).object();
    const QJsonArray lines = table["lines"].toArray();
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines[1].toObject()["労務費"].toString(), "36000");
    EXPECT_EQ(lines[1].toObject()["days"].toString(), "5.5");
    EXPECT_EQ(lines[3].toObject()["kind"].toString(), "discount");
    EXPECT_EQ(table["totals"].toObject()["total"].toString(), "633000");
    EXPECT_EQ(table["totals"].toObject()["unclassified"].toString(), "444000");
}

// The invoice (free-form output from the breakdown) states the registration number set in
// quilto.conf and, beside its totals, the rate with the amount and the tax at that rate:
// read back by openpyxl as text and numbers, and seen on the page LibreOffice makes of it.
TEST(OutputIntegration, TheInvoiceStatesItsRegistrationNumberAndTaxPerRate) {
    int code = 0;
    Output("/usr/bin/python3", {"-c", "import openpyxl"}, &code);
    REQUIRE_PROGRAM(code == 0, "python3-openpyxl");
    test::WorkingFolder folder;
    Install();
    test::WriteAll("quilto.conf", "registration_number=T7000012050002\n");
    // The cells of these items come from the definition's placements file; the record keeps
    // its reserved slots zero.
    ASSERT_NE(test::ReadAll("XlsBase/XKPSei00.invoice").find("\nSA1HJTouroku=M12\n"),
              std::string::npos);
    EXPECT_EQ(test::ReadAll("XlsBase/XKPSei00.Dat").substr(572, 49), std::string(49, '\0'));
    const auto run = RunCli(
        {"export", "000001", "--xlsx", "out.xlsx", "--free", "breakdown", "--doc-number", "0042"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    const QString json =
        Output("/usr/bin/python3", {QUILTO_INTEGRATION_DIR "/read_xlsx.py", "out.xlsx"}, &code);
    ASSERT_EQ(code, 0) << json.toStdString();
    const QJsonArray sheets = QJsonDocument::fromJson(json.toUtf8())["sheets"].toArray();
    ASSERT_EQ(sheets.size(), 2);
    const QJsonObject cells = sheets[0].toObject()["cells"].toObject();
    const auto number = [&](const char* address) {
        EXPECT_TRUE(cells[address].isDouble()) << address << " is not a number";
        return cells[address].toDouble();
    };
    EXPECT_EQ(cells["M12"].toString(), "登録番号 T7000012050002");
    EXPECT_EQ(cells["A37"].toString(), "10%対象");
    EXPECT_EQ(number("D37"), 633000);  // the total line, after the discount
    EXPECT_EQ(number("H37"), 63300);   // its tax, the figure the tax line computed once
    EXPECT_EQ(number("O39"), 696300);  // and the grand total they make
    EXPECT_EQ(number("E9"), 696300);

    REQUIRE_PROGRAM(!FindOffice().isEmpty(), "LibreOffice");
    const auto pdf = RunCli({"export", "000001", "--pdf", "invoice.pdf", "--free", "breakdown"});
    ASSERT_EQ(pdf.exitCode, 0) << pdf.err;
    const QString text = Output("pdftotext", {"-layout", "invoice.pdf", "-"}, &code);
    REQUIRE_PROGRAM(code == 0, "pdftotext");
    for (const char* shown : {"登録番号 T7000012050002", "10%対象", "633,000", "63,300"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(shown))) << shown << "\n" << text.toStdString();
}

TEST(OutputIntegration, PrintGoesToTheDefaultQueue) {
    REQUIRE_PROGRAM(!FindOffice().isEmpty(), "LibreOffice");
    const QString cupsOut = qEnvironmentVariable("QUILTO_CUPS_PDF_OUT");
    REQUIRE_PROGRAM(!cupsOut.isEmpty(), "a CUPS PDF queue (QUILTO_CUPS_PDF_OUT)");
    test::WorkingFolder folder;
    Install();
    const QStringList before = QDir(cupsOut).entryList(QDir::Files);
    const auto run = RunCli({"print", "000001", "--sheets", "cover,breakdown,detail"});
    ASSERT_EQ(run.exitCode, 0) << run.err;

    QString printed;
    int pages = -1;
    QElapsedTimer timer;
    timer.start();
    while (pages != 5 && timer.elapsed() < 90000) {
        for (const QString& name : QDir(cupsOut).entryList(QDir::Files))
            if (!before.contains(name) && name.endsWith(".pdf"))
                printed = QDir(cupsOut).filePath(name);
        if (!printed.isEmpty()) {
            int code = 0;
            const QString info = Output("pdfinfo", {printed}, &code);
            for (const QString& line : info.split('\n'))
                if (line.startsWith("Pages:")) pages = line.mid(6).trimmed().toInt();
        }
        QThread::msleep(300);
    }
    ASSERT_FALSE(printed.isEmpty()) << "cups-pdf wrote nothing in " << cupsOut.toStdString();
    EXPECT_EQ(pages, 5);  // cover, breakdown and three detail pages; the summary is hidden

    // The job is named after the estimate (number, customer, title) in UTF-8, as the queue
    // shows it, and so is the PDF it was printed from.
    cups_job_t* jobs = nullptr;
    const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
    const cups_job_t* last = nullptr;
    for (int i = 0; i < count; ++i)
        if (last == nullptr || jobs[i].id > last->id) last = &jobs[i];
    ASSERT_NE(last, nullptr);
    const std::string title = "000001 株式会社 山田商事 本社ビル3階 事務所改装工事";
    EXPECT_EQ(std::string(last->title), title);
    cupsFreeJobs(count, jobs);
    int code = 0;
    const QString info = Output("pdfinfo", {"Xls/見積書00.pdf"}, &code);
    EXPECT_TRUE(info.contains(QString::fromStdString("Title:           " + title + "\n")))
        << info.toStdString();
}

}  // namespace
}  // namespace quilto
