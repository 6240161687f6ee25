#include "core/excel/worksheet_xml.h"

namespace quilto::worksheet {

bool ParseXml(const std::string& bytes, pugi::xml_document* doc) {
    return doc->load_buffer(bytes.data(), bytes.size(), kParseOptions, pugi::encoding_utf8) &&
           doc->document_element();
}

std::string SerializeXml(const pugi::xml_document& doc) {
    StringXmlWriter writer;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return std::move(writer.out);
}

bool WriteXmlEntry(ZipWriter& zip, const std::string& name, const pugi::xml_document& doc) {
    ZipXmlWriter writer(zip);
    if (!zip.Begin(name)) return false;
    doc.save(writer, "", pugi::format_raw, pugi::encoding_utf8);
    return writer.ok && zip.End();
}

Names::Names(pugi::xml_node root) {
    const std::string_view name = root.name();
    const std::size_t colon = name.find(':');
    if (colon != std::string_view::npos) prefix = std::string(name.substr(0, colon + 1));
}

bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }

bool IsTrue(pugi::xml_attribute attribute) {
    const std::string_view value = attribute.value();
    return value == "1" || value == "true";
}

bool ParseSheetReference(std::string_view address, int* row, int* column) {
    std::size_t i = 0;
    long long col = 0;
    while (i < address.size() && i < 3 && IsAsciiLetter(address[i])) {
        col = col * 26 + ((address[i] & ~0x20) - 'A' + 1);
        ++i;
    }
    if (i == 0 || i == address.size() || address[i] == '0') return false;
    long long r = 0;
    for (; i < address.size(); ++i) {
        if (!IsAsciiDigit(address[i]) || r > kMaxRow) return false;
        r = r * 10 + (address[i] - '0');
    }
    if (col > kMaxColumn || r < 1 || r > kMaxRow) return false;
    *row = static_cast<int>(r);
    *column = static_cast<int>(col);
    return true;
}

int ColumnOf(std::string_view reference) {
    int row = 0;
    int column = 0;
    return ParseSheetReference(reference, &row, &column) ? column : 0;
}

std::string Address(int row, int column) {
    std::string letters;
    for (int c = column; c > 0; c = (c - 1) / 26)
        letters.insert(letters.begin(), static_cast<char>('A' + (c - 1) % 26));
    return letters + std::to_string(row);
}

pugi::xml_node InsertChildAfterAny(pugi::xml_node parent, const std::string& name,
                                   std::initializer_list<const char*> before, const Names& names) {
    pugi::xml_node anchor;
    for (pugi::xml_node child : parent.children())
        for (const char* local : before)
            if (names(local) == child.name()) anchor = child;
    return anchor ? parent.insert_child_after(name.c_str(), anchor)
                  : parent.prepend_child(name.c_str());
}

}  // namespace quilto::worksheet
