#pragma once
// The vehicle file: controller, brakes, traction, train protection, sounds and the cab panel
// keys. Field names are the file's key names.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "core/fixed4.h"
#include "core/image.h"
#include "core/text.h"

namespace ostrel {

struct NotchRow {
    long double accel_start = 0;  // km/h/s at standstill
    long double accel_first = 0;  // km/h/s at the end of the first region
    int first_region_end = 0;     // km/h
    int second_region_end = 0;    // km/h
    long double decay = 0;        // ratio per km/h beyond the second region
    int mode = 0;                 // "[PowerMode]" row
};

struct EngineRow {
    int low_speed = 0, mid_speed = 0, high_speed = 0;
    long double accel_low = 0, accel_mid = 0, accel_high = 0;
};

struct EngineRateRow {
    int base = 0;
    long double factor = 0;
};

struct SwitchSoundRow {
    int sound = 0, speed = 0, type = 0;
};

struct PowerModeRow {
    std::string label, text;  // raw bytes of the file
};

struct EngineSoundRow {
    std::string file;
    int condition = 0;
    long double low = 0, high = 0, rate_low = 0, rate_high = 0, level_low = 0, level_high = 0;
};

// A simple panel key: file name, x, y. The picture is loaded when the panel is built.
struct PanelImageKey {
    bool present = false;
    std::string file;
    int x = 0, y = 0;
};

struct NeedleKey {
    bool present = false;
    std::string file;
    int x = 0, y = 0;
    int unused1 = 0, unused2 = 0;
    int base_angle = 0;     // degrees
    long double scale = 0;  // degrees per unit shown
    int ammeter_mode = 0;   // "[Needle_I]" only: 0 signed, 1 magnitude
};

// A strip of equal patterns, loaded while the file is read.
struct PatternStripKey {
    bool present = false;
    int x = 0, y = 0, pattern_width = 0, pattern_height = 0;
    std::string file;
    Image image;  // empty when the file name is empty
};

struct OthersRow {
    std::string file;
    int x = 0, y = 0;
};

struct Vehicle {
    Encoding encoding = Encoding::ShiftJis;

    static constexpr std::size_t kMaxNotchRows = 11;
    static constexpr std::size_t kMaxEngineRows = 11;
    static constexpr std::size_t kMaxEngineRateRows = 9;
    static constexpr std::size_t kMaxSwitchSounds = 501;
    static constexpr std::size_t kMaxPowerModes = 10;
    static constexpr std::size_t kMaxEngineSounds = 100;
    static constexpr std::size_t kMaxDriveSounds = 100;
    static constexpr std::size_t kMaxCabSignalSpeeds = 12;
    static constexpr std::size_t kMaxOthers = 11;
    static constexpr int kMaxCars = 20;

    // Controller and notches.
    int Handle = 0, BrakeType = 0, Brake = 0, Power = 0, NotchBack = 0, Hold = 0, Const = 0,
        Back = 0;
    // Brake and air system.
    std::array<Fixed4, 2> BrakeRate{};
    long double BrakeRate2 = 0;
    int PowerDelay = 0, BrakeDelay = 0, SAPDelay = 0;
    int BrakeUp = 0, BrakeDown = 0, EBPress = 0, SAPPress = 0, HighAirPress = 0, LowAirPress = 0;
    // Traction and train.
    int Curr1 = 0, Curr2 = 0, Engine_Type = 0, DoorType = 0;
    Fixed4 Mt, Tt;
    int Cars = 0;
    std::string StopLine;
    Image stop_line_image;  // image 0 of the sign image list
    Fixed4 Tons;
    int EB = 0, MaxSpeed = 0, Lose_elec = 0, ELBR = 0, Mc = 0;
    // Train protection.
    int ATS_Type = 0, ATS_Alert = 0, ATS_Time = 0, ATS_Cnt = 0;
    // Sound numbers.
    int Sound_br1 = 0, Sound_br2 = 0, Sound_br3 = 0, Sound_EB = 0, Sound_Ats1 = 0, Sound_Ats2 = 0,
        Sound_Atc = 0, Sound_Horn = 0, Sound_Horn2 = 0, Sound_Horn3 = 0, Sound_DoorOpen = 0,
        Sound_DoorClose = 0, Sound_EBring = 0, Sound_squeak = 0, CP_Start = 0, CP_Cnt = 0,
        CP_End = 0, Stop = 0;
    std::array<int, 2> Buzzer{};  // the second is the buzzer
    int DepSign = 0, ATS_Warn = 0;
    std::array<int, 3> EngineSound2{};  // the second and third are played

    // Tables.
    std::vector<SwitchSoundRow> SwitchSound;
    std::vector<EngineRateRow> EngineRate;
    int Gear_Type = 0;                                       // 0 automatic ("AT"), 1 manual ("MT")
    std::vector<NotchRow> Notch;                             // row k-1 is power notch k
    std::array<int, kMaxPowerModes + 1> mode_first_notch{};  // first row of each power mode
    std::vector<EngineRow> Engine;                           // row i is gear position i
    std::vector<PowerModeRow> PowerMode;
    std::vector<EngineSoundRow> EngineSound1;
    std::vector<std::string> DriveSound;

    // Cab panel.
    std::array<int, 3> Clock{};
    PanelImageKey Panel, Panel2, Lamp_Door, Lamp_Power, Lamp_EB, Lamp_Gen, Lamp_Air, Lamp_Ele,
        Lamp_Ats, Lamp_ATSP1, Lamp_ATSP2, Lamp_G, Lamp_YG, Lamp_Y, Lamp_YY, Lamp_R, Lamp_Fwd,
        Lamp_Back, Lamp_Const, Lamp_Stop;
    NeedleKey Needle_Speed, Needle_BC, Needle_SAP, Needle_ER, Needle_BP, Needle_MR, Needle_V,
        Needle_I;
    PatternStripKey Lamp_signal, NotchImageP, NotchImageB, NotchImageP2, NotchImageB2,
        GearImageList, GearImageList2;
    std::array<int, kMaxCabSignalSpeeds> cab_signal_speeds{};
    int cab_signal_speed_count = 0;
    std::vector<OthersRow> Others;
};

// Loads a picture named in the vehicle file (raw name as written); throws on failure.
using VehicleImageLoader = std::function<Image(const std::string& raw_name)>;

// Reads the vehicle file. Every failure is a UserError with the text the message box shows:
// "車両ファイルに誤りがあります" and the group of keys being read, or the power-type messages.
// The brake-position check belongs to the end of loading (finish_vehicle).
Vehicle read_vehicle(const TextFile& file, const VehicleImageLoader& load_image);

// "車両ファイルに誤りがあります" followed by the group of keys.
std::string vehicle_error_text(const std::string& context);

}  // namespace ostrel

namespace ostrel {
// After every data file has been read: the automatic air brake has four positions, and the
// other brake types need at least three. Throws UserError.
void finish_vehicle(Vehicle& vehicle);
}  // namespace ostrel
