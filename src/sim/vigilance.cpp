#include "sim/vigilance.h"

#include "drive/drive.h"
#include "view/notch_display.h"

namespace ostrel {

void vigilance_device(Drive& d) {
    DriveState& s = d.s;
    // Driving by the video speed or without resistance leaves no one to watch.
    if (s.auto_run || s.resistance_released) s.vigilance_fitted = 0;
    if (s.train_speed > 1 && s.vigilance_fitted == 1) s.idle_ticks += 1;
    const int ring = d.vehicle.Sound_EBring;
    if (s.idle_ticks >= 601 && s.idle_ticks < 651) {
        if (!d.sound.is_playing(ring)) restart(d.sound, ring);
        if (SpriteState* lamp = d.view.sprite(d.view.ids.lamp_eb)) lamp->visible = true;
    }
    if (s.idle_ticks >= 651) {
        d.sound.stop(ring);
        s.idle_ticks = 0;
        s.system_eb = true;
        refresh_notch_display(d);
        s.power_change_pending = s.brake_change_pending = s.sap_change_pending = true;
    }
}

}  // namespace ostrel
