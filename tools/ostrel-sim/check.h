#pragma once
// The report of `ostrel-sim check`: what the loader read, as one JSON object.

#include <nlohmann/json.hpp>
#include <string>

#include "drive/loader.h"

namespace ostrel {

nlohmann::ordered_json check_report(const LoadedDrive& drive);
nlohmann::ordered_json error_report(const std::string& message);

// Splits --vehicle into the vehicle directory and file name: a bare name is a built-in train
// in the program directory (empty directory), a path names a picked file.
void split_vehicle_argument(const std::string& argument, std::filesystem::path& vehicle_dir,
                            std::string& vehicle_file_name);

}  // namespace ostrel
