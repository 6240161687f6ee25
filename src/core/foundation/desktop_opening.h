#pragma once

// Files the program made (workbooks, the manual, PDFs) are opened by the desktop: its
// opener (xdg-open, from xdg-utils) hands them to the program the desktop associates with
// their type. When that fails the user is told which piece is missing, where the file is,
// and what to install, instead of only that it could not be opened.

#include <QString>
#include <QStringList>
#include <string>

namespace quilto {

enum class OpeningGap {
    kNone,            // everything is there: the opener itself failed
    kNoOpener,        // no xdg-open
    kNoProgramForIt,  // no installed program declares the file's type
};

// Where to look: the folders of installed programs' desktop entries (…/applications) and
// the folders searched for commands.
struct OpeningPlaces {
    QStringList applicationFolders;
    QStringList commandFolders;
};
OpeningPlaces SystemOpeningPlaces();

// What stands between the desktop and opening path.
OpeningGap FindOpeningGap(const QString& path, const OpeningPlaces& places);

// The message for a file that could not be opened: lead (the fixed text such as
// "エクセル表を開けませんでした。"), then why and what to do, then the file's path.
std::string OpeningFailureMessage(const std::string& lead, const QString& path, OpeningGap gap);

}  // namespace quilto
