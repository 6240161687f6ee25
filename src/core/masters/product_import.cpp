#include "core/masters/product_import.h"

#include <optional>

#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/csv_split.h"
#include "core/foundation/text_bytes.h"
#include "core/foundation/typed_text.h"
#include "core/masters/master_files.h"

namespace quilto {
namespace {

constexpr int kImportFields = 5;  // name, specification, unit, cost, price
// The closing message names at most this many refused lines.
constexpr std::size_t kRefusedLinesNamed = 20;
constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto byte = static_cast<unsigned char>(text[i]);
        std::size_t length = 0;
        char32_t least = 0;
        if (byte < 0x80) {
            ++i;
            continue;
        } else if ((byte & 0xE0) == 0xC0) {
            length = 2;
            least = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3;
            least = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4;
            least = 0x10000;
        } else {
            return false;
        }
        if (i + length > text.size()) return false;
        char32_t code = byte & (0x7F >> length);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < least || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

bool HasHighBytes(std::string_view text) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) >= 0x80) return true;
    }
    return false;
}

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

// A master line cannot hold a line break, and no field should hold a control character:
// each becomes a blank. CP932 second bytes are never control bytes, so bytes are safe here.
void BlankControls(std::string& text) {
    for (char& c : text) {
        if (IsControl(static_cast<unsigned char>(c))) c = ' ';
    }
}

// The line as CP932 bytes, or nothing when it holds a character CP932 cannot hold.
std::optional<std::string> LineAsCp932(std::string_view line, bool utf8) {
    if (!utf8) {
        if (!Cp932ToUtf8(line)) return std::nullopt;
        return std::string(line);
    }
    std::string text(line);
    BlankControls(text);
    return TypedUtf8ToCp932(text);
}

}  // namespace

void SplitImportLine(std::string_view line, std::vector<std::string>& fields, int last) {
    fields.assign(static_cast<std::size_t>(last) + 1, std::string());
    if (line.find('"') == std::string_view::npos) {
        SplitCsv(line, fields, last);
        return;
    }
    // "," and '"' are never the second byte of a CP932 character, so the walk can look at
    // single bytes.
    std::size_t at = 0;
    for (int index = 0; index <= last && at <= line.size(); ++index) {
        std::size_t start = at;
        while (start < line.size() &&
               (static_cast<unsigned char>(line[start]) <= 0x20 || line[start] == 0x7F)) {
            ++start;
        }
        if (start < line.size() && line[start] == '"') {
            std::string value;
            std::size_t i = start + 1;
            while (i < line.size()) {
                if (line[i] == '"') {
                    if (i + 1 < line.size() && line[i + 1] == '"') {
                        value += '"';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += line[i++];
            }
            // Anything between the closing quote and the next comma stays with the field.
            std::size_t comma = line.find(',', i);
            if (comma == std::string_view::npos) comma = line.size();
            value.append(line.substr(i, comma - i));
            fields[static_cast<std::size_t>(index)] = Trimmed(value);
            at = comma + 1;
        } else {
            std::size_t comma = line.find(',', at);
            if (comma == std::string_view::npos) comma = line.size();
            fields[static_cast<std::size_t>(index)] =
                UnescapeField(Trimmed(line.substr(at, comma - at)));
            at = comma + 1;
        }
    }
}

ProductImportReport ImportProductCsv(MasterLists& lists, std::string_view constructionCode,
                                     std::string_view csv) {
    ProductImportReport report;
    if (csv.starts_with(kUtf8Bom)) {
        csv.remove_prefix(kUtf8Bom.size());
        report.utf8 = true;
    } else {
        // Japanese CP932 text is practically never valid UTF-8, while a file saved as UTF-8
        // is exactly that.
        report.utf8 = HasHighBytes(csv) && IsValidUtf8(csv);
    }

    const std::string code = PadRightBytes(constructionCode, kConstructionCodeWidth);
    CodeSequence codes = ProductCodeSequence(lists, code);
    const std::string blankName = *Utf8ToCp932(kImportBlankName);
    const std::vector<std::string> lines = SplitMasterLines(csv);
    std::vector<std::string> fields;
    for (std::size_t number = 0; number < lines.size(); ++number) {
        if (!HasRoomForProduct(lists)) {
            report.capacityStopped = true;
            break;
        }
        const std::optional<std::string> line = LineAsCp932(lines[number], report.utf8);
        if (!line) {
            report.refusedLines.push_back(static_cast<int>(number) + 1);
            continue;
        }
        const NextCode next = codes.Next();
        if (next.status != 0) {
            report.capacityStopped = true;
            break;
        }
        SplitImportLine(*line, fields, kImportFields - 1);
        for (std::string& field : fields) BlankControls(field);
        ProductFields product;
        product.constructionCode = code;
        product.productCode = next.code;
        product.name = Trimmed(fields[0]).empty() ? blankName : fields[0];
        product.specification = fields[1];
        product.unit = fields[2];
        product.cost = fields[3];
        product.price = fields[4];
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
    if (!report.refusedLines.empty()) {
        message += "\n使えない文字があるため取り込まなかった行 : ";
        for (std::size_t i = 0; i < report.refusedLines.size() && i < kRefusedLinesNamed; ++i) {
            if (i > 0) message += ", ";
            message += std::to_string(report.refusedLines[i]);
        }
        if (report.refusedLines.size() > kRefusedLinesNamed) {
            message +=
                " ほか " + std::to_string(report.refusedLines.size() - kRefusedLinesNamed) + " 行";
        }
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

ProductImportFileResult ImportProductFile(MasterLists& lists, Environment& environment,
                                          std::string_view constructionCode, const QString& path) {
    ProductImportFileResult result;
    const std::optional<std::string> csv = ReadWholeFile(path, kMaxMasterFileBytes);
    if (!csv) {
        result.status = -1;
        return result;
    }
    result.report = ImportProductCsv(lists, constructionCode, *csv);
    result.writeResult = WriteProducts(lists, environment);
    return result;
}

}  // namespace quilto
