#include "session/session.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "sample_drive.h"
#include "session/virtual_clock.h"
#include "sound/virtual_channels.h"

using namespace ostrel;
using namespace ostrel::fixture;

namespace {

LoadedDrive ending_at(const char* line, int crew_change_row) {
    LoadedDrive loaded = sample_drive(line);
    loaded.selection.end_station_index = crew_change_row;
    return loaded;
}

// A session on the virtual clock, as the headless runner makes one.
struct TestSession {
    TestSession(const char* line, Session::AutopilotAtEnd at_end, int crew_change_row = 999)
        : loaded(ending_at(line, crew_change_row)),
          session(loaded, {channels, shell, settings, nullptr, 9000}, at_end) {}

    // Runs the clock, following every tick as the front ends do, until the drive ends or
    // `until` says so.
    template <class Until>
    void run(std::int64_t up_to_ms, Until until) {
        ClockHooks hooks;
        hooks.after_tick = [&](std::int64_t) { after.push_back(session.after_tick()); };
        hooks.ended = [&] { return session.ended() || until(); };
        clock.advance_to(clock.now_ms() + up_to_ms, hooks);
    }

    LoadedDrive loaded;
    VirtualChannels channels;
    RecordedShell shell;
    MemorySettings settings;
    Session session;
    VirtualClock clock{session.drive(), channels};
    std::vector<Session::AfterTick> after;
};

}  // namespace

TEST(Session, ACrewChangeIsDrivenOnFromOrEndedAndOnlyAnOpenDialogIsAnswered) {
    TestSession t("line_exp.dat", Session::AutopilotAtEnd::EndsTheDrive, 1);
    EXPECT_EQ(t.session.answer_end_dialog(Session::DialogAnswer::End),
              Session::Answered::NoDialogOpen);
    EXPECT_FALSE(t.session.ended());
    // The one-man service's crew-change station: doors open and closed, the dialog opens.
    t.session.apply(StartOrPause{});
    t.session.apply(MoveToStation{1});
    t.session.apply(CharacterKey{'d'});
    t.run(1000, [] { return false; });
    t.session.apply(CharacterKey{'c'});
    t.run(10000, [&] { return t.session.open_end_dialog().has_value(); });
    ASSERT_EQ(t.session.open_end_dialog(), Dialog::CrewChange);
    // The front end's shell still hears of it.
    EXPECT_NE(std::find(t.shell.log.begin(), t.shell.log.end(), "dialog crew_change"),
              t.shell.log.end());
    EXPECT_EQ(t.session.answer_end_dialog(Session::DialogAnswer::Continue),
              Session::Answered::DriveGoesOn);
    EXPECT_FALSE(t.session.open_end_dialog());
    EXPECT_FALSE(t.session.ended());
    EXPECT_EQ(t.session.answer_end_dialog(Session::DialogAnswer::End),
              Session::Answered::NoDialogOpen);
}

TEST(Session, TheAutopilotEndsAHeadlessDriveButHandsTheWindowsBackToTheDriver) {
    TestSession headless("line_ltd.dat", Session::AutopilotAtEnd::EndsTheDrive);
    headless.session.set_autopilot(true);
    headless.session.apply(StartOrPause{});
    headless.run(30 * 60 * 1000, [] { return false; });
    ASSERT_TRUE(headless.session.ended());
    EXPECT_EQ(headless.after.back().autopilot_ended, Dialog::LastStop);
    EXPECT_EQ(headless.after.back().autopilot_events.back(), "autopilot ends the drive");

    TestSession window("line_ltd.dat", Session::AutopilotAtEnd::HandsBackControl);
    window.session.set_autopilot(true);
    window.session.apply(StartOrPause{});
    window.run(30 * 60 * 1000, [&] { return !window.session.autopilot_on(); });
    EXPECT_FALSE(window.session.ended());
    EXPECT_TRUE(window.after.back().autopilot_handed_back);
    EXPECT_FALSE(window.after.back().autopilot_ended);
    // Both drives are the same drive up to there.
    EXPECT_EQ(window.clock.now_ms(), headless.clock.now_ms());
    EXPECT_EQ(window.session.drive().s.motion.train_position,
              headless.session.drive().s.motion.train_position);
    // The last stop ends the drive whatever the driver answers.
    EXPECT_EQ(window.session.answer_end_dialog(Session::DialogAnswer::Continue),
              Session::Answered::DriveEnds);
    EXPECT_TRUE(window.session.ended());
}
