#include "core/excel/office_convert.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <fstream>

#include "core/excel/cups_print.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

// Stands in for soffice: a shell script given as $QUILTO_SOFFICE.
class FakeOffice {
  public:
    explicit FakeOffice(const std::string& body) {
        path_ = dir_.filePath(QStringLiteral("soffice"));
        test::WriteAll(path_, "#!/bin/sh\n" + body);
        QFile::setPermissions(path_, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        qputenv("QUILTO_SOFFICE", path_.toLocal8Bit());
    }
    ~FakeOffice() { qunsetenv("QUILTO_SOFFICE"); }
    QString Folder() const { return dir_.path(); }

  private:
    QTemporaryDir dir_;
    QString path_;
};

// The fake converts by copying: "$outdir/<name>.<ext>", and counts its runs.
const char kCopyingOffice[] =
    "echo run >> \"$(dirname \"$0\")/runs\"\n"
    "for a; do last=$a; done\n"
    "while [ $# -gt 0 ]; do case $1 in --outdir) out=$2; shift;; --convert-to) to=${2%%:*}; "
    "shift;; esac; shift; done\n"
    "base=$(basename \"$last\"); cp \"$last\" \"$out/${base%.*}.$to\"\n";

int Runs(const FakeOffice& office) {
    const std::string runs = test::ReadAll(office.Folder() + "/runs");
    return static_cast<int>(std::count(runs.begin(), runs.end(), '\n'));
}

bool ProcessGone(qint64 pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    if (!stat) return true;
    std::string line;
    std::getline(stat, line);
    const std::size_t close = line.rfind(')');
    return close != std::string::npos && line.size() > close + 2 && line[close + 2] == 'Z';
}

TEST(OfficeConvert, MissingLibreOfficeIsSaidPlainly) {
    qputenv("QUILTO_SOFFICE", "/nonexistent/soffice");
    QTemporaryDir dir;
    test::WriteAll(dir.filePath("a.xlsx"), "x");
    QString error;
    EXPECT_TRUE(FindOffice().isEmpty());
    EXPECT_FALSE(ConvertWithOffice(dir.filePath("a.xlsx"), dir.filePath("a.pdf"), &error));
    // It names what to install: a packaged Quilto only recommends it.
    EXPECT_TRUE(error.contains(QStringLiteral("apt install libreoffice-calc")))
        << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(dir.filePath("a.pdf")));
    qunsetenv("QUILTO_SOFFICE");
}

TEST(OfficeConvert, AHangingConversionIsStoppedWithNothingLeftRunning) {
    QTemporaryDir dir;
    const QString pidFile = dir.filePath("helper.pid");
    FakeOffice office("sleep 300 &\necho $! > '" + pidFile.toStdString() + "'\nsleep 300\n");
    test::WriteAll(dir.filePath("a.xlsx"), "x");
    QString error;
    EXPECT_FALSE(ConvertWithOffice(dir.filePath("a.xlsx"), dir.filePath("a.pdf"), &error, 1500));
    EXPECT_FALSE(error.isEmpty());
    const qint64 helper = QString::fromStdString(test::ReadAll(pidFile)).trimmed().toLongLong();
    ASSERT_GT(helper, 0);
    for (int i = 0; i < 50 && !ProcessGone(helper); ++i) QThread::msleep(20);
    EXPECT_TRUE(ProcessGone(helper)) << "a child of the converter outlived it";
}

TEST(OfficeConvert, AConversionThatWritesNothingFails) {
    FakeOffice office("exit 0\n");
    QTemporaryDir dir;
    test::WriteAll(dir.filePath("a.xlsx"), "x");
    test::WriteAll(dir.filePath("a.pdf"), "old");
    QString error;
    EXPECT_FALSE(ConvertWithOffice(dir.filePath("a.xlsx"), dir.filePath("a.pdf"), &error));
    EXPECT_EQ(test::ReadAll(dir.filePath("a.pdf")), "old");
}

TEST(OfficeConvert, LegacyTemplatesAreConvertedOnceAndAgainWhenNewer) {
    FakeOffice office(kCopyingOffice);
    QTemporaryDir base;
    QString path, note, error;
    // Neither form: an error.
    EXPECT_FALSE(ResolveTemplate(base.path(), QStringLiteral("見積書00"), &path, &note, &error));
    EXPECT_TRUE(error.contains(QStringLiteral("見積書00"))) << error.toStdString();

    test::WriteAll(base.filePath("見積書00.XLS"), "legacy 1");  // any letter case
    ASSERT_TRUE(ResolveTemplate(base.path(), QStringLiteral("見積書00"), &path, &note, &error))
        << error.toStdString();
    EXPECT_EQ(test::ReadAll(path), "legacy 1");
    EXPECT_FALSE(note.isEmpty()) << "the user hears that the template was converted";
    EXPECT_FALSE(path.startsWith(base.filePath("見積書00.xlsx")));
    ASSERT_TRUE(ResolveTemplate(base.path(), QStringLiteral("見積書00"), &path, &note, &error));
    EXPECT_EQ(Runs(office), 1) << "the cached conversion is used";

    test::WriteAll(base.filePath("見積書00.XLS"), "legacy 2");
    QFile legacy(base.filePath("見積書00.XLS"));
    ASSERT_TRUE(legacy.open(QIODevice::ReadWrite));
    legacy.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    legacy.close();
    ASSERT_TRUE(ResolveTemplate(base.path(), QStringLiteral("見積書00"), &path, &note, &error));
    EXPECT_EQ(Runs(office), 2);
    EXPECT_EQ(test::ReadAll(path), "legacy 2");

    // A real .xlsx wins over the legacy file, without conversion or note.
    test::WriteAll(base.filePath("見積書00.xlsx"), "modern");
    ASSERT_TRUE(ResolveTemplate(base.path(), QStringLiteral("見積書00"), &path, &note, &error));
    EXPECT_EQ(test::ReadAll(path), "modern");
    EXPECT_TRUE(note.isEmpty());
    EXPECT_EQ(Runs(office), 2);
}

TEST(CupsPrint, NoPrinterGivesAMessageNotAHang) {
    QTemporaryDir dir;
    test::WriteAll(dir.filePath("a.pdf"), "%PDF-1.4\n");
    const QByteArray server = qgetenv("CUPS_SERVER");
    qputenv("CUPS_SERVER", dir.filePath("no-cups.sock").toLocal8Bit());
    qunsetenv("LPDEST");
    qunsetenv("PRINTER");
    QString error;
    // Without a printing system to reach, the message says that, and what to install: a
    // packaged Quilto only recommends it.
    for (const QString& printer : {QString(), QStringLiteral("NoSuchQueue")}) {
        error.clear();
        EXPECT_EQ(PrintPdf(dir.filePath("a.pdf"), printer, QStringLiteral("t"), &error), 0);
        EXPECT_TRUE(error.contains(QStringLiteral("CUPS"))) << error.toStdString();
        EXPECT_TRUE(error.contains(QStringLiteral("apt install cups"))) << error.toStdString();
    }
    EXPECT_EQ(PrintPdf(dir.filePath("missing.pdf"), QString(), QStringLiteral("t"), &error), 0);
    if (server.isNull())
        qunsetenv("CUPS_SERVER");
    else
        qputenv("CUPS_SERVER", server);
}

}  // namespace
}  // namespace quilto
