#pragma once
// What the driver does, as one typed command whoever does it: a key or the wheel in the
// driving window, a menu item, a line of an `ostrel-sim` script. The keys a controller typed
// while a command ran are handled after it, in the order typed. UI thread, under the drive's
// lock.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>

#include "drive/controllers.h"
#include "input/controls.h"

namespace ostrel {

class SettingsStore;
struct Drive;

// The toggles of the "Display" menu.
enum class DriveOption {
    CalloutsOff,       // "喚呼なし"
    ExplanationMode,   // "解説モード"
    AtsOff,            // "ATS動作OFF"
    VisualEffectsOff,  // "視覚効果OFF": no darkening in tunnels
};
void toggle_option(Drive& d, DriveOption option);
// The option a script names: "Kanko", "Information", "ATS" or "visual"; none for another name.
std::optional<DriveOption> option_named(const std::string& name);

struct StartOrPause {};
struct CharacterKey {
    char key;
};
struct VirtualKeyPress {
    VirtualKey key;
    bool shift = false;
};
struct WheelStep {
    bool towards_power;  // towards the driver; away from him brakes
};
struct MoveToStation {
    int station_row;  // a row the "Move" menu offers
};
struct SaveToSlot {
    int slot;  // 1 to 3
};
struct LoadFromSlot {
    int slot;
};
struct ToggleOption {
    DriveOption option;
};
struct SetControllerDebug {
    bool on;
};
// Text the serial master controller sent.
struct SerialText {
    std::string text;
};
// The controller menu: 0 the serial master controller, 1 and 2 the train-game controllers.
struct SetControllerType {
    int type;
};
// The value display's tools: the train's resistance released, a jump to a frame, a channel
// silenced.
struct SetResistanceReleased {
    bool on;
};
struct JumpToFrame {
    int frame;  // taken as 0 .. kMaxJumpFrame
};
inline constexpr int kMaxJumpFrame = 100'000'000;  // about five weeks of video at 30 frames/s
struct StopChannel {
    int channel;
};
// The game controller's codes ("コントローラ設定"): the handle states of P0..P5, B0..B8 and EB.
struct SetControllerCodes {
    std::array<std::int32_t, ControllerSetup::kCodes> codes;
};

using Command =
    std::variant<StartOrPause, CharacterKey, VirtualKeyPress, WheelStep, MoveToStation, SaveToSlot,
                 LoadFromSlot, ToggleOption, SetControllerDebug, SerialText, SetControllerType,
                 SetResistanceReleased, JumpToFrame, StopChannel, SetControllerCodes>;

void apply(Drive& d, SettingsStore& settings, const Command& command);

}  // namespace ostrel
