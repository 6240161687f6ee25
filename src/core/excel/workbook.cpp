#include "core/excel/workbook.h"

#include <pugixml.hpp>

#include <algorithm>
#include <list>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "core/excel/sheet_page_writer.h"
#include "core/excel/typed_cell_value.h"
#include "core/excel/worksheet_xml.h"
#include "core/excel/xlsx_package.h"
#include "core/excel/zip_writer.h"
#include "core/foundation/atomic_file.h"
#include "core/foundation/cp932.h"
#include "core/foundation/file_helpers.h"

namespace quilto {
namespace {

using namespace worksheet;

const char kContentTypesPart[] = "[Content_Types].xml";

QString Utf8(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

bool EndsWith(const char* text, std::string_view suffix) {
    return std::string_view(text).ends_with(suffix);
}

std::string QuotedSheetName(std::string_view name) {
    std::string quoted = "'";
    for (char c : name) {
        quoted += c;
        if (c == '\'') quoted += '\'';
    }
    return quoted + "'";
}

// References to sheet `from` in a defined name's formula, turned into references to `to`.
std::string RenameSheetInFormula(std::string_view formula, std::string_view from,
                                 std::string_view to) {
    std::string out;
    std::size_t i = 0;
    const auto isNameChar = [](char c) {
        return IsAsciiLetter(c) || IsAsciiDigit(c) || c == '_' || c == '.' ||
               (static_cast<unsigned char>(c) & 0x80);
    };
    while (i < formula.size()) {
        const char c = formula[i];
        if (c == '"') {  // a string literal stays as it is
            std::size_t end = i + 1;
            while (end < formula.size() && formula[end] != '"') ++end;
            end = std::min(end + 1, formula.size());
            out.append(formula.substr(i, end - i));
            i = end;
        } else if (c == '\'') {
            std::string name;
            std::size_t j = i + 1;
            while (j < formula.size()) {
                if (formula[j] == '\'') {
                    if (j + 1 < formula.size() && formula[j + 1] == '\'') {
                        name += '\'';
                        j += 2;
                        continue;
                    }
                    break;
                }
                name += formula[j++];
            }
            const std::size_t end = std::min(j + 1, formula.size());
            if (end < formula.size() && formula[end] == '!' && name == from)
                out += QuotedSheetName(to);
            else
                out.append(formula.substr(i, end - i));
            i = end;
        } else if (isNameChar(c)) {
            std::size_t j = i;
            while (j < formula.size() && isNameChar(formula[j])) ++j;
            const std::string_view name = formula.substr(i, j - i);
            if (j < formula.size() && formula[j] == '!' && name == from)
                out += QuotedSheetName(to);
            else
                out.append(name);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

// The text a cell shows, as UTF-8 fit for XML: bytes with no CP932 meaning become U+FFFD,
// control characters that XML cannot hold are dropped.
std::string CellTextUtf8(std::string_view cp932) {
    std::optional<std::string> utf8 = Cp932ToUtf8(cp932);
    std::string text = utf8 ? std::move(*utf8) : Cp932ToQStringLossy(cp932).toStdString();
    std::erase_if(text, [](char c) {
        return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n' && c != '\r';
    });
    return text;
}

// A package as read and parsed: never changed once made, so every workbook opened from the
// same template shares it, and each sheet page refers to its parsed sheet instead of
// holding a copy.
struct ParsedPackage {
    XlsxPackage package;
    std::map<std::string, ZipStoredEntry> stored;  // parts as the zip stored them
    std::string workbookPart;
    std::string workbookRelsPart;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    pugi::xml_document contentTypes;
    std::vector<std::string> sheetParts;  // in the order of the workbook's <sheet> elements
    std::map<std::string, std::shared_ptr<const pugi::xml_document>> sheets;  // by part

    bool Load(std::string_view bytes, QString* error);
};

bool ParsedPackage::Load(std::string_view bytes, QString* error) {
    if (!ReadXlsxPackage(bytes, &package, error, &stored)) return false;
    const auto missing = [&](std::string_view part) {
        *error = QStringLiteral("ブックが壊れています: %1 がないか読めません。").arg(Utf8(part));
        return false;
    };
    // A relationship whose target climbs out of the package names no part; the message
    // names the relationship and where it points instead.
    const auto outside = [&](std::string_view relsPart, pugi::xml_node rel) {
        *error = QStringLiteral("ブックが壊れています: %1 の関係 %2 の指す %3 はブックの外です。")
                     .arg(Utf8(relsPart), Utf8(rel.attribute("Id").value()),
                          Utf8(rel.attribute("Target").value()));
        return false;
    };
    if (!package.Has(kContentTypesPart) ||
        !ParseXml(package.parts[kContentTypesPart], &contentTypes))
        return missing(kContentTypesPart);
    pugi::xml_document rootRels;
    if (!package.Has("_rels/.rels") || !ParseXml(package.parts["_rels/.rels"], &rootRels))
        return missing("_rels/.rels");
    for (pugi::xml_node rel : rootRels.document_element().children()) {
        if (!EndsWith(rel.attribute("Type").value(), "/officeDocument")) continue;
        workbookPart = ResolveRelationshipTarget("", rel.attribute("Target").value());
        if (workbookPart.empty()) return outside("_rels/.rels", rel);
    }
    if (workbookPart.empty() || !package.Has(workbookPart) ||
        !ParseXml(package.parts[workbookPart], &workbook))
        return missing(workbookPart.empty() ? std::string("xl/workbook.xml") : workbookPart);
    workbookRelsPart = RelationshipsPartFor(workbookPart);
    if (!package.Has(workbookRelsPart) || !ParseXml(package.parts[workbookRelsPart], &workbookRels))
        return missing(workbookRelsPart);

    std::map<std::string, std::pair<std::string, std::string>> relations;  // id -> type, part
    for (pugi::xml_node rel : workbookRels.document_element().children()) {
        const std::string part =
            ResolveRelationshipTarget(workbookPart, rel.attribute("Target").value());
        if (part.empty() && std::string_view(rel.attribute("TargetMode").value()) != "External")
            return outside(workbookRelsPart, rel);
        relations[rel.attribute("Id").value()] = {rel.attribute("Type").value(), part};
    }

    const Names names(workbook.document_element());
    pugi::xml_node sheetList = workbook.document_element().child(names("sheets").c_str());
    const std::string sheetName = names("sheet");
    for (pugi::xml_node node : sheetList.children(sheetName.c_str())) {
        std::string id;
        int ids = 0;
        for (pugi::xml_attribute attribute : node.attributes()) {
            if (!std::string_view(attribute.name()).ends_with(":id")) continue;
            id = attribute.value();
            ++ids;
        }
        // The XML reader lets an attribute appear twice. A copy of such a sheet would point
        // its first id at the new part and keep the second, which the next open reads: two
        // sheets of one part, a workbook that no longer opens once saved.
        if (ids > 1) {
            *error = QStringLiteral("ブックが壊れています: シート %1 の部品の指定が二つあります。")
                         .arg(Utf8(node.attribute("name").value()));
            return false;
        }
        const auto relation = relations.find(id);
        if (relation == relations.end() ||
            !EndsWith(relation->second.first.c_str(), "/worksheet")) {
            *error = QStringLiteral("ブックのシート %1 はワークシートではないため出力できません。")
                         .arg(Utf8(node.attribute("name").value()));
            return false;
        }
        const std::string& part = relation->second.second;
        if (sheets.count(part) != 0) {
            *error = QStringLiteral("ブックが壊れています: 二つのシートが同じ部品を指しています。");
            return false;
        }
        auto doc = std::make_shared<pugi::xml_document>();
        if (!package.Has(part) || !ParseXml(package.parts[part], doc.get())) return missing(part);
        sheets.emplace(part, std::move(doc));
        sheetParts.push_back(part);
    }
    if (sheetParts.empty()) {
        *error = QStringLiteral("ブックにシートがありません。");
        return false;
    }
    return true;
}

// Parsed templates kept while the program runs: an output reads its template's bytes again
// (it may have been replaced since) but parses it only when they changed. Only templates of
// the usual size are kept, so a huge one does not stay in memory after its output.
class ParsedTemplates {
  public:
    static ParsedTemplates& Instance() {
        static ParsedTemplates templates;
        return templates;
    }
    std::shared_ptr<const ParsedPackage> Find(const QString& path, const std::string& bytes) {
        const std::lock_guard lock(mutex_);
        for (auto it = entries_.begin(); it != entries_.end(); ++it)
            if (it->path == path && it->bytes == bytes) {
                entries_.splice(entries_.begin(), entries_, it);  // most recent first
                return it->parsed;
            }
        return nullptr;
    }
    void Keep(const QString& path, std::string bytes, std::shared_ptr<const ParsedPackage> parsed) {
        std::size_t expanded = 0;
        for (const auto& [name, part] : parsed->package.parts) expanded += part.size();
        if (expanded > kMaxKeptBytes) return;
        const std::lock_guard lock(mutex_);
        entries_.remove_if([&](const Entry& entry) { return entry.path == path; });
        entries_.push_front({path, std::move(bytes), std::move(parsed)});
        if (entries_.size() > kMaxKept) entries_.pop_back();
    }

  private:
    static constexpr std::size_t kMaxKept = 4;  // a pattern's 見積書, 原価表, 書式F..A, ..B
    static constexpr std::size_t kMaxKeptBytes = 8u << 20;
    struct Entry {
        QString path;
        std::string bytes;
        std::shared_ptr<const ParsedPackage> parsed;
    };
    std::mutex mutex_;
    std::list<Entry> entries_;
};

// A part of the workbook being made: the template's bytes (and their stored form) while
// nothing changed it, else bytes of its own.
struct PartBytes {
    std::string own;
    const std::string* shared = nullptr;
    const ZipStoredEntry* stored = nullptr;
    const std::string& Bytes() const { return shared ? *shared : own; }
};

// A sheet as it will be saved: the parsed template sheet it was made from, and the cells
// written into it. Pages share their template sheet, so a hundred pages of a large sheet
// cost one parsed sheet, and each page is put together only while it is being saved.
struct SheetPage {
    std::shared_ptr<const pugi::xml_document> base;
    CellWrites writes;
    bool copy = false;  // a copy is always saved from `base`; an original keeps its bytes
};

// What copying a sheet looks up, kept up as copies are added so that making hundreds of
// pages stays linear: the sheet names taken (compared without regard to case), the next
// number to try for copies of a name, the workbook's relationships (id -> type) and the
// highest sheet id. Made at the first copy, and again after anything else changed them.
struct CopyLookups {
    std::set<QString> takenNames;
    std::map<QString, int> nextNumber;
    std::map<std::string, std::string> relTypes;
    unsigned maxSheetId = 0;
};

}  // namespace

struct Workbook::Impl {
    std::shared_ptr<const ParsedPackage> parsed;
    std::vector<std::string> order;  // part names as they are to be stored
    std::map<std::string, PartBytes> parts;
    std::string workbookPart;
    std::string workbookRelsPart;
    pugi::xml_document workbook;
    pugi::xml_document workbookRels;
    pugi::xml_document contentTypes;
    struct Sheet {
        pugi::xml_node node;  // <sheet> in the workbook
        std::string part;
    };
    std::vector<Sheet> sheets;
    std::map<std::string, SheetPage> pages;  // by part
    int active = 1;
    // The next number to try for a new part name, by name without its number
    // ("xl/worksheets/sheet.xml"), so that making many copies stays linear.
    std::map<std::string, int> nextPartNumber;
    std::optional<std::string> title;  // UTF-8, when one was set
    std::optional<CopyLookups> lookups;
    CopyLookups& Lookups();

    bool Valid(int sheet) const { return sheet >= 1 && sheet <= static_cast<int>(sheets.size()); }
    bool Visible(int sheet) const {
        const std::string_view state = sheets[sheet - 1].node.attribute("state").value();
        return state != "hidden" && state != "veryHidden";
    }
    Names WorkbookNames() const { return Names(workbook.document_element()); }

    explicit Impl(std::shared_ptr<const ParsedPackage> from);
    bool Has(const std::string& part) const { return parts.count(part) != 0; }
    const std::string& Bytes(const std::string& part) const { return parts.at(part).Bytes(); }
    void Put(const std::string& part, std::string bytes);
    void Remove(const std::string& part);
    std::string FreePartName(const std::string& part);
    std::string ContentTypeOverride(const std::string& part) const;
    void AddContentTypeOverride(const std::string& part, const std::string& type);
    std::string DuplicatePart(const std::string& part);
    bool CopySheet(int sheet, int after, QString* error);
    bool Serialize(std::string* bytes, QString* error);
    void WriteTitle(const std::string& text);
    bool WritePage(ZipWriter& zip, const std::string& part, const SheetPage& page, bool select);
};

// The workbook, its relationships and content types are small and change with every copy:
// each workbook has its own. The sheets stay the template's until they are saved.
Workbook::Impl::Impl(std::shared_ptr<const ParsedPackage> from) : parsed(std::move(from)) {
    order = parsed->package.order;
    for (const auto& [name, bytes] : parsed->package.parts) {
        PartBytes& part = parts[name];
        part.shared = &bytes;
        const auto stored = parsed->stored.find(name);
        if (stored != parsed->stored.end()) part.stored = &stored->second;
    }
    workbookPart = parsed->workbookPart;
    workbookRelsPart = parsed->workbookRelsPart;
    workbook.reset(parsed->workbook);
    workbookRels.reset(parsed->workbookRels);
    contentTypes.reset(parsed->contentTypes);
    const Names names = WorkbookNames();
    const std::string sheetName = names("sheet");
    std::size_t index = 0;
    for (pugi::xml_node node :
         workbook.document_element().child(names("sheets").c_str()).children(sheetName.c_str())) {
        const std::string& part = parsed->sheetParts.at(index++);
        sheets.push_back({node, part});
        pages[part].base = parsed->sheets.at(part);
    }
    const pugi::xml_node view = workbook.document_element()
                                    .child(names("bookViews").c_str())
                                    .child(names("workbookView").c_str());
    active =
        std::clamp(view.attribute("activeTab").as_int(0) + 1, 1, static_cast<int>(sheets.size()));
}

void Workbook::Impl::Put(const std::string& part, std::string bytes) {
    auto [it, inserted] = parts.insert_or_assign(part, PartBytes{std::move(bytes)});
    (void)it;
    if (inserted) order.push_back(part);
}

void Workbook::Impl::Remove(const std::string& part) {
    if (parts.erase(part) == 0) return;
    order.erase(std::remove(order.begin(), order.end(), part), order.end());
}

// A free name beside part in its folder: "xl/drawings/drawing1.xml" -> ".../drawing2.xml".
std::string Workbook::Impl::FreePartName(const std::string& part) {
    const std::size_t slash = part.rfind('/') + 1;  // npos + 1 == 0
    const std::size_t dot = part.find('.', slash);
    const std::string extension = dot == std::string::npos ? "" : part.substr(dot);
    std::string stem = part.substr(0, dot == std::string::npos ? part.size() : dot);
    while (stem.size() > slash && IsAsciiDigit(stem.back())) stem.pop_back();
    int& n = nextPartNumber.try_emplace(stem + extension, 1).first->second;
    for (;; ++n) {
        std::string candidate = stem + std::to_string(n) + extension;
        if (!Has(candidate)) return candidate;
    }
}

std::string Workbook::Impl::ContentTypeOverride(const std::string& part) const {
    const std::string name = "/" + part;
    for (pugi::xml_node node : contentTypes.document_element().children())
        if (name == node.attribute("PartName").value())
            return node.attribute("ContentType").value();
    return {};
}

void Workbook::Impl::AddContentTypeOverride(const std::string& part, const std::string& type) {
    if (type.empty()) return;
    const Names names(contentTypes.document_element());
    pugi::xml_node node = contentTypes.document_element().append_child(names("Override").c_str());
    node.append_attribute("PartName").set_value(("/" + part).c_str());
    node.append_attribute("ContentType").set_value(type.c_str());
}

// A copy of a part (and of its relationships, whose targets stay shared) under a free name.
// The copy's bytes are the original's, so a part of the template stays shared.
std::string Workbook::Impl::DuplicatePart(const std::string& part) {
    const std::string copy = FreePartName(part);
    const auto duplicate = [&](const std::string& from, const std::string& to) {
        const PartBytes bytes = parts.at(from);
        Put(to, {});
        parts[to] = bytes;
    };
    duplicate(part, copy);
    const std::string rels = RelationshipsPartFor(part);
    if (Has(rels)) duplicate(rels, RelationshipsPartFor(copy));
    AddContentTypeOverride(copy, ContentTypeOverride(part));
    return copy;
}

CopyLookups& Workbook::Impl::Lookups() {
    if (lookups) return *lookups;
    CopyLookups& look = lookups.emplace();
    for (const Sheet& s : sheets) {
        look.takenNames.insert(Utf8(s.node.attribute("name").value()).toCaseFolded());
        look.maxSheetId = std::max(look.maxSheetId, s.node.attribute("sheetId").as_uint());
    }
    // Of two relationships with one id, the later one's type is the one taken.
    for (pugi::xml_node rel : workbookRels.document_element().children())
        look.relTypes[rel.attribute("Id").value()] = rel.attribute("Type").value();
    return look;
}

bool Workbook::Impl::CopySheet(int sheet, int after, QString* error) {
    const Sheet source = sheets[sheet - 1];

    // The sheet's own parts: drawings, comments and printer settings are copied; tables
    // would need new names and ids and are refused; anything else stays shared.
    const std::string copyPart = FreePartName(source.part);
    const std::string sourceRels = RelationshipsPartFor(source.part);
    std::string copyRelsXml;
    if (Has(sourceRels)) {
        pugi::xml_document rels;
        if (!ParseXml(Bytes(sourceRels), &rels)) {
            *error =
                QStringLiteral("ブックが壊れています: %1 が読めません。").arg(Utf8(sourceRels));
            return false;
        }
        std::vector<std::pair<pugi::xml_node, std::string>> duplicates;
        for (pugi::xml_node rel : rels.document_element().children()) {
            if (std::string_view(rel.attribute("TargetMode").value()) == "External") continue;
            const char* type = rel.attribute("Type").value();
            if (EndsWith(type, "/table") || EndsWith(type, "/pivotTable")) {
                *error = QStringLiteral("シート %1 にはテーブルがあるためコピーできません。")
                             .arg(Utf8(source.node.attribute("name").value()));
                return false;
            }
            if (!(EndsWith(type, "/drawing") || EndsWith(type, "/vmlDrawing") ||
                  EndsWith(type, "/comments") || EndsWith(type, "/printerSettings")))
                continue;
            const std::string target =
                ResolveRelationshipTarget(source.part, rel.attribute("Target").value());
            if (target.empty() || !Has(target)) continue;
            duplicates.emplace_back(rel, target);
        }
        for (auto& [rel, target] : duplicates) {
            const std::string copy = DuplicatePart(target);
            // Same folder as the original, so only the file name of the target changes.
            std::string value = rel.attribute("Target").value();
            value = value.substr(0, value.rfind('/') + 1) + copy.substr(copy.rfind('/') + 1);
            rel.attribute("Target").set_value(value.c_str());
        }
        copyRelsXml = SerializeXml(rels);
    }
    const Names names = WorkbookNames();
    pugi::xml_node root = workbook.document_element();
    // The new sheet's name, id and relationship.
    const QString base = Utf8(source.node.attribute("name").value());
    CopyLookups& look = Lookups();
    QString name;
    for (int& n = look.nextNumber.try_emplace(base, 2).first->second;; ++n) {
        const QString suffix = QStringLiteral(" (%1)").arg(n);
        name = base.left(31 - suffix.size()) + suffix;
        if (look.takenNames.count(name.toCaseFolded()) == 0) break;
    }
    std::string relId;
    for (std::size_t n = look.relTypes.size() + 1;; ++n) {
        relId = "rId" + std::to_string(n);
        if (look.relTypes.count(relId) == 0) break;
    }
    std::string sourceRelType;
    std::string idAttribute = "r:id";
    for (pugi::xml_attribute attribute : source.node.attributes())
        if (std::string_view(attribute.name()).ends_with(":id")) {
            idAttribute = attribute.name();
            if (const auto type = look.relTypes.find(attribute.value());
                type != look.relTypes.end())
                sourceRelType = type->second;
        }
    const unsigned sheetId = ++look.maxSheetId;
    look.takenNames.insert(name.toCaseFolded());
    look.relTypes.emplace(relId, sourceRelType);

    Put(copyPart, {});  // made when the workbook is saved
    const SheetPage& sourcePage = pages.at(source.part);
    pages[copyPart] = SheetPage{sourcePage.base, sourcePage.writes, true};
    if (!copyRelsXml.empty()) Put(RelationshipsPartFor(copyPart), copyRelsXml);
    AddContentTypeOverride(copyPart, ContentTypeOverride(source.part));
    const Names relNames(workbookRels.document_element());
    pugi::xml_node rel =
        workbookRels.document_element().append_child(relNames("Relationship").c_str());
    rel.append_attribute("Id").set_value(relId.c_str());
    rel.append_attribute("Type").set_value(sourceRelType.c_str());
    rel.append_attribute("Target").set_value(RelativeTarget(workbookPart, copyPart).c_str());

    pugi::xml_node node =
        source.node.parent().insert_copy_after(source.node, sheets[after - 1].node);
    node.attribute("name").set_value(name.toStdString().c_str());
    node.attribute("sheetId").set_value(sheetId);
    node.attribute(idAttribute.c_str()).set_value(relId.c_str());
    sheets.insert(sheets.begin() + after, Sheet{node, copyPart});

    // Sheet-local names (print area, print titles) follow the sheets they belong to; the
    // copy gets its own, pointing at itself.
    const int sourceIndex = sheet - 1;  // 0-based positions, before the insertion
    const int copyIndex = after;        // 0-based position of the copy
    std::vector<pugi::xml_node> localNames;
    const std::string definedNameName = names("definedName");
    for (pugi::xml_node definedName :
         root.child(names("definedNames").c_str()).children(definedNameName.c_str())) {
        pugi::xml_attribute local = definedName.attribute("localSheetId");
        if (!local) continue;
        const int index = local.as_int(-1);
        if (index == sourceIndex) localNames.push_back(definedName);
        if (index >= copyIndex) local.set_value(index + 1);
    }
    const std::string from = source.node.attribute("name").value();
    for (pugi::xml_node original : localNames) {
        pugi::xml_node copy = original.parent().insert_copy_after(original, original);
        copy.attribute("localSheetId").set_value(copyIndex);
        const std::string formula =
            RenameSheetInFormula(copy.text().get(), from, name.toStdString());
        copy.text().set(formula.c_str());
    }
    active = after + 1;  // a copy becomes the active sheet
    return true;
}

// The title goes into the package's core properties (dc:title), made when the template has
// none.
void Workbook::Impl::WriteTitle(const std::string& text) {
    static const char kDublinCore[] = "http://purl.org/dc/elements/1.1/";
    const std::string packageRels = "_rels/.rels";
    pugi::xml_document rels;
    if (!ParseXml(Bytes(packageRels), &rels)) return;  // read when the package was opened
    std::string corePart;
    for (pugi::xml_node rel : rels.document_element().children())
        if (EndsWith(rel.attribute("Type").value(), "/metadata/core-properties"))
            corePart = ResolveRelationshipTarget("", rel.attribute("Target").value());
    pugi::xml_document core;
    if (corePart.empty()) {
        corePart = FreePartName("docProps/core.xml");
        std::set<std::string> ids;
        for (pugi::xml_node rel : rels.document_element().children())
            ids.insert(rel.attribute("Id").value());
        std::string id;
        for (std::size_t n = ids.size() + 1; id.empty() || ids.count(id) != 0; ++n)
            id = "rId" + std::to_string(n);
        const Names relNames(rels.document_element());
        pugi::xml_node rel = rels.document_element().append_child(relNames("Relationship").c_str());
        rel.append_attribute("Id").set_value(id.c_str());
        rel.append_attribute("Type").set_value(
            "http://schemas.openxmlformats.org/package/2006/relationships/metadata/"
            "core-properties");
        rel.append_attribute("Target").set_value(corePart.c_str());
        Put(packageRels, SerializeXml(rels));
    }
    if (!Has(corePart))
        AddContentTypeOverride(corePart,
                               "application/vnd.openxmlformats-package.core-properties+xml");
    if (!Has(corePart) || !ParseXml(Bytes(corePart), &core))
        core.load_string(
            "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
            "<cp:coreProperties xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/"
            "metadata/core-properties\" xmlns:dc=\"http://purl.org/dc/elements/1.1/\"/>",
            kParseOptions);
    pugi::xml_node root = core.document_element();
    std::string prefix;
    for (pugi::xml_attribute attribute : root.attributes()) {
        const std::string_view name = attribute.name();
        if (name.starts_with("xmlns:") && std::string_view(attribute.value()) == kDublinCore)
            prefix = std::string(name.substr(6));
    }
    if (prefix.empty()) {
        prefix = "dc";
        root.append_attribute("xmlns:dc").set_value(kDublinCore);
    }
    const std::string element = prefix + ":title";
    pugi::xml_node node = root.child(element.c_str());
    if (!node) node = root.prepend_child(element.c_str());
    node.text().set(text.c_str());
    Put(corePart, SerializeXml(core));
}

// A page as saved: an original sheet nothing changed keeps the template's bytes; any other
// is put together from its template sheet, its writes and its tab selection, one page at a
// time, and written out before the next is made.
bool Workbook::Impl::WritePage(ZipWriter& zip, const std::string& part, const SheetPage& page,
                               bool select) {
    const bool tabChanges = TabSelectionDiffers(*page.base, select);
    if (page.writes.empty() && !tabChanges) {
        if (!page.copy) {
            const PartBytes& bytes = parts.at(part);
            return bytes.stored ? zip.AddStored(part, *bytes.stored) : zip.Add(part, bytes.Bytes());
        }
        return WriteXmlEntry(zip, part, *page.base);
    }
    if (const std::optional<bool> written =
            WriteChangedSheet(zip, part, *page.base, page.writes, tabChanges, select))
        return *written;
    pugi::xml_document doc;
    doc.reset(*page.base);
    ApplyWrites(doc, page.writes);
    if (tabChanges) SelectTab(doc, select);
    return WriteXmlEntry(zip, part, doc);
}

bool Workbook::Impl::Serialize(std::string* bytes, QString* error) {
    if (!Visible(active))
        for (int i = 1; i <= static_cast<int>(sheets.size()); ++i)
            if (Visible(i)) {
                active = i;
                break;
            }
    const Names names = WorkbookNames();
    pugi::xml_node root = workbook.document_element();
    pugi::xml_node bookViews = root.child(names("bookViews").c_str());
    if (!bookViews)
        bookViews = InsertChildAfterAny(
            root, names("bookViews"),
            {"fileVersion", "fileSharing", "workbookPr", "workbookProtection"}, names);
    pugi::xml_node view = bookViews.child(names("workbookView").c_str());
    if (!view) view = bookViews.append_child(names("workbookView").c_str());
    if (!view.attribute("activeTab")) view.append_attribute("activeTab");
    view.attribute("activeTab").set_value(active - 1);
    if (view.attribute("firstSheet").as_int(0) > active - 1) view.remove_attribute("firstSheet");

    // Values written over formulas make the calculation chain stale: the spreadsheet
    // program rebuilds it, and recalculates the template's own formulas on opening.
    pugi::xml_node calc = root.child(names("calcPr").c_str());
    if (!calc)
        calc = InsertChildAfterAny(
            root, names("calcPr"),
            {"sheets", "functionGroups", "externalReferences", "definedNames"}, names);
    if (!calc.attribute("fullCalcOnLoad")) calc.append_attribute("fullCalcOnLoad");
    calc.attribute("fullCalcOnLoad").set_value(1);
    for (pugi::xml_node rel = workbookRels.document_element().first_child(); rel;) {
        pugi::xml_node next = rel.next_sibling();
        if (EndsWith(rel.attribute("Type").value(), "/calcChain")) {
            const std::string part =
                ResolveRelationshipTarget(workbookPart, rel.attribute("Target").value());
            Remove(part);
            for (pugi::xml_node type = contentTypes.document_element().first_child(); type;) {
                pugi::xml_node nextType = type.next_sibling();
                if ("/" + part == type.attribute("PartName").value())
                    contentTypes.document_element().remove_child(type);
                type = nextType;
            }
            rel.parent().remove_child(rel);
            lookups.reset();
        }
        rel = next;
    }
    if (title) WriteTitle(*title);
    Put(workbookPart, SerializeXml(workbook));
    Put(workbookRelsPart, SerializeXml(workbookRels));
    Put(kContentTypesPart, SerializeXml(contentTypes));

    std::map<std::string, bool> selected;  // sheet part -> whether its tab is selected
    for (int i = 1; i <= static_cast<int>(sheets.size()); ++i)
        selected[sheets[i - 1].part] = i == active;
    bytes->clear();
    ZipWriter zip(bytes);
    std::vector<std::string> partNames{kContentTypesPart};
    for (const std::string& name : order)
        if (name != kContentTypesPart) partNames.push_back(name);
    bool ok = true;
    for (const std::string& name : partNames) {
        if (!ok) break;
        if (const auto page = pages.find(name); page != pages.end()) {
            ok = WritePage(zip, name, page->second, selected[name]);
            continue;
        }
        const PartBytes& part = parts.at(name);
        ok = part.stored ? zip.AddStored(name, *part.stored)
                         : zip.Add(name, part.Bytes(), IsCompressedAlready(name));
    }
    if (!ok || !zip.Finish()) {
        bytes->clear();
        *error =
            QStringLiteral("ブックを書き出せませんでした（大きすぎるか、メモリが足りません）。");
        return false;
    }
    return true;
}

Workbook::Workbook(std::unique_ptr<Impl> impl) : impl_(std::move(impl)) {}
Workbook::~Workbook() = default;

std::unique_ptr<Workbook> Workbook::Open(const QString& xlsxPath, QString* error) {
    std::optional<std::string> bytes = ReadWholeFile(xlsxPath, kMaxPackageBytes);
    if (!bytes) {
        *error = QStringLiteral("ブック %1 を読めません。").arg(xlsxPath);
        return nullptr;
    }
    ParsedTemplates& templates = ParsedTemplates::Instance();
    std::shared_ptr<const ParsedPackage> parsed = templates.Find(xlsxPath, *bytes);
    if (!parsed) {
        auto fresh = std::make_shared<ParsedPackage>();
        if (!fresh->Load(*bytes, error)) {
            // The reason, then which file it is about.
            *error += QStringLiteral("\n(%1)").arg(xlsxPath);
            return nullptr;
        }
        parsed = fresh;
        templates.Keep(xlsxPath, std::move(*bytes), parsed);
    }
    return std::unique_ptr<Workbook>(new Workbook(std::make_unique<Impl>(std::move(parsed))));
}

std::unique_ptr<Workbook> Workbook::OpenBytes(std::string_view bytes, QString* error) {
    auto parsed = std::make_shared<ParsedPackage>();
    if (!parsed->Load(bytes, error)) return nullptr;
    return std::unique_ptr<Workbook>(new Workbook(std::make_unique<Impl>(std::move(parsed))));
}

int Workbook::SheetCount() const { return static_cast<int>(impl_->sheets.size()); }

QString Workbook::SheetName(int sheet) const {
    if (!impl_->Valid(sheet)) return {};
    return Utf8(impl_->sheets[sheet - 1].node.attribute("name").value());
}

static bool NoSuchSheet(int sheet, QString* error) {
    *error = QStringLiteral("ブックにシート %1 がありません。").arg(sheet);
    return false;
}

bool Workbook::CopySheetAfter(int sheet, int after, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    if (!impl_->Valid(after)) return NoSuchSheet(after, error);
    return impl_->CopySheet(sheet, after, error);
}

bool Workbook::SetSheetVisible(int sheet, bool visible, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    pugi::xml_node node = impl_->sheets[sheet - 1].node;
    if (visible) {
        node.remove_attribute("state");
        return true;
    }
    int visibleSheets = 0;
    for (int i = 1; i <= SheetCount(); ++i) visibleSheets += impl_->Visible(i) ? 1 : 0;
    if (impl_->Visible(sheet) && visibleSheets == 1) {
        *error = QStringLiteral("表示されている最後のシートは非表示にできません。");
        return false;
    }
    if (!node.attribute("state")) node.append_attribute("state");
    node.attribute("state").set_value("hidden");
    return true;
}

void Workbook::DropPrintRangesOfHiddenSheets() {
    const Names names = impl_->WorkbookNames();
    pugi::xml_node list = impl_->workbook.document_element().child(names("definedNames").c_str());
    for (pugi::xml_node name = list.first_child(); name;) {
        const pugi::xml_node next = name.next_sibling();
        const pugi::xml_attribute local = name.attribute("localSheetId");
        const int sheet = local.as_int(-1) + 1;
        if (local && impl_->Valid(sheet) && !impl_->Visible(sheet) &&
            std::string_view(name.attribute("name").value()).starts_with("_xlnm.Print_"))
            list.remove_child(name);
        name = next;
    }
}

bool Workbook::IsSheetVisible(int sheet) const {
    return impl_->Valid(sheet) && impl_->Visible(sheet);
}

bool Workbook::ActivateSheet(int sheet, QString* error) {
    if (!impl_->Valid(sheet)) return NoSuchSheet(sheet, error);
    impl_->active = sheet;
    return true;
}

int Workbook::ActiveSheet() const { return impl_->active; }

QString BadCellAddressMessage(std::string_view address) {
    return QStringLiteral("セル番地 %1 が正しくありません。").arg(Cp932ToQStringLossy(address));
}

bool Workbook::WriteCell(std::string_view address, std::string_view cp932Text, QString* error) {
    int row = 0;
    int column = 0;
    if (!ParseSheetReference(address, &row, &column)) {
        *error = BadCellAddressMessage(address);
        return false;
    }
    return WriteCell(row, column, cp932Text, error);
}

bool Workbook::WriteCell(int row, int column, std::string_view cp932Text, QString* error) {
    if (row < 1 || row > kMaxRow || column < 1 || column > kMaxColumn) {
        *error = QStringLiteral("行 %1、列 %2 のセルはシートの範囲外です。").arg(row).arg(column);
        return false;
    }
    CellWrite write;
    if (!cp932Text.empty() && cp932Text.front() == '\'') {
        write.kind = CellWrite::kText;
        write.value = CellTextUtf8(cp932Text.substr(1));
    } else if (std::optional<std::string> number = TypedNumber(cp932Text)) {
        write.kind = CellWrite::kNumber;
        write.value = std::move(*number);
    } else if (!cp932Text.empty()) {
        write.kind = CellWrite::kText;
        write.value = CellTextUtf8(cp932Text);
    }
    impl_->pages[impl_->sheets[impl_->active - 1].part].writes[{row, column}] = std::move(write);
    return true;
}

void Workbook::SetTitle(const QString& title) {
    std::string text = title.toStdString();
    // Control characters have no place in XML.
    std::erase_if(text, [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    impl_->title = std::move(text);
}

bool Workbook::Save(const QString& xlsxPath, QString* error) {
    std::string bytes;
    if (!SaveBytes(&bytes, error)) return false;
    if (!SaveFileAtomically(xlsxPath, bytes)) {
        // The fixed text, then the file and the system's reason (a missing folder, a full disk).
        *error = QStringLiteral("ブックを %1 に保存できませんでした。\n%2")
                     .arg(xlsxPath, LastFileFailure());
        return false;
    }
    return true;
}

bool Workbook::SaveBytes(std::string* bytes, QString* error) {
    return impl_->Serialize(bytes, error);
}

}  // namespace quilto
