#pragma once

#include <optional>
// The sample program directory loaded once per test program, for tests that drive a train.

#include "drive/drive.h"
#include "drive/loader.h"
#include "session/virtual_clock.h"
#include "sound/virtual_channels.h"

namespace ostrel::fixture {

// "line_ltd.dat" (doors worked by the conductor) or "line_exp.dat" (one-man).
const LoadedDrive& sample_drive(const std::string& line_file = "line_ltd.dat");

// A drive with its own channels and shell, started, on a copy of the loaded data that the test
// may change first.
struct TestDrive {
    explicit TestDrive(LoadedDrive loaded_data, int video_frames = 9000);
    LoadedDrive loaded;
    VirtualChannels channels;
    RecordedShell shell;
    Drive drive;
    DriveState& s;

    // Runs the steps for `ms` milliseconds of the drive's clock, as the runner does.
    void run_ms(int ms);
    // Puts the train at a frame of the route video, and where given at a speed (km/h) and a
    // position along the line (1/100 m).
    void place(int frame, std::optional<long double> speed,
               std::optional<long double> position = std::nullopt);
    VirtualClock clock{drive, channels};
    std::int64_t now_ms = 0;
};

}  // namespace ostrel::fixture
