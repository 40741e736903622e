// Feeds arbitrary bytes as a drive script, as a recording shared by someone else would be: it
// may be refused with a ScriptError naming its line, and whatever it does to the drive it plays
// on (recorded steps, sound ends, slots, jumps, the game controller), nothing else may happen.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>

#include "sample_drive.h"
#include "save/settings_store.h"
#include "session/script.h"
#include "session/session.h"
#include "sound/virtual_channels.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    (void)ostrel::read_script_header(text);
    std::vector<ostrel::ScriptCommand> script;
    try {
        script = ostrel::parse_script(text);
    } catch (const ostrel::ScriptError&) {
        return 0;
    }
    static const ostrel::LoadedDrive& loaded = ostrel::fixture::sample_drive("line_exp.dat");
    ostrel::VirtualChannels channels;
    ostrel::RecordedShell shell;
    ostrel::MemorySettings settings;
    ostrel::ControllerSetup controllers;
    ostrel::HeldJoystick joystick;
    ostrel::Session session(
        loaded, {channels, shell, settings, nullptr, 9000, &controllers, &joystick},
        ostrel::Session::AutopilotAtEnd::EndsTheDrive, ostrel::Session::StepInputs::Replayed);
    // Commands on the virtual clock run one after another here: what counts is what each does.
    for (ostrel::ScriptCommand& c : script)
        c.time_ms = 0;
    ostrel::StepPlayer player(ostrel::ScriptedDrive{session, joystick}, std::move(script));
    try {
        player.play_until(std::numeric_limits<std::int64_t>::max());
    } catch (const ostrel::ScriptError&) {
    }
    return 0;
}
