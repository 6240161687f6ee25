#include "core/excel/printers.h"

#include "core/excel/cups_library.h"

namespace quilto {

namespace {

std::string DestinationName(const cups_dest_t& dest) {
    std::string name = dest.name;
    if (dest.instance != nullptr && dest.instance[0] != '\0')
        name.append(1, '/').append(dest.instance);
    return name;
}

// The destinations as the scheduler and the lpoptions files give them, freed on leaving;
// none without the printing system's library.
class Destinations {
  public:
    Destinations() {
        if (cups_ != nullptr) count_ = cups_->getDests2(CUPS_HTTP_DEFAULT, &dests_);
    }
    ~Destinations() {
        if (cups_ != nullptr) cups_->freeDests(count_, dests_);
    }
    Destinations(const Destinations&) = delete;
    Destinations& operator=(const Destinations&) = delete;

    int Count() const { return count_; }
    cups_dest_t* Data() const { return dests_; }
    cups_dest_t* begin() const { return dests_; }
    cups_dest_t* end() const { return dests_ + count_; }

  private:
    const CupsLibrary* cups_ = Cups();
    cups_dest_t* dests_ = nullptr;
    int count_ = 0;
};

class CupsPrinterSource : public PrinterSource {
  public:
    std::vector<std::string> Printers() override {
        std::vector<std::string> names;
        const Destinations dests;
        for (const cups_dest_t& dest : dests) names.push_back(DestinationName(dest));
        return names;
    }

    std::string DefaultPrinter() override {
        const CupsLibrary* cups = Cups();
        if (cups == nullptr) return {};
        const Destinations dests;
        // With no name cupsGetDest answers the default: LPDEST or PRINTER when set, else the
        // one the lpoptions files or the scheduler mark.
        const cups_dest_t* dest = cups->getDest(nullptr, nullptr, dests.Count(), dests.Data());
        return dest == nullptr ? std::string() : DestinationName(*dest);
    }

    bool MakeDefault(const std::string& name, std::string* error) override {
        std::string unavailable;
        const CupsLibrary* cups = Cups(&unavailable);
        if (cups == nullptr) {
            if (error != nullptr) *error = unavailable;
            return false;
        }
        const Destinations dests;
        cups_dest_t* chosen = nullptr;
        for (cups_dest_t& dest : dests) {
            dest.is_default = 0;
            if (DestinationName(dest) == name) chosen = &dest;
        }
        if (chosen == nullptr) {
            if (error != nullptr) *error = kPrinterNotFoundMessage;
            return false;
        }
        chosen->is_default = 1;
        if (cups->setDests2(CUPS_HTTP_DEFAULT, dests.Count(), dests.Data()) != 0) {
            if (error != nullptr) {
                *error =
                    std::string("通常使うプリンタを設定できませんでした (~/.cups/lpoptions: ") +
                    cups->lastErrorString() + ")";
            }
            return false;
        }
        return true;
    }
};

}  // namespace

std::unique_ptr<PrinterSource> CupsPrinters() { return std::make_unique<CupsPrinterSource>(); }

}  // namespace quilto
