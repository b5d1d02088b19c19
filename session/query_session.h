#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "scene/import/guarded_import.h"
#include "scene/scene_container.h"
#include "session/query_request.h"

namespace sci {

// One output child of a query that has run; valid until the next run of a
// query of the same info type.
struct QueryOutput {
  QueryChild child;
  const Orv_Channel* channel = nullptr;  // null when the host could not make the child
};

struct QueryResult {
  const QueryRequest* request = nullptr;
  std::vector<QueryOutput> outputs;
  std::vector<std::string> messages;  // debug messages shown by the channel
  // For a Material output: the material's name, asked through the plug-in
  // with the same material ID; empty when that query failed.
  std::string materialName;
};

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

  // Runs one query. Its outputs start from a fresh child's state, so a
  // result never shows what an earlier query left behind.
  const QueryResult& Run(const QueryRequest& request);

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
  QueryResult result_;
};

}  // namespace sci
