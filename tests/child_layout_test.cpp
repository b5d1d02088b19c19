#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "channel/info_types.h"
#include "channel/scene_container_info.h"

using namespace Importing;

namespace {

// Every child declaration call a channel makes, as the host sees it.
struct Call {
  int countOrIndex;
  bool isCount;
  ChildCreation declaration;
};

struct Recorder {
  HostContext context;
  std::vector<Call> calls;
  Recorder() {
    context.ChildDeclarationObserver = [this](const Orv_Channel&, int value, const ChildCreation* declaration) {
      calls.push_back({value, declaration == nullptr, declaration ? *declaration : ChildCreation()});
    };
  }
};

std::vector<Call> LayoutOf(std::int32_t type) {
  Recorder recorder;
  SceneContainerInfo channel;
  channel.SetHostContext(&recorder.context);
  channel.SetInfoType(static_cast<SCI_INFO_TYPE>(type));
  return recorder.calls;
}

void ExpectDeclares(const Call& call, int index, ChildKind kind, const char* label) {
  ASSERT_FALSE(call.isCount);
  EXPECT_EQ(call.countOrIndex, index);
  const ChildCreation& d = call.declaration;
  EXPECT_EQ(d.childIndex, index);
  EXPECT_STREQ(d.type.name, KindInfo(kind).name);
  EXPECT_EQ(d.type.typeId, KindInfo(kind).typeId);
  EXPECT_STREQ(d.label, label);
  // Fields that every declaration carries unchanged.
  EXPECT_EQ(d.type.secondTypeId, UNSET_TYPE_ID);
  EXPECT_FALSE(d.createFlagA);
  EXPECT_FALSE(d.createFlagB);
  EXPECT_EQ(d.createId, Guid{});
  EXPECT_EQ(d.createData, 0u);
  EXPECT_EQ(d.createNumber, 1);
}

}  // namespace

class ChildLayoutForEachInfoType : public testing::TestWithParam<int> {};

TEST_P(ChildLayoutForEachInfoType, DeclaresCountsThenEachChildInAscendingIndex) {
  const InfoTypeInfo& info = kInfoTypes[GetParam()];
  ASSERT_EQ(info.value, GetParam()) << "the table must be in value order";
  const std::vector<Call> calls = LayoutOf(info.value);
  const int further = FurtherChildCount(info);
  ASSERT_EQ(calls.size(), 3u + static_cast<std::size_t>(further));
  EXPECT_TRUE(calls[0].isCount && calls[0].countOrIndex == 0);
  EXPECT_TRUE(calls[1].isCount && calls[1].countOrIndex == 1);
  ExpectDeclares(calls[2], 0, ChildKind::SceneContainer, "Scene Container");
  for (int i = 1; i <= further; ++i)
    ExpectDeclares(calls[static_cast<std::size_t>(2 + i)], i, info.children[i - 1].kind, info.children[i - 1].label);
}

TEST_P(ChildLayoutForEachInfoType, SlotsMatchTheTableAndInputsPrecedeOutputs) {
  const InfoTypeInfo& info = kInfoTypes[GetParam()];
  SceneContainerInfo channel;
  channel.SetInfoType(info.value);
  const auto& slots = channel.ChildSlots();
  ASSERT_EQ(slots.size(), 1u + static_cast<std::size_t>(FurtherChildCount(info)));
  bool seenOutput = false;
  for (std::size_t i = 1; i < slots.size(); ++i) {
    EXPECT_EQ(KindOfTypeId(slots[i].declaration.type.typeId), info.children[i - 1].kind);
    const bool output = IsOutputChild(info, static_cast<int>(i));
    EXPECT_TRUE(output || !seenOutput) << info.name << ": an input after an output";
    seenOutput = seenOutput || output;
  }
  EXPECT_TRUE(seenOutput) << info.name << " has no output";
}

INSTANTIATE_TEST_SUITE_P(AllInfoTypes, ChildLayoutForEachInfoType, testing::Range(0, kInfoTypeCount),
                         [](const testing::TestParamInfo<int>& param) {
                           return std::string(kInfoTypes[param.param].name);
                         });

TEST(ChildLayout, ValuesOutsideTheTableDeclareTheSceneContainerAlone) {
  for (const std::int32_t type : {69, 1000, -1, INT32_MIN}) {
    const std::vector<Call> calls = LayoutOf(type);
    ASSERT_EQ(calls.size(), 3u) << type;
    ExpectDeclares(calls[2], 0, ChildKind::SceneContainer, "Scene Container");
  }
}

TEST(ChildLayout, ExamplesReadAsExpected) {
  // Spot checks of the table against the documented layouts.
  EXPECT_STREQ(kInfoTypes[SCI_NODE_CHILD].children[1].label, "Child number");
  EXPECT_EQ(kInfoTypes[SCI_SCENE_BOUNDING_BOX].children[1].kind, ChildKind::ValueVector);
  EXPECT_EQ(FurtherChildCount(kInfoTypes[SCI_SCENE_BOUNDING_BOX]), 2);
  EXPECT_STREQ(kInfoTypes[SCI_ANIMATION].children[1].label, "OUT: Animation");
  EXPECT_EQ(kInfoTypes[SCI_ANIMATION].children[1].kind, ChildKind::MatrixCollection);
  EXPECT_TRUE(IsOutputChild(kInfoTypes[SCI_ROOT_NODE], 1));
  EXPECT_FALSE(IsOutputChild(kInfoTypes[SCI_NODE_ID], 1));
}
