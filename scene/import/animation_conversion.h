#pragma once

// Node animation channels resampled into keys that hold all of T, R and S.

#include <cstdint>

#include "scene/records.h"

struct aiNodeAnim;

namespace Importing::Import {

// round(time / ticksPerSecond x 4800) in ticks of 1/4800 s; 25 ticks per
// second when the file gives none; negative times clamp to 0.
std::uint32_t ToContainerTicks(double time, double ticksPerSecond);

// One key per distinct time of the channel's position, rotation and scaling
// keys, in time order; each samples all three tracks there.
Animation ConvertChannel(const aiNodeAnim& channel, double ticksPerSecond);

}  // namespace Importing::Import
