#pragma once
// Three save slots in the settings store: a record of the drive's position, speed, clock and
// preceding train, and a caption for the menus. UI thread.

#include <array>
#include <string>

#include "save/settings_store.h"

namespace ostrel {

struct Drive;

struct SlotMenu {
    std::array<std::string, 3> load_captions, save_captions;
    std::array<bool, 3> load_enabled{};
};

// "LineName2（last station～next station）".
std::string slot_caption(const Drive& d);
// "line_ltd.dat,3,60,4500,1950000,123456,0".
std::string slot_record(const Drive& d);

// The captions of the "Save" and "Load" menu items, as opening the "Save" menu shows them,
// read afresh from the store.
SlotMenu refresh_slot_captions(SettingsStore& store);
// Saving to slot 1, 2 or 3; the message is shown through the shell.
void save_slot(Drive& d, SettingsStore& store, int slot);
// Restoring slot 1, 2 or 3. A record that does not fit is refused before anything changes.
void load_slot(Drive& d, const SettingsStore& store, int slot);

// A slot's record as stored ("" for an empty slot), and put back as it was: a recorded drive
// carries the record it loaded, so that it replays on any settings.
std::string stored_slot_record(const SettingsStore& store, int slot);
void store_slot_record(SettingsStore& store, int slot, const std::string& record);

// The three menu options, read when a drive is created (defaults 0, 1, 0 unless all three
// are there) and written when it closes.
struct DriveOptions;
DriveOptions read_options(const SettingsStore& store);
void write_options(SettingsStore& store, const DriveOptions& options);

}  // namespace ostrel
