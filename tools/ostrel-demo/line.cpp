// The demo route's three line files, its signal and sign pictures, timetable cards and line
// sounds. Everything is placed by distance along the route (route.h) and turned into frames of
// the route video through the same speed profile the simulation uses.

#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/encode/encoders.h"
#include "data/distances.h"
#include "demo.h"
#include "media.h"
#include "paint.h"
#include "route.h"
#include "scenery.h"

namespace ostrel::demo {

namespace {

std::string n(long long v) {
    return std::to_string(v);
}

// Each station's departure (or passing) time in 1/30 s: about 55 km/h between stations and
// 40 s standing at each stop.
std::vector<int> timetable(const Route& r, Service service) {
    std::vector<int> departure(kStations);
    long double t = 10 * 3600.0L;
    for (int i = 0; i < kStations; ++i) {
        if (i > 0) {
            t += (r.station_metres[static_cast<std::size_t>(i)] -
                  r.station_metres[static_cast<std::size_t>(i - 1)]) /
                 (55 / 3.6L);
            if (kind_of(service, i) != 1) t += 40;
        }
        departure[static_cast<std::size_t>(i)] = static_cast<int>(t) * 30;
    }
    return departure;
}

// The timetable card of a service: each station with its departure time, a passed station
// marked "レ" with its passing time.
std::string timetable_card(const Route& r, Service service) {
    static const char* const kServices[] = {"特急", "急行", "準急"};
    const std::vector<int> departure = timetable(r, service);
    QImage img = canvas(200, 880, Rgba{250, 248, 235, 255});
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // Two pages of 440 pixels, ten stations each, each page under its own heading: the first
    // page up to the tenth station, the second from there ("[StafSwitch]").
    for (int i = 0; i < kStations; ++i) {
        const int page = i / 10, y = page * 440 + 40 + (i % 10) * 40;
        if (i % 10 == 0) {
            p.fillRect(QRect(0, page * 440, 200, 38), QColor(40, 60, 110));
            p.setPen(Qt::white);
            p.setFont(demo_font(18, true));
            p.drawText(QRect(6, page * 440, 188, 38), Qt::AlignVCenter | Qt::AlignLeft,
                       QString::fromUtf8(kServices[static_cast<int>(service)]));
            p.setFont(demo_font(11, false));
            p.drawText(QRect(6, page * 440, 188, 38), Qt::AlignVCenter | Qt::AlignRight,
                       QString::fromUtf8(kNames[0]) + QStringLiteral("→") +
                           QString::fromUtf8(kNames[kStations - 1]) +
                           QStringLiteral(" %1/2").arg(page + 1));
        }
        const bool passed = kind_of(service, i) == 1;
        p.setPen(QColor(180, 175, 160));
        p.drawLine(8, y + 39, 192, y + 39);
        p.setPen(passed ? QColor(120, 120, 120) : QColor(20, 20, 20));
        p.setFont(demo_font(17, !passed));
        p.drawText(QRect(10, y, 100, 40), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(kNames[i]));
        const int t = departure[static_cast<std::size_t>(i)] / 30;
        const QString time = QStringLiteral("%1:%2:%3")
                                 .arg(t / 3600)
                                 .arg(t / 60 % 60, 2, 10, QLatin1Char('0'))
                                 .arg(t % 60, 2, 10, QLatin1Char('0'));
        p.setFont(demo_font(15, false));
        p.drawText(QRect(96, y, 96, 40), Qt::AlignVCenter | Qt::AlignRight,
                   (passed ? QStringLiteral("レ ") : QString()) + time);
    }
    p.end();
    // The card is drawn with its bottom-left pixel as the transparent colour: that one pixel
    // gets a colour of its own, so the card's face stays opaque over the labels behind it.
    img.setPixelColor(0, img.height() - 1, QColor(255, 0, 255));
    return bmp_bytes(img);
}

std::string clock_of(int h, int m, int s) {
    return n((h * 3600LL + m * 60 + s) * 30);
}

std::string line_text(const Route& r, Service service) {
    const bool one_man = service == Service::SemiExpress;
    const char* const kTitles[] = {"オストレル本線 特急", "オストレル本線 急行",
                                   "オストレル本線 準急"};
    const char* const kVideo[] = {"ostrel_main", "ostrel_main", "ostrel_main"};
    const int si = static_cast<int>(service);
    std::string s = "; the demo route: twenty stations, one service of three\n";
    s += "[LineName]\n" + std::string(kTitles[si]) + "\n[LineName2]\nオストレル本線\n";
    s += "[StartPos]\n" + n(r.station_frame[0]) + "\n[FrameRate]\n15\n";
    s += "[Staf]\nimage\\line\\staf" + n(si) + ".bmp\nimage\\line\\opening.bmp\n[StartTime]\n0\n";
    // Page height, then the next-station index from which the second page is shown.
    s += "[StafSwitch]\n440\n10\n#\n";
    s += "[MovieStop]\n" + n(r.buffer_frame) + "\n#\n";
    // A timed sub-movie while standing at station 8, and one locked to the position in the
    // first tunnel.
    const int tunnel_from = r.frame_at(r.station_metres[5] + 300);
    // The locked row comes first and runs 30 frames past its range: a sub-movie that reaches its
    // length ends at the first row whose range it is outside, and a timed row always counts.
    s += "[MovieSwitch]\n0," + n(tunnel_from) + "," + n(tunnel_from + 300) + ",ostrel_tunnel,330," +
         n(tunnel_from + 330) + "\n2," + n(r.station_frame[8] - 20) + "," +
         n(r.station_frame[8] + 20) + ",ostrel_platform8,150," + n(r.station_frame[8]) + "\n#\n";
    s += "[Speed_Signal]\n0\n25\n45\n75\n110\n#\n";
    s += "[DataName]\n" + std::string(kVideo[si]) + "\n";
    // The preceding train leaves a few minutes ahead of this one.
    s += "[Pre_Train]\n" + n(r.station_frame[2]) + "," + n(r.station_frame[19]) + "\n";
    s += "2,70," + clock_of(9, 58, 0) + "\n6,70," + clock_of(10, 4, 30) + "\n10,70," +
         clock_of(10, 11, 0) + "\n14,70," + clock_of(10, 17, 30) + "\n18,70," +
         clock_of(10, 24, 0) + "\n19,0," + clock_of(10, 30, 0) + "\n#\n";
    s += "[OneMan]\n" + n(one_man ? 1 : 0) + "\n";
    s += "[SoundData]\nsound\\line\\arrive.wav\nsound\\line\\melody.wav\nsound\\line\\standstill."
         "wav\n"
         "sound\\line\\approach.wav\nsound\\line\\bridge.wav\nsound\\line\\passing."
         "wav\nsound\\line\\river.wav\n#\n";
    s += "[Announce]\n2\n";
    for (int i = 1; i < kStations; ++i)
        if (kind_of(service, i) == 0) s += "3,1," + n(i) + ",300\n";
    s += "#\n[KankoSound1]\n";
    for (int id = 0; id <= 20; ++id)
        s += "kanko\\k" + n(id) + ".wav\n";
    s += "[KankoSound2]\nkanko\\k21.wav\nkanko\\k22.wav\nkanko\\k23.wav\nkanko\\k24."
         "wav\nkanko\\k25.wav\nkanko\\k26.wav\n#\n";

    // Sounds along the way: a bridge clank once, a river looping with the speed.
    const int bridge = r.frame_at(r.station_metres[2] + 450);
    s += "[Sound]\n; a bridge and the river under it\n4," + n(bridge) + "," + n(bridge + 60) +
         ",60,0,0,0\n6," + n(bridge) + "," + n(bridge + 240) + ",60,1,1,1\n#\n";
    s += "[Doppler]\n5," + n(r.frame_at(r.station_metres[3] + 700)) + ",4000,0\n5," +
         n(r.frame_at(r.station_metres[13] + 600)) + ",4000,1\n#\n";
    s += "[Tunnel]\n" + n(tunnel_from) + "," + n(r.frame_at(r.station_metres[5] + 800)) + ",180\n" +
         n(r.frame_at(r.station_metres[14] + 200)) + "," +
         n(r.frame_at(r.station_metres[14] + 900)) + ",220\n#\n";

    // Stations and their timetable: a run at about 55 km/h between stops and half a minute
    // standing at each.
    s += "[Station]\n";
    const std::vector<int> departure = timetable(r, service);
    for (int i = 0; i < kStations; ++i) {
        const int kind = kind_of(service, i);
        const int pattern = kind == 1 ? 100 : 85;
        s += std::string(kNames[i]) + "," + n(kind) + "," +
             n(r.station_frame[static_cast<std::size_t>(i)]) + "," +
             n(r.station_frame[static_cast<std::size_t>(i)] + 60) + ",0,1,0," +
             n(departure[static_cast<std::size_t>(i)]) + "," + n(pattern) + "," +
             n(i == 4 ? 1 : 0) + "\n";
    }
    s += "#\n[StopSound]\n0\n#\n";

    // Signals: a starter 60 m past each station, block signals between.
    struct Sig {
        int frame, kind, type, held_state, held_until, left, right;
    };
    std::vector<Sig> sigs;
    const int kTypes[] = {3, 4, 5, 1};
    for (const SignalPlace& p : signal_places(r)) {
        const int i = p.station;
        const int frame = r.frame_at(p.metres);
        switch (p.role) {
            case SignalRole::Starter:
                // Starters of stations with doors stay at stop until the departure melody.
                sigs.push_back({frame, kind_of(service, i) == 0 ? 3 : 0, 2, 0, i, 0, 0});
                break;
            case SignalRole::Block:
                sigs.push_back({frame, 0, kTypes[i % 4], 0, 0, i == 6 ? 22 : 0, i == 9 ? 23 : 0});
                break;
            case SignalRole::Repeater:
                sigs.push_back({frame, 0, 0, 0, 0, 0, 0});
                break;
            case SignalRole::Home:
                sigs.push_back({frame, 0, 2, 0, 0, 0, 0});
                break;
        }
    }
    // One signal held at caution until a clock time, one always at the limited aspect.
    sigs[5].kind = 1, sigs[5].held_state = 1, sigs[5].held_until = std::stoi(clock_of(10, 6, 0));
    sigs[17].kind = 2, sigs[17].held_state = 3, sigs[17].type = 3;
    // The limited express runs on the cab-signalled line: every signal there, repeaters too, is
    // of the cab-signal type, which a cab-signal train shows beside the cab view and other trains
    // only obey through their ATS.
    if (service == Service::Limited)
        for (Sig& g : sigs)
            g.type = 6;
    s += "[Signal]\n";
    int from = 0;
    for (std::size_t k = 0; k < sigs.size(); ++k) {
        const Sig& g = sigs[k];
        s += n(g.kind) + "," + n(k % 5 == 0 ? 1 : 0) + ",0," + n(g.type) + "," + n(from) + "," +
             n(g.frame) + "," + n(g.frame - 90) + "," + n(g.frame - 30) + "," + n(g.held_state) +
             "," + n(g.held_until) + "," + n(g.left) + "," + n(g.right) + "\n";
        from = g.frame;
    }
    s += "#\n";

    // Gradients both ways.
    s += "[Slope]\n";
    for (const auto& [i, g] : kSlopes) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        char text[32];
        std::snprintf(text, sizeof text, "%.1f", g);
        s += std::string(text) + "," + n(r.frame_at(at + 250)) + "," +
             n(r.frame_at(at + kSpans[i] - 250)) + "\n";
    }
    s += "#\n";
    // Signs: a whistle board, one that changes after 20 s in its range, one at a clock time.
    s += "[Sign]\n4," + n(r.frame_at(r.station_metres[1] + 500)) + "," +
         n(r.frame_at(r.station_metres[1] + 800)) + ",0\n4," +
         n(r.frame_at(r.station_metres[7] + 300)) + "," + n(r.frame_at(r.station_metres[7] + 900)) +
         ",20\n4," + n(r.frame_at(r.station_metres[11] + 300)) + "," +
         n(r.frame_at(r.station_metres[11] + 900)) + "," + clock_of(10, 20, 0) + "\n";
    // The speed checks' boards: the point check's 400 m before it, the zone's from 300 m before
    // it to its end.
    s += "10," + n(r.frame_at(kPointCheck(r) - 400)) + "," + n(r.frame_at(kPointCheck(r))) +
         ",0\n11," + n(r.frame_at(kZoneCheck(r).first - 300)) + "," +
         n(r.frame_at(kZoneCheck(r).second)) + ",0\n#\n";
    s += "[SignalKanko]\n";
    for (std::size_t k = 0; k < sigs.size(); k += 4)
        s += n(static_cast<long long>(k)) + ",0,21\n";
    s += "#\n[StationKanko]\n";
    for (int i = 0; i < kStations; ++i) {
        if (kind_of(service, i) == 1) continue;
        // Stopped: "停止位置よし"; arrival: "到着"; doors closing: "ドア閉めます"; doors closed:
        // the starter called (it cleared with the melody) and the time; first power: "出発".
        s += n(i) + ",4,22\n" + n(i) + ",0,23\n" + n(i) + ",5,25\n" + n(i) + ",2,999\n" + n(i) +
             ",2," + n(departure[static_cast<std::size_t>(i)]) + "\n" + n(i) + ",3,24\n";
    }
    s += "#\n";
    // Speed limits with their signs and braking patterns.
    s += "[SpeedLimit]\n";
    for (const auto& [i, limit, image] : kLimits) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        s += n(limit) + "," + n(image) + "," + n(limit) + "," + n(r.frame_at(at + 400)) + "," +
             n(r.frame_at(at + 800)) + "\n";
    }
    s += "#\n[SpeedCheck1]\n70," + n(r.frame_at(kPointCheck(r))) + "\n#\n";
    s += "[SpeedCheck2]\n45," + n(r.frame_at(kZoneCheck(r).first)) + "," +
         n(r.frame_at(kZoneCheck(r).second)) + "\n#\n";
    s += "[SignImageList]\nimage\\line\\up.bmp\nimage\\line\\down.bmp\n#\n";
    s += "[OtherImageList]\nimage\\line\\timecheck.bmp\nkanko\\timecheck.wav\nimage\\line\\limit60."
         "bmp\nkanko\\limit60.wav\n"
         "image\\line\\limit45.bmp\nkanko\\limit45.wav\nimage\\line\\limit75.bmp\nkanko\\limit75."
         "wav\n"
         "image\\line\\whistle.bmp\nkanko\\whistle.wav\nimage\\line\\whistle_off."
         "bmp\nkanko\\whistle.wav\n"
         "image\\line\\zone.bmp\nkanko\\ATSnone.wav\nimage\\line\\zone.bmp\nkanko\\ATS30.wav\n"
         "image\\line\\zone.bmp\nkanko\\ATS45.wav\nimage\\line\\zone.bmp\nkanko\\ATS65.wav\n"
         "image\\line\\check70.bmp\nkanko\\check70.wav\nimage\\line\\zone45.bmp\nkanko\\zone45."
         "wav\n#\n";
    s += "[SignalImageList]\n";
    for (int a = 0; a < 22; ++a)
        s += "image\\signal\\aspect" + n(a) + ".bmp\n";
    s += "image\\signal\\left.bmp\nimage\\signal\\right.bmp\n#\n";
    s += "[SignalImageList2]\nimage\\signal\\sub_none.bmp\nimage\\signal\\sub_route.bmp\n#\n";
    s += "[SpeedUnit]\n";
    for (const SpeedUnitRow& u : r.profile) {
        char text[96];
        std::snprintf(text, sizeof text, "%d,%d,%.1f,%.1f\n", u.first_frame, u.last_frame,
                      static_cast<double>(u.first_speed), static_cast<double>(u.last_speed));
        s += text;
    }
    s += "#\n[CrossImageList]\nimage\\line\\cross.bmp\nimage\\line\\cross_wait.bmp\n#\n";
    s += "[Cross]\n";
    for (int i : kCrossings) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        s += "0,26," + n(r.frame_at(at + 150)) + "," + n(r.frame_at(at + 260)) + "," +
             n(i == 4 ? 4 : 0) + "\n";
    }
    s += "#\n[Time]\n";
    const int kChecks[] = {3, 9, 14};
    for (int i : kChecks) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        s += n(r.frame_at(at + 300)) + "," + n(r.frame_at(at + 600)) + "," +
             n(departure[static_cast<std::size_t>(i)] + 30 * 40) + "\n";
    }
    s += "#\n[Switch]\n";
    for (int i = 0; i < kStations; i += 3) {
        s += n(r.station_frame[static_cast<std::size_t>(i)] - 120) + ",1\n";
        if (i + 1 < kStations) s += n(r.station_frame[static_cast<std::size_t>(i)] + 150) + ",2\n";
    }
    s += "#\n";
    return s;
}

const Rgba kKey{255, 0, 255, 255}, kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255};

// A round board with a number, on the key colour: a speed limit (red ring), a speed check
// (yellow), a sign. Its rim is drawn hard so no pixel mixes with the key.
std::string board(Rgba ring, const std::string& text, Rgba face = kWhite, Rgba ink = kBlack) {
    QImage img = canvas(50, 50, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(qcolor(ring));
    p.drawEllipse(QRect(2, 2, 46, 46));
    p.setBrush(qcolor(face));
    p.drawEllipse(QRect(8, 8, 34, 34));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(qcolor(ink));
    p.setFont(demo_font(text.size() >= 3 ? 13 : 17, true));
    p.drawText(QRect(2, 2, 46, 46), Qt::AlignCenter, QString::fromStdString(text));
    p.end();
    img.setPixelColor(0, 49, qcolor(kKey));
    return bmp_bytes(img);
}

// A square board with a text, for the signs that are not limits.
std::string plate_board(Rgba face, const std::string& text, Rgba ink = kBlack) {
    QImage img = canvas(56, 40, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QPen(QColor(30, 30, 30), 2));
    p.setBrush(qcolor(face));
    p.drawRect(QRect(2, 2, 51, 35));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setPen(qcolor(ink));
    p.setFont(demo_font(QString::fromStdString(text).size() > 2 ? 12 : 16, true));
    p.drawText(QRect(2, 2, 52, 36), Qt::AlignCenter, QString::fromStdString(text));
    p.end();
    img.setPixelColor(0, 39, qcolor(kKey));
    return bmp_bytes(img);
}

// The signal head of aspect `a` (the simulation's aspect numbers): a black head with the lamps of
// its signal type, the lamps of the aspect lit. Repeaters show a white bar: across at stop,
// slanting at caution, upright at proceed.
std::string signal_head(int a) {
    enum Lamp { R, Y, G, Y2 };
    struct Look {
        int type;
        std::vector<Lamp> lit;
    };
    static const Look kLooks[22] = {
        {0, {}},  {0, {Y}}, {0, {G}},                // repeater: stop, caution, proceed
        {1, {R}}, {1, {Y}},                          // two lamps
        {1, {}},  {2, {R}}, {2, {Y}},     {2, {G}},  // (5 is not used by type 1)
        {3, {R}}, {3, {Y}}, {3, {Y, G}},  {3, {G}}, {4, {R}},    {4, {Y, Y2}}, {4, {Y}},
        {4, {G}}, {5, {R}}, {5, {Y, Y2}}, {5, {Y}}, {5, {Y, G}}, {5, {G}}};
    Look look = kLooks[a];
    if (a == 5) look = {2, {G}};
    QImage img = canvas(40, 90, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(25, 25, 25));
    p.drawRect(QRect(4, 2, 32, 86));
    p.setRenderHint(QPainter::Antialiasing, true);
    auto lit = [&look](Lamp l) {
        return std::find(look.lit.begin(), look.lit.end(), l) != look.lit.end();
    };
    auto lamp = [&p](int y, QColor on, bool is_lit) {
        p.setBrush(QColor(55, 55, 55));
        p.drawEllipse(QPointF(20, y), 10, 10);
        if (!is_lit) return;
        p.setBrush(on);
        p.drawEllipse(QPointF(20, y), 8.5, 8.5);
    };
    const QColor red(235, 40, 30), yellow(250, 200, 30), green(40, 220, 120);
    if (look.type == 0) {
        p.setBrush(QColor(55, 55, 55));
        p.drawEllipse(QPointF(20, 45), 15, 15);
        p.setPen(QPen(QColor(245, 245, 245), 5, Qt::SolidLine, Qt::RoundCap));
        const double angle = lit(G) ? 90 : lit(Y) ? 45 : 0;
        const double rad = angle * 3.14159265358979 / 180;
        p.drawLine(QPointF(20 - 11 * std::cos(rad), 45 + 11 * std::sin(rad)),
                   QPointF(20 + 11 * std::cos(rad), 45 - 11 * std::sin(rad)));
    } else if (look.type == 1) {
        lamp(32, yellow, lit(Y));
        lamp(58, red, lit(R));
    } else if (look.type == 2) {
        lamp(22, green, lit(G));
        lamp(45, yellow, lit(Y));
        lamp(68, red, lit(R));
    } else {
        lamp(14, yellow, lit(Y));
        lamp(34, green, lit(G));
        lamp(55, red, lit(R));
        lamp(76, yellow, lit(Y2));
    }
    p.end();
    img.setPixelColor(0, 89, qcolor(kKey));
    return bmp_bytes(img);
}

}  // namespace

void write_line_files(Output& out) {
    const Route route = make_route();
    out.text("line_ltd.dat", line_text(route, Service::Limited));
    out.text("line_exp.dat", line_text(route, Service::Express));
    out.text("line_semi.dat", line_text(route, Service::SemiExpress));

    const Rgba red{220, 30, 30, 255}, yellow{250, 210, 40, 255}, green{40, 200, 90, 255},
        grey{60, 60, 60, 255};
    for (int a = 0; a < 22; ++a)
        out.bytes("image\\signal\\aspect" + std::to_string(a) + ".bmp", signal_head(a));
    // The route indicators beside the signal, and the sub signal.
    out.bytes("image\\signal\\left.bmp", plate_board(Rgba{20, 20, 20, 255}, "←", kWhite));
    out.bytes("image\\signal\\right.bmp", plate_board(Rgba{20, 20, 20, 255}, "→", kWhite));
    out.bytes("image\\signal\\sub_none.bmp", board(grey, "", Rgba{40, 40, 40, 255}));
    out.bytes("image\\signal\\sub_route.bmp", board(grey, "1", Rgba{40, 40, 40, 255}, kWhite));
    out.bytes("image\\line\\up.bmp", plate_board(kWhite, "上り"));
    out.bytes("image\\line\\down.bmp", plate_board(kWhite, "下り"));
    out.bytes("image\\line\\timecheck.bmp", plate_board(green, "時刻", kWhite));
    out.bytes("image\\line\\limit60.bmp", board(red, "60"));
    out.bytes("image\\line\\limit45.bmp", board(red, "45"));
    out.bytes("image\\line\\limit75.bmp", board(red, "75"));
    out.bytes("image\\line\\whistle.bmp", plate_board(kWhite, "汽笛"));
    out.bytes("image\\line\\whistle_off.bmp", plate_board(grey, "汽笛", Rgba{150, 150, 150, 255}));
    out.bytes("image\\line\\zone.bmp", plate_board(yellow, "照査"));
    out.bytes("image\\line\\check70.bmp", board(yellow, "70"));
    out.bytes("image\\line\\zone45.bmp", board(yellow, "45", kWhite, red));
    out.bytes("image\\line\\cross.bmp", plate_board(yellow, "踏切"));
    out.bytes("image\\line\\cross_wait.bmp", plate_board(red, "踏切", kWhite));
    for (int si = 0; si < 3; ++si)
        out.bytes("image\\line\\staf" + std::to_string(si) + ".bmp",
                  timetable_card(route, static_cast<Service>(si)));
    out.bytes("image\\line\\opening.bmp", bmp_bytes(opening_picture(route)));

    auto save = [&out](const char* name, const Sound& s) {
        out.bytes(std::string(name), wav_bytes(s));
    };
    auto voice_or = [&out](const char* name, const std::string& kana, const Sound& instead) {
        std::string bytes = speak(kana);
        out.bytes(std::string(name), bytes.empty() ? wav_bytes(instead) : bytes);
    };
    save("sound\\line\\arrive.wav", chime(3.0, {523, 659, 784, 1046}, 0.3));
    save("sound\\line\\melody.wav", chime(5.0, {659, 784, 880, 784, 659, 523, 587, 659}, 0.3));
    // Announcements in the train.
    voice_or("sound\\line\\standstill.wav", "ただいま ていしゃ しております",
             tone(2.0, 330, 0.2, 0.5));
    voice_or("sound\\line\\approach.wav", "まもなく えきに とうちゃく します",
             chime(2.0, {784, 659, 523}, 0.3));
    save("sound\\line\\bridge.wav", noise(1.0, 0.6, 41, 0.2));
    save("sound\\line\\passing.wav", mix(noise(3.0, 0.5, 42, 0.6), tone(3.0, 90, 0.2)));
    save("sound\\line\\river.wav", loopable(noise(2.25, 0.3, 43, 0.95), 0.25));
    // Call-outs, spoken; a tone stands in when espeak-ng is not there.
    auto voice = [&out](const std::string& name, const std::string& kana, double hz) {
        std::string bytes = speak(kana);
        out.bytes(name, bytes.empty() ? wav_bytes(tone(0.8, hz, 0.3, 0.6)) : bytes);
    };
    const char* const kCallouts[] = {"ていし",           "けいかい",         "ちゅうい",
                                     "げんそく",         "しんこう",         "ちゅうい しんごう",
                                     "じゅうびょう",     "にじゅうびょう",   "さんじゅうびょう",
                                     "よんじゅうびょう", "ごじゅうびょう",   "ろくじゅうびょう",
                                     "ななじゅうびょう", "はちじゅうびょう", "きゅうじゅうびょう",
                                     "ひゃくびょう",     "おくれ",           "はやい",
                                     "ていじ",           "ドア しめきり",    "しゅっぱつ しんこう",
                                     "しんごう よし",    "ていしいち よし",  "とうちゃく",
                                     "しゅっぱつ",       "ドア しめます",    "ふみきり よし"};
    for (int id = 0; id <= 26; ++id)
        voice("kanko\\k" + std::to_string(id) + ".wav", kCallouts[id], 200 + 20 * id);
    const std::pair<const char*, const char*> kSigns[] = {
        {"timecheck", "じこく かくにん"},
        {"limit60", "せいげん ろくじゅう"},
        {"limit45", "せいげん よんじゅうご"},
        {"limit75", "せいげん ななじゅうご"},
        {"whistle", "きてき"},
        {"ATSnone", "エーティーエス しょうさ なし"},
        {"ATS30", "しょうさ さんじゅう"},
        {"ATS45", "しょうさ よんじゅうご"},
        {"ATS65", "しょうさ ろくじゅうご"},
        {"check70", "しょうさ ななじゅう"},
        {"zone45", "くかん しょうさ よんじゅうご"}};
    for (const auto& [name, kana] : kSigns)
        voice("kanko\\" + std::string(name) + ".wav", kana, 240);
}

}  // namespace ostrel::demo
