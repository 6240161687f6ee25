#pragma once

// The estimate the editor holds: its cover fields (by the names of the controls that show
// them), the three grids as the user sees them (StringGrid1 breakdown, StringGrid2 the
// detail sheet on screen, StringGrid3 summary), the detail store with every breakdown line's
// detail sheet, and the header and line records of the file it came from. The grids and
// the cover are the working copy; the records are what the file holds and what the next
// save rebuilds from the working copy.
//
// Cover texts and grid cells are CP932 bytes. Numbers on the cover and in the grids are
// text, as typed or as last shown.

#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "core/editor/entry_mode.h"
#include "core/editor/sheet_layout.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/text_grid.h"
#include "core/store/estimate_file.h"

namespace quilto {

class EstimateDocument;

// Where the sheet calculations plug into loading and saving. Each step does nothing until
// a calculation engine is installed with SetCalculations.
class EstimateCalculations {
  public:
    virtual ~EstimateCalculations() = default;
    // A row filled from the file (or from the detail store) is brought into display form.
    virtual void FormatRowForDisplay(EstimateDocument&, SheetKind, int /*row*/) {}
    // The cover's figures changed (cleared or loaded): refresh what shows them.
    virtual void RefreshHeaderFigures(EstimateDocument&) {}
    // A detail sheet was loaded into the detail grid.
    virtual void DetailSheetLoaded(EstimateDocument&, int /*breakdownRow*/) {}
    // A detail sheet is about to be written back: it is calculated first, so the store
    // receives the figures the user sees.
    virtual void BeforeDetailSheetStored(EstimateDocument&, int /*breakdownRow*/) {}
    // A detail sheet was written back to the store: its totals go to the breakdown line.
    virtual void DetailSheetStored(EstimateDocument&, int /*breakdownRow*/) {}
    // Right before the document is written: store the detail sheet on screen and run the
    // sheet calculations, so the file holds the figures the user sees.
    virtual void BeforeSave(EstimateDocument&) {}
};

class EstimateDocument {
  public:
    EstimateDocument();
    EstimateDocument(const EstimateDocument&) = default;
    EstimateDocument& operator=(const EstimateDocument&) = default;

    // --- Cover ---
    const std::string& Text(HeaderText field) const;
    void SetText(HeaderText field, std::string text);
    const std::string& Figure(HeaderFigure figure) const;  // MGoukei01 ... MGoukei13
    void SetFigure(HeaderFigure figure, std::string text);
    const std::string& TaxRateText() const { return taxRate_; }  // ZRitu
    void SetTaxRateText(std::string text) { taxRate_ = std::move(text); }
    bool CheckBox1() const { return checkBox1_; }  // the summary supplies the totals
    void SetCheckBox1(bool on) { checkBox1_ = on; }
    bool CheckBox2() const { return checkBox2_; }  // printed amount includes tax
    void SetCheckBox2(bool on) { checkBox2_ = on; }
    // The print pattern (CBListMS) lives in the header as index x 10000; a stored value
    // outside 0-20000 reads as pattern 0.
    int PatternIndex() const;
    void SetPatternIndex(int index);

    // The cover texts by control name: the 23 header texts, MGoukei01/11/12/13 and ZRitu.
    // nullopt / false for any other name.
    std::optional<std::string> CoverText(std::string_view control) const;
    bool SetCoverText(std::string_view control, std::string text);
    // The most a user can type into a cover text control, in bytes (0 for unknown names).
    static int CoverMaxBytes(std::string_view control);

    // Customer (MName1) and title (MTitle1) must be filled before a save or an output.
    bool HasRequiredFields() const;

    // --- Grids and records ---
    TextGrid& Grid(SheetKind sheet);
    const TextGrid& Grid(SheetKind sheet) const;
    EstimateHeader& Header() { return header_; }
    const EstimateHeader& Header() const { return header_; }
    EstimateStores& Stores() { return stores_; }
    const EstimateStores& Stores() const { return stores_; }

    // The breakdown row whose detail sheet the detail grid shows (0: none loaded).
    int DetailSheetRow() const { return detailRow_; }
    // Fills the detail grid from the detail store sheet of breakdown row `row` (1-300).
    // A special breakdown line has no sheet: the grid stays empty and nothing is loaded
    // (DetailSheetRow() stays 0), which the editor shows as a grey, disabled grid.
    void LoadDetailSheet(int row);
    // Writes the detail grid back to its sheet when one is loaded: the rows with a code,
    // name, specification or unit or a non-zero amount become its records, the breakdown
    // line learns its detail count, and a nameless line with details is marked "(未)".
    void StoreDetailSheet();
    // After detail sheet `row` was calculated and written in the store directly (not through
    // the detail grid): its breakdown line learns the sheet's totals (when the sheet had
    // detail lines before or has them now), its detail count and the "(未)" mark, as
    // StoreDetailSheet does.
    void DetailSheetStoredInPlace(int row, bool hadLines);
    // Forgets the loaded sheet without storing it and empties the detail grid.
    void DropDetailSheet();
    // Writes the loaded sheet back to the store (as StoreDetailSheet) and keeps it loaded, so
    // the store holds what the grid shows while the user goes on editing it.
    void SyncDetailSheet();
    // Puts back which sheet the detail grid shows, with the grid as it was then (undo and
    // redo restore both together).
    void RestoreDetailSheetRow(int row) { detailRow_ = row; }
    // Before a save: the detail sheet on screen goes back to the store, then the
    // calculations' BeforeSave step runs.
    void PrepareForSave();

    // Empties the cover (texts, figures, check boxes) and the data cells of the three grids.
    void ClearCoverAndGrids();
    // Zeroes the header and every line record.
    void ClearRecords();

    // --- Editing session ---
    // The entry mode the editor was opened with (1 new, 2 copy, 3 open, 6 output). Setting it
    // starts a session: a new estimate gets its number at the first save of the session.
    EntryMode Entry() const { return entryMode_; }
    void BeginSession(EntryMode entryMode);
    bool NumberAssigned() const { return numberAssigned_; }
    void SetNumberAssigned(bool assigned) { numberAssigned_ = assigned; }
    // Read-only: another copy holds the estimate, or the file is not an estimate at all.
    bool ReadOnly() const { return readOnly_ || foreignFile_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    bool ForeignFile() const { return foreignFile_; }
    void SetForeignFile(bool foreign) { foreignFile_ = foreign; }

    EstimateCalculations& Calculations() { return *calculations_; }
    // Not owned; nullptr restores the steps that do nothing.
    void SetCalculations(EstimateCalculations* calculations);

  private:
    void FinishStoredSheet(int row, bool hadLines);

    std::array<std::string, kHeaderTextCount> texts_;
    std::array<std::string, kHeaderFigureCount> figures_;
    std::string taxRate_;
    bool checkBox1_ = false;
    bool checkBox2_ = false;

    TextGrid breakdown_;  // StringGrid1
    TextGrid detail_;     // StringGrid2
    TextGrid summary_;    // StringGrid3
    EstimateHeader header_;
    EstimateStores stores_;
    int detailRow_ = 0;

    EntryMode entryMode_ = EntryMode::kNone;
    bool numberAssigned_ = false;
    bool readOnly_ = false;
    bool foreignFile_ = false;
    EstimateCalculations* calculations_;
};

// Whether breakdown line `row` has detail lines in the store: a record with a code, name,
// specification or unit, or a non-zero amount.
bool HasDetailLines(const EstimateStores& stores, int row);

// A line record into grid row `row` of a sheet: texts without trailing blanks, numbers in
// shortest decimal form ("0" for zero).
void RecordToRow(const LineRecord& record, SheetKind sheet, TextGrid& grid, int row);
// Grid row `row` into a line record: texts cut to their fields, numbers cleaned (blank is 0).
// Fields the sheet does not show keep their value; a breakdown record's cost field is 0.
void RowToRecord(const TextGrid& grid, int row, SheetKind sheet, LineRecord& record);

}  // namespace quilto
