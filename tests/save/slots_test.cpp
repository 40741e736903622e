#include "save/slots.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include "sample_drive.h"
#include "sim/move.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(SaveSlots, AStateSavedAtWalkingPaceComesBackBraked) {
    MemorySettings store;
    TestDrive t(sample_drive());
    StationClick(t.drive, 1);
    t.s.train_speed = 0.4L;
    save_slot(t.drive, store, 2);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態を保存しました");
    EXPECT_EQ(store.read_text(kSettingsKey, "Save2"), "line_ltd.dat,1,0,3000,1951050,100000,8500");
    EXPECT_EQ(store.read_text(kSettingsKey, "Save2Title"), "試験線（中駅～信号場）");

    t.s.train_speed = 50;
    t.s.current_frame = 4000;
    load_slot(t.drive, store, 2);
    EXPECT_EQ(t.s.train_speed, 0);
    EXPECT_EQ(t.s.current_frame, 3000);
    EXPECT_EQ(t.s.brake_notch, 1 - t.loaded.vehicle.Brake);
    EXPECT_EQ(t.s.next_stop_position, 366667);  // station 3: station 2 is passed through
}

TEST(SaveSlots, AMovingStateComesBackMovingWithTheBrakeReleased) {
    MemorySettings store;
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1,60,3500,1952000,116667,0");
    TestDrive t(sample_drive());
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.s.train_speed, 60);
    EXPECT_EQ(t.s.brake_notch, 0);
    EXPECT_EQ(t.s.power_notch, 0);
    EXPECT_EQ(t.s.clock, 1952000);
    EXPECT_EQ(t.s.train_position, 116667);
}

TEST(SaveSlots, RecordsOfAnotherLineOrInAnotherShapeChangeNothing) {
    MemorySettings store;
    TestDrive t(sample_drive());
    const int clock = t.s.clock;
    store.write_text(kSettingsKey, "Save1", "line_exp.dat,1,60,3500,1952000,116667,0");
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態を保存したダイヤではありません");
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1,fast,3500,1952000,116667,0");
    load_slot(t.drive, store, 1);
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1");
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.s.clock, clock);
    EXPECT_EQ(t.s.current_frame, 100);
    load_slot(t.drive, store, 3);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態が保存されていません");
}

TEST(SaveSlots, ASaveBeforeTheFirstStationCanStillBeRestored) {
    MemorySettings store;
    TestDrive t(sample_drive());
    t.s.train_position = 50;  // before the first stopping point
    save_slot(t.drive, store, 3);
    EXPECT_EQ(store.read_text(kSettingsKey, "Save3Title"), "試験線（～東駅）");
    SlotMenu menu = refresh_slot_captions(store);
    EXPECT_TRUE(menu.load_enabled[2]);
    EXPECT_FALSE(menu.load_enabled[0]);
    EXPECT_EQ(menu.load_captions[0], "No Data");
    EXPECT_EQ(menu.save_captions[0], "No Data");
}

TEST(Settings, OptionsTakeTheirDefaultsUnlessAllThreeAreStored) {
    MemorySettings store;
    store.write_int(kSettingsKey, "Kanko", 1);
    store.write_int(kSettingsKey, "Information", 0);
    DriveOptions o = read_options(store);
    EXPECT_FALSE(o.callouts_off);
    EXPECT_TRUE(o.explanation_mode);
    store.write_int(kSettingsKey, "ATS", 1);
    o = read_options(store);
    EXPECT_TRUE(o.callouts_off);
    EXPECT_FALSE(o.explanation_mode);
    EXPECT_TRUE(o.ats_off);
}

TEST(Settings, AFileKeepsValuesBetweenRuns) {
    auto path =
        std::filesystem::temp_directory_path() / ("ostrel_settings_" + std::to_string(::getpid()));
    std::filesystem::remove(path);
    {
        FileSettings store(path);
        store.write_text(kSettingsKey, "Save1Title", "試験線\t（東駅～中駅）\\n");
        store.write_int(kSettingsKey, "ATS", -7);
    }
    FileSettings again(path);
    EXPECT_EQ(again.read_text(kSettingsKey, "Save1Title"), "試験線\t（東駅～中駅）\\n");
    EXPECT_EQ(again.read_int(kSettingsKey, "ATS"), -7);
    EXPECT_FALSE(again.read_int(kSettingsKey, "Kanko"));
    std::filesystem::remove(path);
    FileSettings nowhere("/nonexistent-dir/settings");
    EXPECT_FALSE(nowhere.open_key(kSettingsKey));
}

}  // namespace
}  // namespace ostrel
