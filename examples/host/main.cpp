// sci-example-host SCENE: loads the SceneContainerInfo plug-in through the
// host framework, imports SCENE, asks a few queries, then saves its channels
// as a project file and loads them back into a second host.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "host/value_channels.h"
#include "scene/import/scene_importer.h"
#include "scene/scene_container.h"

using Importing::SceneContainerInfo;

namespace {

int Fail(const std::string& message, int code) {
  std::fprintf(stderr, "sci-example-host: %s\n", message.c_str());
  return code;
}

// A channel of the plug-in's type set to `type`, the scene linked as child 0
// and default channels for its inputs and outputs.
SceneContainerInfo* MakeChannel(Host& host, const Guid& typeId, Importing::SceneContainer* scene,
                                Importing::SCI_INFO_TYPE type) {
  // The plug-in's channels are SceneContainerInfo objects, reached through
  // their virtual table only.
  auto* channel = static_cast<SceneContainerInfo*>(host.CreateChannel(typeId));
  if (channel == nullptr) return nullptr;
  channel->SetInfoType(type);
  channel->LinkChild(0, scene, nullptr);
  host.CreateDefaultChildren(*channel);
  return channel;
}

const char* TextOf(Orv_Channel* child) {
  const char* text = child ? static_cast<TextChannel*>(child)->GetText() : nullptr;
  return text ? text : "";
}

float ValueOf(Orv_Channel* child) { return child ? static_cast<ValueChannel*>(child)->GetValue() : -1.0f; }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) return Fail("usage: sci-example-host SCENE", 2);
  const std::string scenePath = argv[1];

  Host host;
  std::string error;
  const ChannelType* type = host.LoadPlugin(EXAMPLE_PLUGIN_PATH, &error);
  if (type == nullptr) return Fail(error, 4);
  auto* scene = static_cast<Importing::SceneContainer*>(host.Adopt(std::make_unique<Importing::SceneContainer>()));
  if (!Importing::ImportScene(scenePath, *scene, &error)) return Fail(error, 3);

  SceneContainerInfo* count = MakeChannel(host, type->typeId, scene, Importing::SCI_NODE_COUNT);
  SceneContainerInfo* root = MakeChannel(host, type->typeId, scene, Importing::SCI_ROOT_NODE);
  SceneContainerInfo* name = MakeChannel(host, type->typeId, scene, Importing::SCI_NODE_NAME);
  SceneContainerInfo* tree = MakeChannel(host, type->typeId, scene, Importing::SCI_SCENE_HIERARCHY);
  if (!count || !root || !name || !tree) return Fail("the plug-in could not create a channel", 4);

  count->CallChannel();
  root->CallChannel();
  static_cast<ValueChannel*>(name->GetChild(1))->SetValue(ValueOf(root->GetChild(1)));
  name->CallChannel();
  tree->CallChannel();
  std::printf("nodes: %g\nroot: %g \"%s\"\n", ValueOf(count->GetChild(1)), ValueOf(root->GetChild(1)),
              TextOf(name->GetChild(2)));
  std::printf("hierarchy:\n%s", TextOf(tree->GetChild(1)));
  for (const std::string& message : host.Messages()) std::printf("message: %s\n", message.c_str());

  // Save the four channels' settings and load them into a second host.
  const std::string project =
      (std::filesystem::temp_directory_path() / ("sci-example-host-" + std::to_string(::getpid()) + ".orv")).string();
  const std::vector<Orv_Channel*> saved = {count, root, name, tree};
  if (!host.SaveProject(project, saved, &error)) return Fail(error, 1);
  Host other;
  std::vector<Orv_Channel*> loaded;
  const bool reloaded = other.LoadPlugin(EXAMPLE_PLUGIN_PATH, &error) && other.LoadProject(project, &loaded, &error);
  std::filesystem::remove(project);
  if (!reloaded) return Fail(error, 1);
  if (loaded.size() != saved.size()) return Fail("the project came back with another channel count", 1);
  for (std::size_t i = 0; i < loaded.size(); ++i)
    if (static_cast<SceneContainerInfo*>(loaded[i])->GetInfoType() !=
        static_cast<SceneContainerInfo*>(saved[i])->GetInfoType())
      return Fail("channel " + std::to_string(i) + " came back with another info type", 1);
  std::printf("project: %zu channels saved and loaded back\n", loaded.size());
  return 0;
}
