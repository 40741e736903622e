#pragma once
// What the tick shows of the line: the gradient board, other signs and the time-check sign,
// level crossings, the stop line and remaining distance, the ATS text, the timetable card, the
// easy cab indications, the value display and the explanation hint.

#include <string>

namespace ostrel {

struct ControlState;
struct Line;
struct MotionState;
struct ProtectionState;
struct Drive;
struct StationState;
struct TractionState;
struct ViewState;

// When the slope section's gradient changes.
void show_gradient_board(ViewState& view, const TractionState& traction);
void show_stop_line(ViewState& view, const StationState& stops);
void show_ats_text(ViewState& view, const ProtectionState& protection, const MotionState& motion,
                   const Line& line);
// The timetable card slides in or out, 100 pixels a tick, as the driver last asked.
void slide_timetable_card(ViewState& view, const ControlState& controls, int card_width);
void timetable_page(Drive& d);  // F1: the page of the next station
void show_easy_cab(ViewState& view, const ControlState& controls, const StationState& stops);
void fill_value_display(Drive& d);

// The explanation hint for the present state: "" or a text whose first character says what
// it is ("0" a notice over the video).
std::string build_hint(const Drive& d);
void update_hint(Drive& d);

// "2.5", "-3.3": one decimal, halves to even.
std::string one_decimal(long double value);

}  // namespace ostrel
