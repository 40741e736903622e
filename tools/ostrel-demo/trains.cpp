// The five trains: where the simulation differs, they differ.

#include <cmath>
#include <string>
#include <vector>

#include "core/encode/encoders.h"
#include "demo.h"
#include "media.h"

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
};

const Rgba kBlack{0, 0, 0, 255}, kWhite{255, 255, 255, 255}, kKey{255, 0, 255, 255};
const Rgba kYellow{250, 210, 40, 255}, kRed{220, 30, 30, 255}, kGreen{40, 200, 90, 255},
    kOrange{255, 140, 0, 255};

std::string n(int v) {
    return std::to_string(v);
}

// A gauge face with its scale marks, drawn into the panel, and the needle image.
void gauge(Canvas& panel, int cx, int cy, int r, int marks) {
    panel.circle(cx, cy, r, kWhite);
    panel.circle(cx, cy, r, kBlack, false);
    for (int i = 0; i <= marks; ++i) {
        const double a = (-135.0 + 270.0 * i / marks) * 3.14159265 / 180;
        panel.line(cx + static_cast<int>(std::sin(a) * (r - 8)),
                   cy - static_cast<int>(std::cos(a) * (r - 8)),
                   cx + static_cast<int>(std::sin(a) * (r - 2)),
                   cy - static_cast<int>(std::cos(a) * (r - 2)), kBlack, 2);
    }
}

std::string strip(int patterns, int w, int h, Rgba on) {
    Canvas c(w * patterns, h, kKey);
    for (int p = 0; p < patterns; ++p) {
        c.rect(p * w + 2, 2, w - 4, h - 4, kBlack);
        c.digits(p * w + w / 2 - 4, 4, std::to_string(p % 10), 7, on);
    }
    c.rect(0, h - 1, 1, 1, kKey);
    return encode_bmp24(c.image);
}

std::string lamp(Rgba colour) {
    Canvas c(20, 20, kKey);
    c.circle(10, 9, 8, colour);
    return encode_bmp24(c.image);
}

std::string needle(Rgba colour) {
    Canvas c(10, 90, kKey);
    c.rect(4, 5, 3, 45, colour);
    return encode_bmp24(c.image);
}

void write_train(Output& out, const Train& t) {
    const std::string img = "image\\" + t.dir + "\\";
    // The panel: the gauges are part of the picture, the needles turn over them.
    Canvas panel(540, 260, t.face);
    gauge(panel, 90, 130, 70, 12);   // speed: 0..120 km/h over 270 degrees
    gauge(panel, 250, 110, 50, 10);  // brake cylinder and main reservoir
    gauge(panel, 380, 110, 50, 10);  // equalising reservoir and straight-air pipe
    gauge(panel, 480, 200, 40, 8);   // ammeter
    out.bytes(img + "panel.bmp", encode_bmp24(panel.image));
    Canvas dark(540, 260, Rgba{10, 10, 30, 255});
    out.bytes(img + "dark.bmp", encode_bmp24(dark.image));
    out.bytes(img + "lamp_w.bmp", lamp(kWhite));
    out.bytes(img + "lamp_y.bmp", lamp(kYellow));
    out.bytes(img + "lamp_r.bmp", lamp(kRed));
    out.bytes(img + "lamp_g.bmp", lamp(kGreen));
    out.bytes(img + "needle_w.bmp", needle(kWhite));
    out.bytes(img + "needle_r.bmp", needle(kRed));
    out.bytes(img + "needle_b.bmp", needle(kBlack));
    out.bytes(img + "notch_p.bmp", strip(t.power + 1, 24, 24, kGreen));
    out.bytes(img + "notch_b.bmp", strip(t.brake + 2, 24, 24, kRed));
    out.bytes(img + "cabsignal.bmp", strip(8, 30, 24, kOrange));
    out.bytes(img + "gear.bmp", strip(6, 24, 24, kYellow));
    Canvas stop(50, 50, kKey);
    stop.rect(5, 20, 40, 10, kYellow);
    out.bytes(img + "stopline.bmp", encode_bmp24(stop.image));
    Canvas plate(120, 30, Rgba{200, 200, 200, 255});
    plate.digits(10, 5, t.file.substr(6, t.file.size() - 10), 8, kBlack);
    out.bytes(img + "plate.jpg", encode_jpeg(plate.image));

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
        s += "[EngineSound1]\nsound\\" + t.dir +
             "\\engine.wav\n-1\n550\n1700\n0.6\n1.8\n60\n100\n#\n";
        s += "[EngineSound2]\n0\n40\n41\n";
    } else {
        s += "[Notch]\n";
        for (int k = 1; k <= t.power; ++k) {
            const int mode = t.power >= 5 && k > 3 ? 1 : 0;
            s +=
                "3.0\n2.6\n" + n(30 + 5 * k) + "\n" + n(50 + 12 * k) + "\n0.985\n" + n(mode) + "\n";
        }
        s += "#\n[PowerMode]\n" + std::string(t.power >= 5 ? "P,直列\nS,並列\n" : "P,\n") + "#\n";
        s += "[EngineSound1]\nsound\\" + t.dir + "\\motor.wav\n0\n0\n110\n0.5\n2.2\n40\n100\n#\n";
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
    const std::pair<const char*, const char*> kLamps[] = {
        {"Lamp_Door", "lamp_w"}, {"Lamp_Power", "lamp_y"}, {"Lamp_EB", "lamp_r"},
        {"Lamp_Gen", "lamp_g"},  {"Lamp_Air", "lamp_y"},   {"Lamp_Ele", "lamp_g"},
        {"Lamp_Ats", "lamp_r"},  {"Lamp_ATSP1", "lamp_y"}, {"Lamp_ATSP2", "lamp_r"},
        {"Lamp_Fwd", "lamp_w"},  {"Lamp_Back", "lamp_w"},  {"Lamp_Const", "lamp_g"},
        {"Lamp_Stop", "lamp_r"}};
    int x = 170;
    for (const auto& [key, picture] : kLamps) {
        s += "[" + std::string(key) + "]\n" + img + picture + ".bmp\n" + n(x) + "\n320\n";
        x += 26;
    }
    s += "[Needle_Speed]\n" + img + "needle_w.bmp\n85\n385\n0\n0\n-135\n2.25\n";
    s += "[Needle_BC]\n" + img + "needle_r.bmp\n245\n365\n0\n0\n-135\n0.45\n";
    s += "[Needle_MR]\n" + img + "needle_b.bmp\n245\n365\n0\n0\n-135\n0.27\n";
    s += "[Needle_ER]\n" + img + "needle_b.bmp\n375\n365\n0\n0\n-135\n0.45\n";
    s += "[Needle_BP]\n" + img + "needle_r.bmp\n375\n365\n0\n0\n-135\n0.45\n";
    s += "[Needle_SAP]\n" + img + "needle_w.bmp\n375\n365\n0\n0\n-135\n0.45\n";
    s += "[Needle_V]\n" + img + "needle_b.bmp\n475\n455\n0\n0\n-90\n0.1\n";
    s += "[Needle_I]\n" + img + "needle_r.bmp\n475\n455\n0\n0\n0\n0.1\n0\n";
    s += "[Lamp_signal]\n200\n500\n30\n24\n" + img +
         "cabsignal.bmp\n30\n45\n65\n75\n90\n110\n0\n25\n#\n";
    s += "[NotchImageP]\n200\n460\n24\n24\n" + img + "notch_p.bmp\n";
    s += "[NotchImageB]\n260\n460\n24\n24\n" + img + "notch_b.bmp\n";
    if (t.diesel) {
        s += "[GearImageList]\n320\n460\n24\n24\n" + img + "gear.bmp\n";
        s += "[GearImageList2]\n350\n460\n24\n24\n" + img + "gear.bmp\n";
    }
    s += "[Others]\n" + img + "plate.jpg\n10\n520\n#\n";
    out.text(t.file, s);

    // The train's own sounds: a motor whine or an engine drone.
    Sound own = t.diesel ? mix(tone(2.0, 55, 0.4, 0.5), noise(2.0, 0.15, 7, 0.8))
                         : tone(2.0, 180, 0.25, 0.4);
    out.bytes("sound\\" + t.dir + "\\" + (t.diesel ? "engine.wav" : "motor.wav"), wav_bytes(own));
}

}  // namespace

void write_trains(Output& out) {
    std::vector<Train> trains(5);
    trains[0] = {"train_70100.dat", "t70100",
                 "one handle, hold and constant speed, straight air brake, pattern ATS"};
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
    trains[3] = {"train_7400.dat", "t7400", "diesel with a manual gearbox, cab-signal ATS type"};
    trains[3].diesel = true, trains[3].manual_gears = true, trains[3].handle = 1,
    trains[3].hold = 0, trains[3].power = 5;
    trains[3].constant = 0, trains[3].ats = 2, trains[3].mc = 0, trains[3].tons = "80.0",
    trains[3].face = {60, 60, 90, 255};
    trains[4] = {"train_7500.dat", "t7500", "diesel with an automatic gearbox, pattern ATS"};
    trains[4].diesel = true, trains[4].brake_type = 2, trains[4].brake = 8, trains[4].power = 5,
    trains[4].constant = 0;
    trains[4].mc = 0, trains[4].tons = "90.0", trains[4].face = {100, 100, 60, 255};
    for (const Train& t : trains)
        write_train(out, t);

    // Sounds every train shares.
    for (int band = 0; band <= 12; ++band)
        out.bytes("sound\\run" + std::to_string(band) + ".wav",
                  wav_bytes(mix(noise(2.0, 0.2 + 0.02 * band, 11u + static_cast<unsigned>(band),
                                      0.9 - 0.04 * band),
                                tone(2.0, 40 + 8 * band, 0.1))));
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
    save("cpcnt", mix(tone(1.0, 60, 0.3, 0.5), noise(1.0, 0.2, 28, 0.6)));
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
    save("idle", mix(tone(2.0, 45, 0.3, 0.5), noise(2.0, 0.1, 34, 0.8)));
    save("idleopen", mix(tone(2.0, 40, 0.3, 0.5), noise(2.0, 0.1, 35, 0.8)));
}

}  // namespace ostrel::demo
