#pragma once

// The workbook as the output engine drives it: the few calls it makes, in the order it
// makes them. The real one is a template opened with the workbook layer (WorkbookBook in
// output_run.h); tests put a book in memory behind the same calls.
//
// Sheets are numbered 1..n in their current order; a copy lands directly after the sheet
// named; cell writes go to the active sheet. Texts are CP932. Each call returns false with
// a reason in *error when the book refuses it.

#include <QString>
#include <string_view>

namespace quilto {

class OutputBook {
  public:
    virtual ~OutputBook() = default;

    virtual int SheetCount() const = 0;
    virtual bool CopySheetAfter(int sheet, int after, QString* error) = 0;
    virtual bool SetSheetVisible(int sheet, bool visible, QString* error) = 0;
    virtual bool IsSheetVisible(int sheet) const = 0;
    virtual bool ActivateSheet(int sheet, QString* error) = 0;
    // A cell by its address as a definition stores it ("AB4").
    virtual bool WriteCell(std::string_view address, std::string_view text, QString* error) = 0;
    // A cell by row and column, both from 1.
    virtual bool WriteCell(int row, int column, std::string_view text, QString* error) = 0;
};

// How an output's writing into the book ended.
enum class BookWriting {
    kWritten,    // every page written, or the user cancelled between lines: the book is kept
    kCancelled,  // the user cancelled while the pages were being made: nothing is written
                 // yet, and the book is not worth keeping
    kFailed,     // a call failed: the book's reason is in *error
};

}  // namespace quilto
