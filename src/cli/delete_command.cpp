// quilto-cli delete NNNNNN: deletes an estimate as the estimate list does (into the trash,
// or the data folder's 削除済み folder), refused while the estimate is in use (its marker
// exists).

#include <algorithm>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/estimate_document.h"
#include "core/editor/estimate_io.h"
#include "core/foundation/file_helpers.h"
#include "core/store/environment.h"
#include "core/store/markers.h"

namespace quilto::cli {

int RunDelete(const std::vector<std::string>& args) {
    const bool sixDigits =
        args.size() == 1 && args[0].size() == 6 &&
        std::all_of(args[0].begin(), args[0].end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!sixDigits) {
        PrintError("usage: delete NNNNNN");
        return 2;
    }
    const std::string& number = args[0];
    Environment environment;
    LoadEnvironment(environment);
    CliQuestions questions(Answer::kUnset);
    Markers markers(questions, {[&environment] { return NativePath(DataFolder(environment)); },
                                [&environment] { return NativePath(MasterFolder(environment)); }});
    if (markers.CheckEstimateMarker(number) == MarkerCheck::kPresent) {
        questions.Inform(NamingHolder("この見積は使用中です。", markers.EstimateHolder(number)));
        markers.ClearEstimateInUse();
        return 1;
    }
    EstimateDocument doc;
    doc.SetText(HeaderText::MNo, number);
    if (DeleteEstimate(doc, environment) != EstimateResult::kOk) {
        PrintError("delete: estimate " + number + " could not be deleted (" +
                   LastFileFailure().toStdString() + ")");
        return 1;
    }
    return 0;
}

}  // namespace quilto::cli
