#pragma once

// Assimp's node animation channels as keys that hold all of T, R and S.

#include "scene/import/key_merging.h"
#include "scene/records.h"

struct aiNodeAnim;

namespace Importing::Import {

// One key per distinct time of the channel's position, rotation and scaling
// keys, in time order; each samples all three tracks there.
Animation ConvertChannel(const aiNodeAnim& channel, double ticksPerSecond);

}  // namespace Importing::Import
