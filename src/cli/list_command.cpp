// quilto-cli list: the estimate list of the working folder's data folder, one line per
// estimate file exactly as the program lists it (sorted, byte columns as in the list box),
// in UTF-8; or, searched by the same fields as the list window's search bar, as JSON or as
// CSV for a spreadsheet program.

#include <QDir>
#include <QFileInfo>
#include <cstdio>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/foundation/file_helpers.h"
#include "core/foundation/fixed4.h"
#include "core/foundation/typed_date.h"
#include "core/store/environment.h"
#include "core/store/estimate_list.h"
#include "core/store/estimate_list_index.h"
#include "core/store/estimate_search.h"

namespace quilto::cli {
namespace {

enum class ListForm { kLines, kJson, kCsv };

struct ListRequest {
    EstimateSearch search;
    ListForm form = ListForm::kLines;
};

// Reads the options; false (told on stderr) for a wrong one.
bool ReadRequest(const std::vector<std::string>& args, ListRequest& request) {
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--json" || option == "--csv") {
            if (request.form != ListForm::kLines) {
                PrintError("list: give only one of --json and --csv");
                return false;
            }
            request.form = option == "--json" ? ListForm::kJson : ListForm::kCsv;
            continue;
        }
        if (option == "--issued") {
            request.search.issuedOnly = true;
            continue;
        }
        const bool takesValue = option == "--text" || option == "--from" || option == "--to" ||
                                option == "--min" || option == "--max";
        if (!takesValue) {
            PrintError("list: unexpected argument '" + option + "'");
            return false;
        }
        if (i + 1 >= args.size()) {
            PrintError("list: " + option + " needs a value");
            return false;
        }
        const QString value = QString::fromUtf8(args[++i]);
        if (option == "--text") {
            request.search.text = value;
        } else if (option == "--from" || option == "--to") {
            const std::optional<QDate> date = ReadTypedDate(value);
            if (!date) {
                PrintError("list: " + option + " '" + args[i] +
                           "' is not a date (e.g. 2025-04-01, R7.4.1, 令和7年4月1日)");
                return false;
            }
            (option == "--from" ? request.search.from : request.search.to) = date;
        } else {
            const std::optional<Fixed4> amount = ReadAmountBound(value);
            if (!amount) {
                PrintError("list: " + option + " '" + args[i] +
                           "' is not an amount in whole yen (e.g. 33000 or 33,000)");
                return false;
            }
            (option == "--min" ? request.search.minAmount : request.search.maxAmount) = amount;
        }
    }
    return true;
}

nlohmann::json JsonOf(const SearchableListEntry& e) {
    const SearchableEstimate& s = e.searchable;
    nlohmann::json line = {
        {"number", s.number.toStdString()},       {"file", e.listed.fileName.toStdString()},
        {"customer", s.customer.toStdString()},   {"title", s.title.toStdString()},
        {"place", s.place.toStdString()},         {"date", s.dateText.toStdString()},
        {"printDate", s.printDate.toStdString()}, {"issued", s.issued}};
    line["dateRead"] = s.dateState == EstimateDateState::kRead
                           ? nlohmann::json(s.date.toString(Qt::ISODate).toStdString())
                           : nlohmann::json(nullptr);
    line["amount"] =
        s.amount ? nlohmann::json::parse(Fixed4ToText(*s.amount)) : nlohmann::json(nullptr);
    return line;
}

void Print(const std::string& text) { std::fwrite(text.data(), 1, text.size(), stdout); }

}  // namespace

int RunList(const std::vector<std::string>& args) {
    ListRequest request;
    if (!ReadRequest(args, request)) return 2;
    Environment environment;
    LoadEnvironment(environment);
    const QString folder = NativePath(DataFolder(environment));
    if (!QFileInfo(folder).isDir()) {
        PrintError("list: the data folder " + folder.toStdString() + " does not exist");
        return 1;
    }
    const ArchiveReading archive = ReadIssuedArchive(IssuedArchiveFolder(environment));
    if (!archive.failure.isEmpty())
        PrintError("list: the issued-document archive cannot be read: " +
                   archive.failure.toStdString());
    nlohmann::json json = nlohmann::json::array();
    if (request.form == ListForm::kCsv) Print(EstimateListCsvHeader());
    const SearchMatcher matches(request.search);
    for (const SearchableListEntry& e :
         ListThroughIndex(environment, IssuedNumbers(archive)).entries) {
        if (!matches(e.searchable)) continue;
        switch (request.form) {
            case ListForm::kLines: {
                // Ended in place: the decoded line is made with room to spare.
                std::string line = JsonText(e.listed.item);
                line += '\n';
                Print(line);
                break;
            }
            case ListForm::kJson:
                json.push_back(JsonOf(e));
                break;
            case ListForm::kCsv:
                Print(EstimateListCsvLine(e));
                break;
        }
    }
    if (request.form == ListForm::kJson) Print(json.dump(2) + "\n");
    return std::fflush(stdout) == 0 ? 0 : 1;
}

}  // namespace quilto::cli
