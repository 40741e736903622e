#pragma once
// The wave table: every wave the vehicle and the line name, in fixed slot ranges.

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/wave.h"
#include "data/line.h"
#include "data/vehicle.h"

namespace ostrel {

struct WaveTable {
    static constexpr int kSlots = 814;
    static constexpr int kRunningFirst = 0;  // "[DriveSound]" rows
    static constexpr int kLineFirst = 100;   // "[SoundData]" entries
    static constexpr int kLineCount = 100;
    static constexpr int kCalloutFirst = 301;  // call-out id 0
    static constexpr int kMaxCalloutId = 299;
    static constexpr int kSignFirst = 601;  // "[OtherImageList]" waves
    static constexpr int kSignCount = 100;
    static constexpr int kEngineFirst = 701;  // "[EngineSound1]" rows
    static constexpr int kExplanation = 801;
    static constexpr int kQueueFirst = 802;  // the call-out queue's twelve entries

    std::vector<std::shared_ptr<const Wave>> slots =
        std::vector<std::shared_ptr<const Wave>>(kSlots);
    std::vector<std::string> names = std::vector<std::string>(kSlots);  // as written, in UTF-8
    // Playing time in whole seconds of line sound k (0 for an empty entry).
    std::array<int, kLineCount> line_sound_seconds{};

    const Wave* get(int slot) const {
        return slot >= 0 && slot < kSlots ? slots[static_cast<std::size_t>(slot)].get() : nullptr;
    }
    int line_seconds(int sound_no) const {
        return sound_no >= 0 && sound_no < kLineCount
                   ? line_sound_seconds[static_cast<std::size_t>(sound_no)]
                   : 0;
    }
};

// Loads one wave named in a data file (raw name as written); throws UserError with the message
// to show when it cannot.
using WaveFileLoader = std::function<std::shared_ptr<const Wave>(const std::string& raw_name)>;

struct WaveSources {
    WaveFileLoader from_vehicle_dir;  // running and engine sounds
    WaveFileLoader from_program_dir;  // line sounds, call-outs, sign call-outs
    std::function<std::string(const std::string&)> vehicle_name, line_name;  // for display
    std::function<void(std::string_view)> progress;
};

// Running sounds, then line sounds (with their playing times), then call-outs, sign call-outs
// and engine sounds; empty names leave their slot empty. `after_line_sounds` runs between the
// line sounds and the call-outs (the start clock needs the playing times).
WaveTable load_wave_table(const Vehicle& vehicle, const Line& line, const WaveSources& sources,
                          const std::function<void(const WaveTable&)>& after_line_sounds);

}  // namespace ostrel
