#pragma once

#include <optional>
#include <string>

#include "core/foundation/questions.h"

namespace quilto::test {

// Says nothing and declines everything: for forked copies of the program, where a failing
// gtest expectation would report to nobody.
class SilentQuestions : public Questions {
  public:
    ButtonAnswer AskButtons(const std::string&, const std::string&, const std::string&,
                            const std::string&, const std::string&) override {
        return ButtonAnswer::kEscape;
    }
    bool AskOkCancel(const std::string&, const std::string&) override { return false; }
    void Inform(const std::string&, const std::string&) override {}
    std::optional<std::string> AskText(const std::string&, const std::string&,
                                       const std::string&) override {
        return std::nullopt;
    }
};

}  // namespace quilto::test
