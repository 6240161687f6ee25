#include "core/masters/csv_records.h"

#include <algorithm>

#include "core/foundation/text_bytes.h"

namespace quilto {
namespace {

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }
// Blanks before an opening quote; line ends are not blanks here.
bool IsLeadingBlank(char c) {
    const auto byte = static_cast<unsigned char>(c);
    return (byte <= 0x20 || byte == 0x7F) && !IsLineEnd(c);
}

}  // namespace

CsvRecordReader::CsvRecordReader(std::string_view text, int keptFields)
    : text_(text), keptFields_(static_cast<std::size_t>(keptFields)) {}

void CsvRecordReader::SkipLineEnd() {
    if (at_ >= text_.size()) return;
    if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') ++at_;
    ++at_;
    ++line_;
}

bool CsvRecordReader::ReadField(std::string& field, bool& quoted) {
    field.clear();
    std::size_t start = at_;
    while (start < text_.size() && IsLeadingBlank(text_[start])) ++start;
    quoted = start < text_.size() && text_[start] == '"';
    if (!quoted) {
        const std::size_t end = std::min(text_.find_first_of(",\r\n", at_), text_.size());
        field.assign(text_.substr(at_, end - at_));
        at_ = end;
        return true;
    }
    openQuoteLine_ = line_;
    openQuoteLineEnd_ = std::string_view::npos;
    at_ = start + 1;
    for (;;) {
        if (at_ >= text_.size()) return false;
        const char c = text_[at_];
        if (c == '"') {
            ++at_;
            if (at_ < text_.size() && text_[at_] == '"') {
                field += '"';
                ++at_;
                continue;
            }
            break;
        }
        if (IsLineEnd(c)) {
            SkipLineEnd();
            if (openQuoteLineEnd_ == std::string_view::npos) openQuoteLineEnd_ = at_;
            field += '\n';
            continue;
        }
        field += c;
        ++at_;
    }
    // Anything between the closing quote and the next comma stays with the field.
    const std::size_t end = std::min(text_.find_first_of(",\r\n", at_), text_.size());
    field.append(text_.substr(at_, end - at_));
    at_ = end;
    return true;
}

bool CsvRecordReader::Next(CsvRecord& record) {
    if (at_ >= text_.size()) return false;
    record.line = line_;
    record.fields.assign(keptFields_, std::string());
    record.quoted.assign(keptFields_, false);
    record.moreText = false;
    record.unclosedQuote = false;
    std::string field;
    bool quoted = false;
    for (std::size_t index = 0;; ++index) {
        if (!ReadField(field, quoted)) {
            // Taken to the end of the file, the quote would swallow every line after it
            // into one field. The lines up to the quote's own are refused, and reading goes
            // on after them: a quote that closes nowhere can only be part of that broken
            // record.
            record.unclosedQuote = true;
            record.lastLine = openQuoteLine_;
            if (openQuoteLineEnd_ == std::string_view::npos) {
                at_ = text_.size();
            } else {
                at_ = openQuoteLineEnd_;
                line_ = openQuoteLine_ + 1;
            }
            return true;
        }
        if (index < keptFields_) {
            record.fields[index] = std::move(field);
            record.quoted[index] = quoted;
        } else if (HasText(field)) {
            record.moreText = true;
        }
        record.lastLine = line_;
        if (at_ >= text_.size()) return true;
        if (text_[at_] == ',') {
            ++at_;
            continue;
        }
        SkipLineEnd();
        return true;
    }
}

}  // namespace quilto
