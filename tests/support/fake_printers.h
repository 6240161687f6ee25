#pragma once

#include <string>
#include <vector>

#include "core/excel/printers.h"

namespace quilto::test {

// Printers as a test says, remembering what was made the default.
class FakePrinters : public PrinterSource {
  public:
    std::vector<std::string> Printers() override { return names; }
    std::string DefaultPrinter() override { return current; }
    bool MakeDefault(const std::string& name, std::string* error) override {
        made.push_back(name);
        if (!refusal.empty()) {
            *error = refusal;
            return false;
        }
        current = name;
        return true;
    }

    std::vector<std::string> names;
    std::string current;
    std::string refusal;  // when set, MakeDefault fails with it
    std::vector<std::string> made;
};

}  // namespace quilto::test
