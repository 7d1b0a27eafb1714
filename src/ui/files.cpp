#include "ui/files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <exception>
#include <system_error>

namespace ui {

namespace {

FileError fault(FileFault f, int code = 0, mode_t mode = 0) { return FileError{f, code, mode}; }

// What a failed stat or open means for the file.
FileError from_errno(int code) {
    switch (code) {
    case ENOENT:
    case ENOTDIR:
        return fault(FileFault::missing, code);
    case EACCES:
    case EPERM:
        return fault(FileFault::denied, code);
    case ENOMEM:
        return fault(FileFault::no_memory, code);
    default:
        return fault(FileFault::failed, code);
    }
}

}  // namespace

std::string FileError::text() const {
    switch (fault) {
    case FileFault::none:
        return "no error";
    case FileFault::missing:
        return "no such file";
    case FileFault::denied:
        return "permission denied";
    case FileFault::not_regular:
        switch (mode & S_IFMT) {
        case S_IFDIR:
            return "not a regular file (a folder)";
        case S_IFIFO:
            return "not a regular file (a named pipe)";
        case S_IFCHR:
        case S_IFBLK:
            return "not a regular file (a device)";
        case S_IFSOCK:
            return "not a regular file (a socket)";
        default:
            return "not a regular file";
        }
    case FileFault::changed:
        return "replaced by another file while it was opened";
    case FileFault::too_large:
        return "too large (more than " + std::to_string(kMaxMediaBytes >> 20) + " MiB)";
    case FileFault::empty:
        return "empty";
    case FileFault::no_memory:
        return "out of memory";
    case FileFault::failed:
        break;
    }
    // The message of the system's own, thread-safe.
    return code ? std::error_code(code, std::generic_category()).message() : "cannot be read";
}

int open_regular_file(const std::string& path, off_t* size, FileError* error) {
    FileError ignored;
    FileError& why = error ? *error : ignored;
    why = FileError{};
    // First a look at what the path names: opening anything but a regular
    // file runs its driver's open routine, which for a device may do
    // something (a tape rewinds, a serial line hangs up) and for a pipe waits.
    struct stat looked {};
    if (::stat(path.c_str(), &looked) != 0) {
        why = from_errno(errno);
        return -1;
    }
    if (!S_ISREG(looked.st_mode)) {
        why = fault(FileFault::not_regular, 0, looked.st_mode & S_IFMT);
        return -1;
    }
    // Without blocking all the same: should something else be put in the
    // file's place meanwhile, a pipe opens at once rather than waiting for a
    // writer, and the check below refuses it.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) {
        why = from_errno(errno);
        return -1;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0) {
        why = from_errno(errno);
    } else if (!S_ISREG(opened.st_mode)) {
        why = fault(FileFault::not_regular, 0, opened.st_mode & S_IFMT);
    } else if (opened.st_dev != looked.st_dev || opened.st_ino != looked.st_ino) {
        why = fault(FileFault::changed);
    } else if (const int flags = ::fcntl(fd, F_GETFL); flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0) {
        why = from_errno(errno);
    } else {
        if (size) *size = opened.st_size;
        return fd;
    }
    ::close(fd);
    return -1;
}

std::optional<std::vector<uint8_t>> read_file(const std::string& path, FileError* error) {
    FileError ignored;
    FileError& why = error ? *error : ignored;
    off_t size = 0;
    const int fd = open_regular_file(path, &size, &why);
    if (fd < 0) return std::nullopt;
    std::optional<std::vector<uint8_t>> result;
    if (size < 0 || uint64_t(size) > kMaxMediaBytes) {
        why = fault(FileFault::too_large);
    } else {
        try {
            std::vector<uint8_t> bytes;
            bytes.reserve(size_t(size));
            uint8_t buf[65536];
            for (;;) {
                const ssize_t n = ::read(fd, buf, sizeof buf);
                if (n > 0) {
                    // A file that grows while it is read is held to the limit too.
                    if (size_t(n) > kMaxMediaBytes - bytes.size()) {
                        why = fault(FileFault::too_large);
                        break;
                    }
                    bytes.insert(bytes.end(), buf, buf + n);
                } else if (n == 0) {
                    if (bytes.empty()) why = fault(FileFault::empty);
                    else result = std::move(bytes);
                    break;
                } else if (errno != EINTR) {
                    why = from_errno(errno);
                    break;
                }
            }
        } catch (const std::exception&) {
            // Out of memory: unreadable, like any other file that cannot be read.
            why = fault(FileFault::no_memory, ENOMEM);
        }
    }
    ::close(fd);
    return result;
}

}  // namespace ui
