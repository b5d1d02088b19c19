#include "scene/scene_builder.h"

namespace Importing {

namespace {
template <class T>
int Append(std::vector<T>& collection, T record) {
  collection.push_back(std::move(record));
  return static_cast<int>(collection.size()) - 1;
}
}  // namespace

int SceneBuilder::AddNode(std::string name, int parent, const D3DXMATRIX& local) {
  const int id = Append(data_.nodes, Node(std::move(name), local));
  if (parent >= 0)
    data_.nodes[static_cast<std::size_t>(parent)].ChildIDs.push_back(id);
  else if (data_.rootNodeID < 0)
    data_.rootNodeID = id;
  return id;
}

int SceneBuilder::AddGeometry(Geometry geometry) {
  geometry.UpdateBoundingBox();
  return Append(data_.geometries, std::move(geometry));
}

int SceneBuilder::AddMaterial(Material material) { return Append(data_.materials, std::move(material)); }

int SceneBuilder::AddTexture(std::string path) { return Append(data_.texturePaths, std::move(path)); }

int SceneBuilder::AddSurface(int node, int geometry, int material, std::vector<SurfaceTexture> textures) {
  Surface surface(geometry, material);
  surface.Textures = std::move(textures);
  const int id = Append(data_.surfaces, std::move(surface));
  if (node >= 0) data_.nodes[static_cast<std::size_t>(node)].SurfaceIDs.push_back(static_cast<std::uint32_t>(id));
  return id;
}

int SceneBuilder::AddCamera(int node, Camera camera) {
  const int id = Append(data_.cameras, std::move(camera));
  if (node >= 0) data_.nodes[static_cast<std::size_t>(node)].CameraIDs.push_back(static_cast<std::uint32_t>(id));
  return id;
}

int SceneBuilder::AddLight(int node, Light light) {
  const int id = Append(data_.lights, std::move(light));
  if (node >= 0) data_.nodes[static_cast<std::size_t>(node)].LightIDs.push_back(static_cast<std::uint32_t>(id));
  return id;
}

int SceneBuilder::AddAnimation(Animation keys, int node) {
  const int id = Append(data_.animations, std::move(keys));
  if (node >= 0) data_.nodes[static_cast<std::size_t>(node)].SetAnimationID(id);
  return id;
}

void SceneBuilder::FillInto(SceneContainer& container) const { container.Fill(data_); }

}  // namespace Importing
