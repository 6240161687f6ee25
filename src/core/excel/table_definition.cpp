#include "core/excel/table_definition.h"

#include <QFile>
#include <QFileInfo>
#include <cstdio>
#include <limits>
#include <optional>

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
           QStringLiteral(".Dat");
}

QString TableDefinitionPath(TableFile file, std::string_view code) {
    return ResolveCaseInsensitive(TableDefinitionFileName(file, code));
}

int EffectiveRowsPerPage(int stored) { return stored <= 0 ? kDefaultRowsPerPage : stored; }

TableDefinitions::TableDefinitions()
    : standard_(kXkpRecordSize, '\0'), freeForm_(kXkpSeiRecordSize, '\0') {}

int TableDefinitions::Load(std::string_view code) {
    int result = 0;
    for (TableFile file : kBothFiles) {
        const std::optional<std::string> bytes =
            ReadFirstRecord(TableDefinitionPath(file, code), RecordSize(file));
        if (!bytes || !ReadRecord(file, *bytes)) result = -1;
    }
    return result;
}

int TableDefinitions::Save(std::string_view code, const TableFieldTexts& fields) {
    TakeFields(fields);
    int result = 0;
    for (TableFile file : kBothFiles) {
        // Only an existing definition is rewritten: a pattern's files come into being at
        // start-up, and a pattern without them (03, 04) stays without them.
        const QString path = TableDefinitionPath(file, code);
        if (!QFileInfo(path).isFile() || !SaveFileAtomically(path, Record(file))) result = -1;
    }
    return result;
}

int TableDefinitions::SaveCleared(std::string_view code) {
    Clear();
    return Save(code, TableFieldTexts());
}

void TableDefinitions::Clear() {
    for (const TableField& field : TableFields()) {
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
        const RecordReader reader(Record(field.file));
        if (field.kind == TableFieldKind::kCount) {
            fields.SetAt(i, CountText(reader.I32(field.offset)));
        } else {
            fields.SetAt(i, Trimmed(reader.ShortString(field.offset, kCellFieldCapacity)));
        }
    }
    return fields;
}

std::string TableDefinitions::Text(std::string_view name) const {
    const TableField* field = FindField(name);
    if (field == nullptr || field->kind == TableFieldKind::kCount) return {};
    return Trimmed(
        RecordReader(Record(field->file)).ShortString(field->offset, kCellFieldCapacity));
}

int TableDefinitions::Count(std::string_view name) const {
    const TableField* field = FindField(name);
    if (field == nullptr || field->kind != TableFieldKind::kCount) return 0;
    return RecordReader(Record(field->file)).I32(field->offset);
}

CellPosition TableDefinitions::Cell(std::string_view name) const {
    return ParseCellAddress(Text(name));
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

}  // namespace quilto
