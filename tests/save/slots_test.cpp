#include "save/slots.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include "sample_drive.h"
#include "sim/move.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

TEST(SaveSlots, AStateSavedAtWalkingPaceComesBackBraked) {
    MemorySettings store;
    TestDrive t(sample_drive());
    move_to_station(t.drive, 1);
    t.s.motion.train_speed = 0.4L;
    save_slot(t.drive, store, 2);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態を保存しました");
    EXPECT_EQ(store.read_text(kSettingsKey, "Save2"), "line_ltd.dat,1,0,3000,1951050,100000,8500");
    EXPECT_EQ(store.read_text(kSettingsKey, "Save2Title"), "試験線（中駅～信号場）");

    t.place(4000, 50);
    load_slot(t.drive, store, 2);
    EXPECT_EQ(t.s.motion.train_speed, 0);
    EXPECT_EQ(t.s.motion.current_frame, 3000);
    EXPECT_EQ(t.s.controls.brake_notch, 1 - t.loaded.vehicle.Brake);
    EXPECT_EQ(t.s.stops.next_stop_position, 366667);  // station 3: station 2 is passed through
}

TEST(SaveSlots, AMovingStateComesBackMovingWithTheBrakeReleased) {
    MemorySettings store;
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1,60,3500,1952000,116667,0");
    TestDrive t(sample_drive());
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.s.motion.train_speed, 60);
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    EXPECT_EQ(t.s.controls.power_notch, 0);
    EXPECT_EQ(t.s.timers.clock, 1952000);
    EXPECT_EQ(t.s.motion.train_position, 116667);
}

TEST(SaveSlots, RecordsOfAnotherLineOrInAnotherShapeChangeNothing) {
    MemorySettings store;
    TestDrive t(sample_drive());
    const int clock = t.s.timers.clock;
    store.write_text(kSettingsKey, "Save1", "line_exp.dat,1,60,3500,1952000,116667,0");
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態を保存したダイヤではありません");
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1,fast,3500,1952000,116667,0");
    load_slot(t.drive, store, 1);
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1");
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.s.timers.clock, clock);
    EXPECT_EQ(t.s.motion.current_frame, 100);
    load_slot(t.drive, store, 3);
    EXPECT_EQ(t.shell.log.back(), "message 運転状態が保存されていません");
}

TEST(SaveSlots, ASaveBeforeTheFirstStationCanStillBeRestored) {
    MemorySettings store;
    TestDrive t(sample_drive());
    t.s.motion.train_position = 50;  // before the first stopping point
    save_slot(t.drive, store, 3);
    EXPECT_EQ(store.read_text(kSettingsKey, "Save3Title"), "試験線（～東駅）");
    SlotMenu menu = refresh_slot_captions(store);
    EXPECT_TRUE(menu.load_enabled[2]);
    EXPECT_FALSE(menu.load_enabled[0]);
    EXPECT_EQ(menu.load_captions[0], "No Data");
    EXPECT_EQ(menu.save_captions[0], "No Data");
}

TEST(SaveSlots, ARecordWithValuesNoDriveCouldHaveSavedIsRefusedUnchanged) {
    TestDrive t(sample_drive());
    const int clock = t.s.timers.clock;
    const std::string refused =
        "message 'line_ltd.dat,99999,1e308,2147483647,2147483647,1e308,2147483647' "
        "は運転状態の記録として読めません";
    for (const char* record : {
             "line_ltd.dat,99999,1e308,2147483647,2147483647,1e308,2147483647",
             "line_ltd.dat,-1,0,3000,1951050,100000,0",     // no such station
             "line_ltd.dat,1,0,-5,1951050,100000,0",        // before the video
             "line_ltd.dat,1,0,99999999,1951050,100000,0",  // past the line
             "line_ltd.dat,1,0,3000,2147483647,100000,0",   // a clock that would overflow
             "line_ltd.dat,1,0,3000,-1,100000,0",
             "line_ltd.dat,1,nan,3000,1951050,100000,0",
             "line_ltd.dat,1,0,3000,1951050,1e308,0",
             "line_ltd.dat,1,0,3000,1951050,100000,-3",
         }) {
        MemorySettings store;
        store.write_text(kSettingsKey, "Save1", record);
        load_slot(t.drive, store, 1);
        EXPECT_EQ(t.s.timers.clock, clock) << record;
        EXPECT_EQ(t.s.motion.current_frame, 100) << record;
        EXPECT_NE(t.shell.log.back().find("は運転状態の記録として読めません"), std::string::npos)
            << record;
    }
    MemorySettings store;
    store.write_text(kSettingsKey, "Save1",
                     "line_ltd.dat,99999,1e308,2147483647,2147483647,1e308,2147483647");
    load_slot(t.drive, store, 1);
    EXPECT_EQ(t.shell.log.back(), refused);
}

TEST(SaveSlots, TheMenuShowsASlotWhenItsRecordIsThereAndNeverAHugeCaption) {
    MemorySettings store;
    store.write_text(kSettingsKey, "Save1", "line_ltd.dat,1,0,3000,1951050,100000,0");
    store.write_text(kSettingsKey, "Save2Title", "試験線（東駅～中駅）");  // no record
    store.write_text(kSettingsKey, "Save3", "line_ltd.dat,1,0,3000,1951050,100000,0");
    std::string huge;
    for (int i = 0; i < 200000; ++i)
        huge += "駅";
    store.write_text(kSettingsKey, "Save3Title", huge);
    const SlotMenu menu = refresh_slot_captions(store);
    EXPECT_TRUE(menu.load_enabled[0]);
    EXPECT_EQ(menu.load_captions[0], "line_ltd.dat");
    EXPECT_FALSE(menu.load_enabled[1]);
    EXPECT_EQ(menu.load_captions[1], "No Data");
    EXPECT_TRUE(menu.load_enabled[2]);
    EXPECT_EQ(menu.load_captions[2].size(),
              120 * std::string("駅").size() + std::string("…").size());
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

TEST(Settings, OptionsOtherThanZeroAndOneLeaveTheDefaults) {
    MemorySettings store;
    store.write_int(kSettingsKey, "Kanko", 7);
    store.write_int(kSettingsKey, "Information", -1);
    store.write_int(kSettingsKey, "ATS", 2);
    const DriveOptions o = read_options(store);
    const DriveOptions defaults;
    EXPECT_EQ(o.callouts_off, defaults.callouts_off);
    EXPECT_EQ(o.explanation_mode, defaults.explanation_mode);
    EXPECT_EQ(o.ats_off, defaults.ats_off);
}

TEST(Settings, AFileKilledWhileSavingKeepsEveryValueItHadBefore) {
    const auto path = std::filesystem::temp_directory_path() /
                      ("ostrel_settings_kill_" + std::to_string(::getpid()));
    std::filesystem::remove(path);
    {
        FileSettings store(path);
        store.write_texts(kSettingsKey,
                          {{"Save1", std::string(4 << 20, 'a')}, {"Save1Title", "a"}});
    }
    for (int round = 0; round < 5; ++round) {
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            FileSettings store(path);
            for (char c = 'b';; c = c == 'z' ? 'b' : static_cast<char>(c + 1))
                store.write_texts(kSettingsKey,
                                  {{"Save1", std::string(4 << 20, c)}, {"Save1Title", {c}}});
        }
        ::usleep(static_cast<useconds_t>(20000 + round * 7000));
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);
        FileSettings after(path);
        const std::string record = after.read_text(kSettingsKey, "Save1");
        ASSERT_EQ(record.size(), 4u << 20) << "round " << round;
        EXPECT_EQ(after.read_text(kSettingsKey, "Save1Title"), record.substr(0, 1));
    }
    std::filesystem::remove(path);
    std::filesystem::path temp = path;
    std::filesystem::remove(temp += ".new");
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
