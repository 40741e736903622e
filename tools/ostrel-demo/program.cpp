// The files beside the program: the string file, the controller commands, the help text, the
// readme and the pictures and sounds of the title window.

#include <fstream>
#include <stdexcept>
#include <string>

#include "core/encode/encoders.h"
#include "core/text.h"
#include "demo.h"
#include "media.h"

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
             "操作説明\nZ / A : ノッチを進める / 戻す\n8 / 2 : 力行側 / ブレーキ側\n5 : "
             "ニュートラル\n0 : 非常ブレーキ\n"
             "F / N / B : 前進 / 切 / 後進\nD : ドア（ワンマン）\nSpace : ATS確認\nR : "
             "ATS復帰\nEnter : 喚呼\n");
    out.bytes(
        "readme.html",
        "<!DOCTYPE html>\n<html lang=\"en\"><meta charset=\"utf-8\"><title>Ostrel demo "
        "line</title>\n"
        "<h1>Ostrel demo line</h1>\n<p>Twenty stations served as a limited express, an express "
        "with a crew change at "
        "station 12 and a one-man semi-express split at station 16; five trains.</p>\n</html>\n");

    // Title window: a slide show, the title pictures, the menu, the line and train buttons.
    const Rgba sky{90, 150, 210, 255}, ground{70, 110, 60, 255}, rail{40, 40, 40, 255};
    for (int k = 1; k <= 23; ++k) {
        Canvas c(800, 600, sky);
        c.rect(0, 380, 800, 220, ground);
        c.rect(0, 470 + (k % 5) * 6, 800, 8, rail);
        c.rect(100 + k * 20, 330, 300, 120,
               Rgba{static_cast<std::uint8_t>(150 + k * 4), 60, 60, 255});
        char name[32];
        std::snprintf(name, sizeof name, "image\\title\\%02d.jpg", k);
        out.bytes(name, encode_jpeg(c.image, 80));
    }
    for (int k = 1; k <= 6; ++k) {
        Canvas c(800, 600, Rgba{20, 30, static_cast<std::uint8_t>(60 + k * 20), 255});
        c.digits(300, 250, "0" + std::to_string(k), 30, Rgba{255, 255, 255, 255});
        char name[40];
        std::snprintf(name, sizeof name, "image\\title\\title%02d.jpg", k);
        out.bytes(name, encode_jpeg(c.image, 80));
    }
    Canvas menu(800, 600, Rgba{30, 30, 40, 255});
    out.bytes("image\\title\\title2.jpg", encode_jpeg(menu.image, 80));
    for (int k = 1; k <= 5; ++k) {
        Canvas b(300, 40, Rgba{static_cast<std::uint8_t>(40 * k), 80, 160, 255});
        b.digits(20, 10, std::to_string(k), 8, Rgba{255, 255, 255, 255});
        out.bytes("image\\title\\line" + std::to_string(k) + ".bmp", encode_bmp24(b.image));
    }
    for (const char* t : {"70100", "7200", "7300", "7400", "7500"}) {
        Canvas b(100, 60, Rgba{200, 200, 210, 255});
        b.digits(8, 20, t, 6, Rgba{0, 0, 0, 255});
        out.bytes("image\\title\\train" + std::string(t) + ".bmp", encode_bmp24(b.image));
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
    progress(25, "the route video, drawn from the line files' places");
    write_route_videos(out, progress);
    progress(100, "done");
}

}  // namespace ostrel::demo
