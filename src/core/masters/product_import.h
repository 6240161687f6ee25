#pragma once

// Importing products from a CSV file into one construction name. Each line of the file
// becomes one product: name, specification, unit, purchase cost, selling price, in this
// order; further fields are ignored; the products of one import get consecutive codes.
//
// The file may be CP932 or UTF-8 (with or without a byte-order mark, as spreadsheet
// programs save it today). A field in double quotes is one field even when it holds a
// comma; its quotes are removed and doubled quotes undone. A line without quotes splits at
// every comma, each piece trimmed and unescaped. A line with a character CP932 cannot hold
// (or, in a CP932 file, bytes that are no CP932 text) is not imported: it is reported by
// its line number, and the other lines go in.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "core/masters/master_lists.h"

namespace quilto {

class Environment;

// Messages of the import (UTF-8).
inline constexpr char kImportNoConstructionMessage[] = "**  工事が指定されていません。 ！！";
inline constexpr char kImportDialogTitle[] = "ファイル選択(外部データインポート)";
inline constexpr char kImportProposedFileName[] = "商品データ.csv";
inline constexpr char kImportFilter[] = "Data files (*.csv)";
inline constexpr char kImportConfirmCaption[] = "確 認";
inline constexpr char kImportCapacityMessage[] =
    "**  商品登録の許容件数を超えましたので、終了します。  **";
inline constexpr char kImportDoneMessage[] = "**  インポート完了 ！！  **";
inline constexpr char kImportReadOnlyMessage[] =
    "**  名称登録は他で使用中です（書込み不可）。インポートできません。 ！！";
// The name of a product whose name field is blank.
inline constexpr char kImportBlankName[] = "＊＊＊＊＊";

struct ProductImportReport {
    int imported = 0;
    // Line numbers (from 1) of the lines left out for characters CP932 cannot hold.
    std::vector<int> refusedLines;
    // The product list was full, or no product code was left: the lines after it were not
    // read.
    bool capacityStopped = false;
    bool utf8 = false;
};

// Appends the products of csv (the whole file's bytes) to lists under constructionCode.
ProductImportReport ImportProductCsv(MasterLists& lists, std::string_view constructionCode,
                                     std::string_view csv);

// Splits one line (CP932) into fields[0..last] as the import reads it: a field that starts
// with a double quote runs to its closing quote; any other field ends at the next comma.
// fields is cleared first, so missing fields are blank.
void SplitImportLine(std::string_view line, std::vector<std::string>& fields, int last);

// "ファイルがありません" for a file that cannot be opened.
std::string ImportMissingFileMessage(const QString& path);
std::string ImportConfirmMessage(const QString& path);
// The closing message: done, how many products came in and which lines were left out.
std::string ImportClosingMessage(const ProductImportReport& report);

// The products of one construction code as a CSV file the import reads back the same: the
// import's five columns, UTF-8 with a byte-order mark, CR LF line ends, a field in double
// quotes where it holds a comma or a quote.
std::string ExportProductCsv(const MasterLists& lists, std::string_view constructionCode);

struct ProductImportFileResult {
    int status = 0;       // 0, or -1 when the file could not be read (nothing imported)
    int writeResult = 0;  // result of writing the product file afterwards
    ProductImportReport report;
};

// Reads the file, imports it and writes the product file.
ProductImportFileResult ImportProductFile(MasterLists& lists, Environment& environment,
                                          std::string_view constructionCode, const QString& path);

}  // namespace quilto
