#include "scenery.h"

#include <QPainter>
#include <QPainterPath>
#include <array>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "core/encode/encoders.h"
#include "demo.h"
#include "paint.h"
#include "video.h"

namespace ostrel::demo {

namespace {

// What the camera sees at a place on the route, drawn with QPainter in perspective (a field of
// view of 60 degrees, the eye 2.6 m above the rails): sky, hills, fields, the track, the
// overhead line's masts, trees, houses and fences, platforms with their name boards, signal
// masts (their lamps unlit: the live aspect is the picture beside the cab view), limit and check
// boards, gradient posts, a bridge over a river, level crossings, tunnels, the buffer stop.
// Everything stands where the line files put it.
class Scenery {
  public:
    explicit Scenery(const Route& r) : r_(r) {
        for (const SignalPlace& p : signal_places(r))
            signals_.push_back(p.metres);
        const long double t1 = r.station_metres[5];
        tunnels_ = {{t1 + 300, t1 + 800}, {r.station_metres[14] + 200, r.station_metres[14] + 900}};
        for (int i : kCrossings)
            crossings_.push_back(r.station_metres[static_cast<std::size_t>(i)] + 205);
        for (const auto& [i, limit, image] : kLimits)
            boards_.push_back({r.station_metres[static_cast<std::size_t>(i)] + 400,
                               std::to_string(limit), false});
        boards_.push_back({kPointCheck(r), "70", true});
        boards_.push_back({kZoneCheck(r).first, "45", true});
        for (const auto& [i, g] : kSlopes) {
            char text[16];
            std::snprintf(text, sizeof text, "%.1f", g);
            posts_.push_back({r.station_metres[static_cast<std::size_t>(i)] + 250, text});
        }
        const int bridge = r.frame_at(r.station_metres[2] + 450);
        bridge_ = {r.metres(bridge), r.metres(bridge + 60)};
        buffer_ = r.metres(r.buffer_frame);
        land_ = land();
    }

    // The same scenery seen from `metres` above the rails.
    Scenery from_height(double metres) const {
        Scenery s = *this;
        s.eye_ = metres;
        return s;
    }

    bool in_tunnel(long double at) const {
        for (const auto& [in, out] : tunnels_)
            if (in <= at && at <= out) return true;
        return false;
    }

    // The picture at `at` metres, drawn into `img` (540 x 300, kept from frame to frame).
    // `dark_scene` draws the inside of a tunnel wherever it is; `passing` puts a train on the
    // other track with its front that many metres ahead.
    // `step` is how far the camera moves to the next frame: sleepers passing faster than the
    // frames blur into the ballast, as they do on a camera.
    void draw(QImage& img, long double at_metres, double step = 0, bool dark_scene = false,
              std::optional<double> passing = std::nullopt) const {
        const double at = static_cast<double>(at_metres);
        if (img.size() != QSize(540, 300) || img.format() != QImage::Format_RGB32)
            img = QImage(540, 300, QImage::Format_RGB32);
        QPainter p(&img);
        if (dark_scene || in_tunnel(at_metres)) {
            p.setRenderHint(QPainter::Antialiasing, true);
            draw_inside_tunnel(p, at, step);
        } else {
            p.drawImage(0, 0, land_);
            p.setRenderHint(QPainter::Antialiasing, true);
            draw_river(p, at);
            draw_track(p, at, false, step);
            draw_objects(p, at, passing);
        }
        p.end();
    }
    QImage frame(long double at, double step, bool dark_scene = false,
                 std::optional<double> passing = std::nullopt) const {
        QImage img;
        draw(img, at, step, dark_scene, passing);
        return img;
    }

  private:
    static constexpr double kHorizon = 112, kFocal = 467.65, kNear = 1.2, kFar = 700;

    struct Board {
        long double metres;
        std::string text;
        bool check;
    };
    struct Post {
        long double metres;
        std::string text;
    };

    QPointF at_screen(double z, double side, double height) const {
        return {270 + side * kFocal / z, kHorizon + (eye_ - height) * kFocal / z};
    }
    // A number that looks random but is the same on every run, for where the trees stand.
    static double hash01(long long k, int salt) {
        std::uint64_t x =
            static_cast<std::uint64_t>(k) * 0x9E3779B97F4A7C15ULL + salt * 0xBF58476D1CE4E5B9ULL;
        x ^= x >> 31;
        x *= 0x94D049BB133111EBULL;
        x ^= x >> 29;
        return static_cast<double>(x % 100000) / 100000.0;
    }

    // Sky, clouds, the distant hills and the fields: kilometres away, the same in every frame.
    static QImage land() {
        QImage img(540, 300, QImage::Format_RGB32);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        QLinearGradient sky(0, 0, 0, kHorizon);
        sky.setColorAt(0, QColor(96, 150, 214));
        sky.setColorAt(1, QColor(196, 220, 238));
        p.fillRect(QRectF(0, 0, 540, kHorizon + 1), sky);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(245, 248, 252, 200));
        for (const auto& [x, y, w] : {std::tuple{60.0, 28.0, 70.0},
                                      {210.0, 45.0, 50.0},
                                      {400.0, 22.0, 90.0},
                                      {490.0, 60.0, 40.0}})
            p.drawEllipse(QPointF(x, y), w, w * 0.22);
        QPainterPath hills;
        hills.moveTo(0, kHorizon + 1);
        for (int x = 0; x <= 540; x += 6)
            hills.lineTo(x, kHorizon - 10 - 9 * std::sin(x * 0.017 + 0.8) -
                                6 * std::sin(x * 0.051) - 4 * std::sin(x * 0.11 + 2));
        hills.lineTo(540, kHorizon + 1);
        p.setBrush(QColor(104, 132, 122));
        p.drawPath(hills);
        QLinearGradient ground(0, kHorizon, 0, 300);
        ground.setColorAt(0, QColor(120, 142, 96));
        ground.setColorAt(1, QColor(86, 124, 58));
        p.fillRect(QRectF(0, kHorizon, 540, 300 - kHorizon), ground);
        p.end();
        return img;
    }

    // The river under the bridge, across the fields.
    void draw_river(QPainter& p, double at) const {
        const double r0 = static_cast<double>(bridge_.first) - at + 8,
                     r1 = static_cast<double>(bridge_.second) - at - 8;
        if (r1 > kNear && r0 < kFar) ground_band(p, std::max(r0, kNear), r1, QColor(70, 110, 160));
    }

    // A band of ground across the view from depth z0 to z1.
    void ground_band(QPainter& p, double z0, double z1, QColor colour) const {
        const QPointF a = at_screen(std::max(z0, kNear), -400, 0), b = at_screen(z1, -400, 0);
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRect(QRectF(QPointF(0, b.y()), QPointF(540, a.y())));
    }

    void draw_track(QPainter& p, double at, bool dark, double step) const {
        p.setPen(Qt::NoPen);
        // Ballast, then the sleepers passing under the train, then the rails.
        QPolygonF bed;
        bed << at_screen(kNear, -1.9, 0) << at_screen(kFar, -1.9, 0) << at_screen(kFar, 1.9, 0)
            << at_screen(kNear, 1.9, 0);
        p.setBrush(dark ? QColor(34, 32, 30) : QColor(126, 118, 108));
        p.drawPolygon(bed);
        const QColor ballast = dark ? QColor(34, 32, 30) : QColor(126, 118, 108);
        const QColor sleeper = dark ? QColor(40, 34, 30) : QColor(92, 74, 60);
        const double sharp = std::clamp(1 - step / 0.62, 0.12, 1.0);
        p.setBrush(QColor::fromRgbF(
            static_cast<float>(ballast.redF() + (sleeper.redF() - ballast.redF()) * sharp),
            static_cast<float>(ballast.greenF() + (sleeper.greenF() - ballast.greenF()) * sharp),
            static_cast<float>(ballast.blueF() + (sleeper.blueF() - ballast.blueF()) * sharp)));
        // The sleepers near the train; farther on they blend into the ballast.
        const double first = std::ceil((at + kNear) / 0.62) * 0.62;
        for (double m = first; m - at < 30; m += 0.62) {
            const double z = m - at;
            QPolygonF s;
            s << at_screen(z, -1.3, 0) << at_screen(z, 1.3, 0) << at_screen(z + 0.22, 1.3, 0)
              << at_screen(z + 0.22, -1.3, 0);
            p.drawPolygon(s);
        }
        // A crossing's road over the track.
        for (long double m : crossings_) {
            const double z0 = static_cast<double>(m) - at - 3, z1 = z0 + 6;
            if (z1 < kNear || z0 > kFar) continue;
            QPolygonF road;
            road << at_screen(std::max(z0, kNear), -60, 0) << at_screen(z1, -60, 0)
                 << at_screen(z1, 60, 0) << at_screen(std::max(z0, kNear), 60, 0);
            p.setBrush(QColor(88, 88, 92));
            p.drawPolygon(road);
        }
        const QColor rail = dark ? QColor(110, 110, 110) : QColor(214, 214, 220);
        for (double side : {-0.75, 0.75}) {
            QPolygonF r;
            r << at_screen(kNear, side - 0.04, 0.15) << at_screen(kFar, side, 0.15)
              << at_screen(kNear, side + 0.04, 0.15);
            p.setBrush(rail);
            p.drawPolygon(r);
        }
    }

    // Objects along the line, drawn from the farthest to the nearest.
    void draw_objects(QPainter& p, double at, std::optional<double> passing) const {
        std::vector<std::pair<double, std::function<void()>>> items;
        auto add = [&items, at](double metres, std::function<void()> f) {
            const double z = metres - at;
            if (z > kNear && z < kFar) items.emplace_back(z, std::move(f));
        };
        // The overhead line: a mast every 50 m, the contact wire along the track.
        for (double m = std::floor(at / 50) * 50; m < at + 500; m += 50)
            add(m, [this, &p, m, at] { mast(p, m - at); });
        // Trees and houses beside the line, and fences between the stations.
        for (long long k = static_cast<long long>(at / 23); static_cast<double>(k) * 23 < at + 450;
             ++k) {
            const double m = static_cast<double>(k) * 23 + hash01(k, 1) * 15;
            const double side = (hash01(k, 2) < 0.5 ? -1 : 1) * (9 + hash01(k, 3) * 26);
            if (near_station(m) && side < 0) continue;
            add(m, [this, &p, m, at, side, k] { tree(p, m - at, side, hash01(k, 4)); });
        }
        for (long long k = static_cast<long long>(at / 71); static_cast<double>(k) * 71 < at + 600;
             ++k) {
            if (hash01(k, 5) < 0.35) continue;
            const double m = static_cast<double>(k) * 71 + hash01(k, 6) * 30;
            const double side = (hash01(k, 7) < 0.5 ? -1 : 1) * (18 + hash01(k, 8) * 30);
            add(m, [this, &p, m, at, side, k] { house(p, m - at, side, hash01(k, 9)); });
        }
        for (double m = std::floor(at / 10) * 10; m < at + 160; m += 10)
            if (!near_station(m) && !near_crossing(m))
                add(m, [this, &p, m, at] { fence(p, m - at); });
        for (std::size_t i = 0; i < r_.station_metres.size(); ++i) {
            const double stop = static_cast<double>(r_.station_metres[i]);
            if (stop - 115 - at < kFar && stop + 15 > at + kNear) {
                add(std::max(stop - 115, at + kNear + 0.01),
                    [this, &p, stop, at, i] { platform(p, stop - at, static_cast<int>(i)); });
            }
        }
        for (long double m : signals_)
            add(static_cast<double>(m),
                [this, &p, m, at] { signal_mast(p, static_cast<double>(m) - at); });
        for (const Board& b : boards_)
            add(static_cast<double>(b.metres),
                [this, &p, &b, at] { board_post(p, static_cast<double>(b.metres) - at, b); });
        for (const Post& g : posts_)
            add(static_cast<double>(g.metres), [this, &p, &g, at] {
                gradient_post(p, static_cast<double>(g.metres) - at, g.text);
            });
        for (long double m : crossings_)
            add(static_cast<double>(m),
                [this, &p, m, at] { crossing(p, static_cast<double>(m) - at, at); });
        add(static_cast<double>(bridge_.first), [this, &p, at] {
            bridge(p, static_cast<double>(bridge_.first) - at,
                   static_cast<double>(bridge_.second) - at);
        });
        for (const auto& tunnel : tunnels_) {
            const auto in = static_cast<double>(tunnel.first);
            add(in, [this, &p, in, at] { portal(p, in - at); });
        }
        add(static_cast<double>(buffer_),
            [this, &p, at] { buffer_stop(p, static_cast<double>(buffer_) - at); });
        if (passing && *passing > -60)
            items.emplace_back(std::max(*passing, kNear + 0.01),
                               [this, &p, z = *passing] { train(p, z); });
        std::stable_sort(items.begin(), items.end(),
                         [](const auto& a, const auto& b) { return a.first > b.first; });
        for (auto& [z, draw] : items)
            draw();
        // The contact wire over everything but the nearest masts.
        p.setPen(QPen(QColor(40, 40, 40), 1.2));
        p.drawLine(at_screen(kNear + 0.5, 0.1, 5.3), at_screen(kFar, 0.1, 5.3));
    }

    bool near_station(double m) const {
        for (long double s : r_.station_metres)
            if (m > static_cast<double>(s) - 130 && m < static_cast<double>(s) + 30) return true;
        return false;
    }
    bool near_crossing(double m) const {
        for (long double c : crossings_)
            if (std::abs(m - static_cast<double>(c)) < 12) return true;
        return false;
    }

    void quad(QPainter& p, std::array<QPointF, 4> corners, QColor c) const {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawPolygon(corners.data(), 4);
    }
    // A wall along the track at `side`, from depth z0 to z1, between two heights.
    void box_side(QPainter& p, double z0, double z1, double side, double h0, double h1,
                  QColor c) const {
        z0 = std::max(z0, kNear);
        if (z1 > z0)
            quad(p,
                 {at_screen(z0, side, h0), at_screen(z1, side, h0), at_screen(z1, side, h1),
                  at_screen(z0, side, h1)},
                 c);
    }
    // A level surface from depth z0 to z1 between two sides, at a height.
    void box_top(QPainter& p, double z0, double z1, double s0, double s1, double h,
                 QColor c) const {
        z0 = std::max(z0, kNear);
        if (z1 > z0)
            quad(p,
                 {at_screen(z0, s0, h), at_screen(z1, s0, h), at_screen(z1, s1, h),
                  at_screen(z0, s1, h)},
                 c);
    }
    // A face towards the camera at depth z.
    void face(QPainter& p, double z, double s0, double s1, double h0, double h1, QColor c) const {
        p.setPen(Qt::NoPen);
        p.setBrush(c);
        p.drawRect(QRectF(at_screen(z, s0, h1), at_screen(z, s1, h0)));
    }
    void pole(QPainter& p, double z, double side, double h, double width, QColor c) const {
        face(p, z, side - width / 2, side + width / 2, 0, h, c);
    }

    void mast(QPainter& p, double z) const {
        pole(p, z, 3.3, 6.6, 0.3, QColor(150, 150, 146));
        face(p, z, -0.6, 3.3, 6.1, 6.3, QColor(120, 120, 118));
        face(p, z, -0.1, 0.1, 5.3, 6.1, QColor(70, 70, 70));
    }

    void tree(QPainter& p, double z, double side, double shape) const {
        const double h = 5 + shape * 5, r = 1.8 + shape * 1.8;
        pole(p, z, side, h * 0.45, 0.35, QColor(96, 70, 48));
        const QPointF c = at_screen(z, side, h * 0.62);
        const double pr = r * kFocal / z;
        p.setPen(Qt::NoPen);
        p.setBrush(
            QColor(46 + static_cast<int>(shape * 30), 96 + static_cast<int>(shape * 30), 48));
        p.drawEllipse(c, pr, pr * 1.25);
        p.setBrush(
            QColor(70 + static_cast<int>(shape * 30), 124 + static_cast<int>(shape * 24), 64));
        p.drawEllipse(c + QPointF(-pr * 0.25, -pr * 0.35), pr * 0.55, pr * 0.6);
    }

    void house(QPainter& p, double z, double side, double shape) const {
        const double w = 7 + shape * 4, h = 4.5 + shape * 2.5;
        const double s0 = side < 0 ? side - w : side, s1 = side < 0 ? side : side + w;
        const QColor wall = shape < 0.33   ? QColor(226, 214, 190)
                            : shape < 0.66 ? QColor(200, 200, 206)
                                           : QColor(178, 150, 120);
        // The wall along the track, then the end facing the train and its roof.
        const double near_side = side < 0 ? s1 : s0;
        box_side(p, z, z + 9, near_side, 0, h, wall.darker(115));
        face(p, z, s0, s1, 0, h, wall);
        QPolygonF roof;
        roof << at_screen(z, s0 - 0.4, h) << at_screen(z, (s0 + s1) / 2, h + 2.2)
             << at_screen(z, s1 + 0.4, h);
        p.setBrush(shape < 0.5 ? QColor(70, 76, 96) : QColor(150, 60, 50));
        p.drawPolygon(roof);
        face(p, z, s0 + w * 0.2, s0 + w * 0.4, h * 0.45, h * 0.75, QColor(80, 110, 140));
        face(p, z, s0 + w * 0.6, s0 + w * 0.8, h * 0.45, h * 0.75, QColor(80, 110, 140));
    }

    void fence(QPainter& p, double z) const {
        for (double side : {-4.4, 4.4}) {
            pole(p, z, side, 1.2, 0.08, QColor(90, 90, 90));
            box_side(p, z, z + 10, side, 1.05, 1.15, QColor(120, 120, 120));
        }
    }

    // The platform on the left from 115 m before the stop to 15 m past it, with its edge line, a
    // canopy and the name board.
    void platform(QPainter& p, double stop_z, int station) const {
        const double z0 = stop_z - 115, z1 = stop_z + 15;
        box_side(p, z0, z1, -1.7, 0, 1.05, QColor(150, 146, 138));
        box_top(p, z0, z1, -1.7, -7.5, 1.05, QColor(186, 182, 172));
        box_top(p, z0, z1, -1.95, -2.35, 1.051, QColor(232, 200, 40));
        if (z0 > kNear) face(p, z0, -7.5, -1.7, 0, 1.05, QColor(140, 136, 128));
        for (double m = z1 - 5; m > z0 + 40; m -= 12)
            if (m > kNear) pole(p, m, -5.5, 3.6, 0.2, QColor(110, 110, 120));
        box_top(p, std::max(z0 + 40, kNear), z1, -3.0, -7.2, 3.6, QColor(120, 124, 136));
        // The name boards, facing the train, with the station's name: one the arriving train
        // passes, one just ahead of the stopping point.
        for (const double bz : {stop_z - 70, stop_z + 9}) {
            if (bz <= kNear) continue;
            pole(p, bz, -4.0, 2.0, 0.12, QColor(80, 80, 80));
            pole(p, bz, -2.6, 2.0, 0.12, QColor(80, 80, 80));
            face(p, bz, -4.4, -2.2, 2.0, 2.8, QColor(250, 250, 250));
            face(p, bz, -4.4, -2.2, 2.0, 2.08, QColor(30, 90, 170));
            const double px = 0.45 * kFocal / bz;
            if (px >= 4) {
                p.setPen(QColor(20, 20, 20));
                p.setFont(demo_font(std::min(px, 60.0), true));
                p.drawText(QRectF(at_screen(bz, -4.4, 2.8), at_screen(bz, -2.2, 2.08)),
                           Qt::AlignCenter, QString::fromUtf8(kNames[station]));
            }
        }
    }

    void signal_mast(QPainter& p, double z) const {
        pole(p, z, 2.7, 4.2, 0.18, QColor(70, 70, 70));
        face(p, z, 2.42, 2.98, 4.0, 5.5, QColor(28, 28, 28));
        const double r = 0.13 * kFocal / z;
        p.setBrush(QColor(70, 70, 74));
        for (double h : {5.2, 4.75, 4.3})
            p.drawEllipse(at_screen(z, 2.7, h), r, r);
    }

    void board_post(QPainter& p, double z, const Board& b) const {
        pole(p, z, 2.4, 2.0, 0.08, QColor(90, 90, 90));
        const QPointF c = at_screen(z, 2.4, 2.35);
        const double r = 0.38 * kFocal / z;
        p.setPen(Qt::NoPen);
        p.setBrush(b.check ? QColor(240, 200, 30) : QColor(220, 30, 30));
        p.drawEllipse(c, r, r);
        p.setBrush(QColor(250, 250, 250));
        p.drawEllipse(c, r * 0.72, r * 0.72);
        if (r >= 4) {
            p.setPen(QColor(20, 20, 20));
            p.setFont(demo_font(std::min(r * 0.9, 60.0), true));
            p.drawText(QRectF(c.x() - r, c.y() - r, 2 * r, 2 * r), Qt::AlignCenter,
                       QString::fromStdString(b.text));
        }
    }

    void gradient_post(QPainter& p, double z, const std::string& text) const {
        pole(p, z, -2.4, 1.0, 0.08, QColor(240, 240, 240));
        const QRectF plate(at_screen(z, -2.75, 1.35), at_screen(z, -2.05, 1.0));
        p.setBrush(QColor(250, 250, 250));
        p.setPen(QPen(QColor(40, 40, 40), std::max(0.5, 0.02 * kFocal / z)));
        p.drawRect(plate);
        if (plate.height() >= 5) {
            p.setPen(QColor(20, 20, 20));
            p.setFont(demo_font(std::min(plate.height() * 0.8, 40.0), true));
            p.drawText(plate, Qt::AlignCenter, QString::fromStdString(text));
        }
    }

    // A level crossing: its lights (blinking as the train comes) and the barriers down.
    void crossing(QPainter& p, double z, double at) const {
        const bool phase = static_cast<long long>(at / 1.5) % 2 == 0;
        for (double side : {-4.0, 4.0}) {
            pole(p, z, side, 3.2, 0.14, QColor(240, 240, 240));
            const QPointF c = at_screen(z, side, 2.9);
            const double arm = 0.5 * kFocal / z;
            p.setPen(QPen(QColor(240, 200, 20), std::max(1.0, 0.12 * kFocal / z)));
            p.drawLine(c + QPointF(-arm, -arm * 0.6), c + QPointF(arm, arm * 0.6));
            p.drawLine(c + QPointF(-arm, arm * 0.6), c + QPointF(arm, -arm * 0.6));
            const double lr = 0.13 * kFocal / z;
            p.setPen(Qt::NoPen);
            p.setBrush(QColor(20, 20, 20));
            p.drawRect(QRectF(at_screen(z, side - 0.45, 2.4), at_screen(z, side + 0.45, 2.1)));
            p.setBrush(phase ? QColor(255, 40, 30) : QColor(90, 20, 20));
            p.drawEllipse(at_screen(z, side - 0.28, 2.25), lr, lr);
            p.setBrush(phase ? QColor(90, 20, 20) : QColor(255, 40, 30));
            p.drawEllipse(at_screen(z, side + 0.28, 2.25), lr, lr);
            // The barrier, striped, across the road beside the track.
            const double out = side < 0 ? -12 : 12;
            for (int k = 0; k < 8; ++k) {
                const double a = side + (out - side) * k / 8, b = side + (out - side) * (k + 1) / 8;
                face(p, z - 3.5 * (side < 0 ? -1 : 1) * 0 - 3.2, std::min(a, b), std::max(a, b),
                     0.95, 1.1, k % 2 ? QColor(250, 250, 250) : QColor(230, 190, 20));
            }
        }
    }

    void bridge(QPainter& p, double z0, double z1) const {
        for (double side : {-2.3, 2.3}) {
            box_side(p, z0, z1, side, 0, 0.3, QColor(70, 80, 96));
            box_side(p, z0, z1, side, 2.9, 3.1, QColor(70, 80, 96));
            for (double z = z0; z <= z1 + 0.01; z += 5) {
                if (z <= kNear) continue;
                const QPointF a = at_screen(z, side, 0.3), b = at_screen(z, side, 2.9);
                p.setPen(QPen(QColor(70, 80, 96), std::max(1.0, 0.18 * kFocal / z)));
                p.drawLine(a, b);
                if (z + 5 <= z1) p.drawLine(a, at_screen(z + 5, side, 2.9));
            }
        }
    }

    // A tunnel's portal: a concrete face in the hillside with the dark opening.
    void portal(QPainter& p, double z) const {
        const QPointF hl = at_screen(z, -40, 0), hr = at_screen(z, 40, 0);
        QPainterPath hill;
        hill.moveTo(hl);
        hill.cubicTo(at_screen(z, -25, 16), at_screen(z, 25, 16), hr);
        hill.closeSubpath();
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(84, 112, 70));
        p.drawPath(hill);
        face(p, z, -6, 6, 0, 7.5, QColor(156, 152, 140));
        QPainterPath opening;
        const QRectF arch(at_screen(z, -3.2, 6.6), at_screen(z, 3.2, 3.4));
        opening.moveTo(at_screen(z, -3.2, 0));
        opening.lineTo(at_screen(z, -3.2, 5.0));
        opening.arcTo(arch, 180, -180);
        opening.lineTo(at_screen(z, 3.2, 0));
        opening.closeSubpath();
        p.setBrush(QColor(14, 14, 16));
        p.drawPath(opening);
    }

    void buffer_stop(QPainter& p, double z) const {
        face(p, z, -1.3, 1.3, 0, 1.1, QColor(200, 30, 30));
        for (int k = 0; k < 4; ++k)
            face(p, z, -1.3 + k * 0.65, -1.3 + k * 0.65 + 0.32, 0.2, 0.9, QColor(250, 250, 250));
        const double r = 0.3 * kFocal / z;
        p.setBrush(QColor(255, 60, 40));
        p.drawEllipse(at_screen(z, 0, 1.5), r, r);
    }

    // A train on the other track, its end towards the camera, its side along the track.
    void train(QPainter& p, double z) const {
        box_side(p, z, z + 60, 2.9, 0.9, 4.0, QColor(200, 205, 210));
        for (double w = z + 1; w < z + 60; w += 2.6)
            box_side(p, w, w + 1.6, 2.89, 2.2, 3.2, QColor(60, 80, 100));
        box_side(p, z, z + 60, 2.88, 1.9, 2.05, QColor(30, 120, 80));
        face(p, z, 2.9, 5.7, 0.9, 4.0, QColor(186, 190, 196));
        face(p, z, 3.3, 5.3, 2.4, 3.4, QColor(50, 60, 80));
    }

    void draw_inside_tunnel(QPainter& p, double at, double step) const {
        p.fillRect(QRectF(0, 0, 540, 300), QColor(12, 12, 14));
        // The tube: its walls and vault, lit by the train's lamps near it and fading into the
        // dark.
        QLinearGradient light(0, 300, 0, kHorizon);
        light.setColorAt(0, QColor(92, 88, 82));
        light.setColorAt(0.55, QColor(40, 38, 36));
        light.setColorAt(1, QColor(16, 16, 18));
        p.setBrush(light);
        for (const double side : {-2.9, 2.9}) {
            QPolygonF wall;
            wall << at_screen(kNear, side, 0) << at_screen(400, side, 0)
                 << at_screen(400, side, 4.6) << at_screen(kNear, side, 4.6);
            p.drawPolygon(wall);
        }
        QPolygonF vault;
        vault << at_screen(kNear, -2.9, 4.6) << at_screen(400, -2.9, 4.6) << at_screen(400, 0, 5.8)
              << at_screen(400, 2.9, 4.6) << at_screen(kNear, 2.9, 4.6) << at_screen(kNear, 0, 5.8);
        QLinearGradient top(0, 0, 0, kHorizon);
        top.setColorAt(0, QColor(70, 66, 62));
        top.setColorAt(1, QColor(16, 16, 18));
        p.setBrush(top);
        p.drawPolygon(vault);
        // The exit, bright, when it is ahead.
        for (const auto& [in, out] : tunnels_) {
            const double zo = static_cast<double>(out) - at;
            if (static_cast<double>(in) <= at && zo > kNear && zo < 500) {
                QPainterPath exit;
                exit.addRoundedRect(QRectF(at_screen(zo, -3.0, 5.4), at_screen(zo, 3.0, 0)), 40, 30,
                                    Qt::RelativeSize);
                p.setPen(Qt::NoPen);
                p.setBrush(QColor(200, 220, 230));
                p.drawPath(exit);
            }
        }
        draw_track(p, at, true, step);
        // The lamps along the left wall every 25 m.
        p.setPen(Qt::NoPen);
        for (double m = std::ceil(at / 25) * 25; m < at + 400; m += 25) {
            const double z = m - at;
            if (z <= kNear) continue;
            const double r = std::max(0.6, 0.22 * kFocal / z);
            p.setBrush(QColor(255, 220, 140));
            p.drawEllipse(at_screen(z, -2.5, 3.8), r * 1.4, r * 0.6);
        }
    }

    const Route& r_;
    double eye_ = 2.6;  // the camera's height above the rails, in metres
    std::vector<long double> signals_, crossings_;
    std::vector<Board> boards_;
    std::vector<Post> posts_;
    std::vector<std::pair<long double, long double>> tunnels_;
    std::pair<long double, long double> bridge_;
    long double buffer_ = 0;
    QImage land_;
};

}  // namespace

QImage opening_picture(const Route& route) {
    QImage opening = Scenery(route).frame(route.station_metres[0], 0);
    {
        QPainter p(&opening);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.fillRect(QRect(0, 10, 540, 80), QColor(10, 20, 40, 170));
        p.setPen(Qt::white);
        p.setFont(demo_font(34, true));
        p.drawText(QRect(0, 12, 540, 48), Qt::AlignCenter, QStringLiteral("オストレル本線"));
        p.setFont(demo_font(15, false));
        p.drawText(QRect(0, 58, 540, 28), Qt::AlignCenter,
                   QStringLiteral("「Start」で運転を始めます"));
        p.end();
    }
    return opening;
}

// Draws frames on a second thread while this one encodes them: the two halves of the work run
// side by side, and the file's bytes are the same as drawing and encoding in turn.
void write_frames(AviWriter& writer, int count, const std::function<void(int, QImage&)>& draw,
                  const std::function<void(int, const QImage&)>& written) {
    constexpr int kSlots = 4;
    std::array<QImage, kSlots> slots;
    std::array<bool, kSlots> ready{};
    std::mutex m;
    std::condition_variable changed;
    std::exception_ptr failure;
    bool stop = false;
    std::thread painter([&] {
        try {
            for (int f = 0; f < count; ++f) {
                const int k = f % kSlots;
                {
                    std::unique_lock lock(m);
                    changed.wait(lock, [&] { return !ready[k] || stop; });
                    if (stop) return;
                }
                draw(f, slots[k]);
                std::lock_guard lock(m);
                ready[k] = true;
                changed.notify_all();
            }
        } catch (...) {
            std::lock_guard lock(m);
            failure = std::current_exception();
            changed.notify_all();
        }
    });
    try {
        for (int f = 0; f < count; ++f) {
            const int k = f % kSlots;
            {
                std::unique_lock lock(m);
                changed.wait(lock, [&] { return ready[k] || failure; });
                if (failure) break;
            }
            writer.write(slots[k]);
            written(f, slots[k]);
            std::lock_guard lock(m);
            ready[k] = false;
            changed.notify_all();
        }
    } catch (...) {
        {
            std::lock_guard lock(m);
            stop = true;
            changed.notify_all();
        }
        painter.join();
        throw;
    }
    painter.join();
    if (failure) std::rethrow_exception(failure);
}

// The main video's quantiser: the route's detail at a size the directory can carry.
constexpr int kMainQuality = 11;

void write_route_videos(Output& out,
                        const std::function<void(int percent, const std::string&)>& progress) {
    const Route route = make_route();
    const Scenery scenery(route);
    std::filesystem::create_directories(out.dir() / "movie");
    {
        AviWriter main(out.dir() / "movie" / "ostrel_main.avi", 540, 300, kMainQuality);
        write_frames(
            main, route.last_frame + 1,
            [&](int f, QImage& into) {
                scenery.draw(into, route.metres(f),
                             static_cast<double>(route.metres(f + 1) - route.metres(f)));
            },
            [&](int f, const QImage& picture) {
                // A few stills to look at, where the route has something to show.
                if (std::getenv("OSTREL_DEMO_STILLS") && f % 1500 == 0)
                    out.bytes("stills\\" + std::to_string(f) + ".jpg",
                              encode_jpeg(to_image(picture), 85));
                if (f % 3000 == 0)
                    progress(25 + 70 * f / route.last_frame, "route video: frame " +
                                                                 std::to_string(f) + " of " +
                                                                 std::to_string(route.last_frame));
            });
        main.finish();
    }
    // The sub-movies: standing at station 8 while a train passes on the other track, and the
    // inside of the first tunnel with its lamps.
    {
        AviWriter platform(out.dir() / "movie" / "ostrel_platform8.avi", 540, 300);
        const long double at = route.station_metres[8];
        for (int f = 0; f < 150; ++f)
            platform.write(scenery.frame(at, 0, false, 260.0 - 2.4 * f));
        platform.finish();
        // It stands for main frames from the tunnel's first on, so each of its frames is drawn
        // where that main frame is: what the driver sees and where the train is agree.
        AviWriter tunnel(out.dir() / "movie" / "ostrel_tunnel.avi", 540, 300);
        const int from = route.frame_at(route.station_metres[5] + 300);
        for (int f = 0; f < 330; ++f)
            tunnel.write(scenery.frame(
                route.metres(from + f),
                static_cast<double>(route.metres(from + f + 1) - route.metres(from + f)), true));
        tunnel.finish();
        // The opening movie: a short flight along the line, rising from the cab of a train
        // leaving the first station to look down the line ahead.
        std::filesystem::create_directories(out.dir() / "move");
        AviWriter opening(out.dir() / "move" / "opening.avi", 540, 300);
        for (int f = 0; f < 90; ++f) {
            const double rise = f / 89.0;
            opening.write(scenery.from_height(2.6 + 40 * rise * rise)
                              .frame(route.station_metres[0] - 60 + f * 5.0L, 5.0));
        }
        opening.finish();
    }
}

// A scene of the route for the title window: the camera's picture at `metres`, enlarged to
// 800 x 600 with the caption on a band below it.
QImage title_scene(const Scenery& scenery, long double metres, const QString& caption,
                   const QString& heading = {}) {
    const QImage scene = scenery.frame(metres, 0.2)
                             .scaled(800, 444, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QImage img = canvas(800, 600, Rgba{18, 26, 44, 255});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.drawImage(0, heading.isEmpty() ? 0 : 96, scene);
    if (!heading.isEmpty()) {
        p.setPen(QColor(250, 250, 250));
        p.setFont(demo_font(52, true));
        p.drawText(QRect(0, 8, 800, 64), Qt::AlignCenter, heading);
        p.setFont(demo_font(18, false));
        p.drawText(QRect(0, 66, 800, 26), Qt::AlignCenter, QStringLiteral("OSTREL MAIN LINE"));
    }
    p.setPen(QColor(240, 240, 240));
    p.setFont(demo_font(26, true));
    p.drawText(QRect(20, heading.isEmpty() ? 456 : 548, 760, heading.isEmpty() ? 120 : 44),
               Qt::AlignCenter | Qt::TextWordWrap, caption);
    p.end();
    return img;
}

void write_title_scenes(Output& out) {
    const Route route = make_route();
    const Scenery scenery(route);
    auto station = [&route](int i, long double offset) {
        return route.station_metres[static_cast<std::size_t>(i)] + offset;
    };
    auto name = [](int i) { return QString::fromUtf8(kNames[i]); };
    // The slide show: the route from end to end.
    const std::vector<std::pair<long double, QString>> slides = {
        {station(0, -10), name(0) + QStringLiteral("駅 — オストレル本線の起点")},
        {station(0, 150), QStringLiteral("港町を出ると、すぐに田園が広がります")},
        {station(1, 170), QStringLiteral("北浜の先の踏切")},
        {station(2, 380), QStringLiteral("中央の先で川を渡ります")},
        {station(3, 300), QStringLiteral("本町を過ぎると 60km/h の制限")},
        {station(4, -60), name(4) + QStringLiteral("駅に到着")},
        {station(5, 200), QStringLiteral("東山トンネルの入口")},
        {station(5, 550), QStringLiteral("トンネルの中")},
        {station(6, 500), QStringLiteral("緑ヶ丘の先の 25‰ の上り坂")},
        {station(7, 400), QStringLiteral("若葉の先、閉そく信号機")},
        {station(8, -40), name(8) + QStringLiteral("駅 — 対向列車とすれ違う駅")},
        {station(9, 300), QStringLiteral("川端を過ぎて 45km/h の制限")},
        {station(10, -30), name(10) + QStringLiteral("駅 — 特急は運転停車")},
        {station(11, 150), QStringLiteral("新田の先の踏切")},
        {station(12, -50), name(12) + QStringLiteral("駅 — 急行は乗務員交代")},
        {station(13, 300), QStringLiteral("西浜の先 70km/h の速度照査")},
        {station(14, 100), QStringLiteral("朝日トンネルへ")},
        {station(15, 300), QStringLiteral("松原を過ぎて下り坂")},
        {station(16, -40), name(16) + QStringLiteral("駅 — 準急の分割駅")},
        {station(17, 250), QStringLiteral("森下の先 45km/h の区間照査")},
        {station(18, 400), QStringLiteral("湖畔を過ぎるとまもなく終点")},
        {station(19, -60), name(19) + QStringLiteral("駅に到着")},
        {station(19, 150), QStringLiteral("終点の先の車止め")}};
    for (std::size_t k = 0; k < slides.size(); ++k) {
        char file[32];
        std::snprintf(file, sizeof file, "image\\title\\%02d.jpg", static_cast<int>(k + 1));
        out.bytes(file, encode_jpeg(
                            to_image(title_scene(scenery, slides[k].first, slides[k].second)), 85));
    }
    // The title pictures, and the menu's background with the name of the line.
    const long double titles[] = {station(0, 30),   station(4, 60),  station(8, -20),
                                  station(12, 120), station(16, 30), station(19, -100)};
    for (int k = 0; k < 6; ++k) {
        char file[40];
        std::snprintf(file, sizeof file, "image\\title\\title%02d.jpg", k + 1);
        out.bytes(file, encode_jpeg(to_image(title_scene(scenery, titles[k],
                                                         QStringLiteral("クリックしてください"),
                                                         QStringLiteral("オストレル本線"))),
                                    85));
    }
    QImage menu = canvas(800, 600, Rgba{16, 24, 40, 255});
    {
        QPainter p(&menu);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        const QImage scene = scenery.frame(station(8, -40), 0.2)
                                 .scaled(440, 244, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        p.drawImage(350, 60, scene);
        p.setPen(QColor(250, 250, 250));
        p.setFont(demo_font(40, true));
        p.drawText(QRect(30, 40, 320, 60), Qt::AlignLeft | Qt::AlignVCenter,
                   QStringLiteral("オストレル本線"));
        p.setFont(demo_font(16, false));
        p.drawText(QRect(30, 100, 320, 80), Qt::AlignLeft | Qt::TextWordWrap,
                   name(0) + QStringLiteral(" — ") + name(19) +
                       QStringLiteral("　20駅 25.4km\n列車を選んでください"));
        p.setFont(demo_font(14, false));
        p.setPen(QColor(200, 210, 230));
        p.drawText(QRect(30, 200, 300, 30), Qt::AlignLeft, QStringLiteral("列車"));
        p.drawText(QRect(170, 430, 600, 24), Qt::AlignLeft, QStringLiteral("車両"));
        p.end();
    }
    out.bytes("image\\title\\title2.jpg", encode_jpeg(to_image(menu), 85));
}

}  // namespace ostrel::demo
