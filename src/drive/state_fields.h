#pragma once
// Every member of the drive's state by its name, in declaration order: the tracer reads any of
// them by name. A member added to the state and not named here fails to compile.

#include <cstddef>
#include <utility>

#include "drive/state.h"

// clang-format off
#define OSTREL_STATE_FIELDS(X) \
    X(train_speed) X(train_position) X(current_frame) X(position_step) X(frame_accumulator) \
    X(video_speed) X(speed_row) X(predicted_speed) X(power_notch) X(applied_power_notch) \
    X(brake_notch) X(applied_brake_notch) X(sap_notch) X(reverser) X(hold_active) \
    X(hold_release_guard) X(power_mode) X(constant_speed) X(power_change_pending) \
    X(brake_change_pending) X(sap_change_pending) X(power_delay_count) X(brake_delay_count) \
    X(sap_delay_count) X(notch_keys_swapped) X(auto_run) X(resistance_released) X(input_locked) \
    X(idle_ticks) X(announce_index) X(timetable_shown) X(system_eb) X(system_service_brake) \
    X(vigilance_fitted) X(bc_pressure) X(bc_gauge_pressure) X(er_pressure) X(mr_pressure) \
    X(sap_pressure) X(compressor_running) X(brake_sound_latch) X(brake_rate) \
    X(working_brake_rate) X(tractive_force) X(resistance_force) X(traction_snapshot) \
    X(section_gradient) X(gradient_permil) X(adhesion_coefficient) X(base_adhesion) \
    X(adhesion_state) X(line_voltage) X(line_voltage_target) X(motor_current) \
    X(motor_current_target) X(engine_rpm) X(engine_rpm_target) X(gear_notch) X(gear_position) \
    X(gear_shifting) X(gear_timer) X(gear_indicator_shown) X(gradient_history) \
    X(last_sample_position) X(slope_sign_shown) X(clock) X(tick_count) X(doors_open) \
    X(door_command) X(door_close_ticks) X(departure_count) X(departure_callout_armed) \
    X(next_station_index) X(next_stop_position) X(stop_remaining) X(signal_aspect) \
    X(shown_aspect) X(ats_limit) X(preceding_train_frame) X(callout_queue) X(queue_adding) \
    X(head_started) X(callout_due) X(last_enter_callout) X(shown_other_image) \
    X(other_image_blink) X(signal_extra_callout) X(current_signal_index) X(cross_callout_queue) \
    X(cross_callout_pending) X(shown_cross_head) X(sign_switch_ticks) X(queue_busy) \
    X(block_state) X(row_aspect) X(ats_alarm) X(ats_chime) X(ats_acknowledged) \
    X(ats_alarm_ticks) X(atsp_state) X(atsp_state_before) X(atsp2_state) X(atsp2_state_before) \
    X(ats_zone) X(zone_indicator) X(atsp_limit_speed) X(atsp_limit_dist) X(pattern_speed) \
    X(next_limit_speed) X(next_limit_dist) X(pattern_speed_SN) X(limit_blink) \
    X(shown_limit_image) X(shown_limit) X(preceding_speed) X(preceding_accumulator) \
    X(preceding_video_speed) X(stations) X(arrival_clock) X(standstill_announced) \
    X(end_dialog_shown) X(stop_bell_lamp) X(submovie_mode) X(frame_sub) X(submovie_origin) \
    X(submovie_length) X(submovie_done) X(engine_level) X(engine_gate) X(engine_master) \
    X(switch_played) X(sound_point_played) X(fast_timer_running) X(tick_timer_running) \
    X(paused_channels)
// clang-format on

namespace ostrel {

// Calls `visit(name, &DriveState::member)` for every member.
template <class Visit>
void for_each_state_member(Visit&& visit) {
#define OSTREL_VISIT_MEMBER(name) visit(#name, &DriveState::name);
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

#define OSTREL_COUNT_MEMBER(name) +1
inline constexpr std::size_t kStateFieldCount = 0 OSTREL_STATE_FIELDS(OSTREL_COUNT_MEMBER);
#undef OSTREL_COUNT_MEMBER

static_assert(detail::member_count<DriveState>() == kStateFieldCount,
              "every member of DriveState is named in OSTREL_STATE_FIELDS");

}  // namespace ostrel
