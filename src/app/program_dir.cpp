#include "app/program_dir.h"

#include <cstdlib>
#include <system_error>

#include "core/paths.h"
namespace ostrel::app {

bool holds_marker(const std::filesystem::path& dir) {
    // Whatever the case of its name, as the loader finds it.
    return resolve_path(dir, "ostrel.dat", Encoding::Utf8).has_value();
}

std::filesystem::path packs_dir_of(const ProgramDirPlaces& places) {
    return places.user_data_dir.empty() ? std::filesystem::path() : places.user_data_dir / "packs";
}

std::optional<PackInfo> earlier_program_dir(const ProgramDirPlaces& places) {
    if (places.user_data_dir.empty() || !holds_marker(places.user_data_dir)) return std::nullopt;
    return describe_pack(places.user_data_dir);
}

ProgramDirChoice choose_program_dir(const ProgramDirPlaces& places) {
    for (const auto* named : {&places.argument, &places.environment})
        if (*named && !(*named)->empty()) return {**named, holds_marker(**named), false};
    if (!places.executable_dir.empty() && holds_marker(places.executable_dir))
        return {places.executable_dir, true, false};
    if (places.user_data_dir.empty()) return {};
    const auto packs_dir = packs_dir_of(places);
    std::vector<std::filesystem::path> found;
    for (const PackInfo& p : list_packs(packs_dir))
        found.push_back(p.dir);
    if (holds_marker(places.user_data_dir)) found.push_back(places.user_data_dir);
    if (found.size() == 1) return {found[0], true, false};
    if (found.size() > 1) return {{}, false, false, true};
    return {packs_dir / "demo", false, true};
}

std::string no_data_advice(const std::filesystem::path& dir, bool english_only) {
    const std::string where = dir.empty() ? std::string("-") : dir.string();
    const std::string japanese =
        "\n\n" + where +
        " に ostrel.dat がありません。ダウンロードしたデータパックの書庫は ostrel --install "
        "書庫 でインストールできます。データのあるフォルダを指定するには: ostrel フォルダ名、"
        "ostrel --data フォルダ名、または環境変数 OSTREL_DATA。"
        "デモ路線は ostrel-demo フォルダ名 で作成できます。";
    return (english_only ? std::string() : japanese) + "\n\nNo ostrel.dat in " + where +
           ". Install a downloaded data pack with ostrel --install ARCHIVE, name the data "
           "directory (ostrel DIR, ostrel --data DIR or OSTREL_DATA), or write the demo line "
           "with ostrel-demo DIR.";
}

bool display_available() {
    for (const char* name : {"QT_QPA_PLATFORM", "DISPLAY", "WAYLAND_DISPLAY"}) {
        const char* value = std::getenv(name);
        if (value && *value) return true;
    }
    return false;
}

}  // namespace ostrel::app
