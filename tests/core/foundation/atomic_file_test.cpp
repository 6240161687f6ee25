#include "core/foundation/atomic_file.h"

#include <gtest/gtest.h>

#include <QDir>
#include <string>

#include "support/file_size_limit.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

// A write cut short (full disk) must be reported and must leave the old file whole, with no
// temporary file left beside it; a write that fits replaces the file.
TEST(AtomicFile, ShortWriteKeepsTheOldFile) {
    test::WorkingFolder folder(false);
    const std::string old(1000, 'o');
    test::WriteAll("data.dat", old);
    {
        test::FileSizeLimit limit(1200);
        EXPECT_FALSE(SaveFileAtomically("data.dat", std::string(1372, 'n')));
        EXPECT_TRUE(SaveFileAtomically("small.dat", std::string(1100, 's')));
    }
    EXPECT_EQ(test::ReadAll("data.dat"), old);
    EXPECT_EQ(test::ReadAll("small.dat"), std::string(1100, 's'));
    EXPECT_EQ(QDir::current().entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"data.dat", "small.dat"}));
}

}  // namespace
}  // namespace quilto
