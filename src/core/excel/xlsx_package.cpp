#include "core/excel/xlsx_package.h"

#include <zip.h>

#include <algorithm>
#include <memory>
#include <set>

namespace quilto {
namespace {

struct ZipCloser {
    void operator()(zip_t* archive) const { zip_discard(archive); }
};
struct ZipFileCloser {
    void operator()(zip_file_t* file) const { zip_fclose(file); }
};

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

// Reads an entry's bytes; false when it yields more or fewer than it declared.
bool ReadEntry(zip_t* archive, zip_uint64_t index, zip_flags_t flags, std::uint64_t size,
               std::string* bytes) {
    std::unique_ptr<zip_file_t, ZipFileCloser> file(zip_fopen_index(archive, index, flags));
    if (!file) return false;
    bytes->assign(size, '\0');
    zip_uint64_t done = 0;
    while (done < size) {
        const zip_int64_t got = zip_fread(file.get(), bytes->data() + done, size - done);
        if (got <= 0) break;
        done += static_cast<zip_uint64_t>(got);
    }
    char extra;
    return done == size && zip_fread(file.get(), &extra, 1) == 0;
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
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* source = zip_source_buffer_create(zipBytes.data(), zipBytes.size(), 0, &zipError);
    if (source == nullptr) {
        zip_error_fini(&zipError);
        *error = QStringLiteral("ブックを読めません。");
        return false;
    }
    std::unique_ptr<zip_t, ZipCloser> archive(
        zip_open_from_source(source, ZIP_RDONLY | ZIP_CHECKCONS, &zipError));
    if (!archive) {
        zip_source_free(source);
        *error = QStringLiteral("ブック (.xlsx) ではありません (%1)。")
                     .arg(QString::fromUtf8(zip_error_strerror(&zipError)));
        zip_error_fini(&zipError);
        return false;
    }
    zip_error_fini(&zipError);

    const zip_int64_t count = zip_get_num_entries(archive.get(), 0);
    if (count < 0 || static_cast<std::size_t>(count) > kMaxPackageEntries) {
        *error = QStringLiteral("ブックの部品が多すぎます。");
        return false;
    }
    std::set<std::string> seenLower;
    std::size_t total = 0;
    std::size_t xmlTotal = 0;
    for (zip_int64_t i = 0; i < count; ++i) {
        const zip_uint64_t index = static_cast<zip_uint64_t>(i);
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), index, 0, &stat) != 0 || !(stat.valid & ZIP_STAT_NAME) ||
            !(stat.valid & ZIP_STAT_SIZE)) {
            *error = QStringLiteral("ブックの zip 目録が壊れています。");
            return false;
        }
        const std::string name(stat.name);
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
        if (stat.size > kMaxPartBytes || total + stat.size > kMaxPackageBytes) {
            *error = QStringLiteral("ブックの部品 %1 が大きすぎます（展開すると %2 MB）。")
                         .arg(shownName, Megabytes(stat.size));
            return false;
        }
        if (IsXmlPart(name) && stat.size > kMaxXmlPartBytes) {
            *error = QStringLiteral(
                         "ブックの部品 %1 は展開すると %2 MB あり、XML の部品一つの上限 %3 MB "
                         "を超えています。シートの使っていない行や列（空白のセル）を削った"
                         "テンプレートにしてください。")
                         .arg(shownName, Megabytes(stat.size), Megabytes(kMaxXmlPartBytes));
            return false;
        }
        if (IsXmlPart(name) && xmlTotal + stat.size > kMaxXmlPackageBytes) {
            *error = QStringLiteral(
                         "ブックの XML の部品は、部品 %1（展開すると %2 MB）までで合わせて上限の "
                         "%3 MB を超えます。シートの使っていない行や列（空白のセル）を削った"
                         "テンプレートにしてください。")
                         .arg(shownName, Megabytes(stat.size), Megabytes(kMaxXmlPackageBytes));
            return false;
        }
        total += stat.size;
        if (IsXmlPart(name)) xmlTotal += stat.size;
        std::string bytes;
        if (!ReadEntry(archive.get(), index, 0, stat.size, &bytes)) {
            *error = QStringLiteral("ブックの部品 %1 が壊れているか読めません。").arg(shownName);
            return false;
        }
        if (stored && (stat.valid & ZIP_STAT_COMP_METHOD) && (stat.valid & ZIP_STAT_CRC) &&
            (stat.valid & ZIP_STAT_COMP_SIZE)) {
            // The entry was read whole above, its CRC checked, so the stored form is sound.
            ZipStoredEntry entry{
                static_cast<std::uint16_t>(stat.comp_method), stat.crc, stat.size, {}};
            if (stat.comp_method == ZIP_CM_STORE) {
                entry.data = bytes;
                stored->emplace(name, std::move(entry));
            } else if (stat.comp_method == ZIP_CM_DEFLATE &&
                       ReadEntry(archive.get(), index, ZIP_FL_COMPRESSED, stat.comp_size,
                                 &entry.data)) {
                stored->emplace(name, std::move(entry));
            }
        }
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
