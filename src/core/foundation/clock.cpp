#include "core/foundation/clock.h"

#include <utility>

namespace quilto {
namespace {
QDate g_fixedToday;  // invalid: use the system clock
QDateTime g_fixedNow;
}  // namespace

QDate Today() { return g_fixedToday.isValid() ? g_fixedToday : QDate::currentDate(); }

FixedToday::FixedToday(QDate day) : previous_(g_fixedToday) { g_fixedToday = day; }
FixedToday::~FixedToday() { g_fixedToday = previous_; }

QDateTime Now() { return g_fixedNow.isValid() ? g_fixedNow : QDateTime::currentDateTime(); }

FixedNow::FixedNow(QDateTime moment) : previous_(g_fixedNow) { g_fixedNow = std::move(moment); }
FixedNow::~FixedNow() { g_fixedNow = previous_; }

}  // namespace quilto
