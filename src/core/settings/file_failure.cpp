#include "core/settings/file_failure.h"

#include <QDir>
#include <QFileInfo>

namespace quilto {
namespace {

std::string Named(const QString& what, const char* reason) {
    return QDir::toNativeSeparators(what).toStdString() + " (" + reason + ")";
}

// mustExist: the file is only ever rewritten, never made, so its absence is the reason.
const char* WriteReason(const QString& path, bool mustExist) {
    const QFileInfo file(path);
    if (mustExist && !file.exists()) return "ファイルがありません";
    if (file.isDir()) return "同じ名前のフォルダーがあります";
    const QFileInfo folder(file.absolutePath());
    if (!folder.isDir()) return "フォルダーがありません";
    if (!folder.isWritable() || (file.exists() && !file.isWritable())) {
        return "書き込みが許可されていません";
    }
    return "書き込みに失敗しました。空き容量などを確認してください";
}

}  // namespace

std::string WriteFailureText(const QString& path) { return Named(path, WriteReason(path, true)); }

std::string CopyFailureText(const QString& source, const QString& target) {
    const QFileInfo in(source);
    const char* reason = nullptr;
    if (!in.exists()) {
        reason = "コピー元のファイルがありません";
    } else if (!in.isReadable()) {
        reason = "コピー元を読み込めません";
    } else {
        reason = WriteReason(target, false);
    }
    return QDir::toNativeSeparators(source).toStdString() + " ≫ " + Named(target, reason);
}

std::string FolderFailureText(const QString& folder, const char* reason) {
    return Named(folder, reason);
}

}  // namespace quilto
