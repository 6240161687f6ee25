// The floor of `quilto-cli list`: a bare program (C library only, no Qt, no Quilto code)
// that walks a data folder, reads the header of every m_*.dat in it and writes one line per
// file. Whatever the CLI spends beyond this is start-up, conversion and formatting.
//
//   list_floor_reader DATA_FOLDER   (lines on stdout)
//   list_floor_reader               (only starts and ends: the floor of any process start)

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

namespace {

// The size of an estimate header; kept here by hand so that the floor links nothing.
constexpr std::size_t kHeaderSize = 1392;

bool IsEstimateName(const char* name) {
    const std::size_t n = std::strlen(name);
    return n >= 6 && (name[0] == 'm' || name[0] == 'M') && name[1] == '_' &&
           strcasecmp(name + n - 4, ".dat") == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) return 0;
    const int folder = ::open(argv[1], O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = folder < 0 ? nullptr : ::fdopendir(folder);
    if (dir == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    char header[kHeaderSize];
    while (const dirent* entry = ::readdir(dir)) {
        if (!IsEstimateName(entry->d_name)) continue;
        const int fd = ::openat(folder, entry->d_name, O_RDONLY | O_CLOEXEC);
        if (fd < 0) continue;
        const ssize_t got = ::read(fd, header, sizeof header);
        ::close(fd);
        // One line of output for every file, as in the real list.
        std::printf("%s %zd\n", entry->d_name, got);
    }
    ::closedir(dir);
    return 0;
}
