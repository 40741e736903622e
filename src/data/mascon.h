#pragma once
// mascon.dat: the command strings that a serial master controller sends, one per slot.

#include <array>
#include <string>
#include <vector>

#include "core/text.h"

namespace ostrel {

struct MasconCommands {
    static constexpr int kSlots = 26;
    std::array<std::string, kSlots + 1> slots;  // slots 1..26; slot 0 unused
    int lines_ignored = 0;                      // command lines beyond slot 26
};

// Lines from the first on, up to the first line beginning with "#". Lines past the 26th slot
// are not stored; they are counted so that the loader can warn about them.
MasconCommands read_mascon(const TextFile& file);

}  // namespace ostrel
