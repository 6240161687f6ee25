#include "core/foundation/desktop_opening.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMimeDatabase>
#include <QStandardPaths>

namespace quilto {

namespace {

// The MimeType line of a desktop entry lists the types its program opens.
bool DeclaresType(const QString& entryPath, const QStringList& types) {
    QFile entry(entryPath);
    if (!entry.open(QIODevice::ReadOnly)) return false;
    constexpr qint64 kMaxEntry = 256 * 1024;
    for (const QByteArray& raw : entry.read(kMaxEntry).split('\n')) {
        const QString line = QString::fromUtf8(raw).trimmed();
        if (!line.startsWith(QLatin1String("MimeType="))) continue;
        for (const QString& type : line.mid(9).split(u';', Qt::SkipEmptyParts))
            if (types.contains(type.trimmed())) return true;
    }
    return false;
}

// The program a user installs for a file of this kind, in words.
std::string ProgramFor(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("xlsx") || suffix == QLatin1String("xls"))
        return "表計算ソフト (LibreOffice Calc: パッケージ libreoffice-calc)";
    if (suffix == QLatin1String("html") || suffix == QLatin1String("htm"))
        return "ウェブブラウザー (firefox-esr など)";
    if (suffix == QLatin1String("pdf")) return "PDF を表示するプログラム (evince など)";
    return "このファイルを開くプログラム";
}

}  // namespace

OpeningPlaces SystemOpeningPlaces() {
    OpeningPlaces places;
    places.applicationFolders =
        QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    places.commandFolders =
        qEnvironmentVariable("PATH").split(QDir::listSeparator(), Qt::SkipEmptyParts);
    return places;
}

OpeningGap FindOpeningGap(const QString& path, const OpeningPlaces& places) {
    if (QStandardPaths::findExecutable(QStringLiteral("xdg-open"), places.commandFolders).isEmpty())
        return OpeningGap::kNoOpener;
    const QMimeType type = QMimeDatabase().mimeTypeForFile(path, QMimeDatabase::MatchExtension);
    QStringList types = type.aliases();
    types << type.name();
    for (const QString& folder : places.applicationFolders) {
        // Entries may also sit one folder down (vendor folders), as the desktop reads them.
        QStringList folders{folder};
        for (const QString& sub : QDir(folder).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
            folders << QDir(folder).filePath(sub);
        for (const QString& dir : folders) {
            for (const QFileInfo& entry : QDir(dir).entryInfoList({QStringLiteral("*.desktop")},
                                                                  QDir::Files | QDir::Readable))
                if (DeclaresType(entry.filePath(), types)) return OpeningGap::kNone;
        }
    }
    return OpeningGap::kNoProgramForIt;
}

std::string OpeningFailureMessage(const std::string& lead, const QString& path, OpeningGap gap) {
    std::string why;
    switch (gap) {
        case OpeningGap::kNoOpener:
            why =
                "ファイルを開くためのデスクトップの仕組み (xdg-open) がありません。\n"
                "パッケージ xdg-utils を入れて下さい。";
            break;
        case OpeningGap::kNoProgramForIt:
            why = "このファイルを開くプログラムが入っていません。\n" + ProgramFor(path) +
                  " を入れて下さい。";
            break;
        case OpeningGap::kNone:
            why = "開くプログラムが起動できませんでした。\n" + ProgramFor(path) +
                  " がデスクトップでこのファイルの種類に割り当てられているか確かめて下さい。";
            break;
    }
    return lead + "\n" + why + "\nファイル: " + QDir::toNativeSeparators(path).toStdString();
}

}  // namespace quilto
