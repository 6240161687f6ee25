#include "core/excel/xlsx_package.h"

#include <algorithm>
#include <set>

#include "core/excel/zip_reader.h"

namespace quilto {
namespace {

bool IsSafeEntryName(std::string_view name) {
    if (name.empty() || name.front() == '/' || name.find('\\') != std::string_view::npos ||
        name.find('\0') != std::string_view::npos)
        return false;
    if (name.size() >= 2 && name[1] == ':') return false;  // a drive letter
    std::size_t start = 0;
    while (start <= name.size()) {
        const std::size_t end = std::min(name.find('/', start), name.size());
        const std::string_view segment = name.substr(start, end - start);
        if (segment == ".." || segment == ".") return false;
        start = end + 1;
    }
    return true;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

bool EndsWithAny(std::string_view name, std::initializer_list<const char*> extensions) {
    const std::string lower = Lower(name);
    for (const char* ext : extensions)
        if (lower.size() > std::char_traits<char>::length(ext) && lower.ends_with(ext)) return true;
    return false;
}

bool IsXmlPart(std::string_view name) { return EndsWithAny(name, {".xml", ".rels", ".vml"}); }

QString Megabytes(std::uint64_t bytes) {
    return QString::number(static_cast<double>(bytes) / (1 << 20), 'f', 1);
}

}  // namespace

bool IsCompressedAlready(std::string_view partName) {
    return EndsWithAny(partName, {".png", ".jpg", ".jpeg", ".gif", ".zip"});
}

void XlsxPackage::Put(const std::string& name, std::string bytes) {
    auto [it, inserted] = parts.insert_or_assign(name, std::move(bytes));
    (void)it;
    if (inserted) order.push_back(name);
}

void XlsxPackage::Remove(const std::string& name) {
    if (parts.erase(name) == 0) return;
    order.erase(std::remove(order.begin(), order.end(), name), order.end());
}

bool ReadXlsxPackage(std::string_view zipBytes, XlsxPackage* package, QString* error,
                     std::map<std::string, ZipStoredEntry>* stored) {
    *package = XlsxPackage{};
    if (stored) stored->clear();
    std::vector<ZipEntry> entries;
    QString reason;
    if (!ReadZipDirectory(zipBytes, kMaxPackageEntries, &entries, &reason)) {
        *error = QStringLiteral("ブック (.xlsx) を読めません（%1）。").arg(reason);
        return false;
    }
    std::set<std::string> seenLower;
    std::size_t total = 0;
    std::size_t xmlTotal = 0;
    for (const ZipEntry& entry : entries) {
        const std::string& name = entry.name;
        if (!name.empty() && name.back() == '/') continue;  // a folder entry
        const QString shownName = QString::fromUtf8(name.c_str());
        if (!IsSafeEntryName(name)) {
            *error = QStringLiteral("ブックに危険な名前の部品があります: %1").arg(shownName);
            return false;
        }
        if (!seenLower.insert(Lower(name)).second) {
            *error = QStringLiteral("ブックに部品 %1 が二つあります。").arg(shownName);
            return false;
        }
        if (entry.size > kMaxPartBytes || total + entry.size > kMaxPackageBytes) {
            *error = QStringLiteral("ブックの部品 %1 が大きすぎます（展開すると %2 MB）。")
                         .arg(shownName, Megabytes(entry.size));
            return false;
        }
        if (IsXmlPart(name) && entry.size > kMaxXmlPartBytes) {
            *error = QStringLiteral(
                         "ブックの部品 %1 は展開すると %2 MB あり、XML の部品一つの上限 %3 MB "
                         "を超えています。シートの使っていない行や列（空白のセル）を削った"
                         "テンプレートにしてください。")
                         .arg(shownName, Megabytes(entry.size), Megabytes(kMaxXmlPartBytes));
            return false;
        }
        if (IsXmlPart(name) && xmlTotal + entry.size > kMaxXmlPackageBytes) {
            *error = QStringLiteral(
                         "ブックの XML の部品は、部品 %1（展開すると %2 MB）までで合わせて上限の "
                         "%3 MB を超えます。シートの使っていない行や列（空白のセル）を削った"
                         "テンプレートにしてください。")
                         .arg(shownName, Megabytes(entry.size), Megabytes(kMaxXmlPackageBytes));
            return false;
        }
        total += entry.size;
        if (IsXmlPart(name)) xmlTotal += entry.size;
        std::string bytes;
        if (!ExpandZipEntry(entry, &bytes)) {
            *error = QStringLiteral("ブックの部品 %1 が壊れているか読めません。").arg(shownName);
            return false;
        }
        // The entry was expanded whole and its CRC checked, so the stored form is sound.
        if (stored)
            stored->emplace(name, ZipStoredEntry{entry.method, entry.crc, entry.size,
                                                 std::string(entry.stored)});
        package->order.push_back(name);
        package->parts.emplace(name, std::move(bytes));
    }
    return true;
}

bool WriteXlsxPackage(const XlsxPackage& package, std::string* zipBytes, QString* error) {
    zipBytes->clear();
    ZipWriter zip(zipBytes);
    const std::string contentTypes = "[Content_Types].xml";
    bool ok = !package.Has(contentTypes) || zip.Add(contentTypes, package.parts.at(contentTypes));
    for (const std::string& name : package.order)
        if (ok && name != contentTypes)
            ok = zip.Add(name, package.parts.at(name), IsCompressedAlready(name));
    if (!ok || !zip.Finish()) {
        zipBytes->clear();
        *error =
            QStringLiteral("ブックを書き出せませんでした（大きすぎるか、メモリが足りません）。");
        return false;
    }
    return true;
}

std::string PartFolder(std::string_view part) {
    const std::size_t slash = part.rfind('/');
    return slash == std::string_view::npos ? std::string() : std::string(part.substr(0, slash + 1));
}

std::string RelationshipsPartFor(std::string_view part) {
    if (part.empty()) return "_rels/.rels";
    const std::size_t slash = part.rfind('/');
    const std::string_view folder =
        slash == std::string_view::npos ? std::string_view() : part.substr(0, slash + 1);
    const std::string_view file = slash == std::string_view::npos ? part : part.substr(slash + 1);
    return std::string(folder) + "_rels/" + std::string(file) + ".rels";
}

std::string ResolveRelationshipTarget(std::string_view sourcePart, std::string_view target) {
    std::string path;
    if (!target.empty() && target.front() == '/')
        path = std::string(target.substr(1));
    else
        path = PartFolder(sourcePart) + std::string(target);
    std::vector<std::string> segments;
    std::size_t start = 0;
    while (start <= path.size()) {
        const std::size_t end = std::min(path.find('/', start), path.size());
        const std::string segment = path.substr(start, end - start);
        if (segment == "..") {
            if (segments.empty()) return {};
            segments.pop_back();
        } else if (!segment.empty() && segment != ".") {
            segments.push_back(segment);
        }
        start = end + 1;
    }
    std::string resolved;
    for (const std::string& segment : segments) {
        if (!resolved.empty()) resolved += '/';
        resolved += segment;
    }
    return resolved;
}

std::string RelativeTarget(std::string_view sourcePart, std::string_view targetPart) {
    const std::string folder = PartFolder(sourcePart);
    if (!folder.empty() && targetPart.starts_with(folder))
        return std::string(targetPart.substr(folder.size()));
    return std::string(1, '/').append(targetPart);
}

}  // namespace quilto
