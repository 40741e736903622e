#include "input/sdl/sdl_joysticks.h"

#include <SDL.h>

#include <algorithm>
#include <cctype>

namespace ostrel {

struct SdlJoysticks::Open {
    SDL_Joystick* joystick = nullptr;
    int id = -1;
};

SdlJoysticks::SdlJoysticks() : open_(std::make_unique<Open>()) {}

bool SdlJoysticks::available() {
    if (started_) return available_;
    started_ = true;
    // Only the joystick subsystem: no window, no video. The program calls the update itself
    // once a tick, so SDL keeps no event queue for it.
    if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) != 0) {
        error_ = SDL_GetError();
        return false;
    }
    SDL_JoystickEventState(SDL_IGNORE);
    available_ = true;
    return true;
}

SdlJoysticks::~SdlJoysticks() {
    if (!available_) return;
    if (open_->joystick) SDL_JoystickClose(open_->joystick);
    SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
}

bool SdlJoysticks::train_controller_name(const std::string& name) {
    std::string lower = name;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    for (const char* word :
         {"densha", "電車でgo", "taito", "train", "mascon"})  // not shown: names to match
        if (lower.find(word) != std::string::npos) return true;
    return false;
}

std::vector<SdlJoysticks::Device> SdlJoysticks::devices() {
    std::vector<Device> out;
    if (!available()) return out;
    SDL_LockJoysticks();
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        const char* name = SDL_JoystickNameForIndex(i);
        out.push_back({SDL_JoystickGetDeviceInstanceID(i), name ? name : ""});
    }
    SDL_UnlockJoysticks();
    return out;
}

SdlJoysticks::Device SdlJoysticks::in_use() {
    const std::vector<Device> all = devices();
    for (const Device& d : all)
        if (d.id == chosen_) return d;
    for (const Device& d : all)
        if (train_controller_name(d.name)) return d;
    return all.empty() ? Device{} : all.front();
}

void SdlJoysticks::choose(int id) {
    chosen_ = id;
}

void SdlJoysticks::follow_devices() {
    // Finds devices plugged in or pulled out, and reads the open one's axes and buttons.
    SDL_JoystickUpdate();
    if (open_->joystick && !SDL_JoystickGetAttached(open_->joystick)) {
        SDL_JoystickClose(open_->joystick);
        *open_ = {};
    }
    const Device want = in_use();
    if (want.id == open_->id) return;
    if (open_->joystick) SDL_JoystickClose(open_->joystick);
    *open_ = {};
    if (want.id < 0) return;
    SDL_LockJoysticks();
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        if (SDL_JoystickGetDeviceInstanceID(i) != want.id) continue;
        open_->joystick = SDL_JoystickOpen(i);
        if (open_->joystick) open_->id = want.id;
        break;
    }
    SDL_UnlockJoysticks();
    // A device just opened reads its state at the next update.
    if (open_->joystick) SDL_JoystickUpdate();
}

JoystickState SdlJoysticks::poll() {
    if (!available()) return last_;
    follow_devices();
    SDL_Joystick* j = open_->joystick;
    if (!j) return last_;
    JoystickState state;
    const int axes = SDL_JoystickNumAxes(j);
    if (axes > 0) state.x = SDL_JoystickGetAxis(j, 0);
    if (axes > 1) state.y = SDL_JoystickGetAxis(j, 1);
    const int buttons = std::min(SDL_JoystickNumButtons(j), 16);
    for (int i = 0; i < buttons; ++i)
        if (SDL_JoystickGetButton(j, i)) state.buttons |= static_cast<std::uint16_t>(1U << i);
    last_ = state;
    return state;
}

}  // namespace ostrel
