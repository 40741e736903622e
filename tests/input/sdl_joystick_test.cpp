// The USB path for real: SDL's virtual joysticks stand for the train-game controllers, read by
// the same adapter the program uses, through the USB rule of a drive.
#include <SDL.h>
#include <gtest/gtest.h>

#include "input/controllers.h"
#include "input/sdl/sdl_joysticks.h"
#include "sample_drive.h"

namespace ostrel {
namespace {

using fixture::sample_drive;
using fixture::TestDrive;

// A virtual device with two axes and sixteen buttons.
class VirtualPad {
  public:
    explicit VirtualPad(const char* name) {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = 2;
        desc.nbuttons = 16;
        desc.name = name;
        index_ = SDL_JoystickAttachVirtualEx(&desc);
        if (index_ >= 0) joystick_ = SDL_JoystickOpen(index_);
    }
    ~VirtualPad() { detach(); }
    bool attached() const { return joystick_ != nullptr; }
    void set(Sint16 x, Sint16 y, std::uint16_t buttons = 0) {
        SDL_JoystickSetVirtualAxis(joystick_, 0, x);
        SDL_JoystickSetVirtualAxis(joystick_, 1, y);
        for (int i = 0; i < 16; ++i)
            SDL_JoystickSetVirtualButton(joystick_, i, (buttons >> i) & 1U);
    }
    void detach() {
        if (!joystick_) return;
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick_);
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        for (int i = 0; i < SDL_NumJoysticks(); ++i)
            if (SDL_JoystickGetDeviceInstanceID(i) == id) SDL_JoystickDetachVirtual(i);
    }

  private:
    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

struct SdlDrive : ::testing::Test {
    SdlJoysticks sdl;
    TestDrive t{sample_drive()};
    void SetUp() override {
        ASSERT_TRUE(sdl.available()) << sdl.error();
        t.drive.joystick = &sdl;
        t.drive.controllers->controller_type = 1;
    }
    // One tick's reading, as the tick does it.
    void scan() { read_game_controller(t.drive); }
};

TEST_F(SdlDrive, AxesOnAndBesideTheBoundsAndEveryButton) {
    VirtualPad pad("TAITO Densha de GO! controller (virtual)");
    ASSERT_TRUE(pad.attached()) << SDL_GetError();
    pad.set(0, -5001);
    scan();
    EXPECT_EQ(t.s.controls.power_notch, 2);
    pad.set(0, -5000);  // on the bound: unchanged
    scan();
    EXPECT_EQ(t.s.controls.power_notch, 2);
    pad.set(0, -4999);
    scan();
    EXPECT_EQ(t.s.controls.power_notch, 1);
    pad.set(13001, 0);  // the emergency range
    scan();
    EXPECT_EQ(t.s.controls.brake_notch, -9);
    EXPECT_EQ(t.s.controls.power_notch, 0);
    // Each button alone reaches the rule as its own bit.
    for (int i = 0; i < 16; ++i) {
        pad.set(13001, 0, static_cast<std::uint16_t>(1U << i));
        const JoystickState read = sdl.poll();
        EXPECT_EQ(read.buttons, 1U << i) << "button " << i;
        EXPECT_EQ(read.x, 13001);
    }
    pad.set(12999, -32768, 1U << 5);  // brake 8, full power, gear-up button
    scan();
    EXPECT_EQ(t.s.controls.brake_notch, -8);
    EXPECT_EQ(t.s.controls.power_notch, 3);
    ASSERT_FALSE(t.drive.posted_keys.empty());
    EXPECT_EQ(t.drive.posted_keys.back().character, 's');
}

TEST_F(SdlDrive, AControllerPulledOutAndPluggedInAgainWhileDriving) {
    auto pad = std::make_unique<VirtualPad>("TAITO Densha de GO! controller (virtual)");
    ASSERT_TRUE(pad->attached()) << SDL_GetError();
    pad->set(5000, 0);
    scan();
    EXPECT_EQ(t.s.controls.brake_notch, -3);
    EXPECT_EQ(sdl.in_use().name, "TAITO Densha de GO! controller (virtual)");
    pad.reset();
    scan();  // pulled out: the notches stay where the handles were
    EXPECT_EQ(t.s.controls.brake_notch, -3);
    EXPECT_EQ(sdl.in_use().id, -1);
    VirtualPad again("TAITO Densha de GO! controller (virtual)");
    again.set(0, -6000);
    scan();
    EXPECT_EQ(t.s.controls.brake_notch, 0);
    EXPECT_EQ(t.s.controls.power_notch, 2);
}

TEST_F(SdlDrive, TheTrainControllerIsPreferredAndTheUsersChoiceHolds) {
    VirtualPad pad("Generic USB Gamepad");
    VirtualPad train("TAITO Densha de GO! controller (virtual)");
    EXPECT_EQ(sdl.in_use().name, "TAITO Densha de GO! controller (virtual)");
    const auto devices = sdl.devices();
    ASSERT_EQ(devices.size(), 2U);
    sdl.choose(devices[0].id);
    pad.set(0, -6000);
    train.set(0, -31000);
    scan();
    EXPECT_EQ(t.s.controls.power_notch, 2);
}

}  // namespace
}  // namespace ostrel
