#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "query_harness.h"
#include "test_matrices.h"

using namespace Importing;

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
  b.Data().nodes[1].SurfaceIDs.push_back(0xFFFFFFFFu);  // written as unsigned
  return b;
}

// The node queries that take a node ID, with the message of that input and
// whether a failure writes -1 into the output (else the output is kept).
struct NodeIdQuery {
  SCI_INFO_TYPE type;
  const char* message;
  bool writesMinusOne;
};

const NodeIdQuery kNodeIdQueries[] = {
    {SCI_NODE_NAME, "Object id out of range.", false},      {SCI_NODE_NOTE, "Object id out of range.", false},
    {SCI_NODE_LOCAL_TM, "Object id out of range.", false},  {SCI_NODE_GLOBAL_TM, "Object id out of range.", false},
    {SCI_NODE_ANIMATION, "Node id out of range.", true},    {SCI_PARENT_NODE, "Node id out of range.", true},
    {SCI_NODE_CHILD_COUNT, "Node id out of range.", true},  {SCI_NODE_CHILD, "Node id out of range.", true},
    {SCI_NODE_SURFACE_COUNT, "Node id out of range.", true}, {SCI_NODE_SURFACE_ID, "Node id out of range.", true},
};

// The output is the last child; a Value output starts at 7 so that a write shows.
int OutputIndex(SCI_INFO_TYPE type) { return FurtherChildCount(kInfoTypes[type]); }

}  // namespace

TEST(NodeQueries, BadNodeIdsShowTheMessageAndWriteTheFailureValue) {
  const float kBadIds[] = {-1.0f, 5.0f, 1e10f, -1e10f, std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::infinity()};
  for (const bool empty : {true, false}) {
    for (const NodeIdQuery& q : kNodeIdQueries) {
      for (const float id : kBadIds) {
        if (empty && id != 0.0f && id != -1.0f) continue;
        QueryHarness h(q.type);
        if (!empty) h.Fill(FixtureScene());
        const int out = OutputIndex(q.type);
        if (auto* value = dynamic_cast<ValueChannel*>(h.channel->GetChild(out))) value->SetValue(7);
        if (auto* text = dynamic_cast<TextChannel*>(h.channel->GetChild(out))) text->SetText("before");
        h.SetInput(1, empty ? 0.0f : id);
        if (out == 3) h.SetInput(2, 0);
        SCOPED_TRACE(std::string(kInfoTypes[q.type].name) + " id " + std::to_string(id));
        EXPECT_EQ(h.Run(), -1);
        EXPECT_EQ(h.Messages(), std::vector<std::string>{q.message});
        if (auto* value = dynamic_cast<ValueChannel*>(h.channel->GetChild(out))) {
          EXPECT_EQ(value->GetValue(), q.writesMinusOne ? -1.0f : 7.0f);
        }
        if (auto* text = dynamic_cast<TextChannel*>(h.channel->GetChild(out))) {
          EXPECT_STREQ(text->GetText(), "before");
        }
        if (auto* matrix = dynamic_cast<MatrixChannel*>(h.channel->GetChild(out))) {
          EXPECT_EQ(matrix->GetMatrix(), D3DXMATRIX());
        }
        if (out == 3) {
          EXPECT_EQ(h.Value(2).GetValue(), 0.0f) << "an input is never written";
        }
      }
    }
  }
}

TEST(NodeQueries, InputsAreTruncatedTowardZero) {
  struct Case {
    float input;
    int status;
    float childCount;
  };
  // Node 0 has two children, node 1 one, node 2 one, nodes 3 and 4 none.
  for (const Case& c : {Case{2.9f, 0, 1}, Case{-0.5f, 0, 2}, Case{0.99f, 0, 2}, Case{4.0f, 0, 0},
                        Case{4.9f, 0, 0}, Case{-1.0f, -1, -1}, Case{-1.5f, -1, -1}, Case{5.0f, -1, -1}}) {
    QueryHarness h(SCI_NODE_CHILD_COUNT);
    h.Fill(FixtureScene());
    h.SetInput(1, c.input);
    EXPECT_EQ(h.Run(), c.status) << c.input;
    EXPECT_EQ(h.Value(2).GetValue(), c.childCount) << c.input;
  }
}

TEST(NodeQueries, AnswersComeFromTheNodeAndTheContainer) {
  QueryHarness h(SCI_NODE_COUNT);
  h.Fill(FixtureScene());
  const auto answer = [&](SCI_INFO_TYPE type, std::vector<float> inputs) -> Orv_Channel* {
    h.channel->SetInfoType(type);
    h.host.CreateDefaultChildren(*h.channel);
    for (std::size_t i = 0; i < inputs.size(); ++i) h.SetInput(static_cast<int>(i) + 1, inputs[i]);
    EXPECT_EQ(h.Run(), 0) << kInfoTypes[type].name;
    EXPECT_TRUE(h.Messages().empty()) << kInfoTypes[type].name;
    return h.channel->GetChild(OutputIndex(type));
  };
  const auto value = [&](SCI_INFO_TYPE type, std::vector<float> inputs) {
    return static_cast<ValueChannel*>(answer(type, std::move(inputs)))->GetValue();
  };
  const auto text = [&](SCI_INFO_TYPE type, std::vector<float> inputs) {
    return std::string(static_cast<TextChannel*>(answer(type, std::move(inputs)))->GetText());
  };
  const auto matrix = [&](SCI_INFO_TYPE type, std::vector<float> inputs) {
    return static_cast<MatrixChannel*>(answer(type, std::move(inputs)))->GetMatrix();
  };

  EXPECT_EQ(value(SCI_NODE_COUNT, {}), 5.0f);
  EXPECT_EQ(value(SCI_ROOT_NODE, {}), 0.0f);
  EXPECT_EQ(text(SCI_NODE_NAME, {3}), "hand");
  EXPECT_EQ(text(SCI_NODE_NOTE, {1}), "colour=red");
  EXPECT_EQ(text(SCI_NODE_NOTE, {0}), "");
  EXPECT_EQ(matrix(SCI_NODE_LOCAL_TM, {3}), Translation(0, 0, 3));
  EXPECT_EQ(matrix(SCI_NODE_GLOBAL_TM, {3}), Translation(10, 2, 3));
  EXPECT_EQ(value(SCI_NODE_ANIMATION, {1}), 0.0f);
  EXPECT_EQ(value(SCI_NODE_ANIMATION, {2}), -1.0f);
  EXPECT_EQ(value(SCI_PARENT_NODE, {3}), 1.0f);
  EXPECT_EQ(value(SCI_PARENT_NODE, {0}), -1.0f);
  EXPECT_EQ(value(SCI_NODE_CHILD_COUNT, {0}), 2.0f);
  EXPECT_EQ(value(SCI_NODE_CHILD, {0, 1}), 2.0f);
  EXPECT_EQ(value(SCI_NODE_SURFACE_COUNT, {1}), 3.0f);
  EXPECT_EQ(value(SCI_NODE_SURFACE_ID, {1, 1}), 1.0f);
  EXPECT_EQ(value(SCI_NODE_SURFACE_ID, {1, 2}), 4294967296.0f);

  const auto nodeId = [&](const char* name) {
    h.channel->SetInfoType(SCI_NODE_ID);
    h.host.CreateDefaultChildren(*h.channel);
    h.Child<TextChannel>(1).SetText(name);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_TRUE(h.Messages().empty());
    return h.Value(2).GetValue();
  };
  EXPECT_EQ(nodeId("arm"), 1.0f);  // the lowest of two nodes named "arm"
  EXPECT_EQ(nodeId("nobody"), -1.0f);
  EXPECT_EQ(nodeId(""), -1.0f);
  EXPECT_EQ(nodeId(nullptr), -1.0f);
}

TEST(NodeQueries, ABadSecondInputHasItsOwnMessage) {
  for (const auto& [type, message] : {std::pair<SCI_INFO_TYPE, const char*>{SCI_NODE_CHILD, "Child number out of range."},
                                      std::pair{SCI_NODE_SURFACE_ID, "Surface number out of range."}}) {
    for (const float number : {-1.0f, 3.0f}) {
      QueryHarness h(type);
      h.Fill(FixtureScene());
      h.SetInput(1, 4);  // a node without children or surfaces
      h.SetInput(2, number);
      EXPECT_EQ(h.Run(), -1);
      EXPECT_EQ(h.Messages(), std::vector<std::string>{message});
      EXPECT_EQ(h.Value(3).GetValue(), -1.0f);
      EXPECT_EQ(h.Value(2).GetValue(), number);
    }
  }
}
