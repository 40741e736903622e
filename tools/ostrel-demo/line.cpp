// The demo route and its three services. Everything is placed by distance along the route and
// turned into frames of the route video through the same speed profile the simulation uses.

#include <QPainterPath>
#include <algorithm>
#include <array>
#include <cmath>
#include <condition_variable>
#include <cstdlib>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include <QPainter>

#include "core/encode/encoders.h"
#include "data/distances.h"
#include "demo.h"
#include "media.h"
#include "paint.h"
#include "video.h"

namespace ostrel::demo {

namespace {

const char* const kNames[] = {"港町", "北浜", "中央", "本町", "桜橋", "東山",  "緑ヶ丘",
                              "若葉", "城下", "川端", "南台", "新田", "青葉",  "西浜",
                              "朝日", "松原", "高原", "森下", "湖畔", "終点山"};
constexpr int kStations = 20;
// Metres between neighbouring stations.
const int kSpans[kStations - 1] = {1200, 1500, 900, 1800, 1300, 1100, 1600, 1000, 1400, 1200,
                                   1700, 1300, 900, 1500, 1200, 1600, 1100, 1300, 1400};

struct Route {
    std::vector<TSpeedUnit> profile;
    std::vector<int> station_frame;
    std::vector<long double> station_metres;
    int buffer_frame = 0;
    int last_frame = 0;

    long double metres(int frame) const {
        auto d = frame_distance(profile, frame);
        return d ? static_cast<long double>(*d) / 100 : 0;
    }
    // The first frame at or past a distance.
    int frame_at(long double m) const {
        int lo = 0, hi = last_frame;
        while (lo < hi) {
            int mid = (lo + hi) / 2;
            if (metres(mid) < m)
                lo = mid + 1;
            else
                hi = mid;
        }
        return lo;
    }
};

// Frames that a segment from va to vb km/h needs to cover `m` metres.
int frames_for(long double m, long double va, long double vb) {
    return std::max(1, static_cast<int>(std::lround(216.0L * m / (va + vb))));
}

Route make_route() {
    Route r;
    int frame = 0;
    auto add = [&r, &frame](long double m, long double va, long double vb) {
        const int n = frames_for(m, va, vb);
        r.profile.push_back({frame, frame + n, va, vb, 0});
        frame += n;
    };
    add(150, 25, 25);  // the run-in before the first platform
    r.station_frame.push_back(frame);
    for (int span : kSpans) {
        add(span * 0.2, 25, 80);
        add(span * 0.6, 80, 80);
        add(span * 0.2, 80, 25);
        r.station_frame.push_back(frame);
    }
    add(400, 25, 25);  // the run-out past the terminus, with the buffer on it
    build_speed_profile(r.profile);
    r.last_frame = frame;
    for (int f : r.station_frame)
        r.station_metres.push_back(r.metres(f));
    r.buffer_frame = r.frame_at(r.station_metres.back() + 250);
    return r;
}

// Where the signals stand: a starter 60 m past each station, a block signal 40 % into each
// span, a repeater in every third span, a home signal 120 m before the next station.
enum class SignalRole { Starter, Block, Repeater, Home };
struct SignalPlace {
    long double metres;
    int station;  // the station before it
    SignalRole role;
};

std::vector<SignalPlace> signal_places(const Route& r) {
    std::vector<SignalPlace> places;
    for (int i = 0; i + 1 < kStations; ++i) {
        const long double at = r.station_metres[static_cast<std::size_t>(i)];
        const long double span = kSpans[i];
        places.push_back({at + 60, i, SignalRole::Starter});
        places.push_back({at + span * 0.4L, i, SignalRole::Block});
        if (i % 3 == 1) places.push_back({at + span * 0.62L, i, SignalRole::Repeater});
        places.push_back({at + span - 120, i, SignalRole::Home});
    }
    return places;
}

// Gradients (per mille) from 250 m past these stations to 250 m before the next; speed limits
// (km/h, their sign) from 400 m to 800 m past these stations; level crossings 150 m to 260 m
// past these stations.
const std::pair<int, double> kSlopes[] = {{1, 10.0}, {3, -8.5},   {6, 25.0}, {9, -12.0},
                                          {12, 5.5}, {15, -20.0}, {17, 15.0}};
const std::tuple<int, int, int> kLimits[] = {{3, 60, 1}, {9, 45, 2}, {15, 75, 3}};
const int kCrossings[] = {1, 4, 8, 11, 16};

// The speed checks: a point check at 70 km/h and a 45 km/h zone, in metres.
long double kPointCheck(const Route& r) {
    return r.station_metres[13] + 500;
}
std::pair<long double, long double> kZoneCheck(const Route& r) {
    return {r.station_metres[17] + 300, r.station_metres[17] + 700};
}

enum class Service { Limited, Express, SemiExpress };

// Station kinds: 0 stop with doors, 1 passed, 2 stop without doors.
int kind_of(Service s, int i) {
    switch (s) {
        case Service::Limited:
            if (i == 10) return 2;
            return (i == 0 || i == 4 || i == 8 || i == 12 || i == 16 || i == 19) ? 0 : 1;
        case Service::Express:
            return (i % 2 == 0 || i == 19) ? 0 : 1;
        case Service::SemiExpress:
            return i == 7 ? 2 : 0;
    }
    return 0;
}

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
    s += "[StafSwitch]\n440\n0\n10\n#\n";
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
    for (const TSpeedUnit& u : r.profile) {
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
    // The opening picture before the start: the first platform, with the line's name.
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
    out.bytes("image\\line\\opening.bmp", bmp_bytes(opening));

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
