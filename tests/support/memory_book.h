#pragma once

// A workbook in memory behind the output engine's calls, for the engine's tests: sheets
// named after the template page they were copied from, their visibility, and the texts
// written into them (kept as UTF-8 so comparisons read plainly).

#include <QString>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/excel/cell_address.h"
#include "core/output/output_book.h"
#include "support/sjis.h"

namespace quilto::test {

class MemoryBook : public OutputBook {
  public:
    struct Sheet {
        std::string name;
        bool visible = true;
        std::map<std::pair<int, int>, std::string> cells;  // (row, column) -> UTF-8
    };

    explicit MemoryBook(std::vector<std::string> names) {
        for (auto& name : names) sheets_.push_back({std::move(name), true, {}});
    }

    int SheetCount() const override { return static_cast<int>(sheets_.size()); }
    bool CopySheetAfter(int sheet, int after, QString* error) override {
        if (!Valid(sheet, error) || !Valid(after, error)) return false;
        Sheet copy = sheets_[sheet - 1];
        sheets_.insert(sheets_.begin() + after, std::move(copy));
        return true;
    }
    bool SetSheetVisible(int sheet, bool visible, QString* error) override {
        if (!Valid(sheet, error)) return false;
        sheets_[sheet - 1].visible = visible;
        return true;
    }
    bool IsSheetVisible(int sheet) const override {
        return sheet >= 1 && sheet <= SheetCount() && sheets_[sheet - 1].visible;
    }
    bool ActivateSheet(int sheet, QString* error) override {
        if (!Valid(sheet, error)) return false;
        active_ = sheet;
        return true;
    }
    bool WriteCell(std::string_view address, std::string_view text, QString* error) override {
        const CellPosition at = ParseDefinitionAddress(address);
        if (!at.IsValid()) {
            *error = "bad address " + QString::fromLatin1(address.data(), address.size());
            return false;
        }
        return WriteCell(at.row, at.column, text, error);
    }
    bool WriteCell(int row, int column, std::string_view text, QString* error) override {
        if (row < 1 || column < 1) {
            *error = "bad cell";
            return false;
        }
        sheets_[active_ - 1].cells[{row, column}] = Utf8(text);
        ++writes_;
        return true;
    }

    const Sheet& At(int sheet) const { return sheets_.at(sheet - 1); }
    // The text written to a cell of a sheet; "<none>" when nothing was written there.
    std::string Cell(int sheet, std::string_view address) const {
        const CellPosition at = ParseDefinitionAddress(address);
        const auto& cells = At(sheet).cells;
        const auto found = cells.find({at.row, at.column});
        return found == cells.end() ? "<none>" : found->second;
    }
    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        for (const Sheet& sheet : sheets_) names.push_back(sheet.name);
        return names;
    }
    std::vector<bool> Visible() const {
        std::vector<bool> visible;
        for (const Sheet& sheet : sheets_) visible.push_back(sheet.visible);
        return visible;
    }
    int Active() const { return active_; }
    int Writes() const { return writes_; }

  private:
    bool Valid(int sheet, QString* error) const {
        if (sheet >= 1 && sheet <= SheetCount()) return true;
        *error = QString("no sheet %1").arg(sheet);
        return false;
    }

    std::vector<Sheet> sheets_;
    int active_ = 1;
    int writes_ = 0;
};

}  // namespace quilto::test
