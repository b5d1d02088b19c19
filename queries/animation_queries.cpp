#include <vector>

#include "channel/scene_container_info.h"
#include "host/matrix_collection_channel.h"
#include "queries/query_support.h"

// The animation queries: count, key count, time and matrix of one key, and
// the whole key list handed to a Matrix collection child.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetAnimationCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.Animations().size());
}

int SceneContainerInfo::GetAnimationKeyCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [animationIn, out] = *children;
  std::int32_t animation;
  if (!ReadIndex(*this, *animationIn, scene.Animations().size(), messages::kAnimationId, animation))
    return Failed(*out);
  return Answer(*out, scene.Animations()[animation].size());
}

int SceneContainerInfo::GetAnimationTime(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [animationIn, keyIn, out] = *children;
  const auto& animations = scene.Animations();
  std::int32_t animation, key;
  if (!ReadIndex(*this, *animationIn, animations.size(), messages::kAnimationId, animation) ||
      !ReadIndex(*this, *keyIn, animations[animation].size(), messages::kFrameNumber, key))
    return Failed(*out);
  // Ticks above 2^31 must stay positive, so the conversion is unsigned.
  const float ticks = static_cast<float>(animations[animation][key].GetTime());
  return Answer(*out, ticks / static_cast<float>(TICKS_PER_SECOND));
}

int SceneContainerInfo::GetAnimationMatrix(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, MatrixChannel>(*this);
  if (!children) return kFailed;
  auto [animationIn, keyIn, out] = *children;
  const auto& animations = scene.Animations();
  std::int32_t animation, key;
  if (!ReadIndex(*this, *animationIn, animations.size(), messages::kAnimationId, animation) ||
      !ReadIndex(*this, *keyIn, animations[animation].size(), messages::kFrameNumber, key))
    return Failed();
  return Answer(*out, animations[animation][key].GetKeyMatrix());
}

int SceneContainerInfo::GetAnimation(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MatrixCollectionChannel>(*this);
  if (!children) return kFailed;
  auto [animationIn, out] = *children;
  std::int32_t animation;
  if (!ReadIndex(*this, *animationIn, scene.Animations().size(), messages::kAnimationId, animation))
    return Failed();
  const Animation& keys = scene.Animations()[animation];
  // One allocation and one hand-over for the whole list; the collection
  // copies the records, so the array dies with this call.
  std::vector<AnimationKeyRecord> records(keys.size());
  for (std::size_t i = 0; i < keys.size(); ++i) {
    const Key& key = keys[i];
    const D3DXQUATERNION rotation = key.GetRotation();
    const D3DXVECTOR3 position = key.GetPosition();
    const D3DXVECTOR3 scale = key.GetScale();
    records[i] = {key.GetTime(), rotation.x, rotation.y, rotation.z, rotation.w,
                  position.x,    position.y, position.z, scale.x,    scale.y, scale.z};
  }
  out->SetKeyCollection(records.data(), static_cast<int>(records.size()), 0);
  return kOk;
}

}  // namespace Importing
