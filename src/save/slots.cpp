#include "save/slots.h"

#include <algorithm>
#include <cmath>

#include "core/error.h"
#include "data/section.h"
#include "drive/drive.h"
#include "sim/move.h"
#include "view/panel_rules.h"

namespace ostrel {

namespace {

std::string slot_name(int slot) {
    return "Save" + std::to_string(slot);
}

// What a menu shows of a caption: a hand-edited store may hold megabytes.
constexpr std::size_t kLongestCaption = 120;
// Beyond any train: a record faster than this was not saved by a drive.
constexpr long double kFastestTrain = 1000;
// Two days of timetable clock (1/30 s): timetables run past midnight, never this far.
constexpr int kLatestClock = 30 * 3600 * 48;
// A train may stand a little before the line's start or past its end (1/100 m).
constexpr long double kSpareDistance = 100000;

// At most `most` characters of a UTF-8 text, cut between characters, "…" marking the cut.
std::string shortened(const std::string& text, std::size_t most) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++chars > most) return text.substr(0, i) + "…";
    }
    return text;
}

// The last frame a drive can reach: the end of the route video or of the line's tables, past
// the buffer frame after turning back, or where the preceding train ends its run.
int last_line_frame(const Drive& d) {
    int last = std::max({d.video_length, d.line.pre_train_last_frame, 0});
    for (const SpeedUnitRow& u : d.line.SpeedUnit)
        last = std::max(last, u.last_frame);
    for (const StationRow& st : d.line.Station)
        last = std::max(last, st.frame);
    if (d.line.has_buffer_frame()) last = std::max(last, d.line.MovieStop.front() + 10);
    return last;
}

// The distance (1/100 m) at the end of the speed profile or the last stopping point.
long double line_end_distance(const Drive& d) {
    std::int64_t end = 0;
    for (const SpeedUnitRow& u : d.line.SpeedUnit)
        end = std::max(end, u.end_distance);
    for (const StationRow& st : d.line.Station)
        end = std::max(end, st.stop_distance);
    return static_cast<long double>(end);
}

}  // namespace

std::string slot_caption(const Drive& d) {
    const auto& rows = d.line.Station;
    const long double x = d.s.motion.train_position;
    const std::string line = d.line.display(d.line.LineName2);
    if (rows.empty()) return line;
    if (x < static_cast<long double>(rows[0].stop_distance)) {
        // Before the first stopping point: still a caption, so that the slot can be restored.
        return line + "（～" + d.line.display(rows[0].name) + "）";
    }
    std::size_t last = rows.size() - 1;
    for (std::size_t i = 0; i + 1 < rows.size(); ++i) {
        if (static_cast<long double>(rows[i].stop_distance) <= x &&
            static_cast<long double>(rows[i + 1].stop_distance) > x) {
            last = i;
            break;
        }
    }
    const std::string following = last + 1 < rows.size() ? d.line.display(rows[last + 1].name) : "";
    return line + "（" + d.line.display(rows[last].name) + "～" + following + "）";
}

std::string slot_record(const Drive& d) {
    const DriveState& s = d.s;
    return d.data.selection.line_file_name + "," + std::to_string(s.stops.next_station_index) +
           "," + std::to_string(round_to_int64(s.motion.train_speed)) + "," +
           std::to_string(s.motion.current_frame) + "," + std::to_string(s.timers.clock) + "," +
           std::to_string(round_to_int64(s.motion.train_position)) + "," +
           std::to_string(s.protection.preceding_train_frame);
}

SlotMenu refresh_slot_captions(SettingsStore& store) {
    // Another copy of the program may have saved since the store was last read.
    store.reload();
    SlotMenu menu;
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        // A slot is there when its record is; a record kept without its caption is named by
        // its line file, and a caption without a record is no slot.
        const std::string record = store.read_text(kSettingsKey, slot_name(n));
        std::string caption = store.read_text(kSettingsKey, slot_name(n) + "Title");
        menu.load_enabled[i] = !record.empty();
        if (record.empty())
            caption = "No Data";
        else if (caption.empty())
            caption = field(record, 1);
        menu.load_captions[i] = menu.save_captions[i] = shortened(caption, kLongestCaption);
    }
    return menu;
}

void save_slot(Drive& d, SettingsStore& store, int slot) {
    if (slot < 1 || slot > 3) return;
    if (!store.open_key(kSettingsKey)) {
        d.shell.message("運転状態を保存できませんでした");
        return;
    }
    store.write_texts(kSettingsKey, {{slot_name(slot), slot_record(d)},
                                     {slot_name(slot) + "Title", slot_caption(d)}});
    d.shell.message("運転状態を保存しました");
}

void load_slot(Drive& d, const SettingsStore& store, int slot) {
    if (slot < 1 || slot > 3) return;
    const std::string record = store.read_text(kSettingsKey, slot_name(slot));
    if (record.empty()) {
        d.shell.message("運転状態が保存されていません");
        return;
    }
    int next_station = 0, frame = 0, clock = 0, preceding = 0;
    long double speed = 0, position = 0;
    const auto refuse = [&] {
        d.shell.message("'" + shortened(record, kLongestCaption) +
                        "' は運転状態の記録として読めません");
    };
    try {
        next_station = to_int(field(record, 2));
        speed = to_real(field(record, 3));
        frame = to_int(field(record, 4));
        clock = to_int(field(record, 5));
        position = to_real(field(record, 6));
        preceding = to_int(field(record, 7));
    } catch (const ConversionError&) {
        refuse();
        return;
    }
    if (field(record, 1) != d.data.selection.line_file_name) {
        d.shell.message("運転状態を保存したダイヤではありません");
        return;
    }
    // The store may have been edited by hand: values this line and train could never have
    // saved are refused before anything changes.
    const int last_frame = last_line_frame(d);
    const auto within = [](long double v, long double low, long double high) {
        return std::isfinite(static_cast<double>(v)) && v >= low && v <= high;
    };
    if (next_station < 0 || next_station >= static_cast<int>(d.line.Station.size()) ||
        !within(speed, -kFastestTrain, kFastestTrain) || frame < 0 || frame > last_frame ||
        clock < 0 || clock > kLatestClock || preceding < 0 || preceding > last_frame ||
        !within(position, -kSpareDistance, line_end_distance(d) + kSpareDistance)) {
        refuse();
        return;
    }
    DriveState& s = d.s;
    s.motion.train_speed = speed;
    s.motion.current_frame = frame;
    reset_for_new_position(d, next_station);
    d.view.fetch_picture_again(frame - 1);
    s.timers.clock = clock;
    s.protection.preceding_train_frame = preceding;
    s.stops.next_station_index = next_station;
    s.stops.departure_callout_armed = false;
    s.controls.power_notch = s.controls.applied_power_notch = 0;
    const int brake = s.motion.train_speed > 0 ? 0 : 1 - d.vehicle.Brake;
    s.controls.brake_notch = s.controls.applied_brake_notch = s.controls.sap_notch = brake;
    s.controls.hold_active = false;
    s.motion.train_position = position;
    s.traction.last_sample_position = position;
    s.stops.next_stop_position = position;
    for (std::size_t j = static_cast<std::size_t>(std::max(0, next_station + 1));
         j < d.line.Station.size(); ++j) {
        if (d.line.Station[j].kind == kStopWithDoors ||
            d.line.Station[j].kind == kStopWithoutDoors) {
            s.stops.next_stop_position = static_cast<long double>(d.line.Station[j].stop_distance);
            break;
        }
    }
    s.stops.stop_remaining = s.stops.next_stop_position - s.motion.train_position;
    refresh_notch_display(d);
}

DriveOptions read_options(const SettingsStore& store) {
    DriveOptions options;
    auto kanko = store.read_int(kSettingsKey, "Kanko");
    auto information = store.read_int(kSettingsKey, "Information");
    auto ats = store.read_int(kSettingsKey, "ATS");
    if (kanko && information && ats) {
        // Anything but 0 or 1 was not written by the program: the option keeps its default.
        const auto take = [](std::int32_t stored, bool& option) {
            if (stored == 0 || stored == 1) option = stored == 1;
        };
        take(*kanko, options.callouts_off);
        take(*information, options.explanation_mode);
        take(*ats, options.ats_off);
    }
    return options;
}

void write_options(SettingsStore& store, const DriveOptions& options) {
    if (!store.open_key(kSettingsKey)) return;
    store.write_int(kSettingsKey, "Kanko", options.callouts_off ? 1 : 0);
    store.write_int(kSettingsKey, "Information", options.explanation_mode ? 1 : 0);
    store.write_int(kSettingsKey, "ATS", options.ats_off ? 1 : 0);
}

}  // namespace ostrel

namespace ostrel {

std::string stored_slot_record(const SettingsStore& store, int slot) {
    if (slot < 1 || slot > 3) return {};
    return store.read_text(kSettingsKey, slot_name(slot));
}

void store_slot_record(SettingsStore& store, int slot, const std::string& record) {
    if (slot < 1 || slot > 3 || !store.open_key(kSettingsKey)) return;
    store.write_text(kSettingsKey, slot_name(slot), record);
}

}  // namespace ostrel
