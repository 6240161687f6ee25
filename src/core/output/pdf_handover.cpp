#include "core/output/pdf_handover.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>

#include "core/editor/estimate_document.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/output/issued_handover.h"
#include "core/store/environment.h"

namespace quilto {
namespace {

constexpr qint64 kPdfLimit = 512LL * 1024 * 1024;
constexpr int kNameBytes = 255;  // NAME_MAX of Linux file systems
constexpr int kMailWaitMs = 60000;
constexpr char kPdfFolderKey[] = "output/pdfFolder";

bool Forbidden(char32_t c) {
    return c < 0x20 || c == 0x7f || QStringView(u"/\\:*?\"<>|").contains(QChar(c));
}

QString Cleaned(const QString& part) {
    QString out;
    for (const char32_t c : part.toUcs4()) {
        const QString character = QString::fromUcs4(&c, 1);
        out += Forbidden(c) ? QStringLiteral("_") : character;
    }
    return out.simplified();
}

bool CopyWhole(const QString& from, const QString& to, QString* error) {
    const std::optional<std::string> bytes = ReadWholeFile(from, kPdfLimit);
    if (!bytes) {
        *error = QStringLiteral("%1 を読み取れません。").arg(from);
        return false;
    }
    if (!SaveFileAtomically(to, *bytes)) {
        const QString folder = QFileInfo(to).absolutePath();
        *error = QFileInfo(folder).isWritable()
                     ? QStringLiteral("%1 を保存できません。空き容量を確かめて下さい。").arg(to)
                     : QStringLiteral(
                           "%1 を保存できません: フォルダ %2 に書き込めません。"
                           "別のフォルダを選んで下さい。")
                           .arg(to, folder);
        return false;
    }
    return true;
}

// The desktop's mail program with the PDF attached, through xdg-email.
bool Mail(const QString& attachment, const QString& subject, QString* error) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("xdg-email"));
    const QString setUp =
        QStringLiteral(
            "メールソフト (Thunderbird など) をインストールし、デスクトップの設定の"
            "「既定のアプリケーション」でメールに選んで下さい。PDF は %1 にあります。")
            .arg(attachment);
    if (tool.isEmpty()) {
        *error = QStringLiteral(
                     "メールソフトを開けません: xdg-email がありません。\n"
                     "インストールするには: sudo apt install xdg-utils\n") +
                 setUp;
        return false;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(tool,
                  {QStringLiteral("--subject"), subject, QStringLiteral("--attach"), attachment});
    if (!process.waitForStarted(10000) || !process.waitForFinished(kMailWaitMs) ||
        process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0) {
        const QString said = QString::fromLocal8Bit(process.readAll()).trimmed().right(300);
        *error = QStringLiteral(
                     "メールソフトを開けませんでした。メールソフトが設定されていない"
                     "ようです。\n") +
                 setUp +
                 (said.isEmpty() ? QString() : QStringLiteral("\n(xdg-email: ") + said + ")");
        return false;
    }
    return true;
}

}  // namespace

PdfHandOverOutcome HandOverPdf(const EstimateDocument& document, Environment& environment,
                               const OutputChoices& choices, const PdfHandOver& request) {
    PdfHandOverOutcome outcome;
    if (!QFileInfo(request.pdfPath).isFile()) {
        outcome.error =
            QStringLiteral("PDF %1 がありません。プレビューし直して下さい。").arg(request.pdfPath);
        return outcome;
    }
    switch (request.way) {
        case PdfHandOverWay::kPrint:
            if (PrintPdf(request.pdfPath, request.printer, DocumentTitleOf(document), request.range,
                         &outcome.error) == 0)
                return outcome;
            outcome.handedPath = request.pdfPath;
            break;
        case PdfHandOverWay::kSave:
            if (!CopyWhole(request.pdfPath, request.savePath, &outcome.error)) return outcome;
            outcome.handedPath = request.savePath;
            break;
        case PdfHandOverWay::kMail: {
            // The attachment keeps the estimate's name and outlives the preview: the mail
            // program may read it only when the mail is sent.
            const QString folder =
                QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
                QStringLiteral("/quilto/mail");
            const QString attachment = folder + QLatin1Char('/') + PdfFileNameOf(document);
            if (!QDir().mkpath(folder)) {
                outcome.error = QStringLiteral("%1 を作れません。").arg(folder);
                return outcome;
            }
            if (!CopyWhole(request.pdfPath, attachment, &outcome.error)) return outcome;
            if (!Mail(attachment, MailSubjectOf(document), &outcome.error)) return outcome;
            outcome.handedPath = attachment;
            break;
        }
    }
    outcome.result = PdfHandOverResult::kDone;
    const ArchiveOutcome kept = HandOverIssuedPdf(document, environment, choices, request.pdfPath);
    if (kept.result != ArchiveResult::kArchived) outcome.archiveNote = ArchiveFailureNote(kept);
    return outcome;
}

QString PdfFileName(const QString& number, const QString& customer, const QString& title) {
    QStringList parts;
    for (const QString& part : {number, customer, title}) {
        const QString cleaned = Cleaned(part);
        if (!cleaned.isEmpty()) parts << cleaned;
    }
    QString base = parts.join(QLatin1Char('_'));
    while (base.startsWith(QLatin1Char('.')) || base.startsWith(QLatin1Char(' ')))
        base.remove(0, 1);
    if (base.isEmpty()) base = QStringLiteral("見積書");
    const QString suffix = QStringLiteral(".pdf");
    const int room = kNameBytes - static_cast<int>(suffix.toUtf8().size());
    if (base.toUtf8().size() > room) {
        QString cut;
        for (const char32_t c : base.toUcs4()) {
            const QString character = QString::fromUcs4(&c, 1);
            if ((cut + character).toUtf8().size() > room) break;
            cut += character;
        }
        base = cut.trimmed();
    }
    return base + suffix;
}

QString PdfFileNameOf(const EstimateDocument& document) {
    return PdfFileName(Cp932ToQStringLossy(document.Text(HeaderText::MNo)),
                       Cp932ToQStringLossy(document.Text(HeaderText::MName1)),
                       Cp932ToQStringLossy(document.Text(HeaderText::MTitle1)));
}

QString DocumentTitle(const QString& number, const QString& customer, const QString& title) {
    QStringList parts;
    for (const QString& part : {number, customer, title})
        if (!part.simplified().isEmpty()) parts << part.simplified();
    return parts.isEmpty() ? QStringLiteral("見積書") : parts.join(QLatin1Char(' '));
}

QString DocumentTitleOf(const EstimateDocument& document) {
    return DocumentTitle(Cp932ToQStringLossy(document.Text(HeaderText::MNo)),
                         Cp932ToQStringLossy(document.Text(HeaderText::MName1)),
                         Cp932ToQStringLossy(document.Text(HeaderText::MTitle1)));
}

QString MailSubjectOf(const EstimateDocument& document) {
    const QString title = Cp932ToQStringLossy(document.Text(HeaderText::MTitle1)).simplified();
    const QString number = Cp932ToQStringLossy(document.Text(HeaderText::MNo)).simplified();
    QString subject = QStringLiteral("御見積書");
    if (!title.isEmpty()) subject += QStringLiteral(" ") + title;
    if (!number.isEmpty()) subject += QStringLiteral(" (No.%1)").arg(number);
    return subject;
}

QString LastPdfFolder(const QString& configFile) {
    if (!QFileInfo(configFile).isFile()) return {};
    const QSettings settings(configFile, QSettings::IniFormat);
    const QString folder = settings.value(QLatin1String(kPdfFolderKey)).toString();
    return !folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QString();
}

void RememberPdfFolder(const QString& configFile, const QString& folder) {
    QDir().mkpath(QFileInfo(configFile).absolutePath());
    QSettings settings(configFile, QSettings::IniFormat);
    settings.setValue(QLatin1String(kPdfFolderKey), folder);
}

}  // namespace quilto
