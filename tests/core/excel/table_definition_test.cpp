#include "core/excel/table_definition.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/foundation/text_bytes.h"
#include "support/file_size_limit.h"
#include "support/sjis.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

using test::ReadAll;
using test::Sjis;
using test::WorkingFolder;
using test::WriteAll;

// Fixtures are built byte by byte here, independently of the record code under test. The
// filler marks every byte that no field owns, so a test can see that it survived.
constexpr char kFiller = '\xA5';

std::string Filled(std::size_t size) { return std::string(size, kFiller); }

void PutText(std::string& record, std::size_t offset, const std::string& text) {
    record[offset] = static_cast<char>(text.size());
    record.replace(offset + 1, text.size(), text);
}

void PutI32(std::string& record, std::size_t offset, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) record[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::uint32_t GetI32(const std::string& record, std::size_t offset) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(record[offset + i]);
    return value;
}

std::size_t FieldSize(const TableField& field) {
    return field.kind == TableFieldKind::kCount ? 4 : 7;
}

std::size_t RecordSizeOf(TableFile file) {
    return file == TableFile::kStandard ? kXkpRecordSize : kXkpSeiRecordSize;
}

// A pair of records that say which pattern they are: GyoD1 = 10 + n, SA1LinP1 = 30 + n.
void WritePattern(const QString& standardName, const QString& freeFormName, int n) {
    std::string standard = Filled(kXkpRecordSize);
    std::string freeForm = Filled(kXkpSeiRecordSize);
    PutI32(standard, 308, 10 + n);
    PutI32(freeForm, 332, 30 + n);
    WriteAll("XlsBase/" + standardName, standard);
    WriteAll("XlsBase/" + freeFormName, freeForm);
}

void WritePattern(int n) {
    const QString code = QStringLiteral("%1").arg(n, 2, 10, QLatin1Char('0'));
    WritePattern("XKP" + code + ".Dat", "XKPSei" + code + ".Dat", n);
}

// The layout as a whole: every field inside its record, past the header, no two fields
// sharing a byte, part B of the free-form record mirroring part A 520 bytes on (and in the
// invoice file, part B naming what part A names), and every standard value a valid cell (or
// empty) or a number.
TEST(TableDefinitionLayout, FieldsTileTheRecordsWithoutOverlap) {
    std::set<std::string> names;
    std::map<TableFile, std::vector<const TableField*>> byFile;
    for (const TableField& field : TableFields()) {
        EXPECT_TRUE(names.insert(field.name).second) << "duplicate " << field.name;
        byFile[field.file].push_back(&field);
    }
    EXPECT_EQ(byFile[TableFile::kStandard].size(), 76u);
    EXPECT_EQ(byFile[TableFile::kFreeForm].size(), 86u);
    EXPECT_EQ(byFile[TableFile::kInvoice].size(), 8u);
    for (auto& [file, fields] : byFile) {
        if (file == TableFile::kInvoice) continue;  // no record: placed by name
        std::size_t end = file == TableFile::kStandard ? kXkpHeaderSize : kXkpSeiHeaderSize;
        for (const TableField* field : fields) {
            SCOPED_TRACE(field->name);
            EXPECT_GE(field->offset, end);  // in offset order, after the previous field
            end = field->offset + FieldSize(*field);
            EXPECT_LE(end, RecordSizeOf(file));
        }
    }
    for (const TableField& field : TableFields()) {
        SCOPED_TRACE(field.name);
        const std::string name = field.name;
        if (name.rfind("SA", 0) == 0) {
            const int twin = TableFieldIndex("SB" + name.substr(2));
            ASSERT_GE(twin, 0);
            EXPECT_EQ(TableFields()[twin].file, field.file);
            if (field.file != TableFile::kInvoice) {
                EXPECT_EQ(TableFields()[twin].offset, field.offset + 520);
            }
            EXPECT_EQ(TableFields()[twin].kind, field.kind);
        }
        if (field.kind == TableFieldKind::kCell) {
            ASSERT_NE(field.standard, nullptr);
            const std::string standard = field.standard;
            EXPECT_TRUE(standard.empty() || ParseDefinitionAddress(standard).IsValid()) << standard;
        }
    }
}

// Spot checks of the offsets against a fixture: values placed at the documented offsets
// must come out under the documented names, in both files and both free-form parts.
TEST(TableDefinitionLayout, ReadsEachFieldFromItsOffset) {
    struct Spot {
        const char* name;
        TableFile file;
        std::size_t offset;
        std::string text;  // a cell text, or a count in its shown form
    };
    const TableFile kS = TableFile::kStandard;
    const TableFile kF = TableFile::kFreeForm;
    const std::vector<Spot> spots = {
        {"GyoD1", kS, 308, "11"},       {"GyoE1", kS, 316, "12"},     {"GyoF1", kS, 324, "13"},
        {"HMno", kS, 332, "A1"},        {"HMBango", kS, 339, "AB4"},  {"HYMD3", kS, 395, "N21"},
        {"HKigen1", kS, 416, "H23"},    {"HBKsep", kS, 493, "-"},     {"HGoukei", kS, 500, "L10"},
        {"HJName1", kS, 542, "X17"},    {"Hadd2", kS, 612, "U33"},    {"DGBan", kS, 668, "B3"},
        {"DName", kS, 682, "C3"},       {"DUgou", kS, 717, "F3"},     {"DRes02", kS, 780, "Z9"},
        {"EGBan", kS, 794, "B4"},       {"EName", kS, 808, "C4"},     {"Eadd1", kS, 892, "C1"},
        {"EKake", kS, 913, "Y2"},       {"ERes02", kS, 955, "Y3"},    {"FGBan", kS, 969, "B5"},
        {"FName", kS, 983, "C5"},       {"Fadd2", kS, 1067, "F23"},   {"FRes02", kS, 1081, "ZZ999"},
        {"SA1LinP1", kF, 332, "21"},    {"SA2LinP1", kF, 340, "35"},  {"SA1HMno", kF, 348, "T2"},
        {"SA1HTitle1", kF, 362, "D1"},  {"SA1HName1", kF, 369, "C6"}, {"SA1HYMD1", kF, 397, "C3"},
        {"SA1HGoukeiU", kF, 453, "E9"}, {"SA1HSkei", kF, 565, "O35"}, {"SA1GBan", kF, 621, "A14"},
        {"SA1Name", kF, 635, "C14"},    {"SA1add2", kF, 705, "K41"},  {"SA2GBan", kF, 740, "A3"},
        {"SA2Name", kF, 754, "C3"},     {"SA2add2", kF, 824, "K39"},  {"SB1LinP1", kF, 852, "22"},
        {"SB2LinP1", kF, 860, "36"},    {"SB1HMno", kF, 868, "T3"},   {"SB1GBan", kF, 1141, "A15"},
        {"SB2Utanka", kF, 1302, "M3"},  {"SB2add2", kF, 1344, "K40"},
    };
    std::string standard = Filled(kXkpRecordSize);
    std::string freeForm = Filled(kXkpSeiRecordSize);
    for (const Spot& spot : spots) {
        std::string& record = spot.file == kS ? standard : freeForm;
        if (TableFields()[TableFieldIndex(spot.name)].kind == TableFieldKind::kCount) {
            PutI32(record, spot.offset, static_cast<std::uint32_t>(std::stoi(spot.text)));
        } else {
            PutText(record, spot.offset, spot.text);
        }
    }
    TableDefinitions definitions;
    ASSERT_TRUE(definitions.ReadRecord(kS, standard));
    ASSERT_TRUE(definitions.ReadRecord(kF, freeForm));
    const TableFieldTexts fields = definitions.Fields();
    for (const Spot& spot : spots) EXPECT_EQ(fields.Get(spot.name), spot.text) << spot.name;
    EXPECT_EQ(definitions.Count("SB2LinP1"), 36);
    EXPECT_EQ(definitions.Text("FRes02"), "ZZ999");
    EXPECT_EQ(definitions.Cell("HMBango"), (CellPosition{28, 4}));
    EXPECT_EQ(definitions.Cell("HBKsep"), CellPosition{});  // "-" is no cell
}

TEST(TableDefinitionFiles, LoadChoosesThePatternByItsExactCode) {
    WorkingFolder folder;
    for (int n = 0; n <= 4; ++n) WritePattern(n);
    const std::vector<std::pair<std::string, int>> cases = {
        {"", 0},   {"00", 0}, {"01", 1}, {"02", 2}, {"03", 3},  {"04", 4},
        {"05", 0}, {"1", 0},  {" 1", 0}, {"1 ", 0}, {"01 ", 0}, {"001", 0},
    };
    for (const auto& [code, pattern] : cases) {
        SCOPED_TRACE("code \"" + code + "\"");
        TableDefinitions definitions;
        EXPECT_EQ(definitions.Load(code), TableFileResult::kOk);
        EXPECT_EQ(definitions.Rows().breakdown, 10 + pattern);
        EXPECT_EQ(definitions.Count("SA1LinP1"), 30 + pattern);
    }
}

TEST(TableDefinitionFiles, FailedFileKeepsItsRecordWhileTheOtherIsRead) {
    WorkingFolder folder;
    WritePattern(0);
    WritePattern(1);
    QFile::remove("XlsBase/XKPSei01.Dat");
    WritePattern(2);
    WriteAll("XlsBase/XKP02.Dat", Filled(kXkpRecordSize - 1));  // one byte short
    WritePattern(3);
    WriteAll("XlsBase/XKPSei03.Dat", std::string(kXkpSeiRecordSize + 5, '\0'));  // longer

    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(definitions.Load("01"), TableFileResult::kFailed);
    EXPECT_EQ(definitions.Rows().breakdown, 11);   // read
    EXPECT_EQ(definitions.Count("SA1LinP1"), 30);  // kept from pattern 00
    EXPECT_EQ(definitions.Load("02"), TableFileResult::kFailed);
    EXPECT_EQ(definitions.Rows().breakdown, 11);              // kept from pattern 01
    EXPECT_EQ(definitions.Count("SA1LinP1"), 32);             // read
    EXPECT_EQ(definitions.Load("03"), TableFileResult::kOk);  // a longer file: its first record
    EXPECT_EQ(definitions.Count("SA1LinP1"), 0);
    EXPECT_EQ(definitions.Load("04"), TableFileResult::kFailed);  // neither file exists
    EXPECT_EQ(definitions.Rows().breakdown, 13);
}

TEST(TableDefinitionFiles, NamesFromWindowsInAnyLetterCaseAreReadAndRewrittenInPlace) {
    WorkingFolder folder;
    WritePattern("xkp00.dat", "XKPSEI00.DAT", 0);
    WriteAll("XlsBase/xkpsei00.INVOICE", "SA1HZRitu=B2\n");
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load(""), TableFileResult::kOk);
    EXPECT_EQ(definitions.Rows().breakdown, 10);
    EXPECT_EQ(definitions.Text("SA1HZRitu"), "B2");
    TableFieldTexts fields = definitions.Fields();
    fields.Set("GyoD1", "18");
    ASSERT_EQ(definitions.Save("", fields), TableFileResult::kOk);
    EXPECT_EQ(QDir("XlsBase").entryList(QDir::Files, QDir::Name),
              QStringList({"XKPSEI00.DAT", "xkp00.dat", "xkpsei00.INVOICE"}));
    EXPECT_EQ(GetI32(ReadAll("XlsBase/xkp00.dat"), 308), 18u);
    EXPECT_NE(ReadAll("XlsBase/xkpsei00.INVOICE").find("\nSA1HZRitu=B2\n"), std::string::npos);
}

// Every field written at its offset in the files; headers and reserved bytes come back as
// read; the files hold exactly one record.
TEST(TableDefinitionFiles, SaveWritesFieldsAtTheirOffsetsAndKeepsEverythingElse) {
    WorkingFolder folder;
    WritePattern(0);
    WriteAll("XlsBase/XKP00.Dat", Filled(kXkpRecordSize + 10));  // stray bytes after it
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);

    TableFieldTexts fields;
    std::vector<std::string> expected;
    for (std::size_t i = 0; i < TableFields().size(); ++i) {
        // Distinct values: counts 1..., cells by column letter and row.
        const TableField& field = TableFields()[i];
        // Appended rather than joined with +: GCC 12 at -O3 warns falsely (-Wrestrict) on
        // the joined form.
        std::string text;
        if (field.kind != TableFieldKind::kCount) text.push_back(static_cast<char>('A' + i % 26));
        text += std::to_string(i + 1);
        fields.SetAt(i, text);
        expected.push_back(text);
    }
    ASSERT_EQ(definitions.Save("00", fields), TableFileResult::kOk);

    const std::string standard = ReadAll("XlsBase/XKP00.Dat");
    const std::string freeForm = ReadAll("XlsBase/XKPSei00.Dat");
    ASSERT_EQ(standard.size(), kXkpRecordSize);
    ASSERT_EQ(freeForm.size(), kXkpSeiRecordSize);
    std::string untouchedStandard = standard;
    std::string untouchedFreeForm = freeForm;
    std::string invoiceLines;
    for (std::size_t i = 0; i < TableFields().size(); ++i) {
        const TableField& field = TableFields()[i];
        SCOPED_TRACE(field.name);
        if (field.file == TableFile::kInvoice) {
            invoiceLines += std::string(field.name) + "=" + expected[i] + "\n";
            continue;
        }
        const std::string& bytes = field.file == TableFile::kStandard ? standard : freeForm;
        if (field.kind == TableFieldKind::kCount) {
            EXPECT_EQ(GetI32(bytes, field.offset), i + 1);
        } else {
            EXPECT_EQ(static_cast<unsigned char>(bytes[field.offset]), expected[i].size());
            EXPECT_EQ(bytes.substr(field.offset + 1, expected[i].size()), expected[i]);
        }
        std::string& mask =
            field.file == TableFile::kStandard ? untouchedStandard : untouchedFreeForm;
        mask.replace(field.offset, FieldSize(field), FieldSize(field), kFiller);
    }
    EXPECT_EQ(untouchedStandard, Filled(kXkpRecordSize));
    EXPECT_EQ(untouchedFreeForm, Filled(kXkpSeiRecordSize));
    // The invoice items, in a file of their own: one "field=cell" line each after the note.
    const std::string invoice = ReadAll("XlsBase/XKPSei00.invoice");
    EXPECT_EQ(invoice.substr(invoice.find("\nSA1")), "\n" + invoiceLines);

    TableDefinitions reread;
    ASSERT_EQ(reread.Load("00"), TableFileResult::kOk);
    EXPECT_EQ(reread, definitions);
}

// The reserved areas of the two records (offset, size), headers included: zero in a new
// file, and no definition the program writes may give them content (other programs read
// these files). Part B of the free-form record mirrors part A 520 bytes on.
constexpr std::pair<std::size_t, std::size_t> kStandardReserved[] = {
    {0, 308},  {312, 4},  {320, 4}, {328, 4}, {402, 14}, {458, 35},  {521, 21},
    {619, 49}, {675, 7},  {689, 7}, {710, 7}, {752, 14}, {787, 7},   {801, 7},
    {885, 7},  {920, 35}, {962, 7}, {976, 7}, {990, 7},  {1053, 14}, {1088, 8}};
constexpr std::pair<std::size_t, std::size_t> kFreeFormReserved[] = {
    {0, 332},   {336, 4},  {344, 4},   {355, 7},  {376, 21},  {404, 49}, {572, 49},
    {628, 7},   {691, 14}, {712, 28},  {747, 7},  {810, 14},  {831, 21}, {856, 4},
    {864, 4},   {875, 7},  {896, 21},  {924, 49}, {1092, 49}, {1148, 7}, {1211, 14},
    {1232, 28}, {1267, 7}, {1330, 14}, {1351, 21}};

void ExpectReservedZero(const std::string& standard, const std::string& freeForm) {
    ASSERT_EQ(standard.size(), kXkpRecordSize);
    ASSERT_EQ(freeForm.size(), kXkpSeiRecordSize);
    for (const auto& [offset, size] : kStandardReserved)
        EXPECT_EQ(standard.substr(offset, size), std::string(size, '\0')) << "XKP at " << offset;
    for (const auto& [offset, size] : kFreeFormReserved)
        EXPECT_EQ(freeForm.substr(offset, size), std::string(size, '\0')) << "XKPSei at " << offset;
}

// Saved from the editor with every field given a cell (the invoice items among them), made
// by the 標準 button, or shipped: the records' reserved areas stay as a new file has them.
TEST(TableDefinitionFiles, ReservedAreasStayZeroInEveryDefinitionTheProgramWrites) {
    WorkingFolder folder;
    TableFieldTexts everyField;
    for (std::size_t i = 0; i < everyField.Size(); ++i) {
        const bool count = TableFields()[i].kind == TableFieldKind::kCount;
        everyField.SetAt(i, count ? "21" : "AB" + std::to_string(i + 1));
    }
    const std::pair<const char*, TableFieldTexts> saved[] = {
        {"editor, every field", everyField},
        {"標準", StandardTableDefaults(TableFieldTexts())},
        {"shipped", ShippedTableDefinitions().Fields()},
    };
    for (const auto& [what, fields] : saved) {
        SCOPED_TRACE(what);
        WriteAll("XlsBase/XKP01.Dat", std::string(kXkpRecordSize, '\0'));  // a new pattern
        WriteAll("XlsBase/XKPSei01.Dat", std::string(kXkpSeiRecordSize, '\0'));
        TableDefinitions definitions;
        ASSERT_EQ(definitions.Load("01"), TableFileResult::kOk);
        ASSERT_EQ(definitions.Save("01", fields), TableFileResult::kOk);
        ExpectReservedZero(ReadAll("XlsBase/XKP01.Dat"), ReadAll("XlsBase/XKPSei01.Dat"));
        TableDefinitions reread;  // and the invoice items are still where they were put
        ASSERT_EQ(reread.Load("01"), TableFileResult::kOk);
        EXPECT_EQ(reread.Fields(), definitions.Fields());
    }
    const QDir shipped(QStringLiteral(QUILTO_XLSBASE_DIR));
    for (const char* code : {"00", "01", "02"}) {
        SCOPED_TRACE(std::string("shipped file ") + code);
        ExpectReservedZero(ReadAll(shipped.filePath(QStringLiteral("XKP%1.Dat").arg(code))),
                           ReadAll(shipped.filePath(QStringLiteral("XKPSei%1.Dat").arg(code))));
    }
}

TEST(TableDefinitionFiles, SaveTakesFieldTextsAsTheEditorHoldsThem) {
    struct CountCase {
        std::string text;
        int stored;
        std::string shown;
    };
    const CountCase counts[] = {
        {"20", 20, "20"},
        {" 5", 5, " 5"},
        {"", 0, " 0"},
        {"abc", 0, " 0"},
        {"1,2", 12, "12"},
        {"12.5", 0, " 0"},
        {"-3", -3, "-3"},
        {"100", 100, "100"},
        {"99999999999", 0, " 0"},
        {"2147483647", 2147483647, "2147483647"},
        {Sjis("７"), 0, " 0"},
    };
    struct CellCase {
        std::string text;
        std::string stored;  // cut to 6 bytes, never through a double-byte character
    };
    const CellCase cells[] = {
        {"AB4", "AB4"},
        {"ABCDEFGH", "ABCDEF"},
        {"ABCDE" + Sjis("漢"), "ABCDE"},
        {Sjis("漢字") + "AB", Sjis("漢字") + "AB"},
        {"  A1  ", "  A1  "},  // stored as typed, shown trimmed
    };
    WorkingFolder folder;
    WritePattern(1);
    TableDefinitions definitions;
    for (const CountCase& c : counts) {
        SCOPED_TRACE("count \"" + test::Utf8(c.text) + "\"");
        TableFieldTexts fields;
        fields.Set("SB2LinP1", c.text);
        ASSERT_EQ(definitions.Save("01", fields), TableFileResult::kOk);
        EXPECT_EQ(GetI32(ReadAll("XlsBase/XKPSei01.Dat"), 860),
                  static_cast<std::uint32_t>(c.stored));
        EXPECT_EQ(definitions.Fields().Get("SB2LinP1"), c.shown);
    }
    for (const CellCase& c : cells) {
        SCOPED_TRACE("cell \"" + test::Utf8(c.text) + "\"");
        TableFieldTexts fields;
        fields.Set("FRes02", c.text);
        ASSERT_EQ(definitions.Save("01", fields), TableFileResult::kOk);
        const std::string bytes = ReadAll("XlsBase/XKP01.Dat");
        EXPECT_EQ(static_cast<unsigned char>(bytes[1081]), c.stored.size());
        EXPECT_EQ(bytes.substr(1082, c.stored.size()), c.stored);
        TableDefinitions reread;
        ASSERT_EQ(reread.Load("01"), TableFileResult::kOk);
        EXPECT_EQ(reread.Text("FRes02"), Trimmed(c.stored));
    }
}

TEST(TableDefinitionFiles, SwitchingPatternsSavesTheShownFieldsIntoTheOtherPattern) {
    WorkingFolder folder;
    WritePattern(1);
    WritePattern(2);
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("02"), TableFileResult::kOk);
    TableFieldTexts shown = StandardTableDefaults(definitions.Fields());
    shown.Set("HMno", "B2");
    ASSERT_EQ(definitions.Save("02", shown), TableFileResult::kOk);
    ASSERT_EQ(definitions.Save("01", shown), TableFileResult::kOk);
    TableDefinitions one, two;
    ASSERT_EQ(one.Load("01"), TableFileResult::kOk);
    ASSERT_EQ(two.Load("02"), TableFileResult::kOk);
    EXPECT_EQ(one.Fields(), shown);
    EXPECT_EQ(two.Fields(), shown);
}

TEST(TableDefinitionFiles, SaveRewritesOnlyExistingDefinitions) {
    WorkingFolder folder;
    WritePattern(3);
    QFile::remove("XlsBase/XKPSei03.Dat");
    TableDefinitions definitions;
    TableFieldTexts fields = StandardTableDefaults(TableFieldTexts());
    EXPECT_EQ(definitions.Save("03", fields),
              TableFileResult::kFailed);  // one of the two is missing
    EXPECT_FALSE(QFile::exists("XlsBase/XKPSei03.Dat"));
    EXPECT_EQ(GetI32(ReadAll("XlsBase/XKP03.Dat"), 308), 20u);  // the other is written
    EXPECT_EQ(definitions.Save("04", fields), TableFileResult::kFailed);
    EXPECT_EQ(QDir("XlsBase").entryList(QDir::Files), QStringList({"XKP03.Dat"}));
}

// A write that fails half-way (here: the file-size limit, which holds even for root, as a
// full disk would) leaves the old file whole and is reported; the other file is written.
TEST(TableDefinitionFiles, FailedWriteLeavesTheOldFile) {
    WorkingFolder folder;
    WritePattern(0);
    const std::string oldFreeForm = ReadAll("XlsBase/XKPSei00.Dat");
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);
    const TableFieldTexts fields = StandardTableDefaults(definitions.Fields());

    TableFileResult result = TableFileResult::kOk;
    {
        test::FileSizeLimit limit(1200);  // room for the 1096-byte record, not the 1372-byte one
        result = definitions.Save("00", fields);
    }

    EXPECT_EQ(result, TableFileResult::kFailed);
    EXPECT_EQ(ReadAll("XlsBase/XKPSei00.Dat").size(), oldFreeForm.size());
    EXPECT_EQ(ReadAll("XlsBase/XKPSei00.Dat"), oldFreeForm);
    EXPECT_EQ(GetI32(ReadAll("XlsBase/XKP00.Dat"), 308), 20u);
    EXPECT_EQ(QDir("XlsBase").entryList(QDir::Files | QDir::Hidden, QDir::Name),
              QStringList({"XKP00.Dat", "XKPSei00.Dat", "XKPSei00.invoice"}));  // no temporary
                                                                                // file left
}

// What start-up writes into a newly created pattern: no cells, no rows, headers and
// reserved bytes as they were.
TEST(TableDefinitionFiles, SaveClearedEmptiesEveryFieldOnly) {
    WorkingFolder folder;
    WritePattern(0);
    WriteAll("XlsBase/XKP02.Dat", "");
    WriteAll("XlsBase/XKPSei02.Dat", "");
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Load("00"), TableFileResult::kOk);
    ASSERT_EQ(definitions.Save("00", StandardTableDefaults(definitions.Fields())),
              TableFileResult::kOk);

    ASSERT_EQ(definitions.SaveCleared("02"), TableFileResult::kOk);
    TableDefinitions reread;
    ASSERT_EQ(reread.Load("02"), TableFileResult::kOk);
    for (std::size_t i = 0; i < TableFields().size(); ++i) {
        const bool count = TableFields()[i].kind == TableFieldKind::kCount;
        EXPECT_EQ(reread.Fields().At(i), count ? " 0" : "") << TableFields()[i].name;
    }
    const std::string standard = ReadAll("XlsBase/XKP02.Dat");
    EXPECT_EQ(standard.substr(0, kXkpHeaderSize), Filled(kXkpHeaderSize));
    EXPECT_EQ(standard.substr(458, 35), Filled(35));  // a reserved run between fields
    const std::string freeForm = ReadAll("XlsBase/XKPSei02.Dat");
    EXPECT_EQ(freeForm.substr(0, kXkpSeiHeaderSize), Filled(kXkpSeiHeaderSize));
    EXPECT_EQ(freeForm.substr(1351), Filled(21));
}

TEST(TableDefinitionFields, StandardValuesReplaceEveryFieldButTheSeparator) {
    TableFieldTexts fields;
    for (std::size_t i = 0; i < fields.Size(); ++i) fields.SetAt(i, "Q9");
    fields.Set("HBKsep", "-");
    const TableFieldTexts standard = StandardTableDefaults(fields);
    const std::vector<std::pair<const char*, const char*>> expected = {
        {"GyoD1", "20"},       {"GyoE1", "20"},     {"GyoF1", "20"},     {"HMno", ""},
        {"HMBango", "AB4"},    {"HTitle1", "H17"},  {"HName2", ""},      {"HYMD1", "AB5"},
        {"HBiko05", "H29"},    {"HBKsep", "-"},     {"HGoukei1", ""},    {"HJTel", "AA22"},
        {"HJTanto", "AA25"},   {"Hadd1", "K11"},    {"Hadd2", "U33"},    {"DSuu", "D3"},
        {"DStanka", "G3"},     {"DTekiyo1", "H3"},  {"DTekiyo2", "G3"},  {"DPage1", ""},
        {"Dadd2", "F23"},      {"EKikaku", "D3"},   {"ESuu", "E3"},      {"ESgou", "I3"},
        {"ETekiyo1", "J3"},    {"Eadd1", "C1"},     {"EKTan", ""},       {"FUgou", "F3"},
        {"FSGou", "G3"},       {"FRes02", ""},      {"SA1LinP1", "21"},  {"SA2LinP1", "35"},
        {"SB1LinP1", "21"},    {"SB2LinP1", "35"},  {"SA1HMno", "T2"},   {"SA1HJName1", ""},
        {"SA1HNebiki", "O36"}, {"SA1HSkei", "O35"}, {"SA1Suu", "L14"},   {"SA1Utanka", ""},
        {"SA2Suu", "L3"},      {"SA2Utanka", ""},   {"SA2add2", "K39"},  {"SB1Suu", "K14"},
        {"SB1Utanka", "M14"},  {"SB2Suu", "K3"},    {"SB2Utanka", "M3"}, {"SB1Kikaku", ""},
        {"SB1Hadd2", "K41"},   {"SB2Tekiyo", "S3"},
    };
    for (const auto& [name, value] : expected) EXPECT_EQ(standard.Get(name), value) << name;
}

TEST(TableDefinitionRows, RowsPerPageComeFromTheStandardRecord) {
    std::string standard = Filled(kXkpRecordSize);
    PutI32(standard, 308, 25);                              // GyoD1, breakdown
    PutI32(standard, 316, static_cast<std::uint32_t>(-4));  // GyoE1, detail
    PutI32(standard, 324, 0);                               // GyoF1, summary
    TableDefinitions definitions;
    ASSERT_TRUE(definitions.ReadRecord(TableFile::kStandard, standard));
    const RowsPerPage rows = definitions.Rows();
    EXPECT_EQ(rows.breakdown, 25);
    EXPECT_EQ(rows.detail, -4);
    EXPECT_EQ(rows.summary, 0);  // stored as is: the output prints the cover only

    const std::pair<int, int> effective[] = {{0, 20}, {-4, 20}, {1, 1}, {25, 25}, {99, 99}};
    for (const auto& [stored, page] : effective) {
        EXPECT_EQ(EffectiveRowsPerPage(stored), page) << stored;
    }
}

}  // namespace
}  // namespace quilto
