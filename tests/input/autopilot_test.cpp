#include "input/autopilot.h"

#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"

namespace ostrel {
namespace {

struct AutopilotRun {
    bool finished = false;
    bool emergency = false;
    std::vector<std::string> events;
    int seconds = 0;
};

// Drives a whole service with the autopilot, as `ostrel-sim run --autopilot` does.
AutopilotRun drive_service(LoadedDrive data) {
    fixture::TestDrive t(std::move(data));
    Autopilot pilot(t.drive);
    AutopilotRun run;
    ClockHooks hooks;
    hooks.after_tick = [&](std::int64_t ms) {
        pilot.act(t.drive);
        run.emergency = run.emergency || t.s.brake.system_eb;
        for (auto& e : pilot.take_events())
            run.events.push_back(e);
        run.seconds = static_cast<int>(ms / 1000);
    };
    hooks.ended = [&pilot] { return pilot.finished(); };
    t.clock.advance_to(30 * 60 * 1000, hooks);
    run.finished = pilot.finished();
    return run;
}

void expect_every_stop_in_the_window(const AutopilotRun& run) {
    int stops = 0;
    for (const std::string& e : run.events) {
        if (e.find("stopped at") == std::string::npos) continue;
        ++stops;
        EXPECT_EQ(e.find("outside"), std::string::npos) << e;
    }
    EXPECT_EQ(stops, 4);  // the first station, the second, the stop without doors, the terminus
}

TEST(Autopilot, DrivesTheConductorServiceToItsLastStop) {
    AutopilotRun run = drive_service(fixture::sample_drive("line_ltd.dat"));
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.emergency);
    expect_every_stop_in_the_window(run);
    EXPECT_LT(run.seconds, 15 * 60);
}

TEST(Autopilot, WorksTheDoorsOnTheOneManService) {
    AutopilotRun run = drive_service(fixture::sample_drive("line_exp.dat"));
    EXPECT_TRUE(run.finished);
    EXPECT_FALSE(run.emergency);
    expect_every_stop_in_the_window(run);
}

// The same service with trains that drive differently.
struct Variant {
    const char* name;
    void (*change)(Vehicle&);
};

void diesel(Vehicle& v, int gearbox) {
    v.Engine_Type = 0;
    v.Notch.clear();
    v.Gear_Type = gearbox;
    v.Engine = {{0, 5, 10, 1, 1, 1},
                {0, 20, 40, 2.5L, 2.0L, 1.5L},
                {30, 50, 70, 1.5L, 1.2L, 1.0L},
                {60, 80, 100, 1.0L, 0.8L, 0.6L}};
    v.EngineRate = {{100, 0}, {200, 30}, {300, 15}, {400, 8}};
}

const Variant kVariants[] = {
    {"automatic air brake",
     [](Vehicle& v) {
         v.BrakeType = 0;
         v.Brake = 4;
     }},
    {"electric-command brake", [](Vehicle& v) { v.BrakeType = 2; }},
    {"two handles",
     [](Vehicle& v) {
         v.Handle = 1;
         v.Hold = 0;
     }},
    {"warning ATS",
     [](Vehicle& v) {
         v.ATS_Type = 0;
         v.ATS_Alert = 1;
     }},
    {"diesel, automatic gears", [](Vehicle& v) { diesel(v, 0); }},
    {"diesel, manual gears", [](Vehicle& v) { diesel(v, 1); }},
};

TEST(Autopilot, DrivesEveryKindOfTrain) {
    for (const Variant& variant : kVariants) {
        LoadedDrive data = fixture::sample_drive("line_ltd.dat");
        variant.change(data.vehicle);
        AutopilotRun run = drive_service(data);
        EXPECT_TRUE(run.finished) << variant.name;
        EXPECT_FALSE(run.emergency) << variant.name;
        expect_every_stop_in_the_window(run);
    }
}

TEST(Autopilot, StopsAtADialogThatOpensWhileItDrivesNotAtOneAnsweredBefore) {
    fixture::TestDrive t(fixture::sample_drive());
    t.s.stops.end_dialog_shown = true;  // a crew change the driver chose to drive on from
    Autopilot pilot(t.drive);
    pilot.act(t.drive);
    EXPECT_FALSE(pilot.finished());
    t.s.stops.end_dialog_shown = false;  // "Move" clears it; a later dialog stops the autopilot
    pilot.act(t.drive);
    t.s.stops.end_dialog_shown = true;
    pilot.act(t.drive);
    EXPECT_TRUE(pilot.finished());
}

TEST(Autopilot, ConfirmsTheAlarmAndSilencesTheChimeOnlyOnceItRings) {
    LoadedDrive data = fixture::sample_drive();
    data.vehicle.ATS_Type = 0;
    data.vehicle.ATS_Alert = 1;
    data.vehicle.ATS_Cnt = 0;  // the chime loops until silenced
    fixture::TestDrive t(data);
    Autopilot pilot(t.drive);
    t.s.protection.ats_alarm = true;
    t.s.controls.brake_notch = -3;
    pilot.act(t.drive);  // confirms: the alarm becomes the chime, not yet rung
    EXPECT_FALSE(t.s.protection.ats_alarm);
    EXPECT_TRUE(t.s.protection.ats_chime);
    t.channels.play_looping(data.vehicle.Sound_Ats2);  // the tick rings it
    t.s.protection.ats_chime = false;
    pilot.act(t.drive);  // now silenced
    EXPECT_FALSE(t.channels.is_playing(data.vehicle.Sound_Ats2));
}

TEST(Autopilot, TheLeverAsOneNumber) {
    fixture::TestDrive t(fixture::sample_drive());
    EXPECT_EQ(lever_position(t.drive), -9);
    press_character_key(t.drive, '5');
    press_character_key(t.drive, '2');  // hold counts as the middle
    EXPECT_EQ(lever_position(t.drive), 0);
    press_character_key(t.drive, '8');
    press_character_key(t.drive, '8');
    EXPECT_EQ(lever_position(t.drive), 1);
}

}  // namespace
}  // namespace ostrel
