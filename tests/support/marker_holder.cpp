#include "support/marker_holder.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

namespace quilto::test {

MarkerHolder::MarkerHolder(const char* path) {
    int ready[2];
    if (::pipe(ready) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
        ::close(ready[0]);
        const int fd = ::open(path, O_RDWR | O_CREAT, 0666);
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        const char held = (fd >= 0 && ::fcntl(fd, F_OFD_SETLK, &lock) == 0) ? 1 : 0;
        (void)::write(ready[1], &held, 1);
        for (;;) ::pause();
    }
    ::close(ready[1]);
    char held = 0;
    held_ = ::read(ready[0], &held, 1) == 1 && held == 1;
    ::close(ready[0]);
}

MarkerHolder::~MarkerHolder() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGKILL);
    ::waitpid(pid_, nullptr, 0);
}

}  // namespace quilto::test
