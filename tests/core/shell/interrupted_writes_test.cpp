#include "core/shell/interrupted_writes.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>

#include "core/store/environment.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::WriteAll;

void Age(const char* path, qint64 seconds) {
    QFile file(QString::fromUtf8(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds),
                                 QFileDevice::FileModificationTime));
}

// The temporary files of writes a kill interrupted go once nothing has touched them for ten
// minutes; a write still going on (touched a moment ago), the files themselves, markers and
// a part file of a first save (held by its lock, and removed by the leftover deletion) stay.
TEST(InterruptedWrites, OldTemporaryFilesOfOurWritesGoAndNothingElse) {
    test::WorkingFolder folder;
    QDir().mkpath("DAT/発行済み");
    const struct {
        const char* path;
        qint64 age;
        bool removed;
    } cases[] = {
        {"MST/sp_syo.dat.Ab3dEf", 3600, true},
        {"DAT/m_000001.dat.x1Y2z3", 700, true},
        {"sp_jis.dat.q9W8e7", 86400, true},
        {"XlsBase/XKP00.Dat.abcdef", 3600, true},
        {"DAT/.m_000002.dat.copying", 3600, true},
        {"DAT/発行済み/000001_20261210-101010.pdf.Zz9Yy8", 3600, true},
        {"DAT/.quilto-list-index.AbCdEf", 3600, true},
        {"MST/sp_syo.dat.Ab3dEg", 30, false},  // being written now
        {"MST/sp_syo.dat", 3600, false},
        {"DAT/m_000001.dat", 3600, false},
        {"DAT/m_000001.tmp", 3600, false},
        {"DAT/m_new.0123456789abcdef.part", 3600, false},
        {"DAT/notes.txt.abcdef", 3600, false},  // not one of ours
        {"DAT/m_000001.dat.abc", 3600, false},
    };
    for (const auto& c : cases) {
        WriteAll(QString::fromUtf8(c.path), "x");
        Age(c.path, c.age);
    }
    Environment environment;
    const InterruptedWrites found =
        RemoveInterruptedWrites(WrittenFolders(environment), QDateTime::currentDateTime());
    for (const auto& c : cases)
        EXPECT_EQ(QFile::exists(QString::fromUtf8(c.path)), !c.removed) << c.path;
    EXPECT_EQ(found.removed.size(), 7);
    EXPECT_TRUE(found.kept.isEmpty());
    EXPECT_EQ(InterruptedWritesMessage(found),
              "中断された書込みの一時ファイル 7 件を削除しました（元のファイルはそのままです）。");
    EXPECT_EQ(InterruptedWritesMessage({}), "");
}

}  // namespace
}  // namespace quilto
