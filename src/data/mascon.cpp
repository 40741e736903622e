#include "data/mascon.h"

namespace ostrel {

MasconCommands read_mascon(const TextFile& file) {
    MasconCommands m;
    int slot = 1;
    std::string_view line;
    for (std::size_t pos = 0; file.next_line(pos, line);) {
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
