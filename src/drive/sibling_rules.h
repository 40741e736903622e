#pragma once
// The rules of one subsystem that another calls while it runs. The simulation and the driver's
// controls do not include the view or the sound (nor each other), yet some of their moments
// must be answered at once: the notches moved, so the cab shows them (which also ends constant
// speed and may give the first power's call-out); a station's moment has come, so its
// call-outs are queued; a key opens the doors or asks for a call-out. They call through the
// drive's `rules`, which the session made the drive with (`session/sibling_rules.h`): each
// call is the named subsystem's rule of the same name, run there and then.

namespace ostrel {

struct Drive;

// When the station call-outs of the next station are made.
enum class StationOccasion {
    Stopped = 0,       // the train has stopped at the station
    Arrived = 1,       // the arrival sound has started
    Melody = 2,        // the departure melody has started after the dwell
    DoorsClosed = 3,   // the doors have finished closing
    FirstPower = 4,    // the first power notch after the stop, doors closed
    DoorsClosing = 5,  // the doors are being closed at the end of the dwell
};

class SiblingRules {
  public:
    virtual ~SiblingRules() = default;
    // The view's: the notch, brake, reverser and gear labels and the notch sprites.
    virtual void refresh_notch_display(Drive& d) const = 0;
    virtual void show_gear_label(Drive& d) const = 0;
    // ... and the timetable card turned to the page of the next station (F1).
    virtual void timetable_page(Drive& d) const = 0;
    // The sound's: the call-outs of the next station at one of its moments, a call-out by its
    // number, and the call-out keys (Enter, Shift+Enter).
    virtual void station_callout(Drive& d, StationOccasion occasion) const = 0;
    virtual void queue_callout_id(Drive& d, int callout_id) const = 0;
    virtual void callout_key(Drive& d) const = 0;
    virtual void supervision_callout(Drive& d) const = 0;
    // The simulation's: the doors opened or closed as the door switch does.
    virtual void operate_doors(Drive& d) const = 0;
};

}  // namespace ostrel
