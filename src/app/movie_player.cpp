#include "app/movie_player.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

#include "core/decode/decoders.h"
#include "core/paths.h"
#include "sound/openal/openal_channels.h"
#include "sound/openal/openal_stream.h"
#include "view/ffmpeg/audio_track.h"
#include "view/ffmpeg/frame_reader.h"
#include "view/qt/render_rules.h"

namespace ostrel::app {

namespace {

bool is_movie(const std::string& file) {
    if (file.size() < 4) return false;
    std::string ext = file.substr(file.size() - 4);
    for (char& c : ext)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return ext == ".avi";
}

}  // namespace

void MovieView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    if (frame.isNull()) {
        p.fillRect(rect(), Qt::black);
        return;
    }
    // Kept in its aspect, centred in what the window shows of the surface.
    const QRect area = rect().intersected(QRect(mapFrom(window(), QPoint(0, 0)), window()->size()));
    const Letterbox box = letterbox(QSizeF(area.size()), QSizeF(frame.size()));
    p.fillRect(rect(), Qt::black);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(QRectF(area.topLeft() + box.offset, QSizeF(frame.size()) * box.scale), frame);
}

void MovieView::mousePressEvent(QMouseEvent* e) {
    if (e->button() == Qt::LeftButton && on_click) on_click();
}

namespace {
constexpr int kWaveChannel = 0;
constexpr QSize kLargestMovie(1920, 1080);
}  // namespace

MoviePlayer::MoviePlayer(QWidget* display, std::filesystem::path base, OpenAlChannels* sound)
    : base_(std::move(base)),
      view_(new MovieView(display)),
      timer_(new QTimer(display)),
      sound_(sound) {
    view_->setGeometry(display->rect());
    view_->hide();
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, view_, [this] { next_frame(); });
}

MoviePlayer::~MoviePlayer() {
    // The view and the timer belong to the display, which may outlive the player.
    delete timer_;
    delete view_;
}

void MoviePlayer::open_sound_track() {
    // The sound track, decoded a tenth of a second at a time as it is heard.
    stream_.reset();
    if (!sound_) return;
    auto track = std::make_shared<AudioTrackReader>();
    const auto path = resolve_path(base_, file_, Encoding::Utf8);
    if (!path || !track->open(*path)) return;
    const int block = std::max(1, track->rate() / 10);
    stream_ = std::make_unique<OpenAlStream>(*sound_, track->channels(), track->rate(),
                                             [track, block] { return track->next(block); });
}

bool MoviePlayer::open(const std::string& file) {
    if (!is_movie(file)) {
        // A sound: the movie goes on. One that cannot be read stays silent.
        file_ = file;
        sound_playing_ = false;
        if (sound_) {
            sound_->bind(kWaveChannel, nullptr);
            try {
                if (const auto path = resolve_path(base_, file, Encoding::Utf8))
                    sound_->bind(kWaveChannel,
                                 std::make_shared<const Wave>(SndfileWaveDecoder().decode(
                                     read_file_bytes(*path, kMaxWaveFileBytes))));
            } catch (const std::exception&) {
            }
        }
        return true;
    }
    close();
    auto movie = std::make_unique<FfmpegVideo>(base_);
    if (!movie->open(file) || movie->frame_count() <= 0) return false;
    // Pictures are converted at the file's own size and scaled by the view, but never larger
    // than a screen shows: a huge movie costs no more memory than a screenful.
    QSize size(movie->picture_width(), movie->picture_height());
    if (size.width() > kLargestMovie.width() || size.height() > kLargestMovie.height())
        size = size.scaled(kLargestMovie, Qt::KeepAspectRatio);
    size = size.expandedTo(QSize(1, 1));
    movie_width_ = size.width();
    movie_height_ = size.height();
    if (!movie->read_surface(0, surface_, movie_width_, movie_height_)) return false;
    movie_ = std::move(movie);
    file_ = file;
    return true;
}

void MoviePlayer::play() {
    if (!is_movie(file_)) {
        if (sound_) {
            sound_->play(kWaveChannel);
        } else {
            sound_playing_ = !file_.empty();
        }
        return;
    }
    if (!movie_) return;
    started_ = std::chrono::steady_clock::now();
    shown_ = -1;
    sound_end_seen_ = false;
    // The sound track from its start, every time.
    open_sound_track();
    if (stream_) stream_->play();
    view_->show();
    view_->raise();
    movie_ended_ = false;
    next_frame();  // may end a movie of one frame
    if (!movie_ || movie_ended_) return;
    timer_->start(std::max(1, static_cast<int>(std::floor(500.0 / movie_->frame_rate()))));
}

void MoviePlayer::next_frame() {
    if (!movie_) return;
    // The frame of this moment at the movie's own rate; late ticks skip frames, not time.
    // While its sound track plays, the sound says where the movie stands.
    // The clock is set by it each time, so that the frames go on from there if the sound ends
    // before the pictures.
    const auto now = std::chrono::steady_clock::now();
    if (stream_) {
        stream_->pump();
        const bool sounding = stream_->playing();
        // Once more when it has just ended: where it ended.
        if (sounding || !sound_end_seen_) {
            started_ = now - std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                 std::chrono::duration<double>(stream_->position_seconds()));
            sound_end_seen_ = !sounding;
        }
    }
    const double seconds = std::chrono::duration<double>(now - started_).count();
    const int n = static_cast<int>(seconds * movie_->frame_rate());
    if (n >= movie_->frame_count()) {
        timer_->stop();
        movie_ended_ = true;
        if (on_end) on_end();
        return;
    }
    if (n == shown_) return;
    shown_ = n;
    // At the file's own size; the view scales it.
    if (movie_->read_surface(n, surface_, movie_width_, movie_height_)) {
        view_->frame = QImage(surface_.bytes.data(), surface_.width, surface_.height,
                              surface_.stride, QImage::Format_RGB32);
        ++frames_shown_;
        view_->update();
    }
}

void MoviePlayer::stop() {
    timer_->stop();
    sound_playing_ = false;
    if (sound_) sound_->stop(kWaveChannel);
    if (stream_) stream_->stop();
}

void MoviePlayer::close() {
    stop();
    movie_.reset();
    stream_.reset();
    view_->frame = QImage();
    if (is_movie(file_)) file_.clear();
    view_->hide();
}

void MoviePlayer::show() {
    if (movie_) view_->show();
}

void MoviePlayer::hide() {
    timer_->stop();
    if (stream_) stream_->stop();
    view_->hide();
}

bool MoviePlayer::sound_track_playing() const {
    return stream_ && stream_->playing();
}

bool MoviePlayer::playing() const {
    return timer_->isActive() || sound_playing_ || (sound_ && sound_->is_playing(kWaveChannel));
}

}  // namespace ostrel::app
