// quilto-cli export / print: an estimate filled into its workbook template, saved as a
// workbook or a PDF, or printed; the same output the output dialog makes.

#include <unistd.h>

#include <QFileInfo>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli_support.h"
#include "core/editor/editor_session.h"
#include "core/editor/estimate_io.h"
#include "core/excel/pattern_choice.h"
#include "core/foundation/text_bytes.h"
#include "core/foundation/typed_text.h"
#include "core/output/issued_handover.h"
#include "core/output/output_dialog.h"
#include "core/output/output_run.h"
#include "core/output/output_source.h"
#include "core/store/environment.h"

namespace quilto::cli {

namespace {

// Exit statuses of export and print.
constexpr int kExitDone = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kExitNothingToPrint = 3;

// "page 3/10" on one line of the terminal, redrawn in place; silent when stderr is not a
// terminal.
class TerminalProgress : public OutputProgress {
  public:
    explicit TerminalProgress(const char* command)
        : command_(command), tty_(isatty(fileno(stderr)) == 1) {}
    ~TerminalProgress() override {
        if (drawn_) std::fputc('\n', stderr);
    }
    void Begin(int pages, int /*lines*/) override { pages_ = pages; }
    void Page(int page) override {
        if (!tty_) return;
        std::fprintf(stderr, "\r%s: page %d/%d", command_, page, pages_);
        std::fflush(stderr);
        drawn_ = true;
    }

  private:
    const char* command_;
    bool tty_;
    bool drawn_ = false;
    int pages_ = 0;
};

// The options both commands take. False (told on stderr) for a bad one.
struct Options {
    std::string number;
    OutputChoices choices;
    bool targetGiven = false;
    bool sheetsGiven = false;
    bool patternGiven = false;
};

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::stringstream in(text);
    for (std::string item; std::getline(in, item, ',');) items.push_back(item);
    return items;
}

bool TakeSheets(const std::string& list, OutputChoices& choices, bool& details) {
    choices.cover = choices.summary = choices.breakdown = false;
    details = false;
    for (const std::string& sheet : SplitList(list)) {
        if (sheet == "cover") {
            choices.cover = true;
        } else if (sheet == "summary") {
            choices.summary = true;
        } else if (sheet == "breakdown") {
            choices.breakdown = true;
        } else if (sheet == "detail") {
            details = true;
        } else {
            return false;
        }
    }
    return true;
}

bool TakeConstructions(const std::string& list, OutputChoices& choices) {
    choices.constructions.fill(false);
    if (list == "all") {
        choices.SelectAllConstructions();
        return true;
    }
    for (const std::string& item : SplitList(list)) {
        if (item.empty() || item.size() > 3 ||
            item.find_first_not_of("0123456789") != std::string::npos)
            return false;
        const int row = std::stoi(item);
        if (row < 1 || row > kBreakdownLines) return false;
        choices.constructions[row] = true;
    }
    return true;
}

// Parses args for export (print = false) or print.
bool ParseOptions(const char* command, const std::vector<std::string>& args, bool print,
                  Options& options) {
    OutputChoices& choices = options.choices;
    choices.SelectAllConstructions();
    choices.target = print ? OutputTarget::kPrint : OutputTarget::kWorkbook;
    bool details = true;
    std::string constructions = "all";
    const auto bad = [&](const std::string& message) {
        PrintError(std::string(command) + ": " + message);
        return false;
    };
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const auto value = [&]() -> const std::string* {
            return i + 1 < args.size() ? &args[++i] : nullptr;
        };
        const std::string* v = nullptr;
        if (!print && (arg == "--xlsx" || arg == "--pdf")) {
            if (options.targetGiven) return bad("give one of --xlsx and --pdf");
            if (!(v = value())) return bad(arg + " needs a file name");
            choices.target = arg == "--pdf" ? OutputTarget::kPdf : OutputTarget::kWorkbook;
            choices.outputPath = QFileInfo(QString::fromStdString(*v)).absoluteFilePath();
            options.targetGiven = true;
        } else if (print && arg == "--printer") {
            if (!(v = value())) return bad("--printer needs a printer name");
            choices.printer = QString::fromStdString(*v);
        } else if (arg == "--pattern") {
            if (!(v = value()) || (*v != "0" && *v != "1" && *v != "2"))
                return bad("--pattern takes 0, 1 or 2");
            choices.pattern = std::stoi(*v);
            options.patternGiven = true;
        } else if (arg == "--sheets") {
            if (!(v = value()) || !TakeSheets(*v, choices, details))
                return bad("--sheets takes a list of cover, summary, breakdown, detail");
            options.sheetsGiven = true;
        } else if (arg == "--cost") {
            choices.cost = true;
        } else if (arg == "--itemised") {
            choices.itemised = true;
        } else if (arg == "--constructions") {
            if (!(v = value())) return bad("--constructions takes all or breakdown rows 1,3,...");
            constructions = *v;
        } else if (arg == "--free") {
            if (!(v = value())) return bad("--free takes summary, breakdown or details");
            choices.freeForm = true;
            if (*v == "summary") {
                choices.freeFormSource = FreeFormSource::kSummary;
            } else if (*v == "breakdown") {
                choices.freeFormSource = FreeFormSource::kBreakdown;
            } else if (*v == "details") {
                choices.freeFormSource = FreeFormSource::kDetails;
            } else {
                return bad("--free takes summary, breakdown or details");
            }
        } else if (arg == "--lines-totals") {
            choices.linesTotals = true;
        } else if (arg == "--doc-number" || arg == "--print-date") {
            if (!(v = value())) return bad(arg + " needs a text");
            TypedTextRefusal refusal;
            const auto text = TypedUtf8ToCp932(*v, &refusal);
            if (!text)
                return bad(
                    TypedTextRefusalMessage(refusal, QString::fromStdString(arg)).toStdString());
            // As long as the dialog's fields take: 運用番号 15 bytes, 印刷日 22.
            if (arg == "--doc-number") {
                choices.documentNumber = CutToBytes(*text, 15);
            } else {
                choices.printDate = CutToBytes(*text, 22);
            }
        } else if (options.number.empty() && !arg.starts_with("--")) {
            options.number = arg;
        } else {
            return bad("unexpected argument '" + arg + "'");
        }
    }
    if (options.number.empty()) return bad("no estimate number given");
    if (choices.itemised && choices.freeForm)
        return bad("--itemised goes with the standard sheets, not with --free");
    if (!print && !options.targetGiven) return bad("give --xlsx FILE or --pdf FILE");
    if (!TakeConstructions(constructions, choices))
        return bad("--constructions takes all or breakdown rows 1,3,... (1-300)");
    if (!details) choices.constructions.fill(false);
    return true;
}

int Run(const char* command, std::vector<std::string> args, bool print) {
    Answer answer = Answer::kUnset;
    if (!TakeAnswerFlag(args, answer)) return kExitUsage;
    Options options;
    if (!ParseOptions(command, args, print, options)) return kExitUsage;
    const std::string prefix = std::string(command) + ": ";

    Environment environment;
    LoadEnvironment(environment);
    EditorSession session;
    if (!LoadCalculatedEstimate(command, options.number, environment, session)) return kExitFailed;
    EstimateDocument& document = session.Document();
    // As in the dialog: the estimate's own pattern unless another is chosen, and the
    // summary printed by default when the estimate totals on it.
    if (!options.patternGiven)
        options.choices.pattern = InitialOutputPattern(document, kChoosablePatterns);
    if (!options.sheetsGiven && document.CheckBox1()) options.choices.summary = true;
    // A free-form output heads its first page with these; the estimate itself is left as
    // it is.
    OutputChoices& choices = options.choices;
    if (choices.freeForm) {
        if (!choices.documentNumber.empty())
            document.SetText(HeaderText::MBiko10, choices.documentNumber);
        if (choices.printDate.empty()) choices.printDate = document.Text(HeaderText::MYMD4);
    }

    // A cover whose tax words contradict its figures goes out only when the user says so.
    CliQuestions questions(answer);
    if (!ConfirmTaxTick(questions, document, choices)) {
        PrintError(prefix + "nothing was written");
        return kExitFailed;
    }

    TerminalProgress progress(command);
    const OutputResult result =
        ProduceOutput(MakeOutputJob(document, environment, choices), progress);
    if (!result.note.isEmpty()) PrintError(prefix + result.note.toStdString());
    switch (result.status) {
        case OutputStatus::kDone:
            break;
        case OutputStatus::kNoData:
            PrintError(prefix + "nothing to print (印刷データがありません。)");
            return kExitNothingToPrint;
        case OutputStatus::kNoTemplate:
            PrintError(prefix + "the template " + result.templatePath.toStdString() +
                       " is missing (エクセルの表がありません。)");
            return kExitFailed;
        case OutputStatus::kFailed:
        case OutputStatus::kDeclined:
        case OutputStatus::kCancelled:  // the command line has no cancel
            PrintError(prefix + result.error.toStdString());
            return kExitFailed;
    }
    // A PDF or a print goes to a client: it is kept in the issued-document archive.
    if (choices.target != OutputTarget::kWorkbook) {
        const ArchiveOutcome kept =
            HandOverIssuedPdf(document, environment, choices, result.pdfPath);
        if (kept.result != ArchiveResult::kArchived)
            PrintError(prefix + ArchiveFailureNote(kept).toStdString());
    }
    const QString written =
        choices.target == OutputTarget::kWorkbook ? result.workbookPath : result.pdfPath;
    if (!written.isEmpty()) std::printf("%s\n", written.toStdString().c_str());
    std::fprintf(stderr, "%s%d page%s\n", prefix.c_str(), result.pages,
                 result.pages == 1 ? "" : "s");
    return kExitDone;
}

}  // namespace

int RunExport(const std::vector<std::string>& args) { return Run("export", args, false); }
int RunPrint(const std::vector<std::string>& args) { return Run("print", args, true); }

}  // namespace quilto::cli
