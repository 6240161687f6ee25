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

// Content made piece by piece is saved whole or not at all: a piece that cannot be written
// (reported to the maker, even one that goes on regardless) or a maker that gives up leaves
// the old file and nothing beside it.
TEST(AtomicFile, ContentMadeInPiecesIsSavedWholeOrNotAtAll) {
    test::WorkingFolder folder(false);
    const std::string old(1000, 'o');
    test::WriteAll("data.dat", old);
    const auto pieces = [](int count, bool goOn) {
        return [count, goOn](const std::function<bool(std::string_view)>& write) {
            for (int i = 0; i < count; ++i)
                if (!write(std::string(500, static_cast<char>('a' + i))) && !goOn) return false;
            return true;
        };
    };
    EXPECT_TRUE(SaveFileAtomically("pieces.dat", pieces(3, false)));
    EXPECT_EQ(test::ReadAll("pieces.dat"),
              std::string(500, 'a') + std::string(500, 'b') + std::string(500, 'c'));
    {
        test::FileSizeLimit limit(1200);
        EXPECT_FALSE(SaveFileAtomically("data.dat", pieces(3, false)));
        EXPECT_FALSE(SaveFileAtomically("data.dat", pieces(3, true)));
    }
    EXPECT_FALSE(SaveFileAtomically(
        "data.dat",
        [](const std::function<bool(std::string_view)>& write) { return write("half") && false; }));
    EXPECT_EQ(test::ReadAll("data.dat"), old);
    EXPECT_EQ(QDir::current().entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"data.dat", "pieces.dat"}));
}

}  // namespace
}  // namespace quilto
