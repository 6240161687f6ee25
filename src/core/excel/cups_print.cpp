#include "core/excel/cups_print.h"

#include "core/excel/cups_library.h"

#include <QFile>
#include <QFileInfo>

namespace quilto {
namespace {

// Whether the printing system answers at all: without it every printer looks missing, and
// the user is to be told that the printing system is what is missing.
bool CupsReachable(const CupsLibrary& cups) {
    http_t* http = cups.httpConnect2(cups.server(), cups.ippPort(), nullptr, AF_UNSPEC,
                                     cups.encryption(), 1, 5000, nullptr);
    if (http == nullptr) return false;
    cups.httpClose(http);
    return true;
}

}  // namespace

int PrintPdf(const QString& pdfPath, const QString& printer, const QString& title, QString* error) {
    return PrintPdf(pdfPath, printer, title, PrintRange{}, error);
}

int PrintPdf(const QString& pdfPath, const QString& printer, const QString& title,
             const PrintRange& range, QString* error) {
    if (!QFileInfo(pdfPath).isFile()) {
        *error = QStringLiteral("印刷するファイル %1 がありません。").arg(pdfPath);
        return 0;
    }
    std::string unavailable;
    const CupsLibrary* cups = Cups(&unavailable);
    if (cups == nullptr) {
        *error = QString::fromStdString(unavailable);
        return 0;
    }
    const QByteArray name = printer.toUtf8();
    cups_dest_t* dest = cups->getNamedDest(CUPS_HTTP_DEFAULT,
                                           printer.isEmpty() ? nullptr : name.constData(), nullptr);
    if (dest == nullptr) {
        if (!CupsReachable(*cups))
            *error = QStringLiteral(
                         "印刷サービス (CUPS, %1) に接続できません。CUPS がインストールされ、"
                         "動いているか確かめてください。\nインストールするには: sudo apt install "
                         "cups (プリンタは「プリンタの設定」で追加します)")
                         .arg(QString::fromUtf8(cups->server()));
        else if (printer.isEmpty())
            *error = QStringLiteral(
                "通常使うプリンタが設定されていません。プリンタの設定でプリンタを選んでください。");
        else
            *error = QStringLiteral("プリンタ %1 が見つかりません。").arg(printer);
        return 0;
    }
    const QByteArray file = QFile::encodeName(pdfPath);
    const QByteArray jobTitle = title.toUtf8();
    // The printer's own settings, with the pages and copies of this job on top.
    cups_option_t* options = nullptr;
    int optionCount = 0;
    for (int i = 0; i < dest->num_options; ++i)
        optionCount =
            cups->addOption(dest->options[i].name, dest->options[i].value, optionCount, &options);
    if (range.firstPage > 0 && range.lastPage >= range.firstPage) {
        const QByteArray pages =
            QByteArray::number(range.firstPage) + '-' + QByteArray::number(range.lastPage);
        optionCount = cups->addOption("page-ranges", pages.constData(), optionCount, &options);
    }
    if (range.copies > 1) {
        const QByteArray copies = QByteArray::number(range.copies);
        optionCount = cups->addOption("copies", copies.constData(), optionCount, &options);
    }
    const int job = cups->printFile2(CUPS_HTTP_DEFAULT, dest->name, file.constData(),
                                     jobTitle.constData(), optionCount, options);
    cups->freeOptions(optionCount, options);
    if (job == 0)
        *error =
            QStringLiteral("プリンタ %1 に印刷できませんでした: %2")
                .arg(QString::fromUtf8(dest->name), QString::fromUtf8(cups->lastErrorString()));
    cups->freeDests(1, dest);
    return job;
}

}  // namespace quilto
