#include "support/scripted_questions.h"

#include <gtest/gtest.h>

namespace quilto::test {
namespace {

const char* KindName(ScriptedQuestions::Kind kind) {
    switch (kind) {
        case ScriptedQuestions::Kind::Buttons:
            return "AskButtons";
        case ScriptedQuestions::Kind::OkCancel:
            return "AskOkCancel";
        case ScriptedQuestions::Kind::Inform:
            return "Inform";
        case ScriptedQuestions::Kind::Text:
            return "AskText";
        case ScriptedQuestions::Kind::Folder:
            return "AskFolder";
    }
    return "?";
}

ScriptedQuestions::Asked MakeAsked(ScriptedQuestions::Kind kind, const std::string& message,
                                   const std::string& caption) {
    ScriptedQuestions::Asked asked;
    asked.kind = kind;
    asked.message = message;
    asked.caption = caption;
    return asked;
}

}  // namespace

ScriptedQuestions::Expected ScriptedQuestions::MakeExpected(Kind kind, std::string message,
                                                            std::optional<std::string> caption) {
    Expected e;
    e.kind = kind;
    e.message = std::move(message);
    e.caption = std::move(caption);
    return e;
}

ScriptedQuestions::~ScriptedQuestions() { Done(); }

ScriptedQuestions& ScriptedQuestions::ExpectButtons(std::string message, int answer,
                                                    std::optional<std::string> caption) {
    Expected e = MakeExpected(Kind::Buttons, std::move(message), std::move(caption));
    e.button = answer;
    script_.push_back(std::move(e));
    return *this;
}

ScriptedQuestions& ScriptedQuestions::ExpectOkCancel(std::string message, bool ok,
                                                     std::optional<std::string> caption) {
    Expected e = MakeExpected(Kind::OkCancel, std::move(message), std::move(caption));
    e.ok = ok;
    script_.push_back(std::move(e));
    return *this;
}

ScriptedQuestions& ScriptedQuestions::ExpectInform(std::string message,
                                                   std::optional<std::string> caption) {
    script_.push_back(MakeExpected(Kind::Inform, std::move(message), std::move(caption)));
    return *this;
}

ScriptedQuestions& ScriptedQuestions::ExpectInformStartingWith(std::string start) {
    Expected e = MakeExpected(Kind::Inform, std::move(start), std::nullopt);
    e.startOnly = true;
    script_.push_back(std::move(e));
    return *this;
}

ScriptedQuestions& ScriptedQuestions::ExpectText(std::string prompt,
                                                 std::optional<std::string> answer,
                                                 std::optional<std::string> caption) {
    Expected e = MakeExpected(Kind::Text, std::move(prompt), std::move(caption));
    e.text = std::move(answer);
    script_.push_back(std::move(e));
    return *this;
}

ScriptedQuestions& ScriptedQuestions::ExpectFolder(std::string message,
                                                   std::optional<std::string> answer,
                                                   std::optional<std::string> caption) {
    Expected e = MakeExpected(Kind::Folder, std::move(message), std::move(caption));
    e.text = std::move(answer);
    script_.push_back(std::move(e));
    return *this;
}

void ScriptedQuestions::Done() {
    for (const Expected& e : script_) {
        ADD_FAILURE() << "scripted " << KindName(e.kind) << " \"" << e.message
                      << "\" was never asked";
    }
    script_.clear();
}

std::optional<ScriptedQuestions::Expected> ScriptedQuestions::Take(const Asked& asked) {
    asked_.push_back(asked);
    if (script_.empty()) {
        ADD_FAILURE() << "unexpected " << KindName(asked.kind) << " \"" << asked.message
                      << "\" (caption \"" << asked.caption << "\")";
        return std::nullopt;
    }
    Expected e = std::move(script_.front());
    script_.pop_front();
    const bool sameMessage =
        e.startOnly ? asked.message.rfind(e.message, 0) == 0 : e.message == asked.message;
    const bool matches =
        e.kind == asked.kind && sameMessage && (!e.caption || *e.caption == asked.caption);
    if (!matches) {
        ADD_FAILURE() << "asked " << KindName(asked.kind) << " \"" << asked.message
                      << "\" (caption \"" << asked.caption << "\"), but the script expected "
                      << KindName(e.kind) << " \"" << e.message << "\""
                      << (e.caption ? " (caption \"" + *e.caption + "\")" : std::string());
        return std::nullopt;
    }
    return e;
}

ButtonAnswer ScriptedQuestions::AskButtons(const std::string& message, const std::string& caption,
                                           const std::string& button1, const std::string& button2,
                                           const std::string& button3) {
    form_.Apply(message, caption, button1, button2, button3);
    Asked asked = MakeAsked(Kind::Buttons, form_.Message(), form_.Caption());
    for (int n = 1; n <= ButtonQuestion::kButtons; ++n) {
        if (form_.ButtonShown(n)) asked.buttons[n - 1] = form_.ButtonCaption(n);
    }
    const auto e = Take(asked);
    if (!e) return ButtonAnswer::kEscape;
    if (e->button >= 1 && !form_.ButtonShown(e->button)) {
        ADD_FAILURE() << "the script presses button " << e->button << " for \"" << message
                      << "\", but that button does not show";
        return ButtonAnswer::kEscape;
    }
    return static_cast<ButtonAnswer>(e->button);
}

bool ScriptedQuestions::AskOkCancel(const std::string& message, const std::string& caption) {
    const auto e = Take(MakeAsked(Kind::OkCancel, message, caption));
    return e && e->ok;
}

void ScriptedQuestions::Inform(const std::string& message, const std::string& caption) {
    Take(MakeAsked(Kind::Inform, message, caption));
}

std::optional<std::string> ScriptedQuestions::AskText(const std::string& caption,
                                                      const std::string& prompt,
                                                      const std::string& initial) {
    Asked asked = MakeAsked(Kind::Text, prompt, caption);
    asked.initial = initial;
    const auto e = Take(asked);
    return e ? e->text : std::nullopt;
}

std::optional<std::string> ScriptedQuestions::AskFolder(const std::string& caption,
                                                        const std::string& message,
                                                        const std::string& initial) {
    Asked asked = MakeAsked(Kind::Folder, message, caption);
    asked.initial = initial;
    const auto e = Take(asked);
    return e ? e->text : std::nullopt;
}

}  // namespace quilto::test
