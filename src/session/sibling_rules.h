#pragma once
// The rules the subsystems call in each other, each the named subsystem's own: the one set
// every drive is made with.

#include "drive/sibling_rules.h"

namespace ostrel {

const SiblingRules& sibling_rules();

}  // namespace ostrel
