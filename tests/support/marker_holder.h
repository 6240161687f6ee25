#pragma once

#include <sys/types.h>

namespace quilto::test {

// Another running copy of the program holding a marker: a forked child that takes the
// marker's lock as the program does and keeps it until it is killed. Only plain system
// calls run in the child.
class MarkerHolder {
  public:
    explicit MarkerHolder(const char* path);
    ~MarkerHolder();
    MarkerHolder(const MarkerHolder&) = delete;
    MarkerHolder& operator=(const MarkerHolder&) = delete;
    bool Held() const { return held_; }

  private:
    pid_t pid_ = -1;
    bool held_ = false;
};

}  // namespace quilto::test
