// quilto-cli create --json FILE: a new estimate from a JSON description, saved exactly as
// the editor saves a new estimate (the backup estimate first, then the next free
// management number), which is printed.
//
//   {"cover": {"MName1": "...", "MTitle1": "...", "ZRitu": "10", "CheckBox1": false,
//              "CheckBox2": true, "pattern": 0},
//    "summary": [["", "1", "name", "m2", "1,500", ...], null, ...],
//    "breakdown": [{"cells": [...], "details": [[...], ...]}, ...]}
//
// A row lists its grid cells from column 1 on (the line-kind marker or code first) as a
// user types them; a missing or null row is a blank row. Texts must fit what the editor
// lets a user type into that field, and must have a Shift-JIS form.

#include <QFile>
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <limits>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/editor_session.h"
#include "core/editor/line_kind.h"
#include "core/editor/sheet_layout.h"
#include "core/foundation/number_text.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto::cli {

namespace {

using nlohmann::json;

// Reading the description stops at the first problem, which names the field.
struct Problem {
    std::string text;
};

std::string Cp932OrThrow(const json& value, const std::string& field, int maxBytes) {
    std::string error;
    auto bytes = Cp932Text(value, field, error);
    if (!bytes) throw Problem{error};
    if (static_cast<int>(bytes->size()) > maxBytes) {
        throw Problem{field + ": longer than the " + std::to_string(maxBytes) +
                      " bytes the field takes"};
    }
    return *bytes;
}

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

// A number as a user writes it: an optional "-", digits (thousands separators only between
// groups of three) and, where decimals are allowed, "." and more digits. Blanks around it
// are allowed, since the editor shows numbers right-aligned.
bool IsWrittenNumber(std::string_view text, bool decimals) {
    text = TrimmedView(text);
    std::size_t i = 0;
    if (i < text.size() && text[i] == '-') ++i;
    std::size_t digits = 0;  // since the start or the last separator
    std::size_t whole = 0;
    bool grouped = false;
    for (; i < text.size() && (IsAsciiDigit(text[i]) || text[i] == ','); ++i) {
        if (text[i] != ',') {
            ++digits;
            ++whole;
            continue;
        }
        if (digits == 0 || digits > 3 || (grouped && digits != 3)) return false;
        grouped = true;
        digits = 0;
    }
    if (grouped && digits != 3) return false;
    std::size_t fraction = 0;
    if (decimals && i < text.size() && text[i] == '.') {
        for (++i; i < text.size() && IsAsciiDigit(text[i]); ++i) ++fraction;
        if (fraction == 0) return false;
    }
    return i == text.size() && whole + fraction > 0;
}

// A number cell of a grid, refused as the editor's typing filter would refuse it.
std::string NumberCellOrThrow(const json& value, const std::string& field, const CellTyping& rule) {
    std::string text = Cp932OrThrow(value, field, std::numeric_limits<int>::max());
    if (!HasText(text)) return text;
    const bool decimals = rule.kind == CellTypingKind::DecimalNumber;
    if (!IsWrittenNumber(text, decimals)) {
        throw Problem{field + ": \"" + JsonText(text) + "\" is not " +
                      (decimals ? "a number" : "a whole number")};
    }
    if (static_cast<int>(CleanNumber(text).size()) > rule.maxBytes) {
        throw Problem{field + ": longer than the " + std::to_string(rule.maxBytes) +
                      " characters the column takes"};
    }
    return text;
}

void CheckKeys(const json& object, const std::vector<std::string>& allowed,
               const std::string& where) {
    for (const auto& item : object.items()) {
        if (std::find(allowed.begin(), allowed.end(), item.key()) == allowed.end()) {
            throw Problem{where + ": unknown entry \"" + item.key() + "\""};
        }
    }
}

void ApplyCover(const json& cover, EstimateDocument& doc) {
    if (!cover.is_object()) throw Problem{"cover: not an object"};
    for (const auto& item : cover.items()) {
        const std::string& name = item.key();
        const std::string field = "cover." + name;
        const json& value = item.value();
        if (name == "CheckBox1" || name == "CheckBox2") {
            if (!value.is_boolean()) throw Problem{field + ": not true or false"};
            if (name == "CheckBox1") {
                doc.SetCheckBox1(value.get<bool>());
            } else {
                doc.SetCheckBox2(value.get<bool>());
            }
        } else if (name == "pattern") {
            // Checked before narrowing: 4294967297 is no pattern, whatever an int makes of it.
            const bool inRange = value.is_number_unsigned() ? value.get<std::uint64_t>() <= 2
                                                            : value.is_number_integer() &&
                                                                  value.get<std::int64_t>() >= 0 &&
                                                                  value.get<std::int64_t>() <= 2;
            if (!inRange) throw Problem{field + ": not 0, 1 or 2"};
            doc.SetPatternIndex(static_cast<int>(value.get<std::int64_t>()));
        } else if (name == "MNo") {
            throw Problem{field + ": the management number is given when the estimate is saved"};
        } else if (name.starts_with("MGoukei")) {
            throw Problem{field + ": this figure is calculated, not typed"};
        } else if (name == "ZRitu") {
            // The tax rate box takes two digits and nothing else.
            const std::string rate = Cp932OrThrow(value, field, 2);
            if (!std::all_of(rate.begin(), rate.end(), [](char c) { return IsAsciiDigit(c); })) {
                throw Problem{field + ": the tax rate is a whole percent of at most two digits"};
            }
            doc.SetCoverText(name, rate);
        } else if (doc.CoverText(name)) {
            doc.SetCoverText(name,
                             Cp932OrThrow(value, field, EstimateDocument::CoverMaxBytes(name)));
        } else {
            throw Problem{field + ": no such cover field"};
        }
    }
}

void ApplyRow(const json& row, SheetKind sheet, TextGrid& grid, int gridRow,
              const std::string& where) {
    if (row.is_null()) return;
    if (!row.is_array()) throw Problem{where + ": not a list of cell texts"};
    const std::vector<ColumnSpec>& columns = ColumnSpecsOf(sheet);
    if (row.size() >= columns.size()) {
        throw Problem{where + ": more than " + std::to_string(columns.size() - 1) + " cells"};
    }
    for (std::size_t i = 0; i < row.size(); ++i) {
        const int col = static_cast<int>(i) + 1;
        const std::string field = where + "[" + std::to_string(i) + "]";
        if (row[i].is_null()) continue;
        const CellTyping rule = CellTypingOf(sheet, col);
        if (rule.maxBytes == 0 &&
            !(row[i].is_string() && row[i].get_ref<const std::string&>().empty())) {
            throw Problem{field + ": this column is calculated, not typed"};
        }
        grid.SetCell(gridRow, col,
                     rule.kind == CellTypingKind::Text ? Cp932OrThrow(row[i], field, rule.maxBytes)
                                                       : NumberCellOrThrow(row[i], field, rule));
    }
}

void ApplyRows(const json& rows, SheetKind sheet, TextGrid& grid, const std::string& where) {
    if (!rows.is_array()) throw Problem{where + ": not a list of rows"};
    const int last = ColumnsOf(sheet).lastDataRow;
    if (static_cast<int>(rows.size()) > last) {
        throw Problem{where + ": more than " + std::to_string(last) + " rows"};
    }
    for (std::size_t i = 0; i < rows.size(); ++i) {
        ApplyRow(rows[i], sheet, grid, static_cast<int>(i) + 1,
                 where + "[" + std::to_string(i) + "]");
    }
}

void ApplyBreakdown(const json& lines, EstimateDocument& doc) {
    if (!lines.is_array()) throw Problem{"breakdown: not a list of lines"};
    if (static_cast<int>(lines.size()) > kBreakdownLines) {
        throw Problem{"breakdown: more than " + std::to_string(kBreakdownLines) + " lines"};
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const json& line = lines[i];
        const std::string where = "breakdown[" + std::to_string(i) + "]";
        if (line.is_null()) continue;
        if (!line.is_object()) throw Problem{where + ": not an object"};
        CheckKeys(line, {"cells", "details"}, where);
        const int row = static_cast<int>(i) + 1;
        if (line.contains("cells")) {
            ApplyRow(line["cells"], SheetKind::Breakdown, doc.Grid(SheetKind::Breakdown), row,
                     where + ".cells");
        }
        if (line.contains("details")) {
            if (IsSpecialLine(LineKindOf(doc.Grid(SheetKind::Breakdown), row))) {
                throw Problem{where + ".details: a special line has no detail sheet"};
            }
            // Typed into the detail sheet of the line and stored, as the editor does.
            doc.LoadDetailSheet(row);
            ApplyRows(line["details"], SheetKind::Detail, doc.Grid(SheetKind::Detail),
                      where + ".details");
            doc.StoreDetailSheet();
        }
    }
}

std::optional<json> ReadJsonFile(const std::string& name) {
    QFile file(QFile::decodeName(name.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        PrintError("create: cannot read " + name);
        return std::nullopt;
    }
    const QByteArray bytes = file.readAll();
    json description = json::parse(bytes.begin(), bytes.end(), nullptr, false);
    if (description.is_discarded()) {
        PrintError("create: " + name + " is not valid JSON");
        return std::nullopt;
    }
    return description;
}

}  // namespace

int RunCreate(const std::vector<std::string>& args) {
    if (args.size() != 2 || args[0] != "--json") {
        PrintError("usage: create --json FILE");
        return 2;
    }
    const auto description = ReadJsonFile(args[1]);
    if (!description) return 1;

    Environment environment;
    LoadEnvironment(environment);
    EditorSession session;
    session.UseSettings(environment);
    EstimateDocument& doc = session.Document();
    doc.BeginSession(EntryMode::kNew);
    session.StartNew(environment);
    // The number the editor proposes when it opens; the save takes the next free one then.
    doc.SetText(HeaderText::MNo, NextManagementNumber(environment));
    try {
        if (!description->is_object()) throw Problem{"the description is not an object"};
        CheckKeys(*description, {"cover", "summary", "breakdown"}, "description");
        if (description->contains("cover")) ApplyCover((*description)["cover"], doc);
        if (description->contains("summary")) {
            ApplyRows((*description)["summary"], SheetKind::Summary, doc.Grid(SheetKind::Summary),
                      "summary");
        }
        if (description->contains("breakdown")) ApplyBreakdown((*description)["breakdown"], doc);
    } catch (const Problem& problem) {
        PrintError("create: " + problem.text);
        return 1;
    }

    // Saved as the editor saves: every detail sheet, the breakdown and the summary
    // calculated, the same checks.
    CliQuestions questions(Answer::kUnset);
    const SaveResult result = session.Save(environment, questions);
    if (result.outcome == SaveOutcome::kWriteFailed) {
        PrintError("create: the estimate was not saved (" +
                   std::to_string(static_cast<int>(result.written)) + ")");
        return 1;
    }
    if (!result.Saved()) {
        PrintError("create: " + SaveOutcomeMessage(result) + " Nothing was saved.");
        return 1;
    }
    std::printf("%s\n", doc.Text(HeaderText::MNo).c_str());
    return 0;
}

}  // namespace quilto::cli
