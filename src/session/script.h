#pragma once
// Drive scripts: one command per line, "<ms> <command> <arguments>", "#" starts a comment. The
// headless runner plays them on its virtual clock; a drive recorded in the window is one too,
// with the steps as they ran there ("steps ffft") so that it replays exactly, headless or in
// the window. UI thread.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "session/commands.h"

namespace ostrel {

class Session;
class HeldJoystick;
struct DriveSelection;

struct ScriptCommand {
    std::int64_t time_ms = 0;
    int line = 0;
    std::string verb;  // start, char, key, wheel, ...
    std::vector<std::string> args;
    // "100+": right after the tick at that time (where the autopilot presses its keys),
    // rather than before the steps.
    bool after_tick = false;
};

class ScriptError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// Throws ScriptError naming the line. A script on the virtual clock comes back in the order its
// commands run (by time, those after the tick last); a script of recorded steps keeps the order
// of its lines, which is the order things happened in.
std::vector<ScriptCommand> parse_script(const std::string& text);

// True when the script holds the steps as they ran ("steps" lines): it then runs on no clock
// of its own but step by step as written.
bool has_recorded_steps(const std::vector<ScriptCommand>& script);

// What a script holds besides the drive: the game controller it moves.
struct ScriptedDrive {
    Session& session;
    HeldJoystick& joystick;
};

// Runs one command of the driver's ("steps" lines are the caller's). Throws ScriptError for a
// command that does not fit the drive (a station row the "Move" menu does not offer).
void perform(ScriptedDrive& scripted, const ScriptCommand& command);

// A recording to drive back in the window: its lines, and the route video's length it was
// driven with, which the replay keeps whatever video it finds.
struct ReplayScript {
    std::vector<ScriptCommand> script;
    std::optional<int> video_frames;
};

// Plays a script of recorded steps on its session: its lines in order, each step as written,
// until the drive ends.
class StepPlayer {
  public:
    StepPlayer(ScriptedDrive scripted, std::vector<ScriptCommand> script)
        : scripted_(scripted), script_(std::move(script)) {}
    // Runs every line due at `ms` or before; `after_tick` hears each tick with its line's time.
    void play_until(std::int64_t ms, const std::function<void(std::int64_t ms)>& after_tick = {});
    bool done() const;
    // The time of the next line to run.
    std::optional<std::int64_t> next_ms() const;

  private:
    ScriptedDrive scripted_;
    std::vector<ScriptCommand> script_;
    std::size_t next_ = 0;
};

// The script line's verb and arguments ("char z", "key F2 shift", "serial ABC\r") of a
// driver's command; `before` is whether the controller debug was on before it ran.
std::string script_words(const Command& command, bool controller_debug_before);

// Writes a drive's recording and report into `dir` (made when missing) as NAME.ostrel-script
// and NAME.report.json, NAME made unique with "-2", "-3", ... when taken. Returns the script's
// path; throws std::runtime_error naming the file that could not be written.
std::filesystem::path write_drive_files(const std::filesystem::path& dir, const std::string& name,
                                        const std::string& script, const std::string& report);

// "slot N RECORD": the save slot's record as the drive loaded it, written before the "load".
std::string slot_words(int slot, const std::string& record);

// The "# name: value" lines at a recording's head that say what it was driven on.
struct ScriptHeader {
    std::optional<std::string> program_dir, line, vehicle;
    std::optional<int> start, end, video_frames;
};
ScriptHeader read_script_header(const std::string& text);
std::string script_header_lines(const ScriptHeader& header);
// The vehicle as the runner's `--vehicle` takes it: a built-in train's file name, or its path.
std::string vehicle_argument(const DriveSelection& selection);

}  // namespace ostrel
