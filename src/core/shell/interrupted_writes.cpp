#include "core/shell/interrupted_writes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <string>

#include "core/foundation/file_helpers.h"
#include "core/store/environment.h"
#include "core/store/issued_archive.h"

namespace quilto {
namespace {

// NAME.XXXXXX beside a file of ours (the temporary file a crash-safe save writes), or
// .NAME.copying (a backup's or restore's copy in progress).
bool IsInterruptedWrite(const QString& name) {
    static const QRegularExpression saving(
        QStringLiteral("^.+\\.(dat|xlsx|csv|pdf|conf|quilto-list-index)\\.[A-Za-z0-9]{6}$"),
        QRegularExpression::CaseInsensitiveOption);
    static const QRegularExpression copying(QStringLiteral("^\\..+\\.copying$"));
    return saving.match(name).hasMatch() || copying.match(name).hasMatch() ||
           name.startsWith(QStringLiteral(".quilto-list-index.")) ||
           name.startsWith(QStringLiteral("index.csv."));
}

}  // namespace

InterruptedWrites RemoveInterruptedWrites(const QStringList& folders, const QDateTime& now) {
    InterruptedWrites found;
    for (const QString& folder : folders) {
        const QDir dir(folder);
        for (const QFileInfo& info :
             dir.entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name)) {
            if (!IsInterruptedWrite(info.fileName())) continue;
            if (info.lastModified().secsTo(now) < kInterruptedWriteAgeSeconds) continue;
            QFile file(info.absoluteFilePath());
            if (file.remove()) {
                found.removed << info.absoluteFilePath();
            } else {
                found.kept << info.absoluteFilePath() + QStringLiteral(": ") + file.errorString();
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
