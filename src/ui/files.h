// Whole files read as raw bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace ui {

// The bytes of a regular file, or none when it is missing, is not a regular
// file (a folder, say) or cannot be read to its end. Never throws for what
// the file system does.
std::optional<std::vector<uint8_t>> read_file(const std::string& path);

}  // namespace ui
