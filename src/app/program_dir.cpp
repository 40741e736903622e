#include "app/program_dir.h"

#include <system_error>

namespace ostrel::app {

bool holds_marker(const std::filesystem::path& dir) {
    std::error_code ec;
    return std::filesystem::is_regular_file(dir / "ostrel.dat", ec);
}

ProgramDirChoice choose_program_dir(const ProgramDirPlaces& places) {
    for (const auto* named : {&places.argument, &places.environment})
        if (*named && !(*named)->empty()) return {**named, holds_marker(**named), false};
    for (const auto* dir : {&places.executable_dir, &places.user_data_dir})
        if (!dir->empty() && holds_marker(*dir)) return {*dir, true, false};
    return {places.user_data_dir, false, !places.user_data_dir.empty()};
}

}  // namespace ostrel::app
