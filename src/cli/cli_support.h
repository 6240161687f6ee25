#pragma once

#include <QString>

// Helpers shared by the commands of quilto-cli: answering the questions of the core
// without a display, loading the working folder's environment, and carrying texts between
// the CP932 of the files and the UTF-8 of JSON and the terminal.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/foundation/questions.h"
#include "core/store/environment.h"

namespace quilto {
class EditorSession;
}  // namespace quilto

namespace quilto::cli {

// How the questions of a run are answered: --yes accepts, --no declines; with neither,
// a question is declined and said so on stderr, since nobody is there to answer it.
enum class Answer { kUnset, kYes, kNo };

// Removes --yes and --no from args. False (told on stderr) when both are given.
bool TakeAnswerFlag(std::vector<std::string>& args, Answer& answer);

// The question seam on a terminal. Messages and questions go to stderr as UTF-8.
// OK/Cancel: OK for --yes, otherwise Cancel. Three buttons: the first for --yes, otherwise
// Esc (0), which backs out of whatever asked. Input boxes are cancelled.
class CliQuestions : public Questions {
  public:
    explicit CliQuestions(Answer answer) : answer_(answer) {}

    ButtonAnswer AskButtons(const std::string& message, const std::string& caption,
                            const std::string& button1, const std::string& button2,
                            const std::string& button3) override;
    bool AskOkCancel(const std::string& message, const std::string& caption) override;
    void Inform(const std::string& message, const std::string& caption = {}) override;
    std::optional<std::string> AskText(const std::string& caption, const std::string& prompt,
                                       const std::string& initial) override;

  private:
    void Note(const std::string& question, const std::string& answer) const;

    Answer answer_;
};

// Reads sp_jis.dat of the working folder as the program does at start: 0, or -1 when it
// is missing or short (the environment then stays cleared).
EnvironmentFileResult LoadEnvironment(Environment& environment);

// A stored CP932 text for JSON; bytes that start no CP932 character become U+FFFD.
std::string JsonText(std::string_view cp932);
// A JSON text as CP932, taken as typed text: the code points input methods type for
// CP932's characters are mapped to them. nullopt, with error naming the field and the
// character, when the value is not a string, holds a control character (tab, newline, ...)
// or a character CP932 cannot store.
std::optional<std::string> Cp932Text(const nlohmann::json& value, std::string_view field,
                                     std::string& error);

// Why the estimate file at path could not be read: "<absolute path>: <reason>".
std::string EstimateReadFailure(const QString& path);

// Loads estimate `number` into the session for output (entry mode 6), calculating with the
// environment's settings, and brings every figure up to date as a save would. False, told on stderr
// as "<command>: ...", when the file cannot be read, is no estimate, or a figure runs past the
// range the program can hold.
bool LoadCalculatedEstimate(const std::string& command, const std::string& number,
                            Environment& environment, EditorSession& session);

// "quilto-cli: <message>" on stderr.
void PrintError(std::string_view message);

}  // namespace quilto::cli
