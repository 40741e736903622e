#include "session/commands.h"

#include "input/controllers.h"
#include "save/slots.h"
#include "session/steps.h"
#include "sim/move.h"

namespace ostrel {

namespace {

template <class... F>
struct Cases : F... {
    using F::operator()...;
};
template <class... F>
Cases(F...) -> Cases<F...>;

}  // namespace

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
               },
               command);
    handle_posted_keys(d);
}

}  // namespace ostrel
