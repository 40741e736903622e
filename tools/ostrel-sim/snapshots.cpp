#include "snapshots.h"

#include <QImage>
#include <charconv>

#include "drive/drive.h"
#include "drive/loader.h"
#include "run.h"
#include "view/ffmpeg/frame_reader.h"
#include "view/qt/driving_scene.h"
#include "view/qt/pictures.h"
#include "view/qt/video_surface.h"

namespace ostrel {

SnapshotRequest parse_snapshot(const std::string& text) {
    const auto colon = text.find(':');
    SnapshotRequest r;
    const char* end = text.data() + (colon == std::string::npos ? 0 : colon);
    const auto [ptr, ec] = std::from_chars(text.data(), end, r.time_ms);
    if (colon == std::string::npos || colon == 0 || ec != std::errc{} || ptr != end ||
        r.time_ms < 0 || colon + 1 >= text.size())
        throw ScriptError("--snapshot takes MS:FILE.png, not \"" + text + "\"");
    r.file = text.substr(colon + 1);
    return r;
}

namespace {

// Opens what the drive opens on the headless source, and remembers its name for the reader.
class FollowedVideo final : public VideoSource {
  public:
    FollowedVideo(VideoSource& lengths, std::string main_name, std::filesystem::path base)
        : lengths_(lengths), name_(std::move(main_name)), reader_(std::move(base)) {}
    bool open(const std::string& name) override {
        name_ = name;
        return lengths_.open(name);
    }
    int frame_count() const override { return lengths_.frame_count(); }
    bool read_surface(int n, SurfaceImage& out, int width, int height) override {
        if (opened_ != name_) {
            opened_ = name_;
            readable_ = reader_.open(name_);
        }
        return readable_ && reader_.read_surface(n, out, width, height);
    }

  private:
    VideoSource& lengths_;
    std::string name_, opened_ = "\n";
    FfmpegVideo reader_;
    bool readable_ = false;
};

}  // namespace

struct SnapshotCamera::State {
    State(const LoadedDrive& loaded, VideoSource& lengths)
        : video(lengths, loaded.main_video_name, loaded.selection.program_dir),
          scene(loaded, load_picture(loaded.selection.program_dir,
                                     loaded.line.display(loaded.line.staf_opening_file))) {}
    FollowedVideo video;
    DrivingScene scene;
    VideoSurface surface;
};

SnapshotCamera::SnapshotCamera(const LoadedDrive& loaded, VideoSource& lengths)
    : s_(std::make_unique<State>(loaded, lengths)) {}

SnapshotCamera::~SnapshotCamera() = default;

VideoSource& SnapshotCamera::video() {
    return s_->video;
}

void SnapshotCamera::take(const Drive& d, const std::string& file) {
    // What the window would show: the frame of the moment, fetched now, unless the drive has
    // not started.
    const bool started = d.s.timers.tick_timer_running || d.s.timers.tick_count > 0;
    VideoWanted wanted;
    wanted.frame = d.s.motion.current_frame;
    wanted.submovie_mode = d.s.video.submovie_mode;
    wanted.frame_sub = d.s.video.frame_sub;
    wanted.video_length = d.video_length;
    wanted.running = started;
    wanted.notice = d.view.video_notice;
    s_->surface.follow(s_->video, wanted, true);
    const QImage picture = s_->scene.render(d.view, s_->surface.image(), started);
    if (!picture.save(QString::fromStdString(file), "PNG"))
        throw ScriptError("cannot write the snapshot " + file);
}

}  // namespace ostrel
