#include "core/excel/invoice_placements.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <string>

#include "core/excel/table_definition.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::WorkingFolder;
using test::WriteAll;

TEST(InvoicePlacements, WrittenTextReadsBack) {
    const InvoicePlacements placements = {{"SA1HJTouroku", "M12"}, {"SB1HZGaku", "AB999"}};
    const std::string text = InvoicePlacementsText(placements);
    // Every item has its line, the unplaced ones empty, so a user sees what can be placed.
    EXPECT_NE(text.find("\nSA1HJTouroku=M12\nSA1HZRitu=\n"), std::string::npos) << text;
    EXPECT_NE(text.find("\nSB1HZGaku=AB999\n"), std::string::npos) << text;
    InvoicePlacementsDamage damage;
    EXPECT_EQ(ParseInvoicePlacements(text, &damage), placements) << damage.reason;
}

TEST(InvoicePlacements, EachLineIsCheckedAndTheFirstBadOneNamed) {
    struct Case {
        const char* text;
        InvoicePlacements placed;  // when read
        int badLine;               // 0: read
        const char* reason;        // part of the reason
    } cases[] = {
        {"", {}, 0, ""},
        {"# note\r\n\r\n  SA1HZRitu = a37 \r\nSB1HZRitu=\n", {{"SA1HZRitu", "a37"}}, 0, ""},
        {"SA1HZRitu=A37\nSA1HZGaku", {}, 2, "「項目=セル」"},
        {"SA1HZRitu=A37\nSA1HJName1=M4\n", {}, 2, "「SA1HJName1」は請求書の項目ではありません"},
        {"SA1HZRitu=A37\n\nSA1HZRitu=B37\n", {}, 3, "1 行目にも"},
        {"SA1HZRitu=A0\n", {}, 1, "「A0」はセル番地ではありません"},
        {"SA1HZRitu=A1234\n", {}, 1, "セル番地ではありません"},
        {"SA1HZRitu=ABC1\n", {}, 1, "セル番地ではありません"},
        {"SA1HZRitu=A 1\n", {}, 1, "セル番地ではありません"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        InvoicePlacementsDamage damage;
        const std::optional<InvoicePlacements> read = ParseInvoicePlacements(c.text, &damage);
        if (c.badLine == 0) {
            ASSERT_TRUE(read.has_value()) << damage.reason;
            EXPECT_EQ(*read, c.placed);
        } else {
            EXPECT_FALSE(read.has_value());
            EXPECT_EQ(damage.line, c.badLine);
            EXPECT_NE(damage.reason.find(c.reason), std::string::npos) << damage.reason;
        }
    }
}

// A pattern without the file has nothing placed; a damaged one stops the output, naming the
// file and its line, and is not taken for "nothing placed" by the editor either.
TEST(InvoicePlacementsFile, MissingMeansNotPlacedAndDamagedStopsTheOutput) {
    WorkingFolder folder;
    for (const char* code : {"00", "01"}) {
        WriteAll(QStringLiteral("XlsBase/XKP%1.Dat").arg(code), std::string(kXkpRecordSize, '\0'));
        WriteAll(QStringLiteral("XlsBase/XKPSei%1.Dat").arg(code),
                 std::string(kXkpSeiRecordSize, '\0'));
    }
    WriteAll("XlsBase/XKPSei00.invoice", "SA1HJTouroku=M12\n");
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(definitions.Cell("SA1HJTouroku"), (CellPosition{13, 12}));
    ASSERT_EQ(definitions.Load("01"), TableFileResult::kOk);
    EXPECT_EQ(definitions.Text("SA1HJTouroku"), "");
    EXPECT_EQ(DefinitionProblem("01"), "");

    WriteAll("XlsBase/XKPSei01.invoice", "# ours\nSB1HZTaisyo=D 37\n");
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(definitions.Load("01"), TableFileResult::kFailed);
    EXPECT_EQ(definitions.Text("SA1HJTouroku"), "M12");  // kept, as for a record
    const std::string problem = DefinitionProblem("01");
    EXPECT_NE(problem.find(QFileInfo("XlsBase/XKPSei01.invoice").absoluteFilePath().toStdString() +
                           " の 2 行目"),
              std::string::npos)
        << problem;
    EXPECT_NE(problem.find("「D 37」はセル番地ではありません"), std::string::npos) << problem;

    WriteAll("XlsBase/XKPSei01.invoice", std::string(kInvoicePlacementsMaxBytes + 1, '#'));
    EXPECT_EQ(definitions.Load("01"), TableFileResult::kFailed);
    EXPECT_NE(DefinitionProblem("01").find("XKPSei01.invoice を読めません"), std::string::npos);
}

}  // namespace
}  // namespace quilto
