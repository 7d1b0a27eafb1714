#include "ui/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace ui {

std::optional<std::vector<uint8_t>> read_file(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<uint8_t>> result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        std::vector<uint8_t> bytes;
        bytes.reserve(size_t(st.st_size));
        uint8_t buf[65536];
        for (;;) {
            const ssize_t n = ::read(fd, buf, sizeof buf);
            if (n > 0) {
                bytes.insert(bytes.end(), buf, buf + n);
            } else if (n == 0) {
                result = std::move(bytes);
                break;
            } else if (errno != EINTR) {
                break;
            }
        }
    }
    ::close(fd);
    return result;
}

}  // namespace ui
