#include <vector>

#include "channel/scene_container_info.h"
#include "host/matrix_collection_channel.h"
#include "queries/query_support.h"

// The animation queries: count, key count, time and matrix of one key, and
// the whole key list handed to a Matrix collection child.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetAnimationCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Animations().size(); });
}

int SceneContainerInfo::GetAnimationKeyCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Animations(), messages::kAnimationId, kWriteFailureValue,
                                   [](const Animation& keys) { return keys.size(); });
}

// Ticks above 2^31 must stay positive, so the conversion is unsigned.
int SceneContainerInfo::GetAnimationTime(const SceneContainer& scene) {
  return AnswerForElement<ValueChannel>(
      *this, scene.Animations(), messages::kAnimationId, AsIs{}, messages::kFrameNumber, kWriteFailureValue,
      [](const Key& key) { return static_cast<float>(key.GetTime()) / static_cast<float>(TICKS_PER_SECOND); });
}

int SceneContainerInfo::GetAnimationMatrix(const SceneContainer& scene) {
  return AnswerForElement<MatrixChannel>(*this, scene.Animations(), messages::kAnimationId, AsIs{},
                                         messages::kFrameNumber, kKeepOutput, &Key::GetKeyMatrix);
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
