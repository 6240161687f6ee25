#pragma once

// Importing products from a CSV file into one construction name. Each record of the file
// becomes one product: name, specification, unit, purchase cost, selling price, in this
// order; further fields are ignored; the products of one import get consecutive codes.
//
// The file may be CP932, UTF-8 (with or without a byte-order mark, as spreadsheet programs
// save it today) or UTF-16 with its byte-order mark; a file that is no text is refused
// whole (import_text.h). A field in double quotes is one field even when it holds a comma
// or a line break (csv_records.h). Nothing goes in that the file does not say: a record
// with a character CP932 cannot hold (or, in a CP932 file, bytes that are no CP932 text),
// a price that is no number or does not fit its 10 places, or a quote that never closes
// is left out and named by its line, with the reason, the character and the field; the
// other records go in. A wholly blank line is skipped and counted.

#include <QString>
#include <string>
#include <string_view>
#include <vector>

#include "core/masters/import_text.h"
#include "core/masters/master_files.h"
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

// A record left out: the line it starts on and why (UTF-8), naming the character or the
// price and the field.
struct ImportRefusal {
    int line = 0;
    std::string reason;

    friend bool operator==(const ImportRefusal&, const ImportRefusal&) = default;
};

struct ProductImportReport {
    // A file that is no text is not read at all; notTextReason says why and where.
    bool isText = true;
    std::string notTextReason;
    ImportEncoding encoding = ImportEncoding::kCp932;
    int imported = 0;
    // In line order.
    std::vector<ImportRefusal> refused;
    // Lines holding nothing but blanks and commas: skipped.
    int blankLines = 0;
    // The product list was full, or no product code was left: the records from
    // stoppedAtLine on were not read.
    bool capacityStopped = false;
    int stoppedAtLine = 0;

    // Some of the file did not come in.
    bool Partial() const { return capacityStopped || !refused.empty(); }
};

// Appends the products of csv (the whole file's bytes) to lists under constructionCode.
ProductImportReport ImportProductCsv(MasterLists& lists, std::string_view constructionCode,
                                     std::string_view csv);

// Why a chosen file cannot be imported, in the order the import finds out.
enum class ImportFileStatus {
    kRead = 0,
    kMissing,
    kUnreadable,  // there, but the system refuses to read it (the reason says why)
    kTooLarge,
    kNotText,
};

struct ImportFileCheck {
    ImportFileStatus status = ImportFileStatus::kRead;
    std::string reason;  // UTF-8, for kUnreadable, kTooLarge and kNotText
};

// Whether the file can be read for an import, before the user is asked to start it.
[[nodiscard]] ImportFileCheck CheckImportFile(const QString& path);
// The message for a file that cannot be imported: the fixed text, the path, the reason and
// what to do.
std::string ImportFileMessage(const ImportFileCheck& check, const QString& path);
// "ファイルがありません" for a file that is not there.
std::string ImportMissingFileMessage(const QString& path);
std::string ImportConfirmMessage(const QString& path);
// The closing message: done, how many products came in, how many blank lines were skipped,
// which lines were left out and why, and where a full list stopped the import.
std::string ImportClosingMessage(const ProductImportReport& report);

// The products of one construction code as a CSV file the import reads back the same: the
// import's five columns, UTF-8 with a byte-order mark, CR LF line ends, a field in double
// quotes where it holds a comma or a quote.
std::string ExportProductCsv(const MasterLists& lists, std::string_view constructionCode);

struct ProductImportFileResult {
    ImportFileCheck file;                                  // kRead, or why nothing was imported
    MasterFileResult writeResult = MasterFileResult::kOk;  // writing the product file afterwards
    ProductImportReport report;
};

// Reads the file, imports it and writes the product file (unless nothing could be read).
[[nodiscard]] ProductImportFileResult ImportProductFile(MasterLists& lists,
                                                        Environment& environment,
                                                        std::string_view constructionCode,
                                                        const QString& path);

}  // namespace quilto
