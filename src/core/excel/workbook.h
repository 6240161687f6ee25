#pragma once

// One open workbook, the way the output engine drives a spreadsheet program: open a copy of
// a template, copy and hide sheets, activate one, write cells into it, save. The whole
// .xlsx package is read into memory when it is opened; cells written are kept in memory.
// A copied sheet refers to the parsed sheet it was copied from, and each page is put
// together only on Save, one at a time, and written out before the next: however many
// pages an output makes, memory stays near the template's expanded size plus the saved
// workbook. Every part of the package that is not touched (styles, fonts, themes, column
// widths, images, headers and footers) is written back byte for byte, as the template
// stored it. A template opened by path is parsed once and kept while the program runs,
// for as long as its bytes stay the same.
//
// Text arrives as CP932 bytes, as the engine holds it. A text that reads as a number the
// way a spreadsheet reads typed text ("   1,234,567", "-12.5", "+3") is stored as a number,
// so the template's number formats apply; a leading apostrophe makes it text ("'007"), and
// nothing is ever stored as a formula ("=1+1" is text).

#include <QString>
#include <memory>
#include <string_view>

namespace quilto {

// 「セル番地 E0 が正しくありません。」: a cell address (CP932) that names no cell.
QString BadCellAddressMessage(std::string_view address);

class Workbook {
  public:
    ~Workbook();
    Workbook(const Workbook&) = delete;
    Workbook& operator=(const Workbook&) = delete;

    // Reads the package at xlsxPath. nullptr and *error set when it cannot be read, is not
    // a workbook, or breaks the reader's limits (entry names with "..", absolute names,
    // oversized entries, malformed XML, missing parts).
    static std::unique_ptr<Workbook> Open(const QString& xlsxPath, QString* error);
    // The same from the package's bytes (for tests and the fuzzer).
    static std::unique_ptr<Workbook> OpenBytes(std::string_view bytes, QString* error);

    // Sheets are numbered 1..SheetCount() in tab order.
    int SheetCount() const;
    QString SheetName(int sheet) const;

    // Copies sheet to the position directly after sheet `after` (which may be the copy's
    // own source). The copy takes the source's cells, styles, column widths, print
    // settings, page breaks, merged cells, drawings and images, and its sheet-local defined
    // names (print area, print titles); it keeps the source's visibility. Its name is the
    // source's name with " (2)", " (3)"... As in a spreadsheet program, the copy becomes the
    // active sheet. A sheet holding tables cannot be copied.
    bool CopySheetAfter(int sheet, int after, QString* error);

    // A workbook always keeps at least one visible sheet: hiding the last is refused.
    bool SetSheetVisible(int sheet, bool visible, QString* error);
    bool IsSheetVisible(int sheet) const;

    // For a copy that is to be printed: removes the print areas and print titles of the
    // hidden sheets. LibreOffice prints a hidden sheet that has a print area (a spreadsheet
    // program prints no hidden sheet), so the PDF conversion works on such a copy.
    void DropPrintRangesOfHiddenSheets();

    // Later writes go to the active sheet.
    bool ActivateSheet(int sheet, QString* error);
    int ActiveSheet() const;

    // Writes to the active sheet: by address ("AB4") or by 1-based row and column. An empty
    // text clears the cell's value and keeps its style.
    bool WriteCell(std::string_view address, std::string_view cp932Text, QString* error);
    bool WriteCell(int row, int column, std::string_view cp932Text, QString* error);

    // The workbook's title (UTF-8) in its document properties, where a spreadsheet program
    // shows it and from which a PDF made of the workbook takes its own title. A template
    // without document properties gets them.
    void SetTitle(const QString& title);

    // Saves the package to xlsxPath atomically. The saved workbook opens on a visible
    // sheet: the active one when it is visible, otherwise the first visible sheet.
    bool Save(const QString& xlsxPath, QString* error);
    // The saved package as bytes.
    bool SaveBytes(std::string* bytes, QString* error);

  private:
    struct Impl;
    explicit Workbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> impl_;
};

}  // namespace quilto
