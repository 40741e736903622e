#pragma once
// The title window's media player: an AVI given to it plays on its display at the file's own
// frame rate, read frame by frame through the route video's reader, with its sound track (if
// it has one) streamed on the title's sound set as it is decoded, which then sets the pace of
// the frames; a wave file (the title sounds) plays on a channel of that set and never cuts the
// movie short.
// Without a sound set everything is silent and a wave counts as playing until stopped. When
// the movie has shown its last frame, `on_end` is called. UI thread.

#include <QImage>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "app/media_player.h"
#include "core/image.h"

class QTimer;

namespace ostrel {
class FfmpegVideo;
class OpenAlChannels;
class OpenAlStream;
}  // namespace ostrel

namespace ostrel::app {

class MovieView : public QWidget {
  public:
    using QWidget::QWidget;
    QImage frame;  // drawn scaled into the whole widget
    std::function<void()> on_click;

  protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* e) override;
};

class MoviePlayer final : public MediaPlayer {
  public:
    // Frames are drawn on `display`; files are found relative to `base`; `sound` may be null.
    MoviePlayer(QWidget* display, std::filesystem::path base, OpenAlChannels* sound);
    ~MoviePlayer() override;

    bool plays_video() const override { return true; }
    bool open(const std::string& file) override;
    void play() override;
    void stop() override;
    void close() override;
    void show() override;
    void hide() override;
    bool playing() const override;
    const std::string& file_name() const override { return file_; }

    std::function<void()> on_end;
    // A click on the movie.
    void set_on_click(std::function<void()> f) { view_->on_click = std::move(f); }
    int frames_shown() const { return frames_shown_; }
    int frame_shown() const { return shown_; }  // -1 before the first
    bool sound_track_playing() const;
    // Moves the movie on to the present; the player's timer calls it.
    void next_frame();

  private:
    void open_sound_track();
    std::filesystem::path base_;
    std::unique_ptr<FfmpegVideo> movie_;
    MovieView* view_;
    QTimer* timer_;
    std::string file_;
    SurfaceImage surface_;
    std::chrono::steady_clock::time_point started_{};
    int movie_width_ = 0, movie_height_ = 0;
    int shown_ = -1, frames_shown_ = 0;
    bool sound_playing_ = false;            // a wave, when there is no sound set
    std::unique_ptr<OpenAlStream> stream_;  // the movie's sound track, when it has one
    bool sound_end_seen_ = false;
    bool movie_ended_ = false;
    OpenAlChannels* sound_;
};

}  // namespace ostrel::app
