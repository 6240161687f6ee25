// preview_bench [RUNS]: how long プレビュー takes to show the first page of a typical estimate
// (8 constructions of 6 detail lines, 48 lines on 10 pages), from the click to the preview
// window drawn (engine, PDF conversion by the resident LibreOffice, Qt PDF loading the file,
// the page and the thumbnails drawn), the first time after the office was started (as when
// the output dialog opened) and a second time; beside it, a bare
// `soffice --headless --convert-to pdf` of the same filled workbook in a fresh profile, and
// the one-shot conversion the program falls back to. Prints min and median of RUNS (5).

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <QUrl>
#include <algorithm>
#include <cstdio>
#include <vector>

#include "app/excel/pdf_preview_window.h"
#include "core/excel/office_service.h"
#include "core/excel/table_definition.h"
#include "core/foundation/cp932.h"
#include "core/output/output_run.h"

namespace {

using namespace quilto;

class NoProgress : public OutputProgress {
  public:
    void Begin(int, int) override {}
    void Page(int) override {}
    void Status(const std::string&) override {}
    bool Cancelled() override { return false; }
};

OutputJob TypicalEstimate() {
    OutputJob job;
    const auto sjis = [](const char* utf8) { return Utf8ToCp932(utf8).value_or(""); };
    EstimateDocument& doc = job.document;
    doc.SetText(HeaderText::MNo, "000123");
    doc.SetText(HeaderText::MName1, sjis("株式会社 山田商事"));
    doc.SetText(HeaderText::MTitle1, sjis("本社ビル 3階 事務所改装工事"));
    doc.SetFigure(HeaderFigure::MGoukei01, "12,345,678");
    TextGrid& g = doc.Grid(SheetKind::Breakdown);
    for (int row = 1; row <= 8; ++row) {
        g.SetCell(row, 2, std::to_string(row));
        g.SetCell(row, 3, sjis("内装仕上工事"));
        g.SetCell(row, 4, sjis("式"));
        g.SetCell(row, 5, "1");
        g.SetCell(row, 6, "   2,345,000");
        for (int line = 1; line <= 6; ++line) {
            LineRecord& r = doc.Stores().details.MutableLine(row, line);
            r.SetNumberText(std::to_string(line));
            r.SetName(sjis("石膏ボード張り"));
            r.SetSpec(sjis("t=12.5 910×1820"));
            r.SetUnit(sjis("㎡"));
            r.SetQuantity(Fixed4::FromRaw(1255000));
            r.SetUnitPrice(Fixed4::FromInt(1850));
            r.SetAmount(Fixed4::FromInt(232175));
        }
        doc.Stores().breakdown[row].SetDetailCount(6);
    }
    job.choices.target = OutputTarget::kPdf;
    job.choices.SelectAllConstructions();
    return job;
}

// プレビュー to the drawn window: milliseconds, and the pages shown.
double Preview(OutputJob job, const QString& pdf, int* pages) {
    QElapsedTimer clock;
    clock.start();
    job.choices.outputPath = pdf;
    NoProgress progress;
    const OutputResult result = ProduceOutput(job, progress);
    if (result.status != OutputStatus::kDone) {
        std::fprintf(stderr, "preview failed: %s\n", qPrintable(result.error));
        std::exit(1);
    }
    PdfPreviewWindow window(pdf, QString(), {});
    window.show();
    window.grab();  // the first page drawn
    *pages = window.PageCount();
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

double Bare(const QString& workbook) {
    QTemporaryDir work;
    QElapsedTimer clock;
    clock.start();
    QProcess office;
    office.start(FindOffice(), {"--headless",
                                "-env:UserInstallation=" +
                                    QUrl::fromLocalFile(work.filePath("profile")).toString(),
                                "--convert-to", "pdf", "--outdir", work.path(), workbook});
    office.waitForFinished(120000);
    const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!QFile::exists(work.filePath(QFileInfo(workbook).completeBaseName() + ".pdf"))) {
        std::fprintf(stderr, "the bare conversion wrote nothing\n");
        std::exit(1);
    }
    return ms;
}

double OneShot(const QString& workbook) {
    QTemporaryDir work;
    QElapsedTimer clock;
    clock.start();
    QString error;
    if (!ConvertWithOffice(workbook, work.filePath("out.pdf"), &error)) {
        std::fprintf(stderr, "one-shot failed: %s\n", qPrintable(error));
        std::exit(1);
    }
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

void Report(const char* what, std::vector<double> ms) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-58s min %7.0f ms  median %7.0f ms  (n=%zu)\n", what, ms.front(),
                ms[ms.size() / 2], ms.size());
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    if (FindOffice().isEmpty()) {
        std::fprintf(stderr, "LibreOffice is not installed\n");
        return 1;
    }
    QTemporaryDir folder;
    QDir::setCurrent(folder.path());
    QDir().mkpath("XlsBase");
    for (const char* name : {"見積書00.xlsx", "XKP00.Dat", "XKPSei00.Dat"})
        QFile::copy(QStringLiteral(QUILTO_XLSBASE_DIR "/") + name,
                    QStringLiteral("XlsBase/") + name);

    std::vector<double> first, second, bare, oneShot;
    int pages = 0;
    for (int run = 0; run < runs; ++run) {
        OfficeService office;
        office.Start();     // as the output dialog opens
        QThread::sleep(8);  // while the user makes the choices
        OutputJob job = TypicalEstimate();
        job.office = &office;
        first.push_back(Preview(job, folder.filePath("first.pdf"), &pages));
        second.push_back(Preview(job, folder.filePath("second.pdf"), &pages));
    }
    const QString workbook = folder.filePath("Xls/見積書00.xlsx");
    for (int run = 0; run < runs; ++run) bare.push_back(Bare(workbook));
    for (int run = 0; run < runs; ++run) oneShot.push_back(OneShot(workbook));

    std::printf("typical estimate: 48 detail lines, %d pages\n", pages);
    Report("preview, first after the office started (click to drawn)", first);
    Report("preview, second (click to drawn)", second);
    Report("bare soffice --headless --convert-to pdf (fresh profile)", bare);
    Report("one-shot conversion (fallback, fresh profile)", oneShot);
    return 0;
}
