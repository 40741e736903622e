#pragma once
// A line file with every table at its capacity and a vehicle file with every key and full
// tables, as Shift JIS CR LF text, for the benchmarks.

#include <functional>
#include <string>

#include "core/image.h"
#include "fixture.h"

namespace ostrel::bench {

inline Image tiny(const std::string&) {
    Image img;
    img.width = img.height = 1;
    img.pixels.resize(1);
    return img;
}

inline std::string rows(const char* key, std::size_t count,
                        const std::function<std::string(std::size_t)>& row) {
    std::string s = std::string(key) + "\n";
    for (std::size_t i = 0; i < count; ++i)
        s += row(i) + "\n";
    return s + "#\n";
}

inline std::string full_line_file() {
    auto n = [](std::size_t i) { return std::to_string(i); };
    std::string s =
        "[LineName]\n全表の路線\n[LineName2]\n全表\n[StartPos]\n10\n[FrameRate]\n15\n"
        "[Staf]\ncard.bmp\nopen.bmp\n[StartTime]\n0\n[DataName]\nroute\n[OneMan]\n0\n";
    s += "[StafSwitch]\n300\n" + rows("", 9, n).substr(1);
    s += rows("[MovieStop]", 100, [](std::size_t i) { return std::to_string(90000 + i); });
    s += rows("[MovieSwitch]", 100, [](std::size_t i) {
        return "1," + std::to_string(i * 500) + "," + std::to_string(i * 500 + 90) + ",sub,90,10";
    });
    s += rows("[Speed_Signal]", 11, [](std::size_t i) { return std::to_string(i * 10); });
    s += "[Pre_Train]\n100,200000\n" + rows("", 998, [](std::size_t i) {
                                           return std::to_string(i % 500) + ",60," +
                                                  std::to_string(1944000 + i * 100);
                                       }).substr(1);
    s += rows("[SoundData]", 501,
              [](std::size_t i) { return "sound\\s" + std::to_string(i) + ".wav"; });
    s += "[Announce]\n0\n" +
         rows("", 499, [](std::size_t i) { return "1,0," + std::to_string(i) + ",100"; }).substr(1);
    s += "[KankoSound1]\n";
    for (int i = 0; i < 21; ++i)
        s += "k" + std::to_string(i) + ".wav\n";
    s += rows("[KankoSound2]", 480,
              [](std::size_t i) { return "k2_" + std::to_string(i) + ".wav"; });
    auto f = [](std::size_t i) { return std::to_string(i * 400); };
    s += rows("[Sound]", 501,
              [&](std::size_t i) { return "1," + f(i) + "," + f(i + 1) + ",60,1,1,1"; });
    s += rows("[Doppler]", 501, [&](std::size_t i) { return "1," + f(i) + ",3000,0"; });
    s += rows("[Tunnel]", 501, [&](std::size_t i) { return f(i) + "," + f(i) + "0,200"; });
    s += rows("[Station]", 501, [&](std::size_t i) {
        return "駅" + std::to_string(i) + ",0," + f(i) + "," + f(i) + ",0,1,0," +
               std::to_string(1944000 + i * 3000) + ",45,0";
    });
    s += rows("[StopSound]", 501, n);
    s += rows("[Signal]", 501, [&](std::size_t i) {
        return std::to_string(i) + ",0,0,0," + f(i) + "," + f(i + 1) + ",0," + f(i) + ",0,0,0,0";
    });
    s += rows("[Slope]", 501, [&](std::size_t i) { return "2.5," + f(i) + "," + f(i + 1); });
    s += rows("[Sign]", 501, [&](std::size_t i) { return "0," + f(i) + "," + f(i + 1) + ",0"; });
    s += rows("[SignalKanko]", 501, [](std::size_t i) { return std::to_string(i) + ",0,1"; });
    s += rows("[StationKanko]", 501, [](std::size_t i) { return std::to_string(i) + ",0,21"; });
    s += rows("[SpeedLimit]", 501,
              [&](std::size_t i) { return "60,0,60," + f(i) + "," + f(i + 1); });
    s += rows("[SpeedCheck1]", 501, [&](std::size_t i) { return "45," + f(i); });
    s += rows("[SpeedCheck2]", 501, [&](std::size_t i) { return "45," + f(i) + "," + f(i + 1); });
    s += rows("[OtherImageList]", 1000,
              [](std::size_t i) { return "o" + std::to_string(i) + ".bmp\nsign.wav"; });
    s += rows("[SpeedUnit]", 501, [](std::size_t i) {
        return std::to_string(i * 400) + "," + std::to_string(i * 400 + 400) + ",72.0,72.0";
    });
    s += rows("[Cross]", 1000, [&](std::size_t i) { return "0,6," + f(i) + "," + f(i) + ",0"; });
    s += rows("[Time]", 100, [&](std::size_t i) { return f(i) + "," + f(i + 1) + ",1951000"; });
    s += rows("[Switch]", 495, [&](std::size_t i) { return f(i) + ",1"; });
    return fixture::windows_text(s);
}

inline std::string full_vehicle_file() {
    std::string s;
    for (const char* key : {"Handle",       "Hold",         "Const",          "Back",
                            "Curr1",        "Curr2",        "DoorType",       "EB",
                            "Mc",           "ATS_Type",     "ATS_Alert",      "ATS_Cnt",
                            "Sound_br1",    "Sound_br2",    "Sound_br3",      "Sound_EB",
                            "Sound_Ats1",   "Sound_Ats2",   "Sound_Atc",      "Sound_Horn",
                            "Sound_Horn2",  "Sound_Horn3",  "Sound_DoorOpen", "Sound_DoorClose",
                            "Sound_EBring", "Sound_squeak", "CP_Start",       "CP_Cnt",
                            "CP_End",       "Stop",         "DepSign",        "ATS_Warn"})
        s += "[" + std::string(key) + "]\n1\n";
    s += "[BrakeType]\n1\n[Brake]\n9\n[Power]\n11\n[NotchBack]\n3\n[BrakeRate]\n4.0\n4.0\n"
         "[BrakeRate2]\n0.0125\n[PowerDelay]\n3\n[BrakeDelay]\n3\n[SAPDelay]\n2\n[BrakeUp]\n300\n"
         "[BrakeDown]\n400\n[EBPress]\n440\n[SAPPress]\n390\n[HighAirPress]\n880\n"
         "[LowAirPress]\n780\n[Engine_Type]\n1\n[Mt]\n136.5\n[Tt]\n60\n[Cars]\n20\n[StopLine]\n"
         "s.bmp\n[Tons]\n340\n[MaxSpeed]\n120\n[Lose_elec]\n8\n[ELBR]\n60\n[ATS_Time]\n5\n"
         "[Buzzer]\n0\n20\n[EngineSound2]\n0\n1\n2\n[Gear_Type]\nMT\n[Clock]\n1\n1\n20\n";
    s +=
        rows("[SwitchSound]", 501, [](std::size_t i) { return std::to_string(i % 100) + ",40,1"; });
    s += rows("[EngineRate]", 9, [](std::size_t i) { return std::to_string(i * 100) + ",12.5"; });
    s += rows("[Notch]", 11,
              [](std::size_t i) { return "3.0\n2.8\n35\n60\n0.99\n" + std::to_string(i / 2); });
    s += rows("[PowerMode]", 10, [](std::size_t i) { return "P" + std::to_string(i) + ",直列"; });
    s += rows("[EngineSound1]", 100,
              [](std::size_t) { return std::string("m.wav\n0\n0\n100\n0.5\n2.0\n1\n100"); });
    s += rows("[DriveSound]", 100, [](std::size_t i) { return "d" + std::to_string(i) + ".wav"; });
    for (const char* key :
         {"Panel",    "Panel2",   "Lamp_Door",  "Lamp_Power", "Lamp_EB",    "Lamp_Gen", "Lamp_Air",
          "Lamp_Ele", "Lamp_Ats", "Lamp_ATSP1", "Lamp_ATSP2", "Lamp_G",     "Lamp_YG",  "Lamp_Y",
          "Lamp_YY",  "Lamp_R",   "Lamp_Fwd",   "Lamp_Back",  "Lamp_Const", "Lamp_Stop"})
        s += "[" + std::string(key) + "]\nl.bmp\n1\n2\n";
    for (const char* key : {"Needle_Speed", "Needle_BC", "Needle_SAP", "Needle_ER", "Needle_BP",
                            "Needle_MR", "Needle_V"})
        s += "[" + std::string(key) + "]\nn.bmp\n1\n2\n0\n0\n-135\n2.25\n";
    s += "[Needle_I]\nn.bmp\n1\n2\n0\n0\n-90\n0.2\n1\n";
    s += "[Lamp_signal]\n1\n2\n20\n20\nc.bmp\n" +
         rows("", 12, [](std::size_t i) { return std::to_string(i * 10); }).substr(1);
    for (const char* key : {"NotchImageP", "NotchImageB", "NotchImageP2", "NotchImageB2",
                            "GearImageList", "GearImageList2"})
        s += "[" + std::string(key) + "]\n1\n2\n20\n20\nc.bmp\n";
    s += rows("[Others]", 11, [](std::size_t) { return std::string("o.bmp\n1\n2"); });
    return fixture::windows_text(s);
}

}  // namespace ostrel::bench
