#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The surface queries: count, geometry, material and node of a surface, and
// the ID, type, UV set, amount and matrix of each of its texture maps.
namespace Importing {

using namespace query;

namespace {

// Reads and checks the surface ID, then the texture number against that
// surface's texture list. The entry, or null once the failed input's message
// has been shown; the texture number is not read when the surface ID fails.
const SurfaceTexture* ReadSurfaceTexture(const Orv_Channel& channel, const SceneContainer& scene,
                                         const ValueChannel& surfaceIn, const ValueChannel& numberIn) {
  std::int32_t surface, number;
  if (!ReadIndex(channel, surfaceIn, scene.Surfaces().size(), messages::kSurfaceId, surface)) return nullptr;
  const auto& textures = scene.Surfaces()[surface].Textures;
  if (!ReadIndex(channel, numberIn, textures.size(), messages::kTextureNumber, number)) return nullptr;
  return &textures[number];
}

}  // namespace

int SceneContainerInfo::GetSurfaceCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel>(*this);
  if (!children) return kFailed;
  auto [out] = *children;
  return Answer(*out, scene.Surfaces().size());
}

int SceneContainerInfo::GetSurfaceGeometryID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, out] = *children;
  std::int32_t surface;
  if (!ReadIndex(*this, *surfaceIn, scene.Surfaces().size(), messages::kSurfaceId, surface)) return Failed(*out);
  return Answer(*out, scene.Surfaces()[surface].GetGeometryID());
}

int SceneContainerInfo::GetSurfaceMaterialID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, out] = *children;
  std::int32_t surface;
  if (!ReadIndex(*this, *surfaceIn, scene.Surfaces().size(), messages::kSurfaceId, surface)) return Failed(*out);
  return Answer(*out, scene.Surfaces()[surface].GetMaterialID());
}

// The surface record names no node: the first node (lowest ID) whose surface
// list holds the surface owns it; none gives -1 and is no failure.
int SceneContainerInfo::GetSurfaceNodeID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, out] = *children;
  std::int32_t surface;
  if (!ReadIndex(*this, *surfaceIn, scene.Surfaces().size(), messages::kSurfaceId, surface)) return Failed(*out);
  return Answer(*out, FindOwnerNode(scene.Nodes(), &Node::SurfaceIDs, surface));
}

int SceneContainerInfo::GetSurfaceTextureCount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, out] = *children;
  std::int32_t surface;
  if (!ReadIndex(*this, *surfaceIn, scene.Surfaces().size(), messages::kSurfaceId, surface)) return Failed(*out);
  return Answer(*out, scene.Surfaces()[surface].Textures.size());
}

int SceneContainerInfo::GetSurfaceTextureID(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, numberIn, out] = *children;
  const SurfaceTexture* texture = ReadSurfaceTexture(*this, scene, *surfaceIn, *numberIn);
  if (texture == nullptr) return Failed(*out);
  return Answer(*out, texture->GetTextureID());
}

// On a bad surface ID or texture number the type becomes the empty text, as
// in the other text queries of surfaces, materials and cameras.
int SceneContainerInfo::GetSurfaceTextureType(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, TextChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, numberIn, out] = *children;
  const SurfaceTexture* texture = ReadSurfaceTexture(*this, scene, *surfaceIn, *numberIn);
  if (texture == nullptr) return Failed(*out);
  return Answer(*out, texture->GetTextureType());
}

int SceneContainerInfo::GetSurfaceTextureUVSet(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, numberIn, out] = *children;
  const SurfaceTexture* texture = ReadSurfaceTexture(*this, scene, *surfaceIn, *numberIn);
  if (texture == nullptr) return Failed(*out);
  return Answer(*out, texture->GetUVSet());
}

int SceneContainerInfo::GetSurfaceTextureAmount(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, ValueChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, numberIn, out] = *children;
  const SurfaceTexture* texture = ReadSurfaceTexture(*this, scene, *surfaceIn, *numberIn);
  if (texture == nullptr) return Failed(*out);
  return Answer(*out, texture->GetAmount());
}

int SceneContainerInfo::GetSurfaceTextureMatrix(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueChannel, MatrixChannel>(*this);
  if (!children) return kFailed;
  auto [surfaceIn, numberIn, out] = *children;
  const SurfaceTexture* texture = ReadSurfaceTexture(*this, scene, *surfaceIn, *numberIn);
  if (texture == nullptr) return Failed(*out);
  return Answer(*out, texture->GetTextureMatrix());
}

}  // namespace Importing
