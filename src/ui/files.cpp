#include "ui/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>

namespace ui {

int open_regular_file(const std::string& path, off_t* size) {
    // Without O_NONBLOCK, opening a pipe waits for a writer, for ever if none
    // comes; with it the open returns and fstat tells what the file is.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return -1;
    struct stat st {};
    const int flags = ::fcntl(fd, F_GETFL);
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags < 0 ||
        ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return -1;
    }
    if (size) *size = st.st_size;
    return fd;
}

std::optional<std::vector<uint8_t>> read_file(const std::string& path) {
    off_t size = 0;
    const int fd = open_regular_file(path, &size);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<uint8_t>> result;
    if (size >= 0 && uint64_t(size) <= kMaxMediaBytes) {
        try {
            std::vector<uint8_t> bytes;
            bytes.reserve(size_t(size));
            uint8_t buf[65536];
            for (;;) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0) {
                    // A file that grows while it is read is held to the limit too.
                    if (size_t(n) > kMaxMediaBytes - bytes.size()) break;
                    bytes.insert(bytes.end(), buf, buf + n);
                } else if (n == 0) {
                    result = std::move(bytes);
                    break;
                } else if (errno != EINTR) {
                    break;
                }
            }
        } catch (const std::exception&) {
            // Out of memory: unreadable, like any other file that cannot be read.
        }
    }
    ::close(fd);
    return result;
}

}  // namespace ui
