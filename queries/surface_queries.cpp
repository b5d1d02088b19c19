#include "channel/scene_container_info.h"
#include "queries/query_support.h"

// The surface queries: count, geometry, material and node of a surface, and
// the ID, type, UV set, amount and matrix of each of its texture maps.
namespace Importing {

using namespace query;

int SceneContainerInfo::GetSurfaceCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Surfaces().size(); });
}

int SceneContainerInfo::GetSurfaceGeometryID(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Surfaces(), messages::kSurfaceId, kWriteFailureValue,
                                   &Surface::GetGeometryID);
}

int SceneContainerInfo::GetSurfaceMaterialID(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Surfaces(), messages::kSurfaceId, kWriteFailureValue,
                                   &Surface::GetMaterialID);
}

// The surface record names no node: the first node (lowest ID) whose surface
// list holds the surface owns it; none gives -1 and is no failure.
int SceneContainerInfo::GetSurfaceNodeID(const SceneContainer& scene) {
  return AnswerForIndex<ValueChannel>(
      *this, scene.Surfaces().size(), messages::kSurfaceId, kWriteFailureValue,
      [&](std::int32_t surface) { return FindOwnerNode(scene.Nodes(), &Node::SurfaceIDs, surface); });
}

int SceneContainerInfo::GetSurfaceTextureCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Surfaces(), messages::kSurfaceId, kWriteFailureValue,
                                   [](const Surface& surface) { return surface.Textures.size(); });
}

namespace {

// The texture-map queries: a surface ID, then a number into its texture list.
template <class Output, class Answerer>
int AnswerForSurfaceTexture(const Orv_Channel& channel, const SceneContainer& scene, Answerer answer) {
  return AnswerForElement<Output>(channel, scene.Surfaces(), messages::kSurfaceId, &Surface::Textures,
                                  messages::kTextureNumber, kWriteFailureValue, answer);
}

}  // namespace

int SceneContainerInfo::GetSurfaceTextureID(const SceneContainer& scene) {
  return AnswerForSurfaceTexture<ValueChannel>(*this, scene, &SurfaceTexture::GetTextureID);
}

// On a bad surface ID or texture number the type becomes the empty text, as
// in the other text queries of surfaces, materials and cameras.
int SceneContainerInfo::GetSurfaceTextureType(const SceneContainer& scene) {
  return AnswerForSurfaceTexture<TextChannel>(*this, scene, &SurfaceTexture::GetTextureType);
}

int SceneContainerInfo::GetSurfaceTextureUVSet(const SceneContainer& scene) {
  return AnswerForSurfaceTexture<ValueChannel>(*this, scene, &SurfaceTexture::GetUVSet);
}

int SceneContainerInfo::GetSurfaceTextureAmount(const SceneContainer& scene) {
  return AnswerForSurfaceTexture<ValueChannel>(*this, scene, &SurfaceTexture::GetAmount);
}

int SceneContainerInfo::GetSurfaceTextureMatrix(const SceneContainer& scene) {
  return AnswerForSurfaceTexture<MatrixChannel>(*this, scene, &SurfaceTexture::GetTextureMatrix);
}

}  // namespace Importing
