#include "core/editor/customer_honorific.h"

#include <array>

namespace quilto {

namespace {

constexpr std::string_view kFullWidthSpace = "\u3000";

std::string_view TrimmedEnd(std::string_view text) {
    for (;;) {
        if (!text.empty() && text.back() == ' ') {
            text.remove_suffix(1);
        } else if (text.ends_with(kFullWidthSpace)) {
            text.remove_suffix(kFullWidthSpace.size());
        } else {
            return text;
        }
    }
}

}  // namespace

std::string TrailingHonorific(std::string_view name) {
    static constexpr std::array<std::string_view, 3> kHonorifics = {"様", "御中", "殿"};
    const std::string_view trimmed = TrimmedEnd(name);
    for (std::string_view honorific : kHonorifics) {
        // A name that is only the honorific is no name with an honorific added.
        if (trimmed.size() > honorific.size() && trimmed.ends_with(honorific))
            return std::string(honorific);
    }
    return {};
}

std::string DoubleHonorificWarning::Check(std::string_view name) {
    const std::string honorific = TrailingHonorific(name);
    if (honorific.empty() || name == warnedFor_) return {};
    warnedFor_ = name;
    return "お客様名が「" + honorific + "」で終わっています。\n表紙はお客様名のあとに「" +
           kCoverHonorific + "」を付けて印刷するため、「" + std::string(TrimmedEnd(name)) + " " +
           kCoverHonorific + "」と印刷されます。\nお名前だけを入力して下さい。";
}

}  // namespace quilto
