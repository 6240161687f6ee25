#include "core/foundation/csv_split.h"

#include "core/foundation/text_bytes.h"

namespace quilto {

int SplitCsv(std::string_view line, std::vector<std::string>& fields, int last) {
    if (line.empty() || last < 0) return 0;
    if (fields.size() < static_cast<std::size_t>(last) + 1) fields.resize(last + 1);

    // No quoting: every comma ends a piece. The walk steps over double-byte characters
    // whole, so a lead byte always keeps the byte after it.
    int index = 0;
    std::size_t start = 0;
    std::size_t i = 0;
    while (i <= line.size() && index <= last) {
        if (i == line.size() || line[i] == ',') {
            fields[index++] = UnescapeField(Trimmed(line.substr(start, i - start)));
            start = i + 1;
            ++i;
        } else if (IsLeadByte(static_cast<unsigned char>(line[i])) && i + 1 < line.size()) {
            i += 2;
        } else {
            ++i;
        }
    }
    return 0;
}

std::string UnescapeField(std::string_view text) {
    // The export side writes a line break as TAB "#" and a quote-comma pair as TAB "!"
    // so that a record stays on one line and a comma never splits a field.
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\t' && i + 1 < text.size() && text[i + 1] == '#') {
            out += "\r\n";
            i += 2;
        } else if (c == '\t' && i + 1 < text.size() && text[i + 1] == '!') {
            out += "\",";
            i += 2;
        } else if (IsLeadByte(c) && i + 1 < text.size()) {
            out.append(text.substr(i, 2));
            i += 2;
        } else {
            out.push_back(text[i]);
            ++i;
        }
    }
    return out;
}

}  // namespace quilto
