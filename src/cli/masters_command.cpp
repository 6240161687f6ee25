// quilto-cli masters: the master lists of the working folder's master folder.
//   masters list [--json]            construction names with their codes and product counts
//   masters list CODE [--json]       the products of one construction name
//   masters import CODE FILE.csv     products from a CSV file, as the name registration does
//   masters export CODE              the products of one construction name as CSV
// Texts are printed in UTF-8.

#include <unistd.h>

#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/text_bytes.h"
#include "core/masters/master_files.h"
#include "core/masters/product_import.h"
#include "core/store/environment.h"
#include "core/store/markers.h"

namespace quilto::cli {
namespace {

// Some of the file came in and was written, some did not (a line left out, or the product
// list full): neither a success nor a failure that changed nothing.
constexpr int kPartialImportExit = 3;

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

bool TakeFlag(std::vector<std::string>& args, const char* flag) {
    for (auto it = args.begin(); it != args.end(); ++it) {
        if (*it == flag) {
            args.erase(it);
            return true;
        }
    }
    return false;
}

std::string Field(const std::string& line, ProductField field) {
    return JsonText(TrimmedRight(ProductFieldOf(line, field)));
}

int ListConstructions(const MasterLists& lists, bool json) {
    nlohmann::json out = nlohmann::json::array();
    for (const std::string& line : lists.constructionNames) {
        const std::string code = ConstructionCodeOf(line);
        int products = 0;
        for (const std::string& product : lists.products) {
            if (ProductFieldOf(product, ProductField::ConstructionCode) == code) ++products;
        }
        const std::string name = JsonText(TrimmedRight(ConstructionNameOf(line)));
        if (json) {
            out.push_back({{"code", JsonText(code)}, {"name", name}, {"products", products}});
        } else {
            Print(JsonText(code) + "  " + name + "  (" + std::to_string(products) + ")\n");
        }
    }
    if (json) Print(out.dump(2) + "\n");
    return 0;
}

int ListProducts(const MasterLists& lists, const std::string& code, bool json) {
    if (FindConstructionName(lists, code) < 0) {
        PrintError("masters: no construction name has the code " + code);
        return 1;
    }
    const std::string key = PadRightBytes(code, kConstructionCodeWidth);
    nlohmann::json out = nlohmann::json::array();
    for (const std::string& line : lists.products) {
        if (ProductFieldOf(line, ProductField::ConstructionCode) != key) continue;
        const std::vector<std::string> fields = {
            Field(line, ProductField::ProductCode),   Field(line, ProductField::Name),
            Field(line, ProductField::Specification), Field(line, ProductField::Unit),
            Field(line, ProductField::Cost),          Field(line, ProductField::Price),
            Field(line, ProductField::Remarks)};
        if (json) {
            out.push_back({{"code", fields[0]},
                           {"name", fields[1]},
                           {"specification", fields[2]},
                           {"unit", fields[3]},
                           {"cost", fields[4]},
                           {"price", fields[5]},
                           {"remarks", fields[6]}});
        } else {
            std::string row;
            for (const std::string& field : fields) row += (row.empty() ? "" : "\t") + field;
            Print(row + "\n");
        }
    }
    if (json) Print(out.dump(2) + "\n");
    return 0;
}

int Import(MasterLists& lists, Environment& environment, const std::string& code,
           const std::string& file) {
    if (FindConstructionName(lists, code) < 0) {
        PrintError("masters: no construction name has the code " + code);
        return 1;
    }
    const QString path = QString::fromLocal8Bit(file.c_str());
    if (const ImportFileCheck check = CheckImportFile(path);
        check.status != ImportFileStatus::kRead) {
        PrintError(ImportFileMessage(check, QFileInfo(path).absoluteFilePath()));
        return 1;
    }
    // Like the name registration: the masters are written only while this copy holds the
    // master marker.
    CliQuestions questions(Answer::kNo);
    Markers markers(questions, MarkerFoldersOf(environment));
    markers.HoldMasterMarker();
    if (markers.MasterState() == MarkerState::kInUse) {
        PrintError(NamingHolder(kImportReadOnlyMessage, markers.MasterHolder()));
        markers.ReleaseMasterMarker();
        return 1;
    }
    if (markers.MasterState() != MarkerState::kHeld) {
        // No other copy: the folder itself takes no marker (read-only share, permissions).
        const QString folder = QFileInfo(NativePath(MasterFolder(environment))).absoluteFilePath();
        const std::string reason = ::access(QFile::encodeName(folder).constData(), W_OK) != 0
                                       ? std::strerror(errno)
                                       : "its marker Master.tmp cannot be made";
        PrintError("masters: the master folder " + folder.toStdString() + " is read-only (" +
                   reason + "), so nothing is imported");
        return 1;
    }
    // Read again under the marker: another copy may have written since.
    LoadProducts(lists, environment);
    if (!lists.productsUnreadable.isEmpty()) {
        markers.ReleaseMasterMarker();
        PrintError("masters: the product file cannot be read, so nothing is imported: " +
                   lists.productsUnreadable.toStdString());
        return 1;
    }
    const ProductImportFileResult result = ImportProductFile(lists, environment, code, path);
    markers.ReleaseMasterMarker();
    if (result.file.status != ImportFileStatus::kRead) {
        PrintError(ImportFileMessage(result.file, QFileInfo(path).absoluteFilePath()));
        return 1;
    }
    if (result.report.capacityStopped) std::fprintf(stderr, "%s\n", kImportCapacityMessage);
    if (result.writeResult != MasterFileResult::kOk) {
        PrintError("masters: the product file could not be written");
        return 1;
    }
    Print(ImportClosingMessage(result.report) + "\n");
    // What came in is kept; a script must still learn that the file did not come in whole.
    if (result.report.Partial()) {
        PrintError("masters: only part of " + file +
                   " was imported; the lines left out are named above");
        return kPartialImportExit;
    }
    return 0;
}

}  // namespace

int RunMasters(const std::vector<std::string>& arguments) {
    std::vector<std::string> args = arguments;
    const bool json = TakeFlag(args, "--json");
    if (args.empty()) {
        PrintError("masters: say list, import or export (see --help)");
        return 2;
    }
    const std::string verb = args.front();
    args.erase(args.begin());
    Environment environment;
    LoadEnvironment(environment);
    // Without its folder there are no masters at all, which is not an empty list.
    if (const QFileInfo folder(NativePath(MasterFolder(environment))); !folder.isDir()) {
        PrintError("masters: the master folder " + folder.absoluteFilePath().toStdString() +
                   " is missing; run quilto-cli check (or start the program) to create it, or "
                   "set the master folder in the settings");
        return 1;
    }
    MasterLists lists;
    LoadProducts(lists, environment);
    LoadConstructionNames(lists, environment);
    // A list that did not load completely is neither shown as if it were whole nor written.
    if (const QString unreadable = lists.Unreadable(); !unreadable.isEmpty()) {
        PrintError(
            "masters: the master file cannot be read, so nothing is listed or written "
            "until it can be: " +
            unreadable.toStdString());
        return 1;
    }

    if (verb == "list" && args.empty()) return ListConstructions(lists, json);
    if (verb == "list" && args.size() == 1) return ListProducts(lists, args[0], json);
    if (verb == "import" && args.size() == 2 && !json) {
        return Import(lists, environment, args[0], args[1]);
    }
    if (verb == "export" && args.size() == 1 && !json) {
        if (FindConstructionName(lists, args[0]) < 0) {
            PrintError("masters: no construction name has the code " + args[0]);
            return 1;
        }
        Print(ExportProductCsv(lists, args[0]));
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    PrintError("masters: unexpected arguments (see --help)");
    return 2;
}

}  // namespace quilto::cli
