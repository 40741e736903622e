#include <gtest/gtest.h>

#include "input/controls.h"
#include "sample_drive.h"
#include "session/steps.h"
#include "view/line_side.h"
#include "view/panel_rules.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(Needles, TheSpeedNeedleStopsAt160AndTheAmmeterFollowsTheReverser) {
    TestDrive t(sample_drive());  // speed: base -135, 2.25 per km/h; ammeter: -90, 0.2, mode 1
    Drive& d = t.drive;
    t.s.motion.train_speed = 100;
    update_needles(d.view, d.s, d.vehicle);
    SpriteState* speed = d.view.sprite(d.view.ids.needle_speed);
    EXPECT_EQ(speed->angle, needle_angle(100, 2.25L, -135));  // (225 - 135) x 255 / 360 = 63.75
    EXPECT_EQ(speed->angle, 64);
    t.s.motion.train_speed = 170;
    update_needles(d.view, d.s, d.vehicle);
    EXPECT_EQ(speed->angle, 64);
    t.s.motion.train_speed = -0.5L;
    update_needles(d.view, d.s, d.vehicle);
    EXPECT_EQ(speed->angle, 64);
    t.s.traction.motor_current = -300;
    t.s.controls.reverser = 0;
    update_needles(d.view, d.s, d.vehicle);
    EXPECT_EQ(d.view.sprite(d.view.ids.needle_i)->angle, 0);
    t.s.controls.reverser = -1;
    update_needles(d.view, d.s, d.vehicle);
    EXPECT_EQ(d.view.sprite(d.view.ids.needle_i)->angle, -needle_angle(300, 0.2L, -90));
}

TEST(Labels, TheSpeedLabelRoundsHalvesToEven) {
    TestDrive t(sample_drive());
    t.s.motion.train_speed = 2.5L;
    update_speed_label(t.drive);
    EXPECT_EQ(t.drive.view.digi_speed, "2km/h");
    t.s.motion.train_speed = 3.5L;
    update_speed_label(t.drive);
    EXPECT_EQ(t.drive.view.digi_speed, "4km/h");
    t.s.motion.train_speed = 0.4L;
    update_speed_label(t.drive);
    EXPECT_EQ(t.drive.view.digi_speed, "0km/h");
}

TEST(EasyCab, TheShapesLightForTheNotchesAndTheStatusFollowsTheDoors) {
    TestDrive t(sample_drive());
    t.s.controls.power_notch = 2;
    t.s.controls.brake_notch = 0;
    show_easy_cab(t.drive.view, t.s.controls, t.s.stops);
    const ViewState& v = t.drive.view;
    EXPECT_EQ(v.easy_neutral, 0xFFFFFF);  // white: not in neutral
    EXPECT_EQ(v.easy_power[0], 65535);    // yellow for P1 and P2
    EXPECT_EQ(v.easy_power[1], 65535);
    EXPECT_EQ(v.easy_power[2], 0xFFFFFF);
    EXPECT_EQ(v.easy_brake[0], 0xFFFFFF);
    t.s.controls.power_notch = 0;
    t.s.controls.brake_notch = -3;
    t.s.stops.door_command = false;
    t.s.stops.doors_open = true;
    show_easy_cab(t.drive.view, t.s.controls, t.s.stops);
    EXPECT_EQ(v.easy_brake[2], 255);  // red for B1 .. B3
    EXPECT_EQ(v.easy_brake[3], 0xFFFFFF);
    EXPECT_EQ(v.easy_status, "ドアを閉めています");
    t.s.controls.brake_notch = 0;
    t.s.stops.doors_open = false;
    show_easy_cab(t.drive.view, t.s.controls, t.s.stops);
    EXPECT_EQ(v.easy_neutral, 65280);  // green
    EXPECT_EQ(v.easy_status, "");
}

}  // namespace
}  // namespace ostrel
