#include "core/excel/office_convert.h"

#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include "core/excel/workbook.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"

namespace quilto {
namespace {

// Ends every process of the group led by pid (LibreOffice's launcher starts soffice.bin
// and may leave helpers behind).
void KillGroup(qint64 pid) {
    if (pid <= 0) return;
    ::kill(static_cast<pid_t>(-pid), SIGKILL);
}

}  // namespace

QString FindOffice() {
    const QByteArray chosen = qgetenv("QUILTO_SOFFICE");
    if (!chosen.isNull()) {
        const QString path = QString::fromLocal8Bit(chosen);
        return QFileInfo(path).isExecutable() ? path : QString();
    }
    for (const char* name : {"soffice", "libreoffice"}) {
        const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
        if (!path.isEmpty()) return path;
    }
    const QString usual = QStringLiteral("/usr/lib/libreoffice/program/soffice");
    return QFileInfo(usual).isExecutable() ? usual : QString();
}

QString OfficeMissingMessage() {
    return QStringLiteral(
        "LibreOffice Calc が見つかりません。エクセル表の表示と印刷には LibreOffice Calc "
        "が必要です。\nインストールするには: sudo apt install libreoffice-calc");
}

bool PrepareWorkbookForPdf(const QString& input, const QString& copy) {
    if (QFileInfo(input).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0) {
        QString ignored;
        if (std::unique_ptr<Workbook> book = Workbook::Open(input, &ignored)) {
            book->DropPrintRangesOfHiddenSheets();
            if (book->Save(copy, &ignored)) return true;
        }
    }
    QFile::remove(copy);
    return QFile::copy(input, copy);
}

bool ConvertWithOffice(const QString& input, const QString& output, QString* error, int timeoutMs) {
    return ConvertWithOfficeCancellable(input, output, {}, error, timeoutMs) ==
           OfficeOutcome::kDone;
}

OfficeOutcome ConvertWithOfficeCancellable(const QString& input, const QString& output,
                                           const OfficeCancelled& cancelled, QString* error,
                                           int timeoutMs) {
    constexpr OfficeOutcome kFailed = OfficeOutcome::kFailed;
    const QString office = FindOffice();
    if (office.isEmpty()) {
        *error = OfficeMissingMessage();
        return kFailed;
    }
    const QString suffix = QFileInfo(output).suffix().toLower();
    QString filter;
    if (suffix == QLatin1String("pdf"))
        filter = QStringLiteral("pdf:calc_pdf_Export");
    else if (suffix == QLatin1String("xlsx"))
        filter = QStringLiteral("xlsx:Calc MS Excel 2007 XML");
    else {
        *error = QStringLiteral("変換先の形式 %1 には対応していません。").arg(suffix);
        return kFailed;
    }
    QTemporaryDir work;
    if (!work.isValid() || !QFileInfo(input).isFile()) {
        *error = QStringLiteral("%1 を変換できません。").arg(QFileInfo(input).fileName());
        return kFailed;
    }
    // The input under a plain name, so that the converted file's name is known.
    const QString source = work.filePath(QStringLiteral("source.") + QFileInfo(input).suffix());
    const bool copied = suffix == QLatin1String("pdf") ? PrepareWorkbookForPdf(input, source)
                                                       : QFile::copy(input, source);
    if (!copied) {
        *error = QStringLiteral("%1 を読み込めません。").arg(QFileInfo(input).fileName());
        return kFailed;
    }
    const QString outFolder = work.filePath(QStringLiteral("out"));
    QDir().mkpath(outFolder);

    QProcess process;
    process.setProgram(office);
    process.setArguments(
        {QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--nologo"),
         QStringLiteral("--nodefault"), QStringLiteral("--nolockcheck"),
         QStringLiteral("-env:UserInstallation=") +
             QUrl::fromLocalFile(work.filePath(QStringLiteral("profile")))
                 .toString(QUrl::FullyEncoded),
         QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outFolder, source});
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });  // its own group, killed as one
    process.start();
    if (!process.waitForStarted(30000)) {
        *error = QStringLiteral("LibreOffice を起動できません (%1)。").arg(office);
        return kFailed;
    }
    const qint64 pid = process.processId();
    QElapsedTimer clock;
    clock.start();
    bool finished = false;
    bool stopped = false;
    // Short waits, so that a cancel ends the conversion at once.
    while (!finished && clock.elapsed() < timeoutMs) {
        finished = process.waitForFinished(100);
        if (!finished && cancelled && cancelled()) {
            stopped = true;
            break;
        }
    }
    KillGroup(pid);
    if (stopped) {
        process.waitForFinished(5000);
        *error = QStringLiteral("PDF への変換を中止しました。");
        return OfficeOutcome::kCancelled;
    }
    if (!finished) {
        process.waitForFinished(5000);
        *error = QStringLiteral("LibreOffice の変換が %1 秒で終わらないため中止しました。")
                     .arg(timeoutMs / 1000);
        return kFailed;
    }
    const QString converted = outFolder + QStringLiteral("/source.") + suffix;
    const std::optional<std::string> bytes = ReadWholeFile(converted, qint64(1) << 30);
    if (process.exitStatus() != QProcess::NormalExit || !bytes || bytes->empty()) {
        const QString log = QString::fromLocal8Bit(process.readAll()).trimmed();
        *error = QStringLiteral("LibreOffice で %1 を変換できませんでした。%2")
                     .arg(QFileInfo(input).fileName(), log.right(300));
        return kFailed;
    }
    if (!SaveFileAtomically(output, *bytes)) {
        *error = QStringLiteral("%1 を保存できません。").arg(output);
        return kFailed;
    }
    return OfficeOutcome::kDone;
}

bool ResolveTemplate(const QString& xlsBase, const QString& stem, QString* xlsxPath, QString* note,
                     QString* error, int timeoutMs) {
    note->clear();
    const QString modern =
        ResolveCaseInsensitive(xlsBase + QLatin1Char('/') + stem + QStringLiteral(".xlsx"));
    if (QFileInfo(modern).isFile()) {
        *xlsxPath = modern;
        return true;
    }
    const QString legacy =
        ResolveCaseInsensitive(xlsBase + QLatin1Char('/') + stem + QStringLiteral(".Xls"));
    if (!QFileInfo(legacy).isFile()) {
        *error = QStringLiteral("テンプレート %1.xlsx がありません。").arg(stem);
        return false;
    }
    const QString cacheFolder = xlsBase + QStringLiteral("/.converted");
    const QString cached = cacheFolder + QLatin1Char('/') + stem + QStringLiteral(".xlsx");
    const QFileInfo cachedInfo(cached);
    if (!cachedInfo.isFile() || QFileInfo(legacy).lastModified() > cachedInfo.lastModified()) {
        if (!QDir().mkpath(cacheFolder)) {
            *error = QStringLiteral("%1 を作れません。").arg(cacheFolder);
            return false;
        }
        if (!ConvertWithOffice(legacy, cached, error, timeoutMs)) return false;
    }
    *xlsxPath = cached;
    *note = QStringLiteral(
                "テンプレート %1 は LibreOffice で .xlsx に変換して使っています。"
                "日本語のセルのフォントが変わっていることがあります。"
                "表計算ソフトで開いて .xlsx で保存し直すと元のフォントのまま使えます。")
                .arg(QFileInfo(legacy).fileName());
    return true;
}

}  // namespace quilto
