#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>

#include "query_cases.h"
#include "query_harness.h"

using namespace Importing;
using query_cases::CheckQueryCase;
using query_cases::QueryCase;

namespace {

// Animation 0 has no keys; animation 1 has a key at rest at tick 0 and one
// at tick 2400 (half a second) moved by (1, 2, 3) and scaled by 2.
SceneBuilder AnimationScene() {
  SceneBuilder b;
  b.AddNode("root");
  b.AddAnimation({});
  b.AddAnimation({Key(), Key(2400, {1, 2, 3}, {}, {2, 2, 2})}, 0);
  return b;
}

constexpr const char* kAnimation = "Animation id out of range.";

const QueryCase kAnimationCases[] = {
    {SCI_ANIMATION_KEY_COUNT, 2, kAnimation, "2", "-1"},
    {SCI_ANIMATION_TIME, 2, kAnimation, "0.5", "-1", 1},
    {SCI_ANIMATION_MATRIX, 2, kAnimation, "[2 0 0 0; 0 2 0 0; 0 0 2 0; 1 2 3 1]", nullptr, 1},
    {SCI_ANIMATION, 2, kAnimation, "keys [0 2400]", nullptr},
};

}  // namespace

TEST(AnimationQueries, AnswerTheLastIDAndFailOnBadIDs) {
  for (const QueryCase& c : kAnimationCases) CheckQueryCase(c, AnimationScene());
}

TEST(AnimationQueries, AnimationCountFollowsTheScene) {
  QueryHarness h(SCI_ANIMATION_COUNT);
  h.Fill(AnimationScene());
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(h.Value(1).GetValue(), 2.0f);
}

TEST(AnimationQueries, KeyNumberIsCheckedAgainstTheAnimationsKeys) {
  // Animation 0 has no keys, animation 1 two; time gets -1, the matrix is kept.
  const std::pair<float, float> badKeys[] = {{0, 0}, {1, 2}, {1, -1}};
  for (const SCI_INFO_TYPE type : {SCI_ANIMATION_TIME, SCI_ANIMATION_MATRIX}) {
    for (const auto& [animation, key] : badKeys) {
      SCOPED_TRACE(std::string(kInfoTypes[type].name) + " key " + query_cases::Number(key));
      QueryHarness h(type);
      h.Fill(AnimationScene());
      query_cases::PresetOutputs(*h.channel, type);
      const std::string before = query_cases::Outputs(*h.channel, type);
      h.SetInput(1, animation);
      h.SetInput(2, key);
      EXPECT_EQ(h.Run(), -1);
      EXPECT_THAT(h.Messages(), testing::ElementsAre("Frame number out of range."));
      EXPECT_EQ(query_cases::Outputs(*h.channel, type), type == SCI_ANIMATION_TIME ? "-1" : before);
    }
  }
}

TEST(AnimationQueries, KeyTimesAreSecondsFromUnsignedTicks) {
  SceneBuilder b;
  b.AddAnimation({Key(0, {}, {}, {}), Key(2400, {}, {}, {}), Key(4294967295u, {}, {}, {}),
                  Key(2147483648u, {}, {}, {}), Key(1, {}, {}, {})});
  const float seconds[] = {0, 0.5f, 894784.875f, 447392.4375f, 1.0f / 4800};
  QueryHarness h(SCI_ANIMATION_TIME);
  h.Fill(b);
  for (int key = 0; key < 5; ++key) {
    h.SetInput(2, static_cast<float>(key));
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.Value(3).GetValue(), seconds[key]) << "key " << key;
  }
  // Key numbers are truncated toward zero.
  for (const auto& [input, key] : {std::pair{1.9f, 1}, {-0.5f, 0}}) {
    h.SetInput(2, input);
    EXPECT_EQ(h.Run(), 0);
    EXPECT_EQ(h.Value(3).GetValue(), seconds[key]) << "input " << input;
  }
}

TEST(AnimationQueries, KeyRecordLayoutIsByteExact) {
  SceneBuilder b;
  b.AddAnimation({Key(0x0A0B0C0D, {3.0f, 4.0f, 0.25f}, {1.0f, 2.0f, 0.5f, -1.0f}, {-2.0f, 1.5f, 8.0f})});
  QueryHarness h(SCI_ANIMATION);
  h.Fill(b);
  ASSERT_EQ(h.Run(), 0);
  const auto& keys = h.Child<MatrixCollectionChannel>(2).GetKeys();
  ASSERT_EQ(keys.size(), 1u);
  const unsigned char expected[44] = {
      0x0D, 0x0C, 0x0B, 0x0A,  // time in ticks
      0x00, 0x00, 0x80, 0x3F,  // rotation x 1.0
      0x00, 0x00, 0x00, 0x40,  // rotation y 2.0
      0x00, 0x00, 0x00, 0x3F,  // rotation z 0.5
      0x00, 0x00, 0x80, 0xBF,  // rotation w -1.0
      0x00, 0x00, 0x40, 0x40,  // position x 3.0
      0x00, 0x00, 0x80, 0x40,  // position y 4.0
      0x00, 0x00, 0x80, 0x3E,  // position z 0.25
      0x00, 0x00, 0x00, 0xC0,  // scale x -2.0
      0x00, 0x00, 0xC0, 0x3F,  // scale y 1.5
      0x00, 0x00, 0x00, 0x41,  // scale z 8.0
  };
  unsigned char actual[sizeof expected];
  static_assert(sizeof(AnimationKeyRecord) == sizeof expected);
  std::memcpy(actual, keys.data(), sizeof actual);
  EXPECT_THAT(actual, testing::ElementsAreArray(expected));
}

TEST(AnimationQueries, KeyListIsHandedOverInOneCallEvenWhenEmpty) {
  QueryHarness h(SCI_ANIMATION);
  h.Fill(AnimationScene());
  auto& keys = h.Child<MatrixCollectionChannel>(2);
  h.SetInput(1, 1);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(keys.CallCount(), 1);
  EXPECT_EQ(keys.GetKeys().size(), 2u);
  h.SetInput(1, 0);
  EXPECT_EQ(h.Run(), 0);
  EXPECT_EQ(keys.CallCount(), 2);
  EXPECT_TRUE(keys.GetKeys().empty());
}
