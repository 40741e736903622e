#include "session/steps.h"

#include "drive/drive.h"
#include "input/controllers.h"
#include "sim/brakes.h"
#include "sim/motion.h"
#include "sim/protection.h"
#include "sim/signs.h"
#include "sim/stations.h"
#include "sim/submovies.h"
#include "sim/traction.h"
#include "sound/callouts.h"
#include "sound/line_sounds.h"
#include "sound/train_sounds.h"
#include "view/line_side.h"
#include "view/panel_rules.h"

namespace ostrel {

namespace {

// A notch delay counts fast steps from one; the change applies on the count equal to it.
bool count_delay(bool& pending, int& count, int delay) {
    if (!pending) return false;
    count += 1;
    if (count < std::max(1, delay)) return false;
    pending = false;
    count = 0;
    return true;
}

void apply_power_delay(Drive& d) {
    DriveState& s = d.s;
    // A timed sub-movie holds the applied notch; a notch taken meanwhile stays pending and
    // applies once the sub-movie has ended.
    if (s.video.submovie_mode == SubmovieMode::Timed) return;
    if (!count_delay(s.controls.power_change_pending, s.controls.power_delay_count,
                     d.vehicle.PowerDelay))
        return;
    if (s.controls.power_notch >= s.controls.applied_power_notch ||
        s.controls.power_notch >= d.vehicle.NotchBack || s.controls.power_notch == 0)
        s.controls.applied_power_notch = s.controls.power_notch;
}

// Steps that belong to the line-side subsystems stand here in their place in the order.
void timetable_and_limit_signs(Drive& d) {
    slide_timetable_card(d.view, d.s.controls, d.data.timetable_card.width);
    if (d.s.protection.limit_blink) {
        if (d.s.timers.tick_count % 10 == 5) d.view.SpeedLimitImage.visible = false;
        if (d.s.timers.tick_count % 10 == 0) d.view.SpeedLimitImage.visible = true;
    }
}
void line_sounds_and_announcements(Drive& d) {
    line_sound_points(d);
    doppler_points(d);
    point_noises(d);
    passenger_announcements(d);
}
void controller_poll_and_callouts(Drive& d) {
    if (d.joystick && d.controllers->controller_type >= 1) read_game_controller(d);
    play_next_callout(d);
}

void window_caption(Drive& d) {
    if (d.view.caption == "Ostrel") d.view.caption = d.line.display(d.line.LineName);
}

}  // namespace

void fast_step(Drive& d) {
    DriveState& s = d.s;
    s.traction.tractive_force = Fixed4{};
    s.traction.resistance_force = Fixed4{};
    if (s.traction.line_voltage_target.raw > 0) {
        add_traction_force(s.traction, s.controls, s.motion, s.stops, s.brake, d.vehicle);
        apply_power_delay(d);
        s.traction.traction_snapshot = s.traction.tractive_force;
    }
    update_brake_pressures(d);
    if (count_delay(s.controls.brake_change_pending, s.controls.brake_delay_count,
                    d.vehicle.BrakeDelay))
        s.controls.applied_brake_notch = s.controls.brake_notch;
    if (count_delay(s.controls.sap_change_pending, s.controls.sap_delay_count, d.vehicle.SAPDelay))
        s.controls.sap_notch = s.controls.brake_notch;
    advance_frame_and_position(s.motion, s.stops, d.line);
    move_preceding_train(s.protection, s.motion, s.timers, d.line, d.index);
    s.timers.clock += 1;
    if (s.controls.auto_run) s.motion.train_speed = s.motion.video_speed;
    count_submovie_frames(s.video, s.timers, s.motion, d.line);
}

void tick(Drive& d) {
    DriveState& s = d.s;
    preset_patterns(s.protection, s.motion, d.line, d.index);
    s.timers.tick_count += 1;
    update_needles(d.view, s, d.vehicle);
    update_speed_label(d);
    apply_brake_force(s.brake, s.traction, s.controls, s.motion, d.vehicle);
    integrate_speed(s.motion, s.traction, s.controls, d.vehicle);
    brake_squeal(s.brake, s.motion, d.sound, d.vehicle);
    door_closing_step(d);
    update_train_lamps(d.view, s, d.vehicle);
    timetable_and_limit_signs(d);
    if (s.timers.tick_count % 10 == 0) update_clock_label(d.view, s.timers);
    automatic_gear_selection(s.traction, s.motion, d.vehicle);
    play_brake_sounds(s.brake, s.controls, d.sound, d.vehicle);
    update_meters(s.traction, s.controls, s.motion, d.vehicle);
    run_compressor(s.brake, d.sound, d.vehicle);
    line_sounds_and_announcements(d);
    if (follow_slope_sections(s.traction, s.motion, d.line, d.index))
        show_gradient_board(d.view, s.traction);
    average_gradient(s.traction, s.motion, d.vehicle);
    signals_and_ats(d);
    speed_limits_and_checks(d);
    stations_step(d);
    vigilance_device(d);
    stop_approach_alarm(d);
    show_signs_and_crossings(d);
    crossfade_running_sound(d.sound, s.motion);
    shape_engine_sounds(d);
    update_engine_speed(s.traction, s.controls, s.motion, d.vehicle);
    diesel_idle_sounds(d.sound, d.vehicle, s.traction, s.stops);
    if (!switch_submovies(d)) return;
    stop_at_line_ends(d);
    complete_gear_change(d);
    show_easy_cab(d.view, s.controls, s.stops);
    show_ats_text(d.view, s.protection, s.motion, d.line);
    update_gear_indicator(d);
    protect_against_rolling_back(d);
    update_darkening(d.view, s.motion, d.line, d.index, d.options.visual_effects_off);
    reset_gears_at_low_speed(s.traction, s.motion, d.vehicle);
    show_stop_line(d.view, s.stops);
    window_caption(d);
    fill_value_display(d);
    update_hint(d);
    controller_poll_and_callouts(d);
    // The keys the game controller typed, once everything else of the tick is done.
    handle_posted_keys(d);
}

void show_cab_before_start(Drive& d) {
    refresh_notch_display(d);
    update_clock_label(d.view, d.s.timers);
}

void start_or_pause(Drive& d) {
    DriveState& s = d.s;
    if (s.timers.tick_timer_running) {
        for (int ch = 0; ch < SoundChannels::kCount; ++ch) {
            s.timers.paused_channels[static_cast<std::size_t>(ch)] = d.sound.playing(ch);
            if (d.sound.is_playing(ch)) d.sound.stop(ch);
        }
        s.timers.fast_timer_running = s.timers.tick_timer_running = false;
        s.controls.input_locked = false;
        d.view.start_caption = "運転再開(&S)";
    } else {
        s.timers.fast_timer_running = s.timers.tick_timer_running = true;
        s.controls.input_locked = false;
        d.view.start_caption = "一時停止(&S)";
        for (int ch = 0; ch < SoundChannels::kCount; ++ch) {
            switch (s.timers.paused_channels[static_cast<std::size_t>(ch)]) {
                case SoundChannels::Playing::Once:
                    d.sound.play(ch);
                    break;
                case SoundChannels::Playing::Looping:
                    d.sound.play_looping(ch);
                    break;
                default:
                    break;
            }
            s.timers.paused_channels[static_cast<std::size_t>(ch)] = SoundChannels::Playing::Idle;
        }
    }
}

}  // namespace ostrel
