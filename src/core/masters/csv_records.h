#pragma once

// The records of an import file. A record is one line, or more when a field in double
// quotes holds line breaks, as spreadsheet programs write a cell with several lines. A
// field that starts (after blanks) with a double quote runs to its closing quote, doubled
// quotes inside it standing for one, and keeps anything between that quote and the next
// comma; any other field ends at the next comma or line end. The bytes are only ever
// compared with ",", '"', CR and LF, which are never part of a multi-byte character in
// CP932 or UTF-8, so the reader works on either.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quilto {

struct CsvRecord {
    int line = 0;  // the line (from 1) the record starts on
    // The first fields of the record as the file holds them, quotes removed, not trimmed; a
    // line break inside a quoted field is one "\n". Missing fields are empty.
    std::vector<std::string> fields;
    std::vector<bool> quoted;
    // A field after the kept ones holds more than blanks.
    bool moreText = false;
    // A quoted field is never closed: the record runs from line to lastLine and is no
    // record at all; reading goes on after lastLine.
    bool unclosedQuote = false;
    int lastLine = 0;
};

class CsvRecordReader {
  public:
    // keptFields: how many fields of each record are kept.
    CsvRecordReader(std::string_view text, int keptFields);
    // The next record; false at the end of the text.
    bool Next(CsvRecord& record);

  private:
    // Reads the field that starts at at_ into field; false when a quote is not closed.
    bool ReadField(std::string& field, bool& quoted);
    // Steps over the line end at at_ (CR LF, LF or CR).
    void SkipLineEnd();

    std::string_view text_;
    std::size_t keptFields_;
    std::size_t at_ = 0;
    int line_ = 1;
    // Where the line of the last opening quote ends, and its number.
    std::size_t openQuoteLineEnd_ = 0;
    int openQuoteLine_ = 0;
};

}  // namespace quilto
