// Runs the built sci as a process and checks what it writes and how it exits.
// Values are checked against the demo scene as the importer reads it, so
// that a float that does not read back exactly is caught.

#include <cmath>
#include <filesystem>
#include <functional>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include "channel/info_types.h"
#include "sci_run.h"
#include "scene/import/scene_importer.h"
#include "scene/scene_container.h"

namespace {

using namespace sci_test;

// The outputs of one query answered as JSON, after checking it succeeded.
Json Outputs(const std::vector<std::string>& args) {
  std::vector<std::string> all{"--json"};
  all.insert(all.end(), args.begin(), args.end());
  const SciRun run = RunSci(all);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.err.find("loading"), std::string::npos);  // no progress line when standard error is a file
  const auto lines = JsonLines(run.out);
  EXPECT_EQ(lines.size(), 1u) << run.out;
  return lines.empty() ? Json() : lines[0]["outputs"];
}

// The demo scene as the importer reads it: what sci must report.
const Importing::SceneContainer& DemoScene() {
  static const auto* scene = [] {
    auto* container = new Importing::SceneContainer();
    std::string error;
    EXPECT_TRUE(Importing::ImportScene(SCI_DEMO_SCENE, *container, &error)) << error;
    return container;
  }();
  return *scene;
}

int DemoMaterialNamed(const std::string& name) {
  const auto& materials = DemoScene().Materials();
  for (std::size_t i = 0; i < materials.size(); ++i)
    if (materials[i].GetName() == name) return static_cast<int>(i);
  return -1;
}

// The demo geometry that carries two UV sets (the table top).
int DemoGeometryWithTwoUVSets() {
  const auto& geometries = DemoScene().Geometries();
  for (std::size_t i = 0; i < geometries.size(); ++i)
    if (!geometries[i].Vertices.empty() && geometries[i].Vertices[0].GetUVSetCount() == 2) return static_cast<int>(i);
  return -1;
}

void ExpectVector(const Json& json, const D3DXVECTOR3& v) {
  ASSERT_EQ(json.size(), 3u) << json;
  EXPECT_EQ(json[0].get<float>(), v.x);
  EXPECT_EQ(json[1].get<float>(), v.y);
  EXPECT_EQ(json[2].get<float>(), v.z);
}

void ExpectVector(const Json& json, const Importing::Color& c) { ExpectVector(json, D3DXVECTOR3{c.r, c.g, c.b}); }

// Each output kind, as JSON reading back exactly to the importer's values,
// and as text: label and value, numbers that stand for something saying what.
TEST(SciOutputKinds, JsonReadsBackExactlyAndTextLabelsEachValue) {
  const auto& scene = DemoScene();
  ASSERT_GE(scene.Nodes().size(), 9u);
  const int geometry = DemoGeometryWithTwoUVSets();
  const int wood = DemoMaterialNamed("Wood");
  ASSERT_GE(geometry, 0);
  ASSERT_GE(wood, 0);
  ASSERT_FALSE(scene.Animations().empty());
  const std::string number = "-?[0-9.e+-]+";
  const std::string vector = number + ", " + number + ", " + number;
  const std::string row = " +" + number + " +" + number + " +" + number + " +" + number + "\n";
  const std::string mesh =
      "OUT: Object data:\n  primitive type: 4 \\(triangle list\\)\n  vertices: 24, indices: 36, UV sets: 2\n";
  struct Case {
    std::vector<std::string> args;
    std::function<void(const Json&)> check;  // of the JSON outputs; null for text only
    std::string pattern;                     // the whole text output; empty for JSON only
  };
  const std::vector<Case> cases = {
      {{"node-count"}, [&](const Json& out) { EXPECT_EQ(out["OUT: Object count"], scene.Nodes().size()); }, ""},
      {{"node-name", "2"}, [&](const Json& out) { EXPECT_EQ(out["OUT: Node name"], "Cup"); }, ""},
      {{"node-note", "1"}, nullptr, "OUT: User properties:\n(  [a-z_]+=.*\n)+"},
      {{"scene-hierarchy"}, nullptr, "<node id=\"0\" name=\"World\" [\\s\\S]*</node>\n"},
      {{"node-local-tm", "1"}, nullptr, "OUT: Local matrix:\n" + row + row + row + " +0 +0\\.75 +0 +1\n"},
      {{"node-local-tm", "8"}, [&](const Json& out) {
         const Json& m = out["OUT: Local matrix"];
         ASSERT_EQ(m.size(), 16u);
         const D3DXMATRIX& expected = scene.Nodes()[8].LocalMatrix();
         for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i].get<float>(), expected.m[i / 4][i % 4]) << "element " << i;
       }, ""},
      {{"scene-bounding-box"}, [&](const Json& out) {
         D3DXVECTOR3 min, max;
         scene.GetBoundingBox(min, max);
         ExpectVector(out["OUT: Bounding box min"], min);
         ExpectVector(out["OUT: Bounding box max"], max);
       }, "OUT: Bounding box min: " + vector + "\nOUT: Bounding box max: " + vector + "\n"},
      {{"geometry", std::to_string(geometry)}, [&](const Json& out) {
         const Json& mesh = out["OUT: Object data"];
         const Importing::Geometry& expected = scene.Geometries()[geometry];
         EXPECT_EQ(mesh["primitive_type"], 4);
         ASSERT_EQ(mesh["vertices"].size(), expected.Vertices.size());
         for (std::size_t i = 0; i < expected.Vertices.size(); ++i) {
           const Json& vertex = mesh["vertices"][i];
           ExpectVector(vertex["position"], expected.Vertices[i].GetPosition());
           ExpectVector(vertex["normal"], expected.Vertices[i].GetNormal());
           ASSERT_EQ(vertex["uv"].size(), 2u);
           EXPECT_EQ(vertex["uv"][1][0].get<float>(), expected.Vertices[i].GetUV(1).x);
           EXPECT_EQ(vertex["uv"][1][1].get<float>(), expected.Vertices[i].GetUV(1).y);
         }
         EXPECT_EQ(mesh["indices"].get<std::vector<std::uint32_t>>(), expected.Indices);
       }, mesh + "(  vertex [0-3]: position " + vector + "; normal " + vector + "; uv0 [^;]+; uv1 .*\n){4}"
          "  \\.\\.\\. 20 more vertices \\(--full shows all\\)\n  indices:( [0-9]+){24} \\.\\.\\.\n"},
      {{"--full", "geometry", std::to_string(geometry)}, nullptr,
       mesh + "(  vertex [0-9]+: position .*\n){24}  indices:( [0-9]+){36}\n"},
      {{"material", std::to_string(wood)}, [&](const Json& out) {
         const Json& material = out["OUT: Material channel"];
         const Importing::Material& expected = scene.Materials()[wood];
         EXPECT_EQ(material["name"], "Wood");
         ExpectVector(material["diffuse"], expected.GetDiffuse());
         ExpectVector(material["emissive"], expected.GetEmissive());
         ExpectVector(material["specular"], expected.GetSpecular());
         EXPECT_EQ(material["specular_power"].get<float>(), expected.GetSpecularPower());
         EXPECT_EQ(material["opacity"].get<float>(), expected.GetOpacity());
       }, "OUT: Material channel:\n  name: Wood\n  diffuse: " + vector + "\n[\\s\\S]*opacity: 1\n"},
      {{"texture", "0"}, [&](const Json& out) {
         EXPECT_EQ(out["OUT: Texture channel"]["flag"], true);
         EXPECT_EQ(out["OUT: Texture channel"]["file"], scene.TexturePaths().at(0));
       }, "OUT: Texture channel:\n  flag: true\n  file: textures/[a-z]+\\.png\n"},
      {{"animation", "0"}, [&](const Json& out) {
         const Json& keys = out["OUT: Animation"]["keys"];
         const Importing::Animation& expected = scene.Animations()[0];
         ASSERT_EQ(keys.size(), expected.size());
         for (std::size_t i = 0; i < expected.size(); ++i) {
           EXPECT_EQ(keys[i]["time"], expected[i].GetTime());
           ExpectVector(keys[i]["position"], expected[i].GetPosition());
           EXPECT_EQ(keys[i]["rotation"][3].get<float>(), expected[i].GetRotation().w);
           ExpectVector(keys[i]["scale"], expected[i].GetScale());
         }
       }, "OUT: Animation: 5 keys\n(  key [0-4]: time [0-9]+ \\([0-9.]+ s\\); rotation .*\n){5}"},
      {{"light-type", "2"}, nullptr, "OUT: Light type: 2 \\(spot\\)\n"},
      {{"light-type", "1"}, nullptr, "OUT: Light type: 3 \\(directional\\)\n"},
      {{"light-shadow-cast", "0"}, nullptr, "OUT: Light cast a shadow\\?: 0 \\(no\\)\n"},
      {{"node-id", "Nobody"}, nullptr, "OUT: Node ID: -1 \\(none\\)\n"},
      {{"node-animation", "1"}, nullptr, "OUT: Animation ID: -1 \\(none\\)\n"},
      {{"node-animation", "5"}, nullptr, "OUT: Animation ID: 0\n"},
      {{"animation-time", "0", "1"}, nullptr, "OUT: Time of key: 0.5 s \\(2400 ticks\\)\n"},
      {{"light-phi", "2"}, nullptr, "OUT: Light outer cone angle: ([0-9.]+) rad \\(([0-9.]+) degrees\\)\n"},
      {{"camera-fov-y", "0"}, nullptr, "OUT: Camera vertical FOV: ([0-9.]+) rad \\(([0-9.]+) degrees\\)\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.front() + " " + c.args.back());
    if (c.check) c.check(Outputs(c.args));
    if (c.pattern.empty()) continue;
    const SciRun run = RunSci(c.args);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    std::smatch match;
    ASSERT_TRUE(std::regex_match(run.out, match, std::regex(c.pattern))) << run.out;
    // An angle in radians is followed by the same angle in degrees.
    if (c.pattern.find("degrees") != std::string::npos) {
      EXPECT_NEAR(std::stod(match[1]) * 180 / M_PI, std::stod(match[2]), 0.006);
    }
  }
}

// --- naming queries ----------------------------------------------------------------

TEST(SciQueryNames, ShortFullAndNumberNameTheSameQuery) {
  for (const char* name : {"node-child", "SCI_NODE_CHILD", "NODE_CHILD", "sci-node-child", "11"}) {
    SCOPED_TRACE(name);
    const SciRun run = RunSci({"--json", name, "0", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Json result = Json::parse(run.out);
    EXPECT_EQ(result["query"], "node-child");
    EXPECT_EQ(result["info_type"], 11);
    EXPECT_EQ(result["inputs"], Json::parse(R"({"Node ID": 0, "Child number": 1})"));
    EXPECT_EQ(result["outputs"]["OUT: child node ID"], 5);  // World's second child, Spinner
  }
}

TEST(SciList, NamesAll69AndEveryNameIsAccepted) {
  const SciRun text = RunSci({"--list"});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  std::istringstream lines(text.out);
  std::string line;
  std::getline(lines, line);  // header
  int rows = 0;
  for (; std::getline(lines, line) && !line.empty(); ++rows) {
    const auto& info = Importing::kInfoTypes[rows];
    EXPECT_TRUE(std::regex_search(line, std::regex("^ ?" + std::to_string(rows) + "  [a-z-]+ ")));
    EXPECT_NE(line.find(info.children[0].label), std::string::npos) << line;
  }
  EXPECT_EQ(rows, 69);
  EXPECT_NE(text.out.find("row vectors"), std::string::npos);
  EXPECT_NE(text.out.find("translation in the last row"), std::string::npos);

  const SciRun json = RunSci({"--list", "--json"});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json list = Json::parse(json.out);
  ASSERT_EQ(list.size(), 69u);
  // Ask every listed query, by its listed name, with its listed inputs.
  std::string batch;
  for (const Json& query : list) {
    batch += query["query"].get<std::string>();
    for (const Json& input : query["inputs"]) batch += input["kind"] == "Text" ? " World" : " 0";
    batch += '\n';
  }
  const SciRun all = RunSci({"--json", "--batch", "-"}, batch);
  EXPECT_NE(all.exitCode, 2) << all.err;
  const auto results = JsonLines(all.out);
  ASSERT_EQ(results.size(), 69u);
  for (int i = 0; i < 69; ++i) {
    EXPECT_EQ(results[i]["info_type"], i);
    EXPECT_EQ(results[i]["outputs"].size(), list[i]["outputs"].size());
  }
}

// --- exit codes ---------------------------------------------------------------------

TEST(SciExitCodes, HelpAndVersionExitZero) {
  const SciRun help = RunSci({"--help"});
  EXPECT_EQ(help.exitCode, 0);
  EXPECT_NE(help.out.find("Usage: sci [OPTIONS] [SCENE] [QUERY [INPUT...]]"), std::string::npos);
  for (const char* part : {"--batch", "--tree", "name:WORD", "not always well-formed XML"})
    EXPECT_NE(help.out.find(part), std::string::npos) << part;
  EXPECT_EQ(help.out.find("Positionals"), std::string::npos);
  const SciRun version = RunSci({"--version"});
  EXPECT_EQ(version.exitCode, 0);
  EXPECT_EQ(version.out, std::string("sci ") + SCI_VERSION + "\n");
}

// --- batch --------------------------------------------------------------------------

// Each line is answered as a single run would; a bad line is reported in
// its place and the rest answered.
TEST(SciBatch, AnswersEachLineAsASingleRunWould) {
  const std::vector<std::string> queries = {
      "node-child 0 1", "node-id \"Cup\"", "texture 0",    "texture 99",     "node-local-tm 2",
      "node-name 1",    "node-name 99",    "node-child 0", "node-name \"Cup", "node-name 2",
  };
  std::string batch = "# comments and blank lines are skipped\n\n";
  for (const auto& query : queries) batch += "  " + query + "\n";
  const fs::path file = WriteFile(ScratchDir(), "queries.txt", batch);
  const SciRun run = RunSci({"--json", "--batch", file.string()});
  EXPECT_EQ(run.exitCode, 2);  // two inputs out of range, two bad lines
  const auto results = JsonLines(run.out);
  ASSERT_EQ(results.size(), queries.size());
  EXPECT_EQ(results[1]["outputs"]["OUT: Node ID"], 2);
  // What a failed query leaves is a fresh output, not the previous answer.
  EXPECT_EQ(results[3]["outputs"]["OUT: Texture channel"], Json::parse(R"({"flag": false, "file": ""})"));
  EXPECT_EQ(results[6]["outputs"]["OUT: Node name"], nullptr);
  EXPECT_EQ(results[7]["line"], 10);
  EXPECT_NE(results[7]["error"].get<std::string>().find("Node ID, Child number"), std::string::npos);
  EXPECT_EQ(results[8]["error"], "unclosed quote");
  for (std::size_t i : {0, 2, 4, 5, 9}) {
    SCOPED_TRACE(queries[i]);
    std::istringstream words(queries[i]);
    std::vector<std::string> args{"--json"};
    for (std::string word; words >> word;) args.push_back(word);
    EXPECT_EQ(results[i], Json::parse(RunSci(args).out));
  }
  EXPECT_NE(run.err.find("sci: line 9: node-name: "), std::string::npos) << run.err;
}

TEST(SciBatch, PlainTextEchoesEachQuery) {
  const SciRun run = RunSci({"--batch", "-", SCI_DEMO_SCENE}, "node-name 2\nnode-count\n");
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_EQ(run.out, "> node-name 2\nOUT: Node name: Cup\n> node-count\nOUT: Object count: 11\n");
}

}  // namespace
