#include "sim/submovies.h"

#include "drive/drive.h"

namespace ostrel {

namespace {

std::string movie_name(const Drive& d, const std::string& base) {
    return d.data.strings.display(d.data.strings.Path) + d.line.display(base) + ".avi";
}

void open_video(Drive& d, const std::string& name, const std::string& what) {
    if (d.video) d.video->open(name);
    d.shell.note("submovie " + what + " " + name);
}

void reopen_main_video(Drive& d) {
    open_video(d, d.data.main_video_name, "main");
}

// The route video again, at the row's resume frame; the row has been shown.
void end_submovie(Drive& d, const MovieSwitchRow& row, char& done) {
    reopen_main_video(d);
    d.s.video.submovie_mode = SubmovieMode::Main;
    d.s.motion.current_frame = row.resume_frame;
    d.s.video.frame_sub = 0;
    d.view.fetch_picture_again(-1);
    done = 1;
}

}  // namespace

void count_submovie_frames(VideoState& video, const TimerState& timers, const MotionState& motion,
                           const Line& line) {
    if (video.submovie_mode == SubmovieMode::Timed) {
        const int rate = line.FrameRate > 0 ? line.FrameRate : 30;
        if (timers.clock % (30 / rate) == 0) video.frame_sub += 1;
    } else if (video.submovie_mode == SubmovieMode::Locked) {
        video.frame_sub = motion.current_frame - video.submovie_origin;
    }
}

bool switch_submovies(Drive& d) {
    DriveState& s = d.s;
    const int f = s.motion.current_frame;
    const bool standing = round_half_even(s.motion.train_speed) == 0;
    for (std::size_t r = 0; r < d.line.MovieSwitch.size(); ++r) {
        const MovieSwitchRow& row = d.line.MovieSwitch[r];
        char& done = s.video.submovie_done[r];
        const bool inside = row.first_frame <= f && f <= row.last_frame;
        if (standing && inside && row.kind == 2) {
            if (s.video.submovie_mode == SubmovieMode::Main && !done) {
                if (!s.timers.fast_timer_running) return false;
                s.video.submovie_mode = SubmovieMode::Timed;
                s.video.frame_sub = 0;
                s.video.submovie_origin = f;
                open_video(d, movie_name(d, row.movie_name), "timed");
                s.video.submovie_length = row.length_frames;
                d.view.fetch_picture_again(-1);
            }
            if (s.video.submovie_mode == SubmovieMode::Timed &&
                s.video.frame_sub >= s.video.submovie_length)
                end_submovie(d, row, done);
        } else if (!inside || row.kind >= 2) {
            if (s.video.submovie_mode == SubmovieMode::Locked &&
                s.video.submovie_length <= s.video.frame_sub &&
                s.video.frame_sub <= s.video.submovie_length + 60)
                end_submovie(d, row, done);
        } else if (s.video.submovie_mode == SubmovieMode::Main && !done) {
            if (!s.timers.fast_timer_running) return false;
            s.video.frame_sub = f - row.first_frame;
            s.video.submovie_origin = row.first_frame;
            open_video(d, movie_name(d, row.movie_name), "locked");
            s.video.submovie_length = row.length_frames;
            d.view.fetch_picture_again(-1);
            s.video.submovie_mode = SubmovieMode::Locked;
        }
    }
    return true;
}

void leave_submovie(Drive& d) {
    DriveState& s = d.s;
    if (s.video.submovie_mode == SubmovieMode::Timed ||
        s.video.submovie_mode == SubmovieMode::Locked) {
        reopen_main_video(d);
        s.video.frame_sub = 0;
    }
    s.video.submovie_mode = SubmovieMode::Main;
    for (char& done : s.video.submovie_done)
        done = 0;
    d.view.fetch_picture_again(s.motion.current_frame - 1);
}

}  // namespace ostrel
