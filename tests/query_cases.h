#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "host/material_channels.h"
#include "host/matrix_collection_channel.h"
#include "host/mesh_channel.h"
#include "query_harness.h"

// Output children described as text, so that one table can state what any
// query writes whatever the kinds of its outputs, and a runner that checks a
// query with an ID input against an empty scene, bad IDs and the last ID.
namespace query_cases {

inline std::string Number(float value) {
  std::ostringstream out;
  out << value;
  return out.str();
}

inline std::string Vector(const D3DXVECTOR3& v) {
  return "(" + Number(v.x) + ", " + Number(v.y) + ", " + Number(v.z) + ")";
}

// Rows separated by "; ": "[1 0 0 0; 0 1 0 0; 0 0 1 0; 5 6 7 1]".
inline std::string Matrix(const D3DXMATRIX& m) {
  std::string text = "[";
  for (int r = 0; r < 4; ++r)
    for (int c = 0; c < 4; ++c) text += Number(m.m[r][c]) + (c < 3 ? " " : r < 3 ? "; " : "]");
  return text;
}

// A value no query writes, put into an output before a run, so that a test
// can tell an output left alone from one written.
inline constexpr float kStale = -12345;

inline void Preset(Orv_Channel& child) {
  if (auto* value = dynamic_cast<ValueChannel*>(&child)) value->SetValue(kStale);
  if (auto* text = dynamic_cast<TextChannel*>(&child)) text->SetText("stale");
  if (auto* vector = dynamic_cast<ValueVectorChannel*>(&child)) vector->SetVector({kStale, kStale, kStale});
  if (auto* matrix = dynamic_cast<MatrixChannel*>(&child)) {
    D3DXMATRIX stale;
    stale.m[3][3] = kStale;
    matrix->SetMatrix(&stale);
  }
  if (auto* mesh = dynamic_cast<MeshChannel*>(&child)) mesh->SetPrimitiveType(99);
  if (auto* material = dynamic_cast<MaterialChannel*>(&child)) material->SetMaterial({}, {}, {}, kStale);
  if (auto* texture = dynamic_cast<TextureChannel*>(&child)) texture->SetTextureFile("stale");
  if (auto* keys = dynamic_cast<MatrixCollectionChannel*>(&child)) {
    const AnimationKeyRecord stale{99, 0, 0, 0, 1, 0, 0, 0, 1, 1, 1};
    keys->SetKeyCollection(&stale, 1, 0);
  }
}

inline std::string Describe(const Orv_Channel& child) {
  if (auto* value = dynamic_cast<const ValueChannel*>(&child)) return Number(value->GetValue());
  if (auto* text = dynamic_cast<const TextChannel*>(&child))
    return text->GetText() ? "\"" + std::string(text->GetText()) + "\"" : "null";
  if (auto* vector = dynamic_cast<const ValueVectorChannel*>(&child)) return Vector(vector->GetVector());
  if (auto* matrix = dynamic_cast<const MatrixChannel*>(&child)) return Matrix(matrix->GetMatrix());
  if (auto* mesh = dynamic_cast<const MeshChannel*>(&child))
    return "mesh type " + std::to_string(mesh->GetPrimitiveType()) + ", " +
           std::to_string(mesh->GetVertices().size()) + " vertices, " + std::to_string(mesh->GetIndices().size()) +
           " indices";
  if (auto* material = dynamic_cast<const MaterialChannel*>(&child)) {
    std::string text = "material " + Vector(material->GetDiffuse()) + " " + Vector(material->GetEmissive()) + " " +
                       Vector(material->GetSpecular()) + " " + Number(material->GetSpecularPower());
    for (const auto& [number, value] : material->GetParameters())
      text += " p" + std::to_string(number) + "=" + Number(value);
    return text;
  }
  if (auto* texture = dynamic_cast<const TextureChannel*>(&child))
    return std::string("texture ") + (texture->GetTextureFlag() ? "on " : "off ") + texture->GetTextureFile();
  if (auto* keys = dynamic_cast<const MatrixCollectionChannel*>(&child)) {
    std::string text = "keys [";
    for (const AnimationKeyRecord& key : keys->GetKeys())
      text += (text.back() == '[' ? "" : " ") + std::to_string(key.time);
    return text + "]";
  }
  return "?";
}

// The calls a mesh logged: "position 1" for the position of vertex 1, "uv 0@2"
// for UV set 0 of vertex 2, "index 7@2" for the value 7 at position 2.
inline std::string DescribeCalls(const std::vector<MeshChannel::Call>& calls) {
  static const char* const kNames[] = {"begin", "type ", "vertices ", "position ", "normal ",
                                       "uv ",   "indices ", "index ", "end"};
  std::string text;
  for (const auto& call : calls) {
    text += (text.empty() ? "" : ", ") + std::string(kNames[call.operation]);
    if (call.operation == MeshChannel::Call::UV || call.operation == MeshChannel::Call::Index)
      text += std::to_string(call.first) + "@" + std::to_string(call.second);
    else if (call.operation != MeshChannel::Call::Begin && call.operation != MeshChannel::Call::End)
      text += std::to_string(call.first);
  }
  return text;
}

// The output children of a channel of info type `type`.
inline std::vector<int> OutputIndices(Importing::SCI_INFO_TYPE type) {
  std::vector<int> indices;
  const auto& info = Importing::kInfoTypes[type];
  for (int i = 1; i <= Importing::FurtherChildCount(info); ++i)
    if (Importing::IsOutputChild(info, i)) indices.push_back(i);
  return indices;
}

inline void PresetOutputs(const Orv_Channel& channel, Importing::SCI_INFO_TYPE type) {
  for (int i : OutputIndices(type)) Preset(*channel.GetChild(i));
}

// Every output described, joined with " | ".
inline std::string Outputs(const Orv_Channel& channel, Importing::SCI_INFO_TYPE type) {
  std::string text;
  for (int i : OutputIndices(type)) text += (text.empty() ? "" : " | ") + Describe(*channel.GetChild(i));
  return text;
}

// One run of a query: its inputs (children 1.. in order), status, message
// and outputs described as above (null: left as they were).
struct Row {
  Importing::SCI_INFO_TYPE type;
  std::vector<float> inputs;
  int status;
  const char* message;  // nullptr: nothing shown
  const char* out;
};

inline void CheckRow(const Row& row, const Importing::SceneBuilder& scene) {
  std::string name = Importing::kInfoTypes[row.type].name;
  for (float input : row.inputs) name += " " + Number(input);
  SCOPED_TRACE(name);
  QueryHarness h(row.type);
  h.Fill(scene);
  for (std::size_t i = 0; i < row.inputs.size(); ++i) h.SetInput(static_cast<int>(i) + 1, row.inputs[i]);
  PresetOutputs(*h.channel, row.type);
  const std::string before = Outputs(*h.channel, row.type);

  EXPECT_EQ(h.Run(), row.status);
  if (row.message == nullptr)
    EXPECT_THAT(h.Messages(), testing::IsEmpty());
  else
    EXPECT_THAT(h.Messages(), testing::ElementsAre(row.message));
  for (std::size_t i = 0; i < row.inputs.size(); ++i)
    EXPECT_THAT(h.Value(static_cast<int>(i) + 1).GetValue(), testing::NanSensitiveFloatEq(row.inputs[i]))
        << "input " << i + 1 << " was written";
  EXPECT_EQ(Outputs(*h.channel, row.type), row.out ? row.out : before);
}

// A query whose first input is an ID (or node ID) into a collection of
// `count` records of the fixture scene.
struct QueryCase {
  Importing::SCI_INFO_TYPE type;
  int count;
  const char* message;  // shown when the first input is out of range
  const char* answer;   // the outputs for first input count - 1 and `second`
  const char* failure;  // the outputs after a bad first input; null: left as they were
  float second = 0;     // the second input, for queries that have one
};

// Runs `c` with ID 0 on an empty scene and with IDs -1 and count on the
// fixture (each must fail with exactly its message; in a query with two
// inputs the second is then 0), and with ID count - 1 (must answer).
inline void CheckQueryCase(const QueryCase& c, const Importing::SceneBuilder& fixture) {
  const bool hasSecondInput = !Importing::IsOutputChild(Importing::kInfoTypes[c.type], 2);
  const auto inputs = [&](float id, float second) {
    return hasSecondInput ? std::vector<float>{id, second} : std::vector<float>{id};
  };
  CheckRow({c.type, inputs(0, 0), -1, c.message, c.failure}, Importing::SceneBuilder());
  CheckRow({c.type, inputs(-1, 0), -1, c.message, c.failure}, fixture);
  CheckRow({c.type, inputs(static_cast<float>(c.count), 0), -1, c.message, c.failure}, fixture);
  CheckRow({c.type, inputs(static_cast<float>(c.count - 1), c.second), 0, nullptr, c.answer}, fixture);
}

// One of every record, each reachable with ID 0 and the root's name, and a
// geometry whose vertices carry different numbers of UV sets.
inline Importing::SceneBuilder EverythingScene() {
  using namespace Importing;
  SceneBuilder b;
  const int root = b.AddNode("root");
  b.Data().nodes[0].SetNote("{\"user\": 1}");
  b.AddNode("child", root);
  Geometry triangle(3);
  triangle.Vertices = {Vertex({0, 0, 0}, {0, 0, 1}), Vertex({1, 0, 0}, {0, 0, 1}), Vertex({0, 1, 0}, {0, 0, 1})};
  triangle.Vertices[1].AddUV({0.5f, 0.25f});
  triangle.Indices = {0, 1, 2};
  const int material = b.AddMaterial(Material("paint"));
  b.AddSurface(root, b.AddGeometry(triangle), material, {SurfaceTexture(b.AddTexture("wood.png"), "diffuse", 0, 0.5f)});
  Camera camera;
  camera.SetName("eye");
  b.AddCamera(root, camera);
  Light light;
  light.SetShadow(true, 0.5f);
  b.AddLight(root, light);
  b.AddAnimation({Key(), Key(2400, {1, 0, 0}, {}, {1, 1, 1})}, root);
  return b;
}

}  // namespace query_cases
