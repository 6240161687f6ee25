#include "core/shell/archive_check.h"

#include <QDir>

#include "core/shell/program_state.h"
#include "core/store/estimate_search.h"
#include "core/store/issued_archive.h"

namespace quilto {

std::string CheckIssuedArchive(ProgramState& program) {
    const QString folder = IssuedArchiveFolder(program.environment);
    if (!QDir(folder).exists()) return {};
    ArchiveReading reading = ReadIssuedArchive(folder);
    if (!reading.failure.isEmpty())
        return QStringLiteral(
                   "発行済み書類の索引を読めません。\n%1\n索引を消さずに、読めるように"
                   "して下さい（権限・容量など）。")
            .arg(reading.failure)
            .toStdString();
    const ArchiveRepair repair = AdoptUnlistedPdfs(folder, reading);
    QStringList notes;
    if (!repair.adopted.isEmpty())
        notes << QStringLiteral(
                     "索引に載っていなかったPDF %1 件を索引に加えました（発行の途中で"
                     "止まったものです。発行書類は「不明」としています）:\n  %2")
                     .arg(repair.adopted.size())
                     .arg(repair.adopted.join(QStringLiteral("\n  ")));
    if (!reading.pdfsWithoutLine.isEmpty())
        notes << QStringLiteral(
                     "索引に載っていないPDFが %1 件あります（削除していません）:\n  %2%3")
                     .arg(reading.pdfsWithoutLine.size())
                     .arg(reading.pdfsWithoutLine.join(QStringLiteral("\n  ")))
                     .arg(repair.failure.isEmpty()
                              ? QString()
                              : QStringLiteral("\n  (") + repair.failure + QStringLiteral(")"));
    if (!reading.linesWithoutPdf.isEmpty())
        notes << QStringLiteral(
                     "索引にあるPDF %1 件が見つかりません。バックアップから戻して下さい:\n  %2")
                     .arg(reading.linesWithoutPdf.size())
                     .arg(reading.linesWithoutPdf.join(QStringLiteral("\n  ")));
    if (reading.lastLineCut)
        notes << QStringLiteral(
            "索引の最後の行が途中で切れています（書込み中の中断）。その行は"
            "使いません。");
    if (notes.isEmpty()) return {};
    return (QStringLiteral("発行済み書類（%1）:\n").arg(folder) +
            notes.join(QStringLiteral("\n\n")))
        .toStdString();
}

}  // namespace quilto
