#include "session/commands.h"

#include <algorithm>

#include "core/cases.h"
#include "drive/drive.h"
#include "input/controllers.h"
#include "save/slots.h"
#include "session/steps.h"
#include "sim/move.h"

namespace ostrel {

void toggle_option(Drive& d, DriveOption option) {
    DriveOptions& o = d.options;
    switch (option) {
        case DriveOption::CalloutsOff:
            o.callouts_off = !o.callouts_off;
            break;
        case DriveOption::AtsOff:
            o.ats_off = !o.ats_off;
            break;
        case DriveOption::VisualEffectsOff:
            o.visual_effects_off = !o.visual_effects_off;
            break;
        case DriveOption::ExplanationMode:
            o.explanation_mode = !o.explanation_mode;
            // Without explanations the hint over the video goes at once.
            if (!o.explanation_mode) {
                d.view.video_notice.clear();
                d.shell.redraw();
            }
            break;
    }
}

std::optional<DriveOption> option_named(const std::string& name) {
    if (name == "Kanko") return DriveOption::CalloutsOff;
    if (name == "Information") return DriveOption::ExplanationMode;
    if (name == "ATS") return DriveOption::AtsOff;
    if (name == "visual") return DriveOption::VisualEffectsOff;
    return std::nullopt;
}

void apply(Drive& d, SettingsStore& settings, const Command& command) {
    std::visit(Cases{
                   [&](const StartOrPause&) { start_or_pause(d); },
                   [&](const CharacterKey& c) { press_character_key(d, c.key); },
                   [&](const VirtualKeyPress& k) { press_virtual_key(d, k.key, k.shift); },
                   [&](const WheelStep& w) {
                       if (w.towards_power)
                           wheel_towards_power(d);
                       else
                           wheel_towards_brake(d);
                   },
                   [&](const MoveToStation& m) { move_to_station(d, m.station_row); },
                   [&](const SaveToSlot& s) { save_slot(d, settings, s.slot); },
                   [&](const LoadFromSlot& l) { load_slot(d, settings, l.slot); },
                   [&](const ToggleOption& o) { toggle_option(d, o.option); },
                   [&](const SetControllerDebug& c) { set_controller_debug(d, c.on); },
                   [&](const SerialText& t) { serial_text_received(d, t.text); },
                   [&](const SetControllerType& c) { d.controllers->controller_type = c.type; },
                   [&](const SetResistanceReleased& r) { d.s.controls.resistance_released = r.on; },
                   // Any number may be typed; the frame stays where frames can be counted on.
                   [&](const JumpToFrame& j) {
                       d.s.motion.current_frame = std::clamp(j.frame, 0, kMaxJumpFrame);
                   },
                   [&](const StopChannel& c) { d.sound.stop(c.channel); },
                   [&](const SetControllerCodes& c) { d.controllers->codes = c.codes; },
               },
               command);
    handle_posted_keys(d);
}

}  // namespace ostrel
