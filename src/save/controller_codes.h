#pragma once
// The PS train-game controller's codes in the settings store: the value the controller reads
// with each handle in each position. The store's user writes them; the program reads them once
// for each drive, and the calibration dialog writes them.

#include <array>
#include <cstdint>

#include "drive/controllers.h"

namespace ostrel {

class SettingsStore;

inline constexpr const char* kControllerKey = "\\Software\\Ostrel\\dgcontroller";

// The names of the codes in their order: "P0".."P5", "B0".."B8", "EB".
const std::array<const char*, ControllerSetup::kCodes>& controller_code_names();

// Reads the codes in their order up to the first missing one; the codes after it keep what they
// held. Nothing is reported.
void read_controller_codes(SettingsStore& store, ControllerSetup& setup);
void write_controller_codes(SettingsStore& store,
                            const std::array<std::int32_t, ControllerSetup::kCodes>& codes);

}  // namespace ostrel
