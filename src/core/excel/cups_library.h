#pragma once

// The printing system's client library, loaded the first time something prints or asks
// for the printers. Linking it would load it (and the twenty libraries it needs: TLS,
// Kerberos, Avahi, D-Bus) into every start of the program and the command line, which
// roughly doubles the time `quilto-cli --help` takes, though most runs never print.

#include <cups/cups.h>

#include <string>

namespace quilto {

struct CupsLibrary {
    decltype(&::cupsAddOption) addOption;
    decltype(&::cupsEncryption) encryption;
    decltype(&::cupsFreeDests) freeDests;
    decltype(&::cupsFreeOptions) freeOptions;
    decltype(&::cupsGetDest) getDest;
    decltype(&::cupsGetDests2) getDests2;
    decltype(&::cupsGetNamedDest) getNamedDest;
    decltype(&::cupsLastErrorString) lastErrorString;
    decltype(&::cupsPrintFile2) printFile2;
    decltype(&::cupsServer) server;
    decltype(&::cupsSetDests2) setDests2;
    decltype(&::httpClose) httpClose;
    decltype(&::httpConnect2) httpConnect2;
    decltype(&::ippPort) ippPort;
};

// The library's functions, or nullptr when it cannot be loaded (then `error`, if given,
// says why and how to install it). Loaded once; safe to call from any thread.
const CupsLibrary* Cups(std::string* error = nullptr);

}  // namespace quilto
