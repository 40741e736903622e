#pragma once
// The title window's media player: the opening movie and the title sounds. What the window
// needs of it is open, play, stop, close, show and hide. The player that really plays comes
// with the video and sound; until then the silent one stands in, which plays no movie, so the
// title screen behaves as it does when the opening movie is absent. UI thread.

#include <string>

namespace ostrel::app {

class MediaPlayer {
  public:
    virtual ~MediaPlayer() = default;
    // False when the player cannot play video at all: the opening movie then counts as absent.
    virtual bool plays_video() const = 0;
    // False when the file cannot be opened.
    virtual bool open(const std::string& file) = 0;
    virtual void play() = 0;
    virtual void stop() = 0;
    virtual void close() = 0;
    virtual void show() = 0;
    virtual void hide() = 0;
    virtual bool playing() const = 0;
    // The open file, empty when none.
    virtual const std::string& file_name() const = 0;
};

class SilentMediaPlayer final : public MediaPlayer {
  public:
    bool plays_video() const override { return false; }
    bool open(const std::string& file) override {
        file_ = file;
        return true;
    }
    void play() override { playing_ = !file_.empty(); }
    void stop() override { playing_ = false; }
    void close() override {
        playing_ = false;
        file_.clear();
    }
    void show() override {}
    void hide() override {}
    bool playing() const override { return playing_; }
    const std::string& file_name() const override { return file_; }

  private:
    std::string file_;
    bool playing_ = false;
};

}  // namespace ostrel::app
