#pragma once

// An installation's output files in the current working folder, made in the test: small
// templates (見積書00, 原価表00: cover, summary, breakdown and detail page; 書式F00A/B:
// first and following page) and the standard table definitions of pattern 00.

#include <gtest/gtest.h>
#include <xlsxwriter.h>

#include <QDir>
#include <string>
#include <vector>

#include "core/excel/table_definition.h"
#include "core/foundation/file_helpers.h"

namespace quilto::test {

inline void MakeTemplate(const QString& stem, const std::vector<const char*>& sheets) {
    QDir::current().mkpath("XlsBase");
    const std::string path =
        QDir::current().absoluteFilePath("XlsBase/" + stem + ".xlsx").toStdString();
    lxw_workbook* book = workbook_new(path.c_str());
    for (const char* name : sheets) {
        lxw_worksheet* sheet = workbook_add_worksheet(book, name);
        worksheet_write_string(sheet, 0, 0, name, nullptr);
        worksheet_print_area(sheet, 0, 0, 40, 28);
    }
    ASSERT_EQ(workbook_close(book), LXW_NO_ERROR);
}

inline void InstallOutputFiles() {
    MakeTemplate("見積書00", {"表紙", "総括書", "内訳書", "明細書"});
    MakeTemplate("原価表00", {"表紙", "総括書", "内訳書", "明細書"});
    MakeTemplate("書式F00A", {"請求書", "続き"});
    MakeTemplate("書式F00B", {"請求明細", "続き"});
    for (TableFile file : {TableFile::kStandard, TableFile::kFreeForm}) {
        if (!CanOpenFile(TableDefinitionFileName(file, ""))) {
            ASSERT_TRUE(CreateEmptyFile(TableDefinitionFileName(file, "")));
        }
    }
    TableDefinitions definitions;
    ASSERT_EQ(definitions.Save("", StandardTableDefaults(TableFieldTexts())), TableFileResult::kOk);
}

}  // namespace quilto::test
