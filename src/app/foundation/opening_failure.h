#pragma once

// A file the program made could not be opened by the desktop: the user is told why and
// what to do, with the file's path, and may copy the path or open its folder from there.

#include <QString>
#include <QUrl>
#include <functional>
#include <string>

namespace quilto {

class Questions;

// lead is the fixed text ("エクセル表を開けませんでした。"); openUrl opens the folder.
void TellOpeningFailed(Questions& questions, const std::string& lead, const QString& path,
                       const std::function<bool(const QUrl&)>& openUrl);

inline constexpr char kWorkbookOpenFailure[] = "エクセル表を開けませんでした。";
inline constexpr char kCopyPathButton[] = "パスをコピー";
inline constexpr char kOpenFolderButton[] = "フォルダーを開く";
inline constexpr char kCloseButton[] = "閉じる";

}  // namespace quilto
