// quilto-cli list: the estimate list of the working folder's data folder, one line per
// estimate file exactly as the program lists it (sorted, byte columns as in the list box),
// in UTF-8.

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/foundation/file_helpers.h"
#include "core/store/environment.h"
#include "core/store/estimate_list.h"

namespace quilto::cli {

int RunList(const std::vector<std::string>& args) {
    if (!args.empty()) {
        PrintError("list: unexpected argument '" + args.front() + "'");
        return 2;
    }
    Environment environment;
    LoadEnvironment(environment);
    const QString folder = NativePath(DataFolder(environment));
    if (!QFileInfo(folder).isDir()) {
        PrintError("list: the data folder " + folder.toStdString() + " does not exist");
        return 1;
    }
    for (const EstimateListEntry& entry : BuildEstimateList(environment)) {
        const std::string line = JsonText(entry.item);
        std::fwrite(line.data(), 1, line.size(), stdout);
        std::fputc('\n', stdout);
    }
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace quilto::cli
