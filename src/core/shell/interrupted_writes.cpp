#include "core/shell/interrupted_writes.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <string>

#include "core/foundation/file_helpers.h"
#include "core/store/environment.h"
#include "core/store/issued_archive.h"
#include "core/store/markers.h"

namespace quilto {
namespace {

// NAME.XXXXXX beside a file of ours (the temporary file a crash-safe save writes),
// .NAME.copying (a backup's or restore's copy in progress), m_new.*.part (a new estimate's
// content before it gets its number) or m_NNNNNN.claim (a number being given out).
bool IsInterruptedWrite(const QString& name) {
    static const QRegularExpression saving(
        QStringLiteral("^.+\\.(dat|xlsx|csv|pdf|conf|quilto-list-index)\\.[A-Za-z0-9]{6}$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression copying(QStringLiteral("^\\..+\\.copying$"));
    static const QRegularExpression newEstimate(
        QStringLiteral("^m_(new\\.[0-9a-f]+\\.part|[0-9]{6}\\.claim)$"));
    return saving.match(name).hasMatch() || copying.match(name).hasMatch() ||
           newEstimate.match(name).hasMatch() ||
           name.startsWith(QStringLiteral(".quilto-list-index.")) ||
           name.startsWith(QStringLiteral("index.csv."));
}

}  // namespace

InterruptedWrites RemoveInterruptedWrites(const QStringList& folders) {
    InterruptedWrites found;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
            if (!IsInterruptedWrite(info.fileName())) continue;
            switch (DeleteIfFree(info.absoluteFilePath())) {
                case FreeDeletion::kDeleted:
                    found.removed << info.absoluteFilePath();
                    break;
                case FreeDeletion::kHeld:
                    ++found.held;
                    break;
                case FreeDeletion::kFailed:
                    found.kept << info.absoluteFilePath() + QStringLiteral(": ") +
                                      (QFileInfo(info.absolutePath()).isWritable()
                                           ? QStringLiteral("削除できません")
                                           : QStringLiteral(
                                                 "フォルダーに書き込みが許可されていません"));
                    break;
            }
        }
    }
    return found;
}

QStringList WrittenFolders(Environment& environment) {
    const QString data = NativePath(DataFolder(environment));
    return {QDir::currentPath(), data, NativePath(MasterFolder(environment)),
            QStringLiteral("XlsBase"), QDir(data).filePath(QString::fromUtf8(kIssuedFolderName))};
}

std::string InterruptedWritesMessage(const InterruptedWrites& found) {
    QString message;
    if (!found.removed.isEmpty())
        message = QStringLiteral(
                      "中断された書込みの一時ファイル %1 件を削除しました（元のファイルは"
                      "そのままです）。")
                      .arg(found.removed.size());
    if (!found.kept.isEmpty()) {
        if (!message.isEmpty()) message += QLatin1Char('\n');
        message += QStringLiteral("中断された書込みの一時ファイルを削除できませんでした:\n  ") +
                   found.kept.join(QStringLiteral("\n  "));
    }
    return message.toStdString();
}

}  // namespace quilto
