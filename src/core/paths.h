#pragma once
// One resolver for every path named in a data file: Windows separators, and names whose case
// does not match the file on disk.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

#include "core/text.h"

namespace ostrel {

// "image\title\01.jpg" -> "image/title/01.jpg". In Shift JIS names a 0x5C that is the second
// byte of a double-byte character is left alone.
std::string to_forward_slashes(std::string_view windows_path,
                               Encoding encoding = Encoding::ShiftJis);

// Finds `name` (as a data file wrote it) relative to `base`, or as an absolute path. Where a
// path component does not exist as written, the directory is searched for one that matches it
// without regard to ASCII case. A Shift JIS name is also tried as UTF-8, the form such names
// take once unpacked on this system. Returns nothing when no file or directory matches.
std::optional<std::filesystem::path> resolve_path(const std::filesystem::path& base,
                                                  std::string_view name,
                                                  Encoding encoding = Encoding::ShiftJis);

// Caps on what one file of each kind may hold, far above anything real; a larger file is
// refused before it is read.
inline constexpr std::uintmax_t kMaxTextFileBytes = 64ULL << 20;
inline constexpr std::uintmax_t kMaxImageFileBytes = 96ULL << 20;
inline constexpr std::uintmax_t kMaxWaveFileBytes = 256ULL << 20;

// Empty when `path` is a regular file; otherwise why it cannot be read as one ("No such file
// or directory", "Is a directory", "Not a regular file"). Readers that hand a path to a library
// ask this first, so that a pipe or a device named as a file cannot hang them.
std::string not_a_regular_file(const std::filesystem::path& path);

// Reads a whole regular file of at most `max_bytes`. Anything else throws FileError saying
// why: "No such file or directory", "Is a directory", "Not a regular file", "File too large"
// or the system's text for a failed read. A pipe or a device is never opened, so it can
// neither hang the load nor fill memory.
std::string read_file_bytes(const std::filesystem::path& path, std::uintmax_t max_bytes);

}  // namespace ostrel
