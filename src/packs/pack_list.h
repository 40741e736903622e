#pragma once
// The installed data packs: one folder each under the packs directory, with what the pack
// window shows of them, and when each was last driven (kept in "packs.json" beside them).

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace ostrel {

struct PackInfo {
    std::string name;  // its folder's name
    std::filesystem::path dir;
    std::string line_name;  // "[LineName]" of its first line file, as UTF-8; empty when none
    // "image/title/title01.jpg" (any case), when the pack has it; empty otherwise.
    std::filesystem::path title_picture;
    std::int64_t bytes = 0;        // every file it holds
    std::int64_t last_driven = 0;  // seconds since 1970; 0 when never
};

// What the pack window shows of one program directory (never driven).
PackInfo describe_pack(const std::filesystem::path& dir);

// Every folder under `packs_dir` that holds "ostrel.dat", the last driven first, then by name.
// Hidden folders (an install under way) are left out.
std::vector<PackInfo> list_packs(const std::filesystem::path& packs_dir);

// Notes that the pack was driven at `when` (seconds since 1970).
void mark_driven(const std::filesystem::path& packs_dir, const std::string& name,
                 std::int64_t when);

// Removes an installed pack and what is kept about it. Throws PackError when it cannot.
void remove_pack(const std::filesystem::path& packs_dir, const std::string& name);

// The list as JSON, for scripts: [{"name":..,"dir":..,"line_name":..,"bytes":..,
// "last_driven":..}, ...].
std::string packs_json(const std::vector<PackInfo>& packs);

}  // namespace ostrel
