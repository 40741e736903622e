#pragma once
// The values `ostrel-sim run` can print: every runtime variable by its name, every label of the
// view state by its component name, and panel sprites as "<image name>.visible", ".pattern",
// ".angle" or ".alpha".

#include <functional>
#include <string>
#include <vector>

#include "drive/drive.h"

namespace ostrel {

using FieldReader = std::function<std::string(const Drive&)>;

// Nothing when the name is not known.
std::optional<FieldReader> find_field(const Drive& drive, const std::string& name);

const std::vector<std::string>& default_fields();

// Shortest text without an exponent that reads back as the same value; "nan", "inf" and
// "-inf" otherwise.
std::string shortest_text(long double value);

}  // namespace ostrel
