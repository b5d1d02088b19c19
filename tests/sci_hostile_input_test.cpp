// sci given files that are missing, not files, damaged, lying about their
// sizes, or far larger or deeper than any real scene: each gives a clear
// error with exit code 3 or an answer, never a crash. The large files are
// written at test time into a temporary folder.

#include <filesystem>
#include <fstream>
#include <string>
#include <tuple>
#include <vector>

#include <gtest/gtest.h>

#include "sci_run.h"

namespace {

using namespace sci_test;

// A glTF with one triangle whose buffer lies in `bin`, declared `byteLength` long.
std::string TriangleGltf(const std::string& byteLength, const std::string& uri) {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"mesh":0}],)"
         R"("meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"buffers":[{"byteLength":)" +
         byteLength + R"(,"uri":")" + uri + R"("}],"bufferViews":[{"buffer":0,"byteLength":36}],)"
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
         R"("min":[0,0,0],"max":[1,1,0]}]})";
}

std::string Le32(std::uint32_t value) {
  std::string bytes;
  for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  return bytes;
}

// Each file sci cannot read ends it with exit code 3, naming the file and why.
TEST(SciHostileInput, UnreadableFilesExitThreeNamingTheFileAndWhy) {
  const fs::path dir = ScratchDir();
  fs::create_directories(dir / "models");
  WriteFile(dir, "small.bin", std::string(36, '\0'));
  std::string garbage;
  for (int i = 0; i < 4096; ++i) garbage.push_back(static_cast<char>((i * 7919) >> 3));
  std::string json = R"({"asset":{"version":"2.0"}})";
  const std::vector<std::tuple<const char*, fs::path, std::string>> cases = {
      {"a missing file", dir / "missing.gltf", ""},
      {"a directory", dir / "models", "is a directory"},
      {"an empty file", WriteFile(dir, "empty.gltf", ""), ""},
      {"binary garbage named .gltf", WriteFile(dir, "garbage.gltf", garbage), ""},
      {"text no reader knows", WriteFile(dir, "notes", "nothing any reader knows\n"),
       "unknown file format (no extension) and no reader recognises its content"},
      {"a PLY property without a type",
       WriteFile(dir, "untyped.ply", "ply\nformat ascii 1.0\nelement vertex 3\nproperty  vertex_indices\nend_header\n"),
       ""},
      {"a GLB whose JSON chunk claims 2 GB",
       WriteFile(dir, "claims.glb", "glTF" + Le32(2) + Le32(28) + Le32(0x80000000u) + "JSON" + json), ""},
      // A buffer whose byteLength claims 2 GB over a few bytes, in a file beside the scene or in a data URI.
      {"a buffer file claiming 2 GB", WriteFile(dir, "claims.gltf", TriangleGltf("2147483648", "small.bin")),
       "buffers[0]: claims 2147483648 bytes but holds 36 bytes"},
      {"a data URI claiming 2 GB",
       WriteFile(dir, "claims-uri.gltf", TriangleGltf("2147483648", "data:application/octet-stream;base64,AAAA")),
       "buffers[0]: claims 2147483648 bytes but holds 3 bytes"},
  };
  for (const auto& [what, path, reason] : cases) {
    SCOPED_TRACE(what);
    const SciRun run = RunSci({path.string(), "node-count"});
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(path.string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(reason), std::string::npos) << run.err;
  }
  fs::remove_all(dir);
}

TEST(SciHostileInput, AMillionNodesAreCountedAndAnswered) {
  constexpr int kNodes = 1000000;
  const fs::path dir = ScratchDir();
  const fs::path scene = WriteFile(dir, "wide.gltf", NodesGltf(kNodes, [](int i) {
                                     std::vector<int> children;
                                     if (i == 0)
                                       for (int c = 1; c < kNodes; ++c) children.push_back(c);
                                     return children;
                                   }));
  const SciRun run = RunSci({"--json", "--batch", "-", scene.string()},
                            "node-count\nnode-child-count 0\nnode-name 999999\nparent-node 999999\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto results = JsonLines(run.out);
  ASSERT_EQ(results.size(), 4u) << run.out.substr(0, 2000);
  EXPECT_EQ(results[0]["outputs"]["OUT: Object count"], kNodes) << results[0];
  EXPECT_EQ(results[1]["outputs"].begin().value(), kNodes - 1) << results[1];
  EXPECT_EQ(results[2]["outputs"].begin().value(), "n999999") << results[2];
  EXPECT_EQ(results[3]["outputs"].begin().value(), 0) << results[3];
  fs::remove_all(dir);
}

TEST(SciHostileInput, AChainOfAHundredThousandNodesIsAnsweredAndWrittenWhole) {
  constexpr int kDepth = 100000;
  const fs::path dir = ScratchDir();
  const fs::path scene = WriteFile(dir, "deep.gltf", NodesGltf(kDepth, [](int i) {
                                     return i + 1 < kDepth ? std::vector<int>{i + 1} : std::vector<int>{};
                                   }));
  const SciRun run = RunSci({"--json", "--batch", "-", scene.string()},
                            "node-count\nparent-node 99999\nnode-global-tm 99999\n");
  ASSERT_EQ(run.exitCode, 0) << run.err;
  const auto results = JsonLines(run.out);
  ASSERT_EQ(results.size(), 3u) << run.out.substr(0, 2000);
  EXPECT_EQ(results[0]["outputs"]["OUT: Object count"], kDepth) << results[0];
  EXPECT_EQ(results[1]["outputs"].begin().value(), kDepth - 2) << results[1];
  // No node of the chain moves, so the deepest one's global matrix is the
  // identity, found by walking every parent.
  EXPECT_EQ(results[2]["outputs"].begin().value().get<std::vector<float>>(),
            std::vector<float>({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1})) << results[2];

  // The tree is written whole: its JSON nests every node, and the text's
  // indentation stops growing, the level written out instead.
  const SciRun json = RunSci({"--tree", "-f", "json", scene.string()});
  ASSERT_EQ(json.exitCode, 0) << json.err;
  const Json parsed = Json::parse(json.out);
  const Json* node = &parsed["tree"];
  int depth = 1;
  for (; !(*node)["children"].empty(); ++depth) node = &(*node)["children"][0];
  EXPECT_EQ(depth, kDepth);
  EXPECT_EQ((*node)["name"], "n99999");
  const SciRun text = RunSci({"--tree", scene.string()});
  ASSERT_EQ(text.exitCode, 0) << text.err;
  EXPECT_NE(text.out.find("\n" + std::string(64, ' ') + "(level 99999) #99999 n99999\n"), std::string::npos);
  fs::remove_all(dir);
}

}  // namespace
