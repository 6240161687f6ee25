#include <gtest/gtest.h>

#include <QDir>
#include <string>

#include "core/excel/table_definition.h"
#include "support/working_folder.h"

namespace quilto {
namespace {

// Damaged or foreign definition files must give defined results: no read past a field,
// no text longer than its field, nothing but a refusal for a file that is not one record.
TEST(TableDefinitionHostileInput, ShortFilesAndFoldersAreRefused) {
    test::WorkingFolder folder;
    test::WriteAll("XlsBase/XKP00.Dat", "");
    test::WriteAll("XlsBase/XKPSei00.Dat", std::string(kXkpSeiRecordSize - 1, '\x06'));
    QDir("XlsBase").mkdir("XKP01.Dat");  // a folder where a file belongs
    QDir("XlsBase").mkdir("XKPSei01.Dat");

    TableDefinitions definitions;
    const TableDefinitions untouched = definitions;
    EXPECT_EQ(definitions.Load("00"), TableFileResult::kFailed);
    EXPECT_EQ(definitions.Load("01"), TableFileResult::kFailed);
    EXPECT_EQ(definitions, untouched);
    EXPECT_FALSE(definitions.ReadRecord(TableFile::kStandard, std::string(100, 'A')));
    EXPECT_EQ(definitions, untouched);
    EXPECT_EQ(definitions.Save("01", TableFieldTexts()),
              TableFileResult::kFailed);  // never writes into a folder
}

TEST(TableDefinitionHostileInput, OversizeLengthsAndStrayBytesStayInsideTheirFields) {
    const std::string patterns[] = {
        std::string(kXkpSeiRecordSize, '\xFF'),  // lengths 255, counts -1
        std::string(kXkpSeiRecordSize, '\x81'),  // lengths 129, lone lead bytes
        std::string(kXkpSeiRecordSize, '\x07'),  // lengths 7: one byte over the field
        std::string(kXkpSeiRecordSize, '\x00'),
    };
    for (const std::string& bytes : patterns) {
        SCOPED_TRACE(static_cast<int>(static_cast<unsigned char>(bytes[0])));
        TableDefinitions definitions;
        ASSERT_TRUE(definitions.ReadRecord(TableFile::kStandard, bytes));  // extra bytes ignored
        ASSERT_TRUE(definitions.ReadRecord(TableFile::kFreeForm, bytes));
        EXPECT_EQ(definitions.Record(TableFile::kStandard).size(), kXkpRecordSize);
        const TableFieldTexts fields = definitions.Fields();
        for (std::size_t i = 0; i < fields.Size(); ++i) {
            const TableField& field = TableFields()[i];
            if (field.kind == TableFieldKind::kCount) continue;
            EXPECT_LE(fields.At(i).size(), kCellFieldCapacity) << field.name;
            EXPECT_FALSE(definitions.Cell(field.name).IsValid()) << field.name;
        }
        // What the editor shows can be saved and shows the same again.
        TableDefinitions again = definitions;
        again.TakeFields(fields);
        EXPECT_EQ(again.Fields(), fields);
    }
    TableDefinitions minusOne;
    ASSERT_TRUE(minusOne.ReadRecord(TableFile::kStandard, patterns[0]));
    EXPECT_EQ(minusOne.Rows().breakdown, -1);
    EXPECT_EQ(minusOne.Fields().Get("GyoD1"), "-1");
}

}  // namespace
}  // namespace quilto
