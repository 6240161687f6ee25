// quilto-cli export and print: an estimate made with create is filled into its template,
// and every refusal has its message and exit status.

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <functional>
#include <nlohmann/json.hpp>

#include "core/excel/office_convert.h"
#include "core/excel/table_definition_fields.h"
#include "core/excel/workbook.h"
#include "core/output/output_templates.h"
#include "core/store/issued_archive.h"
#include "support/cli_runner.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using nlohmann::json;
using test::ReadAll;
using test::RunCli;
using test::WorkingFolder;

// An installation with templates and one estimate (000001): two constructions with
// detail sheets and the special lines.
void MakeEstimate(bool taxTick = true) {
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    test::InstallOutputFiles();
    const json description = {
        {"cover", {{"MName1", "山田建設"}, {"MTitle1", "改修工事"}, {"CheckBox2", taxTick}}},
        {"breakdown", json::array({
                          {{"cells", {"", "1", "設備"}},
                           {"details", {{"000001", "", "配管", "20A", "m", "4", "250"}}}},
                          {{"cells", {"", "2", "電気"}},
                           {"details", {{"", "", "配線", "", "式", "1", "2,000"}}}},
                          {{"cells", {"="}}},
                          {{"cells", {"%"}}},
                          {{"cells", {"\\"}}},
                      })}};
    test::WriteAll("estimate.json", description.dump());
    ASSERT_EQ(RunCli({"create", "--json", "estimate.json"}).out, "000001\n");
}

TEST(CliExport, WritesTheFilledWorkbook) {
    WorkingFolder folder;
    MakeEstimate();
    const auto run = RunCli({"export", "000001", "--xlsx", "out.xlsx", "--constructions", "2"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, folder.FilePath("out.xlsx").toStdString() + "\n");
    EXPECT_EQ(run.err, "export: 3 pages\n");  // cover, breakdown, one detail
    QString error;
    const auto book = Workbook::Open(folder.FilePath("out.xlsx"), &error);
    ASSERT_TRUE(book) << error.toStdString();
    EXPECT_EQ(book->SheetCount(), 4);
    EXPECT_FALSE(book->IsSheetVisible(2));

    const auto free = RunCli({"export", "000001", "--xlsx", "free.xlsx", "--free", "details"});
    ASSERT_EQ(free.exitCode, 0) << free.err;
    EXPECT_TRUE(QFileInfo::exists("free.xlsx"));
}

// A template made before the itemised sheet existed cannot take it: nothing is written and
// the message says which template and what to do. Without --itemised it serves as before.
TEST(CliExport, ItemisedNeedsATemplateWithItsSheet) {
    WorkingFolder folder;
    MakeEstimate();
    const auto run = RunCli({"export", "000001", "--xlsx", "out.xlsx", "--itemised"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("見積書00.xlsx には「材料費等内訳書」のシートがありません"),
              std::string::npos)
        << run.err;
    EXPECT_FALSE(QFileInfo::exists("out.xlsx"));
    EXPECT_EQ(RunCli({"export", "000001", "--xlsx", "f.xlsx", "--itemised", "--free", "summary"})
                  .exitCode,
              2);
}

// costs prints the itemised table of the estimate.
TEST(CliCosts, PrintsEachWorkTypeSplitByClass) {
    WorkingFolder folder;
    ASSERT_EQ(RunCli({"check", "--yes"}).exitCode, 0);
    const json description = {
        {"cover", {{"MName1", "山田建設"}, {"MTitle1", "改修工事"}}},
        {"breakdown",
         json::array({
             {{"cells", {"", "1", "設備", "", "", "", "", "", "3"}},
              {"details",
               {{"000001", "", "配管", "20A", "m", "4", "2,500", "", "", "", "", "500", "", "材"},
                {"", "", "足場", "", "式", "1", "1,000", "", "", "", "", "", "", "6"},
                {"-", "", "", "", "", "", "", "300"}}}},
             {{"cells", {"", "2", "電気", "", "", "2,000"}}},
         })}};
    test::WriteAll("estimate.json", description.dump());
    ASSERT_EQ(RunCli({"create", "--json", "estimate.json"}).out, "000001\n");

    const auto run = RunCli({"costs", "000001", "--json"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const json table = json::parse(run.out);
    EXPECT_EQ(table["customer"], "山田建設");
    ASSERT_EQ(table["lines"].size(), 3u);
    const json& pipes = table["lines"][0];
    EXPECT_EQ(pipes["name"], "設備");
    EXPECT_EQ(pipes["材料費"], "8000");  // 10,000 less 500 x 4 of labour
    EXPECT_EQ(pipes["労務費"], "2000");
    EXPECT_EQ(pipes["その他経費"], "1000");
    EXPECT_EQ(pipes["法定福利費"], "0");
    EXPECT_EQ(pipes["days"], "3");
    EXPECT_EQ(pipes["total"], "11000");
    EXPECT_EQ(table["lines"][1]["kind"], "discount");
    EXPECT_EQ(table["lines"][1]["total"], "-300");
    EXPECT_EQ(table["lines"][2]["unclassified"], "2000");
    EXPECT_EQ(table["totals"]["total"], "12700");
    EXPECT_EQ(table["totals"]["discounts"], "-300");

    EXPECT_EQ(RunCli({"costs", "000002", "--json"}).exitCode, 1);
    EXPECT_EQ(RunCli({"costs", "000001"}).exitCode, 2);
    EXPECT_NE(RunCli({"help", "costs"}).out.find("法定福利費"), std::string::npos);
}

// The PDF holds the visible sheets only: the hidden summary page prints nothing.
TEST(CliExport, PdfHoldsThePrintedSheets) {
    if (FindOffice().isEmpty()) GTEST_SKIP() << "LibreOffice is not installed";
    WorkingFolder folder;
    MakeEstimate();
    const auto run = RunCli({"export", "000001", "--pdf", "out.pdf"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, folder.FilePath("out.pdf").toStdString() + "\n");
    QProcess pdftotext;
    pdftotext.start("pdftotext", {"out.pdf", "-"});
    ASSERT_TRUE(pdftotext.waitForFinished(60000));
    const std::string text = pdftotext.readAllStandardOutput().toStdString();
    for (const char* shown : {"表紙", "山田建設", "内訳書", "配管", "明細書"})
        EXPECT_NE(text.find(shown), std::string::npos) << shown << "\n" << text;
    EXPECT_EQ(text.find("総括書"), std::string::npos) << text;
    // Its title is the estimate's number, customer and title, in UTF-8.
    QProcess pdfinfo;
    pdfinfo.start("pdfinfo", {"out.pdf"});
    ASSERT_TRUE(pdfinfo.waitForFinished(60000));
    const std::string info = pdfinfo.readAllStandardOutput().toStdString();
    EXPECT_NE(info.find("Title:           000001 山田建設 改修工事\n"), std::string::npos) << info;

    // The PDF went to a client: the archive keeps it byte for byte.
    const ArchiveReading archive = ReadIssuedArchive(folder.FilePath("DAT/発行済み"));
    ASSERT_EQ(archive.entries.size(), 1u);
    EXPECT_EQ(archive.entries[0].number, QStringLiteral("000001"));
    EXPECT_EQ(archive.entries[0].documents, QStringLiteral("見積書"));
    EXPECT_EQ(ReadAll(folder.FilePath("DAT/発行済み/" + archive.entries[0].fileName)),
              ReadAll(folder.FilePath("out.pdf")));

    // A printer that does not exist is a clear failure, not a hang, and nothing was issued.
    const auto print = RunCli({"print", "000001", "--printer", "NoSuchQueue"});
    EXPECT_EQ(print.exitCode, 1);
    EXPECT_NE(print.err.find("print: "), std::string::npos) << print.err;
    EXPECT_EQ(ReadIssuedArchive(folder.FilePath("DAT/発行済み")).entries.size(), 1u);
}

TEST(CliExport, RefusalsHaveTheirMessageAndStatus) {
    WorkingFolder folder;
    MakeEstimate();
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"export", "000001"}, 2, "give --xlsx FILE or --pdf FILE"},
        {{"export", "000001", "--xlsx", "a", "--pdf", "b"}, 2, "give one of --xlsx and --pdf"},
        {{"export", "000001", "--xlsx", "a", "--pattern", "3"}, 2, "--pattern takes 0, 1 or 2"},
        {{"export", "000001", "--xlsx", "a", "--sheets", "cover,back"}, 2, "--sheets takes"},
        {{"export", "000001", "--xlsx", "a", "--constructions", "0"}, 2, "--constructions takes"},
        {{"export", "000001", "--xlsx", "a", "--free", "all"}, 2, "--free takes"},
        {{"print", "000001", "--xlsx", "a"}, 2, "unexpected argument '--xlsx'"},
        {{"export", "000009", "--xlsx", "a"}, 1, "estimate 000009 cannot be read ("},
        {{"export", "000009", "--xlsx", "a"}, 1, "/DAT/m_000009.dat: no such file)"},
        // The fixed text, then the path and the system's reason.
        {{"export", "000001", "--xlsx", "no/such/a.xlsx"}, 1, "に保存できませんでした。\n"},
        {{"export", "000001", "--xlsx", "no/such/a.xlsx"},
         1,
         "/no/such/a.xlsx: No such file or directory"},
        {{"export", "000001", "--xlsx", "a", "--pattern", "1"}, 1, "見積書01.xlsx is missing"},
        {{"export", "000001", "--xlsx", "a", "--sheets", "summary"}, 3, "nothing to print"},
    };
    for (const Case& c : cases) {
        const auto run = RunCli(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(' ').toStdString() << "\n" << run.err;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << run.err;
        EXPECT_FALSE(QFileInfo::exists("a"));
    }
}

// An estimate with a tax line whose 消費税含む(印刷) tick is off: its cover would say the tax
// is not included under an amount that includes it. The export says so and writes only
// with --yes.
TEST(CliExport, ATaxTickThatContradictsTheFiguresWritesOnlyWhenConfirmed) {
    WorkingFolder folder;
    MakeEstimate(false);
    for (const char* answer : {"", "--no"}) {
        QStringList args = {"export", "000001", "--xlsx", "out.xlsx"};
        if (*answer) args << answer;
        const auto run = RunCli(args);
        EXPECT_EQ(run.exitCode, 1) << answer;
        EXPECT_NE(run.err.find("消費税含む(印刷)"), std::string::npos) << run.err;
        EXPECT_FALSE(QFileInfo::exists("out.xlsx")) << answer;
    }
    EXPECT_EQ(RunCli({"export", "000001", "--xlsx", "out.xlsx", "--yes"}).exitCode, 0);
    EXPECT_TRUE(QFileInfo::exists("out.xlsx"));
}

// Without --pattern the estimate's own pattern is used, as the dialog starts with it.
TEST(CliExport, TheEstimatesPatternIsTheDefault) {
    WorkingFolder folder;
    MakeEstimate();
    const json description = {{"cover", {{"MName1", "a"}, {"MTitle1", "b"}, {"pattern", 1}}}};
    test::WriteAll("pattern1.json", description.dump());
    ASSERT_EQ(RunCli({"create", "--json", "pattern1.json"}).out, "000002\n");
    const auto run = RunCli({"export", "000002", "--xlsx", "a"});
    EXPECT_EQ(run.exitCode, 1) << run.err;
    EXPECT_NE(run.err.find("見積書01.xlsx is missing"), std::string::npos) << run.err;
    EXPECT_EQ(RunCli({"export", "000002", "--xlsx", "a", "--pattern", "0"}).exitCode, 0);
}

// A damaged table definition stops the output with the file and the field named, instead
// of a workbook of the cover alone that exits 0.
TEST(CliExport, ADamagedDefinitionStopsTheOutputNamingFileAndField) {
    const auto index = TableFieldIndex("GyoE1");
    ASSERT_GE(index, 0);
    const std::size_t rowsOffset = TableFields()[static_cast<std::size_t>(index)].offset;
    struct Case {
        const char* what;
        std::function<void()> damage;
        const char* named;
    } cases[] = {
        {"cut to 10 bytes", [] { test::WriteAll("XlsBase/XKP00.Dat", std::string(10, '\0')); },
         "XKP00.Dat"},
        {"empty", [] { test::WriteAll("XlsBase/XKPSei00.Dat", ""); }, "XKPSei00.Dat"},
        {"rows per page -2^31",
         [rowsOffset] {
             std::string bytes = ReadAll("XlsBase/XKP00.Dat");
             bytes.replace(rowsOffset, 4, std::string("\x00\x00\x00\x80", 4));
             test::WriteAll("XlsBase/XKP00.Dat", bytes);
         },
         "GyoE1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        WorkingFolder folder;
        MakeEstimate();
        c.damage();
        const auto run = RunCli({"export", "000001", "--xlsx", "out.xlsx"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find(c.named), std::string::npos) << run.err;
        EXPECT_FALSE(QFileInfo::exists("out.xlsx"));
    }
}

}  // namespace
}  // namespace quilto
