#include "python/scene_handle.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "host/mesh_channel.h"
#include "scene/scene_parts.h"
#include "session/scene_tree.h"
#include "session/summary.h"

namespace sceneinfo {

namespace {

// Plug-in libraries are opened, asked for their type and closed one at a
// time in the whole process, whichever scene does it.
std::mutex& PluginMutex() {
  static std::mutex mutex;
  return mutex;
}

// Uninitialised memory for `count` elements: every element is written
// once by the copy, so clearing it first would only cost time.
template <class T>
Buffer<T> Allocate(std::size_t count) {
  Buffer<T> buffer(static_cast<T*>(std::malloc(std::max<std::size_t>(1, count * sizeof(T)))));
  if (!buffer) throw std::bad_alloc();
  return buffer;
}

void CopyMesh(const MeshChannel& mesh, GeometryArrays* arrays) {
  const auto& vertices = mesh.GetVertices();
  const std::size_t count = vertices.size();
  arrays->primitiveType = mesh.GetPrimitiveType();
  arrays->vertexCount = count;
  arrays->positions = Allocate<float>(count * 3);
  arrays->normals = Allocate<float>(count * 3);
  arrays->uvSets.clear();
  std::vector<float*> uvs;
  float* position = arrays->positions.get();
  float* normal = arrays->normals.get();
  // One pass over the vertices; a UV set first met at vertex i gets its
  // array then, with (0, 0) for the vertices before.
  for (std::size_t i = 0; i < count; ++i) {
    const MeshChannel::Vertex& vertex = vertices[i];
    std::memcpy(position + 3 * i, &vertex.position, sizeof vertex.position);
    std::memcpy(normal + 3 * i, &vertex.normal, sizeof vertex.normal);
    const std::size_t sets = vertex.uvs.size();
    while (uvs.size() < sets) {
      arrays->uvSets.push_back(Allocate<float>(count * 2));
      uvs.push_back(arrays->uvSets.back().get());
      std::fill(uvs.back(), uvs.back() + 2 * i, 0.0f);
    }
    for (std::size_t set = 0; set < uvs.size(); ++set) {
      const D3DXVECTOR2 uv = set < sets ? vertex.uvs[set] : D3DXVECTOR2{};
      uvs[set][2 * i] = uv.x;
      uvs[set][2 * i + 1] = uv.y;
    }
  }
  const auto& indices = mesh.GetIndices();
  arrays->indexCount = indices.size();
  arrays->indices = Allocate<std::uint32_t>(indices.size());
  if (!indices.empty()) std::memcpy(arrays->indices.get(), indices.data(), indices.size() * sizeof indices[0]);
}

}  // namespace

std::unique_ptr<SceneHandle> SceneHandle::Open(const std::string& path, const std::string& pluginPath,
                                               const Importing::GuardedImportOptions& options, std::string* error,
                                               OpenFailure* failure) {
  std::unique_ptr<SceneHandle> handle(new SceneHandle(path));
  {
    std::lock_guard<std::mutex> lock(PluginMutex());
    handle->session_ = std::make_unique<sci::QuerySession>();
    if (!handle->session_->LoadPlugin(pluginPath, error)) {
      *failure = OpenFailure::Plugin;
      return nullptr;
    }
  }
  if (!handle->session_->LoadScene(path, error, {}, options)) {
    if (error->empty()) *error = "cannot read \"" + path + "\"";
    *failure = OpenFailure::Scene;
    return nullptr;
  }
  *failure = OpenFailure::None;
  return handle;
}

SceneHandle::~SceneHandle() {
  std::lock_guard<std::mutex> lock(PluginMutex());
  session_.reset();
}

std::string SceneHandle::SummaryJson() {
  std::lock_guard<std::mutex> lock(mutex_);
  return sci::SummaryJson(sci::Summarize(*session_, path_));
}

std::string SceneHandle::TreeJson(std::vector<std::string>* messages) {
  std::lock_guard<std::mutex> lock(mutex_);
  const sci::SceneTree tree = sci::BuildSceneTree(*session_);
  *messages = tree.messages;
  return sci::SceneTreeJson(path_, tree);
}

bool SceneHandle::EmbeddedImageNames(std::vector<std::string>* names, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!session_->Load(Importing::kSourcePart, Importing::kNoGeometry, error)) return false;
  *names = session_->Scene().Source().embeddedImageNames;
  return true;
}

bool SceneHandle::Geometry(float geometryID, GeometryArrays* arrays, std::vector<std::string>* messages) {
  std::lock_guard<std::mutex> lock(mutex_);
  sci::QueryRequest request;
  request.info = Importing::FindInfoType(Importing::SCI_GEOMETRY);
  request.inputs.push_back({sci::Inputs(*request.info).at(0), geometryID, {}});
  const sci::Answer& result = session_->Run(request);
  *messages = result.messages;
  const MeshChannel* const* mesh = sci::FirstOutput<const MeshChannel*>(result);
  if (mesh == nullptr) messages->push_back("The host could not create the mesh.");
  if (!messages->empty()) return false;
  CopyMesh(**mesh, arrays);
  return true;
}

}  // namespace sceneinfo
