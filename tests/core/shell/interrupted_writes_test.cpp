#include "core/shell/interrupted_writes.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "core/foundation/held_temporary_file.h"
#include "core/store/environment.h"
#include "support/marker_holder.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::WriteAll;

// The temporary files of writes a kill interrupted go, whatever their age; a write going on
// now (its temporary file held by a running copy, here another process) stays however old
// it looks, and so do the files themselves and markers. Not even a fresh leftover is
// mistaken for a write in progress: nobody holds it.
TEST(InterruptedWrites, UnheldTemporaryFilesOfOurWritesGoAndNothingElse) {
    test::WorkingFolder folder;
    QDir().mkpath("DAT/発行済み");
    const struct {
        const char* path;
        bool removed;
    } cases[] = {
        {"MST/sp_syo.dat.Ab3dEf", true},
        {"DAT/m_000001.dat.x1Y2z3", true},
        {"sp_jis.dat.q9W8e7", true},
        {"XlsBase/XKP00.Dat.abcdef", true},
        {"DAT/.m_000002.dat.copying", true},
        {"DAT/発行済み/000001_20261210-101010.pdf.Zz9Yy8", true},
        {"DAT/.quilto-list-index.AbCdEf", true},
        {"DAT/m_new.0123456789abcdef.part", true},
        {"DAT/m_000003.claim", true},
        {"MST/sp_syo.dat", false},
        {"DAT/m_000001.dat", false},
        {"DAT/m_000001.tmp", false},
        {"MST/Master.tmp", false},
        {"DAT/notes.txt.abcdef", false},  // not one of ours
        {"DAT/m_000001.dat.abc", false},
    };
    for (const auto& c : cases) WriteAll(QString::fromUtf8(c.path), "x");
    // Being written now, by another copy and by this one.
    test::MarkerHolder otherCopy("MST/sp_syo.dat.Ab3dEg");
    ASSERT_TRUE(otherCopy.Held());
    HeldTemporaryFile ours;
    ASSERT_TRUE(ours.CreateBeside(QStringLiteral("DAT/m_000004.dat")));

    Environment environment;
    const InterruptedWrites found = RemoveInterruptedWrites(WrittenFolders(environment));
    for (const auto& c : cases)
        EXPECT_EQ(QFile::exists(QString::fromUtf8(c.path)), !c.removed) << c.path;
    EXPECT_TRUE(QFile::exists("MST/sp_syo.dat.Ab3dEg"));
    EXPECT_TRUE(QFile::exists(QFile::decodeName(ours.Name())));
    EXPECT_EQ(found.removed.size(), 9);
    EXPECT_EQ(found.held, 2);
    EXPECT_TRUE(found.kept.isEmpty());
    EXPECT_EQ(InterruptedWritesMessage(found),
              "中断された書込みの一時ファイル 9 件を削除しました（元のファイルはそのままです）。");
    EXPECT_EQ(InterruptedWritesMessage({}), "");
}

}  // namespace
}  // namespace quilto
