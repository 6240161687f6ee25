#include "core/foundation/file_helpers.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <string>
#include <string_view>

#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

TEST(FileHelpers, AppendSeparatorEndsInExactlyOne) {
    // 表 is 0x95 0x5C: its second byte looks like the Windows separator but is not one.
    const std::string hyou = Sjis("図表");
    struct Case {
        std::string input;
        char separator;
        std::string expected;
    };
    const Case cases[] = {
        {"DAT", '/', "DAT/"},
        {"/srv/quilto/DAT/", '/', "/srv/quilto/DAT/"},
        {"DAT//", '/', "DAT/"},
        {"/", '/', "/"},
        {"", '/', ""},
        {"DAT\\", '/', "DAT\\/"},
        {"C:\\DAT", '\\', "C:\\DAT\\"},
        {"C:\\DAT\\", '\\', "C:\\DAT\\"},
        {"C:\\DAT\\\\", '\\', "C:\\DAT\\"},
        {"C:\\" + hyou, '\\', "C:\\" + hyou + "\\"},
        {"C:\\" + hyou + "\\", '\\', "C:\\" + hyou + "\\"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(AppendSeparator(c.input, c.separator), c.expected)
            << "input: " << c.input << " separator " << c.separator;
    }
}

TEST(FileHelpers, NativePathConvertsCp932) {
    EXPECT_EQ(NativePath(Sjis("見積/データ.dat")), QString::fromUtf8("見積/データ.dat"));
}

TEST(FileHelpers, OpenSizeAndCreate) {
    WorkingFolder folder;
    WriteAll("five.dat", "12345");

    EXPECT_TRUE(CanOpenFile("five.dat"));
    EXPECT_EQ(FileSizeOf("five.dat"), 5);
    EXPECT_FALSE(CanOpenFile("missing.dat"));
    EXPECT_EQ(FileSizeOf("missing.dat"), -1);
    EXPECT_FALSE(CanOpenFile("DAT"));  // a folder is no file
    EXPECT_EQ(FileSizeOf("DAT"), -1);

    EXPECT_TRUE(CreateEmptyFile("DAT/new.tmp"));
    EXPECT_EQ(FileSizeOf("DAT/new.tmp"), 0);
    EXPECT_TRUE(CreateEmptyFile("five.dat"));
    EXPECT_EQ(FileSizeOf("five.dat"), 0);

    EXPECT_FALSE(CreateEmptyFile("NoFolder/new.tmp"));
    EXPECT_FALSE(QDir("NoFolder").exists());
    EXPECT_FALSE(CreateEmptyFile("DAT"));
}

TEST(FileHelpers, CopyFileOverReplacesTheTargetWhole) {
    WorkingFolder folder;
    WriteAll("source.dat", "new");
    WriteAll("DAT/target.dat", "old and longer");

    EXPECT_TRUE(CopyFileOver("source.dat", "DAT/target.dat"));
    EXPECT_EQ(ReadAll("DAT/target.dat"), "new");
    EXPECT_TRUE(CopyFileOver("source.dat", "MST/fresh.dat"));
    EXPECT_EQ(ReadAll("MST/fresh.dat"), "new");

    // A failed copy says so and leaves the old target as it was.
    WriteAll("DAT/target.dat", "kept");
    EXPECT_FALSE(CopyFileOver("missing.dat", "DAT/target.dat"));
    EXPECT_EQ(ReadAll("DAT/target.dat"), "kept");
    EXPECT_FALSE(CopyFileOver("source.dat", "NoFolder/target.dat"));
    EXPECT_EQ(QDir("DAT").entryList(QDir::Files), QStringList({"target.dat"}));
}

TEST(FileHelpers, ResolveCaseInsensitiveFindsFilesMigratedFromWindows) {
    WorkingFolder folder;
    WriteAll("XlsBase/xkp00.dat", "x");
    WriteAll("XlsBase/XKPSei00.Dat", "x");

    EXPECT_EQ(ResolveCaseInsensitive("XlsBase/XKP00.Dat"), QDir("XlsBase").filePath("xkp00.dat"));
    EXPECT_EQ(ResolveCaseInsensitive("XlsBase/XKPSei00.Dat"), "XlsBase/XKPSei00.Dat");
    EXPECT_EQ(ResolveCaseInsensitive("XlsBase/XKP01.Dat"), "XlsBase/XKP01.Dat");
    EXPECT_EQ(ResolveCaseInsensitive("NoFolder/XKP00.Dat"), "NoFolder/XKP00.Dat");
}

}  // namespace
}  // namespace quilto
