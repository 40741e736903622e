// Drawing the driving window: the arithmetic of patterns, angles, alpha, the notice band and
// the letterbox against values worked out by hand, and where the scene puts things at 1x,
// on small pictures made for the purpose.

#include <gtest/gtest.h>

#include <QGuiApplication>
#include <QPainter>

#include "drive/loader.h"
#include "drive/video_source.h"
#include "view/qt/driving_scene.h"
#include "view/qt/render_rules.h"
#include "view/qt/video_surface.h"

using namespace ostrel;

namespace {

Image solid(int w, int h, Rgba c) {
    Image img;
    img.width = w;
    img.height = h;
    img.pixels.assign(static_cast<std::size_t>(w * h), c);
    return img;
}

constexpr Rgba kRed{255, 0, 0}, kBlue{0, 0, 255}, kGreen{0, 255, 0}, kWhite{255, 255, 255},
    kMagenta{255, 0, 255};

// A picture of the line's lists, which are drawn keyed: its bottom-left pixel is the key.
Image picture(int w, int h, Rgba c) {
    Image img = solid(w, h, c);
    img.pixels[static_cast<std::size_t>((h - 1) * w)] = Rgba{255, 0, 255};
    return img;
}

PanelPart part(Image image, int x, int y, int depth, int width = 0, int height = 0) {
    PanelPart p;
    p.width = width ? width : image.width;
    p.height = height ? height : image.height;
    p.image = std::move(image);
    p.transparent = false;
    p.x = x;
    p.y = y;
    p.depth = depth;
    return p;
}

QRgb at(const QImage& img, int x, int y) {
    return img.pixel(x, y) & 0xFFFFFF;
}

}  // namespace

TEST(RenderRules, PatternsRunAcrossTheStripThenDown) {
    // A strip 120 wide of 40 x 24 patterns holds three across.
    EXPECT_EQ(pattern_rect(0, 120, 40, 24), QRect(0, 0, 40, 24));
    EXPECT_EQ(pattern_rect(2, 120, 40, 24), QRect(80, 0, 40, 24));
    EXPECT_EQ(pattern_rect(3, 120, 40, 24), QRect(0, 24, 40, 24));
    EXPECT_EQ(pattern_rect(5, 120, 40, 24), QRect(80, 24, 40, 24));
    // One pattern across (a strip running down), and nothing before the first pattern.
    EXPECT_EQ(pattern_rect(4, 40, 40, 24), QRect(0, 96, 40, 24));
    EXPECT_EQ(pattern_rect(-1, 120, 40, 24), QRect(0, 0, 40, 24));
    EXPECT_EQ(pattern_rect(1, 30, 40, 24), QRect(0, 24, 40, 24));
}

TEST(RenderRules, AnglesAreTurnsOf256AndAlphaIsOutOf255) {
    EXPECT_DOUBLE_EQ(angle_degrees(0), 0);
    EXPECT_DOUBLE_EQ(angle_degrees(64), 90);
    EXPECT_DOUBLE_EQ(angle_degrees(256), 0);
    EXPECT_DOUBLE_EQ(angle_degrees(-64), 270);  // an ammeter needle turned by reverse
    EXPECT_DOUBLE_EQ(angle_degrees(300), 61.875);
    EXPECT_DOUBLE_EQ(sprite_opacity(255), 1);
    EXPECT_DOUBLE_EQ(sprite_opacity(51), 0.2);
    EXPECT_DOUBLE_EQ(sprite_opacity(400), 1);
    EXPECT_DOUBLE_EQ(sprite_opacity(-3), 0);
}

TEST(RenderRules, TheNoticeBandLightensRows272To299By100) {
    QImage frame(540, 300, QImage::Format_RGB32);
    frame.fill(qRgb(10, 200, 180));
    draw_notice_band(frame, QStringLiteral("ブレーキ"));
    EXPECT_EQ(at(frame, 3, 271), qRgb(10, 200, 180) & 0xFFFFFF);
    EXPECT_EQ(at(frame, 3, 272), qRgb(110, 255, 255) & 0xFFFFFF);  // at most 255
    EXPECT_EQ(at(frame, 539, 299), qRgb(110, 255, 255) & 0xFFFFFF);
    // The text is black and centred: something dark near the middle of the band, none at
    // its ends.
    int dark_middle = 0;
    for (int x = 240; x < 300; ++x)
        for (int y = 274; y < 299; ++y)
            dark_middle += qRed(frame.pixel(x, y)) < 60;
    EXPECT_GT(dark_middle, 10);
    EXPECT_EQ(at(frame, 5, 285), qRgb(110, 255, 255) & 0xFFFFFF);
    // A frame smaller than the band is lightened where it has rows, without going past them.
    QImage small(100, 280, QImage::Format_RGB32);
    small.fill(qRgb(0, 0, 0));
    draw_notice_band(small, QString());
    EXPECT_EQ(at(small, 99, 279), qRgb(100, 100, 100) & 0xFFFFFF);
}

TEST(RenderRules, TheLayoutKeepsItsAspectCentredInAnyWindow) {
    Letterbox same = letterbox(QSizeF(743, 560));
    EXPECT_DOUBLE_EQ(same.scale, 1);
    EXPECT_EQ(same.offset, QPointF(0, 0));
    Letterbox twice = letterbox(QSizeF(1486, 1120));
    EXPECT_DOUBLE_EQ(twice.scale, 2);
    EXPECT_EQ(twice.to_layout(QPointF(1428, 1058)), QPointF(714, 529));
    // Wider than the layout: bars left and right.
    Letterbox wide = letterbox(QSizeF(1000, 560));
    EXPECT_DOUBLE_EQ(wide.scale, 1);
    EXPECT_DOUBLE_EQ(wide.offset.x(), 128.5);
    // Taller: bars above and below.
    Letterbox tall = letterbox(QSizeF(743, 1000));
    EXPECT_DOUBLE_EQ(tall.offset.y(), 220);
    EXPECT_DOUBLE_EQ(letterbox(QSizeF(0, 0)).scale, 1);
}

namespace {

// A video whose frames are all one grey, until it is told to fail.
struct GreyVideo final : VideoSource {
    bool fail = false;
    int reads = 0;
    bool open(const std::string&) override { return true; }
    int frame_count() const override { return 100; }
    bool read_surface(int, SurfaceImage& out, int width, int height) override {
        ++reads;
        if (fail) return false;
        out.width = width;
        out.height = height;
        out.stride = 4 * width;
        out.bytes.assign(static_cast<std::size_t>(out.stride * (height + 1)), 50);
        return true;
    }
};

}  // namespace

TEST(VideoSurface, NoticesAndFailuresAreDrawnOnACopyOfTheFrame) {
    GreyVideo video;
    VideoSurface surface;
    VideoWanted w;
    w.running = true;
    w.frame = 10;
    EXPECT_EQ(surface.follow(video, w, false), 10);
    EXPECT_EQ(qRed(surface.image().pixel(5, 280)), 50);
    w.notice = "0hint";
    surface.follow(video, w, true);
    EXPECT_EQ(qRed(surface.image().pixel(5, 280)), 150);
    // The frame cannot be read again: the last one stays, with the failure's band once, however
    // often it is asked for.
    video.fail = true;
    w.notice.clear();
    for (int i = 0; i < 3; ++i)
        surface.follow(video, w, true);
    EXPECT_EQ(qRed(surface.image().pixel(5, 280)), 150);
    EXPECT_EQ(qRed(surface.image().pixel(5, 100)), 50);
    // Not while the steps are stopped, nor past the end of the main video.
    w.running = false;
    EXPECT_EQ(surface.follow(video, w, true), 10);
}

TEST(VideoSurface, ItFetchesAgainWhenTheDriveAsksOrAfterAStartNotForEveryPaint) {
    GreyVideo video;
    VideoSurface surface;
    VideoWanted w;
    w.running = true;
    w.frame = 10;
    surface.follow(video, w, false);
    surface.follow(video, w, false);
    EXPECT_EQ(video.reads, 1);
    // A move to a station: the drive counts its ask and the frame below the new one as drawn.
    w.refetches = 1;
    w.drawn_frame = 9;
    EXPECT_EQ(surface.follow(video, w, false), 10);
    EXPECT_EQ(video.reads, 2);
    surface.follow(video, w, false);  // the same ask, already answered
    EXPECT_EQ(video.reads, 2);
    // Asked while paused: fetched once the steps run again.
    w.running = false;
    w.refetches = 2;
    EXPECT_EQ(surface.follow(video, w, false), 9);
    EXPECT_EQ(video.reads, 2);
    w.running = true;
    surface.follow(video, w, false);
    EXPECT_EQ(video.reads, 3);
    surface.fetch_again();
    surface.follow(video, w, false);
    EXPECT_EQ(video.reads, 4);
    EXPECT_EQ(surface.drawn_frame(), 10);
}

class Scene : public ::testing::Test {
  protected:
    Scene() {
        // The panel: a blue base at depth 1 under a red lamp at depth 2 added first, a lamp of
        // equal depth added later on top of it, a three-pattern strip, a keyed picture, a
        // needle and an overlay.
        loaded.panel.parts.push_back(part(solid(20, 20, kRed), 10, 310, 2));
        loaded.panel.parts.push_back(part(solid(40, 40, kBlue), 0, 300, 1));
        loaded.panel.parts.push_back(part(solid(10, 10, kGreen), 25, 325, 2));
        Image strip = solid(60, 20, kRed);
        for (int y = 0; y < 20; ++y)
            for (int x = 20; x < 60; ++x)
                strip.pixels[static_cast<std::size_t>(y * 60 + x)] = x < 40 ? kGreen : kWhite;
        loaded.panel.parts.push_back(part(strip, 100, 320, 3, 20, 20));
        Image keyed = solid(20, 20, kMagenta);
        keyed.pixels[0] = kWhite;  // top-left drawn, the rest the key colour
        PanelPart k = part(keyed, 200, 320, 3);
        k.transparent = true;
        k.transparent_colour = keyed.transparent_colour();
        loaded.panel.parts.push_back(k);
        Image needle = solid(6, 30, kMagenta);
        for (int y = 0; y < 15; ++y)
            for (int x = 2; x < 4; ++x)
                needle.pixels[static_cast<std::size_t>(y * 6 + x)] = kRed;  // pointing up
        PanelPart n = part(needle, 300, 400, 4);
        n.transparent = true;
        n.transparent_colour = kMagenta;
        n.needle = true;
        loaded.panel.parts.push_back(n);
        loaded.panel.parts.push_back(part(solid(540, 260, kWhite), 0, 300, 9));
        loaded.line.SignalImageList = {picture(40, 90, kRed), picture(40, 90, kGreen)};
        loaded.line.SignalImageList2 = {picture(50, 50, kBlue)};
        loaded.sign_images = {picture(50, 50, kWhite), picture(50, 50, kGreen)};
        Image card = solid(200, 880, kBlue);
        for (int x = 0; x < 200; ++x)
            card.pixels[static_cast<std::size_t>(440 * 200 + x)] = kGreen;
        card.pixels[static_cast<std::size_t>(879 * 200)] = kMagenta;  // the key: bottom left
        loaded.timetable_card = card;
        view = initial_view(loaded.panel);
        view.sprites[6].visible = false;  // the overlay, until a test wants it
        video = QImage(540, 300, QImage::Format_RGB32);
        video.fill(qRgb(0, 128, 0));
    }
    QImage draw(bool started = true) {
        DrivingScene scene(loaded, opening);
        return scene.render(view, video, started);
    }
    LoadedDrive loaded;
    ViewState view;
    QImage video, opening;
};

TEST_F(Scene, SpritesStackByDepthThenBuildOrderAndTheVideoCoversThem) {
    const QImage img = draw();
    ASSERT_EQ(img.size(), QSize(743, 560));
    EXPECT_EQ(at(img, 2, 302), qRgb(0, 0, 255) & 0xFFFFFF);    // base alone
    EXPECT_EQ(at(img, 12, 312), qRgb(255, 0, 0) & 0xFFFFFF);   // depth 2 over depth 1
    EXPECT_EQ(at(img, 27, 327), qRgb(0, 255, 0) & 0xFFFFFF);   // equal depth: added later
    EXPECT_EQ(at(img, 5, 5), qRgb(0, 128, 0) & 0xFFFFFF);      // the video, opaque
    EXPECT_EQ(at(img, 100, 330), qRgb(255, 0, 0) & 0xFFFFFF);  // pattern 0
    // Hidden sprites are not drawn; the key colour lets what is under it through.
    EXPECT_EQ(at(img, 200, 320), qRgb(255, 255, 255) & 0xFFFFFF);
    EXPECT_EQ(at(img, 210, 330), 0u);
    view.sprites[3].pattern = 2;
    EXPECT_EQ(at(draw(), 100, 330), qRgb(255, 255, 255) & 0xFFFFFF);
    view.sprites[0].visible = false;
    EXPECT_EQ(at(draw(), 12, 312), qRgb(0, 0, 255) & 0xFFFFFF);
}

TEST_F(Scene, NeedlesTurnAboutTheirCentreAndTheOverlayBlends) {
    // Unturned the needle points up from its centre (303, 415).
    QImage img = draw();
    EXPECT_EQ(qRed(img.pixel(303, 405)), 255);
    EXPECT_EQ(qRed(img.pixel(313, 415)), 0);
    view.sprites[5].angle = 64;  // a quarter turn clockwise: pointing right
    img = draw();
    EXPECT_EQ(qRed(img.pixel(303, 405)), 0);
    EXPECT_GT(qRed(img.pixel(313, 415)), 200);
    view.sprites[5].angle = 256 + 64;  // the same, a whole turn later
    EXPECT_EQ(draw(), img);
    // The overlay at alpha 51 over the blue base: a fifth of the way to white.
    view.sprites[6].visible = true;
    view.sprites[6].alpha = 51;
    const QRgb c = draw().pixel(2, 302);
    EXPECT_NEAR(qRed(c), 51, 1);
    EXPECT_NEAR(qBlue(c), 255, 1);
}

TEST_F(Scene, PicturesSitWhereTheDriveMovesThem) {
    view.SignalImage = {1, 588, true};
    view.SignalImageL = {0, 538, true};
    view.signal_sub = {0, 588, true};
    view.SlopeImage = {1, 0, true};
    view.stop_marker_visible = true;
    view.stopline_top = 142;  // 100 m to go
    view.remain_top = 160;
    view.remain = "100";
    QImage img = draw();
    EXPECT_EQ(at(img, 589, layout::signal_top + 1), qRgb(0, 255, 0) & 0xFFFFFF);
    EXPECT_EQ(at(img, 541, layout::signal_top + 88), qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(at(img, 538, layout::signal_top + 89), qRgb(0, 128, 0) & 0xFFFFFF);  // keyed
    EXPECT_EQ(at(img, 638, layout::signal_top + 1), 0u);  // no right picture
    EXPECT_EQ(at(img, 600, layout::signal_sub_top + 10), qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(at(img, layout::SlopeImage.x() + 5, layout::SlopeImage.y() + 5),
              qRgb(0, 255, 0) & 0xFFFFFF);
    EXPECT_EQ(at(img, layout::stop.x() + 5, layout::stop.y() + 5), qRgb(255, 255, 255) & 0xFFFFFF);
    // The stop line's bar at its top, over the video.
    EXPECT_EQ(at(img, layout::stopline_left + 20, 142 + 6), qRgb(255, 214, 0) & 0xFFFFFF);
    EXPECT_EQ(at(img, layout::stopline_left + 20, 142 - 2), qRgb(0, 128, 0) & 0xFFFFFF);
    // Moved for a signal with only a left picture, and cleared.
    view.SignalImage.left = 613;
    img = draw();
    EXPECT_EQ(at(img, 614, layout::signal_top + 1), qRgb(0, 255, 0) & 0xFFFFFF);
    view.SignalImage.image = -1;
    EXPECT_EQ(at(draw(), 614, layout::signal_top + 1), 0u);
    // An index past the end of its list draws nothing rather than failing.
    view.SignalImage.image = 7;
    EXPECT_EQ(at(draw(), 614, layout::signal_top + 1), 0u);
}

TEST_F(Scene, TheCardSlidesOverTheRightAndPagesUp) {
    EXPECT_EQ(at(draw(), 742, 10), 0u);  // waiting at the right edge
    view.card_left = 543;
    view.card_top = -440;
    const QImage img = draw();
    EXPECT_EQ(at(img, 543, 0), qRgb(0, 255, 0) & 0xFFFFFF);  // row 440 of the card
    EXPECT_EQ(at(img, 742, 100), qRgb(0, 0, 255) & 0xFFFFFF);
    EXPECT_EQ(at(img, 542, 100), 0u);
}

TEST_F(Scene, TheOpeningPictureShowsUntilTheStartAndScalingKeepsThePlaces) {
    opening = QImage(540, 300, QImage::Format_RGB32);
    opening.fill(qRgb(9, 9, 99));
    EXPECT_EQ(at(draw(false), 270, 150), qRgb(9, 9, 99) & 0xFFFFFF);
    EXPECT_EQ(at(draw(true), 270, 150), qRgb(0, 128, 0) & 0xFFFFFF);
    DrivingScene scene(loaded, opening);
    const QImage twice = scene.render(view, video, true, 2);
    ASSERT_EQ(twice.size(), QSize(1486, 1120));
    EXPECT_EQ(at(twice, 24, 624), qRgb(255, 0, 0) & 0xFFFFFF);  // the red lamp at (12, 312)
    // On a screen of device pixel ratio 2 the layout's coordinates stay, the pixels double.
    QImage hidpi(1486, 1120, QImage::Format_RGB32);
    hidpi.setDevicePixelRatio(2);
    QPainter p(&hidpi);
    scene.draw(p, view, video, true);
    p.end();
    EXPECT_EQ(at(hidpi, 24, 624), qRgb(255, 0, 0) & 0xFFFFFF);
    EXPECT_EQ(at(hidpi, 1080, 600), at(twice, 1080, 600));
}

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
