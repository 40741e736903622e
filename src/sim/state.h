#pragma once
// The runtime state of one drive: plain data under the names the rest of the system uses.
// Written by the fast step, the tick and the input handlers, which never run at the same time.

#include <array>
#include <cstdint>
#include <string>

#include "core/fixed4.h"
#include "sound/channels.h"

namespace ostrel {

struct DriveState {
    // Motion. Speeds in km/h (negative backwards), positions in 1/100 m.
    long double train_speed = 0;
    long double train_position = 0;
    int current_frame = 0;
    long double position_step = 0;
    int frame_accumulator = 0;
    int video_speed = 0;  // speed of the filming run at the current frame
    int speed_row = -1;   // "[SpeedUnit]" row holding the current frame
    long double predicted_speed = 0;

    // The driver's command state.
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

    // System brakes.
    bool system_eb = false, system_service_brake = false;
    int vigilance_fitted = 0;  // the vehicle's "[EB]", cleared for good by auto run

    // Air system (kPa) and brake.
    Fixed4 bc_pressure, bc_gauge_pressure, er_pressure, mr_pressure, sap_pressure;
    bool compressor_running = false;
    bool brake_sound_latch = false;
    std::array<Fixed4, 2> brake_rate{};  // the vehicle's two "[BrakeRate]" values as in effect
    Fixed4 working_brake_rate;

    // Forces (N) and traction.
    Fixed4 tractive_force, resistance_force, traction_snapshot;
    Fixed4 section_gradient, gradient_permil;
    Fixed4 adhesion_coefficient;
    Fixed4 base_adhesion = Fixed4::from_raw(5500);
    std::string adhesion_state = "Normal";
    Fixed4 line_voltage;
    Fixed4 line_voltage_target = Fixed4::from_int(1550);
    int motor_current = 0, motor_current_target = 0;

    // Diesel.
    long double engine_rpm = 0, engine_rpm_target = 0;
    int gear_notch = 1, gear_position = 1;
    bool gear_shifting = false;
    int gear_timer = 0;
    int gear_indicator_shown = -1;  // pattern the gear indicator last got from the tick

    // Gradient history: one whole per mille per 20 m, newest first.
    std::array<int, 20> gradient_history{};
    long double last_sample_position = 0;
    bool slope_sign_shown = false;

    // Clock (1/30 s since midnight) and ticks.
    int clock = 0;
    int tick_count = 0;

    // Doors and stations.
    bool doors_open = true, door_command = true;
    int door_close_ticks = 0;
    int departure_count = 0;
    bool departure_callout_armed = false;
    int next_station_index = 0;
    long double next_stop_position = 0;
    long double stop_remaining = 0;

    // Signals and supervision (filled by the line-side subsystems).
    int signal_aspect = 999, shown_aspect = 999, ats_limit = 999;
    int preceding_train_frame = 0;

    // Sub-movies: 0 main video, 1 timed, 2 position-locked, -1 turned back at the buffer.
    int submovie_mode = 0;
    int frame_sub = 0;

    // Sounds of the train itself.
    std::array<long double, 100> engine_level{}, engine_gate{};
    long double engine_master = 0;
    std::array<bool, 495> switch_played{};

    // Start and pause: the two timers and what each channel was doing when paused.
    bool fast_timer_running = false, tick_timer_running = false;
    std::array<SoundChannels::Playing, SoundChannels::kCount> paused_channels{};
};

}  // namespace ostrel
