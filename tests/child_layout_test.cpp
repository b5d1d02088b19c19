// The children each info type declares to the host: the order of the
// declaration calls and their fixed fields for every info type, and whole
// layouts spelled out for a few of them.
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

std::vector<Call> LayoutOf(std::int32_t type) {
  HostContext context;
  std::vector<Call> calls;
  context.ChildDeclarationObserver = [&](const Orv_Channel&, int value, const ChildCreation* declaration) {
    calls.push_back({value, declaration == nullptr, declaration ? *declaration : ChildCreation()});
  };
  SceneContainerInfo channel;
  channel.SetHostContext(&context);
  channel.SetInfoType(static_cast<SCI_INFO_TYPE>(type));
  return calls;
}

// "index kind: label" for each declared child, after checking the fields
// every declaration carries unchanged.
std::vector<std::string> Declared(const std::vector<Call>& calls) {
  std::vector<std::string> children;
  for (const Call& call : calls) {
    if (call.isCount) continue;
    const ChildCreation& d = call.declaration;
    EXPECT_EQ(call.countOrIndex, d.childIndex);
    EXPECT_EQ(d.type.typeId, KindInfo(KindOfTypeId(d.type.typeId)).typeId) << d.label;
    EXPECT_STREQ(d.type.name, KindInfo(KindOfTypeId(d.type.typeId)).name) << d.label;
    EXPECT_EQ(d.type.secondTypeId, UNSET_TYPE_ID);
    EXPECT_FALSE(d.createFlagA || d.createFlagB);
    EXPECT_EQ(d.createId, Guid{});
    EXPECT_EQ(d.createData, 0u);
    EXPECT_EQ(d.createNumber, 1);
    children.push_back(std::to_string(d.childIndex) + " " + d.type.name + ": " + d.label);
  }
  return children;
}

}  // namespace

// Counts 0 and 1 first, then the scene container and one child per further
// kind in ascending index; slots as declared, inputs before outputs.
TEST(ChildLayout, EveryInfoTypeDeclaresCountsThenChildrenInOrder) {
  for (const InfoTypeInfo& info : kInfoTypes) {
    SCOPED_TRACE(info.name);
    const std::vector<Call> calls = LayoutOf(info.value);
    ASSERT_GE(calls.size(), 3u);
    EXPECT_TRUE(calls[0].isCount && calls[0].countOrIndex == 0);
    EXPECT_TRUE(calls[1].isCount && calls[1].countOrIndex == 1);
    const std::vector<std::string> children = Declared(calls);
    ASSERT_EQ(children.size(), calls.size() - 2);
    EXPECT_EQ(children[0], "0 SceneContainer: Scene Container");
    for (std::size_t i = 0; i < children.size(); ++i)
      EXPECT_EQ(calls[i + 2].countOrIndex, static_cast<int>(i));

    SceneContainerInfo channel;
    channel.SetInfoType(info.value);
    ASSERT_EQ(channel.ChildSlots().size(), children.size());
    bool seenOutput = false;
    for (std::size_t i = 1; i < children.size(); ++i) {
      const ChildCreation& slot = channel.ChildSlots()[i].declaration;
      EXPECT_EQ(std::to_string(i) + " " + slot.type.name + ": " + slot.label, children[i]);
      const bool output = std::strncmp(slot.label, "OUT: ", 5) == 0 || info.value == SCI_ROOT_NODE;
      EXPECT_TRUE(output || !seenOutput) << "an input after an output";
      seenOutput = seenOutput || output;
    }
    EXPECT_TRUE(seenOutput) << "no output";
  }
}

TEST(ChildLayout, ValuesOutsideTheTableDeclareTheSceneContainerAlone) {
  for (const std::int32_t type : {69, 1000, -1, INT32_MIN})
    EXPECT_EQ(Declared(LayoutOf(type)), std::vector<std::string>{"0 SceneContainer: Scene Container"}) << type;
}

// Whole layouts of a few info types, written out independently of the table.
TEST(ChildLayout, SpotChecksOfDocumentedLayouts) {
  const std::pair<SCI_INFO_TYPE, std::vector<std::string>> layouts[] = {
      {SCI_SCENE_HIERARCHY, {"1 Text: OUT: Scene XML text"}},
      {SCI_NODE_ID, {"1 Text: Node name", "2 Value: OUT: Node ID"}},
      {SCI_ROOT_NODE, {"1 Value: Root node ID"}},
      {SCI_NODE_CHILD, {"1 Value: Node ID", "2 Value: Child number", "3 Value: OUT: child node ID"}},
      {SCI_GEOMETRY, {"1 Value: Geometry ID", "2 Mesh: OUT: Object data"}},
      {SCI_MATERIAL, {"1 Value: Material ID", "2 Material: OUT: Material channel"}},
      {SCI_TEXTURE, {"1 Value: Texture ID", "2 Texture: OUT: Texture channel"}},
      {SCI_ANIMATION, {"1 Value: Animation ID", "2 Matrix collection: OUT: Animation"}},
      {SCI_SCENE_BOUNDING_BOX, {"1 Value Vector: OUT: Bounding box min", "2 Value Vector: OUT: Bounding box max"}},
  };
  for (const auto& [type, expected] : layouts) {
    std::vector<std::string> children = Declared(LayoutOf(type));
    children.erase(children.begin());  // the scene container
    EXPECT_EQ(children, expected) << kInfoTypes[type].name;
  }
}
