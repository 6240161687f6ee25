#include "support/file_size_limit.h"

#include <csignal>
#include <stdexcept>

namespace quilto::test {

FileSizeLimit::FileSizeLimit(rlim_t maxBytes) {
    if (getrlimit(RLIMIT_FSIZE, &previous_) != 0) throw std::runtime_error("getrlimit");
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    rlimit limited = previous_;
    limited.rlim_cur = maxBytes;
    if (setrlimit(RLIMIT_FSIZE, &limited) != 0) throw std::runtime_error("setrlimit");
}

FileSizeLimit::~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &previous_);
    std::signal(SIGXFSZ, previousHandler_);
}

}  // namespace quilto::test
