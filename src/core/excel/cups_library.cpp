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
        error = std::string("libcups.so.2 に ").append(name).append(" がありません");
    return into != nullptr;
}

Loaded Load() {
    Loaded loaded;
    // The soname of the library the headers describe; RTLD_LOCAL keeps its symbols to us.
    void* handle = dlopen("libcups.so.2", RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        const char* why = dlerror();
        loaded.error =
            std::string("印刷サービス (CUPS) のライブラリ libcups.so.2 を読み込めません (")
                .append(why != nullptr ? why : "理由不明")
                .append(")。インストールするには: sudo apt install libcups2");
        return loaded;
    }
    // Every symbol is tried so that the message names the first one missing.
    bool ok = true;
#define QUILTO_CUPS_RESOLVE(field, symbol) \
    ok = Resolve(handle, #symbol, loaded.functions.field, loaded.error) && ok;
    QUILTO_CUPS_FUNCTIONS(QUILTO_CUPS_RESOLVE)
#undef QUILTO_CUPS_RESOLVE
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
