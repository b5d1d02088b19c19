#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <tuple>

#include "query_cases.h"
#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;
using query_cases::CheckQueryCase;
using query_cases::QueryCase;

namespace {

// Nodes 0 (root), 1 and 2; lights 0 (listed by no node), 1 (node 2) and 2
// (nodes 1 and 2), so node 2 lists [1, 2]. Light 2 has a distinct value in
// every attribute; the others keep the defaults.
SceneBuilder LightScene() {
  SceneBuilder b;
  const int root = b.AddNode("root");
  const int first = b.AddNode("first", root);
  const int second = b.AddNode("second", root);
  b.AddLight(-1, Light());
  b.AddLight(second, Light());
  Light key;
  key.SetName("Key light");
  key.SetType(Light::LIGHT_SPOT);
  key.SetOffsetMatrix(Translation(5, 6, 7));
  key.SetColors({0.2f, 0.4f, 0.6f, 0.5f}, {0.1f, 0.15f, 0.25f, 1}, {0.7f, 0.8f, 0.9f, 0});
  key.SetAttenuation({1, 0.5f, 0.25f});
  key.SetRange(150);
  key.SetCone(0.25f, 0.75f);
  key.SetShadow(true, 0.35f);
  const int keyID = b.AddLight(first, key);
  b.Data().nodes[static_cast<std::size_t>(second)].LightIDs.push_back(static_cast<std::uint32_t>(keyID));
  return b;
}

constexpr const char* kNode = "Node id out of range.";
constexpr const char* kLight = "Light id out of range.";
constexpr const char* kIdentity = "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]";

const QueryCase kLightCases[] = {
    {SCI_NODE_LIGHT_COUNT, 3, kNode, "2", "-1"},
    {SCI_NODE_LIGHT_ID, 3, kNode, "2", "-1", 1},
    {SCI_LIGHT_OFFSET_MATRIX, 3, kLight, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 5 6 7 1]", kIdentity},
    {SCI_LIGHT_NODE_ID, 3, kLight, "1", "-1"},
    {SCI_LIGHT_NAME, 3, kLight, "\"Key light\"", "\"\""},
    {SCI_LIGHT_TYPE, 3, kLight, "2", "-1"},
    {SCI_LIGHT_DIFFUSE, 3, kLight, "(0.2, 0.4, 0.6)", "(0, 0, 0)"},
    {SCI_LIGHT_AMBIENT, 3, kLight, "(0.1, 0.15, 0.25)", "(0, 0, 0)"},
    {SCI_LIGHT_SPECULAR, 3, kLight, "(0.7, 0.8, 0.9)", "(0, 0, 0)"},
    {SCI_LIGHT_ATTENUATION, 3, kLight, "(1, 0.5, 0.25)", "(0, 0, 0)"},
    {SCI_LIGHT_RANGE, 3, kLight, "150", "-1"},
    {SCI_LIGHT_THETA, 3, kLight, "0.25", "-1"},
    {SCI_LIGHT_PHI, 3, kLight, "0.75", "-1"},
    {SCI_LIGHT_SHADOW_CAST, 3, kLight, "1", "-1"},
    {SCI_LIGHT_SHADOW_DENSITY, 3, kLight, "0.35", "-1"},
};

int RunLightQuery(SCI_INFO_TYPE type, float first, float second, float* out, std::vector<std::string>* messages) {
  QueryHarness h(type);
  h.Fill(LightScene());
  const int output = FurtherChildCount(kInfoTypes[type]);
  h.SetInput(1, first);
  if (output == 3) h.SetInput(2, second);
  h.Value(output).SetValue(query_cases::kStale);
  const int status = h.Run();
  *out = h.Value(output).GetValue();
  *messages = h.Messages();
  return status;
}

}  // namespace

TEST(LightQueries, AnswerTheLastIDAndFailOnBadIDs) {
  for (const QueryCase& c : kLightCases) CheckQueryCase(c, LightScene());
}

TEST(LightQueries, LightCountFollowsTheScene) {
  QueryHarness h(SCI_LIGHT_COUNT);
  h.Fill(LightScene());
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Value(1).GetValue(), 3.0f);
}

TEST(LightQueries, LightNumberIsCheckedAgainstTheNodesList) {
  float out;
  std::vector<std::string> messages;
  // The root lists no light; node 2 lists two.
  for (const auto& [node, number] : {std::pair{0.0f, 0.0f}, {2.0f, 2.0f}, {2.0f, -1.0f}}) {
    SCOPED_TRACE("node " + query_cases::Number(node) + ", light number " + query_cases::Number(number));
    EXPECT_EQ(RunLightQuery(SCI_NODE_LIGHT_ID, node, number, &out, &messages), -1);
    EXPECT_THAT(messages, testing::ElementsAre("Light number out of range."));
    EXPECT_EQ(out, -1.0f);
  }
  EXPECT_EQ(RunLightQuery(SCI_NODE_LIGHT_ID, 2.9f, 0.9f, &out, &messages), 0);
  EXPECT_EQ(out, 1.0f);
}

TEST(LightQueries, NodeLightIDIsWrittenUncheckedAndUnsigned) {
  SceneBuilder b = LightScene();
  b.Data().nodes[0].LightIDs = {4294967295u, 40};
  QueryHarness h(SCI_NODE_LIGHT_ID);
  h.Fill(b);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Value(3).GetValue(), 4294967296.0f);
  h.SetInput(2, 1);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Value(3).GetValue(), 40.0f);
}

TEST(LightQueries, LightNodeAndShadowCastOfOtherLights) {
  // Light 0 is listed by no node (-1, no failure), light 1 by node 2, light 2
  // by nodes 1 and 2 (the lowest wins); light 1 casts no shadow.
  const std::tuple<SCI_INFO_TYPE, float, float> cases[] = {
      {SCI_LIGHT_NODE_ID, 0, -1}, {SCI_LIGHT_NODE_ID, 1, 2}, {SCI_LIGHT_NODE_ID, 2, 1}, {SCI_LIGHT_SHADOW_CAST, 1, 0}};
  float out;
  std::vector<std::string> messages;
  for (const auto& [type, light, expected] : cases) {
    EXPECT_EQ(RunLightQuery(type, light, 0, &out, &messages), 0);
    EXPECT_EQ(out, expected) << kInfoTypes[type].name << " of light " << light;
    EXPECT_THAT(messages, testing::IsEmpty());
  }
}
