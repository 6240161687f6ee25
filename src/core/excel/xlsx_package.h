#pragma once

// The zip package of an .xlsx workbook, held whole in memory: part names in their stored
// order and each part's bytes. Reading is bounds-checked (entry count, entry and total
// sizes, entry names); nothing is ever extracted to disk.
//
// XML parts are held to a tighter limit than other parts: the workbook layer parses them,
// and a parsed sheet takes several times its size, once more for each page made from it. A
// template of a few kilobytes can expand to megabytes of blank cells; such a template is
// refused with the part and its size rather than taking all the memory.

#include <QString>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/excel/zip_writer.h"

namespace quilto {

struct XlsxPackage {
    std::vector<std::string> order;            // part names as stored (no leading "/")
    std::map<std::string, std::string> parts;  // part name -> bytes

    bool Has(const std::string& name) const { return parts.count(name) != 0; }
    // Adds a part (at the end of the order) or replaces an existing one's bytes.
    void Put(const std::string& name, std::string bytes);
    void Remove(const std::string& name);
};

// Limits of the reader: larger packages are refused rather than read.
constexpr std::size_t kMaxPackageEntries = 10000;
constexpr std::size_t kMaxPartBytes = 256u << 20;
constexpr std::size_t kMaxPackageBytes = 512u << 20;
// XML parts (".xml", ".rels", ".vml"): each, and all of them together, expanded.
constexpr std::size_t kMaxXmlPartBytes = 16u << 20;
constexpr std::size_t kMaxXmlPackageBytes = 32u << 20;

// false and *error when the bytes are no zip, an entry is encrypted, damaged, too large,
// or has an unsafe or duplicate name ("..", absolute, backslash, drive letter). With
// `stored`, each part that is deflated or stored is also kept as the zip stores it, so that
// a part nothing changes can be written again without deflating it again.
bool ReadXlsxPackage(std::string_view zipBytes, XlsxPackage* package, QString* error,
                     std::map<std::string, ZipStoredEntry>* stored = nullptr);
// Parts whose names end so are stored, not deflated: they are compressed already.
bool IsCompressedAlready(std::string_view partName);
// The package as zip bytes, "[Content_Types].xml" first.
bool WriteXlsxPackage(const XlsxPackage& package, std::string* zipBytes, QString* error);

// Package paths. The folder of a part ("xl/" for "xl/workbook.xml"), the relationships
// part that belongs to a part ("xl/_rels/workbook.xml.rels"; "_rels/.rels" for the
// package itself, given ""), and a relationship target resolved against its source part
// ("../media/a.png" from "xl/drawings/drawing1.xml" is "xl/media/a.png"). An empty text
// when the target leaves the package.
std::string PartFolder(std::string_view part);
std::string RelationshipsPartFor(std::string_view part);
std::string ResolveRelationshipTarget(std::string_view sourcePart, std::string_view target);
// The target to store in sourcePart's relationships for the part target (relative when it
// lies below sourcePart's folder, otherwise absolute).
std::string RelativeTarget(std::string_view sourcePart, std::string_view targetPart);

}  // namespace quilto
