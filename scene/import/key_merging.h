#pragma once

// Separate translation, rotation and scale tracks merged into keys that
// hold all three: the form every reader gives its animations.

#include <cstdint>
#include <vector>

#include "scene/records.h"

namespace Importing::Import {

template <typename Value>
struct TrackKey {
  double time = 0;  // in the track's ticks
  Value value;
};
using VectorTrack = std::vector<TrackKey<D3DXVECTOR3>>;
using RotationTrack = std::vector<TrackKey<D3DXQUATERNION>>;

// round(time / ticksPerSecond x 4800) in ticks of 1/4800 s; 25 ticks per
// second when the file gives none; negative times clamp to 0.
std::uint32_t ToContainerTicks(double time, double ticksPerSecond);

// One key per distinct time of the three tracks, in time order; each samples
// all three there (linear for vectors, spherical for rotations, held before
// the first and after the last key of a track).
Animation MergeTracks(const VectorTrack& positions, const RotationTrack& rotations, const VectorTrack& scales,
                      double ticksPerSecond);

}  // namespace Importing::Import
