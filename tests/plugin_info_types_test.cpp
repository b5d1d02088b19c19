#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "channel/info_types.h"
#include "channel/scene_container_info.h"
#include "host/host.h"
#include "query_cases.h"
#include "query_harness.h"
#include "scene/scene_builder.h"

// Every info type on one scene in which input 0 (and the root's name) is
// valid everywhere: run through the plug-in as a host loads it, each must
// write all its outputs and show no message; with any one child missing it
// must fail silently and leave the other outputs alone.
using namespace Importing;

namespace {

// Sets every input of `channel` to a valid value and every output to a
// value no query writes.
void PrepareChildren(Orv_Channel& channel, const InfoTypeInfo& info) {
  for (int i = 1; i <= FurtherChildCount(info); ++i) {
    Orv_Channel* child = channel.GetChild(i);
    if (child == nullptr) continue;
    if (IsOutputChild(info, i)) {
      query_cases::Preset(*child);
    } else if (auto* text = dynamic_cast<TextChannel*>(child)) {
      text->SetText("root");
    } else {
      dynamic_cast<ValueChannel&>(*child).SetValue(0);
    }
  }
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
  query_cases::EverythingScene().FillInto(*scene);
  ASSERT_TRUE(channel->LinkChild(0, scene, &error)) << error;
  host.CreateDefaultChildren(*channel);

  const InfoTypeInfo& info = kInfoTypes[type];
  for (int i = 1; i <= FurtherChildCount(info); ++i) ASSERT_NE(channel->GetChild(i), nullptr) << "child " << i;
  PrepareChildren(*channel, info);
  const std::vector<int> outputs = query_cases::OutputIndices(type);
  std::vector<std::string> before;
  for (int i : outputs) before.push_back(query_cases::Describe(*channel->GetChild(i)));

  channel->CallChannel();

  EXPECT_THAT(host.Messages(), testing::IsEmpty());
  for (std::size_t k = 0; k < outputs.size(); ++k)
    EXPECT_NE(query_cases::Describe(*channel->GetChild(outputs[k])), before[k])
        << "output " << outputs[k] << " was not written";
}

TEST_P(PluginInfoTypes, AMissingChildFailsSilentlyAndKeepsTheOtherOutputs) {
  const auto type = static_cast<SCI_INFO_TYPE>(GetParam());
  const InfoTypeInfo& info = kInfoTypes[type];
  for (int missing = 1; missing <= FurtherChildCount(info); ++missing) {
    SCOPED_TRACE("without child " + std::to_string(missing));
    QueryHarness h(type);
    h.Fill(query_cases::EverythingScene());
    PrepareChildren(*h.channel, info);
    const std::string before = query_cases::Outputs(*h.channel, type);
    Orv_Channel* removed = h.channel->GetChild(missing);
    h.channel->UnlinkChild(missing);
    EXPECT_EQ(h.Run(), -1);
    EXPECT_THAT(h.Messages(), testing::IsEmpty());
    h.channel->LinkChild(missing, removed, nullptr);
    EXPECT_EQ(query_cases::Outputs(*h.channel, type), before);
  }
}

INSTANTIATE_TEST_SUITE_P(AllInfoTypes, PluginInfoTypes, testing::Range(0, kInfoTypeCount),
                         [](const testing::TestParamInfo<int>& param) {
                           return std::string(kInfoTypes[param.param].name);
                         });
