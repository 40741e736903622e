// The five trains: where the simulation differs, they differ.

#include <cmath>
#include <string>
#include <vector>

#include <QPainter>

#include "core/encode/encoders.h"
#include "demo.h"
#include "media.h"
#include "paint.h"

namespace ostrel::demo {

namespace {

struct Train {
    std::string file, dir, description;
    bool diesel = false;
    bool manual_gears = false;
    int handle = 0, brake_type = 1, brake = 9, power = 5, hold = 1, constant = 1, ats = 1,
        alert = 1;
    int mc = 1, vigilance = 1;
    std::string tons = "210.0", brake_rate = "4.0";
    Rgba face{90, 110, 130, 255};
    bool regenerates = true;  // an inverter train: its motors brake too
    double motor_hz = 380;    // the pitch of its motor or engine sound
};

const Rgba kWhite{255, 255, 255, 255}, kKey{255, 0, 255, 255};
const Rgba kYellow{250, 210, 40, 255}, kRed{220, 30, 30, 255}, kGreen{40, 200, 90, 255},
    kOrange{255, 140, 0, 255};

constexpr double kPi = 3.14159265358979323846;
// Where the zeros of the dials stand, in degrees clockwise from straight up: the pressure and
// speed scales run from lower left, the voltmeter's from the left; the ammeter's zero is up.
constexpr double kZeroAt = -135, kVoltsZeroAt = -90;

std::string n(int v) {
    return std::to_string(v);
}

// A dial gauge: the needle turns from `base` degrees (0 up, clockwise) by `scale` degrees per
// unit, so the scale marks stand where the simulation puts the needle.
struct Scale {
    double base, scale, from, to, step;
    int label_every;       // a number every so many marks
    double label_divisor;  // the numbers in these units ("6" for 600 kPa)
    Rgba colour;
    double radius;  // of the marks, as a share of the dial's radius
};

QPointF on_dial(QPointF c, double r, double degrees) {
    const double a = degrees * kPi / 180;
    return {c.x() + std::sin(a) * r, c.y() - std::cos(a) * r};
}

void dial(QPainter& p, QPointF c, double r, const std::vector<Scale>& scales,
          const std::vector<std::pair<QString, Rgba>>& names) {
    p.setPen(QPen(QColor(30, 30, 30), 3));
    p.setBrush(QColor(248, 246, 236));
    p.drawEllipse(c, r, r);
    for (const Scale& sc : scales) {
        const int marks = static_cast<int>(std::lround((sc.to - sc.from) / sc.step));
        for (int i = 0; i <= marks; ++i) {
            const double value = sc.from + sc.step * i;
            // The simulation turns a needle by 255/256 of the degrees its scale gives (a full
            // turn is 256 steps and the degrees are multiplied by 255/360), so the marks do too.
            const double angle = sc.base + sc.scale * value * 255 / 256;
            const bool major = i % sc.label_every == 0;
            const double outer = r * sc.radius;
            const double inner = outer - (major ? r * 0.16 : r * 0.08);
            p.setPen(QPen(qcolor(sc.colour), major ? 2.2 : 1.2));
            p.drawLine(on_dial(c, inner, angle), on_dial(c, outer, angle));
            if (!major) continue;
            const double at = inner - r * 0.14;
            p.setFont(demo_font(std::max(9.0, r * 0.19), true));
            const QString text = QString::number(value / sc.label_divisor);
            const QPointF q = on_dial(c, at, angle);
            p.drawText(QRectF(q.x() - 16, q.y() - 8, 32, 16), Qt::AlignCenter, text);
        }
    }
    double y = c.y() + r * 0.34;
    for (const auto& [name, colour] : names) {
        p.setPen(qcolor(colour));
        p.setFont(demo_font(std::max(9.0, r * 0.17), true));
        p.drawText(QRectF(c.x() - r, y, 2 * r, r * 0.22), Qt::AlignCenter, name);
        y += r * 0.2;
    }
}

// A needle turning about the picture's centre: `length` from the centre to the tip, with a
// short tail, on the key colour, pointing `degrees` from straight up (clockwise) at the zero of
// its dial. The vehicle file then gives it a base angle of 0, so a needle the simulation has not
// set yet (before the first start) reads zero rather than the middle of its scale. Its edges are
// drawn hard so that no pixel mixes with the key.
QImage needle(Rgba colour, int length, double degrees) {
    const int side = 2 * length + 2;
    QImage img = canvas(side, side, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.translate(length + 1, length + 1);
    p.rotate(degrees);
    p.setBrush(qcolor(colour));
    const QPointF shape[] = {{0, 1.0 - length}, {2, 0}, {1, 10}, {-1, 10}, {-2, 0}};
    p.drawPolygon(shape, 5);
    p.setBrush(QColor(30, 30, 30));
    p.drawEllipse(QPointF(0, 0), 3.5, 3.5);
    p.end();
    img.setPixelColor(0, side - 1, qcolor(kKey));
    return img;
}

// A strip of labelled patterns: pattern k shows labels[k] lit on a dark window.
QImage strip(const std::vector<QString>& labels, int w, int h, Rgba on) {
    QImage img = canvas(w * static_cast<int>(labels.size()), h, kKey);
    QPainter p(&img);
    for (std::size_t k = 0; k < labels.size(); ++k) {
        const QRect box(static_cast<int>(k) * w + 1, 1, w - 2, h - 2);
        p.setRenderHint(QPainter::Antialiasing, false);
        p.fillRect(box, QColor(20, 20, 20));
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setPen(qcolor(on));
        const QString& text = labels[k];
        p.setFont(demo_font(text.size() >= 3 ? h * 0.5 : h * 0.62, true));
        p.drawText(box, Qt::AlignCenter, text);
    }
    p.end();
    img.setPixelColor(0, h - 1, qcolor(kKey));
    return img;
}

// A lit lamp: a coloured lens with a highlight, on the key colour.
QImage lamp(Rgba colour) {
    QImage img = canvas(20, 20, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(Qt::NoPen);
    p.setBrush(qcolor(colour));
    p.drawEllipse(QRect(2, 2, 16, 16));
    p.setBrush(QColor(255, 255, 255, 255));
    p.drawEllipse(QRect(6, 5, 4, 3));
    p.end();
    img.setPixelColor(0, 19, qcolor(kKey));
    return img;
}

struct LampSpot {
    const char* key;
    const char* picture;
    const char* label;
};
const LampSpot kLamps[] = {{"Lamp_Door", "lamp_w", "戸閉"},   {"Lamp_Power", "lamp_y", "力行"},
                           {"Lamp_EB", "lamp_r", "EB"},       {"Lamp_Gen", "lamp_g", "発電"},
                           {"Lamp_Air", "lamp_y", "空気"},    {"Lamp_Ele", "lamp_g", "電制"},
                           {"Lamp_Ats", "lamp_r", "ATS"},     {"Lamp_ATSP1", "lamp_y", "P接近"},
                           {"Lamp_ATSP2", "lamp_r", "Pブレ"}, {"Lamp_Fwd", "lamp_w", "前"},
                           {"Lamp_Back", "lamp_w", "後"},     {"Lamp_Const", "lamp_g", "定速"},
                           {"Lamp_Stop", "lamp_r", "停止"}};
constexpr int kLampLeft = 170, kLampStep = 28, kLampTop = 318;  // window coordinates

// Where each dial stands on the panel (the panel's top is at 300 in the window).
const QPointF kSpeedDial{92, 132}, kBrakeDial{250, 118}, kPipeDial{382, 118}, kLineDial{482, 205};
constexpr double kSpeedR = 76, kBrakeR = 56, kPipeR = 56, kLineR = 44;

QImage panel_picture(const Train& t) {
    QImage img = canvas(540, 260, t.face);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, true);
    p.setRenderHint(QPainter::TextAntialiasing, true);
    // A darker band behind the lamps, and each lamp's unlit lens with its name under it.
    p.fillRect(QRect(kLampLeft - 8, 10, 13 * kLampStep + 10, 40), qcolor(t.face).darker(140));
    for (int i = 0; i < 13; ++i) {
        const double x = kLampLeft + i * kLampStep + 10, y = kLampTop - 300 + 10;
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(45, 45, 45));
        p.drawEllipse(QPointF(x, y), 8, 8);
        p.setPen(QColor(235, 235, 235));
        p.setFont(demo_font(9, false));
        p.drawText(QRectF(x - 14, y + 9, 28, 12), Qt::AlignCenter,
                   QString::fromUtf8(kLamps[i].label));
    }
    const Rgba black{25, 25, 25, 255}, red{200, 20, 20, 255}, green{20, 130, 60, 255};
    dial(p, kSpeedDial, kSpeedR, {{kZeroAt, 2.25, 0, 120, 5, 4, 1, black, 0.92}},
         {{QStringLiteral("速度"), black}, {QStringLiteral("km/h"), black}});
    dial(p, kBrakeDial, kBrakeR,
         {{kZeroAt, 0.27, 0, 1000, 50, 4, 100, black, 0.93},
          {kZeroAt, 0.45, 0, 600, 50, 4, 100, red, 0.6}},
         {{QStringLiteral("MR"), black}, {QStringLiteral("BC ×100kPa"), red}});
    dial(p, kPipeDial, kPipeR, {{kZeroAt, 0.45, 0, 600, 25, 4, 100, black, 0.93}},
         {{QStringLiteral("ER / BP"), black}, {QStringLiteral("SAP ×100kPa"), green}});
    dial(p, kLineDial, kLineR,
         {{kVoltsZeroAt, 0.1, 0, 1800, 100, 5, 100, black, 0.93},
          {0, 0.1, -800, 800, 100, 4, 100, red, 0.6}},
         {{QStringLiteral("電圧 V"), black}, {QStringLiteral("電流 A"), red}});
    // The notch and gear windows' names.
    p.setPen(QColor(235, 235, 235));
    p.setFont(demo_font(10, true));
    p.drawText(QRectF(186, 175, 60, 14), Qt::AlignCenter, QStringLiteral("力行"));
    p.drawText(QRectF(238, 175, 60, 14), Qt::AlignCenter, QStringLiteral("ブレーキ"));
    // The strip below shows the cab signal's speed, or the speed a zone check supervises.
    p.drawText(QRectF(186, 217, 60, 14), Qt::AlignCenter,
               t.ats == 2 ? QStringLiteral("信号") : QStringLiteral("照査"));
    if (t.diesel) p.drawText(QRectF(318, 175, 92, 14), Qt::AlignCenter, QStringLiteral("変速段"));
    p.end();
    return img;
}

std::vector<QString> power_labels(const Train& t) {
    std::vector<QString> labels{QStringLiteral("切")};
    for (int k = 1; k <= t.power; ++k)
        labels.push_back(QStringLiteral("P%1").arg(k));
    return labels;
}

// The brake strip's patterns as the panel shows them: released, hold, B1 .. the last service
// step, emergency (with no hold position its pattern is left out).
std::vector<QString> brake_labels(const Train& t) {
    std::vector<QString> labels{QStringLiteral("N")};
    if (t.hold) labels.push_back(QStringLiteral("抑速"));
    for (int k = 1; k < t.brake; ++k)
        labels.push_back(QStringLiteral("B%1").arg(k));
    labels.push_back(QStringLiteral("非常"));
    return labels;
}

// The number plate: a brass plate with the train's number, drawn opaque on the key colour.
QImage plate(const Train& t) {
    QImage img = canvas(124, 34, kKey);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setPen(QColor(60, 45, 10));
    p.setBrush(QColor(200, 170, 80));
    p.drawRect(QRect(2, 2, 119, 29));
    p.setRenderHint(QPainter::TextAntialiasing, true);
    p.setFont(demo_font(20, true));
    p.drawText(QRect(2, 2, 120, 30), Qt::AlignCenter,
               QString::fromStdString(t.file.substr(6, t.file.size() - 10)) + QStringLiteral("形"));
    p.end();
    return img;
}

void write_train(Output& out, const Train& t) {
    const std::string img = "image\\" + t.dir + "\\";
    // The panel: the gauges are part of the picture, the needles turn over them.
    out.bytes(img + "panel.bmp", bmp_bytes(panel_picture(t)));
    out.bytes(img + "dark.bmp", bmp_bytes(canvas(540, 260, Rgba{10, 10, 30, 255})));
    out.bytes(img + "lamp_w.bmp", bmp_bytes(lamp(kWhite)));
    out.bytes(img + "lamp_y.bmp", bmp_bytes(lamp(kYellow)));
    out.bytes(img + "lamp_r.bmp", bmp_bytes(lamp(kRed)));
    out.bytes(img + "lamp_g.bmp", bmp_bytes(lamp(kGreen)));
    const Rgba speed_red{230, 60, 10, 255}, dark_red{190, 15, 15, 255}, ink{20, 20, 20, 255},
        sap_green{20, 140, 60, 255};
    out.bytes(img + "needle_speed.bmp", bmp_bytes(needle(speed_red, 62, kZeroAt)));
    out.bytes(img + "needle_r.bmp", bmp_bytes(needle(dark_red, 44, kZeroAt)));
    out.bytes(img + "needle_b.bmp", bmp_bytes(needle(ink, 46, kZeroAt)));
    out.bytes(img + "needle_g.bmp", bmp_bytes(needle(sap_green, 40, kZeroAt)));
    out.bytes(img + "needle_small_b.bmp", bmp_bytes(needle(ink, 36, kVoltsZeroAt)));
    out.bytes(img + "needle_small_r.bmp", bmp_bytes(needle(dark_red, 30, 0)));
    out.bytes(img + "notch_p.bmp", bmp_bytes(strip(power_labels(t), 40, 24, kGreen)));
    out.bytes(img + "notch_b.bmp", bmp_bytes(strip(brake_labels(t), 40, 24, kRed)));
    out.bytes(img + "cabsignal.bmp",
              bmp_bytes(strip({"30", "45", "65", "75", "90", "110", "0", "25"}, 40, 24, kOrange)));
    out.bytes(img + "gear.bmp", bmp_bytes(strip({"N", "1", "2", "3", "4", "5"}, 40, 24, kYellow)));
    out.bytes(
        img + "gear_lever.bmp",
        bmp_bytes(strip({"中立", "変速", "直結1", "直結2", "直結3", "直結4"}, 48, 24, kYellow)));
    QImage stop = canvas(50, 50, kKey);
    QPainter(&stop).fillRect(QRect(5, 20, 40, 10), qcolor(kYellow));
    out.bytes(img + "stopline.bmp", bmp_bytes(stop));
    out.bytes(img + "plate.bmp", bmp_bytes(plate(t)));

    std::string s = "; " + t.description + "\n";
    s += "[Handle]\n" + n(t.handle) + "\n[BrakeType]\n" + n(t.brake_type) + "\n[Brake]\n" +
         n(t.brake) + "\n";
    s += "[Power]\n" + n(t.power) + "\n[NotchBack]\n" + n(t.diesel ? 0 : 2) + "\n[Hold]\n" +
         n(t.hold) + "\n";
    s += "[Const]\n" + n(t.constant) + "\n[Back]\n1\n[BrakeRate]\n" + t.brake_rate + "\n" +
         t.brake_rate + "\n";
    s += "[BrakeRate2]\n0.0125\n[PowerDelay]\n3\n[BrakeDelay]\n3\n[SAPDelay]\n2\n[BrakeUp]\n300\n["
         "BrakeDown]\n400\n";
    s += "[EBPress]\n440\n[SAPPress]\n390\n[HighAirPress]\n880\n[LowAirPress]\n780\n";
    s += "[Engine_Type]\n" + n(t.diesel ? 0 : 1) + "\n[Mt]\n120.0\n[Tt]\n60\n[Cars]\n" +
         n(t.diesel ? 2 : 6) + "\n";
    s += "[StopLine]\n" + img + "stopline.bmp\n[Tons]\n" + t.tons + "\n[EB]\n" + n(t.vigilance) +
         "\n";
    s += "[MaxSpeed]\n110\n[Lose_elec]\n8\n[ELBR]\n60\n[Mc]\n" + n(t.mc) + "\n";
    s += "[ATS_Type]\n" + n(t.ats) + "\n[ATS_Alert]\n" + n(t.alert) +
         "\n[ATS_Time]\n5\n[ATS_Cnt]\n0\n";
    // Running sounds 0..12 are the speed bands; the rest have fixed numbers below.
    s += "[Sound_br1]\n13\n[Sound_br2]\n14\n[Sound_br3]\n15\n[Sound_EB]\n16\n[Sound_Ats1]\n17\n["
         "Sound_Ats2]\n18\n";
    s += "[Sound_Atc]\n19\n[Sound_Horn]\n20\n[Sound_Horn2]\n21\n[Sound_Horn3]\n21\n[Sound_DoorOpen]"
         "\n22\n";
    s += "[Sound_DoorClose]\n23\n[Sound_EBring]\n24\n[Sound_squeak]\n25\n[CP_Start]\n26\n[CP_Cnt]"
         "\n27\n[CP_End]\n33\n";
    s += "[Stop]\n34\n[Buzzer]\n35\n35\n[DepSign]\n36\n[ATS_Warn]\n37\n";
    s += "[SwitchSound]\n38,40,1\n39,200,1\n38,30,2\n39,200,2\n#\n";
    if (t.diesel) {
        s += "[EngineRate]\n600,0\n700,40\n800,22\n900,14\n1000,10\n#\n";
        s += std::string("[Gear_Type]\n") + (t.manual_gears ? "MT" : "AT") + "\n";
        s += "[Engine]\n0\n5\n10\n0\n0\n0\n0\n20\n40\n2.2\n1.8\n1.2\n30\n45\n60\n1.4\n1.2\n0."
             "9\n50\n70\n85\n1.0\n0.8\n0.6\n"
             "75\n95\n115\n0.7\n0.5\n0.3\n#\n";
        s += "[PowerMode]\nN,\n#\n";
        // Two engine sounds across the engine's whole speed: a rumble low down, a roar higher
        // up, crossing over between 900 and 1100 rpm.
        s += "[EngineSound1]\nsound\\" + t.dir + "\\engine.wav\n-1\n450\n1100\n0.8\n1.6\n80\n40\n";
        s += "sound\\" + t.dir + "\\engine_high.wav\n-1\n900\n1900\n0.8\n1.5\n35\n100\n#\n";
        s += "[EngineSound2]\n0\n40\n41\n";
    } else {
        s += "[Notch]\n";
        for (int k = 1; k <= t.power; ++k) {
            const int mode = t.power >= 5 && k > 3 ? 1 : 0;
            s +=
                "3.0\n2.6\n" + n(30 + 5 * k) + "\n" + n(50 + 12 * k) + "\n0.985\n" + n(mode) + "\n";
        }
        s += "#\n[PowerMode]\n" + std::string(t.power >= 5 ? "P,直列\nS,並列\n" : "P,\n") + "#\n";
        // The motor under power: its sound rising with the speed, then the high-speed sound;
        // under the brake the regenerating motor, where the train has one.
        s += "[EngineSound1]\nsound\\" + t.dir + "\\motor.wav\n0\n0\n55\n0.5\n1.7\n45\n100\n";
        s += "sound\\" + t.dir + "\\motor_high.wav\n0\n45\n120\n0.9\n1.5\n40\n80\n";
        if (t.regenerates) s += "sound\\" + t.dir + "\\motor.wav\n1\n5\n110\n0.6\n2.0\n30\n70\n";
        s += "#\n";
    }
    s += "[DriveSound]\n";
    for (int band = 0; band <= 12; ++band)
        s += "sound\\run" + n(band) + ".wav\n";
    const char* const kEquipment[] = {
        "br1",         "br2",          "br3",    "eb",       "ats1",      "ats2",
        "atc",         "horn",         "horn2",  "dooropen", "doorclose", "ebring",
        "squeak",      "cpstart",      "cpcnt",  "bell28",   "bell29",    "bell30",
        "stationopen", "stationclose", "cpend",  "stopbell", "buzzer",    "depsign",
        "atswarn",     "point1",       "point2", "idle",     "idleopen"};
    for (const char* name : kEquipment)
        s += "sound\\" + std::string(name) + ".wav\n";
    s += "#\n";
    s += "[Clock]\n0\n0\n20\n";
    s += "[Panel]\n" + img + "panel.bmp\n0\n300\n[Panel2]\n" + img + "dark.bmp\n0\n300\n";
    for (int i = 0; i < 13; ++i)
        s += "[" + std::string(kLamps[i].key) + "]\n" + img + kLamps[i].picture + ".bmp\n" +
             n(kLampLeft + i * kLampStep) + "\n" + n(kLampTop) + "\n";
    // Each needle's picture centred on its dial: x and y are its top-left corner. The pictures
    // point at their zeros, so every base angle is 0.
    auto needle_key = [&](const char* key, const char* picture, QPointF c, int length,
                          const char* scale) {
        s += "[" + std::string(key) + "]\n" + img + picture + ".bmp\n" +
             n(static_cast<int>(c.x()) - length - 1) + "\n" +
             n(300 + static_cast<int>(c.y()) - length - 1) + "\n0\n0\n0\n" + scale + "\n";
    };
    needle_key("Needle_Speed", "needle_speed", kSpeedDial, 62, "2.25");
    needle_key("Needle_BC", "needle_r", kBrakeDial, 44, "0.45");
    needle_key("Needle_MR", "needle_b", kBrakeDial, 46, "0.27");
    needle_key("Needle_ER", "needle_b", kPipeDial, 46, "0.45");
    needle_key("Needle_BP", "needle_r", kPipeDial, 44, "0.45");
    needle_key("Needle_SAP", "needle_g", kPipeDial, 40, "0.45");
    needle_key("Needle_V", "needle_small_b", kLineDial, 36, "0.1");
    needle_key("Needle_I", "needle_small_r", kLineDial, 30, "0.1");
    s += "0\n";  // the ammeter shows the current with its sign
    s += "[Lamp_signal]\n196\n532\n40\n24\n" + img +
         "cabsignal.bmp\n30\n45\n65\n75\n90\n110\n0\n25\n#\n";
    s += "[NotchImageP]\n196\n490\n40\n24\n" + img + "notch_p.bmp\n";
    s += "[NotchImageB]\n248\n490\n40\n24\n" + img + "notch_b.bmp\n";
    if (t.diesel) {
        s += "[GearImageList]\n318\n490\n40\n24\n" + img + "gear.bmp\n";
        s += "[GearImageList2]\n362\n490\n48\n24\n" + img + "gear_lever.bmp\n";
    }
    s += "[Others]\n" + img + "plate.bmp\n10\n522\n#\n";
    out.text(t.file, s);

    // The train's own sounds, each its own: a VVVF inverter's whine, a resistor-controlled
    // motor's hum, a diesel's rumble and roar. All of them loop.
    const std::string dir = "sound\\" + t.dir + "\\";
    auto save = [&out](const std::string& name, const Sound& sound) {
        out.bytes(name, wav_bytes(loopable(sound, 0.25)));
    };
    const std::uint32_t seed = static_cast<std::uint32_t>(t.motor_hz * 10);
    if (t.diesel) {
        save(dir + "engine.wav", mix(hum(2.25, t.motor_hz, {1, 0.8, 0.6, 0.4, 0.2}, 0.3, 3, 0.02),
                                     noise(2.25, 0.15, seed, 0.85)));
        save(dir + "engine_high.wav",
             mix(hum(2.25, t.motor_hz * 1.6, {1, 0.6, 0.5, 0.3}, 0.28, 5, 0.015),
                 noise(2.25, 0.22, seed + 1, 0.7)));
    } else if (t.regenerates) {
        save(dir + "motor.wav", mix(hum(2.25, t.motor_hz, {1, 0.3, 0.45}, 0.22, 7, 0.012),
                                    noise(2.25, 0.03, seed, 0.6)));
        save(dir + "motor_high.wav",
             mix(hum(2.25, t.motor_hz * 1.8, {1, 0.15, 0.2}, 0.16, 11, 0.006),
                 noise(2.25, 0.05, seed + 1, 0.5)));
    } else {
        save(dir + "motor.wav",
             mix(hum(2.25, t.motor_hz, {1, 0.6, 0.4, 0.3}, 0.25), noise(2.25, 0.1, seed, 0.9)));
        save(dir + "motor_high.wav", mix(hum(2.25, t.motor_hz * 1.3, {1, 0.5, 0.3}, 0.2),
                                         noise(2.25, 0.14, seed + 1, 0.85)));
    }
}

}  // namespace

void write_trains(Output& out) {
    std::vector<Train> trains(5);
    trains[0] = {"train_70100.dat", "t70100",
                 "one handle, hold and constant speed, straight air brake, cab signalling"};
    trains[0].ats = 2;
    trains[1] = {
        "train_7200.dat", "t7200",
        "two handles, electric-command brake with blending, warning ATS supervising speed"};
    trains[1].handle = 1, trains[1].brake_type = 2, trains[1].brake = 8, trains[1].power = 4,
    trains[1].hold = 0;
    trains[1].constant = 0, trains[1].ats = 0, trains[1].alert = 1, trains[1].vigilance = 0,
    trains[1].face = {70, 90, 70, 255};
    trains[2] = {"train_7300.dat", "t7300", "automatic air brake, warning ATS at stop signals"};
    trains[2].brake_type = 0, trains[2].brake = 4, trains[2].power = 4, trains[2].hold = 0,
    trains[2].constant = 0;
    trains[2].ats = 0, trains[2].alert = 0, trains[2].mc = 0, trains[2].face = {120, 90, 70, 255};
    trains[3] = {"train_7400.dat", "t7400", "diesel with a manual gearbox, pattern ATS"};
    trains[3].diesel = true, trains[3].manual_gears = true, trains[3].handle = 1,
    trains[3].hold = 0, trains[3].power = 5;
    trains[3].constant = 0, trains[3].mc = 0, trains[3].tons = "80.0",
    trains[3].face = {60, 60, 90, 255};
    trains[4] = {"train_7500.dat", "t7500", "diesel with an automatic gearbox, pattern ATS"};
    trains[4].diesel = true, trains[4].brake_type = 2, trains[4].brake = 8, trains[4].power = 5,
    trains[4].constant = 0;
    trains[4].mc = 0, trains[4].tons = "90.0", trains[4].face = {100, 100, 60, 255};
    trains[1].motor_hz = 520;
    trains[2].regenerates = false, trains[2].motor_hz = 120;
    trains[3].regenerates = false, trains[3].motor_hz = 42;
    trains[4].regenerates = false, trains[4].motor_hz = 58;
    for (const Train& t : trains)
        write_train(out, t);

    // Sounds every train shares.
    for (int band = 0; band <= 12; ++band)
        out.bytes(
            "sound\\run" + std::to_string(band) + ".wav",
            wav_bytes(loopable(mix(noise(2.25, 0.2 + 0.02 * band, 11u + static_cast<unsigned>(band),
                                         0.9 - 0.04 * band),
                                   hum(2.25, 40 + 8 * band, {1, 0.3}, 0.1)),
                               0.25)));
    auto save = [&out](const char* name, const Sound& s) {
        out.bytes("sound\\" + std::string(name) + ".wav", wav_bytes(s));
    };
    save("br1", noise(1.2, 0.5, 21, 0.3));
    save("br2", noise(0.6, 0.4, 22, 0.3));
    save("br3", noise(1.6, 0.6, 23, 0.2));
    save("eb", noise(2.0, 0.7, 24, 0.1));
    save("ats1", tone(1.0, 1200, 0.4, 0.5));
    save("ats2", chime(1.0, {880, 660}, 0.4));
    save("atc", chime(0.5, {1320}, 0.4));
    save("horn", tone(1.2, 370, 0.6, 0.6));
    save("horn2", tone(1.2, 440, 0.6, 0.6));
    save("dooropen", noise(2.0, 0.4, 25, 0.7));
    save("doorclose", mix(noise(2.5, 0.4, 26, 0.7), chime(2.5, {660, 550, 660, 550}, 0.2)));
    save("ebring", tone(1.0, 1000, 0.4));
    save("squeak", tone(1.5, 2400, 0.2, 0.3));
    save("cpstart", noise(0.8, 0.4, 27, 0.6));
    save("cpcnt", loopable(mix(hum(1.25, 60, {1, 0.5}, 0.3), noise(1.25, 0.2, 28, 0.6)), 0.25));
    save("cpend", noise(0.8, 0.3, 29, 0.6));
    save("bell28", chime(0.4, {1568}, 0.4));
    save("bell29", chime(0.4, {1318}, 0.4));
    save("bell30", chime(0.4, {1174}, 0.4));
    save("stationopen", noise(1.8, 0.4, 30, 0.7));
    save("stationclose", noise(2.2, 0.4, 31, 0.7));
    save("stopbell", chime(1.0, {1046, 1046}, 0.4));
    save("buzzer", tone(0.8, 300, 0.4, 0.8));
    save("depsign", chime(0.6, {784, 988}, 0.4));
    save("atswarn", tone(1.0, 900, 0.3, 0.5));
    save("point1", noise(0.4, 0.6, 32, 0.1));
    save("point2", noise(0.5, 0.6, 33, 0.2));
    save("idle", loopable(mix(hum(2.25, 45, {1, 0.5, 0.3}, 0.3), noise(2.25, 0.1, 34, 0.8)), 0.25));
    save("idleopen",
         loopable(mix(hum(2.25, 40, {1, 0.5, 0.3}, 0.3), noise(2.25, 0.1, 35, 0.8)), 0.25));
}

}  // namespace ostrel::demo
