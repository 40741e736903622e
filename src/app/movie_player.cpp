#include "app/movie_player.h"

#include <QMouseEvent>
#include <QPainter>
#include <QTimer>
#include <algorithm>
#include <cmath>

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

MoviePlayer::MoviePlayer(QWidget* display, std::filesystem::path base)
    : base_(std::move(base)), view_(new MovieView(display)), timer_(new QTimer(display)) {
    view_->setGeometry(display->rect());
    view_->hide();
    timer_->setTimerType(Qt::PreciseTimer);
    QObject::connect(timer_, &QTimer::timeout, view_, [this] { next_frame(); });
}

MoviePlayer::~MoviePlayer() = default;

bool MoviePlayer::open(const std::string& file) {
    if (!is_movie(file)) {
        // A sound: the movie goes on.
        file_ = file;
        sound_playing_ = false;
        return true;
    }
    close();
    auto movie = std::make_unique<FfmpegVideo>(base_);
    if (!movie->open(file) || movie->frame_count() <= 0) return false;
    Image first;
    if (!movie->read_frame(0, first)) return false;
    movie_width_ = first.width;
    movie_height_ = first.height;
    movie_ = std::move(movie);
    file_ = file;
    return true;
}

void MoviePlayer::play() {
    if (!is_movie(file_)) {
        sound_playing_ = !file_.empty();
        return;
    }
    if (!movie_) return;
    started_ = std::chrono::steady_clock::now();
    shown_ = -1;
    view_->show();
    view_->raise();
    next_frame();
    timer_->start(std::max(1, static_cast<int>(std::floor(500.0 / movie_->frame_rate()))));
}

void MoviePlayer::next_frame() {
    if (!movie_) return;
    // The frame of this moment at the movie's own rate; late ticks skip frames, not time.
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started_).count();
    const int n = static_cast<int>(seconds * movie_->frame_rate());
    if (n >= movie_->frame_count()) {
        timer_->stop();
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
}

void MoviePlayer::close() {
    stop();
    movie_.reset();
    view_->frame = QImage();
    if (is_movie(file_)) file_.clear();
    view_->hide();
}

void MoviePlayer::show() {
    if (movie_) view_->show();
}

void MoviePlayer::hide() {
    timer_->stop();
    view_->hide();
}

bool MoviePlayer::playing() const {
    return timer_->isActive() || sound_playing_;
}

}  // namespace ostrel::app
