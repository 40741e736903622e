#include "save/slots.h"

#include "core/error.h"
#include "data/section.h"
#include "drive/drive.h"
#include "sim/move.h"
#include "view/notch_display.h"

namespace ostrel {

namespace {

std::string slot_name(int slot) {
    return "Save" + std::to_string(slot);
}

}  // namespace

std::string slot_caption(const Drive& d) {
    const auto& rows = d.line.Station;
    const long double x = d.s.train_position;
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
    return d.data.selection.line_file_name + "," + std::to_string(s.next_station_index) + "," +
           std::to_string(round_to_int64(s.train_speed)) + "," + std::to_string(s.current_frame) +
           "," + std::to_string(s.clock) + "," + std::to_string(round_to_int64(s.train_position)) +
           "," + std::to_string(s.preceding_train_frame);
}

SlotMenu refresh_slot_captions(const SettingsStore& store) {
    SlotMenu menu;
    for (int n = 1; n <= 3; ++n) {
        const auto i = static_cast<std::size_t>(n - 1);
        std::string caption = store.read_text(kSettingsKey, slot_name(n) + "Title");
        menu.load_enabled[i] = !caption.empty();
        if (caption.empty()) caption = "No Data";
        menu.load_captions[i] = menu.save_captions[i] = caption;
    }
    return menu;
}

void save_slot(Drive& d, SettingsStore& store, int slot) {
    if (slot < 1 || slot > 3) return;
    if (!store.open_key(kSettingsKey)) {
        d.shell.message("運転状態を保存できませんでした");
        return;
    }
    store.write_text(kSettingsKey, slot_name(slot), slot_record(d));
    store.write_text(kSettingsKey, slot_name(slot) + "Title", slot_caption(d));
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
    try {
        next_station = to_int(field(record, 2));
        speed = to_real(field(record, 3));
        frame = to_int(field(record, 4));
        clock = to_int(field(record, 5));
        position = to_real(field(record, 6));
        preceding = to_int(field(record, 7));
    } catch (const ConversionError&) {
        d.shell.message("'" + record + "' は運転状態の記録として読めません");
        return;
    }
    if (field(record, 1) != d.data.selection.line_file_name) {
        d.shell.message("運転状態を保存したダイヤではありません");
        return;
    }
    DriveState& s = d.s;
    s.train_speed = speed;
    s.current_frame = frame;
    reset_for_new_position(d, next_station);
    d.view.drawn_frame = frame - 1;
    s.clock = clock;
    s.preceding_train_frame = preceding;
    s.next_station_index = next_station;
    s.departure_callout_armed = false;
    s.power_notch = s.applied_power_notch = 0;
    const int brake = s.train_speed > 0 ? 0 : 1 - d.vehicle.Brake;
    s.brake_notch = s.applied_brake_notch = s.sap_notch = brake;
    s.hold_active = false;
    s.train_position = position;
    s.last_sample_position = position;
    s.next_stop_position = position;
    for (std::size_t j = static_cast<std::size_t>(std::max(0, next_station + 1));
         j < d.line.Station.size(); ++j) {
        if (d.line.Station[j].kind == kStopWithDoors ||
            d.line.Station[j].kind == kStopWithoutDoors) {
            s.next_stop_position = static_cast<long double>(d.line.Station[j].stop_distance);
            break;
        }
    }
    s.stop_remaining = s.next_stop_position - s.train_position;
    masconupdate(d);
}

DriveOptions read_options(const SettingsStore& store) {
    DriveOptions options;
    auto kanko = store.read_int(kSettingsKey, "Kanko");
    auto information = store.read_int(kSettingsKey, "Information");
    auto ats = store.read_int(kSettingsKey, "ATS");
    if (kanko && information && ats) {
        options.callouts_off = *kanko == 1;
        options.explanation_mode = *information == 1;
        options.ats_off = *ats == 1;
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
