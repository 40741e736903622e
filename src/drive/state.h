#pragma once
// The runtime state of one drive: plain data under the names the rest of the system uses, a
// record per subsystem. Written by the fast step, the tick and the input handlers, which never
// run at the same time.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "core/fixed4.h"
#include "drive/channels.h"
#include "drive/units.h"

namespace ostrel {

// What the route video area shows.
enum class SubmovieMode : int {
    TurnedBack = -1,  // the main video, turned back at the buffer frame
    Main = 0,         // the main video
    Timed = 1,        // a sub-movie played on the clock while the train stands
    Locked = 2,       // a sub-movie whose frames follow the train's position
};

// Where the train stands against the pattern ATS's speed pattern (each pass has its own).
enum class PatternState : int {
    Clear = 0,
    Warning = 1,  // the lamp and the bell: the first pass over the pattern but not the limit,
                  // the second within 5 km/h below the pattern
    Braking = 2,  // the pass's brake applies
};

template <std::size_t N>
constexpr std::array<int, N> filled(int value) {
    std::array<int, N> a{};
    a.fill(value);
    return a;
}

// How the train moves. Speeds in km/h (negative backwards), positions in 1/100 m.
struct MotionState {
    long double train_speed = 0;
    long double train_position = 0;
    int current_frame = 0;
    long double position_step = 0;
    int frame_accumulator = 0;
    int video_speed = 0;  // speed of the filming run at the current frame
    int speed_row = -1;   // "[SpeedUnit]" row holding the current frame
    long double predicted_speed = 0;
};

// The driver's command state: notches as asked and as applied, reverser, modes, the lock on
// input before the start.
struct ControlState {
    int power_notch = 0, applied_power_notch = 0;
    int brake_notch = 0, applied_brake_notch = 0, sap_notch = 0;
    int reverser = 1;
    bool hold_active = false, hold_release_guard = false;
    int power_mode = 0;
    bool constant_speed = false;
    bool power_change_pending = false, brake_change_pending = false, sap_change_pending = false;
    int power_delay_count = 0, brake_delay_count = 0, sap_delay_count = 0;
    bool notch_keys_swapped = false;
    bool auto_run = false, resistance_released = false;
    bool input_locked = true;
    int idle_ticks = 0;
    int announce_index = 0;
    bool timetable_shown = false;
};

// The system brakes, the air system (kPa) and the brake.
struct AirBrakeState {
    bool system_eb = false, system_service_brake = false;
    int vigilance_fitted = 0;  // the vehicle's "[EB]", cleared for good by auto run
    Fixed4 bc_pressure, bc_gauge_pressure, er_pressure, mr_pressure, sap_pressure;
    bool compressor_running = false;
    bool brake_sound_latch = false;
    std::array<Fixed4, 2> brake_rate{};  // the vehicle's two "[BrakeRate]" values as in effect
    Fixed4 working_brake_rate;
};

// Forces (N), adhesion, the line's voltage and the motors; the diesel engine and its gears;
// the gradient under the train.
struct TractionState {
    Fixed4 tractive_force, resistance_force, traction_snapshot;
    Fixed4 section_gradient, gradient_permil;
    Fixed4 adhesion_coefficient;
    Fixed4 base_adhesion = Fixed4::from_raw(5500);
    std::string adhesion_state = "Normal";
    Fixed4 line_voltage;
    Fixed4 line_voltage_target = Fixed4::from_int(1550);
    int motor_current = 0, motor_current_target = 0;

    long double engine_rpm = 0, engine_rpm_target = 0;
    int gear_notch = 1, gear_position = 1;
    bool gear_shifting = false;
    int gear_timer = 0;
    int gear_indicator_shown = -1;  // pattern the gear indicator last got from the tick

    // Gradient history: one whole per mille per 20 m, newest first.
    std::array<int, 20> gradient_history{};
    long double last_sample_position = 0;
    bool slope_sign_shown = false;
};

// The clock (1/30 s since midnight), the ticks, and start and pause: the two timers and what
// each channel was doing when paused.
struct TimerState {
    int clock = 0;
    int tick_count = 0;
    bool fast_timer_running = false, tick_timer_running = false;
    std::array<SoundChannels::Playing, SoundChannels::kCount> paused_channels{};
};

// Doors and stations: the stop in progress and flags per "[Station]" row.
struct StationState {
    struct StationFlags {
        bool in_window = false, arrived = false, melody_played = false, departed = false,
             hint_given = false;
        friend bool operator==(const StationFlags&, const StationFlags&) = default;
    };
    bool doors_open = true, door_command = true;
    int door_close_ticks = 0;
    int departure_count = 0;
    bool departure_callout_armed = false;
    int next_station_index = 0;
    long double next_stop_position = 0;
    long double stop_remaining = 0;
    std::vector<StationFlags> stations;
    int arrival_clock = 0;
    std::vector<bool> standstill_announced;  // per departure count
    bool end_dialog_shown = false;
    bool stop_bell_lamp = false;
};

// Signals, ATS, speed limits and the preceding train.
struct ProtectionState {
    int signal_aspect = kNone, shown_aspect = kNone, ats_limit = kNone;
    int preceding_train_frame = 0;
    std::vector<int> block_state, row_aspect;  // one per "[Signal]" row
    bool ats_alarm = false, ats_chime = false, ats_acknowledged = false;
    int ats_alarm_ticks = 0;
    // The pattern's first pass, and its second.
    PatternState atsp_state = PatternState::Clear, atsp_state_before = PatternState::Clear;
    PatternState atsp2_state = PatternState::Clear, atsp2_state_before = PatternState::Clear;
    int ats_zone = 0, zone_indicator = 0;
    int atsp_limit_speed = kNone;
    long double atsp_limit_dist = 0;
    int pattern_speed = kNone;
    int next_limit_speed = kNone;
    long double next_limit_dist = 0;
    int pattern_speed_SN = kNone;
    bool limit_blink = false;
    int shown_limit_image = -1, shown_limit = 0;
    int preceding_speed = 0, preceding_accumulator = 0, preceding_video_speed = 0;
};

// Call-outs: the queue of wave slots (-1 empty), what the call-out key may call, and the signs
// and crossings whose pictures and call-outs go with them.
struct CalloutState {
    std::array<int, 12> callout_queue = filled<12>(-1);
    bool queue_adding = false, head_started = false;
    int callout_due = kNone, last_enter_callout = -1;
    int shown_other_image = kNone;
    bool other_image_blink = false;
    int signal_extra_callout = kNone;
    int current_signal_index = kNone;
    std::array<int, 11> cross_callout_queue = filled<11>(-1);
    int cross_callout_pending = -1;
    int shown_cross_head = -1;
    int sign_switch_ticks = 0;
    bool queue_busy = false;
};

// The route video's sub-movies.
struct VideoState {
    SubmovieMode submovie_mode = SubmovieMode::Main;
    int frame_sub = 0;
    int submovie_origin = 0, submovie_length = 0;
    std::vector<char> submovie_done;  // one per "[MovieSwitch]" row
};

// Sounds of the train itself.
struct TrainSoundState {
    std::array<long double, 100> engine_level{}, engine_gate{};
    long double engine_master = 0;
    std::array<bool, 495> switch_played{};
    std::vector<bool> sound_point_played;  // once per loaded run
};

// The runtime state of one drive, a record per subsystem.
struct DriveState {
    using StationFlags = StationState::StationFlags;
    MotionState motion;
    ControlState controls;
    AirBrakeState brake;
    TractionState traction;
    TimerState timers;
    StationState stops;
    ProtectionState protection;
    CalloutState callouts;
    VideoState video;
    TrainSoundState sounds;
};

}  // namespace ostrel
