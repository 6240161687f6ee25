#include "cli/cli_support.h"

#include <QFileInfo>

#include <QFile>

#include <algorithm>
#include <cstdio>

#include "core/editor/editor_session.h"
#include "core/foundation/cp932.h"
#include "core/foundation/typed_text.h"
#include "core/store/environment.h"

namespace quilto::cli {

bool TakeAnswerFlag(std::vector<std::string>& args, Answer& answer) {
    const bool yes = std::find(args.begin(), args.end(), "--yes") != args.end();
    const bool no = std::find(args.begin(), args.end(), "--no") != args.end();
    if (yes && no) {
        PrintError("--yes and --no exclude each other");
        return false;
    }
    answer = yes ? Answer::kYes : (no ? Answer::kNo : Answer::kUnset);
    std::erase_if(args, [](const std::string& a) { return a == "--yes" || a == "--no"; });
    return true;
}

void CliQuestions::Note(const std::string& question, const std::string& answer) const {
    std::string line = "question: " + question + " -> " + answer;
    if (answer_ == Answer::kUnset) line += " (no --yes or --no given)";
    PrintError(line);
}

ButtonAnswer CliQuestions::AskButtons(const std::string& message, const std::string& caption,
                                      const std::string& button1, const std::string&,
                                      const std::string&) {
    const bool yes = answer_ == Answer::kYes;
    Note(caption.empty() ? message : caption + ": " + message, yes ? "\"" + button1 + "\"" : "Esc");
    return yes ? ButtonAnswer::kFirst : ButtonAnswer::kEscape;
}

bool CliQuestions::AskOkCancel(const std::string& message, const std::string& caption) {
    const bool yes = answer_ == Answer::kYes;
    Note(caption.empty() ? message : caption + ": " + message, yes ? "OK" : "Cancel");
    return yes;
}

void CliQuestions::Inform(const std::string& message, const std::string& caption) {
    PrintError(caption.empty() ? message : caption + ": " + message);
}

std::optional<std::string> CliQuestions::AskText(const std::string& caption,
                                                 const std::string& prompt, const std::string&) {
    Note(caption.empty() ? prompt : caption + ": " + prompt, "cancelled");
    return std::nullopt;
}

EnvironmentFileResult LoadEnvironment(Environment& environment) {
    return ReadEnvironment(environment);
}

std::string JsonText(std::string_view cp932) {
    if (auto utf8 = Cp932ToUtf8(cp932)) return *utf8;
    return Cp932ToQStringLossy(cp932).toStdString();
}

std::optional<std::string> Cp932Text(const nlohmann::json& value, std::string_view field,
                                     std::string& error) {
    if (!value.is_string()) {
        error = std::string(field) + ": not a text";
        return std::nullopt;
    }
    TypedTextRefusal refusal;
    if (auto bytes = TypedUtf8ToCp932(value.get_ref<const std::string&>(), &refusal)) return bytes;
    const QString name = QString::fromUtf8(field.data(), static_cast<qsizetype>(field.size()));
    error = TypedTextRefusalMessage(refusal, name).toStdString();
    return std::nullopt;
}

std::string EstimateReadFailure(const QString& path) {
    const QFileInfo info(path);
    QFile file(path);
    const QString reason = !info.exists() ? QStringLiteral("no such file")
                           : !file.open(QIODevice::ReadOnly)
                               ? file.errorString()
                               : QStringLiteral("too short or damaged");
    return (info.absoluteFilePath() + QStringLiteral(": ") + reason).toStdString();
}

void PrintError(std::string_view message) {
    std::fprintf(stderr, "quilto-cli: %.*s\n", static_cast<int>(message.size()), message.data());
}

bool LoadCalculatedEstimate(const std::string& command, const std::string& number,
                            Environment& environment, EditorSession& session) {
    const std::string prefix = command + ": ";
    session.UseSettings(environment);
    if (session.Open(environment, number, EntryMode::kOutput) != EstimateResult::kOk) {
        PrintError(prefix + "estimate " + number + " cannot be read (" +
                   EstimateReadFailure(EstimateFilePath(environment, number)) + ")");
        return false;
    }
    if (session.Document().ForeignFile()) {
        PrintError(prefix + number + " is not an estimate file");
        return false;
    }
    if (const auto overflow = session.Recalculate()) {
        // A capped figure is never written anywhere.
        PrintError(prefix + CalculationOverflowMessage(*overflow) + " Nothing was written.");
        return false;
    }
    return true;
}

}  // namespace quilto::cli
