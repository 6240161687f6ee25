#include "core/excel/table_definition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <cstdio>
#include <limits>
#include <optional>
#include <string>
#include <utility>

#include "core/foundation/atomic_file.h"
#include "core/foundation/binary_record.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"

namespace quilto {

namespace {

constexpr TableFile kBothFiles[] = {TableFile::kStandard, TableFile::kFreeForm};

std::size_t RecordSize(TableFile file) {
    return file == TableFile::kStandard ? kXkpRecordSize : kXkpSeiRecordSize;
}

const TableField* FindField(std::string_view name) {
    const int index = TableFieldIndex(name);
    return index < 0 ? nullptr : &TableFields()[static_cast<std::size_t>(index)];
}

// The first record of a file, or nullopt when it cannot be opened or is too short. Never
// reads more than one record, whatever the file's size.
std::optional<std::string> ReadFirstRecord(const QString& path, std::size_t size) {
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly)) return std::nullopt;
    const QByteArray bytes = file.read(static_cast<qint64>(size));
    if (static_cast<std::size_t>(bytes.size()) < size) return std::nullopt;
    return std::string(bytes.constData(), size);
}

// A count field's text as the value stored: cleaned to a number and read as a whole
// number; 0 for anything else, a value beyond 32 bits included.
std::int32_t CountFromText(std::string_view text) {
    const long long value = ToInt(CleanNumber(text));
    if (value < std::numeric_limits<std::int32_t>::min() ||
        value > std::numeric_limits<std::int32_t>::max()) {
        return 0;
    }
    return static_cast<std::int32_t>(value);
}

// An invoice file as it is on disk.
enum class InvoiceFileState { kMissing, kRead, kUnreadable, kDamaged };

InvoiceFileState ReadInvoiceFile(const QString& path, InvoicePlacements* placements,
                                 InvoicePlacementsDamage* damage) {
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink()) return InvoiceFileState::kMissing;
    if (!QFileInfo(path).isFile()) return InvoiceFileState::kUnreadable;
    const std::optional<std::string> text = ReadWholeFile(path, kInvoicePlacementsMaxBytes);
    if (!text) return InvoiceFileState::kUnreadable;
    std::optional<InvoicePlacements> read = ParseInvoicePlacements(*text, damage);
    if (!read) return InvoiceFileState::kDamaged;
    *placements = std::move(*read);
    return InvoiceFileState::kRead;
}

std::string CountText(std::int32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%2d", static_cast<int>(value));
    return text;
}

}  // namespace

std::string TablePatternCode(std::string_view code) {
    if (code == "01" || code == "02" || code == "03" || code == "04") return std::string(code);
    return "00";
}

QString TableDefinitionFileName(TableFile file, std::string_view code) {
    const QString stem =
        file == TableFile::kStandard ? QStringLiteral("XKP") : QStringLiteral("XKPSei");
    return QStringLiteral("XlsBase/") + stem + QString::fromLatin1(TablePatternCode(code)) +
           (file == TableFile::kInvoice ? QStringLiteral(".invoice") : QStringLiteral(".Dat"));
}

QString TableDefinitionPath(TableFile file, std::string_view code) {
    return ResolveCaseInsensitive(TableDefinitionFileName(file, code));
}

bool IsInvoiceFileOfAnEarlierDefinition(const QString& path) {
    const QFileInfo info(path);
    static const QRegularExpression kName(QStringLiteral("^XKPSei[0-9][0-9]\\.invoice$"),
                                          QRegularExpression::CaseInsensitiveOption);
    if (!kName.match(info.fileName()).hasMatch()) return false;
    const QString record = info.dir().filePath(info.completeBaseName() + QStringLiteral(".Dat"));
    return QFileInfo::exists(ResolveCaseInsensitive(record));
}

int EffectiveRowsPerPage(int stored) { return stored <= 0 ? kDefaultRowsPerPage : stored; }

TableDefinitions::TableDefinitions()
    : standard_(kXkpRecordSize, '\0'), freeForm_(kXkpSeiRecordSize, '\0') {}

TableFileResult TableDefinitions::Load(std::string_view code) {
    TableFileResult result = TableFileResult::kOk;
    for (TableFile file : kBothFiles) {
        const std::optional<std::string> bytes =
            ReadFirstRecord(TableDefinitionPath(file, code), RecordSize(file));
        if (!bytes || !ReadRecord(file, *bytes)) result = TableFileResult::kFailed;
    }
    InvoicePlacements placements;
    switch (ReadInvoiceFile(TableDefinitionPath(TableFile::kInvoice, code), &placements, nullptr)) {
        case InvoiceFileState::kMissing:
            invoice_.clear();
            break;
        case InvoiceFileState::kRead:
            invoice_ = std::move(placements);
            break;
        case InvoiceFileState::kUnreadable:
        case InvoiceFileState::kDamaged:
            result = TableFileResult::kFailed;
            break;
    }
    return result;
}

TableFileResult TableDefinitions::Save(std::string_view code, const TableFieldTexts& fields) {
    TakeFields(fields);
    TableFileResult result = TableFileResult::kOk;
    for (TableFile file : kBothFiles) {
        // Only an existing definition is rewritten: a pattern's files come into being at
        // start-up, and a pattern without them (03, 04) stays without them.
        const QString path = TableDefinitionPath(file, code);
        if (!QFileInfo(path).isFile() || !SaveFileAtomically(path, Record(file)))
            result = TableFileResult::kFailed;
    }
    // The invoice file goes with the free-form record; an older folder gets it on the
    // first save.
    if (QFileInfo(TableDefinitionPath(TableFile::kFreeForm, code)).isFile()) {
        if (!SaveFileAtomically(TableDefinitionPath(TableFile::kInvoice, code),
                                InvoicePlacementsText(invoice_))) {
            result = TableFileResult::kFailed;
        }
    }
    return result;
}

TableFileResult TableDefinitions::SaveCleared(std::string_view code) {
    Clear();
    return Save(code, TableFieldTexts());
}

void TableDefinitions::Clear() {
    invoice_.clear();
    for (const TableField& field : TableFields()) {
        if (field.file == TableFile::kInvoice) continue;
        RecordWriter writer(field.file == TableFile::kStandard ? standard_ : freeForm_);
        if (field.kind == TableFieldKind::kCount) {
            writer.I32(field.offset, 0);
        } else {
            writer.ShortString(field.offset, kCellFieldCapacity, {});
        }
    }
}

void TableDefinitions::TakeFields(const TableFieldTexts& fields) {
    Clear();
    const std::span<const TableField> all = TableFields();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TableField& field = all[i];
        if (field.file == TableFile::kInvoice) {
            std::string cell = Trimmed(fields.At(i));
            if (ParseDefinitionAddress(cell).IsValid()) invoice_[field.name] = std::move(cell);
            continue;
        }
        RecordWriter writer(field.file == TableFile::kStandard ? standard_ : freeForm_);
        if (field.kind == TableFieldKind::kCount) {
            writer.I32(field.offset, CountFromText(fields.At(i)));
        } else {
            writer.ShortString(field.offset, kCellFieldCapacity, fields.At(i));
        }
    }
}

TableFieldTexts TableDefinitions::Fields() const {
    TableFieldTexts fields;
    const std::span<const TableField> all = TableFields();
    for (std::size_t i = 0; i < all.size(); ++i) {
        const TableField& field = all[i];
        if (field.file == TableFile::kInvoice) {
            fields.SetAt(i, Text(field.name));
            continue;
        }
        const RecordReader reader(Record(field.file));
        if (field.kind == TableFieldKind::kCount) {
            fields.SetAt(i, CountText(reader.I32(field.offset)));
        } else if (field.kind == TableFieldKind::kText) {
            // Blanks around the separator are part of it (the output prints them): shown
            // trimmed, the next save would drop them although the user changed nothing.
            fields.SetAt(i, reader.ShortString(field.offset, kCellFieldCapacity));
        } else {
            fields.SetAt(i, Trimmed(reader.ShortString(field.offset, kCellFieldCapacity)));
        }
    }
    return fields;
}

std::string TableDefinitions::Text(std::string_view name) const {
    const TableField* field = FindField(name);
    if (field == nullptr || field->kind == TableFieldKind::kCount) return {};
    if (field->file == TableFile::kInvoice) {
        const auto placed = invoice_.find(name);
        return placed == invoice_.end() ? std::string() : placed->second;
    }
    return Trimmed(
        RecordReader(Record(field->file)).ShortString(field->offset, kCellFieldCapacity));
}

int TableDefinitions::Count(std::string_view name) const {
    const TableField* field = FindField(name);
    if (field == nullptr || field->kind != TableFieldKind::kCount) return 0;
    return RecordReader(Record(field->file)).I32(field->offset);
}

CellPosition TableDefinitions::Cell(std::string_view name) const {
    return ParseDefinitionAddress(Text(name));
}

RowsPerPage TableDefinitions::Rows() const {
    return {Count("GyoF1"), Count("GyoD1"), Count("GyoE1")};
}

const std::string& TableDefinitions::Record(TableFile file) const {
    return file == TableFile::kStandard ? standard_ : freeForm_;
}

bool TableDefinitions::ReadRecord(TableFile file, std::string_view bytes) {
    const std::size_t size = RecordSize(file);
    if (bytes.size() < size) return false;
    (file == TableFile::kStandard ? standard_ : freeForm_).assign(bytes.substr(0, size));
    return true;
}

bool TableDefinitions::ReadInvoice(std::string_view text, InvoicePlacementsDamage* damage) {
    std::optional<InvoicePlacements> placements = ParseInvoicePlacements(text, damage);
    if (!placements) return false;
    invoice_ = std::move(*placements);
    return true;
}

namespace {

// Where the invoices' issuer goes on the free-form first pages (parts A and B). The
// standard cells leave it out, which would send an invoice without the firm's name and
// address.
constexpr std::pair<const char*, const char*> kInvoiceCompanyCells[] = {
    {"1HJName1", "M4"}, {"1HJName2", "M5"},   {"1HJUbin", "N6"},
    {"1HJJyu1", "M7"},  {"1HJJyu2", "M8"},    {"1HJTel", "N9"},
    {"1HJFax", "R9"},   {"1HJDaihyo", "O10"}, {"1HJTanto", "O11"}};

// The invoice items of the free-form first pages (their own file): the registration number
// under the issuer, and left of the totals block the rate, the amount it applies to and its
// tax.
constexpr std::pair<const char*, const char*> kInvoiceItemCells[] = {
    {"1HJTouroku", "M12"}, {"1HZRitu", "A37"}, {"1HZTaisyo", "D37"}, {"1HZGaku", "H37"}};

constexpr int kMostRowsPerPage = 99;

constexpr char kCoverBeforeTaxCell[] = "W10";
constexpr char kCoverTaxCell[] = "W11";

}  // namespace

TableDefinitions ShippedTableDefinitions() {
    TableFieldTexts texts = StandardTableDefaults(TableFieldTexts());
    texts.Set("HBKsep", "-");
    // The cover shows, beside the estimate amount, the amount before tax and the tax.
    texts.Set("HGoukei1", kCoverBeforeTaxCell);
    texts.Set("HGoukei2", kCoverTaxCell);
    for (const char* part : {"SA", "SB"}) {
        for (const auto& [field, cell] : kInvoiceCompanyCells)
            texts.Set(std::string(part) + field, cell);
        for (const auto& [field, cell] : kInvoiceItemCells)
            texts.Set(std::string(part) + field, cell);
    }
    TableDefinitions definitions;
    definitions.TakeFields(texts);
    return definitions;
}

std::string DefinitionProblem(std::string_view code) {
    TableDefinitions definitions;
    for (TableFile file : kBothFiles) {
        const QString path = TableDefinitionPath(file, code);
        const std::optional<std::string> bytes = ReadFirstRecord(path, RecordSize(file));
        if (!bytes || !definitions.ReadRecord(file, *bytes)) {
            return QStringLiteral(
                       "表定義ファイル %1 を読めないか、足りません（%2 バイト、"
                       "%3 バイト必要）。出力を中止しました。表定義の設定で「標準」"
                       "にして保存するか、バックアップから戻してください。")
                .arg(QFileInfo(path).absoluteFilePath())
                .arg(QFileInfo(path).exists() ? QFileInfo(path).size() : 0)
                .arg(RecordSize(file))
                .toStdString();
        }
    }
    for (const TableField& field : TableFields()) {
        if (field.kind != TableFieldKind::kCount) continue;
        const int rows = definitions.Count(field.name);
        if (rows >= 0 && rows <= kMostRowsPerPage) continue;
        return QStringLiteral(
                   "表定義ファイル %1 の %2（1 ページの行数）が %3 です。出力を中止"
                   "しました。表定義の設定で 1〜%4 の行数にしてください。")
            .arg(QFileInfo(TableDefinitionPath(field.file, code)).absoluteFilePath())
            .arg(QString::fromLatin1(field.name))
            .arg(rows)
            .arg(kMostRowsPerPage)
            .toStdString();
    }
    const QString invoice = TableDefinitionPath(TableFile::kInvoice, code);
    InvoicePlacements placements;
    InvoicePlacementsDamage damage;
    switch (ReadInvoiceFile(invoice, &placements, &damage)) {
        case InvoiceFileState::kMissing:
        case InvoiceFileState::kRead:
            return {};
        case InvoiceFileState::kUnreadable:
            return QStringLiteral(
                       "表定義ファイル %1 を読めません（%2 バイトまでのファイルです）。出力を"
                       "中止しました。表定義の設定で保存し直すか、バックアップから戻して"
                       "ください。")
                .arg(QFileInfo(invoice).absoluteFilePath())
                .arg(kInvoicePlacementsMaxBytes)
                .toStdString();
        case InvoiceFileState::kDamaged:
            break;
    }
    return QStringLiteral(
               "表定義ファイル %1 の %2 行目が読めません: %3。出力を中止しました。"
               "表定義の設定で請求書の項目を入れ直して保存するか、バックアップから戻して"
               "ください。")
        .arg(QFileInfo(invoice).absoluteFilePath())
        .arg(damage.line)
        .arg(QString::fromStdString(damage.reason))
        .toStdString();
}

}  // namespace quilto
