#pragma once

#include <QDate>

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

}  // namespace quilto
