#include "save/controller_codes.h"

#include "save/settings_store.h"

namespace ostrel {

const std::array<const char*, ControllerSetup::kCodes>& controller_code_names() {
    static constexpr std::array<const char*, ControllerSetup::kCodes> kNames = {
        "P0", "P1", "P2", "P3", "P4", "P5", "B0", "B1",
        "B2", "B3", "B4", "B5", "B6", "B7", "B8", "EB"};
    return kNames;
}

void read_controller_codes(SettingsStore& store, ControllerSetup& setup) {
    if (!store.open_key(kControllerKey)) return;
    for (std::size_t i = 0; i < setup.codes.size(); ++i) {
        auto value = store.read_int(kControllerKey, controller_code_names()[i]);
        if (!value) return;
        setup.codes[i] = *value;
    }
}

void write_controller_codes(SettingsStore& store,
                            const std::array<std::int32_t, ControllerSetup::kCodes>& codes) {
    if (!store.open_key(kControllerKey)) return;
    for (std::size_t i = 0; i < codes.size(); ++i)
        store.write_int(kControllerKey, controller_code_names()[i], codes[i]);
}

}  // namespace ostrel
