// Whole files read as raw bytes.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// A descriptor for reading the regular file at the path, which the caller
// closes, and its size; -1 when it is missing, cannot be opened or is not a
// regular file. Never waits: a named pipe with no writer, a device or a
// socket is refused at once rather than opened and read.
int open_regular_file(const std::string& path, off_t* size = nullptr);

// The bytes of a regular file, or none when it is missing, is not a regular
// file (a folder, a pipe or a device, say) or cannot be read to its end.
// Never throws for what the file system does.
std::optional<std::vector<uint8_t>> read_file(const std::string& path);

}  // namespace ui
