// The workbook layer against the real programs: openpyxl reads back what we wrote,
// LibreOffice turns it into a PDF whose pages pdftotext reads, and CUPS prints it to a PDF
// queue. scripts/test.sh starts cupsd with that queue and sets QUILTO_INTEGRATION=1, under
// which a missing program fails the test instead of skipping it.

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include "core/excel/cups_print.h"
#include "core/excel/office_convert.h"
#include "core/excel/table_definition.h"
#include "core/excel/typed_cell_value.h"
#include "core/excel/workbook.h"
#include "integration/estimate_fill.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

bool Required() { return qEnvironmentVariableIntValue("QUILTO_INTEGRATION") == 1; }

#define NEED(condition, what)                                      \
    do {                                                           \
        if (!(condition)) {                                        \
            if (Required()) FAIL() << what << " is not available"; \
            GTEST_SKIP() << what << " is not available";           \
        }                                                          \
    } while (0)

QString RunProgram(const QString& program, const QStringList& arguments, int* exitCode = nullptr) {
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(120000);
    if (exitCode)
        *exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    return QString::fromUtf8(process.readAllStandardOutput());
}

QString PageText(const QString& pdf, int page) {
    return RunProgram(QStringLiteral("pdftotext"),
                      {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                       QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
}

int PageCount(const QString& pdf) {
    const QString info = RunProgram(QStringLiteral("pdfinfo"), {pdf});
    for (const QString& line : info.split(QLatin1Char('\n')))
        if (line.startsWith(QLatin1String("Pages:"))) return line.mid(6).trimmed().toInt();
    return -1;
}

// A copy of a shipped template and its pattern's definitions, as a run starts.
struct Output {
    QTemporaryDir dir;
    TableDefinitions defs;
    std::unique_ptr<Workbook> book;
    QString error;

    explicit Output(const QString& stem, const char* code = "00") {
        QDir().mkpath(dir.filePath(QStringLiteral("XlsBase")));
        const QDir shipped(QStringLiteral(QUILTO_XLSBASE_DIR));
        for (const QString& name : shipped.entryList(QDir::Files))
            QFile::copy(shipped.filePath(name), dir.filePath(QStringLiteral("XlsBase/") + name));
        const QString previous = QDir::currentPath();
        QDir::setCurrent(dir.path());
        EXPECT_EQ(defs.Load(code), TableFileResult::kOk);
        QDir::setCurrent(previous);
        book = Workbook::Open(dir.filePath(QStringLiteral("XlsBase/") + stem + ".xlsx"), &error);
        EXPECT_TRUE(book) << error.toStdString();
    }
};

// Values through openpyxl: every cell we wrote reads back, numbers as numbers.
TEST(WorkbookIntegration, AnIndependentReaderSeesEveryValueSheetAndPrintArea) {
    NEED(QFileInfo(QStringLiteral("/usr/bin/python3")).isExecutable(), "Debian's python3");
    int code = 0;
    RunProgram(QStringLiteral("/usr/bin/python3"),
               {QStringLiteral("-c"), QStringLiteral("import openpyxl")}, &code);
    NEED(code == 0, "python3-openpyxl");

    Output out(QStringLiteral("見積書00"));
    ASSERT_TRUE(out.book);
    const test::FilledEstimate filled = test::FillSampleEstimate(*out.book, out.defs, false, false);
    const QString saved = out.dir.filePath(QStringLiteral("Xls/見積書00.xlsx"));
    QDir().mkpath(out.dir.filePath(QStringLiteral("Xls")));
    ASSERT_TRUE(out.book->Save(saved, &out.error)) << out.error.toStdString();

    const QString json =
        RunProgram(QStringLiteral("/usr/bin/python3"),
                   {QStringLiteral(QUILTO_INTEGRATION_DIR "/read_xlsx.py"), saved}, &code);
    ASSERT_EQ(code, 0) << json.toStdString();
    const QJsonObject root = QJsonDocument::fromJson(json.toUtf8()).object();
    const QJsonArray sheets = root[QStringLiteral("sheets")].toArray();
    // The details, and last the itemised-costs sheet, hidden as it was not asked for.
    const int details = filled.detailPages;
    ASSERT_EQ(sheets.size(), 3 + details + 1);
    const QStringList names = {QStringLiteral("表紙"),       QStringLiteral("総括書"),
                               QStringLiteral("内訳書"),     QStringLiteral("明細書"),
                               QStringLiteral("明細書 (2)"), QStringLiteral("明細書 (3)"),
                               QStringLiteral("明細書 (4)"), QStringLiteral("材料費等内訳書")};
    for (int i = 0; i < sheets.size(); ++i) {
        const QJsonObject sheet = sheets[i].toObject();
        const bool hidden = i == 0 || i == 3 + details;
        EXPECT_EQ(sheet[QStringLiteral("name")].toString(), names.value(i));
        EXPECT_EQ(sheet[QStringLiteral("state")].toString(),
                  hidden ? QStringLiteral("hidden") : QStringLiteral("visible"));
        if (i >= 3 && i < 3 + details) {
            EXPECT_EQ(sheet[QStringLiteral("print_area")].toString(), QStringLiteral("$A$1:$I$23"));
        }
    }
    EXPECT_EQ(root[QStringLiteral("active")].toString(), names.value(2 + details))
        << "the workbook opens on the sheet written last";

    int checked = 0;
    for (const test::WrittenCell& cell : filled.cells) {
        const QJsonValue value = sheets[cell.sheet - 1]
                                     .toObject()
                                     .value(QStringLiteral("cells"))
                                     .toObject()
                                     .value(QString::fromStdString(cell.address));
        const std::string text = cell.cp932.rfind('\'', 0) == 0 ? cell.cp932.substr(1) : cell.cp932;
        const std::optional<std::string> number =
            cell.cp932.rfind('\'', 0) == 0 ? std::nullopt : TypedNumber(cell.cp932);
        const std::string where = std::to_string(cell.sheet) + "!" + cell.address;
        if (text.empty()) {
            EXPECT_TRUE(value.isUndefined())
                << where << " holds " << value.toVariant().toString().toStdString();
        } else if (number) {
            ASSERT_TRUE(value.isDouble()) << where << " holds " << value.toString().toStdString();
            EXPECT_DOUBLE_EQ(value.toDouble(), std::stod(*number)) << where;
        } else {
            EXPECT_EQ(value.toString().toStdString(), test::Utf8(text)) << where;
        }
        ++checked;
    }
    EXPECT_GT(checked, 300);
}

// LibreOffice's PDF of the filled workbook: the texts on the right pages, no page for the
// hidden sheet; then the PDF printed on the CUPS queue.
TEST(WorkbookIntegration, PdfPagesHoldTheTextsAndPrintOnARealQueue) {
    NEED(!FindOffice().isEmpty(), "LibreOffice");
    int code = 0;
    RunProgram(QStringLiteral("pdftotext"), {QStringLiteral("-v")}, &code);
    NEED(code == 0, "pdftotext");

    for (const bool withCover : {false, true}) {  // printing last: it may skip
        SCOPED_TRACE(withCover ? "with cover" : "cover hidden");
        Output out(QStringLiteral("見積書00"));
        ASSERT_TRUE(out.book);
        const test::FilledEstimate filled =
            test::FillSampleEstimate(*out.book, out.defs, false, withCover);
        const QString xlsx = out.dir.filePath(QStringLiteral("filled.xlsx"));
        const QString pdf = out.dir.filePath(QStringLiteral("filled.pdf"));
        ASSERT_TRUE(out.book->Save(xlsx, &out.error)) << out.error.toStdString();
        ASSERT_TRUE(ConvertWithOffice(xlsx, pdf, &out.error)) << out.error.toStdString();
        ASSERT_EQ(PageCount(pdf), filled.pages);

        const int first = withCover ? 2 : 1;  // the summary's page
        if (withCover) {
            const QString cover = PageText(pdf, 1);
            for (const char* text : {"御", "山田 太郎", "3,960,000", "株式会社 さくら建装",
                                     "山田邸 外壁・屋根改修工事", "000123"})
                EXPECT_TRUE(cover.contains(QString::fromUtf8(text))) << text;
        }
        const QString summary = PageText(pdf, first);
        EXPECT_TRUE(summary.contains(QStringLiteral("総"))) << summary.toStdString();
        EXPECT_TRUE(summary.contains(QStringLiteral("2,071,350")));
        EXPECT_FALSE(summary.contains(QStringLiteral("社内"))) << "a // remark is not written";
        EXPECT_FALSE(summary.contains(QStringLiteral("山田 太郎")));
        const QRegularExpression pageNumber(
            QStringLiteral("\\b%1\\s*/\\s*%2\\b").arg(first).arg(filled.pages));
        EXPECT_TRUE(summary.contains(pageNumber)) << summary.toStdString();
        // The outside wall's 25 lines: lines 1-20 on one page, 21-25 on the next.
        const QString wall1 = PageText(pdf, first + 3);
        const QString wall2 = PageText(pdf, first + 4);
        EXPECT_TRUE(wall1.contains(QStringLiteral("2-外壁改修工事")));
        EXPECT_TRUE(wall2.contains(QStringLiteral("2-外壁改修工事")));
        EXPECT_TRUE(wall1.contains(QStringLiteral("70,000")));  // 高圧洗浄 280 × 250
        EXPECT_TRUE(wall2.contains(QStringLiteral("北面")));
        EXPECT_TRUE(PageText(pdf, filled.pages).contains(QStringLiteral("3-屋根改修工事")));

        if (!withCover) continue;
        // Printing: the PDF goes to the default queue and comes out of cups-pdf.
        const QString cupsOut = qEnvironmentVariable("QUILTO_CUPS_PDF_OUT");
        NEED(!cupsOut.isEmpty(), "a CUPS PDF queue (QUILTO_CUPS_PDF_OUT)");
        const QStringList before = QDir(cupsOut).entryList(QDir::Files);
        const int job = PrintPdf(pdf, QString(), QStringLiteral("quilto-integration"), &out.error);
        ASSERT_GT(job, 0) << out.error.toStdString();
        QString printed;
        QElapsedTimer timer;
        timer.start();
        while (printed.isEmpty() && timer.elapsed() < 90000) {
            for (const QString& name : QDir(cupsOut).entryList(QDir::Files))
                if (!before.contains(name) && name.endsWith(QLatin1String(".pdf")))
                    printed = QDir(cupsOut).filePath(name);
            QThread::msleep(200);
        }
        ASSERT_FALSE(printed.isEmpty()) << "cups-pdf wrote nothing in " << cupsOut.toStdString();
        // cups-pdf may still be writing: wait for a complete file.
        int pages = -1;
        while (timer.elapsed() < 90000 && (pages = PageCount(printed)) != filled.pages)
            QThread::msleep(300);
        EXPECT_EQ(pages, filled.pages);
    }
}

// A legacy .Xls template (made here from a shipped one) is converted by LibreOffice into a
// workbook this layer fills, once, and again when the .Xls changes.
TEST(LegacyTemplates, AreConvertedOnceByLibreOfficeAndThenFilled) {
    NEED(!FindOffice().isEmpty(), "LibreOffice");
    QTemporaryDir dir;
    const QString base = dir.filePath(QStringLiteral("XlsBase"));
    QDir().mkpath(base);
    // The old binary format, written by LibreOffice itself from a shipped template.
    QFile::copy(QStringLiteral(QUILTO_XLSBASE_DIR "/見積書00.xlsx"), dir.filePath("legacy.xlsx"));
    int code = 0;
    RunProgram(FindOffice(),
               {QStringLiteral("--headless"), QStringLiteral("--norestore"),
                QStringLiteral("-env:UserInstallation=file://") + dir.filePath("profile"),
                QStringLiteral("--convert-to"), QStringLiteral("xls"), QStringLiteral("--outdir"),
                dir.path(), dir.filePath("legacy.xlsx")},
               &code);
    ASSERT_TRUE(QFile::rename(dir.filePath("legacy.xls"), base + "/見積書00.XLS"));

    QString path, note, error;
    ASSERT_TRUE(ResolveTemplate(base, QStringLiteral("見積書00"), &path, &note, &error))
        << error.toStdString();
    EXPECT_FALSE(note.isEmpty());
    const QDateTime converted = QFileInfo(path).lastModified();
    auto book = Workbook::Open(path, &error);
    ASSERT_TRUE(book) << error.toStdString();
    ASSERT_EQ(book->SheetCount(), 5);  // with the itemised-costs sheet at the end
    EXPECT_EQ(book->SheetName(4), QStringLiteral("明細書"));
    ASSERT_TRUE(book->CopySheetAfter(4, 4, &error)) << error.toStdString();
    ASSERT_TRUE(book->WriteCell("C3", test::Sjis("高圧洗浄"), &error));
    ASSERT_TRUE(book->Save(dir.filePath("filled.xlsx"), &error)) << error.toStdString();
    // The cached conversion serves the next run.
    ASSERT_TRUE(ResolveTemplate(base, QStringLiteral("見積書00"), &path, &note, &error));
    EXPECT_EQ(QFileInfo(path).lastModified(), converted);
}

// Every shipped template filled with the sample estimate renders one page per
// sheet (set QUILTO_TEMPLATE_SHOTS to a folder to keep the PDFs for looking at them).
TEST(ShippedTemplates, RenderFilledWithTheSampleEstimate) {
    NEED(!FindOffice().isEmpty(), "LibreOffice");
    const QString shots = qEnvironmentVariable("QUILTO_TEMPLATE_SHOTS");
    for (const char* code : {"00", "01", "02"})
        for (const bool cost : {false, true}) {
            const QString stem = QString::fromUtf8(cost ? "原価表" : "見積書") + code;
            SCOPED_TRACE(stem.toStdString());
            Output out(stem, code);
            ASSERT_TRUE(out.book);
            const test::FilledEstimate filled =
                test::FillSampleEstimate(*out.book, out.defs, cost, true);
            const QString xlsx = out.dir.filePath(stem + ".xlsx");
            const QString pdf = shots.isEmpty() ? out.dir.filePath(stem + ".pdf")
                                                : QDir(shots).filePath(stem + ".pdf");
            ASSERT_TRUE(out.book->Save(xlsx, &out.error));
            ASSERT_TRUE(ConvertWithOffice(xlsx, pdf, &out.error)) << out.error.toStdString();
            EXPECT_EQ(PageCount(pdf), filled.pages) << "one page per sheet, nothing spills over";
        }
    for (const char* code : {"00", "01", "02"})
        for (const char part : {'A', 'B'}) {
            const QString stem = QString::fromUtf8("書式F") + code + QLatin1Char(part);
            SCOPED_TRACE(stem.toStdString());
            Output out(stem, code);
            ASSERT_TRUE(out.book);
            const test::FilledEstimate filled = test::FillSampleInvoice(*out.book, out.defs, part);
            const QString xlsx = out.dir.filePath(stem + ".xlsx");
            const QString pdf = shots.isEmpty() ? out.dir.filePath(stem + ".pdf")
                                                : QDir(shots).filePath(stem + ".pdf");
            ASSERT_TRUE(out.book->Save(xlsx, &out.error));
            ASSERT_TRUE(ConvertWithOffice(xlsx, pdf, &out.error)) << out.error.toStdString();
            EXPECT_EQ(PageCount(pdf), filled.pages);
            EXPECT_TRUE(PageText(pdf, 1).contains(QStringLiteral("3,960,000")));
        }
}

}  // namespace
}  // namespace quilto
