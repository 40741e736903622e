#include "data/vehicle.h"

#include <algorithm>
#include <limits>

#include "core/error.h"
#include "data/section.h"

namespace ostrel {

namespace {

const char* const kBasicContext = "- 列車の基本設定";

void check_capacity(std::size_t rows, std::size_t capacity) {
    if (rows >= capacity) throw ConversionError("the table has more rows than it can hold");
}

class VehicleReader {
  public:
    VehicleReader(const TextFile& file, const VehicleImageLoader& load_image)
        : r_(file), load_image_(load_image) {
        v_.encoding = file.encoding;
    }

    Vehicle read() {
        try {
            while (r_.more_lines()) {
                context_ = kBasicContext;
                r_.read_line();
                pass();
            }
        } catch (const UserError&) {
            throw;
        } catch (const std::exception&) {
            throw UserError(vehicle_error_text(context_));
        }
        return std::move(v_);
    }

  private:
    void integer(const char* key, int& out) {
        if (r_.at_key(key)) out = r_.read_int();
    }
    void delay(const char* key, int& out) {
        // A delay is counted from one fast step upward, so below 1 it would never apply.
        if (r_.at_key(key)) out = std::max(1, r_.read_int());
    }
    void fixed(const char* key, Fixed4& out) {
        if (r_.at_key(key)) out = r_.read_fixed4();
    }

    Image load(const std::string& name) { return load_image_(name); }

    void simple_panel_key(const char* key, PanelImageKey& out) {
        if (!r_.at_key(key)) return;
        out.present = true;
        out.file = r_.read_text();
        out.x = r_.read_int();
        out.y = r_.read_int();
    }

    void needle_key(const char* key, NeedleKey& out, bool ammeter) {
        if (!r_.at_key(key)) return;
        out.present = true;
        out.file = r_.read_text();
        out.x = r_.read_int();
        out.y = r_.read_int();
        out.unused1 = r_.read_int();
        out.unused2 = r_.read_int();
        out.base_angle = r_.read_int();
        out.scale = r_.read_real();
        if (ammeter) out.ammeter_mode = r_.read_int();
    }

    bool pattern_strip_key(const char* key, PatternStripKey& out) {
        context_ = key;
        if (!r_.at_key(key)) return false;
        out.present = true;
        out.x = r_.read_int();
        out.y = r_.read_int();
        out.pattern_width = r_.read_int();
        out.pattern_height = r_.read_int();
        out.file = r_.read_text();
        out.image = out.file.empty() ? Image{} : load(out.file);
        return true;
    }

    void pass();
    void performance_keys();
    void table_keys();
    void panel_keys();

    SectionReader r_;
    const VehicleImageLoader& load_image_;
    Vehicle v_;
    std::string context_;
};

void VehicleReader::pass() {
    performance_keys();
    table_keys();
    panel_keys();
}

void VehicleReader::performance_keys() {
    integer("[Handle]", v_.Handle);
    integer("[BrakeType]", v_.BrakeType);
    integer("[Brake]", v_.Brake);
    integer("[Power]", v_.Power);
    integer("[NotchBack]", v_.NotchBack);
    integer("[Hold]", v_.Hold);
    integer("[Const]", v_.Const);
    integer("[Back]", v_.Back);
    if (r_.at_key("[BrakeRate]")) {
        v_.BrakeRate[0] = r_.read_fixed4();
        v_.BrakeRate[1] = r_.read_fixed4();
    }
    if (r_.at_key("[BrakeRate2]")) v_.BrakeRate2 = r_.read_fixed4().to_real();
    delay("[PowerDelay]", v_.PowerDelay);
    delay("[BrakeDelay]", v_.BrakeDelay);
    delay("[SAPDelay]", v_.SAPDelay);
    integer("[BrakeUp]", v_.BrakeUp);
    integer("[BrakeDown]", v_.BrakeDown);
    integer("[EBPress]", v_.EBPress);
    integer("[SAPPress]", v_.SAPPress);
    integer("[HighAirPress]", v_.HighAirPress);
    integer("[LowAirPress]", v_.LowAirPress);
    integer("[Curr1]", v_.Curr1);
    integer("[Curr2]", v_.Curr2);
    integer("[Engine_Type]", v_.Engine_Type);
    integer("[DoorType]", v_.DoorType);
    fixed("[Mt]", v_.Mt);
    fixed("[Tt]", v_.Tt);
    if (r_.at_key("[Cars]")) {
        v_.Cars = r_.read_int();
        // The gradient is averaged over one sample per car, at most twenty.
        if (v_.Cars > Vehicle::kMaxCars) throw ConversionError("too many cars");
    }
    if (r_.at_key("[StopLine]")) {
        v_.StopLine = r_.read_text();
        v_.stop_line_image = load(v_.StopLine);
    }
    fixed("[Tons]", v_.Tons);
    integer("[EB]", v_.EB);
    integer("[MaxSpeed]", v_.MaxSpeed);
    integer("[Lose_elec]", v_.Lose_elec);
    integer("[ELBR]", v_.ELBR);
    integer("[Mc]", v_.Mc);
    integer("[ATS_Type]", v_.ATS_Type);
    integer("[ATS_Alert]", v_.ATS_Alert);
    if (r_.at_key("[ATS_Time]")) {
        // Counted in ticks as ten times the seconds, which must stay a number.
        v_.ATS_Time = r_.read_int();
        if (v_.ATS_Time > std::numeric_limits<int>::max() / 10 ||
            v_.ATS_Time < std::numeric_limits<int>::min() / 10)
            throw ConversionError("[ATS_Time] out of range");
    }
    integer("[ATS_Cnt]", v_.ATS_Cnt);
    integer("[Sound_br1]", v_.Sound_br1);
    integer("[Sound_br2]", v_.Sound_br2);
    integer("[Sound_br3]", v_.Sound_br3);
    integer("[Sound_EB]", v_.Sound_EB);
    integer("[Sound_Ats1]", v_.Sound_Ats1);
    integer("[Sound_Ats2]", v_.Sound_Ats2);
    integer("[Sound_Atc]", v_.Sound_Atc);
    integer("[Sound_Horn]", v_.Sound_Horn);
    integer("[Sound_Horn2]", v_.Sound_Horn2);
    integer("[Sound_Horn3]", v_.Sound_Horn3);
    integer("[Sound_DoorOpen]", v_.Sound_DoorOpen);
    integer("[Sound_DoorClose]", v_.Sound_DoorClose);
    integer("[Sound_EBring]", v_.Sound_EBring);
    integer("[Sound_squeak]", v_.Sound_squeak);
    integer("[CP_Start]", v_.CP_Start);
    integer("[CP_Cnt]", v_.CP_Cnt);
    integer("[CP_End]", v_.CP_End);
    integer("[Stop]", v_.Stop);
    if (r_.at_key("[Buzzer]")) {
        v_.Buzzer[0] = r_.read_int();
        v_.Buzzer[1] = r_.read_int();
    }
    integer("[DepSign]", v_.DepSign);
    integer("[ATS_Warn]", v_.ATS_Warn);
}

void VehicleReader::table_keys() {
    if (r_.at_key("[SwitchSound]")) {
        v_.SwitchSound.clear();
        while (r_.read_row()) {
            check_capacity(v_.SwitchSound.size(), Vehicle::kMaxSwitchSounds);
            const std::string& line = r_.current();
            v_.SwitchSound.push_back(
                {to_int(field(line, 1)), to_int(field(line, 2)), to_int(field(line, 3))});
        }
    }
    if (r_.at_key("[EngineRate]")) {
        v_.EngineRate.clear();
        while (r_.read_row()) {
            check_capacity(v_.EngineRate.size(), Vehicle::kMaxEngineRateRows);
            const std::string& line = r_.current();
            v_.EngineRate.push_back({to_int(field(line, 1)), to_real(field(line, 2))});
        }
    }
    if (r_.at_key("[Gear_Type]")) {
        const std::string& text = r_.read_text();
        if (text == "AT") v_.Gear_Type = 0;
        if (text == "MT") v_.Gear_Type = 1;
    }
    context_ = "[Notch]";
    if (r_.at_key("[Notch]")) {
        v_.Notch.clear();
        int mode_counter = 0;
        while (r_.read_row()) {
            check_capacity(v_.Notch.size(), Vehicle::kMaxNotchRows);
            NotchRow row;
            row.accel_start = to_real(r_.current());
            row.accel_first = r_.read_real();
            row.first_region_end = r_.read_int();
            row.second_region_end = r_.read_int();
            row.decay = r_.read_real();
            row.mode = r_.read_int();
            if (row.mode != mode_counter) {
                ++mode_counter;
                check_capacity(static_cast<std::size_t>(mode_counter), Vehicle::kMaxPowerModes);
                v_.mode_first_notch[static_cast<std::size_t>(mode_counter)] =
                    static_cast<int>(v_.Notch.size());
            }
            v_.Notch.push_back(row);
        }
        if (v_.Engine_Type == 0) throw UserError("動力が気動車なのにNotch指定があります");
    }
    context_ = "[Engine]";
    if (r_.at_key("[Engine]")) {
        v_.Engine.clear();
        while (r_.read_row()) {
            check_capacity(v_.Engine.size(), Vehicle::kMaxEngineRows);
            EngineRow row;
            row.low_speed = to_int(r_.current());
            row.mid_speed = r_.read_int();
            row.high_speed = r_.read_int();
            row.accel_low = r_.read_real();
            row.accel_mid = r_.read_real();
            row.accel_high = r_.read_real();
            v_.Engine.push_back(row);
        }
        if (v_.Engine_Type == 1) throw UserError("動力が電車なのにEngine指定があります");
    }
    context_ = "[PowerMode]";
    if (r_.at_key("[PowerMode]")) {
        v_.PowerMode.clear();
        while (r_.read_row()) {
            check_capacity(v_.PowerMode.size(), Vehicle::kMaxPowerModes);
            v_.PowerMode.push_back({field(r_.current(), 1), field(r_.current(), 2)});
        }
    }
    context_ = "[EngineSound1]";
    if (r_.at_key("[EngineSound1]")) {
        v_.EngineSound1.clear();
        while (r_.read_row()) {
            check_capacity(v_.EngineSound1.size(), Vehicle::kMaxEngineSounds);
            EngineSoundRow row;
            row.file = r_.current();
            row.condition = r_.read_int();
            row.low = r_.read_real();
            row.high = r_.read_real();
            row.rate_low = r_.read_real();
            row.rate_high = r_.read_real();
            row.level_low = r_.read_real();
            row.level_high = r_.read_real();
            v_.EngineSound1.push_back(std::move(row));
        }
    }
    if (r_.at_key("[EngineSound2]")) {
        for (int& value : v_.EngineSound2)
            value = r_.read_int();
    }
    context_ = "[DriveSound]";
    if (r_.at_key("[DriveSound]")) {
        v_.DriveSound.clear();
        while (r_.read_row()) {
            check_capacity(v_.DriveSound.size(), Vehicle::kMaxDriveSounds);
            v_.DriveSound.push_back(r_.current());
        }
    }
}

void VehicleReader::panel_keys() {
    context_ = "- アナログ時計";
    if (r_.at_key("[Clock]")) {
        for (int& value : v_.Clock)
            value = r_.read_int();
    }
    context_ = "- 運転台パネル";
    simple_panel_key("[Panel]", v_.Panel);
    simple_panel_key("[Panel2]", v_.Panel2);
    simple_panel_key("[Lamp_Door]", v_.Lamp_Door);
    simple_panel_key("[Lamp_Power]", v_.Lamp_Power);
    simple_panel_key("[Lamp_EB]", v_.Lamp_EB);
    simple_panel_key("[Lamp_Gen]", v_.Lamp_Gen);
    simple_panel_key("[Lamp_Air]", v_.Lamp_Air);
    simple_panel_key("[Lamp_Ele]", v_.Lamp_Ele);
    simple_panel_key("[Lamp_Ats]", v_.Lamp_Ats);
    simple_panel_key("[Lamp_ATSP1]", v_.Lamp_ATSP1);
    simple_panel_key("[Lamp_ATSP2]", v_.Lamp_ATSP2);
    simple_panel_key("[Lamp_G]", v_.Lamp_G);
    simple_panel_key("[Lamp_YG]", v_.Lamp_YG);
    simple_panel_key("[Lamp_Y]", v_.Lamp_Y);
    simple_panel_key("[Lamp_YY]", v_.Lamp_YY);
    simple_panel_key("[Lamp_R]", v_.Lamp_R);
    simple_panel_key("[Lamp_Fwd]", v_.Lamp_Fwd);
    simple_panel_key("[Lamp_Back]", v_.Lamp_Back);
    simple_panel_key("[Lamp_Const]", v_.Lamp_Const);
    simple_panel_key("[Lamp_Stop]", v_.Lamp_Stop);
    context_ = "- 速度計";
    needle_key("[Needle_Speed]", v_.Needle_Speed, false);
    context_ = "- BC圧力計";
    needle_key("[Needle_BC]", v_.Needle_BC, false);
    context_ = "- SAP圧力計";
    needle_key("[Needle_SAP]", v_.Needle_SAP, false);
    context_ = "- ER圧力計";
    needle_key("[Needle_ER]", v_.Needle_ER, false);
    context_ = "- BP圧力計";
    needle_key("[Needle_BP]", v_.Needle_BP, false);
    context_ = "- MR圧力計";
    needle_key("[Needle_MR]", v_.Needle_MR, false);
    context_ = "- 電圧計";
    needle_key("[Needle_V]", v_.Needle_V, false);
    context_ = "- 電流計";
    needle_key("[Needle_I]", v_.Needle_I, true);

    if (pattern_strip_key("[Lamp_signal]", v_.Lamp_signal)) {
        // Speeds shown by the cab-signal patterns; an empty line keeps its entry.
        std::size_t entry = 0;
        while (r_.read_row()) {
            check_capacity(entry, Vehicle::kMaxCabSignalSpeeds);
            if (!r_.current().empty()) v_.cab_signal_speeds[entry] = to_int(r_.current());
            ++entry;
        }
        v_.cab_signal_speed_count = static_cast<int>(entry);
    }
    pattern_strip_key("[NotchImageP]", v_.NotchImageP);
    pattern_strip_key("[NotchImageB]", v_.NotchImageB);
    pattern_strip_key("[NotchImageP2]", v_.NotchImageP2);
    pattern_strip_key("[NotchImageB2]", v_.NotchImageB2);
    pattern_strip_key("[GearImageList]", v_.GearImageList);
    pattern_strip_key("[GearImageList2]", v_.GearImageList2);
    context_ = "[Others]";
    if (r_.at_key("[Others]")) {
        v_.Others.clear();
        while (r_.read_row()) {
            check_capacity(v_.Others.size(), Vehicle::kMaxOthers);
            OthersRow row;
            row.file = r_.current();
            row.x = r_.read_int();
            row.y = r_.read_int();
            v_.Others.push_back(std::move(row));
        }
    }
}

}  // namespace

std::string vehicle_error_text(const std::string& context) {
    return "車両ファイルに誤りがあります" + context;
}

Vehicle read_vehicle(const TextFile& file, const VehicleImageLoader& load_image) {
    return VehicleReader(file, load_image).read();
}

void finish_vehicle(Vehicle& vehicle) {
    if (vehicle.BrakeType == 0) vehicle.Brake = 4;
    if (vehicle.BrakeType != 0 && vehicle.Brake < 3)
        throw UserError("ブレーキの段数を3段以上に設定してください");
}

}  // namespace ostrel
