#include "app/program_dir.h"

#include <cstdlib>
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

std::string no_data_advice(const std::filesystem::path& dir) {
    const std::string where = dir.empty() ? std::string("-") : dir.string();
    return "\n\n" + where +
           " に ostrel.dat がありません。データのあるフォルダを指定してください: "
           "ostrel フォルダ名、ostrel --data フォルダ名、または環境変数 OSTREL_DATA。"
           "デモ路線は ostrel-demo フォルダ名 で作成できます。\n\n"
           "No ostrel.dat in " +
           where +
           ". Name the data directory (ostrel DIR, ostrel --data DIR or OSTREL_DATA), or write "
           "the demo line with ostrel-demo DIR.";
}

bool display_available() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace ostrel::app
