#pragma once

// Internal to the outputs: the book's calls with their failures turned into one exception
// that the output catches at its top, and the cells of the table definitions resolved once
// per run.

#include <QString>
#include <string>
#include <string_view>
#include <utility>

#include "core/excel/cell_address.h"
#include "core/excel/table_definition.h"
#include "core/excel/workbook.h"
#include "core/output/output_book.h"
#include "core/output/output_progress.h"
#include "core/store/environment.h"

namespace quilto::output_detail {

struct BookFailure {
    QString message;
};

// The user cancelled before the first line was written, while the pages were being made.
struct PagesCancelled {};

// Runs a whole output, its two ways of stopping early turned into the outcome.
template <typename Write>
BookWriting WriteBookWith(Write&& write, QString* error) {
    try {
        write();
        return BookWriting::kWritten;
    } catch (const PagesCancelled&) {
        return BookWriting::kCancelled;
    } catch (const BookFailure& failure) {
        if (error) *error = failure.message;
        return BookWriting::kFailed;
    }
}

// A line cell of a definition: an empty address prints nothing for that item; an address
// that names no cell ("A0", hand-edited or migrated) stops the output at its first line,
// as a bad fixed cell does, rather than leaving a column out of every page.
struct LineCell {
    CellPosition at;
    std::string address;  // as stored, trimmed
    bool Defined() const { return at.IsValid(); }
    bool Bad() const { return !address.empty() && !at.IsValid(); }
};

inline LineCell LineCellOf(const TableDefinitions& definitions, std::string_view field) {
    return {definitions.Cell(field), definitions.Text(field)};
}

// The company block: a definition field (after its page prefix) for each company field of
// the environment.
inline constexpr std::pair<const char*, CompanyField> kCompanyCells[] = {
    {"HJName1", CompanyField::Name1},
    {"HJName2", CompanyField::Name2},
    {"HJUbin", CompanyField::PostalCode},
    {"HJJyu1", CompanyField::Address1},
    {"HJJyu2", CompanyField::Address2},
    {"HJTel", CompanyField::Tel},
    {"HJFax", CompanyField::Fax},
    {"HJDaihyo", CompanyField::Representative},
    {"HJTanto", CompanyField::PersonInCharge},
};

class SheetWriter {
  public:
    SheetWriter(OutputBook& book, OutputProgress& progress) : book_(book), progress_(progress) {}

    // A long estimate takes many copies before its first line, so each one looks at the
    // cancel flag first.
    void Copy(int sheet, int after) {
        if (progress_.Cancelled()) throw PagesCancelled{};
        Check(book_.CopySheetAfter(sheet, after, &error_));
    }
    void Hide(int sheet) { Check(book_.SetSheetVisible(sheet, false, &error_)); }
    void Activate(int sheet) { Check(book_.ActivateSheet(sheet, &error_)); }

    // A fixed cell: the definition's address as stored; nothing when the field is empty.
    void Fixed(const TableDefinitions& definitions, std::string_view field,
               std::string_view value) {
        const std::string address = definitions.Text(field);
        if (!address.empty()) Check(book_.WriteCell(address, value, &error_));
    }
    // A line cell: `line` (1-based) lines below the defined row.
    void Line(const LineCell& cell, int line, std::string_view value) {
        if (cell.Bad()) throw BookFailure{BadCellAddressMessage(cell.address)};
        if (cell.Defined())
            Check(book_.WriteCell(cell.at.row + line - 1, cell.at.column, value, &error_));
    }

    // A cell by row and column, for sheets whose cells the program places itself.
    void At(int row, int column, std::string_view value) {
        Check(book_.WriteCell(row, column, value, &error_));
    }

    // The company block of the environment, each field named prefix + its name.
    void Company(const TableDefinitions& definitions, std::string_view prefix,
                 const Environment& environment) {
        for (const auto& [field, company] : kCompanyCells)
            Fixed(definitions, std::string(prefix) + field, environment.Company(0, company));
    }

    // Leaves the first visible sheet active, so the workbook opens on a page that prints.
    void ActivateFirstVisible() {
        for (int sheet = 1; sheet <= book_.SheetCount(); ++sheet) {
            if (book_.IsSheetVisible(sheet)) return Activate(sheet);
        }
    }

  private:
    void Check(bool ok) {
        if (!ok) throw BookFailure{error_};
    }

    OutputBook& book_;
    OutputProgress& progress_;
    QString error_;
};

}  // namespace quilto::output_detail
