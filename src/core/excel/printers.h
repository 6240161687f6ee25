#pragma once

// The printers the user can print to, and which one is the default. The output prints to
// the default printer; the printer setup makes another one the default for this user only
// (what `lp` and LibreOffice then print to), never for the whole machine.

#include <memory>
#include <string>
#include <vector>

namespace quilto {

class PrinterSource {
  public:
    virtual ~PrinterSource() = default;

    // Every printer the user can print to, by name ("queue" or "queue/instance", UTF-8).
    virtual std::vector<std::string> Printers() = 0;
    // The printer printing goes to when none is named; empty when there is none.
    virtual std::string DefaultPrinter() = 0;
    // Makes a printer of Printers() the user's default: true, or false with the reason.
    virtual bool MakeDefault(const std::string& name, std::string* error) = 0;
};

// The printers of the CUPS scheduler (and the user's lpoptions). Making one the default
// writes the user's lpoptions file (~/.cups/lpoptions).
std::unique_ptr<PrinterSource> CupsPrinters();

// The message shown when a printer cannot be made the default because it is gone.
inline constexpr char kPrinterNotFoundMessage[] = "Printer.GetPrinter エラー";

}  // namespace quilto
