#pragma once
// Pictures of the driving window at chosen moments of a headless run, drawn by the window's
// own scene into an image. The drive keeps the headless video lengths, so a run's numbers do
// not change with its pictures; the frames themselves come from the real reader when the
// route video's file is there.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "drive/video_source.h"

namespace ostrel {

struct Drive;
struct LoadedDrive;

struct SnapshotRequest {
    std::int64_t time_ms = 0;
    std::string file;  // PNG
};

// "MS:FILE.png"; throws ScriptError when it does not read so.
SnapshotRequest parse_snapshot(const std::string& text);

class SnapshotCamera {
  public:
    // `lengths`: the video the drive sees (the headless one).
    SnapshotCamera(const LoadedDrive& loaded, VideoSource& lengths);
    ~SnapshotCamera();

    // The video the drive is given: the headless lengths, with the files it opens followed.
    VideoSource& video();
    // Writes the driving window as the drive shows it now; throws ScriptError when the file
    // cannot be written.
    void take(const Drive& d, const std::string& file);

  private:
    struct State;
    std::unique_ptr<State> s_;
};

}  // namespace ostrel
