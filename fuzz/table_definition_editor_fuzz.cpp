// The definition editor's save from whatever a user can put into its fields. The first byte
// chooses the pattern; the rest, split at line feeds, are the fields' texts as UTF-8, each
// cut to the field's length as its widget cuts it, typed letters in upper case, address
// fields as left. The lines fields are not filtered: a pasted text passes the key filter.
// Whatever the texts, the save either names the field and the character it cannot take or
// writes both files; what it wrote reads back as the editor showed it, shows and saves the
// same again, and drives an output (the output refuses nothing the editor saved).

#include <fcntl.h>
#include <unistd.h>

#include <QByteArray>
#include <QDir>
#include <QString>
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/excel/pattern_choice.h"
#include "core/excel/table_definition.h"
#include "core/excel/table_definition_editor.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/typed_text.h"

using namespace quilto;

namespace {

constexpr int kPatterns = 3;  // the combo's 標準, 01 and 02

std::string g_folder;  // the working folder the saves go to
int g_started = -1;    // the folder the run was started in (corpus, dictionary, artifacts)

void Check(bool condition, const char* what, int line) {
    if (condition) return;
    std::fprintf(stderr, "table_definition_editor_fuzz:%d: %s\n", line, what);
    // The failing input is written to the folder the run started in.
    if (fchdir(g_started) != 0) std::perror("fchdir");
    std::abort();
}
#define Require(condition) Check((condition), #condition, __LINE__)

void RemoveFolder() {
    if (!g_folder.empty()) QDir(QString::fromStdString(g_folder)).removeRecursively();
}

}  // namespace

// A working folder of its own, in memory where the system has one: each input saves both
// files of a pattern, and a disk's flushes would make that the whole of the run. The
// program works in its working folder as the current one, so each input goes there and
// back; the folder is named here, since a sanitizer's report leaves its input there.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    const std::string base =
        QDir("/dev/shm").exists() ? "/dev/shm" : QDir::tempPath().toStdString();
    std::string folder = base + "/quilto-table-definition-fuzz-XXXXXX";
    g_started = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_started < 0 || mkdtemp(folder.data()) == nullptr) std::abort();
    g_folder = folder;
    std::fprintf(stderr, "table_definition_editor_fuzz: working folder %s\n", folder.c_str());
    std::atexit(RemoveFolder);
    const QDir working(QString::fromStdString(folder));
    working.mkdir("XlsBase");
    const TableDefinitions shipped = ShippedTableDefinitions();
    for (int pattern = 0; pattern < kPatterns; ++pattern) {
        const std::string code = PatternCodeOfIndex(pattern);
        for (TableFile file : {TableFile::kStandard, TableFile::kFreeForm}) {
            const QString path = working.filePath(TableDefinitionFileName(file, code));
            if (!SaveFileAtomically(path, shipped.Record(file))) std::abort();
        }
    }
    return 0;
}

namespace {

int TestOneInput(const std::uint8_t* data, std::size_t size);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (chdir(g_folder.c_str()) != 0) std::abort();
    const int result = TestOneInput(data, size);
    if (fchdir(g_started) != 0) std::abort();
    return result;
}

namespace {

int TestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const int pattern = data[0] % kPatterns;
    const std::string code = PatternCodeOfIndex(pattern);
    const std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);

    const std::span<const TableField> all = TableFields();
    std::vector<QString> texts(all.size());
    std::size_t start = 0;
    for (std::size_t i = 0; i < all.size() && start <= rest.size(); ++i) {
        const std::size_t end = std::min(rest.find('\n', start), rest.size());
        const std::string_view piece = rest.substr(start, end - start);
        start = end + 1;
        const TableInputKind kind = InputKindOf(all[i]);
        QString text =
            UpperCaseTyped(QString::fromUtf8(piece.data(), static_cast<qsizetype>(piece.size()))
                               .left(InputMaxLength(kind)));
        if (kind == TableInputKind::kAddress) text = LeftAddressField(text).text;
        texts[i] = text;
    }

    TypedTextRefusal refusal;
    std::size_t refused = all.size();
    const std::optional<TableFieldTexts> fields = TypedFieldTexts(texts, &refusal, &refused);
    if (!fields) {
        // The field named holds the character named: one CP932 lacks, or in a lines field
        // anything but a digit or a blank.
        Require(refused < texts.size());
        // (As converted: a JIS-style code point is first taken as the one CP932 holds, and a
        // widget's length may cut a pair of surrogates, leaving half of one.)
        const QString normalized = NormalizeTypedText(texts[refused]);
        const char32_t c = refusal.character;
        Require(texts[refused].toStdU32String().find(c) != std::u32string::npos ||
                normalized.toStdU32String().find(c) != std::u32string::npos ||
                (c < 0x10000 && normalized.contains(QChar(static_cast<char16_t>(c)))));
        if (InputKindOf(all[refused]) == TableInputKind::kLines) {
            Require(refusal.character != U' ' &&
                    !(refusal.character >= U'0' && refusal.character <= U'9'));
        } else {
            Require(!TypedTextToCp932(texts[refused]).has_value());
        }
        return 0;
    }

    TableDefinitions tables;
    TableDefinitionSession session(tables);
    Require(session.Load(pattern) == 0);
    Require(session.Save(pattern, *fields) == 0);
    const TableFieldTexts shown = session.Fields();

    // Every byte of the records that no field owns stays as the shipped files have it: zero
    // (the invoice items live in a file of their own).
    for (TableFile file : {TableFile::kStandard, TableFile::kFreeForm}) {
        std::string unowned = tables.Record(file);
        for (const TableField& field : all) {
            if (field.file != file) continue;
            const std::size_t width = field.kind == TableFieldKind::kCount ? 4 : 7;
            unowned.replace(field.offset, width, width, '\0');
        }
        Require(unowned == std::string(unowned.size(), '\0'));
        Require(ReadWholeFile(TableDefinitionFileName(file, code), 4096) == tables.Record(file));
    }

    // What was written reads back as the editor shows it, and shows and saves the same.
    TableDefinitions again;
    Require(again.Load(code) == 0);
    Require(again == tables);
    Require(again.Fields() == shown);
    const std::optional<TableFieldTexts> resaved = TypedFieldTexts(ShownFieldTexts(shown));
    Require(resaved.has_value());
    TableDefinitions third = again;
    third.TakeFields(*resaved);
    Require(third == again);

    // The output takes whatever the editor saved.
    const std::string problem = DefinitionProblem(code);
    if (!problem.empty()) std::fprintf(stderr, "%s\n", problem.c_str());
    Require(problem.empty());
    const RowsPerPage rows = again.Rows();
    Require(rows.summary >= 0 && rows.breakdown >= 0 && rows.detail >= 0);

    // Going back gives what was saved.
    session.RestorePrevious();
    Require(tables.Fields() == shown);
    return 0;
}

}  // namespace
