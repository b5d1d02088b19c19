#include <gtest/gtest.h>

#include "query_harness.h"

using namespace Importing;

TEST(NodeQueries, HarnessSmoke) {
  QueryHarness h(SCI_NODE_COUNT);
  SceneBuilder b;
  b.AddNode("root");
  h.Fill(b);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Value(1).GetValue(), 1.0f);
}
