#pragma once
// The line file: header and service keys, and the position-keyed tables. Texts keep the raw
// bytes of the file (see `encoding`); frames are frames of the main route video.

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/fixed4.h"
#include "core/image.h"
#include "core/text.h"

namespace ostrel {

// A "[MovieSwitch]" row of the line file.
struct MovieSwitchRow {
    int kind = 0, first_frame = 0, last_frame = 0;
    std::string movie_name;
    int length_frames = 0, resume_frame = 0;
    bool done = false;
};

// A "[Pre_Train]" row of the line file.
struct PreTrainRow {
    int station_index = 0, speed = 0, departure_time = 0;
};

// A "[Announce]" row of the line file.
struct AnnounceRow {
    int sound_no = 0, side = 0, station_index = 0, distance_m = 0;
};

// A "[KankoSound2]" row of the line file.
struct CalloutSoundRow {
    int ordinal = 0;
    std::string file;
};

// A "[Sound]" row of the line file.
struct SoundPointRow {
    int sound_no = 0, start_frame = 0, end_frame = 0, ref_speed = 0, mode = 0, pitch_follow = 0,
        volume_follow = 0;
    bool played = false;
};

// A "[Doppler]" row of the line file.
struct DopplerRow {
    int sound_no = 0, frame = 0, range = 0, no_shift = 0;
    std::int64_t distance = 0;
};

// A "[Tunnel]" row of the line file.
struct TunnelRow {
    int entry_frame = 0, exit_frame = 0, depth = 0;
    std::int64_t entry_distance = 0, exit_distance = 0;
};

// What a station row is: its `kind` as the line file gives it.
enum StationKind : int {
    kStopWithDoors = 0,
    kPassingPoint = 1,
    kStopWithoutDoors = 2,
};

// A "[Station]" row of the line file.
struct StationRow {
    std::string name;
    int kind = 0, frame = 0, door_last_frame = 0, arrival_sound = 0, departure_sound = 0,
        column7 = 0, departure_time = 0, pattern_speed = 0, station_door_sounds = 0;
    std::int64_t stop_distance = 0, window_start = 0, window_end = 0;
};

// A "[Signal]" row of the line file.
struct SignalRow {
    std::array<int, 12> columns{};  // columns 1..12 of the file at index 0..11
    std::array<int, 3> state{};     // signal state of the simulation
    // 0 automatic block signal; 1 held until a clock time; 2 always held; 3 and more held
    // until a station's departure melody has played.
    int control_kind() const { return columns[0]; }
    int sub_signal_image() const { return columns[1]; }
    int type() const { return columns[3]; }  // aspect set 0 to 5; 0 is also a repeater
    int first_frame() const { return columns[4]; }
    int last_frame() const { return columns[5]; }  // where the train passes the signal
    int transponder_frame() const { return columns[6]; }
    int event_frame() const { return columns[7]; }
    int held_state() const { return columns[8]; }
    int held_until() const { return columns[9]; }  // a clock time, or a station row
    int left_image() const { return columns[10]; }
    int right_image() const { return columns[11]; }
};

// A "[Slope]" row of the line file.
struct SlopeRow {
    Fixed4 gradient;  // per mille
    int first_frame = 0, last_frame = 0;
};

// A "[Sign]" row of the line file.
struct SignRow {
    int image = 0, first_frame = 0, last_frame = 0, change_after = 0;
};

// A "[SignalKanko]" row of the line file.
struct SignalCalloutRow {
    int signal_no = 0, when = 0, callout_id = 0;
};

// A "[StationKanko]" row of the line file.
struct StationCalloutRow {
    int station_index = 0, when = 0, callout_id = 0;
};

// A "[SpeedLimit]" row of the line file.
struct SpeedLimitRow {
    int limit = 0, image = 0, value = 0, start_frame = 0, end_frame = 0;
    std::int64_t start_distance = 0;
};

// A "[SpeedCheck1]" row of the line file.
struct PointCheckRow {
    int speed = 0, frame = 0;
};

// A "[SpeedCheck2]" row of the line file.
struct ZoneCheckRow {
    int speed = 0, first_frame = 0, last_frame = 0;
};

// A "[SpeedUnit]" row of the line file.
struct SpeedUnitRow {
    int first_frame = 0, last_frame = 0;
    long double first_speed = 0, last_speed = 0;
    std::int64_t end_distance = 0;
};

// A "[Cross]" row of the line file.
struct CrossingRow {
    int image = 0, callout_id = 0, enter_frame = 0, leave_frame = 0, station_index = 0;
};

// A "[Time]" row of the line file.
struct TimePointRow {
    int first_frame = 0, last_frame = 0, due_time = 0;
};

// A "[Switch]" row of the line file.
struct SwitchRow {
    int frame = 0, switch_type = 0;
    bool played = false;
};

// One entry of the event list built after loading.
struct LineEvent {
    std::int64_t distance = 0;
    int kind = 0;         // 1 signal, 2 speed limit, 3 station stopping check
    int speed = 0;        // 0 for a signal, the limit, 10 at a station
    int signal_row = 0;   // of a signal
    int station_row = 0;  // of a station check
    int limit_value = 0;  // of a speed limit: its row's `value`
};

struct Line {
    Encoding encoding = Encoding::ShiftJis;

    // Capacities of the data model; a file that exceeds one is rejected.
    static constexpr std::size_t kMaxStafSwitch = 10;
    static constexpr std::size_t kMaxMovieStop = 100;
    static constexpr std::size_t kMaxMovieSwitch = 100;
    static constexpr std::size_t kMaxSpeedSignal = 11;
    static constexpr std::size_t kMaxPreTrain = 999;
    static constexpr std::size_t kMaxSoundData = 501;
    static constexpr std::size_t kMaxAnnounce = 500;  // index 0 is the standstill sound
    static constexpr std::size_t kKankoSound1Lines = 21;
    static constexpr std::size_t kMaxCallouts = 501;  // ids 0..500
    static constexpr std::size_t kMaxRows = 501;
    static constexpr std::size_t kMaxImages = 1000;  // each image list
    static constexpr std::size_t kMaxCross = 1000;
    static constexpr std::size_t kMaxTime = 100;
    static constexpr std::size_t kMaxSwitch = 495;

    std::string LineName, LineName2;
    int StartPos = 0;
    int FrameRate = 0;
    std::string staf_card_file, staf_opening_file;
    int StartTime = 0;
    std::vector<int> StafSwitch;
    std::vector<int> MovieStop;  // only the first value is used: the buffer frame
    std::vector<MovieSwitchRow> MovieSwitch;
    std::vector<int> Speed_Signal;
    std::string DataName;
    int pre_train_start_frame = 0, pre_train_last_frame = 0;
    std::vector<PreTrainRow> Pre_Train;
    int OneMan = 0;
    std::vector<std::string> SoundData;
    int standstill_sound = 0;  // the line after "[Announce]"
    std::vector<AnnounceRow> Announce;
    std::array<std::string, 40> KankoSound1{};  // call-out ids 0..20 are read
    std::vector<CalloutSoundRow> KankoSound2;   // call-out ids 21 upward
    int callout_count = 21;                     // 21 + rows of "[KankoSound2]"

    std::vector<SoundPointRow> Sound;
    std::vector<DopplerRow> Doppler;
    std::vector<TunnelRow> Tunnel;
    std::vector<StationRow> Station;
    std::vector<int> StopSound;
    std::vector<SignalRow> Signal;
    std::vector<SlopeRow> Slope;
    std::vector<SignRow> Sign;
    std::vector<SignalCalloutRow> SignalKanko;
    std::vector<StationCalloutRow> StationKanko;
    std::vector<SpeedLimitRow> SpeedLimit;
    std::vector<PointCheckRow> SpeedCheck1;
    std::vector<ZoneCheckRow> SpeedCheck2;
    std::vector<SpeedUnitRow> SpeedUnit;
    std::vector<CrossingRow> Cross;
    std::vector<TimePointRow> Time;
    std::vector<SwitchRow> Switch;

    // Image lists, in the order their files were named.
    std::vector<std::string> sign_image_files, other_image_files, signal_image_files,
        signal_image2_files, cross_image_files;
    std::vector<Image> SignImageList, OtherImageList, SignalImageList, SignalImageList2,
        CrossImageList;
    std::vector<std::string> OtherSound;  // the wave file of each other image

    // Built after loading.
    std::vector<LineEvent> events;

    bool has_buffer_frame() const { return !MovieStop.empty(); }
    std::string display(const std::string& raw) const { return display_text(raw, encoding); }
};

// Loads a picture named in the line file (raw name as written); throws on failure.
using LineImageLoader = std::function<Image(const std::string& raw_name)>;

// Reads the line file. `start_station_index` is the station the drive starts at (0 = the
// "[StartPos]" frame): that row's arrival sound reads as 0. Every failure is a UserError with
// "路線ファイルに誤りがあります。", the group of keys, ":" and the offending line (UTF-8).
Line read_line_file(const TextFile& file, int start_station_index,
                    const LineImageLoader& load_image);

// "SU再読込": the first four columns of the speed profile and its row count, read again from
// every "[SpeedUnit]" group of the file up to a line beginning with "#". The distances worked
// out at load stay as they were (a new row gets 0). Throws ConversionError, and changes
// nothing, when a row does not read or there are more rows than the table holds.
void reload_speed_units(Line& line, const TextFile& file);

std::string line_error_text(const std::string& context, const std::string& line_utf8);

}  // namespace ostrel
