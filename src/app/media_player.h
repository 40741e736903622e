#pragma once
// The title window's media player: the opening movie and the title sounds. What the window
// needs of it is open, play, stop, close, show and hide. The program's is `MoviePlayer`
// (`Program::make_player` may give another). UI thread.

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

}  // namespace ostrel::app
