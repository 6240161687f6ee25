#include "foundation/clock.h"

namespace quilto {
namespace {
QDate g_fixedToday;  // invalid: use the system clock
}

QDate Today() { return g_fixedToday.isValid() ? g_fixedToday : QDate::currentDate(); }

FixedToday::FixedToday(QDate day) : previous_(g_fixedToday) { g_fixedToday = day; }
FixedToday::~FixedToday() { g_fixedToday = previous_; }

}  // namespace quilto
