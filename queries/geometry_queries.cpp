#include "channel/scene_container_info.h"
#include "host/mesh_channel.h"
#include "queries/query_support.h"

// The geometry and bounding-box queries: a whole geometry copied into a Mesh
// child, vertex and geometry counts, and the boxes of a geometry and of the
// scene. A bad geometry ID leaves every output as it was.
namespace Importing {

using namespace query;

namespace {

// The mesh's primitive-type code for a primitive size (point, line and
// triangle list), or 0 for a size that has none.
int PrimitiveTypeCode(std::int64_t primitiveSize) {
  switch (primitiveSize) {
    case 1: return 1;
    case 2: return 2;
    case 3: return 4;
    default: return 0;
  }
}

}  // namespace

int SceneContainerInfo::GetGeometry(const SceneContainer& scene) {
  auto children = Children<ValueChannel, MeshChannel>(*this);
  if (!children) return kFailed;
  auto [geometryIn, mesh] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *geometryIn, scene.Geometries().size(), messages::kGeometryId, id)) return Failed();
  const Geometry& geometry = scene.Geometries()[id];

  mesh->BeginMeshUpdate();
  // Any other size keeps the mesh's previous primitive type.
  if (const int code = PrimitiveTypeCode(geometry.GetPrimitiveSize())) mesh->SetPrimitiveType(code);
  mesh->SetVertexCount(static_cast<int>(geometry.Vertices.size()));
  // The elements of a vector<Vertex> are Vertex objects exactly, so the
  // getters are called directly rather than through the virtual table.
  for (std::size_t i = 0; i < geometry.Vertices.size(); ++i) {
    const Vertex& vertex = geometry.Vertices[i];
    const int number = static_cast<int>(i);
    mesh->SetVertexPosition(vertex.Vertex::GetPosition(), number);
    mesh->SetVertexNormal(vertex.Vertex::GetNormal(), number);
    const std::uint64_t sets = vertex.Vertex::GetUVSetCount();
    for (std::uint64_t set = 0; set < sets; ++set)
      mesh->SetVertexUV(static_cast<int>(set), vertex.Vertex::GetUV(set), number);
  }
  mesh->SetIndexCount(static_cast<int>(geometry.Indices.size()));
  for (std::size_t k = 0; k < geometry.Indices.size(); ++k) mesh->SetIndex(geometry.Indices[k], static_cast<int>(k));
  mesh->EndMeshUpdate();
  return kOk;
}

int SceneContainerInfo::GetGeometryVertexCount(const SceneContainer& scene) {
  return AnswerForID<ValueChannel>(*this, scene.Geometries(), messages::kGeometryId, kKeepOutput,
                                   [](const Geometry& geometry) { return geometry.Vertices.size(); });
}

int SceneContainerInfo::GetGeometryCount(const SceneContainer& scene) {
  return AnswerWithoutInput<ValueChannel>(*this, [&] { return scene.Geometries().size(); });
}

int SceneContainerInfo::GetGeometryBoundingBox(const SceneContainer& scene) {
  auto children = Children<ValueChannel, ValueVectorChannel, ValueVectorChannel>(*this);
  if (!children) return kFailed;
  auto [geometryIn, minOut, maxOut] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *geometryIn, scene.Geometries().size(), messages::kGeometryId, id)) return Failed();
  D3DXVECTOR3 min, max;
  scene.Geometries()[id].GetBoundingBox(min, max);
  Answer(*minOut, min);
  return Answer(*maxOut, max);
}

int SceneContainerInfo::GetSceneBoundingBox(const SceneContainer& scene) {
  auto children = Children<ValueVectorChannel, ValueVectorChannel>(*this);
  if (!children) return kFailed;
  auto [minOut, maxOut] = *children;
  D3DXVECTOR3 min, max;
  scene.GetBoundingBox(min, max);
  Answer(*minOut, min);
  return Answer(*maxOut, max);
}

}  // namespace Importing
