#include "core/masters/master_files.h"

#include <QFile>
#include <QFileInfo>
#include <functional>

#include "core/foundation/atomic_file.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/text_bytes.h"
#include "core/store/environment.h"

namespace quilto {

namespace {

MasterFileResult ReadMasterLines(const QString& path, std::vector<std::string>& lines) {
    lines.clear();
    const std::optional<std::string> text = ReadWholeFile(path, kMaxMasterFileBytes);
    if (!text) return MasterFileResult::kIoError;
    lines = SplitMasterLines(*text);
    return MasterFileResult::kOk;
}

MasterFileResult WriteMasterLines(const QString& path, const std::vector<std::string>& lines) {
    return SaveFileAtomically(path, JoinMasterLines(lines)) ? MasterFileResult::kOk
                                                            : MasterFileResult::kIoError;
}

MasterFileResult ReadUnitLines(const QString& path, std::vector<std::string>& units) {
    const MasterFileResult result = ReadMasterLines(path, units);
    for (std::string& unit : units) unit = UnitNameOfLine(unit);
    return result;
}

MasterFileResult WriteUnitLines(const QString& path, const std::vector<std::string>& units) {
    std::vector<std::string> lines;
    lines.reserve(units.size());
    for (const std::string& unit : units) {
        std::string trimmed = Trimmed(unit);
        if (!trimmed.empty()) lines.push_back(std::move(trimmed));
    }
    return WriteMasterLines(path, lines);
}

// Why a master file that is there could not be read whole: its path and the reason.
QString UnreadableReason(const QString& path) {
    QFile file(path);
    if (!file.exists()) return {};
    if (file.size() > kMaxMasterFileBytes)
        return QStringLiteral("%1: 大きすぎて読めません（%2 バイト、読める大きさは %3 バイトまで）")
            .arg(QFileInfo(path).absoluteFilePath())
            .arg(file.size())
            .arg(kMaxMasterFileBytes);
    if (!file.open(QIODevice::ReadOnly))
        return QFileInfo(path).absoluteFilePath() + QStringLiteral(": ") + file.errorString();
    return QFileInfo(path).absoluteFilePath() + QStringLiteral(": 読み取りに失敗しました");
}

// Reads path into lines; unreadable gets the reason when the file is there but could not
// be read (a missing file leaves it empty).
MasterFileResult ReadInto(const QString& path, std::vector<std::string>& lines,
                          QString& unreadable) {
    const MasterFileResult result = ReadMasterLines(path, lines);
    unreadable = result == MasterFileResult::kOk ? QString() : UnreadableReason(path);
    return result;
}

// Refuses to write over a file whose list was not read whole.
MasterFileResult WriteUnlessUnread(const QString& path, const QString& unreadable,
                                   const std::function<MasterFileResult()>& write) {
    if (!unreadable.isEmpty()) {
        NoteFileFailure(path, QStringLiteral("読み込めなかったファイルなので書き込みません"));
        return MasterFileResult::kIoError;
    }
    return write();
}

}  // namespace

MasterFileResult LoadConstructionNames(MasterLists& lists, Environment& environment) {
    return ReadInto(MasterFilePath(environment, kConstructionFileName), lists.constructionNames,
                    lists.constructionNamesUnreadable);
}

MasterFileResult LoadProducts(MasterLists& lists, Environment& environment) {
    return ReadInto(MasterFilePath(environment, kProductFileName), lists.products,
                    lists.productsUnreadable);
}

MasterFileResult LoadUnits(MasterLists& lists, Environment& environment) {
    const QString path = MasterFilePath(environment, kUnitFileName);
    const MasterFileResult result = ReadUnitLines(path, lists.units);
    lists.unitsUnreadable = result == MasterFileResult::kOk ? QString() : UnreadableReason(path);
    return result;
}

MasterFileResult LoadMasterLists(MasterLists& lists, Environment& environment) {
    const MasterFileResult products = LoadProducts(lists, environment);
    const MasterFileResult constructions = LoadConstructionNames(lists, environment);
    const MasterFileResult units = LoadUnits(lists, environment);
    if (products != MasterFileResult::kOk) return products;
    return constructions != MasterFileResult::kOk ? constructions : units;
}

MasterFileResult WriteConstructionNames(const MasterLists& lists, Environment& environment) {
    const QString path = MasterFilePath(environment, kConstructionFileName);
    return WriteUnlessUnread(path, lists.constructionNamesUnreadable,
                             [&] { return WriteMasterLines(path, lists.constructionNames); });
}

MasterFileResult WriteProducts(const MasterLists& lists, Environment& environment) {
    const QString path = MasterFilePath(environment, kProductFileName);
    return WriteUnlessUnread(path, lists.productsUnreadable,
                             [&] { return WriteMasterLines(path, lists.products); });
}

MasterFileResult WriteUnits(const MasterLists& lists, Environment& environment) {
    const QString path = MasterFilePath(environment, kUnitFileName);
    return WriteUnlessUnread(path, lists.unitsUnreadable,
                             [&] { return WriteUnitLines(path, lists.units); });
}

MasterFileResult WriteConstructionNamesThenProducts(const MasterLists& lists,
                                                    Environment& environment) {
    const MasterFileResult constructions = WriteConstructionNames(lists, environment);
    if (constructions != MasterFileResult::kOk) return constructions;
    return WriteProducts(lists, environment);
}

MasterFileResult CreateProductFile(MasterLists& lists, Environment& environment) {
    lists.products.clear();
    lists.productsUnreadable.clear();
    return WriteProducts(lists, environment);
}

MasterFileResult CreateConstructionFile(MasterLists& lists, Environment& environment) {
    lists.constructionNames.clear();
    lists.constructionNamesUnreadable.clear();
    return WriteConstructionNames(lists, environment);
}

MasterFileResult CreateUnitFile(MasterLists& lists, Environment& environment) {
    SetDefaultUnits(lists);
    lists.unitsUnreadable.clear();
    return WriteUnits(lists, environment);
}

}  // namespace quilto
