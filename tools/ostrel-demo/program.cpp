// The files beside the program: the string file, the controller commands, the help text, the
// readme and the pictures and sounds of the title window.

#include <QPainter>
#include <fstream>
#include <stdexcept>
#include <string>

#include "core/encode/encoders.h"
#include "core/text.h"
#include "demo.h"
#include "media.h"
#include "paint.h"

namespace ostrel::demo {

namespace fs = std::filesystem;

void Output::text(const std::string& name, const std::string& utf8_with_lf) {
    bytes(name, to_windows_text(utf8_with_lf));
}

void Output::bytes(const std::string& name, const std::string& data) {
    std::string path = name;
    for (char& c : path)
        if (c == '\\') c = '/';
    const fs::path file = dir_ / path;
    fs::create_directories(file.parent_path());
    std::ofstream f(file, std::ios::binary | std::ios::trunc);
    f.write(data.data(), static_cast<std::streamsize>(data.size()));
    if (!f) throw std::runtime_error("cannot write " + file.string());
}

// The demo's manual page, Japanese first, English after.
const char* const kReadme = R"(<!DOCTYPE html>
<html lang="ja">
<head><meta charset="Shift_JIS"><title>オストレル本線 / The Ostrel main line</title></head>
<body>
<h1>オストレル本線</h1>
<p>Ostrel は、前面展望の映像に合わせて列車を運転するシミュレータです。このデモ路線は、港町から終点山まで
二十駅のオストレル本線を、三つの列車（特急・急行・準急）と五両の車両で運転できます。</p>
<h2>はじめかた</h2>
<ol>
<li>タイトル画面をクリックして進み、路線のボタンから列車を選びます。</li>
<li>車両を選ぶと運転台が開きます。メニューの「Start」か映像のクリックで運転を始めます。</li>
<li>レバーサを前進（F）にし、ブレーキをゆるめて（5 または 8）、力行ノッチを入れます。</li>
<li>停車駅では停止位置に合わせて止まり、発車メロディのあとに発車します。</li>
</ol>
<h2>列車</h2>
<ul>
<li>特急：主な駅だけに停まります。南台は運転停車です。特急の線路は車内信号区間で、信号は車内信号式の車両（70100形）にだけ表示されます。</li>
<li>急行：一駅おきに停まり、青葉で乗務員が交代します。</li>
<li>準急：各駅に停まるワンマン列車です。ドア（D）と車内放送（C）を運転士が扱います。</li>
</ul>
<h2>車両</h2>
<ul>
<li>70100形：ワンハンドル、抑速と定速、直通ブレーキ、車内信号式 ATS（信号が表示されるのは特急の車内信号区間だけです）。</li>
<li>7200形：ツーハンドル、電気指令式ブレーキ、速度照査つき警報式 ATS。</li>
<li>7300形：自動空気ブレーキ、停止信号で鳴る警報式 ATS。</li>
<li>7400形：手動変速の気動車、パターン式 ATS。</li>
<li>7500形：自動変速の気動車、パターン式 ATS。</li>
</ul>
<p>キー操作の一覧は、運転画面の「Display」メニューの「操作説明」で見られます。</p>
<hr>
<h1 lang="en">The Ostrel main line</h1>
<p lang="en">Ostrel is a train driving simulator: a real-looking route video follows the train
while you drive it from the cab. This demo line runs twenty stations from 港町 (Minatomachi) to
終点山 (Shutenyama) as a limited express, an express and a one-man semi-express, with five
trains.</p>
<h2 lang="en">Getting started</h2>
<ol lang="en">
<li>Click through the title screen, then pick a service and a train.</li>
<li>"Start" (or a click on the video) starts the drive.</li>
<li>Put the reverser forward (F), release the brake (5 or 8) and notch up (Z or 8).</li>
<li>Stop at the stop marks of the stations; leave after the departure melody.</li>
</ol>
<h2 lang="en">Services</h2>
<ul lang="en">
<li>特急 (limited express): the main stations only, a stop without passengers at 南台. Its
line is cab-signalled: the signals beside the cab view show only for the cab-signal train
70100.</li>
<li>急行 (express): every other station; the crew changes at 青葉.</li>
<li>準急 (semi-express): every station, one-man: you work the doors (D) and the announcements
(C).</li>
</ul>
<h2 lang="en">Trains</h2>
<ul lang="en">
<li>70100: one handle, hold and constant speed, straight air brake, cab signalling (it shows
signals on the limited express's cab-signalled line only).</li>
<li>7200: two handles, electric-command brake, warning ATS supervising the speed.</li>
<li>7300: automatic air brake, warning ATS at stop signals.</li>
<li>7400: diesel with a manual gearbox, pattern ATS.</li>
<li>7500: diesel with an automatic gearbox, pattern ATS.</li>
</ul>
<p lang="en">Every key is listed under "Display" &gt; "操作説明" in the driving window.</p>
</body>
</html>
)";

void write_program_files(Output& out) {
    out.text(
        "ostrel.dat",
        "[Path] the route videos\nmovie\\\n[Forward]\n前\n[Neutral]\n切\n[Reverse]\n後\n[Stop]\n "
        "停車\n[Pass]\n 通過\n"
        "[Stop2]\n "
        "運転停車\n[Neut]\nブレーキ解除\n[Neut2]\n切\n[Apply]\n込め\n[Hold]\n保ち\n[Maintain]"
        "\n重なり\n"
        "[Hold2]\n抑速\n[EB]\n非常\n");
    std::string mascon;
    for (const char* c : {"P1000", "P2000", "P3000", "P4000", "P5000", "P6000", "N0000", "B1000",
                          "B2000", "B3000", "B4000", "B5000", "B6000", "B7000", "B8000", "EB000",
                          "RF000", "RN000", "RR000", "K1000", "K3000", "K7000"})
        mascon += std::string(c) + "\n";
    out.text("mascon.dat", mascon + "# the commands a serial master controller sends\n");
    out.text("operation.dat",
             "操作説明\n"
             "【ハンドル】\n"
             "Z / A : ノッチを進める / 戻す（ワンハンドル車は力行とブレーキを通して）\n"
             "8 / 2 : 力行側 / ブレーキ側へ一段\n"
             "5 : ニュートラル（力行もブレーキも切）\n"
             "0 : 非常ブレーキ　　Q : 非常ブレーキ（ワンハンドル車）\n"
             ", / . / / : ブレーキをゆるめる / 込める / 非常（ツーハンドル車）\n"
             "マウスホイール : 手前へ回すと力行側、奥へ回すとブレーキ側\n"
             "F / N / B : レバーサ 前進 / 切 / 後進（停車中）\n"
             "9 または W : 力行モードの切替（ノッチが切のとき）\n"
             "T : 定速運転（最大ノッチで 15km/h 以上のとき）\n"
             "S / X : 変速段を上げる / 下げる（手動変速の気動車）\n"
             "【機器】\n"
             "3 / 6 : 警笛 1 / 警笛 2\n"
             "1 : 車掌ブザー（ワンマン列車では次の車内放送）\n"
             "C / - : 次の車内放送 / 一つ戻す（ワンマン列車）\n"
             "D または 7 : ドアの開閉（ワンマン列車）\n"
             "Space : ATS の確認（警報を止める）\n"
             "R : ATS の復帰（非常ブレーキで停車中）\n"
             "Enter : 喚呼（信号・踏切・標識）　Shift+Enter : 照査の喚呼\n"
             "【表示】\n"
             "F1 : 時刻表を出す / しまう　F2 / F3 : 時刻表の上半分 / 下半分\n"
             "F5 : 数値表示　F11 : 全画面表示\n"
             "Backspace : 車止めの手前で停車中に、終点の先へ進む\n"
             "Scroll Lock : 8 と 2 の働きを入れ替える\n");
    out.text("readme.html", kReadme);

    // The title menu's buttons: one per service, and one per train.
    struct ServiceButton {
        const char* kind;
        const char* route;
        QColor colour;
    };
    const ServiceButton kServices[] = {{"特急", "港町 → 終点山　全線", QColor(200, 40, 40)},
                                       {"急行", "港町 → 青葉　前半", QColor(220, 120, 20)},
                                       {"急行", "青葉 → 終点山　後半", QColor(220, 120, 20)},
                                       {"準急", "港町 → 高原　ワンマン", QColor(30, 120, 190)},
                                       {"準急", "高原 → 終点山　ワンマン", QColor(30, 120, 190)}};
    for (int k = 0; k < 5; ++k) {
        QImage b = canvas(300, 40, Rgba{16, 24, 40, 255});
        QPainter p(&b);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        p.setPen(QPen(QColor(230, 230, 240), 1.5));
        p.setBrush(QColor(40, 52, 76));
        p.drawRoundedRect(QRectF(1, 1, 298, 38), 6, 6);
        p.setPen(Qt::NoPen);
        p.setBrush(kServices[k].colour);
        p.drawRoundedRect(QRectF(4, 4, 64, 32), 4, 4);
        p.setPen(Qt::white);
        p.setFont(demo_font(20, true));
        p.drawText(QRect(4, 4, 64, 32), Qt::AlignCenter, QString::fromUtf8(kServices[k].kind));
        p.setFont(demo_font(15, false));
        p.drawText(QRect(78, 4, 216, 32), Qt::AlignVCenter | Qt::AlignLeft,
                   QString::fromUtf8(kServices[k].route));
        p.end();
        out.bytes("image\\title\\line" + std::to_string(k + 1) + ".bmp", bmp_bytes(b));
    }
    const std::pair<const char*, QColor> kTrains[] = {{"70100", QColor(200, 200, 210)},
                                                      {"7200", QColor(120, 170, 120)},
                                                      {"7300", QColor(190, 150, 110)},
                                                      {"7400", QColor(120, 120, 170)},
                                                      {"7500", QColor(190, 190, 110)}};
    for (const auto& [number, colour] : kTrains) {
        QImage b = canvas(100, 60, Rgba{16, 24, 40, 255});
        QPainter p(&b);
        p.setRenderHint(QPainter::Antialiasing, true);
        p.setRenderHint(QPainter::TextAntialiasing, true);
        // The train's face: body, windscreen, lamps.
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawRoundedRect(QRectF(22, 3, 56, 38), 8, 8);
        p.setBrush(QColor(40, 50, 66));
        p.drawRect(QRectF(28, 9, 44, 14));
        p.setBrush(QColor(255, 240, 200));
        p.drawEllipse(QPointF(31, 33), 3, 3);
        p.drawEllipse(QPointF(69, 33), 3, 3);
        p.setPen(Qt::white);
        p.setFont(demo_font(14, true));
        p.drawText(QRect(0, 42, 100, 18), Qt::AlignCenter,
                   QString::fromUtf8(number) + QStringLiteral("形"));
        p.end();
        out.bytes("image\\title\\train" + std::string(number) + ".bmp", bmp_bytes(b));
    }
    out.bytes("sound\\41307.wav", wav_bytes(chime(4.0, {392, 523, 659, 784, 659, 784}, 0.3)));
    out.bytes("sound\\start.wav", wav_bytes(chime(1.5, {523, 784}, 0.3)));
}

void write_demo(const fs::path& dir,
                const std::function<void(int percent, const std::string&)>& progress) {
    Output out(dir);
    progress(0, "program files and title pictures");
    write_program_files(out);
    progress(10, "trains, panels and their sounds");
    write_trains(out);
    progress(20, "the route: three line files, signs, signals and line sounds");
    write_line_files(out);
    progress(22, "the title window's scenes of the route");
    write_title_scenes(out);
    progress(25, "the route video, drawn from the line files' places");
    write_route_videos(out, progress);
    progress(100, "done");
}

}  // namespace ostrel::demo
