#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "scene/scene_builder.h"

using namespace Importing;

namespace {

// Records which query the channel dispatched to, by name.
class RecordingChannel : public SceneContainerInfo {
 public:
  std::vector<std::string> called;

#define SCI_RECORD_QUERY(value, name, query, ...) \
  int query(const SceneContainer&) { return Record(#query); }
  SCI_INFO_TYPE_TABLE(SCI_RECORD_QUERY)
#undef SCI_RECORD_QUERY

  int GetSceneHierarchy(const SceneContainer&, int nodeID, std::string& text, int depth) override {
    EXPECT_TRUE(text.empty());
    EXPECT_EQ(depth, 0);
    lastRoot = nodeID;
    return Record("GetSceneHierarchy");
  }
  int lastRoot = -2;

 private:
  int Record(const char* name) {
    called.emplace_back(name);
    return 0;
  }
};

}  // namespace

TEST(SceneContainerInfoChannel, TheFlagAndCopiesLayNoChildrenOut) {
  SceneContainerInfo source;
  source.SetInfoType(SCI_NODE_SURFACE_COUNT);
  HostContext context;
  int calls = 0;
  context.ChildDeclarationObserver = [&](const Orv_Channel&, int, const ChildCreation*) { ++calls; };
  source.SetHostContext(&context);
  source.SetUpdateChannelName(true);  // a flag only: no new layout
  SceneContainerInfo copy(source);
  EXPECT_EQ(copy.GetInfoType(), SCI_NODE_SURFACE_COUNT);
  EXPECT_TRUE(copy.GetUpdateChannelName());
  SceneContainerInfo assigned;
  assigned.SetHostContext(&context);
  assigned = source;
  EXPECT_EQ(assigned.GetInfoType(), SCI_NODE_SURFACE_COUNT);
  EXPECT_TRUE(assigned.GetUpdateChannelName());
  EXPECT_EQ(calls, 0);
}

class ChannelDispatch : public testing::Test {
 protected:
  Host host;
  SceneContainer* scene = static_cast<SceneContainer*>(host.Adopt(std::make_unique<SceneContainer>()));
  RecordingChannel* channel = static_cast<RecordingChannel*>(host.Adopt(std::make_unique<RecordingChannel>()));

  void Use(std::int32_t type) {
    channel->SetInfoType(static_cast<SCI_INFO_TYPE>(type));
    ASSERT_TRUE(channel->LinkChild(0, scene, nullptr));
    channel->called.clear();
  }
};

TEST_F(ChannelDispatch, EachInfoTypeRunsExactlyTheQueryOfItsTableRow) {
  SceneBuilder builder;
  builder.AddNode("root");
  builder.FillInto(*scene);
  for (const InfoTypeInfo& info : kInfoTypes) {
    Use(info.value);
    channel->CallChannel();
    EXPECT_EQ(channel->called, std::vector<std::string>{info.query}) << info.name;
  }
  EXPECT_EQ(channel->lastRoot, 0);
}

TEST_F(ChannelDispatch, NothingRunsWithoutTheContainerOrOutsideTheTable) {
  SceneBuilder builder;
  builder.AddNode("root");
  builder.FillInto(*scene);
  Use(SCI_NODE_COUNT);
  channel->UnlinkChild(0);
  channel->CallChannel();
  EXPECT_TRUE(channel->called.empty());

  for (const std::int32_t type : {69, 1000, -1}) {
    Use(type);
    EXPECT_EQ(channel->GetInfoType(), type);
    EXPECT_EQ(channel->ChildSlots().size(), 1u);
    channel->CallChannel();
    EXPECT_TRUE(channel->called.empty()) << type;
  }
  EXPECT_TRUE(host.Messages().empty());
}

TEST_F(ChannelDispatch, TheHierarchyIsNotWrittenWithoutARoot) {
  Use(SCI_SCENE_HIERARCHY);  // an empty scene: root -1
  channel->CallChannel();
  EXPECT_TRUE(channel->called.empty());
}

TEST_F(ChannelDispatch, ASlotKeepsItsChannelOnlyWhileItsKindStaysTheSame) {
  Use(SCI_NODE_COUNT);
  host.CreateDefaultChildren(*channel);
  Orv_Channel* value = channel->GetChild(1);
  ASSERT_NE(value, nullptr);
  channel->SetInfoType(SCI_NODE_CHILD);  // slot 1 is a Value again
  EXPECT_EQ(channel->GetChild(0), scene);
  EXPECT_EQ(channel->GetChild(1), value);
  EXPECT_EQ(channel->GetChild(2), nullptr);
  channel->SetInfoType(SCI_NODE_ID);  // slot 1 becomes a Text
  EXPECT_EQ(channel->GetChild(0), scene);
  EXPECT_EQ(channel->GetChild(1), nullptr);
  std::string error;
  EXPECT_FALSE(channel->LinkChild(1, value, &error));
  EXPECT_NE(error.find("must be of kind \"Text\""), std::string::npos) << error;
}
