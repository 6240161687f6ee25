#pragma once

// A small estimate, environment and standard table definitions for the engine's tests,
// filled through readable UTF-8 helpers.

#include <string>

#include "core/editor/estimate_document.h"
#include "core/excel/table_definition.h"
#include "core/foundation/fixed4.h"
#include "core/output/output_book.h"
#include "core/output/output_choices.h"
#include "core/output/output_progress.h"
#include "core/output/output_source.h"
#include "core/store/environment.h"
#include "support/sjis.h"

namespace quilto::test {

struct OutputFixture {
    EstimateDocument document;
    Environment environment;
    TableDefinitions definitions;
    OutputChoices choices;
    std::string registrationNumber;

    OutputFixture() {
        definitions.TakeFields(StandardTableDefaults(TableFieldTexts()));
        choices.SelectAllConstructions();
        SetEnvironment("Edit1", "株式会社 山田工務店");
        SetEnvironment("Edit9", "ロゴ");
        SetEnvironment("SMes01", "消費税を含みます");
        SetEnvironment("SMes02", "消費税は含みません");
    }

    OutputSource Source() const {
        return {document, environment, choices, definitions, registrationNumber};
    }

    void SetEnvironment(const char* control, std::string_view utf8) {
        environment.Settings().SetText(control, Sjis(utf8));
        environment.BuildRecord();
    }
    void SetDiscountSign(bool on) {
        environment.Settings().SetChecked("Chk_Nebi", on);
        environment.BuildRecord();
    }
    // A definition field: a cell address, or a count as text.
    void Define(const char* field, std::string_view value) {
        TableFieldTexts fields = definitions.Fields();
        fields.Set(field, Sjis(value));
        definitions.TakeFields(fields);
    }

    void SetCell(SheetKind sheet, int row, int col, std::string_view utf8) {
        document.Grid(sheet).SetCell(row, col, Sjis(utf8));
    }
    // A breakdown row: marker, number, name, unit, quantity, amount, cost, remarks.
    void Breakdown(int row, std::string_view marker, std::string_view number, std::string_view name,
                   std::string_view amount = "", std::string_view cost = "",
                   std::string_view remarks = "") {
        SetCell(SheetKind::Breakdown, row, 1, marker);
        SetCell(SheetKind::Breakdown, row, 2, number);
        SetCell(SheetKind::Breakdown, row, 3, name);
        SetCell(SheetKind::Breakdown, row, 6, amount);
        SetCell(SheetKind::Breakdown, row, 7, cost);
        SetCell(SheetKind::Breakdown, row, 8, remarks);
    }
    // A summary row: marker, number, name, amount (column 7), cost (9), remarks (10).
    void Summary(int row, std::string_view marker, std::string_view name,
                 std::string_view amount = "", std::string_view cost = "",
                 std::string_view remarks = "") {
        SetCell(SheetKind::Summary, row, 1, marker);
        SetCell(SheetKind::Summary, row, 3, name);
        SetCell(SheetKind::Summary, row, 7, amount);
        SetCell(SheetKind::Summary, row, 9, cost);
        SetCell(SheetKind::Summary, row, 10, remarks);
    }

    struct Detail {
        std::string_view code, name, spec, unit;
        std::string_view quantity = "", unitPrice = "", amount = "", cost = "", remarks = "";
    };
    // Detail line `line` of breakdown row `row`; the breakdown line learns its count.
    void AddDetail(int row, int line, const Detail& d) {
        LineRecord& record = document.Stores().details.MutableLine(row, line);
        record.SetCode(Sjis(d.code));
        record.SetName(Sjis(d.name));
        record.SetSpec(Sjis(d.spec));
        record.SetUnit(Sjis(d.unit));
        record.SetNumberText(std::to_string(line));
        record.SetQuantity(TextToFixed4(d.quantity));
        record.SetUnitPrice(TextToFixed4(d.unitPrice));
        record.SetAmount(TextToFixed4(d.amount));
        record.SetCost(TextToFixed4(d.cost));
        record.SetRemarks(Sjis(d.remarks));
        LineRecord& owner = document.Stores().breakdown[row];
        owner.SetDetailCount(std::max(owner.DetailCount(), line));
    }
    // `count` plain product lines "品n" under breakdown row `row`.
    void AddDetails(int row, int count) {
        for (int i = 1; i <= count; ++i) {
            const std::string name = "品" + std::to_string(i);
            AddDetail(row, i, {"000001", name, "", "個", "1", "100", "100"});
        }
    }
};

// Counts pages and cancels once `cancelAfter` checks of the flag were answered (never when
// negative): one before each sheet copy, one before each line.
class RecordingProgress : public OutputProgress {
  public:
    explicit RecordingProgress(int cancelAfter = -1) : cancelAfter_(cancelAfter) {}
    void Begin(int pages, int lines) override {
        pages_ = pages;
        lines_ = lines;
    }
    void Page(int page) override { lastPage_ = page; }
    void Status(const std::string& utf8) override { status_ = utf8; }
    bool Cancelled() override { return cancelAfter_ >= 0 && checks_++ >= cancelAfter_; }

    int pages_ = -1, lines_ = -1, lastPage_ = 0;
    std::string status_;

  private:
    int cancelAfter_;
    int checks_ = 0;
};

// キャンセル pressed while the pages are made: the flag turns true once `copies` sheets
// were copied into the book.
class CancelAfterCopies : public RecordingProgress {
  public:
    CancelAfterCopies(const OutputBook& book, int copies)
        : book_(book), cancelAt_(book.SheetCount() + copies) {}
    bool Cancelled() override { return book_.SheetCount() >= cancelAt_; }

  private:
    const OutputBook& book_;
    int cancelAt_;
};

}  // namespace quilto::test
