#include "core/excel/cups_library.h"

#include <dlfcn.h>

namespace quilto {
namespace {

struct Loaded {
    CupsLibrary functions{};
    bool ok = false;
    std::string error;
};

template <typename F>
bool Resolve(void* handle, const char* name, F& into, std::string& error) {
    into = reinterpret_cast<F>(dlsym(handle, name));
    if (into == nullptr && error.empty())
        error = std::string("libcups.so.2 に ") + name + " がありません";
    return into != nullptr;
}

Loaded Load() {
    Loaded loaded;
    // The soname of the library the headers describe; RTLD_LOCAL keeps its symbols to us.
    void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        loaded.error = "印刷サービス (CUPS) のライブラリ libcups.so.2 を読み込めません (" +
                       std::string(why != nullptr ? why : "理由不明") +
                       ")。インストールするには: sudo apt install libcups2";
        return loaded;
    }
    CupsLibrary& f = loaded.functions;
    std::string& e = loaded.error;
    // Every symbol is tried so that the message names the first one missing.
    bool ok = Resolve(handle, "cupsAddOption", f.addOption, e);
    ok = Resolve(handle, "cupsEncryption", f.encryption, e) && ok;
    ok = Resolve(handle, "cupsFreeDests", f.freeDests, e) && ok;
    ok = Resolve(handle, "cupsFreeOptions", f.freeOptions, e) && ok;
    ok = Resolve(handle, "cupsGetDest", f.getDest, e) && ok;
    ok = Resolve(handle, "cupsGetDests2", f.getDests2, e) && ok;
    ok = Resolve(handle, "cupsGetNamedDest", f.getNamedDest, e) && ok;
    ok = Resolve(handle, "cupsLastErrorString", f.lastErrorString, e) && ok;
    ok = Resolve(handle, "cupsPrintFile2", f.printFile2, e) && ok;
    ok = Resolve(handle, "cupsServer", f.server, e) && ok;
    ok = Resolve(handle, "cupsSetDests2", f.setDests2, e) && ok;
    ok = Resolve(handle, "httpClose", f.httpClose, e) && ok;
    ok = Resolve(handle, "httpConnect2", f.httpConnect2, e) && ok;
    ok = Resolve(handle, "ippPort", f.ippPort, e) && ok;
    // The handle stays open for the rest of the run: the functions are used until the end.
    loaded.ok = ok;
    return loaded;
}

}  // namespace

const CupsLibrary* Cups(std::string* error) {
    static const Loaded loaded = Load();
    if (!loaded.ok && error != nullptr) *error = loaded.error;
    return loaded.ok ? &loaded.functions : nullptr;
}

}  // namespace quilto
