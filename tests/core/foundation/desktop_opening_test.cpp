// A file that would not open says which piece of the desktop is missing and what to
// install, with the file's path.

#include "core/foundation/desktop_opening.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace quilto {
namespace {

void Write(const QString& path, const QByteArray& content) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

TEST(DesktopOpening, NamesWhatIsMissing) {
    QTemporaryDir root;
    const QDir dir(root.path());
    dir.mkpath("bin");
    dir.mkpath("apps/vendor");
    const QString opener = dir.filePath("bin/xdg-open");
    Write(opener, "#!/bin/sh\n");
    QFile::setPermissions(opener, QFile::ReadOwner | QFile::ExeOwner);
    // A browser only: it opens the manual, not a workbook.
    Write(dir.filePath("apps/browser.desktop"),
          "[Desktop Entry]\nName=Browser\nMimeType=text/html;application/xhtml+xml;\n");

    const QString workbook = dir.filePath("Xls/見積書00.xlsx");
    const OpeningPlaces withoutOpener{{dir.filePath("apps")}, {dir.filePath("apps")}};
    const OpeningPlaces withOpener{{dir.filePath("apps")}, {dir.filePath("bin")}};
    EXPECT_EQ(FindOpeningGap(workbook, withoutOpener), OpeningGap::kNoOpener);
    EXPECT_EQ(FindOpeningGap(workbook, withOpener), OpeningGap::kNoProgramForIt);
    EXPECT_EQ(FindOpeningGap(dir.filePath("manual/index.html"), withOpener), OpeningGap::kNone);

    // A spreadsheet program's entry in a vendor folder counts.
    Write(dir.filePath("apps/vendor/calc.desktop"),
          "[Desktop Entry]\nName=Calc\nMimeType=application/vnd.ms-excel;"
          "application/vnd.openxmlformats-officedocument.spreadsheetml.sheet;\n");
    EXPECT_EQ(FindOpeningGap(workbook, withOpener), OpeningGap::kNone);
}

TEST(DesktopOpening, TheMessageSaysWhyWhatToDoAndWhere) {
    const QString path = QStringLiteral("/data/Xls/見積書00.xlsx");
    const std::string lead = "エクセル表を開けませんでした。";
    EXPECT_EQ(OpeningFailureMessage(lead, path, OpeningGap::kNoOpener),
              lead +
                  "\nファイルを開くためのデスクトップの仕組み (xdg-open) がありません。\n"
                  "パッケージ xdg-utils を入れて下さい。\nファイル: /data/Xls/見積書00.xlsx");
    EXPECT_EQ(OpeningFailureMessage(lead, path, OpeningGap::kNoProgramForIt),
              lead +
                  "\nこのファイルを開くプログラムが入っていません。\n表計算ソフト (LibreOffice "
                  "Calc: パッケージ libreoffice-calc) を入れて下さい。\nファイル: "
                  "/data/Xls/見積書00.xlsx");
}

}  // namespace
}  // namespace quilto
