#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "session/node_names.h"
#include "session/query_session.h"

namespace sceneinfo {

// Memory from std::malloc or std::aligned_alloc, given back with std::free.
struct FreeMemory {
  void operator()(void* memory) const { std::free(memory); }
};
template <class T>
using Buffer = std::unique_ptr<T[], FreeMemory>;

// One geometry copied out of the host mesh the geometry query filled: flat
// row-major arrays, left uninitialised until written so that a large mesh is
// touched once, and handed on to NumPy without another copy.
struct GeometryArrays {
  int primitiveType = 0;  // 1 point list, 2 line list, 4 triangle list
  std::size_t vertexCount = 0;
  std::size_t indexCount = 0;
  Buffer<float> positions;  // vertexCount x 3
  Buffer<float> normals;    // vertexCount x 3
  // Each vertexCount x 2, as many as the vertex with the most sets has;
  // (0, 0) where a vertex lacks a set.
  std::vector<Buffer<float>> uvSets;
  Buffer<std::uint32_t> indices;
};

// Why a scene could not be opened.
enum class OpenFailure { None, Plugin, Scene };

// A scene imported into a host with the plug-in loaded, answering through
// the plug-in's channels. Every call is serialised by the handle's own lock,
// since the plug-in takes one caller at a time; handles of different scenes
// run in parallel. No method calls into Python, so callers may drop the GIL.
class SceneHandle {
 public:
  // Loads the plug-in at `pluginPath` (one load at a time in the process)
  // and imports `path` as sci does: in the import helper under `options`'
  // limits, through the snapshot cache. Null on failure, with the reason in
  // `error` and its kind in `failure`.
  static std::unique_ptr<SceneHandle> Open(const std::string& path, const std::string& pluginPath,
                                           const Importing::GuardedImportOptions& options, std::string* error,
                                           OpenFailure* failure);

  // Runs `request` and hands its answer to `use` while the scene stays
  // locked. Node IDs given by name are looked up first, as sci does; false,
  // with the reason in `error`, when no node has such a name.
  template <class Use>
  bool Query(sci::QueryRequest& request, std::string* error, Use use) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!sci::ResolveNodeNames(*session_, request, error)) return false;
    use(session_->Run(request));
    return true;
  }
  // The scene's summary as sci --json writes it when given no query.
  std::string SummaryJson();
  // The node tree as sci --tree --format json writes it; what the channel
  // showed while the tree was asked goes to `messages`.
  std::string TreeJson(std::vector<std::string>* messages);
  // Runs the geometry query for `geometryID` and copies the mesh into
  // `arrays`. False when the channel showed a message, given in `messages`.
  bool Geometry(float geometryID, GeometryArrays* arrays, std::vector<std::string>* messages);

  // The file names the scene gave its embedded images, by N of "*N" (empty
  // where it gave none). False, with the reason in `error`, when the part of
  // the snapshot that holds them cannot be read.
  bool EmbeddedImageNames(std::vector<std::string>* names, std::string* error);

  ~SceneHandle();
  SceneHandle(const SceneHandle&) = delete;
  SceneHandle& operator=(const SceneHandle&) = delete;

  const std::string& Path() const { return path_; }

 private:
  explicit SceneHandle(std::string path) : path_(std::move(path)) {}

  std::mutex mutex_;
  std::string path_;
  // Made and destroyed under the plug-in lock, since it loads and unloads
  // the plug-in library.
  std::unique_ptr<sci::QuerySession> session_;
};

}  // namespace sceneinfo
