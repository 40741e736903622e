#include "drive/wave_table.h"

namespace ostrel {

WaveTable load_wave_table(const Vehicle& vehicle, const Line& line, const WaveSources& sources,
                          const std::function<void(const WaveTable&)>& after_line_sounds) {
    WaveTable table;
    auto progress = [&sources](std::string_view text) {
        if (sources.progress) sources.progress(text);
    };
    auto put = [&](int slot, const WaveFileLoader& load, const std::string& name) {
        if (name.empty()) return;
        table.slots[static_cast<std::size_t>(slot)] = load(name);
        const auto& shown =
            &load == &sources.from_vehicle_dir ? sources.vehicle_name : sources.line_name;
        table.names[static_cast<std::size_t>(slot)] = shown ? shown(name) : name;
    };

    progress("DirectSoundオブジェクトを作成しています(走行音)");
    for (std::size_t k = 0; k < vehicle.DriveSound.size(); ++k)
        put(WaveTable::kRunningFirst + static_cast<int>(k), sources.from_vehicle_dir,
            vehicle.DriveSound[k]);

    progress("DirectSoundオブジェクトを作成しています(環境音)");
    // The sound set has room for the first hundred line sounds.
    for (std::size_t k = 0; k < line.SoundData.size() && k < WaveTable::kLineCount; ++k) {
        int slot = WaveTable::kLineFirst + static_cast<int>(k);
        put(slot, sources.from_program_dir, line.SoundData[k]);
        if (const Wave* w = table.get(slot)) table.line_sound_seconds[k] = w->playing_seconds();
    }
    if (after_line_sounds) after_line_sounds(table);

    progress("DirectSoundオブジェクトを作成しています(喚呼)");
    for (std::size_t id = 0; id < line.KankoSound1.size(); ++id)
        put(WaveTable::kCalloutFirst + static_cast<int>(id), sources.from_program_dir,
            line.KankoSound1[id]);
    for (const CalloutSoundRow& row : line.KankoSound2) {
        int id = 21 + row.ordinal;
        if (id > WaveTable::kMaxCalloutId) break;
        put(WaveTable::kCalloutFirst + id, sources.from_program_dir, row.file);
    }
    for (std::size_t i = 0; i < line.OtherSound.size() && i < WaveTable::kSignCount; ++i)
        put(WaveTable::kSignFirst + static_cast<int>(i), sources.from_program_dir,
            line.OtherSound[i]);
    for (std::size_t k = 0; k < vehicle.EngineSound1.size(); ++k)
        put(WaveTable::kEngineFirst + static_cast<int>(k), sources.from_vehicle_dir,
            vehicle.EngineSound1[k].file);
    return table;
}

}  // namespace ostrel
