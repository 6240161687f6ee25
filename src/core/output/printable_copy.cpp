#include "output/printable_copy.h"

#include <QFile>
#include <QSaveFile>
#include <pugixml.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "excel/xlsx_package.h"

namespace quilto {

namespace {

// The workbook part the package names as its main document.
std::string WorkbookPart(const XlsxPackage& package) {
    const auto rels = package.parts.find("_rels/.rels");
    if (rels != package.parts.end()) {
        pugi::xml_document doc;
        if (doc.load_string(rels->second.c_str())) {
            for (pugi::xml_node rel : doc.child("Relationships").children("Relationship")) {
                if (std::string_view(rel.attribute("Type").value()).ends_with("/officeDocument"))
                    return ResolveRelationshipTarget("", rel.attribute("Target").value());
            }
        }
    }
    return "xl/workbook.xml";
}

}  // namespace

bool WritePrintableCopy(const QString& xlsx, const QString& copy, QString* error) {
    QFile in(xlsx);
    if (!in.open(QIODevice::ReadOnly)) {
        *error = xlsx + ": " + in.errorString();
        return false;
    }
    const QByteArray bytes = in.readAll();
    XlsxPackage package;
    if (!ReadXlsxPackage(std::string_view(bytes.constData(), bytes.size()), &package, error))
        return false;
    const std::string part = WorkbookPart(package);
    pugi::xml_document workbook;
    if (!package.Has(part) || !workbook.load_string(package.parts[part].c_str())) {
        *error = xlsx + ": the workbook part cannot be read";
        return false;
    }
    pugi::xml_node root = workbook.child("workbook");
    std::vector<bool> hidden;
    for (pugi::xml_node sheet : root.child("sheets").children("sheet")) {
        const std::string_view state = sheet.attribute("state").value();
        hidden.push_back(state == "hidden" || state == "veryHidden");
    }
    pugi::xml_node names = root.child("definedNames");
    std::vector<pugi::xml_node> drop;
    for (pugi::xml_node name : names.children("definedName")) {
        const int sheet = name.attribute("localSheetId").as_int(-1);
        if (std::string_view(name.attribute("name").value()) == "_xlnm.Print_Area" && sheet >= 0 &&
            sheet < static_cast<int>(hidden.size()) && hidden[sheet])
            drop.push_back(name);
    }
    for (pugi::xml_node name : drop) names.remove_child(name);
    std::ostringstream xml;
    workbook.save(xml, "", pugi::format_raw);
    package.Put(part, xml.str());

    std::string zip;
    if (!WriteXlsxPackage(package, &zip, error)) return false;
    QSaveFile out(copy);
    if (!out.open(QIODevice::WriteOnly) ||
        out.write(zip.data(), zip.size()) != qint64(zip.size()) || !out.commit()) {
        *error = copy + ": " + out.errorString();
        return false;
    }
    return true;
}

}  // namespace quilto
