#pragma once

namespace ostrel {

struct Drive;

// The vigilance device: after 60 s of running without any driver action it rings and lights
// its lamp, 5 s later it applies the emergency brake. Tick.
void vigilance_device(Drive& d);

}  // namespace ostrel
