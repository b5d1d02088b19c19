#pragma once

#include <memory>
#include <string>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "host/value_channels.h"
#include "scene/scene_builder.h"
#include "scene/scene_container.h"

// A channel whose query statuses a test can see: Run calls the query of the
// current info type (looked up in the info-type table) and returns its status.
class ProbeChannel : public Importing::SceneContainerInfo {
 public:
  int Run() {
    const auto* scene = dynamic_cast<const Importing::SceneContainer*>(GetChild(0));
    if (scene == nullptr) return -2;
    switch (GetInfoType()) {
#define SCI_PROBE_CASE(value, name, query, ...) \
  case Importing::name:                         \
    return Call(&ProbeChannel::query, *scene);
        SCI_INFO_TYPE_TABLE(SCI_PROBE_CASE)
#undef SCI_PROBE_CASE
      default:
        return -2;
    }
  }

  using SceneContainerInfo::GetSceneHierarchy;

 private:
  using Query = int (SceneContainerInfo::*)(const Importing::SceneContainer&);
  using Hierarchy = int (SceneContainerInfo::*)(const Importing::SceneContainer&, int, std::string&, int);
  int Call(Query query, const Importing::SceneContainer& scene) { return (this->*query)(scene); }
  // The hierarchy writer starts at the root with an empty text.
  int Call(Hierarchy query, const Importing::SceneContainer& scene) {
    std::string text;
    return (this->*query)(scene, scene.GetRootNodeID(), text, 0);
  }
};

// One channel of a given info type in a host, with a scene container linked
// as child 0 and default channels in every other slot. Messages shown by the
// channel are collected in host.Messages().
struct QueryHarness {
  Host host;
  Importing::SceneContainer* scene;
  ProbeChannel* channel;

  explicit QueryHarness(Importing::SCI_INFO_TYPE type) {
    scene = static_cast<Importing::SceneContainer*>(host.Adopt(std::make_unique<Importing::SceneContainer>()));
    channel = static_cast<ProbeChannel*>(host.Adopt(std::make_unique<ProbeChannel>()));
    channel->SetInfoType(type);
    channel->LinkChild(0, scene, nullptr);
    host.CreateDefaultChildren(*channel);
  }

  void Fill(const Importing::SceneBuilder& builder) { builder.FillInto(*scene); }

  template <class Kind>
  Kind& Child(int index) {
    return *dynamic_cast<Kind*>(channel->GetChild(index));
  }
  ValueChannel& Value(int index) { return Child<ValueChannel>(index); }
  void SetInput(int index, float value) { Value(index).SetValue(value); }

  // Runs the query and returns its status; Messages() then holds what it showed.
  int Run() {
    host.ClearMessages();
    return channel->Run();
  }
  const std::vector<std::string>& Messages() const { return host.Messages(); }
};
