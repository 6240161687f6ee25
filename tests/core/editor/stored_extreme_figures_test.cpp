// Figures at the very edges of the stored range, as a damaged file or another program may
// hold them, through open, calculate and save: each is read as a figure out of range and
// named like an overflow, the estimate is not saved over, and nothing aborts or shows the
// figure as blank (a stored -2^63 once read as "no number" and was saved as 0).

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>

#include "core/store/estimate_file.h"
#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

constexpr std::size_t kQuantityOffset = 112;

// Writes raw over the quantity of the record of this kind and number in the file.
void PatchQuantity(const QString& path, int kind, int number, std::int64_t raw) {
    std::string bytes = test::ReadAll(path);
    for (std::size_t at = kEstimateHeaderSize; at + kLineRecordSize <= bytes.size();
         at += kLineRecordSize) {
        LineRecord record;
        record.Assign(std::string_view(bytes).substr(at, kLineRecordSize));
        if (record.Kind() != kind || record.Number() != number) continue;
        for (int i = 0; i < 8; ++i)
            bytes[at + kQuantityOffset + i] =
                static_cast<char>(static_cast<std::uint64_t>(raw) >> (8 * i));
        test::WriteAll(path, bytes);
        return;
    }
    FAIL() << "no record of kind " << kind << " number " << number;
}

TEST(StoredExtremeFigures, AreNamedAsOutOfRangeAndNeverSaved) {
    const std::int64_t values[] = {std::numeric_limits<std::int64_t>::min(),
                                   std::numeric_limits<std::int64_t>::min() + 1,
                                   std::numeric_limits<std::int64_t>::max()};
    struct Place {
        const char* what;
        int kind;    // record kind: -1 summary, a breakdown line for its detail sheet
        int number;  // the record's line
        const char* named;
    } places[] = {{"summary quantity", kSummaryKind, 1, "総括書 1 行目"},
                  {"detail quantity", 1, 1, "内訳書 1 行目の明細 1 行目"}};
    for (const std::int64_t raw : values) {
        for (const Place& p : places) {
            SCOPED_TRACE(std::string(p.what) + " " + std::to_string(raw));
            test::WorkingFolder folder;
            test::WriteAll(folder.FilePath("e.json"),
                           R"({"cover":{"MName1":"a","MTitle1":"b","CheckBox1":true},
                "summary":[["", "1", "work", "式", "2", "300"]],
                "breakdown":[{"cells":["","1","pipes"],
                              "details":[["","","pipe","","m","2","300"]]}]})");
            ASSERT_EQ(test::RunCli({"create", "--json", "e.json"}).exitCode, 0);
            const QString path = folder.FilePath("DAT/m_000001.dat");
            PatchQuantity(path, p.kind, p.number, raw);
            const std::string stored = test::ReadAll(path);

            const test::CliRun shown = test::RunCli({"show", "000001", "--json"});
            EXPECT_EQ(shown.exitCode, 0) << shown.err;
            const test::CliRun calc = test::RunCli({"calc", "000001", "--json", "--save"});
            EXPECT_EQ(calc.exitCode, 1) << calc.err;
            EXPECT_NE(calc.err.find(p.named), std::string::npos) << calc.err;
            EXPECT_EQ(test::ReadAll(path), stored);
        }
    }
}

}  // namespace
}  // namespace quilto
