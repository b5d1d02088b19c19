// The Windows cross check compares answer lines: its questions must reach
// every info type both within and beyond the scene, and a line must change
// with any bit of any output.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "channel/scene_container_info.h"
#include "crosscheck/answer_line.h"
#include "crosscheck/answer_session.h"
#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"
#include "scene/import/scene_importer.h"

namespace crosscheck {
namespace {

using namespace Importing;

float FromBits(std::uint32_t bits) {
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

TEST(CrossCheckQuestions, ReachEveryInfoTypeWithinAndBeyondTheDemoScene) {
  AnswerSession session;
  std::string error;
  ASSERT_TRUE(session.LoadPlugin(SCI_PLUGIN_PATH, &error)) << error;
  ASSERT_TRUE(ImportScene(SCI_DEMO_SCENE, session.Scene(), &error)) << error;
  std::map<std::string, int> quiet, reported;
  for (const std::string& line : session.Answer()) {
    if (line.rfind("{\"query\":\"", 0) != 0) continue;
    const std::string name = line.substr(10, line.find('"', 10) - 10);
    ++(line.find("\"messages\":[]") != std::string::npos ? quiet : reported)[name];
  }
  for (const InfoTypeInfo& info : kInfoTypes) {
    EXPECT_GT(quiet[info.name], 0) << info.name << " never answered";
    // A record ID is range-checked; a node name is searched for, and a name
    // that matches nothing is no failure.
    const bool rangeChecked = FurtherChildCount(info) > 0 && !IsOutputChild(info, 1) &&
                              info.children[0].kind == ChildKind::Value;
    EXPECT_EQ(reported[info.name] > 0, rangeChecked) << info.name;
  }
}

struct BitCase {
  SCI_INFO_TYPE type;
  std::function<void(Orv_Channel& output, bool flipped)> set;
};

TEST(CrossCheckAnswerLine, ChangesWithAnyBitOfEachOutputKind) {
  const auto vector = [](bool flipped) { return D3DXVECTOR3{0, 1, FromBits(flipped ? 0x80000000u : 0u)}; };
  const BitCase cases[] = {
      {SCI_NODE_COUNT, [](Orv_Channel& c, bool f) { static_cast<ValueChannel&>(c).SetValue(FromBits(f ? 0x7fc00001u : 0x7fc00000u)); }},
      {SCI_NODE_NAME, [](Orv_Channel& c, bool f) { static_cast<TextChannel&>(c).SetText(f ? "" : nullptr); }},
      {SCI_NODE_NOTE, [](Orv_Channel& c, bool f) { static_cast<TextChannel&>(c).SetText(f ? "a\\\"" : "a\""); }},
      {SCI_NODE_LOCAL_TM, [](Orv_Channel& c, bool f) {
         D3DXMATRIX m;
         m.m[3][3] = FromBits(f ? 0x3f800001u : 0x3f800000u);
         static_cast<MatrixChannel&>(c).SetMatrix(&m);
       }},
      {SCI_LIGHT_DIFFUSE, [&](Orv_Channel& c, bool f) { static_cast<ValueVectorChannel&>(c).SetVector(vector(f)); }},
      {SCI_GEOMETRY, [](Orv_Channel& c, bool f) {
         auto& mesh = static_cast<MeshChannel&>(c);
         mesh.BeginMeshUpdate();
         mesh.SetVertexCount(2);
         mesh.SetVertexUV(1, {0.5f, FromBits(f ? 1u : 0u)}, 1);
         mesh.EndMeshUpdate();
       }},
      {SCI_ANIMATION, [](Orv_Channel& c, bool f) {
         AnimationKeyRecord keys[2] = {};
         keys[1].scaleZ = FromBits(f ? 0x80000000u : 0u);
         static_cast<MatrixCollectionChannel&>(c).SetKeyCollection(keys, 2, 0);
       }},
      {SCI_MATERIAL, [](Orv_Channel& c, bool f) {
         static_cast<MaterialChannel&>(c).SetMaterialParameter(MaterialChannel::kOpacityParameter, f ? -0.0f : 0.0f);
       }},
      {SCI_TEXTURE, [](Orv_Channel& c, bool f) { static_cast<TextureChannel&>(c).SetTextureFlag(f); }},
  };
  AnswerSession session;
  std::string error;
  ASSERT_TRUE(session.LoadPlugin(SCI_PLUGIN_PATH, &error)) << error;
  for (const BitCase& test : cases) {
    auto* channel = static_cast<SceneContainerInfo*>(session.GetHost().CreateChannel(session.ChannelTypeId()));
    channel->SetInfoType(test.type);
    session.GetHost().CreateDefaultChildren(*channel);
    const Question question{FindInfoType(test.type), {0.0f}, {}};
    Orv_Channel& output = *channel->GetChild(FurtherChildCount(*question.info));
    test.set(output, false);
    const std::string before = AnswerLine(question, *channel, {});
    test.set(output, true);
    EXPECT_NE(AnswerLine(question, *channel, {}), before) << question.info->name;
  }
}

}  // namespace
}  // namespace crosscheck
