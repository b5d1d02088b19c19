#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "host/orv_channel.h"

#pragma pack(push, 1)
// One animation key as a Matrix collection receives it: 44 bytes,
// little-endian, no padding.
struct AnimationKeyRecord {
  std::uint32_t time;  // ticks of 1/4800 s
  float rotationX, rotationY, rotationZ, rotationW;
  float positionX, positionY, positionZ;
  float scaleX, scaleY, scaleZ;
};
#pragma pack(pop)
static_assert(sizeof(AnimationKeyRecord) == 44);
static_assert(offsetof(AnimationKeyRecord, rotationX) == 4);
static_assert(offsetof(AnimationKeyRecord, positionX) == 20);
static_assert(offsetof(AnimationKeyRecord, scaleX) == 32);
static_assert(offsetof(AnimationKeyRecord, scaleZ) == 40);

// A sequence of animation keys; it keeps its own copy of what it is given.
class ORVHOST_API MatrixCollectionChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::MatrixCollection;
  MatrixCollectionChannel() : Orv_Channel(kKind) {}
  // Copies `count` records from `keys`; `reserved` must be 0. A negative count
  // or null keys with a positive count leaves an empty collection.
  void SetKeyCollection(const AnimationKeyRecord* keys, int count, int reserved);
  const std::vector<AnimationKeyRecord>& GetKeys() const { return keys_; }
  int CallCount() const { return calls_; }

 private:
  std::vector<AnimationKeyRecord> keys_;
  int calls_ = 0;
};
