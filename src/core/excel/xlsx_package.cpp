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

bool CompressedAlready(std::string_view name) {
    const std::string lower = Lower(name);
    for (const char* ext : {".png", ".jpg", ".jpeg", ".gif", ".zip"})
        if (lower.size() > std::char_traits<char>::length(ext) && lower.ends_with(ext)) return true;
    return false;
}

}  // namespace

void XlsxPackage::Put(const std::string& name, std::string bytes) {
    auto [it, inserted] = parts.insert_or_assign(name, std::move(bytes));
    (void)it;
    if (inserted) order.push_back(name);
}

void XlsxPackage::Remove(const std::string& name) {
    if (parts.erase(name) == 0) return;
    order.erase(std::remove(order.begin(), order.end(), name), order.end());
}

bool ReadXlsxPackage(std::string_view zipBytes, XlsxPackage* package, QString* error) {
    *package = XlsxPackage{};
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
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        zip_stat_init(&stat);
        if (zip_stat_index(archive.get(), static_cast<zip_uint64_t>(i), 0, &stat) != 0 ||
            !(stat.valid & ZIP_STAT_NAME) || !(stat.valid & ZIP_STAT_SIZE)) {
            *error = QStringLiteral("ブックの zip 目録が壊れています。");
            return false;
        }
        const std::string name(stat.name);
        if (!name.empty() && name.back() == '/') continue;  // a folder entry
        if (!IsSafeEntryName(name)) {
            *error = QStringLiteral("ブックに危険な名前の部品があります: %1")
                         .arg(QString::fromUtf8(name.c_str()));
            return false;
        }
        if (!seenLower.insert(Lower(name)).second) {
            *error = QStringLiteral("ブックに部品 %1 が二つあります。")
                         .arg(QString::fromUtf8(name.c_str()));
            return false;
        }
        if (stat.size > kMaxPartBytes || total + stat.size > kMaxPackageBytes) {
            *error = QStringLiteral("ブックの部品 %1 が大きすぎます。")
                         .arg(QString::fromUtf8(name.c_str()));
            return false;
        }
        total += stat.size;
        std::unique_ptr<zip_file_t, ZipFileCloser> file(
            zip_fopen_index(archive.get(), static_cast<zip_uint64_t>(i), 0));
        if (!file) {
            *error = QStringLiteral("ブックの部品 %1 を読めません。")
                         .arg(QString::fromUtf8(name.c_str()));
            return false;
        }
        std::string bytes(stat.size, '\0');
        zip_uint64_t done = 0;
        while (done < stat.size) {
            const zip_int64_t got = zip_fread(file.get(), bytes.data() + done, stat.size - done);
            if (got <= 0) break;
            done += static_cast<zip_uint64_t>(got);
        }
        char extra;
        if (done != stat.size || zip_fread(file.get(), &extra, 1) != 0) {
            *error = QStringLiteral("ブックの部品 %1 が壊れています。")
                         .arg(QString::fromUtf8(name.c_str()));
            return false;
        }
        package->order.push_back(name);
        package->parts.emplace(name, std::move(bytes));
    }
    return true;
}

bool WriteXlsxPackage(const XlsxPackage& package, std::string* zipBytes, QString* error) {
    zip_error_t zipError;
    zip_error_init(&zipError);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &zipError);
    if (buffer == nullptr) {
        zip_error_fini(&zipError);
        *error = QStringLiteral("ブックの保存中にメモリが足りなくなりました。");
        return false;
    }
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &zipError);
    zip_error_fini(&zipError);
    if (archive == nullptr) {
        zip_source_free(buffer);
        *error = QStringLiteral("ブックの保存中にメモリが足りなくなりました。");
        return false;
    }
    std::vector<std::string> names;
    names.reserve(package.order.size());
    const std::string contentTypes = "[Content_Types].xml";
    if (package.Has(contentTypes)) names.push_back(contentTypes);
    for (const std::string& name : package.order)
        if (name != contentTypes) names.push_back(name);

    bool ok = true;
    for (const std::string& name : names) {
        const std::string& bytes = package.parts.at(name);
        zip_source_t* part = zip_source_buffer(archive, bytes.data(), bytes.size(), 0);
        const zip_int64_t index =
            part == nullptr ? -1 : zip_file_add(archive, name.c_str(), part, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            if (part != nullptr) zip_source_free(part);
            ok = false;
            break;
        }
        // The fastest deflate level: a filled workbook is saved once per run and opened
        // soon after, so speed counts for more than the last few kilobytes.
        if (CompressedAlready(name))
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_STORE, 0);
        else
            zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, 1);
    }
    if (!ok || zip_close(archive) != 0) {
        zip_discard(archive);  // after a failed close the archive is still ours
        zip_source_free(buffer);
        *error = QStringLiteral("ブックを書き出せませんでした。");
        return false;
    }
    zip_stat_t stat;
    zip_stat_init(&stat);
    if (zip_source_stat(buffer, &stat) != 0 || zip_source_open(buffer) != 0) {
        zip_source_free(buffer);
        *error = QStringLiteral("ブックを書き出せませんでした。");
        return false;
    }
    zipBytes->assign(stat.size, '\0');
    const zip_int64_t got = zip_source_read(buffer, zipBytes->data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    if (got < 0 || static_cast<zip_uint64_t>(got) != stat.size) {
        *error = QStringLiteral("ブックを書き出せませんでした。");
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
