#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>

#include "sample_drive.h"
#include "save/controller_codes.h"
#include "save/slots.h"
#include "session/drive_report.h"
#include "session/script.h"
#include "session/session.h"
#include "sound/virtual_channels.h"

using namespace ostrel;
using namespace ostrel::fixture;

namespace {

// What a session runs on, headless.
struct Services {
    explicit Services(const char* line) : loaded(sample_drive(line)) {}
    DriveServices services() {
        return {channels, shell, settings, nullptr, 9000, &controllers, &joystick};
    }

    LoadedDrive loaded;
    VirtualChannels channels;
    RecordedShell shell;
    MemorySettings settings;
    ControllerSetup controllers;
    HeldJoystick joystick;
};

// A drive as the window runs one: its steps at uneven real times, two to four fast steps
// between ticks, and sounds that end whenever the channels' own clock says.
struct WindowDrive : Services {
    // `before` sets up the program's settings and controllers as an earlier drive left them.
    explicit WindowDrive(const char* line, const std::function<void(Services&)>& before = {})
        : Services(line),
          session(prepared(before), services(), Session::AutopilotAtEnd::HandsBackControl,
                  Session::StepInputs::Recorded, [this] { return now; }) {}

    const LoadedDrive& prepared(const std::function<void(Services&)>& before) {
        if (before) before(*this);
        return loaded;
    }

    void pass(std::int64_t ms) {
        now += ms;
        channels.set_time_ms(now);
    }
    // `ticks` ticks, the fast steps between them as a jittery timer gives them.
    void run(int ticks) {
        for (int i = 0; i < ticks && !session.ended(); ++i) {
            const int fast = 2 + (i * 7 + 3) % 3;
            for (int f = 0; f < fast; ++f) {
                pass(29 + (i + f) % 11);
                if (session.drive().s.timers.fast_timer_running) session.fast_step();
            }
            pass(3 + i % 5);
            if (!session.drive().s.timers.tick_timer_running) continue;
            session.tick();
            session.after_tick();
        }
    }

    std::int64_t now = 0;
    Session session;
};

// The recording played back headless, as `ostrel-sim run --script` does.
struct Replay : Services {
    Replay(const char* line, const std::string& recording)
        : Services(line),
          session(loaded, services(), Session::AutopilotAtEnd::EndsTheDrive,
                  Session::StepInputs::Replayed) {
        StepPlayer player(ScriptedDrive{session, joystick}, parse_script(recording));
        player.play_until(INT64_MAX);
    }

    Session session;
};

void expect_same_drive(const Session& a, const Session& b) {
    const auto& ta = a.recorder().trace();
    const auto& tb = b.recorder().trace();
    ASSERT_EQ(ta.size(), tb.size());
    for (std::size_t i = 0; i < ta.size(); ++i) {
        ASSERT_EQ(ta[i].position_m, tb[i].position_m) << "tick " << i;
        ASSERT_EQ(ta[i].speed_kmh, tb[i].speed_kmh) << "tick " << i;
        ASSERT_EQ(ta[i].frame, tb[i].frame) << "tick " << i;
        ASSERT_EQ(ta[i].clock, tb[i].clock) << "tick " << i;
        ASSERT_EQ(ta[i].doors_open, tb[i].doors_open) << "tick " << i;
    }
    EXPECT_EQ(drive_report(a.recorder()).dump(2), drive_report(b.recorder()).dump(2));
}

}  // namespace

TEST(Recording, AWindowDriveWithItsOwnStepsAndSoundEndsReplaysExactly) {
    // The autopilot's keys and answers are recorded as commands; the sounds end at the
    // channels' times, which the replay never sees.
    WindowDrive drive("line_exp.dat");
    drive.session.set_autopilot(true);
    drive.session.apply(StartOrPause{});
    drive.run(2400);
    drive.session.set_autopilot(false);
    // The driver takes over: a few notches and the emergency brake.
    for (char key : {'z', 'z', 'a', 'q'})
        drive.session.apply(CharacterKey{key});
    drive.run(50);
    const std::string recording = drive.session.recording();
    EXPECT_NE(recording.find(" ended "), std::string::npos) << "no sound ended mid-drive";
    EXPECT_NE(recording.find(" steps ffft"), std::string::npos);
    EXPECT_NE(recording.find(" steps fft"), std::string::npos);
    ASSERT_GT(drive.session.recorder().stations().size(), 1u);

    Replay replay("line_exp.dat", recording);
    expect_same_drive(drive.session, replay.session);
    // The stepped channels heard the ends only where the recording put them: played on a
    // clock that never moves, the replay's own channels never end a sound.
    EXPECT_EQ(replay.channels.time_ms(), 0);
}

TEST(Recording, EveryKindOfCommandAndTheSlotALoadReadsReplay) {
    // Options, codes and the controller's last state kept by the program from earlier drives;
    // the replay starts from defaults and takes them from the recording.
    WindowDrive drive("line_ltd.dat", [](Services& earlier) {
        earlier.settings.open_key(kSettingsKey);
        write_options(earlier.settings, {.callouts_off = true, .explanation_mode = false});
        std::array<std::int32_t, ControllerSetup::kCodes> codes{};
        codes[0] = 4242;
        write_controller_codes(earlier.settings, codes);
        earlier.controllers.controller_type = 1;
        earlier.controllers.last_usb_state = 77;
    });
    EXPECT_TRUE(drive.session.drive().options.callouts_off);
    EXPECT_EQ(drive.controllers.codes[0], 4242);
    Session& s = drive.session;
    // A slot saved earlier, in the user's settings only.
    s.apply(StartOrPause{});
    drive.run(30);
    s.apply(SaveToSlot{2});
    drive.run(10);
    s.apply(ToggleOption{DriveOption::CalloutsOff});
    s.apply(SetControllerDebug{true});
    s.apply(SetControllerDebug{true});  // already on: nothing to replay
    s.apply(SerialText{std::string("AB C#\\\r\n\x81\x40", 10)});
    s.apply(CharacterKey{'\r'});
    s.apply(CharacterKey{' '});
    s.apply(CharacterKey{'#'});
    s.apply(VirtualKeyPress{VirtualKey::F12, true});
    s.apply(WheelStep{true});
    s.apply(WheelStep{false});
    s.apply(SetResistanceReleased{true});
    s.apply(StopChannel{5});
    s.apply(SetControllerType{2});
    drive.joystick.state = {120, -40, 0x12};
    drive.run(10);
    s.apply(JumpToFrame{2147483647});  // kept within the frames that can be counted
    EXPECT_EQ(s.drive().s.motion.current_frame, kMaxJumpFrame);
    s.apply(VirtualKeyPress{VirtualKey::F8, true});
    s.apply(JumpToFrame{400});
    drive.run(10);
    s.apply(LoadFromSlot{2});
    drive.run(20);
    const std::string recording = s.recording();
    EXPECT_NE(recording.find(" slot 2 line_ltd.dat,"), std::string::npos);
    EXPECT_NE(recording.find(" char 0x0d\n"), std::string::npos);
    EXPECT_NE(recording.find(" char #\n"), std::string::npos);
    EXPECT_NE(recording.find(" serial AB\\x20C\\x23\\\\\\r\\n\\x81@\n"), std::string::npos);
    EXPECT_NE(recording.find(" usb 120 -40 18\n"), std::string::npos);
    EXPECT_EQ(recording.find("menu debug"), recording.rfind("menu debug"));

    Replay replay("line_ltd.dat", recording);
    expect_same_drive(s, replay.session);
    const Drive& a = s.drive();
    const Drive& b = replay.session.drive();
    EXPECT_EQ(a.view.value_display_caption, b.view.value_display_caption);
    EXPECT_EQ(a.options.callouts_off, b.options.callouts_off);
    EXPECT_TRUE(b.options.controller_debug);
    EXPECT_EQ(a.s.controls.resistance_released, b.s.controls.resistance_released);
    EXPECT_EQ(replay.controllers.controller_type, 2);
    EXPECT_EQ(replay.controllers.codes, drive.controllers.codes);
    EXPECT_NE(recording.find("\n0 usb-last 77\n"), std::string::npos);
    EXPECT_EQ(stored_slot_record(replay.settings, 2), stored_slot_record(drive.settings, 2));
}

TEST(Recording, TheHeadSaysWhatTheDriveWasDrivenOnAndBadLinesAreNamed) {
    WindowDrive drive("line_ltd.dat");
    const std::string recording = drive.session.recording();
    const ScriptHeader head = read_script_header(recording);
    EXPECT_EQ(head.line, "line_ltd.dat");
    EXPECT_EQ(head.start, 0);
    EXPECT_EQ(head.video_frames, 9000);
    EXPECT_TRUE(head.vehicle.has_value());
    // Comments of nothing but hashes are no trouble.
    EXPECT_FALSE(read_script_header("#\n# \n##\n# line\n").line.has_value());
    // A script of recorded steps keeps its order; one on the virtual clock is sorted.
    EXPECT_EQ(parse_script("200 char z\n100 steps ft\n")[0].verb, "char");
    EXPECT_EQ(parse_script("200 char z\n100 char a\n")[0].args[0], "a");
    for (const char* bad : {"0 steps fx\n", "0 ended 256\n", "0 slot 4 x\n", "0 jump x\n",
                            "0 resistance maybe\n", "0 char 0xZZ\n"})
        EXPECT_THROW(parse_script(bad), ScriptError) << bad;
}
