#pragma once

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "scene/import/guarded_import.h"
#include "scene/scene_container.h"
#include "scene/scene_parts.h"
#include "scene/snapshot/snapshot_reader.h"
#include "session/answer.h"
#include "session/query_request.h"

namespace sci {

// A host with the plug-in loaded and one imported scene. Queries run through
// the plug-in's channel, one channel per info type, made on first use and
// reused, all linked to the same scene container.
class QuerySession {
 public:
  QuerySession();

  // Loads the plug-in library; false with the reason in `error`.
  bool LoadPlugin(const std::string& path, std::string* error);
  // Imports `path` into the scene container through the guarded, cached
  // import under `options`; false with the reason in `error`. `progress`
  // receives the fraction done and may be empty.
  bool LoadScene(const std::string& path, std::string* error, std::function<void(float)> progress,
                 Importing::GuardedImportOptions options = {});

  // Runs one query and reads its answer. Its outputs start from a fresh
  // child's state, so an answer never shows what an earlier query left.
  // The scene container is first given what the query reads, from the
  // snapshot, and keeps it for later queries.
  const Answer& Run(const QueryRequest& request);

  // Makes the scene container hold `parts` and the vertices of `geometry`
  // (see SnapshotReader::Load) for a host that reads the container itself.
  // Once a part of the snapshot has failed its check, this and every later
  // call fail with its message (and Run answers nothing but it); the cache
  // entry is then removed, so that the next run imports the file afresh.
  bool Load(Importing::ScenePartSet parts, std::int64_t geometry, std::string* error);

  // The scene container, holding what earlier calls loaded.
  const Importing::SceneContainer& Scene() const { return *scene_; }
  // Bytes of the snapshot read so far.
  std::uint64_t SnapshotBytesRead() const { return reader_->BytesRead(); }

 private:
  // The channel of `info`, made and linked on first use; null when the
  // plug-in gave none.
  Importing::SceneContainerInfo* ChannelFor(const InfoTypeInfo& info);
  std::string MaterialName(float materialID);
  // Loads what `request` reads; false with the snapshot's message in `error`.
  bool LoadFor(const QueryRequest& request, std::string* error);

  Host host_;
  Guid channelTypeId_;
  Importing::SceneContainer* scene_;
  std::array<Importing::SceneContainerInfo*, Importing::kInfoTypeCount> channels_{};
  Answer answer_;
  std::unique_ptr<Importing::SnapshotReader> reader_;
  std::string cacheEntry_;  // empty when nothing is kept
  std::string broken_;      // the snapshot's message once a part failed its check
};

}  // namespace sci
