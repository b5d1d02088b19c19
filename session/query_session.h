#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "scene/import/guarded_import.h"
#include "scene/scene_container.h"
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
  const Answer& Run(const QueryRequest& request);

  const Importing::SceneContainer& Scene() const { return *scene_; }

 private:
  // The channel of `info`, made and linked on first use; null when the
  // plug-in gave none.
  Importing::SceneContainerInfo* ChannelFor(const InfoTypeInfo& info);
  std::string MaterialName(float materialID);

  Host host_;
  Guid channelTypeId_;
  Importing::SceneContainer* scene_;
  std::array<Importing::SceneContainerInfo*, Importing::kInfoTypeCount> channels_{};
  Answer answer_;
};

}  // namespace sci
