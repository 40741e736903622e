#pragma once
// Where the program's data lives. The data files name everything relative to the program's
// directory, which must hold "ostrel.dat"; on Linux the data pack lives apart from the binary.

#include <filesystem>
#include <optional>
#include <string>

#include "packs/pack_list.h"

namespace ostrel::app {

struct ProgramDirPlaces {
    std::optional<std::filesystem::path> argument;     // `ostrel DIR` or `--data DIR`
    std::optional<std::filesystem::path> environment;  // OSTREL_DATA
    std::filesystem::path executable_dir;
    // The installed packs live in its "packs" folder; an earlier version wrote the demo into it
    // directly.
    std::filesystem::path user_data_dir;
};

struct ProgramDirChoice {
    std::filesystem::path dir;
    // False when no place holds "ostrel.dat"; `dir` is then the place that was named, or where
    // the demo would be written when none was.
    bool has_marker = false;
    // Nothing was named and nothing was found: the demo may be written into `dir`.
    bool may_write_demo = false;
    // Nothing was named and several packs are installed: the pack window chooses.
    bool choose_pack = false;
};

// Where the installed packs live.
std::filesystem::path packs_dir_of(const ProgramDirPlaces& places);

// The program directory of an earlier version in the user's data directory, when it has one.
std::optional<PackInfo> earlier_program_dir(const ProgramDirPlaces& places);

// The argument, then the environment, each taken as named; then the executable's directory
// when it holds "ostrel.dat"; then the installed packs (with the user's data directory when an
// earlier version wrote the demo there): the only one, or the pack window's choice among
// several. With none, the demo's place in the packs folder.
ProgramDirChoice choose_program_dir(const ProgramDirPlaces& places);

bool holds_marker(const std::filesystem::path& dir);

// What the "no data" message adds to the program's own text: where it looked and the ways to
// name a data directory or to make the demo.
std::string no_data_advice(const std::filesystem::path& dir, bool english_only = false);

// Whether a window can be shown: a display is named (X11 or Wayland), or Qt is told which
// platform to draw on.
bool display_available();

}  // namespace ostrel::app
