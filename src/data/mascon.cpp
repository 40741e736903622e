#include "data/mascon.h"

namespace ostrel {

MasconCommands read_mascon(const TextFile& file) {
    MasconCommands m;
    int slot = 1;
    for (const std::string& line : file.lines) {
        if (!line.empty() && line[0] == '#') break;
        if (slot <= MasconCommands::kSlots) {
            m.slots[static_cast<std::size_t>(slot++)] = line;
        } else {
            ++m.lines_ignored;
        }
    }
    return m;
}

}  // namespace ostrel
