#include "check.h"

#include "data/distances.h"

namespace ostrel {

using json = nlohmann::ordered_json;

namespace {

double number(Fixed4 v) {
    return static_cast<double>(v.to_real());
}
double number(long double v) {
    return static_cast<double>(v);
}

json vehicle_report(const Vehicle& v, const Panel& panel) {
    auto text = [&v](const std::string& raw) { return display_text(raw, v.encoding); };
    json j;
    j["Handle"] = v.Handle;
    j["BrakeType"] = v.BrakeType;
    j["Brake"] = v.Brake;
    j["Power"] = v.Power;
    j["NotchBack"] = v.NotchBack;
    j["Hold"] = v.Hold;
    j["Const"] = v.Const;
    j["Back"] = v.Back;
    j["BrakeRate"] = {number(v.BrakeRate[0]), number(v.BrakeRate[1])};
    j["BrakeRate2"] = number(v.BrakeRate2);
    j["PowerDelay"] = v.PowerDelay;
    j["BrakeDelay"] = v.BrakeDelay;
    j["SAPDelay"] = v.SAPDelay;
    j["BrakeUp"] = v.BrakeUp;
    j["BrakeDown"] = v.BrakeDown;
    j["EBPress"] = v.EBPress;
    j["SAPPress"] = v.SAPPress;
    j["HighAirPress"] = v.HighAirPress;
    j["LowAirPress"] = v.LowAirPress;
    j["Curr1"] = v.Curr1;
    j["Curr2"] = v.Curr2;
    j["Engine_Type"] = v.Engine_Type;
    j["DoorType"] = v.DoorType;
    j["Mt"] = number(v.Mt);
    j["Tt"] = number(v.Tt);
    j["Cars"] = v.Cars;
    j["StopLine"] = text(v.StopLine);
    j["Tons"] = number(v.Tons);
    j["EB"] = v.EB;
    j["MaxSpeed"] = v.MaxSpeed;
    j["Lose_elec"] = v.Lose_elec;
    j["ELBR"] = v.ELBR;
    j["Mc"] = v.Mc;
    j["ATS_Type"] = v.ATS_Type;
    j["ATS_Alert"] = v.ATS_Alert;
    j["ATS_Time"] = v.ATS_Time;
    j["ATS_Cnt"] = v.ATS_Cnt;
    j["Sound_br1"] = v.Sound_br1;
    j["Sound_br2"] = v.Sound_br2;
    j["Sound_br3"] = v.Sound_br3;
    j["Sound_EB"] = v.Sound_EB;
    j["Sound_Ats1"] = v.Sound_Ats1;
    j["Sound_Ats2"] = v.Sound_Ats2;
    j["Sound_Atc"] = v.Sound_Atc;
    j["Sound_Horn"] = v.Sound_Horn;
    j["Sound_Horn2"] = v.Sound_Horn2;
    j["Sound_Horn3"] = v.Sound_Horn3;
    j["Sound_DoorOpen"] = v.Sound_DoorOpen;
    j["Sound_DoorClose"] = v.Sound_DoorClose;
    j["Sound_EBring"] = v.Sound_EBring;
    j["Sound_squeak"] = v.Sound_squeak;
    j["CP_Start"] = v.CP_Start;
    j["CP_Cnt"] = v.CP_Cnt;
    j["CP_End"] = v.CP_End;
    j["Stop"] = v.Stop;
    j["Buzzer"] = v.Buzzer;
    j["DepSign"] = v.DepSign;
    j["ATS_Warn"] = v.ATS_Warn;
    j["EngineSound2"] = v.EngineSound2;
    j["SwitchSound"] = json::array();
    for (const auto& r : v.SwitchSound)
        j["SwitchSound"].push_back({r.sound, r.speed, r.type});
    j["EngineRate"] = json::array();
    for (const auto& r : v.EngineRate)
        j["EngineRate"].push_back({r.base, number(r.factor)});
    j["Gear_Type"] = v.Gear_Type;
    j["Notch"] = json::array();
    for (const auto& r : v.Notch)
        j["Notch"].push_back({number(r.accel_start), number(r.accel_first), r.first_region_end,
                              r.second_region_end, number(r.decay), r.mode});
    j["Engine"] = json::array();
    for (const auto& r : v.Engine)
        j["Engine"].push_back({r.low_speed, r.mid_speed, r.high_speed, number(r.accel_low),
                               number(r.accel_mid), number(r.accel_high)});
    j["mode_first_notch"] = v.mode_first_notch;
    j["PowerMode"] = json::array();
    for (const auto& r : v.PowerMode)
        j["PowerMode"].push_back({text(r.label), text(r.text)});
    j["EngineSound1"] = v.EngineSound1.size();
    j["DriveSound"] = json::array();
    for (const auto& name : v.DriveSound)
        j["DriveSound"].push_back(text(name));
    j["Clock"] = v.Clock;
    j["cab_signal_speeds"] = json::array();
    for (int i = 0; i < v.cab_signal_speed_count; ++i)
        j["cab_signal_speeds"].push_back(v.cab_signal_speeds[static_cast<std::size_t>(i)]);
    j["panel"] = json::array();
    for (const PanelPart& p : panel.parts) {
        j["panel"].push_back({{"name", p.name},
                              {"file", text(p.file)},
                              {"x", p.x},
                              {"y", p.y},
                              {"depth", p.depth},
                              {"width", p.width},
                              {"height", p.height},
                              {"visible", p.visible}});
    }
    return j;
}

json line_report(const Line& l) {
    auto text = [&l](const std::string& raw) { return l.display(raw); };
    json j;
    j["LineName"] = text(l.LineName);
    j["LineName2"] = text(l.LineName2);
    j["StartPos"] = l.StartPos;
    j["FrameRate"] = l.FrameRate;
    j["Staf"] = {text(l.staf_card_file), text(l.staf_opening_file)};
    j["StartTime"] = l.StartTime;
    j["StafSwitch"] = l.StafSwitch;
    j["MovieStop"] = l.MovieStop;
    j["Speed_Signal"] = l.Speed_Signal;
    j["DataName"] = text(l.DataName);
    j["Pre_Train"] = {{"start_frame", l.pre_train_start_frame},
                      {"last_frame", l.pre_train_last_frame}};
    j["OneMan"] = l.OneMan;
    j["SoundData"] = json::array();
    for (const auto& name : l.SoundData)
        j["SoundData"].push_back(text(name));
    j["Announce"] = {{"standstill_sound", l.standstill_sound}};
    j["KankoSound1"] = json::array();
    for (std::size_t i = 0; i < Line::kKankoSound1Lines; ++i)
        j["KankoSound1"].push_back(text(l.KankoSound1[i]));
    j["KankoSound2"] = json::array();
    for (const auto& r : l.KankoSound2)
        j["KankoSound2"].push_back(text(r.file));
    j["callout_count"] = l.callout_count;
    j["MovieSwitch"] = json::array();
    for (const auto& m : l.MovieSwitch)
        j["MovieSwitch"].push_back({{"kind", m.kind},
                                    {"first_frame", m.first_frame},
                                    {"last_frame", m.last_frame},
                                    {"movie_name", text(m.movie_name)},
                                    {"length_frames", m.length_frames},
                                    {"resume_frame", m.resume_frame}});
    j["counts"] = {{"StafSwitch", l.StafSwitch.size()},
                   {"MovieSwitch", l.MovieSwitch.size()},
                   {"Speed_Signal", l.Speed_Signal.size()},
                   {"Pre_Train", l.Pre_Train.size()},
                   {"SoundData", l.SoundData.size()},
                   {"Announce", l.Announce.size()},
                   {"KankoSound2", l.KankoSound2.size()},
                   {"Sound", l.Sound.size()},
                   {"Doppler", l.Doppler.size()},
                   {"Tunnel", l.Tunnel.size()},
                   {"Station", l.Station.size()},
                   {"StopSound", l.StopSound.size()},
                   {"Signal", l.Signal.size()},
                   {"Slope", l.Slope.size()},
                   {"Sign", l.Sign.size()},
                   {"SignalKanko", l.SignalKanko.size()},
                   {"StationKanko", l.StationKanko.size()},
                   {"SpeedLimit", l.SpeedLimit.size()},
                   {"SpeedCheck1", l.SpeedCheck1.size()},
                   {"SpeedCheck2", l.SpeedCheck2.size()},
                   {"SignImageList", l.SignImageList.size()},
                   {"OtherImageList", l.OtherImageList.size()},
                   {"SignalImageList", l.SignalImageList.size()},
                   {"SignalImageList2", l.SignalImageList2.size()},
                   {"SpeedUnit", l.SpeedUnit.size()},
                   {"CrossImageList", l.CrossImageList.size()},
                   {"Cross", l.Cross.size()},
                   {"Time", l.Time.size()},
                   {"Switch", l.Switch.size()},
                   {"events", l.events.size()}};
    j["stations"] = json::array();
    for (const auto& s : l.Station) {
        j["stations"].push_back({{"name", text(s.name)},
                                 {"kind", s.kind},
                                 {"frame", s.frame},
                                 {"door_last_frame", s.door_last_frame},
                                 {"arrival_sound", s.arrival_sound},
                                 {"departure_sound", s.departure_sound},
                                 {"column7", s.column7},
                                 {"departure_time", s.departure_time},
                                 {"pattern_speed", s.pattern_speed},
                                 {"station_door_sounds", s.station_door_sounds},
                                 {"stop_distance", s.stop_distance},
                                 {"window_start", s.window_start},
                                 {"window_end", s.window_end}});
    }
    j["events"] = json::array();
    for (const auto& e : l.events)
        j["events"].push_back({{"distance", e.distance},
                               {"kind", e.kind},
                               {"a", e.speed},
                               {"b", e.signal_row},
                               {"c", e.station_row},
                               {"d", e.limit_value}});
    j["speed_units"] = json::array();
    for (const auto& u : l.SpeedUnit)
        j["speed_units"].push_back({{"first_frame", u.first_frame},
                                    {"last_frame", u.last_frame},
                                    {"first_speed", number(u.first_speed)},
                                    {"last_speed", number(u.last_speed)},
                                    {"end_distance", u.end_distance}});
    j["tunnels"] = json::array();
    for (const auto& t : l.Tunnel)
        j["tunnels"].push_back({{"entry_frame", t.entry_frame},
                                {"exit_frame", t.exit_frame},
                                {"depth", t.depth},
                                {"entry_distance", t.entry_distance},
                                {"exit_distance", t.exit_distance}});
    j["dopplers"] = json::array();
    for (const auto& d : l.Doppler)
        j["dopplers"].push_back({{"sound_no", d.sound_no},
                                 {"frame", d.frame},
                                 {"range", d.range},
                                 {"no_shift", d.no_shift},
                                 {"distance", d.distance}});
    j["speed_limits"] = json::array();
    for (const auto& s : l.SpeedLimit)
        j["speed_limits"].push_back({{"limit", s.limit},
                                     {"image", s.image},
                                     {"value", s.value},
                                     {"start_frame", s.start_frame},
                                     {"end_frame", s.end_frame},
                                     {"start_distance", s.start_distance}});
    return j;
}

}  // namespace

json check_report(const LoadedDrive& drive) {
    json j;
    j["ok"] = true;
    j["vehicle"] = vehicle_report(drive.vehicle, drive.panel);
    j["line"] = line_report(drive.line);
    j["move_menu"] = json::array();
    for (const auto& item : drive.move_menu)
        j["move_menu"].push_back(
            {{"name", item.name}, {"caption", drive.line.display(item.caption)}});
    j["main_video"] = drive.main_video_name;
    j["start_frame"] = drive.start_frame;
    j["start_clock"] = drive.start_clock;
    j["start_clock_text"] = clock_text(drive.start_clock);
    j["warnings"] = drive.warnings;
    return j;
}

json error_report(const std::string& message) {
    return {{"ok", false}, {"message", message}};
}

void split_vehicle_argument(const std::string& argument, std::filesystem::path& vehicle_dir,
                            std::string& vehicle_file_name) {
    std::size_t slash = argument.find_last_of("/\\");
    if (slash == std::string::npos) {
        vehicle_dir.clear();
        vehicle_file_name = argument;
        return;
    }
    vehicle_dir = argument.substr(0, slash + 1);
    vehicle_file_name = argument.substr(slash + 1);
}

}  // namespace ostrel
