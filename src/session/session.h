#pragma once
// Opening and closing a loaded drive with the platform services handed in: the desktop program
// and the headless runner make a drive the same way and differ only in who calls its steps
// (real timers or the virtual clock). UI thread.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "drive/drive.h"
#include "drive/drive_record.h"
#include "input/autopilot.h"
#include "save/settings_store.h"
#include "session/commands.h"
#include "session/stepped.h"

namespace ostrel {

struct DriveServices {
    SoundChannels& channels;
    Shell& shell;
    SettingsStore& settings;
    VideoSource* video = nullptr;  // the route video, when the front end has one
    int video_frames = 0;          // its length; 0 or -1 when it could not be opened
    // The program's controller choice and codes; the drive keeps its own when not given.
    ControllerSetup* controllers = nullptr;
    Joystick* joystick = nullptr;  // the game controller, when the front end has one
};

// Makes the drive on its loaded data: its menu options from the settings store, the cab as it
// stands before the first Start. `loaded` must outlive the drive.
std::unique_ptr<Drive> open_drive(const LoadedDrive& loaded, const DriveServices& services);

// Closing the driving window: every sound stops and the menu options are kept.
void close_drive(Drive& drive, SettingsStore& settings);

// One drive as every front end runs it (the window, the headless runner, the tests and the
// benchmarks): it makes the drive, takes the driver's commands, records each tick, runs what
// follows it (the autopilot and its answer at the end of the run) and keeps which end-of-run
// dialog is open until it is answered. The front end's clock calls the steps; the front end shows
// what the shell asks for. Not copied or moved: the drive keeps a reference to its shell.
class Session {
  public:
    // What the autopilot does once it has brought the train to an end-of-run dialog.
    enum class AutopilotAtEnd {
        EndsTheDrive,      // answers "end" (a headless run, which nobody else answers)
        HandsBackControl,  // switches itself off and leaves the dialog to the driver
    };
    // What the steps hear from outside the drive (sounds ending, the game controller):
    enum class StepInputs {
        Live,      // the front end's channels and controller as they are (the virtual clock)
        Recorded,  // taken before each step, and the drive written as a script of its steps
        Replayed,  // changed only by a recording's lines
    };
    // `now_ms`: the front end's clock, for the recording's times.
    Session(const LoadedDrive& loaded, const DriveServices& services, AutopilotAtEnd at_end,
            StepInputs inputs = StepInputs::Live, std::function<std::int64_t()> now_ms = {});
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    Drive& drive() { return *drive_; }
    SettingsStore& settings() { return settings_; }
    const Drive& drive() const { return *drive_; }

    // A command of the driver's, then the keys a controller typed meanwhile.
    void apply(const Command& command);

    // The two steps, each with what it hears from outside taken first; the tick is recorded.
    void fast_step();
    void tick();
    // A replay: the recording says a sound played once has ended here.
    void sound_ended(int channel);
    // A comment in the recording, for something the replay cannot repeat.
    void note_in_recording(const std::string& text) {
        if (recording_) recording_->comment(text);
    }
    // The drive so far as a script of its steps that replays it exactly; empty unless recorded.
    std::string recording() const { return recording_ ? recording_->text() : std::string(); }

    // On, the autopilot looks at the cab after every tick from now on; off, the driver has the
    // controls again. Switching it on does not start the drive.
    void set_autopilot(bool on);
    bool autopilot_on() const { return pilot_.has_value(); }

    struct AfterTick {
        std::vector<std::string> autopilot_events;  // "stopped at 中駅 …", in order
        std::vector<char> autopilot_keys;           // the keys it pressed, in order
        bool autopilot_handed_back = false;         // it switched itself off at the end
        std::optional<Dialog> autopilot_ended;      // the dialog it answered "end"
    };
    // Right after every tick that ran: how the drive went, for the report.
    void record_tick() { recorder_->after_tick(*drive_); }
    const DriveRecorder& recorder() const { return *recorder_; }

    // What follows every tick that ran, once it is recorded.
    AfterTick after_tick();

    enum class DialogAnswer { Continue, End };
    enum class Answered {
        NoDialogOpen,  // nothing to answer: the drive goes on
        DriveGoesOn,   // a crew change, driven on from
        DriveEnds,
    };
    // The driver's answer to the end-of-run dialog open now. The last stop ends the drive
    // whatever the answer.
    Answered answer_end_dialog(DialogAnswer answer);
    std::optional<Dialog> open_end_dialog() const { return open_dialog_; }
    // True once an answer ended the drive; the front end closes it then.
    bool ended() const { return ended_; }

    // Every sound stops and the menu options are kept.
    void close();

  private:
    // Passes everything on to the front end's shell and keeps the end-of-run dialog opened.
    class WatchingShell final : public Shell {
      public:
        WatchingShell(Shell& shell, std::optional<Dialog>& open) : shell_(shell), open_(open) {}
        void message(const std::string& text) override { shell_.message(text); }
        void open_dialog(Dialog dialog) override {
            if (ends_run(dialog)) open_ = dialog;
            shell_.open_dialog(dialog);
        }
        void redraw() override { shell_.redraw(); }
        void note(const std::string& text) override { shell_.note(text); }
        void key_typed(char key) override { shell_.key_typed(key); }

      private:
        Shell& shell_;
        std::optional<Dialog>& open_;
    };

    void before_step(char which);
    void record(const std::string& words);

    SettingsStore& settings_;
    AutopilotAtEnd at_end_;
    StepInputs inputs_;
    std::function<std::int64_t()> now_ms_;
    std::optional<SteppedChannels> stepped_channels_;
    std::optional<SteppedJoystick> stepped_joystick_;
    std::optional<StepRecording> recording_;
    std::optional<Dialog> open_dialog_;
    bool ended_ = false;
    WatchingShell shell_;
    std::unique_ptr<Drive> drive_;
    std::optional<DriveRecorder> recorder_;
    std::optional<Autopilot> pilot_;
};

}  // namespace ostrel
