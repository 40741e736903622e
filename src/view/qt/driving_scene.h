#pragma once
// The driving window's client area drawn from the view state: the cab view (panel sprites by
// depth, the video surface over them, or the opening picture before the start), the labels
// and pictures to the right of the video, the stop line with the remaining distance, the back
// button and the timetable card. It draws in the layout's own 743 x 560 coordinates into any
// painter; the window scales the painter, the headless snapshots paint into an image. Holds no
// lock: it is given a copy of the view state. Any thread that owns its painter.

#include <QImage>
#include <QPainter>
#include <vector>

#include "drive/view_state.h"

namespace ostrel {

struct LoadedDrive;
struct Panel;

// The window's fonts: a Japanese gothic face at a pixel size.
QFont window_font(int pixel_size, bool bold = false);

// One of the program's own buttons: the text on a dark plate.
void draw_plate(QPainter& p, const QRect& r, const QString& text);

// Places that the data leave to the window.
namespace layout {
inline constexpr QRect digi_speed{548, 4, 190, 36}, Label3{548, 40, 190, 24},
    Label4{548, 64, 190, 34};
inline constexpr int signal_top = 100, signal_sub_top = 194;
inline constexpr QPoint SlopeImage{548, 250}, SpeedLimitImage{602, 250}, OtherImage{656, 250},
    stop{548, 322}, crossimage{602, 322};
inline constexpr QRect SlopeText{548, 302, 50, 16}, crossimage_sub{602, 358, 50, 14};
inline constexpr QRect Label1{548, 380, 190, 20}, PowerLabel{548, 400, 190, 20},
    BrakeLabel{548, 420, 190, 20}, GearLabel{548, 440, 190, 20}, limitremain{548, 466, 160, 40};
inline constexpr int stopline_left = 494, stopline_width = 44, stopline_height = 14;
inline constexpr QRect back{714, 529, 27, 27};
}  // namespace layout

class CabPanel {
  public:
    explicit CabPanel(const Panel& panel);
    // Every visible sprite in ascending depth (equal depths in the panel's order), each
    // through its pattern, angle and alpha.
    void draw(QPainter& p, const std::vector<SpriteState>& sprites) const;

  private:
    struct Sprite {
        QImage image;
        int x = 0, y = 0, width = 0, height = 0;
        bool needle = false;
    };
    std::vector<Sprite> sprites_;        // in the panel's order
    std::vector<std::size_t> by_depth_;  // drawing order
};

class DrivingScene {
  public:
    // `opening`: the line's picture for the video area before the first start (may be null).
    DrivingScene(const LoadedDrive& loaded, QImage opening);

    // The whole client area. `video` is the video surface (null before the first frame).
    void draw(QPainter& p, const ViewState& v, const QImage& video, bool started) const;
    // The same into a new image of the layout's size times `scale`.
    QImage render(const ViewState& v, const QImage& video, bool started, double scale = 1) const;

    const CabPanel& panel() const { return panel_; }

  private:
    void draw_labels(QPainter& p, const ViewState& v) const;
    void draw_pictures(QPainter& p, const ViewState& v) const;

    CabPanel panel_;
    QImage opening_;
    std::vector<QImage> signal_, signal2_, sign_, other_, cross_;
    QImage card_;
};

}  // namespace ostrel
