#pragma once
// What the driving window shows, as plain values: the labels beside the cab view and the state
// of every panel sprite. The tick and the input handlers write it; the window only renders it.

#include <array>
#include <string>
#include <utility>
#include <vector>

#include "data/panel.h"

namespace ostrel {

struct SpriteState {
    bool visible = true;
    int pattern = 0;
    int angle = 0;  // 1/256 of a turn
    int alpha = 255;
    int pattern_count = 1;
};

// Index of a sprite in the panel, -1 when the vehicle has none.
struct PanelIds {
    int panel2 = -1, lamp_door = -1, lamp_power = -1, lamp_eb = -1, lamp_gen = -1, lamp_air = -1,
        lamp_ele = -1, lamp_ats = -1, lamp_atsp1 = -1, lamp_atsp2 = -1, lamp_fwd = -1,
        lamp_back = -1, lamp_stop = -1, lamp_const = -1;
    int needle_speed = -1, needle_er = -1, needle_bp = -1, needle_mr = -1, needle_sap = -1,
        needle_bc = -1, needle_v = -1, needle_i = -1;
    int cab_signal = -1, notch_p = -1, notch_b = -1, notch_p2 = -1, notch_b2 = -1, gear = -1,
        gear_lever = -1;
};

struct ViewState {
    // Labels, in UTF-8.
    std::string digi_speed;  // "42km/h"
    std::string Label3;      // the clock
    std::string Label1;      // the reverser
    std::string PowerLabel, BrakeLabel, GearLabel;
    std::string Label4;  // the station
    std::string caption = "Ostrel";
    std::string start_caption = "Start";                  // the Start / pause / resume menu item
    std::string value_display_caption = "Value Display";  // the serial controller's last text

    // Pictures beside the cab view: an index into their image list, -1 when cleared.
    struct Picture {
        int image = -1;
        int left = 0;
        bool visible = true;
    };
    Picture SignalImage{-1, 588}, SignalImageL{-1, 538}, SignalImageR{-1, 638}, signal_sub{-1, 588};
    Picture SlopeImage, SpeedLimitImage, OtherImage, crossimage;
    std::string SlopeText;
    std::string limitremain;  // the ATS text
    std::string remain;       // remaining distance
    int stopline_top = -30;
    int remain_top = -12;

    // The timetable card: its place on the window, and its height.
    int card_left = 743, card_top = 0;

    // The easy cab window: shape colours (0x00BBGGRR) and its status line.
    // White until the first tick lights them.
    int easy_neutral = 0xFFFFFF;
    std::array<int, 5> easy_power{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    std::array<int, 8> easy_brake{0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                                  0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};
    std::string easy_status;

    // The value display, computed only while it is shown.
    bool value_display_shown = false;
    std::vector<std::pair<std::string, std::string>> values;

    std::string hint;  // the explanation hint of the last tick

    bool crossimage_sub_visible = false;
    // The video frame the drive counts as drawn. The drive lowers it, and counts `refetches`
    // up, when the picture must be fetched again; the window keeps its own count of what it
    // drew and never writes it back.
    int drawn_frame = -1;
    unsigned refetches = 0;
    std::string video_notice;          // the hint drawn over the video
    bool stop_marker_visible = false;  // "stop": sign image 0 near a stopping point

    std::vector<SpriteState> sprites;  // one per panel part, in the panel's order
    PanelIds ids;

    SpriteState* sprite(int id) {
        return id >= 0 ? &sprites[static_cast<std::size_t>(id)] : nullptr;
    }
    const SpriteState* sprite(int id) const {
        return id >= 0 ? &sprites[static_cast<std::size_t>(id)] : nullptr;
    }

    // The picture is fetched again, as if `drawn` were the frame drawn: after a move or a load,
    // a sub-movie's switch, a notice put up or taken down.
    void fetch_picture_again(int drawn) {
        drawn_frame = drawn;
        ++refetches;
    }
};

// Sprites as the panel was built: first visibility, alpha and pattern counts.
ViewState initial_view(const Panel& panel);

}  // namespace ostrel
