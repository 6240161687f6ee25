#pragma once

// The cover prints the customer's name followed by an honorific of its own, so a name typed
// with one already ("山田太郎 様") would print it twice. The editor shows the honorific
// beside the field and warns once when a typed name already ends in one.

#include <string>
#include <string_view>

namespace quilto {

// The honorific the shipped covers print after the customer's name (UTF-8).
inline constexpr char kCoverHonorific[] = "様";

// The honorific (様, 御中 or 殿) a customer name ends in, trailing blanks of either width
// ignored; empty when it ends in none. UTF-8, as the field shows it.
std::string TrailingHonorific(std::string_view name);

// Remembers the name it last warned about, so that leaving the field again with the same
// name says nothing more.
class DoubleHonorificWarning {
  public:
    // The warning for a name the user has just typed, or empty: none when the name ends in
    // no honorific or this very name was warned about already.
    std::string Check(std::string_view name);
    // A name that was not typed (an estimate opened) is taken as already seen.
    void Seen(std::string_view name) { warnedFor_ = name; }

  private:
    std::string warnedFor_;
};

}  // namespace quilto
