#pragma once

#include <string>
#include <vector>

#include "host/host.h"
#include "scene/scene_container.h"

namespace crosscheck {

// A host with the plug-in loaded through its exports and one scene container,
// asking the plug-in's channels the cross-check questions. Both sides of the
// cross check answer through this class, so that equal scenes and equal
// plug-ins give equal lines.
class AnswerSession {
 public:
  AnswerSession();

  // Loads the plug-in library at `path`; false with the reason in `error`.
  bool LoadPlugin(const std::string& path, std::string* error);

  // The scene the questions are about; fill it before Answer.
  Importing::SceneContainer& Scene() { return *scene_; }
  Host& GetHost() { return host_; }
  const Guid& ChannelTypeId() const { return typeId_; }

  // The answers, one JSON line each: the channel type record, a new
  // channel's state, then per info type the child layout and the answer to
  // each question about the scene (see QuestionsFor).
  std::vector<std::string> Answer();

 private:
  Host host_;
  Importing::SceneContainer* scene_;
  const ChannelType* type_ = nullptr;
  Guid typeId_;
};

}  // namespace crosscheck
