#include "core/masters/product_import.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <optional>

#include "core/foundation/cp932.h"
#include "core/foundation/csv_field_escape.h"
#include "core/foundation/text_bytes.h"
#include "core/foundation/typed_text.h"
#include "core/masters/csv_records.h"
#include "core/masters/master_files.h"

namespace quilto {
namespace {

constexpr int kImportFields = 5;  // name, specification, unit, cost, price
constexpr int kCostField = 3;
constexpr int kPriceField = 4;
// The fields as the user knows them from the window, for the reasons a line is left out.
constexpr const char* kFieldNames[kImportFields] = {"商品名", "規格", "単位", "仕入原価",
                                                    "販売単価"};
// The closing message names at most this many refused lines.
constexpr std::size_t kRefusedLinesNamed = 20;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// A master line cannot hold a line break, and no field should hold a control character:
// each becomes a blank. CP932 second bytes are never control bytes, so bytes are safe here.
void BlankControls(std::string& text) {
    for (char& c : text) {
        if (IsControl(static_cast<unsigned char>(c))) c = ' ';
    }
}

std::string FieldSuffix(int field) { return std::string(" (") + kFieldNames[field] + ")"; }

std::string HexBytes(std::string_view bytes) {
    std::string text;
    for (const char c : bytes) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        const auto byte = static_cast<unsigned char>(c);
        if (!text.empty()) text += ' ';
        text += "0x";
        text += kDigits[byte >> 4];
        text += kDigits[byte & 0xF];
    }
    return text;
}

// A field of the file as CP932 bytes, or the reason it cannot be one.
std::optional<std::string> FieldAsCp932(std::string field, bool utf8, int index,
                                        std::string& reason) {
    if (utf8) {
        BlankControls(field);
        TypedTextRefusal refusal;
        std::optional<std::string> bytes = TypedUtf8ToCp932(field, &refusal);
        if (!bytes)
            reason = TypedTextRefusalMessage(refusal, QString::fromUtf8(kFieldNames[index]))
                         .toStdString();
        return bytes;
    }
    Cp932Error error;
    if (Cp932ToUtf8(field, &error)) return field;
    const std::string_view bad = std::string_view(field).substr(error.offset, 2);
    const bool lead = !bad.empty() && IsLeadByte(static_cast<unsigned char>(bad.front()));
    reason = "Shift-JIS の文字でないバイト (" + HexBytes(lead ? bad : bad.substr(0, 1)) +
             ") があります" + FieldSuffix(index);
    return std::nullopt;
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// A price as the file holds it (CP932, trimmed): its number text, or the reason it is
// refused. Grouping commas, a yen sign before and 円 after are what a spreadsheet shows
// and are dropped. A text without any digit stands for no price and is 0, as a blank is.
// Digits in anything but a plain decimal number ("1e308", "1.5.5", "12a") would be
// stored as a different figure, and a number wider than the field would be cut: both are
// refused.
std::optional<std::string> ImportedPrice(std::string_view text, int index, std::string& reason) {
    if (std::none_of(text.begin(), text.end(), IsAsciiDigit)) return std::string("0");
    std::string_view number = text;
    const std::string yen = "\\";
    const std::string fullYen = "\x81\x8F";  // ￥
    const std::string en = "\x89\x7E";       // 円
    if (number.starts_with(yen)) {
        number.remove_prefix(yen.size());
    } else if (number.starts_with(fullYen)) {
        number.remove_prefix(fullYen.size());
    }
    if (number.ends_with(en)) number.remove_suffix(en.size());
    std::string plain;
    for (const char c : number) {
        if (c != ',') plain += c;
    }
    std::size_t i = 0;
    if (i < plain.size() && (plain[i] == '-' || plain[i] == '+')) ++i;
    const std::size_t digitsStart = i;
    while (i < plain.size() && IsAsciiDigit(plain[i])) ++i;
    bool digits = i > digitsStart;
    if (i < plain.size() && plain[i] == '.') {
        const std::size_t decimals = ++i;
        while (i < plain.size() && IsAsciiDigit(plain[i])) ++i;
        digits = digits || i > decimals;
    }
    const std::string shown = Cp932ToQStringLossy(text).toStdString();
    if (!digits || i != plain.size()) {
        reason = "「" + shown + "」は数値として読めません" + FieldSuffix(index);
        return std::nullopt;
    }
    std::string stored = MasterNumberText(plain);
    if (stored.size() > static_cast<std::size_t>(kPriceWidth)) {
        reason = "「" + shown + "」は " + std::to_string(kPriceWidth) + " 桁の欄に収まりません" +
                 FieldSuffix(index);
        return std::nullopt;
    }
    return stored;
}

// The five fields of a record as they are stored, or the reason the record is refused.
std::optional<std::vector<std::string>> RecordFields(const CsvRecord& record, bool utf8,
                                                     std::string& reason) {
    std::vector<std::string> fields(kImportFields);
    for (int index = 0; index < kImportFields; ++index) {
        const auto at = static_cast<std::size_t>(index);
        std::optional<std::string> bytes = FieldAsCp932(record.fields[at], utf8, index, reason);
        if (!bytes) return std::nullopt;
        // An unquoted field may carry the escapes of the old export; a quoted one is taken
        // as it stands.
        fields[at] = record.quoted[at] ? Trimmed(*bytes) : UnescapeField(Trimmed(*bytes));
        BlankControls(fields[at]);
    }
    for (const int index : {kCostField, kPriceField}) {
        const auto at = static_cast<std::size_t>(index);
        std::optional<std::string> price = ImportedPrice(Trimmed(fields[at]), index, reason);
        if (!price) return std::nullopt;
        fields[at] = *price;
    }
    return fields;
}

bool IsBlankRecord(const CsvRecord& record) {
    return !record.moreText && std::none_of(record.fields.begin(), record.fields.end(),
                                            [](const std::string& f) { return HasText(f); });
}

}  // namespace

ProductImportReport ImportProductCsv(MasterLists& lists, std::string_view constructionCode,
                                     std::string_view csv) {
    ProductImportReport report;
    const ImportText text = DecodeImportText(csv);
    report.encoding = text.encoding;
    if (!text.isText) {
        report.isText = false;
        report.notTextReason = text.notTextReason;
        return report;
    }
    const bool utf8 = text.encoding != ImportEncoding::kCp932;

    const std::string code = PadRightBytes(constructionCode, kConstructionCodeWidth);
    CodeSequence codes = ProductCodeSequence(lists, code);
    const std::string blankName = *Utf8ToCp932(kImportBlankName);
    CsvRecordReader reader(text.text, kImportFields);
    CsvRecord record;
    while (reader.Next(record)) {
        if (record.unclosedQuote) {
            report.refused.push_back(
                {record.line, std::to_string(record.lastLine) +
                                  " 行目の引用符 (\") が閉じていません。引用符を閉じてください"});
            continue;
        }
        if (IsBlankRecord(record)) {
            ++report.blankLines;
            continue;
        }
        if (!HasRoomForProduct(lists)) {
            report.capacityStopped = true;
            report.stoppedAtLine = record.line;
            break;
        }
        std::string reason;
        const std::optional<std::vector<std::string>> fields = RecordFields(record, utf8, reason);
        if (!fields) {
            report.refused.push_back({record.line, reason});
            continue;
        }
        const NextCode next = codes.Next();
        if (next.exhausted) {
            report.capacityStopped = true;
            report.stoppedAtLine = record.line;
            break;
        }
        ProductFields product;
        product.constructionCode = code;
        product.productCode = next.code;
        product.name = (*fields)[0].empty() ? blankName : (*fields)[0];
        product.specification = (*fields)[1];
        product.unit = (*fields)[2];
        product.cost = (*fields)[kCostField];
        product.price = (*fields)[kPriceField];
        // The code is free, so the product is appended without looking for one to replace.
        lists.products.push_back(BuildProductLine(product));
        codes.Take(next.code);
        ++report.imported;
    }
    return report;
}

std::string ImportMissingFileMessage(const QString& path) {
    return "**  ファイルがありません。 ！！  ( " + path.toStdString() + " )";
}

std::string ImportConfirmMessage(const QString& path) {
    return "指定の工事で、外部データインポート開始します。 ( " + path.toStdString() + " )";
}

std::string ImportClosingMessage(const ProductImportReport& report) {
    std::string message = kImportDoneMessage;
    message += "\n\n取り込んだ商品 : " + std::to_string(report.imported) + " 件";
    if (report.blankLines > 0) {
        message += "\n空行のため読み飛ばした行 : " + std::to_string(report.blankLines) + " 行";
    }
    if (!report.refused.empty()) {
        message += "\n取り込まなかった行 : " + std::to_string(report.refused.size()) + " 行";
        for (std::size_t i = 0; i < report.refused.size() && i < kRefusedLinesNamed; ++i) {
            message += "\n  " + std::to_string(report.refused[i].line) +
                       " 行目 : " + report.refused[i].reason;
        }
        if (report.refused.size() > kRefusedLinesNamed) {
            message +=
                "\n  ほか " + std::to_string(report.refused.size() - kRefusedLinesNamed) + " 行";
        }
        message += "\n直した行だけのファイルを、もう一度取り込んでください。";
    }
    if (report.capacityStopped) {
        message += "\n商品登録の許容件数に達したため、" + std::to_string(report.stoppedAtLine) +
                   " 行目から後は取り込んでいません。";
    }
    return message;
}

namespace {

std::string CsvField(std::string_view cp932) {
    std::string text = Cp932ToQStringLossy(TrimmedRight(cp932)).toStdString();
    if (text.find_first_of(",\"") == std::string::npos) return text;
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + "\"";
}

}  // namespace

std::string ExportProductCsv(const MasterLists& lists, std::string_view constructionCode) {
    std::string csv(kUtf8Bom);
    const std::string key = PadRightBytes(constructionCode, kConstructionCodeWidth);
    for (const std::string& line : lists.products) {
        if (ProductFieldOf(line, ProductField::ConstructionCode) != key) continue;
        const ProductFields fields = ProductFieldsOf(line);
        csv += CsvField(fields.name) + "," + CsvField(fields.specification) + "," +
               CsvField(fields.unit) + "," + CsvField(fields.cost) + "," + CsvField(fields.price) +
               "\r\n";
    }
    return csv;
}

namespace {

// The file's bytes, or why they cannot be had.
ImportFileCheck ReadImportFile(const QString& path, std::string* bytes) {
    const QFileInfo info(path);
    if (!info.exists()) return {ImportFileStatus::kMissing, {}};
    if (info.isDir()) return {ImportFileStatus::kUnreadable, "ファイルではなくフォルダです"};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {ImportFileStatus::kUnreadable, file.errorString().toStdString()};
    const auto tooLarge = [](qint64 size) {
        return ImportFileCheck{ImportFileStatus::kTooLarge,
                               std::to_string(size) + " バイトあります。取り込めるのは " +
                                   std::to_string(kMaxMasterFileBytes / (1024 * 1024)) +
                                   " MB までです"};
    };
    if (file.size() > kMaxMasterFileBytes) return tooLarge(file.size());
    if (!bytes) return {};
    // A pipe or device tells no size: what it gives is limited all the same.
    const QByteArray data = file.read(kMaxMasterFileBytes + 1);
    if (data.size() > kMaxMasterFileBytes) return tooLarge(data.size());
    if (file.error() != QFileDevice::NoError)
        return {ImportFileStatus::kUnreadable, file.errorString().toStdString()};
    bytes->assign(data.constData(), static_cast<std::size_t>(data.size()));
    return {};
}

}  // namespace

ImportFileCheck CheckImportFile(const QString& path) { return ReadImportFile(path, nullptr); }

std::string ImportFileMessage(const ImportFileCheck& check, const QString& path) {
    const std::string where = QFileInfo(path).absoluteFilePath().toStdString();
    switch (check.status) {
        case ImportFileStatus::kRead:
            return {};
        case ImportFileStatus::kMissing:
            return ImportMissingFileMessage(path);
        case ImportFileStatus::kUnreadable:
            return "**  ファイルを読めません。 ！！  ( " + where + " : " + check.reason +
                   " )\n読み取りが許されているか確かめてください。";
        case ImportFileStatus::kTooLarge:
            return "**  ファイルが大きすぎます。 ！！  ( " + where + " : " + check.reason +
                   " )\nファイルを分けて取り込んでください。";
        case ImportFileStatus::kNotText:
            return "**  CSV のテキストファイルではありません。 ！！  ( " + where + " : " +
                   check.reason +
                   " )\n表計算ソフトで CSV (UTF-8 または Shift-JIS) として保存したファイルを"
                   "選んでください。";
    }
    return {};
}

ProductImportFileResult ImportProductFile(MasterLists& lists, Environment& environment,
                                          std::string_view constructionCode, const QString& path) {
    ProductImportFileResult result;
    std::string csv;
    result.file = ReadImportFile(path, &csv);
    if (result.file.status != ImportFileStatus::kRead) return result;
    result.report = ImportProductCsv(lists, constructionCode, csv);
    if (!result.report.isText) {
        result.file = {ImportFileStatus::kNotText, result.report.notTextReason};
        return result;
    }
    result.writeResult = WriteProducts(lists, environment);
    return result;
}

}  // namespace quilto
