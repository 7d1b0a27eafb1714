// Whole files read as raw bytes.
#pragma once

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The most a media file may hold. The game's sounds are tens of kilobytes
// and its pieces a few; a file far past that is not one of them, and reading
// it would only take the memory the game runs in.
inline constexpr size_t kMaxMediaBytes = size_t(64) << 20;

// Why a file was not read.
enum class FileFault {
    none,
    missing,      // nothing at the path (or a part of it is no folder)
    denied,       // the program may not read it, or may not look into its folder
    not_regular,  // a folder, a named pipe, a device or a socket
    changed,      // another file took its place between the look and the open
    too_large,    // more than kMaxMediaBytes
    empty,        // no bytes at all: no media file of any kind
    no_memory,    // no room for its bytes
    failed,       // the system refused it otherwise: see FileError::code
};

struct FileError {
    FileFault fault = FileFault::none;
    int code = 0;       // the errno the system gave, 0 where it gave none
    mode_t mode = 0;    // for not_regular: the file's type (S_IFDIR, S_IFIFO, ...)

    // In a few words, for a message ("permission denied", "empty", ...).
    std::string text() const;
};

// A descriptor for reading the regular file at the path, which the caller
// closes, and its size; -1 when it is missing, cannot be opened or is not a
// regular file, with the reason in *error. The file's type is looked at
// before it is opened, so nothing else is ever opened: a device's own open
// routine never runs (a tape would rewind, a serial line hang up), and a
// named pipe with no writer is refused at once rather than waited on. The
// opened file is then checked to be the very one looked at.
int open_regular_file(const std::string& path, off_t* size = nullptr, FileError* error = nullptr);

// The bytes of a regular file, or none, with the reason in *error, when it is
// missing, may not be read, is not a regular file (a folder, a pipe or a
// device, say), is empty, holds more than kMaxMediaBytes or cannot be read to
// its end. Never throws for what the file system does, running out of memory
// included.
std::optional<std::vector<uint8_t>> read_file(const std::string& path, FileError* error = nullptr);

}  // namespace ui
