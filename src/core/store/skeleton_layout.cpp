#include "core/store/skeleton_layout.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>
#include <string>

namespace quilto {
namespace {

constexpr char kPlaceholder[] = ".keep";

bool Fail(SkeletonLayout& layout, const QString& path, const QString& reason) {
    layout.status = SkeletonLayout::Status::kFailed;
    layout.path = path;
    layout.reason = reason;
    return false;
}

bool MakeFolder(SkeletonLayout& layout, const QString& folder) {
    const QFileInfo info(folder);
    if (info.isDir()) return true;
    if (info.exists()) return Fail(layout, folder, QStringLiteral("フォルダではなくファイルです"));
    if (!QDir().mkpath(folder)) {
        const QString reason = QFileInfo(info.absolutePath()).isWritable()
                                   ? QStringLiteral("フォルダを作れません")
                                   : QStringLiteral("書き込みが許可されていません");
        return Fail(layout, folder, reason);
    }
    ++layout.added;
    return true;
}

bool CopyMissing(SkeletonLayout& layout, const QDir& from, const QString& to,
                 const SkeletonFileWanted& wanted) {
    if (!MakeFolder(layout, to)) return false;
    const QFileInfoList entries =
        from.entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
    QSet<QString> refused;
    if (wanted) {
        for (const QFileInfo& entry : entries) {
            const QString target = QDir(to).filePath(entry.fileName());
            if (!entry.isDir() && !wanted(target)) refused.insert(target);
        }
    }
    for (const QFileInfo& entry : entries) {
        const QString target = QDir(to).filePath(entry.fileName());
        if (entry.isDir()) {
            if (!CopyMissing(layout, QDir(entry.filePath()), target, wanted)) return false;
            continue;
        }
        if (entry.fileName() == QLatin1String(kPlaceholder) || refused.contains(target)) continue;
        // Whatever is there stays, even a file of the same name and another content: it may
        // be a template the firm has changed.
        if (QFileInfo::exists(target) || QFileInfo(target).isSymLink()) continue;
        QFile source(entry.filePath());
        if (!source.copy(target)) return Fail(layout, target, source.errorString());
        QFile copied(target);
        copied.setPermissions(copied.permissions() | QFileDevice::WriteOwner |
                              QFileDevice::ReadOwner);
        ++layout.added;
    }
    return true;
}

}  // namespace

SkeletonLayout LayOutFromSkeleton(const QString& skeleton, const QString& folder,
                                  const SkeletonFileWanted& wanted) {
    SkeletonLayout layout;
    if (!QFileInfo(skeleton).isDir()) {
        layout.status = SkeletonLayout::Status::kNoSkeleton;
        layout.path = skeleton;
        layout.reason = QStringLiteral("フォルダがありません");
        return layout;
    }
    CopyMissing(layout, QDir(skeleton), folder, wanted);
    return layout;
}

std::string SkeletonLayoutFailureMessage(const SkeletonLayout& layout, const QString& skeleton) {
    if (layout.status == SkeletonLayout::Status::kNoSkeleton) {
        return "作業フォルダのひな形 " + skeleton.toStdString() +
               " がありません。\nQuilto をインストールし直してください。";
    }
    return "作業フォルダを用意できません。\n" + layout.path.toStdString() + ": " +
           layout.reason.toStdString() + "\n書き込みのできるフォルダを選んでください。";
}

}  // namespace quilto
