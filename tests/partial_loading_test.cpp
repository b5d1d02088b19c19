// A scene loaded in parts answers as one loaded whole: each query reads only
// what its row beside the info types says, and a session that loads the
// snapshot question by question gives the answers of a whole load.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "channel/query_reads.h"
#include "channel/scene_container_info.h"
#include "crosscheck/answer_line.h"
#include "crosscheck/questions.h"
#include "host/host.h"
#include "host/value_channels.h"
#include "scene/scene_builder.h"
#include "session/query_session.h"
#include "session/query_request.h"
#include "session/query_table.h"
#include "session/text_output.h"
#include "tests/sample_files.h"

using namespace Importing;
namespace fs = std::filesystem;

namespace {

// Two scenes alike in shape and unlike in every count and value: variant 1
// has one record more of everything, other names, matrices and numbers.
SceneBuilder Variant(int v) {
  SceneBuilder b;
  const float f = static_cast<float>(v + 1);
  D3DXMATRIX moved;
  moved.m[3][0] = f;
  const int root = b.AddNode("root" + std::to_string(v), -1, moved);
  b.Data().nodes[0].SetNote("note" + std::to_string(v));
  std::vector<int> nodes = {root};
  // A chain in one variant, a star in the other: every node but the first two has another parent.
  for (int i = 0; i <= v + 1; ++i)
    nodes.push_back(b.AddNode("n" + std::to_string(v) + std::to_string(i), v ? root : nodes.back(), moved));
  const int count = v + 2;
  for (int i = 0; i < count; ++i) {
    Material material("paint" + std::to_string(v) + std::to_string(i));
    material.SetOpacity(0.5f / f);
    b.AddMaterial(material);
  }
  for (int i = 0; i < count; ++i) {
    Geometry geometry(3);
    const float s = f * static_cast<float>(i + 1);
    geometry.Vertices = {Vertex({0, 0, s}, {0, 0, 1}), Vertex({s, 0, 0}, {0, 1, 0}), Vertex({0, s, 0}, {1, 0, 0})};
    for (int k = 0; k <= v; ++k) geometry.Vertices.push_back(Vertex({s, s, s}, {0, 0, 1}));
    geometry.Vertices[1].AddUV({0.5f * f, 0.25f});
    geometry.Indices = {0, 1, 2, 2, 1, 0};
    geometry.Indices.resize(3 * static_cast<std::size_t>(v + 1 + i));
    geometry.UpdateBoundingBox();
    const int texture = b.AddTexture("wood" + std::to_string(v) + std::to_string(i) + ".png");
    const auto node = [&](int k) { return nodes[static_cast<std::size_t>(k + v) % nodes.size()]; };
    b.AddSurface(node(i), b.AddGeometry(geometry), v ? (i + 1) % 2 : i,
                 {SurfaceTexture(texture, v ? "normal" : "diffuse", v, 0.5f * f)});
    Camera camera;
    camera.SetName("eye" + std::to_string(v) + std::to_string(i));
    camera.SetFov(f, f / 2);
    b.AddCamera(node(i + 1), camera);
    Light light;
    light.SetName("lamp" + std::to_string(v) + std::to_string(i));
    light.SetShadow(v == 0, 0.5f * f);
    light.SetRange(10 * f);
    b.AddLight(node(i + 2), light);
    b.AddAnimation({Key(), Key(static_cast<std::uint32_t>(2400 * (v + 1)), {f, 0, 0}, {}, {1, 1, 1})},
                   node(i + 1));
  }
  return b;
}

// A container holding `truth`'s parts where `reads` says the query reads
// them and `poison`'s everywhere else, other geometries' vertices included.
void FillMixed(const QueryReads& reads, std::int64_t geometry, const SceneContainer& truth,
               const SceneContainer& poison, SceneContainer& mixed) {
  const auto from = [&](ScenePartSet part) -> const SceneContainer& { return reads.parts & part ? truth : poison; };
  SceneData data;
  SceneDerivedData derived;
  data.nodes = from(kNodesPart).Nodes();
  data.rootNodeID = from(kNodesPart).GetRootNodeID();
  derived.parents = from(kNodeParentsPart).Derived().parents;
  derived.globals = from(kNodeGlobalsPart).Derived().globals;
  data.surfaces = from(kSurfacesPart).Surfaces();
  data.materials = from(kMaterialsPart).Materials();
  data.texturePaths = from(kTexturePathsPart).TexturePaths();
  data.animations = from(kAnimationsPart).Animations();
  data.cameras = from(kCamerasPart).Cameras();
  data.lights = from(kLightsPart).Lights();
  derived.boxMin = from(kSceneBoxPart).Derived().boxMin;
  derived.boxMax = from(kSceneBoxPart).Derived().boxMax;
  data.geometries = from(kGeometryHeadersPart).Geometries();
  if (reads.parts & kGeometryHeadersPart)
    for (std::size_t id = 0; id < data.geometries.size(); ++id) {
      if (static_cast<std::int64_t>(id) == geometry) continue;
      const Geometry& other = poison.Geometries()[id % poison.Geometries().size()];
      data.geometries[id].Vertices = other.Vertices;
      data.geometries[id].Indices = other.Indices;
    }
  mixed.FillStored(std::move(data), std::move(derived));
}

// The plug-in's channel for one info type, linked to `scene`.
class Asker {
 public:
  explicit Asker(SceneContainer& scene) : scene_(scene) {
    std::string error;
    const ChannelType* type = host_.LoadPlugin(SCI_PLUGIN_PATH, &error);
    if (type == nullptr) ADD_FAILURE() << error;
    else typeId_ = type->typeId;
  }
  std::string Ask(const crosscheck::Question& question) {
    auto* channel = static_cast<SceneContainerInfo*>(host_.CreateChannel(typeId_));
    channel->SetInfoType(question.info->value);
    channel->LinkChild(0, &scene_, nullptr);
    host_.CreateDefaultChildren(*channel);
    std::size_t number = 0;
    for (const sci::QueryChild& input : sci::Inputs(*question.info)) {
      Orv_Channel* child = channel->GetChild(input.index);
      if (input.kind == ChildKind::Text) static_cast<TextChannel*>(child)->SetText(question.name.c_str());
      else static_cast<ValueChannel*>(child)->SetValue(question.numbers[number++]);
    }
    host_.ClearMessages();
    channel->CallChannel();
    return crosscheck::AnswerLine(question, *channel, host_.Messages());
  }

 private:
  Host host_;
  Guid typeId_;
  SceneContainer& scene_;
};

}  // namespace

// For every row of the table and every question of its info type, a
// container poisoned outside the row answers as the true scene does.
TEST(QueryReads, EveryRowNamesAllThatItsQueryReads) {
  SceneContainer truth, poison, mixed;
  Variant(0).FillInto(truth);
  Variant(1).FillInto(poison);
  Asker onTruth(truth), onMixed(mixed);
  const std::vector<crosscheck::Question> questions = crosscheck::QuestionsFor(truth);
  std::vector<int> asked(kInfoTypeCount, 0);
  for (const crosscheck::Question& question : questions) {
    const QueryReads& reads = kQueryReads[question.info->value];
    SCOPED_TRACE(std::string(question.info->name) + (question.numbers.empty() ? "" : " " + std::to_string(question.numbers[0])));
    FillMixed(reads, GeometryRead(reads, question.numbers.empty() ? -1 : question.numbers[0]), truth, poison, mixed);
    EXPECT_EQ(onMixed.Ask(question), onTruth.Ask(question));
    ++asked[question.info->value];
  }
  for (int type = 0; type < kInfoTypeCount; ++type) EXPECT_GT(asked[type], 0) << kInfoTypes[type].name;
}

namespace {

std::vector<std::string> SessionScenes() {
  std::vector<std::string> scenes = {SCI_DEMO_SCENE};
  for (const char* sample : {"fbx-lights-all-types/lights.fbx", "dae-cameras/cameras.dae", "glb-2CylinderEngine/2CylinderEngine.glb",
                             "gltf-AnimateAllTheThings/24_animation_pointer.gltf",
                             "x-skeleton-anim/BCN_Epileptic.X"}) {
    const fs::path path = fs::path(SCI_SAMPLE_SCENES_DIR) / sample;
    scenes.push_back(fs::exists(path) ? path.string() : "missing:" + path.string());
  }
  return scenes;
}

sci::QueryRequest RequestFor(const crosscheck::Question& question) {
  sci::QueryRequest request{question.info, {}};
  std::size_t number = 0;
  for (const sci::QueryChild& input : sci::Inputs(*question.info)) {
    sci::QueryInput value{input, 0, {}, false};
    if (input.kind == ChildKind::Text) value.text = question.name;
    else value.number = question.numbers[number++];
    request.inputs.push_back(value);
  }
  return request;
}

std::string TextOf(const sci::Answer& answer) {
  std::string text;
  sci::AppendText(answer, true, text);
  for (const std::string& message : answer.messages) text += "\nmessage: " + message;
  return text;
}

bool Open(sci::QuerySession& session, const std::string& scene, const std::string& cacheDir, std::string* error) {
  GuardedImportOptions options;
  options.cacheDir = cacheDir;
  return session.LoadPlugin(SCI_PLUGIN_PATH, error) && session.LoadScene(scene, error, {}, options);
}

class PartialSession : public testing::TestWithParam<std::string> {};

}  // namespace

// Every question, asked in a shuffled order in one session and each in a
// session of its own, answers as a session that loaded everything first.
TEST_P(PartialSession, AnswersAsAWholeLoadInAnyOrder) {
  if (GetParam().rfind("missing:", 0) == 0) GTEST_SKIP() << "Sample scene not found: " << GetParam().substr(8);
  const std::string cache = (fs::path(testing::TempDir()) / ("partial-" + fs::path(GetParam()).stem().string())).string();
  fs::remove_all(cache);
  std::string error;
  sci::QuerySession whole, shuffled;
  ASSERT_TRUE(Open(whole, GetParam(), cache, &error)) << error;  // the cold run writes the entry
  ASSERT_TRUE(whole.Load(kEveryPart, kEveryGeometry, &error)) << error;
  ASSERT_TRUE(Open(shuffled, GetParam(), cache, &error)) << error;

  std::vector<crosscheck::Question> questions = crosscheck::QuestionsFor(whole.Scene());
  std::shuffle(questions.begin(), questions.end(), std::mt19937(7));
  std::vector<std::string> expected;
  for (const crosscheck::Question& question : questions) {
    const sci::QueryRequest request = RequestFor(question);
    expected.push_back(TextOf(whole.Run(request)));
    EXPECT_EQ(TextOf(shuffled.Run(request)), expected.back()) << question.info->name;
  }
  EXPECT_LE(shuffled.SnapshotBytesRead(), whole.SnapshotBytesRead()) << "a part was read twice";
  // One at a time: every tenth question, each in a fresh session on the warm entry.
  for (std::size_t i = 0; i < questions.size(); i += 10) {
    sci::QuerySession alone;
    ASSERT_TRUE(Open(alone, GetParam(), cache, &error)) << error;
    EXPECT_EQ(TextOf(alone.Run(RequestFor(questions[i]))), expected[i]) << questions[i].info->name;
  }
  fs::remove_all(cache);
}

INSTANTIATE_TEST_SUITE_P(Scenes, PartialSession, testing::ValuesIn(SessionScenes()), Testing::FileTestName);

// A snapshot damaged after it was opened fails the question that reads the
// damaged part and every later one, with the same message, and the cache
// entry is dropped so that the next run imports afresh.
TEST(PartialSession, ADamagedPartFailsEveryLaterQuestionAndDropsTheEntry) {
  const std::string cache = (fs::path(testing::TempDir()) / "partial-damaged").string();
  fs::remove_all(cache);
  std::string error;
  sci::QuerySession session;
  ASSERT_TRUE(Open(session, SCI_DEMO_SCENE, cache, &error)) << error;
  std::vector<fs::path> entries;
  for (const auto& entry : fs::directory_iterator(cache)) entries.push_back(entry.path());
  ASSERT_EQ(entries.size(), 1u);
  const auto ask = [&](std::vector<std::string_view> words) {
    sci::QueryRequest request;
    std::string why;
    EXPECT_TRUE(sci::ParseQuery(words, &request, &why)) << why;
    return session.Run(request);
  };
  EXPECT_TRUE(ask({"node-count"}).messages.empty());
  {
    // Flip the last byte of the file: the scene box, read by no question yet.
    std::fstream file(entries[0], std::ios::binary | std::ios::in | std::ios::out);
    file.seekg(-1, std::ios::end);
    const char last = static_cast<char>(file.get() ^ 1);
    file.seekp(-1, std::ios::end);
    file.put(last);
  }
  EXPECT_TRUE(ask({"node-name", "0"}).messages.empty()) << "the nodes were read before the damage";
  const std::vector<std::string> first = ask({"scene-bounding-box"}).messages;
  ASSERT_EQ(first.size(), 1u);
  EXPECT_NE(first[0].find("section 'scene box' is damaged"), std::string::npos) << first[0];
  EXPECT_EQ(ask({"material-count"}).messages, first) << "a later question answered from a broken snapshot";
  EXPECT_FALSE(fs::exists(entries[0]));
  fs::remove_all(cache);
}
