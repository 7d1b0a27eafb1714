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

// A descriptor for reading the regular file at the path, which the caller
// closes, and its size; -1 when it is missing, cannot be opened or is not a
// regular file. Never waits: a named pipe with no writer, a device or a
// socket is refused at once rather than opened and read.
int open_regular_file(const std::string& path, off_t* size = nullptr);

// The bytes of a regular file, or none when it is missing, is not a regular
// file (a folder, a pipe or a device, say), holds more than kMaxMediaBytes
// or cannot be read to its end. Never throws for what the file system does,
// running out of memory included.
std::optional<std::vector<uint8_t>> read_file(const std::string& path);

}  // namespace ui
