#pragma once

#include <QDate>
#include <QDateTime>

namespace quilto {

// The one source of today's date for the whole program, so that tests can fix the day.
QDate Today();

// While alive, Today() answers the given date.
class FixedToday {
  public:
    explicit FixedToday(QDate day);
    ~FixedToday();
    FixedToday(const FixedToday&) = delete;
    FixedToday& operator=(const FixedToday&) = delete;

  private:
    QDate previous_;
};

// The local date and time, for names of kept copies; fixed with FixedNow in tests.
QDateTime Now();

// While alive, Now() answers the given moment.
class FixedNow {
  public:
    explicit FixedNow(QDateTime moment);
    ~FixedNow();
    FixedNow(const FixedNow&) = delete;
    FixedNow& operator=(const FixedNow&) = delete;

  private:
    QDateTime previous_;
};

}  // namespace quilto
