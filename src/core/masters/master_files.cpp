#include "core/masters/master_files.h"

#include "core/foundation/atomic_file.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto {

int ReadMasterLines(const QString& path, std::vector<std::string>& lines) {
    lines.clear();
    const std::optional<std::string> text = ReadWholeFile(path, kMaxMasterFileBytes);
    if (!text) return -1;
    lines = SplitMasterLines(*text);
    return 0;
}

int WriteMasterLines(const QString& path, const std::vector<std::string>& lines) {
    return SaveFileAtomically(path, JoinMasterLines(lines)) ? 0 : -1;
}

int ReadUnitLines(const QString& path, std::vector<std::string>& units) {
    const int result = ReadMasterLines(path, units);
    for (std::string& unit : units) unit = UnitNameOfLine(unit);
    return result;
}

int WriteUnitLines(const QString& path, const std::vector<std::string>& units) {
    std::vector<std::string> lines;
    lines.reserve(units.size());
    for (const std::string& unit : units) {
        std::string trimmed = Trimmed(unit);
        if (!trimmed.empty()) lines.push_back(std::move(trimmed));
    }
    return WriteMasterLines(path, lines);
}

int LoadConstructionNames(MasterLists& lists, Environment& environment) {
    return ReadMasterLines(MasterFilePath(environment, kConstructionFileName),
                           lists.constructionNames);
}

int LoadProducts(MasterLists& lists, Environment& environment) {
    return ReadMasterLines(MasterFilePath(environment, kProductFileName), lists.products);
}

int LoadUnits(MasterLists& lists, Environment& environment) {
    return ReadUnitLines(MasterFilePath(environment, kUnitFileName), lists.units);
}

int LoadMasterLists(MasterLists& lists, Environment& environment) {
    const int products = LoadProducts(lists, environment);
    const int constructions = LoadConstructionNames(lists, environment);
    const int units = LoadUnits(lists, environment);
    if (products != 0) return products;
    return constructions != 0 ? constructions : units;
}

int WriteConstructionNames(const MasterLists& lists, Environment& environment) {
    return WriteMasterLines(MasterFilePath(environment, kConstructionFileName),
                            lists.constructionNames);
}

int WriteProducts(const MasterLists& lists, Environment& environment) {
    return WriteMasterLines(MasterFilePath(environment, kProductFileName), lists.products);
}

int WriteUnits(const MasterLists& lists, Environment& environment) {
    return WriteUnitLines(MasterFilePath(environment, kUnitFileName), lists.units);
}

int WriteConstructionNamesThenProducts(const MasterLists& lists, Environment& environment) {
    const int constructions = WriteConstructionNames(lists, environment);
    if (constructions != 0) return constructions;
    return WriteProducts(lists, environment);
}

int CreateProductFile(MasterLists& lists, Environment& environment) {
    lists.products.clear();
    return WriteProducts(lists, environment);
}

int CreateConstructionFile(MasterLists& lists, Environment& environment) {
    lists.constructionNames.clear();
    return WriteConstructionNames(lists, environment);
}

int CreateUnitFile(MasterLists& lists, Environment& environment) {
    SetDefaultUnits(lists);
    return WriteUnits(lists, environment);
}

}  // namespace quilto
