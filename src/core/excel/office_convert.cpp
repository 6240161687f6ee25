#include "core/excel/office_convert.h"

#include <signal.h>
#include <unistd.h>

#include <QDateTime>
#include <QDir>
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

bool ConvertWithOffice(const QString& input, const QString& output, QString* error, int timeoutMs) {
    const QString office = FindOffice();
    if (office.isEmpty()) {
        *error = QStringLiteral(
            "LibreOffice Calc が見つかりません。エクセル表の表示と印刷には LibreOffice Calc "
            "が必要です。\nインストールするには: sudo apt install libreoffice-calc");
        return false;
    }
    const QString suffix = QFileInfo(output).suffix().toLower();
    QString filter;
    if (suffix == QLatin1String("pdf"))
        filter = QStringLiteral("pdf:calc_pdf_Export");
    else if (suffix == QLatin1String("xlsx"))
        filter = QStringLiteral("xlsx:Calc MS Excel 2007 XML");
    else {
        *error = QStringLiteral("変換先の形式 %1 には対応していません。").arg(suffix);
        return false;
    }
    QTemporaryDir work;
    if (!work.isValid() || !QFileInfo(input).isFile()) {
        *error = QStringLiteral("%1 を変換できません。").arg(QFileInfo(input).fileName());
        return false;
    }
    // The input under a plain name, so that the converted file's name is known. A workbook
    // to be printed loses the print areas of its hidden sheets, or LibreOffice prints them.
    const QString source = work.filePath(QStringLiteral("source.") + QFileInfo(input).suffix());
    bool copied = false;
    if (suffix == QLatin1String("pdf") &&
        QFileInfo(input).suffix().compare(QLatin1String("xlsx"), Qt::CaseInsensitive) == 0) {
        QString ignored;
        if (std::unique_ptr<Workbook> book = Workbook::Open(input, &ignored)) {
            book->DropPrintRangesOfHiddenSheets();
            copied = book->Save(source, &ignored);
        }
    }
    if (!copied && !QFile::copy(input, source)) {
        *error = QStringLiteral("%1 を読み込めません。").arg(QFileInfo(input).fileName());
        return false;
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
        return false;
    }
    const qint64 pid = process.processId();
    const bool finished = process.waitForFinished(timeoutMs);
    KillGroup(pid);
    if (!finished) {
        process.waitForFinished(5000);
        *error = QStringLiteral("LibreOffice の変換が %1 秒で終わらないため中止しました。")
                     .arg(timeoutMs / 1000);
        return false;
    }
    const QString converted = outFolder + QStringLiteral("/source.") + suffix;
    const std::optional<std::string> bytes = ReadWholeFile(converted, qint64(1) << 30);
    if (process.exitStatus() != QProcess::NormalExit || !bytes || bytes->empty()) {
        const QString log = QString::fromLocal8Bit(process.readAll()).trimmed();
        *error = QStringLiteral("LibreOffice で %1 を変換できませんでした。%2")
                     .arg(QFileInfo(input).fileName(), log.right(300));
        return false;
    }
    if (!SaveFileAtomically(output, *bytes)) {
        *error = QStringLiteral("%1 を保存できません。").arg(output);
        return false;
    }
    return true;
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
