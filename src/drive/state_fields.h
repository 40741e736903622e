#pragma once
// Every member of the drive's state by its name, with the record that holds it: the tracer
// reads any of them by name. A member added to the state and not named here fails to compile.

#include <cstddef>
#include <utility>

#include "drive/state.h"

// clang-format off
#define OSTREL_STATE_FIELDS(X) \
    X(motion, train_speed) X(motion, train_position) X(motion, current_frame) \
    X(motion, position_step) X(motion, frame_accumulator) X(motion, video_speed) \
    X(motion, speed_row) X(motion, predicted_speed) X(controls, power_notch) \
    X(controls, applied_power_notch) X(controls, brake_notch) X(controls, applied_brake_notch) \
    X(controls, sap_notch) X(controls, reverser) X(controls, hold_active) \
    X(controls, hold_release_guard) X(controls, power_mode) X(controls, constant_speed) \
    X(controls, power_change_pending) X(controls, brake_change_pending) \
    X(controls, sap_change_pending) X(controls, power_delay_count) \
    X(controls, brake_delay_count) X(controls, sap_delay_count) X(controls, notch_keys_swapped) \
    X(controls, auto_run) X(controls, resistance_released) X(controls, input_locked) \
    X(controls, idle_ticks) X(controls, announce_index) X(controls, timetable_shown) \
    X(brake, system_eb) X(brake, system_service_brake) X(brake, vigilance_fitted) \
    X(brake, bc_pressure) X(brake, bc_gauge_pressure) X(brake, er_pressure) \
    X(brake, mr_pressure) X(brake, sap_pressure) X(brake, compressor_running) \
    X(brake, brake_sound_latch) X(brake, brake_rate) X(brake, working_brake_rate) \
    X(traction, tractive_force) X(traction, resistance_force) X(traction, traction_snapshot) \
    X(traction, section_gradient) X(traction, gradient_permil) X(traction, adhesion_coefficient) \
    X(traction, base_adhesion) X(traction, adhesion_state) X(traction, line_voltage) \
    X(traction, line_voltage_target) X(traction, motor_current) \
    X(traction, motor_current_target) X(traction, engine_rpm) X(traction, engine_rpm_target) \
    X(traction, gear_notch) X(traction, gear_position) X(traction, gear_shifting) \
    X(traction, gear_timer) X(traction, gear_indicator_shown) X(traction, gradient_history) \
    X(traction, last_sample_position) X(traction, slope_sign_shown) X(timers, clock) \
    X(timers, tick_count) X(stops, doors_open) X(stops, door_command) X(stops, door_close_ticks) \
    X(stops, departure_count) X(stops, departure_callout_armed) X(stops, next_station_index) \
    X(stops, next_stop_position) X(stops, stop_remaining) X(protection, signal_aspect) \
    X(protection, shown_aspect) X(protection, ats_limit) X(protection, preceding_train_frame) \
    X(callouts, callout_queue) X(callouts, queue_adding) X(callouts, head_started) \
    X(callouts, callout_due) X(callouts, last_enter_callout) X(callouts, shown_other_image) \
    X(callouts, other_image_blink) X(callouts, signal_extra_callout) \
    X(callouts, current_signal_index) X(callouts, cross_callout_queue) \
    X(callouts, cross_callout_pending) X(callouts, shown_cross_head) \
    X(callouts, sign_switch_ticks) X(callouts, queue_busy) X(protection, block_state) \
    X(protection, row_aspect) X(protection, ats_alarm) X(protection, ats_chime) \
    X(protection, ats_acknowledged) X(protection, ats_alarm_ticks) X(protection, atsp_state) \
    X(protection, atsp_state_before) X(protection, atsp2_state) \
    X(protection, atsp2_state_before) X(protection, ats_zone) X(protection, zone_indicator) \
    X(protection, atsp_limit_speed) X(protection, atsp_limit_dist) X(protection, pattern_speed) \
    X(protection, next_limit_speed) X(protection, next_limit_dist) \
    X(protection, pattern_speed_SN) X(protection, limit_blink) X(protection, shown_limit_image) \
    X(protection, shown_limit) X(protection, preceding_speed) \
    X(protection, preceding_accumulator) X(protection, preceding_video_speed) X(stops, stations) \
    X(stops, arrival_clock) X(stops, standstill_announced) X(stops, end_dialog_shown) \
    X(stops, stop_bell_lamp) X(video, submovie_mode) X(video, frame_sub) \
    X(video, submovie_origin) X(video, submovie_length) X(video, submovie_done) \
    X(sounds, engine_level) X(sounds, engine_gate) X(sounds, engine_master) \
    X(sounds, switch_played) X(sounds, sound_point_played) X(timers, fast_timer_running) \
    X(timers, tick_timer_running) X(timers, paused_channels)
// clang-format on

namespace ostrel {

// Calls `visit(name, get)` for every member, where `get(state)` gives the member of a (const
// or not) DriveState.
template <class Visit>
void for_each_state_member(Visit&& visit) {
#define OSTREL_VISIT_MEMBER(record, name) \
    visit(                                \
        #name, [](auto& state) -> auto& { return state.record.name; });
    OSTREL_STATE_FIELDS(OSTREL_VISIT_MEMBER)
#undef OSTREL_VISIT_MEMBER
}

namespace detail {

// Converts to any member type; only ever named in unevaluated checks.
struct AnyMember {
    template <class T>
    operator T() const;
};

template <class T, std::size_t... I>
constexpr bool brace_initialisable_from(std::index_sequence<I...>) {
    return requires {
        T{(static_cast<void>(I), AnyMember{})...};
    };
}

// The number of members of an aggregate: the most initialisers it takes.
template <class T, std::size_t N = 0>
constexpr std::size_t member_count() {
    if constexpr (!brace_initialisable_from<T>(std::make_index_sequence<N + 1>{}))
        return N;
    else
        return member_count<T, N + 1>();
}

}  // namespace detail

#define OSTREL_COUNT_MEMBER(record, name) +1
inline constexpr std::size_t kStateFieldCount = 0 OSTREL_STATE_FIELDS(OSTREL_COUNT_MEMBER);
#undef OSTREL_COUNT_MEMBER

static_assert(detail::member_count<DriveState>() == 10, "the records below are all of DriveState");
static_assert(detail::member_count<MotionState>() + detail::member_count<ControlState>() +
                      detail::member_count<AirBrakeState>() +
                      detail::member_count<TractionState>() + detail::member_count<TimerState>() +
                      detail::member_count<StationState>() +
                      detail::member_count<ProtectionState>() +
                      detail::member_count<CalloutState>() + detail::member_count<VideoState>() +
                      detail::member_count<TrainSoundState>() ==
                  kStateFieldCount,
              "every member of DriveState is named in OSTREL_STATE_FIELDS");

}  // namespace ostrel
