// sci --tree and the summary's tree, checked against the scene as the
// importer reads it, and parsed for every sample scene.

#include <algorithm>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "sci_run.h"
#include "scene/import/scene_importer.h"
#include "scene/scene_container.h"

namespace {

using namespace sci_test;

const char* kLightTypeNames[] = {"unknown", "point", "spot", "directional", "ambient", "area"};

Importing::SceneContainer Import(const std::string& path) {
  Importing::SceneContainer scene;
  std::string error;
  EXPECT_TRUE(Importing::ImportScene(path, scene, &error)) << error;
  return scene;
}

// Checks one node object of the JSON tree, and all below it, against the
// container; counts the nodes seen.
void ExpectNode(const Importing::SceneContainer& scene, const Json& node, int id, int& seen) {
  ++seen;
  SCOPED_TRACE("node " + std::to_string(id));
  const Importing::Node& expected = scene.Nodes().at(id);
  ASSERT_EQ(node["id"], id);
  EXPECT_EQ(node["name"], expected.GetName());
  if (expected.GetAnimationID() < 0) EXPECT_TRUE(node["animation"].is_null());
  else EXPECT_EQ(node["animation"], expected.GetAnimationID());

  ASSERT_EQ(node["surfaces"].size(), expected.SurfaceIDs.size());
  for (std::size_t s = 0; s < expected.SurfaceIDs.size(); ++s) {
    const Json& surface = node["surfaces"][s];
    const Importing::Surface& record = scene.Surfaces().at(expected.SurfaceIDs[s]);
    EXPECT_EQ(surface["id"], expected.SurfaceIDs[s]);
    EXPECT_EQ(surface["geometry"], record.GetGeometryID());
    EXPECT_EQ(surface["material"], record.GetMaterialID());
    ASSERT_EQ(surface["maps"].size(), record.Textures.size());
    for (std::size_t m = 0; m < record.Textures.size(); ++m) {
      const Json& map = surface["maps"][m];
      EXPECT_EQ(map["type"], record.Textures[m].GetTextureType());
      EXPECT_EQ(map["uv_set"].get<float>(), static_cast<float>(record.Textures[m].GetUVSet()));
      EXPECT_EQ(map["amount"].get<float>(), record.Textures[m].GetAmount());
      if (record.Textures[m].GetTextureID() < 0) EXPECT_TRUE(map["texture"].is_null());
      else EXPECT_EQ(map["texture"], record.Textures[m].GetTextureID());
    }
  }
  ASSERT_EQ(node["cameras"].size(), expected.CameraIDs.size());
  for (std::size_t c = 0; c < expected.CameraIDs.size(); ++c) {
    EXPECT_EQ(node["cameras"][c]["id"], expected.CameraIDs[c]);
    EXPECT_EQ(node["cameras"][c]["name"], scene.Cameras().at(expected.CameraIDs[c]).GetName());
  }
  ASSERT_EQ(node["lights"].size(), expected.LightIDs.size());
  for (std::size_t l = 0; l < expected.LightIDs.size(); ++l) {
    const Importing::Light& light = scene.Lights().at(expected.LightIDs[l]);
    EXPECT_EQ(node["lights"][l]["id"], expected.LightIDs[l]);
    EXPECT_EQ(node["lights"][l]["name"], light.GetName());
    EXPECT_EQ(node["lights"][l]["type"], kLightTypeNames[light.GetType()]);
  }
  ASSERT_EQ(node["children"].size(), expected.ChildIDs.size());
  for (std::size_t c = 0; c < expected.ChildIDs.size(); ++c)
    ExpectNode(scene, node["children"][c], expected.ChildIDs[c], seen);
}

// The model file of a sample folder, told by its extension.
std::string ModelIn(const fs::path& folder) {
  const std::vector<std::string> models = {".gltf", ".glb", ".fbx", ".dae", ".obj", ".3ds", ".x", ".ply", ".stl"};
  for (const auto& entry : fs::directory_iterator(folder)) {
    std::string extension = entry.path().extension().string();
    for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(models.begin(), models.end(), extension) != models.end()) return entry.path().string();
  }
  return {};
}

TEST(SciTree, DemoTreeMatchesTheSceneAndTheSummaryCarriesIt) {
  const auto scene = Import(SCI_DEMO_SCENE);
  const SciRun run = RunSci({"--tree", "--format", "json", SCI_DEMO_SCENE});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json tree = Json::parse(run.out);
  EXPECT_EQ(tree["scene"], SCI_DEMO_SCENE);
  int seen = 0;
  ExpectNode(scene, tree["tree"], scene.GetRootNodeID(), seen);
  EXPECT_EQ(seen, static_cast<int>(scene.Nodes().size()));

  const SciRun summary = RunSci({"--json", SCI_DEMO_SCENE});
  ASSERT_EQ(summary.exitCode, 0) << summary.err;
  EXPECT_EQ(Json::parse(summary.out)["tree"], tree["tree"]);
}

TEST(SciTree, EverySampleSceneGivesATreeThatParses) {
  const fs::path scenes = SCI_SAMPLE_SCENES_DIR;
  if (!fs::is_directory(scenes)) GTEST_SKIP() << "sample scenes not found at " << scenes;
  const bool haveDot = fs::exists("/usr/bin/dot");
  int loaded = 0;
  for (const auto& folder : fs::directory_iterator(scenes)) {
    if (!folder.is_directory()) continue;
    const std::string model = ModelIn(folder.path());
    SCOPED_TRACE(model);
    const SciRun json = RunSci({"--tree", "--format", "json", model});
    if (folder.path().filename().string().rfind("fails-", 0) == 0) {
      EXPECT_EQ(json.exitCode, 3);
      EXPECT_NE(json.err.find(model), std::string::npos) << json.err;
      continue;
    }
    ASSERT_EQ(json.exitCode, 0) << json.err;
    ++loaded;
    const auto scene = Import(model);
    int seen = 0;
    ExpectNode(scene, Json::parse(json.out)["tree"], scene.GetRootNodeID(), seen);
    EXPECT_EQ(seen, static_cast<int>(scene.Nodes().size()));

    // The SVG is Graphviz's drawing of the DOT: dot accepting it checks the DOT.
    const SciRun graph = RunSci({"--tree", "--format", haveDot ? "svg" : "dot", model});
    ASSERT_EQ(graph.exitCode, 0) << graph.err;
    EXPECT_NE(graph.out.find(haveDot ? "<svg" : "digraph scene {\n"), std::string::npos);
  }
  EXPECT_EQ(loaded, 29);
  if (!haveDot) GTEST_SKIP() << "Graphviz's dot not installed: the SVG drawing was not checked";
}

TEST(SciTree, AnyNameGivesValidJsonEscapedTextAndADrawableGraph) {
  // Names that break unescaped XML, terminals and DOT; one not UTF-8 at all.
  const std::vector<std::string> names = {"quote\\\"d", "back\\\\slash", "esc\\u001b[31m", "line\\nbreak",
                                          "<tag>&amp;", "bad \xff\xfe end"};
  const std::vector<std::string> decoded = {"quote\"d", "back\\slash", "esc\x1b[31m", "line\nbreak", "<tag>&amp;",
                                            "bad \xef\xbf\xbd\xef\xbf\xbd end"};
  std::string nodes = R"({"name":"root","children":[1,2,3,4,5,6]})";
  for (const auto& name : names) nodes += R"(,{"name":")" + name + "\"}";
  const fs::path scene = WriteScratchFile(
      "names.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes + "]}");

  const SciRun json = RunSci({"--tree", "-f", "json", scene.string()});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json tree = Json::parse(json.out)["tree"];
  ASSERT_EQ(tree["children"].size(), names.size());
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(tree["children"][i]["name"], decoded[i]);

  // Assimp's reader keeps bytes that are not UTF-8 (ours reads them as
  // U+FFFD): the text output must escape them.
  const SciRun text = RunSci({"--reader", "assimp", "--tree", scene.string()});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("  #3 esc\\x1b[31m\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  #4 line\\nbreak\n"), std::string::npos) << text.out;
  EXPECT_NE(text.out.find("  #6 bad \\xff\\xfe end\n"), std::string::npos) << text.out;

  // The channel's XML in text: only control characters are escaped.
  const SciRun xml = RunSci({scene.string(), "scene-hierarchy"});
  EXPECT_NE(xml.out.find("name=\"esc\\x1b[31m\""), std::string::npos) << xml.out;
  EXPECT_NE(xml.out.find("name=\"quote\"d\""), std::string::npos) << xml.out;
  // JSON keeps every byte that is UTF-8; others become U+FFFD.
  const Json xmlJson = Json::parse(RunSci({"--json", scene.string(), "scene-hierarchy"}).out);
  const std::string xmlText = xmlJson["outputs"]["OUT: Scene XML text"];
  EXPECT_NE(xmlText.find("name=\"esc\x1b[31m\""), std::string::npos);
  EXPECT_NE(xmlText.find("name=\"bad \xef\xbf\xbd\xef\xbf\xbd end\""), std::string::npos);

  if (!fs::exists("/usr/bin/dot")) GTEST_SKIP() << "Graphviz's dot not installed: the drawing was not checked";
  const SciRun svg = RunSci({"--tree", "-f", "svg", scene.string()});
  EXPECT_EQ(svg.exitCode, 0) << svg.err;
  EXPECT_NE(svg.out.find("quote&quot;d"), std::string::npos);
  fs::remove_all(scene.parent_path());
}

TEST(SciTree, ADeepChainIsWrittenWhole) {
  constexpr int kDepth = 3000;
  std::string nodes;
  for (int i = 0; i < kDepth; ++i)
    nodes += (i ? "," : "") + std::string(R"({"name":"n)") + std::to_string(i) + "\"" +
             (i + 1 < kDepth ? R"(,"children":[)" + std::to_string(i + 1) + "]" : "") + "}";
  const fs::path scene = WriteScratchFile(
      "chain.gltf", R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes + "]}");
  const SciRun json = RunSci({"--tree", "-f", "json", scene.string()});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json parsed = Json::parse(json.out);
  const Json* node = &parsed["tree"];
  int depth = 1;
  for (; !(*node)["children"].empty(); ++depth) node = &(*node)["children"][0];
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ((*node)["name"], "n" + std::to_string(kDepth - 1));

  // Indentation stops growing; the level is written out instead.
  // Assimp's reader keeps bytes that are not UTF-8 (ours reads them as
  // U+FFFD): the text output must escape them.
  const SciRun text = RunSci({"--reader", "assimp", "--tree", scene.string()});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("\n" + std::string(64, ' ') + "(level 2999) #2999 n2999\n"), std::string::npos);
  fs::remove_all(scene.parent_path());
}

}  // namespace
