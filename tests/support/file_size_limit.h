#pragma once

#include <sys/resource.h>

namespace quilto::test {

// Makes every write beyond maxBytes of any one file fail (EFBIG) for the life of the
// object, as a full disk would, and holds for root too, unlike a read-only folder. The
// signal such a write raises is ignored meanwhile so the failure reaches the caller.
class FileSizeLimit {
  public:
    explicit FileSizeLimit(rlim_t maxBytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

  private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
};

}  // namespace quilto::test
