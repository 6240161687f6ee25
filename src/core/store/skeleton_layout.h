#pragma once

// Laying out a working folder from the installation's skeleton (DAT/, MST/, Xls/ and
// XlsBase/ with the shipped templates and standard table definitions). The working folder
// may hold years of estimates and a firm's own templates: only what is missing is added,
// nothing that is there is ever replaced.

#include <QString>
#include <functional>

namespace quilto {

struct SkeletonLayout {
    enum class Status {
        kDone,        // everything of the skeleton is now in the folder
        kNoSkeleton,  // the skeleton folder is not there (a broken installation)
        kFailed,      // a folder or file could not be made: path and reason say which, why
    };
    Status status = Status::kDone;
    QString path;    // the folder or file that failed
    QString reason;  // the system's reason
    int added = 0;   // files and folders added
};

// Whether a file the folder lacks is added (target: its path in the folder). Asked for every
// file of a folder before any of them is copied, so it sees the folder as it was.
using SkeletonFileWanted = std::function<bool(const QString& target)>;

// Copies every folder and file of skeleton that folder lacks (folder itself is made when it
// is not there), the files `wanted` refuses left out. Placeholder files named ".keep" (which
// keep empty folders in the source tree) are not copied. A copied file is writable by its
// owner whatever the installed one was. Stops at the first failure.
[[nodiscard]] SkeletonLayout LayOutFromSkeleton(const QString& skeleton, const QString& folder,
                                                const SkeletonFileWanted& wanted = {});

// The message for a layout that did not reach kDone: names the folder or file, the reason,
// and what to do.
std::string SkeletonLayoutFailureMessage(const SkeletonLayout& layout, const QString& skeleton);

}  // namespace quilto
