#pragma once

// The printing system's client library, loaded the first time something prints or asks
// for the printers. Linking it would load it (and the twenty libraries it needs: TLS,
// Kerberos, Avahi, D-Bus) into every start of the program and the command line, which
// roughly doubles the time `quilto-cli --help` takes, though most runs never print.

#include <cups/cups.h>

#include <string>

namespace quilto {

// Each function the program calls, by the field it is kept in and its name in the library.
#define QUILTO_CUPS_FUNCTIONS(X)            \
    X(addOption, cupsAddOption)             \
    X(encryption, cupsEncryption)           \
    X(freeDests, cupsFreeDests)             \
    X(freeOptions, cupsFreeOptions)         \
    X(getDest, cupsGetDest)                 \
    X(getDests2, cupsGetDests2)             \
    X(getNamedDest, cupsGetNamedDest)       \
    X(lastErrorString, cupsLastErrorString) \
    X(printFile2, cupsPrintFile2)           \
    X(server, cupsServer)                   \
    X(setDests2, cupsSetDests2)             \
    X(httpClose, httpClose)                 \
    X(httpConnect2, httpConnect2)           \
    X(ippPort, ippPort)

struct CupsLibrary {
#define QUILTO_CUPS_FIELD(field, symbol) decltype(&::symbol) field;
    QUILTO_CUPS_FUNCTIONS(QUILTO_CUPS_FIELD)
#undef QUILTO_CUPS_FIELD
};

// The library's functions, or nullptr when it cannot be loaded (then `error`, if given,
// says why and how to install it). Loaded once; safe to call from any thread.
const CupsLibrary* Cups(std::string* error = nullptr);

}  // namespace quilto
