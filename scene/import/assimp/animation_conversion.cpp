#include "scene/import/assimp/animation_conversion.h"

#include <assimp/anim.h>

namespace Importing::Import {
namespace {

VectorTrack Track(const aiVectorKey* keys, unsigned count) {
  VectorTrack track;
  track.reserve(count);
  for (unsigned i = 0; i < count; ++i)
    track.push_back({keys[i].mTime, {keys[i].mValue.x, keys[i].mValue.y, keys[i].mValue.z}});
  return track;
}

RotationTrack Track(const aiQuatKey* keys, unsigned count) {
  RotationTrack track;
  track.reserve(count);
  for (unsigned i = 0; i < count; ++i)
    track.push_back({keys[i].mTime, {keys[i].mValue.x, keys[i].mValue.y, keys[i].mValue.z, keys[i].mValue.w}});
  return track;
}

}  // namespace

Animation ConvertChannel(const aiNodeAnim& channel, double ticksPerSecond) {
  return MergeTracks(Track(channel.mPositionKeys, channel.mNumPositionKeys),
                     Track(channel.mRotationKeys, channel.mNumRotationKeys),
                     Track(channel.mScalingKeys, channel.mNumScalingKeys), ticksPerSecond);
}

}  // namespace Importing::Import
