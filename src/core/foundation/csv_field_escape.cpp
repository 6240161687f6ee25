#include "core/foundation/csv_field_escape.h"

#include "core/foundation/text_bytes.h"

namespace quilto {

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
