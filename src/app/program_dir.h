#pragma once
// Where the program's data lives. The data files name everything relative to the program's
// directory, which must hold "ostrel.dat"; on Linux the data pack lives apart from the binary.

#include <filesystem>
#include <optional>
#include <string>

namespace ostrel::app {

struct ProgramDirPlaces {
    std::optional<std::filesystem::path> argument;     // `ostrel DIR` or `--data DIR`
    std::optional<std::filesystem::path> environment;  // OSTREL_DATA
    std::filesystem::path executable_dir;
    std::filesystem::path user_data_dir;  // where the demo is written on first start
};

struct ProgramDirChoice {
    std::filesystem::path dir;
    // False when no place holds "ostrel.dat"; `dir` is then the place that was named, or the
    // user's data directory when none was.
    bool has_marker = false;
    // Nothing was named and nothing was found: the demo may be written into `dir`.
    bool may_write_demo = false;
};

// The argument, then the environment, each taken as named; then the executable's directory
// and the user's data directory, each when it holds "ostrel.dat".
ProgramDirChoice choose_program_dir(const ProgramDirPlaces& places);

bool holds_marker(const std::filesystem::path& dir);

// What the "no data" message adds to the program's own text: where it looked and the ways to
// name a data directory or to make the demo.
std::string no_data_advice(const std::filesystem::path& dir);

// Whether a window can be shown: a display is named (X11 or Wayland), or Qt is told which
// platform to draw on.
bool display_available();

}  // namespace ostrel::app
