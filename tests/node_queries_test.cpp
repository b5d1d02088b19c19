#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "query_cases.h"
#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;
using query_cases::CheckQueryCase;
using query_cases::CheckRow;
using query_cases::Row;
using query_cases::QueryCase;

namespace {

// root(0) -> arm(1) -> hand(3); root -> leg(2); a second "arm"(4) under leg.
SceneBuilder FixtureScene() {
  SceneBuilder b;
  const int root = b.AddNode("root", -1, Translation(10, 0, 0));
  const int arm = b.AddNode("arm", root, Translation(0, 2, 0));
  const int leg = b.AddNode("leg", root);
  b.AddNode("hand", arm, Translation(0, 0, 3));
  b.AddNode("arm", leg);
  b.Data().nodes[1].SetNote("colour=red");
  b.AddAnimation({Key()}, arm);
  const int geometry = b.AddGeometry(Geometry(3));
  const int material = b.AddMaterial(Material("m"));
  b.AddSurface(arm, geometry, material);
  b.AddSurface(arm, geometry, material);
  b.Data().nodes[1].SurfaceIDs.push_back(0xFFFFFFFFu);
  return b;
}

constexpr const char* kObject = "Object id out of range.";
constexpr const char* kNode = "Node id out of range.";

// Answers of the last node, "arm" under leg, given a child and a surface of
// its own; the queries that report "Object id" keep their output on failure.
const QueryCase kNodeIdCases[] = {
    {SCI_NODE_NAME, 5, kObject, "\"arm\"", nullptr},
    {SCI_NODE_NOTE, 5, kObject, "\"\"", nullptr},
    {SCI_NODE_LOCAL_TM, 5, kObject, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 0 1]", nullptr},
    {SCI_NODE_GLOBAL_TM, 5, kObject, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 10 0 0 1]", nullptr},
    {SCI_NODE_ANIMATION, 5, kNode, "-1", "-1"},
    {SCI_PARENT_NODE, 5, kNode, "2", "-1"},
    {SCI_NODE_CHILD_COUNT, 5, kNode, "1", "-1"},
    {SCI_NODE_CHILD, 5, kNode, "3", "-1"},
    {SCI_NODE_SURFACE_COUNT, 5, kNode, "1", "-1"},
    {SCI_NODE_SURFACE_ID, 5, kNode, "2", "-1"},
};

}  // namespace

TEST(NodeQueries, AnswerTheLastIDAndFailOnBadIDs) {
  SceneBuilder b = FixtureScene();
  b.AddSurface(4, 0, 0);
  b.Data().nodes[4].ChildIDs = {3};
  for (const QueryCase& c : kNodeIdCases) CheckQueryCase(c, b);
}

TEST(NodeQueries, InputsAreTruncatedTowardZero) {
  struct Case {
    float input;
    int status;
    float childCount;
  };
  // Node 0 has two children, node 1 one, node 2 one, nodes 3 and 4 none.
  for (const Case& c : {Case{2.9f, 0, 1}, Case{-0.5f, 0, 2}, Case{0.99f, 0, 2}, Case{4.0f, 0, 0},
                        Case{4.9f, 0, 0}, Case{-1.0f, -1, -1}, Case{-1.5f, -1, -1}, Case{5.0f, -1, -1},
                        // every query reads its inputs alike: values no int holds fail the range check
                        Case{1e10f, -1, -1}, Case{-1e10f, -1, -1}, Case{std::numeric_limits<float>::infinity(), -1, -1},
                        Case{std::numeric_limits<float>::quiet_NaN(), -1, -1}}) {
    QueryHarness h(SCI_NODE_CHILD_COUNT);
    h.Fill(FixtureScene());
    h.SetInput(1, c.input);
    EXPECT_EQ(h.Run(), c.status) << c.input;
    EXPECT_EQ(h.Value(2).GetValue(), c.childCount) << c.input;
  }
}

// Answers from the node and the container; a bad second input (node 4 has
// no children and no surfaces) has its own message.
TEST(NodeQueries, AnswersAndBadSecondInputs) {
  constexpr const char* kChild = "Child number out of range.";
  constexpr const char* kSurface = "Surface number out of range.";
  const Row rows[] = {
      {SCI_ROOT_NODE, {}, 0, nullptr, "0"},
      {SCI_NODE_NAME, {3}, 0, nullptr, "\"hand\""},
      {SCI_NODE_NOTE, {1}, 0, nullptr, "\"colour=red\""},
      {SCI_NODE_NOTE, {0}, 0, nullptr, "\"\""},
      {SCI_NODE_LOCAL_TM, {3}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 0 0 3 1]"},
      {SCI_NODE_GLOBAL_TM, {3}, 0, nullptr, "[1 0 0 0; 0 1 0 0; 0 0 1 0; 10 2 3 1]"},
      {SCI_NODE_ANIMATION, {1}, 0, nullptr, "0"},
      {SCI_NODE_ANIMATION, {2}, 0, nullptr, "-1"},
      {SCI_PARENT_NODE, {3}, 0, nullptr, "1"},
      {SCI_PARENT_NODE, {0}, 0, nullptr, "-1"},
      {SCI_NODE_CHILD_COUNT, {0}, 0, nullptr, "2"},
      {SCI_NODE_CHILD, {0, 1}, 0, nullptr, "2"},
      {SCI_NODE_SURFACE_COUNT, {1}, 0, nullptr, "3"},
      {SCI_NODE_SURFACE_ID, {1, 1}, 0, nullptr, "1"},
      {SCI_NODE_SURFACE_ID, {1, 2}, 0, nullptr, "4.29497e+09"},  // written as unsigned
      {SCI_NODE_CHILD, {4, -1}, -1, kChild, "-1"},
      {SCI_NODE_CHILD, {4, 3}, -1, kChild, "-1"},
      {SCI_NODE_SURFACE_ID, {4, -1}, -1, kSurface, "-1"},
      {SCI_NODE_SURFACE_ID, {4, 3}, -1, kSurface, "-1"},
  };
  for (const Row& row : rows) CheckRow(row, FixtureScene());
}

// A name gives the lowest ID of the nodes so named, or -1.
TEST(NodeQueries, NodeIdByName) {
  QueryHarness h(SCI_NODE_ID);
  h.Fill(FixtureScene());
  for (const auto& [name, id] : {std::pair<const char*, float>{"arm", 1}, {"nobody", -1}, {"", -1}, {nullptr, -1}}) {
    h.Child<TextChannel>(1).SetText(name);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.Messages().empty());
    EXPECT_EQ(h.Value(2).GetValue(), id) << (name ? name : "null");
  }
}
