#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channel/info_types.h"
#include "channel/scene_container_info.h"
#include "host/host.h"
#include "query_cases.h"
#include "scene/scene_builder.h"

// Every info type, run through the plug-in as a host loads it, on one scene in
// which input 0 (and the root's name) is valid everywhere: each must write
// all its outputs and show no message.
using namespace Importing;

namespace {

SceneBuilder EverythingScene() {
  SceneBuilder b;
  const int root = b.AddNode("root");
  b.AddNode("child", root);
  Geometry triangle(3);
  triangle.Vertices = {Vertex({0, 0, 0}, {0, 0, 1}), Vertex({1, 0, 0}, {0, 0, 1}), Vertex({0, 1, 0}, {0, 0, 1})};
  triangle.Indices = {0, 1, 2};
  const int geometry = b.AddGeometry(triangle);
  const int material = b.AddMaterial(Material("paint"));
  const int texture = b.AddTexture("wood.png");
  b.AddSurface(root, geometry, material, {SurfaceTexture(texture, "diffuse", 0, 0.5f)});
  Camera camera;
  camera.SetName("eye");
  camera.SetFov(1, 0.75f);
  camera.SetClipping(0.1f, 100);
  b.AddCamera(root, camera);
  Light light;
  light.SetName("sun");
  b.AddLight(root, light);
  b.AddAnimation({Key(), Key(2400, {1, 0, 0}, {}, {1, 1, 1})}, root);
  return b;
}

class PluginInfoTypes : public testing::TestWithParam<int> {};

}  // namespace

TEST_P(PluginInfoTypes, WritesEveryOutputWithoutMessage) {
  const auto type = static_cast<SCI_INFO_TYPE>(GetParam());
  Host host;
  std::string error;
  const ChannelType* pluginType = host.LoadPlugin(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(pluginType, nullptr) << error;
  auto* channel = static_cast<SceneContainerInfo*>(host.CreateChannel(pluginType->typeId));
  ASSERT_NE(channel, nullptr);
  channel->SetInfoType(type);

  auto* scene = static_cast<SceneContainer*>(host.Adopt(std::make_unique<SceneContainer>()));
  EverythingScene().FillInto(*scene);
  ASSERT_TRUE(channel->LinkChild(0, scene, &error)) << error;
  host.CreateDefaultChildren(*channel);

  const InfoTypeInfo& info = kInfoTypes[type];
  for (int i = 1; i <= FurtherChildCount(info); ++i) {
    Orv_Channel* child = channel->GetChild(i);
    ASSERT_NE(child, nullptr) << "child " << i;
    if (IsOutputChild(info, i)) {
      query_cases::Preset(*child);
    } else if (auto* text = dynamic_cast<TextChannel*>(child)) {
      text->SetText("root");
    } else {
      dynamic_cast<ValueChannel&>(*child).SetValue(0);
    }
  }
  const std::vector<int> outputs = query_cases::OutputIndices(type);
  std::vector<std::string> before;
  for (int i : outputs) before.push_back(query_cases::Describe(*channel->GetChild(i)));

  channel->CallChannel();

  EXPECT_THAT(host.Messages(), testing::IsEmpty());
  for (std::size_t k = 0; k < outputs.size(); ++k)
    EXPECT_NE(query_cases::Describe(*channel->GetChild(outputs[k])), before[k])
        << "output " << outputs[k] << " was not written";
}

INSTANTIATE_TEST_SUITE_P(AllInfoTypes, PluginInfoTypes, testing::Range(0, kInfoTypeCount),
                         [](const testing::TestParamInfo<int>& param) {
                           return std::string(kInfoTypes[param.param].name);
                         });
