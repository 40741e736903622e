#include "sim/protection.h"

#include "drive/drive.h"

namespace ostrel {

void vigilance_device(Drive& d) {
    DriveState& s = d.s;
    // Driving by the video speed or without resistance leaves no one to watch.
    if (s.controls.auto_run || s.controls.resistance_released) s.brake.vigilance_fitted = 0;
    if (s.motion.train_speed > 1 && s.brake.vigilance_fitted == 1) s.controls.idle_ticks += 1;
    const int ring = d.vehicle.Sound_EBring;
    if (s.controls.idle_ticks >= 601 && s.controls.idle_ticks < 651) {
        if (!d.sound.is_playing(ring)) restart(d.sound, ring);
        if (SpriteState* lamp = d.view.sprite(d.view.ids.lamp_eb)) lamp->visible = true;
    }
    if (s.controls.idle_ticks >= 651) {
        d.sound.stop(ring);
        s.controls.idle_ticks = 0;
        s.brake.system_eb = true;
        d.rules.refresh_notch_display(d);
        s.controls.power_change_pending = s.controls.brake_change_pending =
            s.controls.sap_change_pending = true;
    }
}

}  // namespace ostrel
