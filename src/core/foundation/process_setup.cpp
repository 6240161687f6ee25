#include "core/foundation/process_setup.h"

#include <csignal>

namespace quilto {

void IgnoreFileSizeSignal() { std::signal(SIGXFSZ, SIG_IGN); }

}  // namespace quilto
