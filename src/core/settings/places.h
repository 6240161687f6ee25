#pragma once

// The places a user may back up to or restore from, offered where a Windows program offered
// its drives: the home folder, the file system's root, mounted media (USB sticks, discs,
// card readers) and network shares.

#include <QString>
#include <string_view>
#include <vector>

namespace quilto {

struct Place {
    QString path;
    QString label;  // what the choice shows: "ホーム (/home/user)", ...
};

// From the text of a mount table (/proc/self/mounts: device, mount point, type, ... with
// blanks in names written as \040): home first, then the root, then every mount point of
// removable media (under /media, /run/media or /mnt) and every network file system, each
// once, in the order of the table.
std::vector<Place> PlacesFromMounts(std::string_view mounts, const QString& home);

// The places of this machine now.
std::vector<Place> CurrentPlaces();

}  // namespace quilto
