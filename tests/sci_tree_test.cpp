// sci --tree and the summary's tree, checked against the scene as the
// importer reads it, and parsed for every sample scene.

#include <algorithm>
#include <filesystem>
#include <regex>
#include <set>
#include <sstream>
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

// --- the summary's tables -------------------------------------------------------

// The value of the first output of an answer.
const Json& First(const Json& answer) { return answer["outputs"].begin().value(); }

// Each CSV file of `dir` as Python's csv module reads it: {name: [rows]}.
Json CsvAsPythonReadsIt(const fs::path& dir) {
  const std::string out = CommandOutput(
      "python3 -c 'import csv, glob, json, os, sys; print(json.dumps({os.path.basename(f)[:-4]: "
      "list(csv.reader(open(f, newline=\"\", encoding=\"utf-8\"))) for f in glob.glob(sys.argv[1] + \"/*.csv\")}))' '" +
      dir.string() + "'");
  return out.empty() ? Json() : Json::parse(out);
}

// The CSV text of a cell as the JSON summary gives it: null as nothing,
// booleans as yes or no, lists as their items between blanks.
void ExpectCsvCell(const std::string& csv, const Json& cell) {
  if (cell.is_null()) {
    EXPECT_EQ(csv, "");
  } else if (cell.is_boolean()) {
    EXPECT_EQ(csv, cell.get<bool>() ? "yes" : "no");
  } else if (cell.is_string()) {
    EXPECT_EQ(csv, cell.get<std::string>());
  } else if (cell.is_number()) {
    EXPECT_EQ(std::stof(csv), cell.get<float>()) << csv;
  } else if (cell.is_array()) {
    std::istringstream items(csv);
    std::vector<float> read;
    for (float item; items >> item;) read.push_back(item);
    ASSERT_EQ(read.size(), cell.size()) << csv;
    for (std::size_t i = 0; i < read.size(); ++i) EXPECT_EQ(read[i], cell[i].get<float>()) << csv;
  } else {
    EXPECT_EQ(csv.empty(), cell.empty()) << csv;  // a map of lists
  }
}

// Every Markdown table row has as many cells as its table's head, and a rule follows each head.
void ExpectMarkdownTables(const std::string& markdown) {
  std::istringstream lines(markdown);
  long cells = -1, row = 0;
  for (std::string line; std::getline(lines, line);) {
    if (line.empty() || line[0] != '|') {
      cells = -1;
      continue;
    }
    long bars = 0;
    for (std::size_t i = 0; i < line.size(); ++i) bars += line[i] == '|' && (i == 0 || line[i - 1] != '\\');
    if (cells < 0) cells = bars, row = 0;
    EXPECT_EQ(bars, cells) << line;
    if (++row == 2) {
      EXPECT_EQ(line.find_first_not_of("|-"), std::string::npos) << line;
    }
  }
}

// The tree of `model` as sci writes it, against the scene as the importer
// reads it; the summary carries the same tree, in JSON and at the end of its
// text. The SVG is Graphviz's drawing of the DOT: dot accepting it checks the DOT.
void ExpectTree(const std::string& model, const Importing::SceneContainer& scene, bool haveDot) {
  const SciRun json = RunSci({"--tree", "--format", "json", model});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json tree = Json::parse(json.out);
  EXPECT_EQ(tree["scene"], model);
  int seen = 0;
  ExpectNode(scene, tree["tree"], scene.GetRootNodeID(), seen);
  EXPECT_EQ(seen, static_cast<int>(scene.Nodes().size()));

  const SciRun summary = RunSci({"--json", model});
  ASSERT_EQ(summary.exitCode, 0) << summary.err;
  const Json summaryJson = Json::parse(summary.out);
  EXPECT_EQ(summaryJson["tree"], tree["tree"]);
  const std::string text = RunSci({model}).out, treeText = RunSci({"--tree", model}).out;
  const std::string nodes = summaryJson["counts"]["nodes"].dump();
  EXPECT_TRUE(std::regex_search(text, std::regex("^Scene .*\n  nodes: +" + nodes + "\n")));
  EXPECT_LT(text.find(fs::path(model).filename().string()), text.find('\n'));
  ASSERT_GT(text.size(), treeText.size());
  EXPECT_EQ(text.substr(text.size() - treeText.size() - 1), '\n' + treeText);

  const SciRun graph = RunSci({"--tree", "--format", haveDot ? "svg" : "dot", model});
  ASSERT_EQ(graph.exitCode, 0) << graph.err;
  EXPECT_NE(graph.out.find(haveDot ? "<svg" : "digraph scene {\n"), std::string::npos);
}

// On `model` the summary's counts say what the importer read, its tables
// what the queries answer, its totals count each surface each node draws;
// its CSV reads back in Python (when `havePython`) and its Markdown tables
// keep their columns. Its triangles are `faces` unless that is negative.
void ExpectSummaryAgreesWithTheQueries(const std::string& model, const Importing::SceneContainer& scene,
                                       bool havePython, long faces) {
  const SciRun run = RunSci({"--json", "--no-tree", model});
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const Json summary = Json::parse(run.out);
  const Json& counts = summary["counts"];
  const Json& tables = summary["tables"];
  EXPECT_TRUE(summary["tree"].is_null());
  const std::vector<std::pair<const char*, std::size_t>> records = {
      {"nodes", scene.Nodes().size()},         {"surfaces", scene.Surfaces().size()},
      {"geometries", scene.Geometries().size()}, {"materials", scene.Materials().size()},
      {"textures", scene.TexturePaths().size()}, {"animations", scene.Animations().size()},
      {"cameras", scene.Cameras().size()},     {"lights", scene.Lights().size()}};
  for (const auto& [what, count] : records) EXPECT_EQ(counts[what], count) << what;
  std::vector<std::pair<int, int>> draws;  // (node, surface) for each surface each node carries
  for (std::size_t node = 0; node < scene.Nodes().size(); ++node)
    for (const int surface : scene.Nodes()[node].SurfaceIDs) draws.emplace_back(static_cast<int>(node), surface);

  std::string batch = "scene-bounding-box\n";
  const auto ask = [&](const char* query, int count) {
    for (int id = 0; id < count; ++id) batch += std::string(query) + " " + std::to_string(id) + "\n";
  };
  const int geometries = counts["geometries"], materials = counts["materials"],
            textures = counts["textures"], animations = counts["animations"], cameras = counts["cameras"],
            lights = counts["lights"];
  for (const char* query : {"geometry", "geometry-bounding-box"}) ask(query, geometries);
  for (const char* query : {"material-name", "material-surface-count"}) ask(query, materials);
  ask("texture-path", textures);
  ask("animation-key-count", animations);
  for (const char* query : {"camera-name", "camera-node-id"}) ask(query, cameras);
  for (const char* query : {"light-type", "light-node-id"}) ask(query, lights);
  const SciRun asked = RunSci({"--json", "--batch", "-", model}, batch);
  ASSERT_EQ(asked.exitCode, 0) << asked.err;
  const auto answers = JsonLines(asked.out);
  std::size_t next = 0;
  const auto answer = [&]() -> const Json& { return answers.at(next++); };

  const Json& sceneBox = answer()["outputs"];
  EXPECT_EQ(summary["scene_box"]["min"], sceneBox["OUT: Bounding box min"]);
  EXPECT_EQ(summary["scene_box"]["max"], sceneBox["OUT: Bounding box max"]);
  std::vector<long> triangles;
  long vertices = 0;
  ASSERT_EQ(tables["meshes"].size(), static_cast<std::size_t>(geometries));
  for (int g = 0; g < geometries; ++g) {
    const Json& mesh = First(answers.at(next + static_cast<std::size_t>(g)));
    const long indices = static_cast<long>(mesh["indices"].size()), type = mesh["primitive_type"];
    const long corners = type == 4 ? 3 : type == 2 ? 2 : 1;
    const long primitives = (indices > 0 ? indices : static_cast<long>(mesh["vertices"].size())) / corners;
    triangles.push_back(type == 4 ? primitives : 0);
    vertices += static_cast<long>(mesh["vertices"].size());
    std::set<int> nodes, used, carriers;
    long drawn = 0;
    for (const auto& [drawer, surface] : draws)
      if (scene.Surfaces().at(surface).GetGeometryID() == g) {
        nodes.insert(drawer);
        carriers.insert(surface);
        used.insert(scene.Surfaces().at(surface).GetMaterialID());
        ++drawn;
      }
    const Json& row = tables["meshes"][g];
    EXPECT_EQ(row["vertices"], mesh["vertices"].size());
    EXPECT_EQ(row["triangles"], triangles.back());
    EXPECT_EQ(row["lines"], type == 2 ? primitives : 0);
    EXPECT_EQ(row["points"], type == 1 ? primitives : 0);
    EXPECT_EQ(row["uv_sets"], mesh["vertices"].empty() ? 0 : mesh["vertices"][0]["uv"].size());
    EXPECT_EQ(row["nodes"], Json(std::vector<int>(nodes.begin(), nodes.end())));
    EXPECT_EQ(row["materials"], Json(std::vector<int>(used.begin(), used.end())));
    EXPECT_EQ(row["surfaces"], carriers.size());
    EXPECT_EQ(row["draws"], drawn);
    const Json& box = answers.at(next + static_cast<std::size_t>(geometries + g))["outputs"];
    EXPECT_EQ(row["box_min"], box["OUT: Bounding box min"]);
    EXPECT_EQ(row["box_max"], box["OUT: Bounding box max"]);
  }
  next += 2 * static_cast<std::size_t>(geometries);
  EXPECT_EQ(counts["vertices"], vertices);
  long total = 0;
  for (const auto& [drawer, surface] : draws) total += triangles.at(scene.Surfaces().at(surface).GetGeometryID());
  EXPECT_EQ(counts["triangles"], total);
  if (faces >= 0) {
    EXPECT_EQ(counts["triangles"], faces);
  }
  for (int m = 0; m < materials; ++m) EXPECT_EQ(tables["materials"][m]["name"], First(answer()));
  for (int m = 0; m < materials; ++m) EXPECT_EQ(tables["materials"][m]["surfaces"], First(answer()));
  for (int t = 0; t < textures; ++t) EXPECT_EQ(tables["textures"][t]["path"], First(answer()));
  for (int a = 0; a < animations; ++a) EXPECT_EQ(tables["key_lists"][a]["keys"], First(answer()));
  // The file's animations cover every key list, each once, in order.
  long channels = 0;
  for (const Json& group : tables["animations"]) {
    const long count = group["channels"], last = channels + count - 1;
    long keys = 0;
    for (long id = channels; id <= last; ++id) keys += tables["key_lists"].at(id)["keys"].get<long>();
    EXPECT_EQ(group["keys"], keys);
    EXPECT_EQ(group["animation_ids"], count > 0 ? Json({channels, last}) : Json::array());
    channels += count;
  }
  EXPECT_EQ(channels, animations);
  for (int c = 0; c < cameras; ++c) EXPECT_EQ(tables["cameras"][c]["name"], First(answer()));
  for (int c = 0; c < cameras; ++c) EXPECT_EQ(tables["cameras"][c]["node"], First(answer()));
  for (int l = 0; l < lights; ++l) EXPECT_EQ(tables["lights"][l]["type"], answer()["names"]["OUT: Light type"]);
  for (int l = 0; l < lights; ++l) EXPECT_EQ(tables["lights"][l]["node"], First(answer()));
  EXPECT_EQ(next, answers.size());

  const fs::path dir = ScratchDir();
  const SciRun csv = RunSci({"--format", "csv", "--output-dir", dir.string(), model});
  ASSERT_EQ(csv.exitCode, 0) << csv.err;
  if (havePython) {
    const Json read = CsvAsPythonReadsIt(dir);
    ASSERT_EQ(read.size(), tables.size() + 1) << read;  // the counts, then each table
    EXPECT_EQ(read["counts"].size(), counts.size() + 1);
    for (const auto& [table, rows] : tables.items()) {
      SCOPED_TRACE(table);
      const Json& lines = read[table];
      ASSERT_EQ(lines.size(), rows.size() + 1);
      for (std::size_t r = 0; r < rows.size(); ++r) {
        std::size_t c = 0;
        for (const auto& [column, cell] : rows[r].items()) {
          EXPECT_EQ(lines[0][c], column);
          ExpectCsvCell(lines[r + 1][c++], cell);
        }
      }
    }
  }
  fs::remove_all(dir);
  const SciRun markdown = RunSci({"--format", "md", "--all", "--no-tree", model});
  ASSERT_EQ(markdown.exitCode, 0) << markdown.err;
  ExpectMarkdownTables(markdown.out);
}

// The demo and every sample scene: the tree and the summary as above. A
// sample that cannot be read fails naming its file. On files whose meshes
// are all triangles drawn once, the triangles are the faces assimp info counts.
TEST(SciSummary, TreeAndTablesAgreeWithTheSceneOnEverySampleScene) {
  const bool havePython = !CommandOutput("python3 -c 'print(1)'").empty();
  const bool haveAssimp = fs::exists("/usr/bin/assimp"), haveDot = fs::exists("/usr/bin/dot");
  const auto check = [&](const std::string& model, long faces) {
    SCOPED_TRACE(model);
    const auto scene = Import(model);
    ExpectTree(model, scene, haveDot);
    ExpectSummaryAgreesWithTheQueries(model, scene, havePython, faces);
  };
  check(SCI_DEMO_SCENE, -1);
  const fs::path scenes = SCI_SAMPLE_SCENES_DIR;
  if (!fs::is_directory(scenes)) GTEST_SKIP() << "sample scenes not found at " << scenes;
  int checked = 0;
  for (const auto& folder : fs::directory_iterator(scenes)) {
    if (!folder.is_directory()) continue;
    const std::string model = ModelIn(folder.path()), name = folder.path().filename().string();
    if (name.rfind("fails-", 0) == 0) {
      const SciRun run = RunSci({"--tree", "--format", "json", model});
      EXPECT_EQ(run.exitCode, 3) << model;
      EXPECT_NE(run.err.find(model), std::string::npos) << run.err;
      continue;
    }
    long faces = -1;
    if (haveAssimp && (name == "dae-duck" || name == "obj-stanford-bunny")) {
      const std::string info = CommandOutput("assimp info '" + model + "' 2>/dev/null");
      ASSERT_NE(info.find("Faces:"), std::string::npos) << info;
      faces = std::stol(info.substr(info.find("Faces:") + 6));
    }
    check(model, faces);
    ++checked;
  }
  EXPECT_EQ(checked, 29);
  if (!havePython) GTEST_SKIP() << "python3 not found: the CSV files were not read back";
  if (!haveAssimp) GTEST_SKIP() << "assimp info not installed: the duck's and the bunny's faces were not compared";
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
  const std::string gltf = R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes + "]}";
  const fs::path scene = WriteFile(ScratchDir(), "names.gltf", gltf);

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

}  // namespace
