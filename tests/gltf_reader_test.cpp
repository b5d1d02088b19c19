// The glTF reader of our own against the Assimp route on every plain glTF we
// have (the shared samples, our fixtures, the demo scene and a generated
// one): the same records, except where the Assimp route is wrong, each case
// named below. Then files built in memory, and compressed files against
// their plain twins.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <draco/compression/encode.h>
#include <draco/mesh/mesh.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "generated_files.h"
#include "scene/import/scene_importer.h"
#include "tests/sample_files.h"
#include "tests/scene_comparison.h"

namespace Importing {
namespace {

namespace fs = std::filesystem;

const fs::path kScenes = SCI_SAMPLE_SCENES_DIR;
const fs::path kFixtures = SCI_TEST_DATA_DIR;

// A generated scene (a node tree with grid meshes), written once per run in
// a folder per process (ctest runs each test in one), under a name the same
// in every run (it names the test case).
std::string GeneratedGlb() {
  static const std::string path = [] {
    static const fs::path folder = fs::path(::testing::TempDir()) / ("sci_generated_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::atexit([] { fs::remove_all(folder); });
    const std::string file = (folder / "generated_tree.glb").string();
    return bench::WriteGridTreeGlb(file, 300, 30, 200) ? file : std::string();
  }();
  return path;
}

// Every .gltf and .glb under `roots`, then the demo scene and the generated one.
std::vector<std::string> GltfFiles(const std::vector<fs::path>& roots) {
  std::vector<std::string> files = Testing::SceneFiles(roots, {".gltf", ".glb"});
  files.push_back(SCI_DEMO_SCENE);
  if (!GeneratedGlb().empty()) files.push_back(GeneratedGlb());
  return files;
}

// GTEST_SKIP() leaves only the function it is written in, so it stays in
// each test body.
#define SKIP_IF_SAMPLE_MISSING(path)                                        \
  if ((path).rfind(kScenes.string(), 0) == 0 && !fs::is_directory(kScenes)) \
  GTEST_SKIP() << "Sample scenes not found at " << kScenes.string()

SceneContainer Read(const std::string& path, GltfReader reader = GltfReader::Native) {
  SceneContainer scene;
  std::string error;
  ImportOptions options;
  options.gltfReader = reader;
  EXPECT_TRUE(ImportScene(path, scene, &error, options)) << error;
  return scene;
}

// Whether the Assimp route answers a file's animations rightly: it reads
// KHR_animation_pointer channels (which aim at no node) as translations of
// the first node it met; ours skips them.
bool AnimationsComparable(const std::string& path) { return path.find("24_animation_pointer") == std::string::npos; }

class PlainGltf : public ::testing::TestWithParam<std::string> {};

TEST_P(PlainGltf, AnswersAsTheAssimpRoute) {
  const std::string path = GetParam();
  SKIP_IF_SAMPLE_MISSING(path);
  const SceneContainer native = Read(path), assimp = Read(path, GltfReader::Assimp);
  EXPECT_THAT(Testing::Differences(assimp, native, AnimationsComparable(path)), ::testing::IsEmpty())
      << path << " (Assimp vs native)";
}

INSTANTIATE_TEST_SUITE_P(Files, PlainGltf, ::testing::ValuesIn(GltfFiles({kScenes, kFixtures})),
                         Testing::FileTestName);

std::string Base64(const std::string& bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned a = static_cast<unsigned char>(bytes[i]);
    const unsigned b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const unsigned c = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
    out += alphabet[a >> 2];
    out += alphabet[((a & 3) << 4) | (b >> 4)];
    out += i + 1 < bytes.size() ? alphabet[((b & 15) << 2) | (c >> 6)] : '=';
    out += i + 2 < bytes.size() ? alphabet[c & 63] : '=';
  }
  return out;
}

template <typename T>
std::string Bytes(std::initializer_list<T> values) {
  std::string bytes;
  for (const T v : values) bytes.append(reinterpret_cast<const char*>(&v), sizeof v);
  return bytes;
}

// A document around `members` whose buffer 0 holds `bytes`.
std::string Doc(const std::string& members, const std::string& bytes = {}) {
  std::string doc = R"({"asset":{"version":"2.0"})";
  if (!bytes.empty())
    doc += R"(,"buffers":[{"byteLength":)" + std::to_string(bytes.size()) +
           R"(,"uri":"data:application/octet-stream;base64,)" + Base64(bytes) + "\"}]";
  return doc + (members.empty() ? "" : "," + members) + "}";
}

const std::string kTriangle = Bytes<float>({0, 0, 0, 1, 0, 0, 0, 1, 0});
const std::string kTriangleView = R"("bufferViews":[{"buffer":0,"byteLength":36}])";
const std::string kPositions = R"({"bufferView":0,"componentType":5126,"count":3,"type":"VEC3"})";

struct Opened {
  const char* what;
  std::string gltf;
  std::function<void(const SceneContainer&, const std::string& warnings)> check;
};

// Files glTF's validator accepts: each opens and answers what it holds.
TEST(GltfReader, OpensWhatTheFormatAllows) {
  const std::vector<Opened> cases = {
      {"no default scene: its first scene",
       Doc(R"("scenes":[{"nodes":[1]},{"nodes":[0]}],"nodes":[{"name":"a"},{"name":"b"}])"),
       [](const SceneContainer& s, const std::string& w) {
         ASSERT_EQ(s.Nodes().size(), 1u);
         EXPECT_EQ(s.Nodes()[0].GetName(), "b");
         EXPECT_NE(w.find("names no default scene"), std::string::npos) << w;
       }},
      {"no scenes: every parentless node under one root",
       Doc(R"("nodes":[{"name":"a","children":[2]},{"name":"b"},{"name":"c"}])"),
       [](const SceneContainer& s, const std::string& w) {
         ASSERT_EQ(s.Nodes().size(), 4u);
         EXPECT_EQ(s.Nodes()[0].GetName(), "ROOT");
         EXPECT_EQ(s.Nodes()[0].ChildIDs, (std::vector<int>{1, 3}));
         EXPECT_EQ(s.Nodes()[2].GetName(), "c");
         EXPECT_NE(w.find("has no scenes"), std::string::npos) << w;
       }},
      {"an accessor without a buffer view is zeros, a sparse one replaces some",
       Doc(R"("accessors":[{"componentType":5126,"count":3,"type":"VEC3","sparse":{"count":2,
           "indices":{"bufferView":0,"componentType":5121},"values":{"bufferView":1}}}],
           "bufferViews":[{"buffer":0,"byteLength":2},{"buffer":0,"byteOffset":4,"byteLength":24}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)",
           std::string("\x01\x02\0\0", 4) + Bytes<float>({4, 5, 6, 7, 8, 9})),
       [](const SceneContainer& s, const std::string&) {
         ASSERT_EQ(s.Geometries().size(), 1u);
         const auto& v = s.Geometries()[0].Vertices;
         ASSERT_EQ(v.size(), 3u);
         EXPECT_EQ(v[0].GetPosition().x, 0.0f);
         EXPECT_EQ(v[1].GetPosition().y, 5.0f);
         EXPECT_EQ(v[2].GetPosition().z, 9.0f);
       }},
      {"quantized: short positions as integers, normalized byte UVs, strided",
       Doc(R"("extensionsUsed":["KHR_mesh_quantization"],"extensionsRequired":["KHR_mesh_quantization"],
           "accessors":[{"bufferView":0,"componentType":5122,"count":3,"type":"VEC3"},
                        {"bufferView":0,"byteOffset":6,"componentType":5121,"normalized":true,"count":3,"type":"VEC2"}],
           "bufferViews":[{"buffer":0,"byteLength":24,"byteStride":8}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_0":1}}]}],
           "nodes":[{"mesh":0,"scale":[0.5,0.5,0.5]}],"scenes":[{"nodes":[0]}],"scene":0)",
           Bytes<std::int16_t>({-2, 0, 0}) + std::string("\xff\x00", 2) + Bytes<std::int16_t>({4, 0, 0}) +
               std::string("\x00\xff", 2) + Bytes<std::int16_t>({0, 6, 0}) + std::string("\x00\x00", 2)),
       [](const SceneContainer& s, const std::string&) {
         const auto& v = s.Geometries()[0].Vertices;
         EXPECT_EQ(v[0].GetPosition().x, -2.0f);
         EXPECT_EQ(v[2].GetPosition().y, 6.0f);
         EXPECT_EQ(v[0].GetUV(0).x, 1.0f);
         EXPECT_EQ(v[1].GetUV(0).y, 0.0f);  // V flipped: 1 - 1
         D3DXVECTOR3 lo, hi;
         s.GetBoundingBox(lo, hi);
         EXPECT_EQ(lo.x, -1.0f);
         EXPECT_EQ(hi.y, 3.0f);
       }},
      {"strips and fans as triangles, a line loop closed",
       Doc(kTriangleView + R"(,"accessors":[)" + kPositions + R"(],"meshes":[{"primitives":[
           {"attributes":{"POSITION":0},"mode":5},{"attributes":{"POSITION":0},"mode":6},{"attributes":{"POSITION":0},"mode":2}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)", kTriangle),
       [](const SceneContainer& s, const std::string&) {
         ASSERT_EQ(s.Geometries().size(), 3u);
         EXPECT_EQ(s.Geometries()[0].Indices, (std::vector<std::uint32_t>{0, 1, 2}));
         EXPECT_EQ(s.Geometries()[2].GetPrimitiveSize(), 2);
         EXPECT_EQ(s.Geometries()[2].Indices, (std::vector<std::uint32_t>{0, 1, 1, 2, 2, 0}));
       }},
      {"image extensions, a texture transform naming its own UV set, a second set without a first",
       Doc(kTriangleView + R"(,"accessors":[)" + kPositions + R"(,{"bufferView":0,"componentType":5126,"count":3,"type":"VEC2"}],
           "extensionsUsed":["EXT_texture_webp","KHR_texture_basisu","KHR_texture_transform","KHR_materials_emissive_strength"],
           "images":[{"uri":"a%20b.webp"},{"uri":"c.ktx2"}],
           "textures":[{"extensions":{"EXT_texture_webp":{"source":0}}},{"extensions":{"KHR_texture_basisu":{"source":1}}}],
           "materials":[{"name":"m","pbrMetallicRoughness":{"baseColorTexture":{"index":0}},
             "emissiveTexture":{"index":1,"extensions":{"KHR_texture_transform":{"texCoord":1,"scale":[2,2]}}},
             "extensions":{"KHR_materials_emissive_strength":{"emissiveStrength":4}}}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0,"TEXCOORD_1":1},"material":0}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}],"scene":0)", kTriangle),
       [](const SceneContainer& s, const std::string& w) {
         EXPECT_EQ(s.TexturePaths(), (std::vector<std::string>{"a b.webp", "c.ktx2"}));
         ASSERT_EQ(s.Surfaces()[0].Textures.size(), 2u);
         EXPECT_EQ(s.Surfaces()[0].Textures[0].GetTextureType(), "diffuse");
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetTextureType(), "emissive");
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetUVSet(), 1);
         EXPECT_EQ(s.Surfaces()[0].Textures[1].GetTextureMatrix().m[0][0], 2.0f);
         EXPECT_EQ(s.Geometries()[0].Vertices[1].GetUVSetCount(), 2u);
         EXPECT_EQ(s.Geometries()[0].Vertices[0].GetUV(1).y, 1.0f);
         EXPECT_NE(w.find("has no TEXCOORD_0"), std::string::npos) << w;
       }},
      {"an optional extension it does not read is a warning",
       Doc(R"("extensionsUsed":["EXT_made_up"],"nodes":[{}],"scenes":[{"nodes":[0]}],"scene":0)"),
       [](const SceneContainer& s, const std::string& w) {
         EXPECT_EQ(s.Nodes().size(), 1u);
         EXPECT_NE(w.find("EXT_made_up"), std::string::npos) << w;
       }},
  };
  for (const Opened& test : cases) {
    SCOPED_TRACE(test.what);
    SceneContainer scene;
    std::string error;
    ASSERT_TRUE(ImportSceneFromMemory(test.gltf.data(), test.gltf.size(), "gltf", scene, &error)) << error;
    std::string warnings;
    for (const std::string& w : scene.Source().warnings) warnings += w + "\n";
    test.check(scene, warnings);
  }
}

// Files that break the format: refused, the message naming the place; and
// the Assimp route refuses what it would misread, rather than answer it.
TEST(GltfReader, RefusesBrokenFilesNamingThePlace) {
  const std::string mesh = R"(,"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])";
  const struct {
    std::string gltf, message;
    GltfReader reader = GltfReader::Native;
  } cases[] = {
      {Doc(R"("bufferViews":[{"buffer":0,"byteLength":48}],"accessors":[)" + kPositions + "]" + mesh, kTriangle),
       "glTF.bufferViews[0]: 48 bytes from offset 0 pass the end of buffers[0] (36 bytes)"},
      {Doc(kTriangleView + R"(,"accessors":[{"bufferView":0,"byteOffset":12,"componentType":5126,"count":3,"type":"VEC3"}])" + mesh,
           kTriangle),
       "glTF.accessors[0]: 3 elements of 12 bytes from offset 12 pass the end of bufferViews[0] (36 bytes)"},
      {Doc(R"("nodes":[{"children":[1]},{"children":[0]}],"scenes":[{"nodes":[]}])"), "is its own ancestor"},
      {Doc(R"("nodes":[{"children":[2]},{"children":[2]},{}],"scenes":[{"nodes":[0,1]}])"),
       "glTF.nodes[1].children[0]: nodes[2] already is a child of nodes[0]"},
      {Doc(R"("extensionsRequired":["EXT_made_up"])"), "requires the extension EXT_made_up"},
      {Doc(R"("asset":{"version":"1.0"})").replace(0, std::string(R"({"asset":{"version":"2.0"},)").size(), "{"),
       "version is '1.0'; only glTF 2.0 is read"},
      {Doc(R"("extensionsUsed":["EXT_meshopt_compression"],"bufferViews":[{"buffer":0,"byteLength":36,"extensions":
           {"EXT_meshopt_compression":{"buffer":0,"byteLength":8,"byteStride":12,"count":3,"mode":"ATTRIBUTES"}}}],
           "accessors":[)" + kPositions + "]" + mesh, kTriangle),
       "glTF.bufferViews[0].extensions.EXT_meshopt_compression: the compressed data cannot be decoded"},
      {Doc(R"("extensionsUsed":["KHR_draco_mesh_compression"],"bufferViews":[{"buffer":0,"byteLength":36}],
           "accessors":[{"componentType":5126,"count":3,"type":"VEC3"}],"meshes":[{"primitives":[{"attributes":{"POSITION":0},
           "extensions":{"KHR_draco_mesh_compression":{"bufferView":0,"attributes":{"POSITION":0}}}}]}],
           "nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])", kTriangle),
       "KHR_draco_mesh_compression: the Draco data cannot be decoded"},
      {Doc(R"("bufferViews":[{"buffer":0,"byteLength":36},{"buffer":0,"byteOffset":36,"byteLength":12}],"accessors":[)" +
               kPositions + R"(,{"bufferView":1,"componentType":5125,"count":3,"type":"SCALAR"}],
           "meshes":[{"primitives":[{"attributes":{"POSITION":0},"indices":1}]}],"nodes":[{"mesh":0}],"scenes":[{"nodes":[0]}])",
           kTriangle + Bytes<std::uint32_t>({0, 1, 5})),
       "meshes[0].primitives[0]: index 5 at position 2 is past its 3 vertices"},
      // Read by the native reader in OpensWhatTheFormatAllows.
      {Doc(R"("extensionsUsed":["KHR_mesh_quantization"],"nodes":[{}],"scenes":[{"nodes":[0]}])"),
       "uses KHR_mesh_quantization, which the Assimp reader does not decode", GltfReader::Assimp},
  };
  for (const auto& test : cases) {
    SCOPED_TRACE(test.message);
    SceneContainer scene;
    std::string error;
    EXPECT_FALSE(ImportSceneFromMemory(test.gltf.data(), test.gltf.size(), "gltf", scene, &error, test.reader));
    EXPECT_NE(error.find(test.message), std::string::npos) << error;
    EXPECT_TRUE(scene.Nodes().empty());
  }
}

// Compressed glTF answers as its plain twin: every file we have, passed
// through gltfpack (quantized, meshopt -c and -cc) against its twin written
// without quantization (-noq). Positions may move by the quantization step:
// boxes compare within 1e-4 of the largest coordinate.
constexpr double kTolerance = 1e-4;

// The largest magnitude of a box's coordinates, at least 1e-6.
double Largest(const D3DXVECTOR3& lo, const D3DXVECTOR3& hi) {
  return std::max({1e-6f, std::fabs(lo.x), std::fabs(lo.y), std::fabs(lo.z), std::fabs(hi.x), std::fabs(hi.y),
                   std::fabs(hi.z)});
}

// The record counts, then each geometry's vertex count.
std::vector<std::size_t> Counts(const SceneContainer& s) {
  std::vector<std::size_t> counts = {s.Nodes().size(),        s.Geometries().size(), s.Surfaces().size(),
                                     s.Materials().size(),    s.TexturePaths().size(), s.Cameras().size(),
                                     s.Lights().size()};
  for (const Geometry& geometry : s.Geometries()) counts.push_back(geometry.Vertices.size());
  return counts;
}

// The scene box, then each surface instance's box in world space in node and
// surface order, six numbers a box: they hold even where a writer moves the
// dequantizing scale into a node.
std::vector<float> PlacedBoxes(const SceneContainer& scene) {
  D3DXVECTOR3 lo, hi;
  scene.GetBoundingBox(lo, hi);
  std::vector<float> boxes = {lo.x, lo.y, lo.z, hi.x, hi.y, hi.z};
  for (std::size_t n = 0; n < scene.Nodes().size(); ++n)
    for (const std::uint32_t s : scene.Nodes()[n].SurfaceIDs) {
      scene.Geometries()[scene.Surfaces()[s].GetGeometryID()].GetBoundingBox(lo, hi);
      D3DXVECTOR3 min{1e30f, 1e30f, 1e30f}, max{-1e30f, -1e30f, -1e30f};
      for (int corner = 0; corner < 8; ++corner) {
        const D3DXVECTOR3 p = TransformPoint(
            {corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y, corner & 4 ? hi.z : lo.z},
            scene.GetGlobalTransform(static_cast<int>(n)));
        min = {std::min(min.x, p.x), std::min(min.y, p.y), std::min(min.z, p.z)};
        max = {std::max(max.x, p.x), std::max(max.y, p.y), std::max(max.z, p.z)};
      }
      boxes.insert(boxes.end(), {min.x, min.y, min.z, max.x, max.y, max.z});
    }
  return boxes;
}

// gltfpack quantizes every mesh on one grid for the whole scene: a mesh far
// smaller than the scene, scaled up by its nodes, moves by more than 1e-4.
double ToleranceFor(const std::string& path) {
  // Its 5 mm mesh, scaled 100x, spans 6 grid steps of 0.85 mm.
  if (path.find("24_animation_pointer") != std::string::npos) return 1e-2;
  return kTolerance;
}

bool HaveGltfpack() { return std::system("command -v gltfpack >/dev/null") == 0; }

class GltfpackTwin : public ::testing::TestWithParam<std::string> {};

TEST_P(GltfpackTwin, EveryVariantAnswersAsItsPlainTwin) {
  const fs::path source = GetParam();
  SKIP_IF_SAMPLE_MISSING(source.string());
  if (!HaveGltfpack()) {
    if (std::getenv("CI")) FAIL() << "gltfpack is missing (tools/install-deps.sh installs it)";
    GTEST_SKIP() << "gltfpack not installed: the compressed variants were not made";
  }
  const fs::path dir = fs::path(::testing::TempDir()) / ("gltfpack_" + std::to_string(::getpid()) + source.stem().string());
  fs::create_directories(dir);
  const auto pack = [&](const std::string& name, const std::string& flags) {
    const fs::path out = dir / (name + ".glb");
    const std::string command = "gltfpack -i '" + source.string() + "' -o '" + out.string() + "' " + flags + " >/dev/null 2>&1";
    EXPECT_EQ(std::system(command.c_str()), 0) << command;
    return Read(out.string());
  };
  const SceneContainer twin = pack("plain", "-noq");
  const std::vector<float> want = PlacedBoxes(twin);
  D3DXVECTOR3 lo, hi;
  twin.GetBoundingBox(lo, hi);
  const double allowed = ToleranceFor(source.string()) * Largest(lo, hi);
  for (const auto& [name, flags] : std::vector<std::pair<std::string, std::string>>{
           {"quantized", ""}, {"meshopt", "-c"}, {"meshopt-filters", "-cc"}}) {
    SCOPED_TRACE(name);
    const SceneContainer variant = pack(name, flags);
    EXPECT_EQ(Counts(variant), Counts(twin));
    const std::vector<float> got = PlacedBoxes(variant);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i)
      EXPECT_NEAR(got[i], want[i], allowed) << (i < 6 ? "scene box" : "placed box " + std::to_string(i / 6 - 1))
                                            << " value " << i % 6;
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, GltfpackTwin, ::testing::ValuesIn(GltfFiles({kScenes})), Testing::FileTestName);

// `geometries`, each as one mesh under its own node: with float positions, or
// Draco-compressed (sequential encoding, so that the vertices keep their number).
std::string GltfOf(const std::vector<const Geometry*>& geometries, bool draco) {
  std::string buffer;
  std::ostringstream accessors, views, meshes, nodes, roots;
  int view = 0;
  const auto addView = [&](const char* bytes, std::size_t size) {
    views << (view ? "," : "") << R"({"buffer":0,"byteOffset":)" << buffer.size() << R"(,"byteLength":)" << size << "}";
    buffer.append(bytes, size);
    while (buffer.size() % 4) buffer.push_back('\0');
    return R"("bufferView":)" + std::to_string(view++) + ",";
  };
  for (std::size_t g = 0; g < geometries.size(); ++g) {
    const Geometry& geometry = *geometries[g];
    const auto n = static_cast<std::uint32_t>(geometry.Vertices.size());
    const std::vector<std::uint32_t>& index = geometry.Indices;
    std::vector<float> positions;
    for (const Vertex& v : geometry.Vertices) positions.insert(positions.end(), {v.GetPosition().x, v.GetPosition().y, v.GetPosition().z});
    std::string positionView, indexView, extension;
    if (draco) {
      draco::Mesh mesh;
      mesh.set_num_points(n);
      draco::GeometryAttribute attribute;
      attribute.Init(draco::GeometryAttribute::POSITION, nullptr, 3, draco::DT_FLOAT32, false, 12, 0);
      const int id = mesh.AddAttribute(attribute, true, n);
      for (std::uint32_t i = 0; i < n; ++i) mesh.attribute(id)->SetAttributeValue(draco::AttributeValueIndex(i), &positions[3 * i]);
      for (std::size_t f = 0; f + 2 < index.size(); f += 3)
        mesh.AddFace({draco::PointIndex(index[f]), draco::PointIndex(index[f + 1]), draco::PointIndex(index[f + 2])});
      draco::Encoder encoder;
      encoder.SetEncodingMethod(draco::MESH_SEQUENTIAL_ENCODING);
      encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, 16);
      draco::EncoderBuffer encoded;
      EXPECT_TRUE(encoder.EncodeMeshToBuffer(mesh, &encoded).ok());
      const std::string compressed = addView(encoded.data(), encoded.size());
      extension = R"(,"extensions":{"KHR_draco_mesh_compression":{)" + compressed + R"("attributes":{"POSITION":)" +
                  std::to_string(mesh.attribute(id)->unique_id()) + "}}}";
    } else {
      positionView = addView(reinterpret_cast<const char*>(positions.data()), positions.size() * 4);
      indexView = addView(reinterpret_cast<const char*>(index.data()), index.size() * 4);
    }
    D3DXVECTOR3 lo, hi;
    geometry.GetBoundingBox(lo, hi);
    const char* comma = g ? "," : "";
    accessors << comma << "{" << positionView << R"("componentType":5126,"count":)" << n << R"(,"type":"VEC3","min":[)"
              << lo.x << "," << lo.y << "," << lo.z << R"(],"max":[)" << hi.x << "," << hi.y << "," << hi.z << "]},{"
              << indexView << R"("componentType":5125,"count":)" << index.size() << R"(,"type":"SCALAR"})";
    meshes << comma << R"({"primitives":[{"attributes":{"POSITION":)" << 2 * g << R"(},"indices":)" << 2 * g + 1
           << extension << "}]}";
    nodes << comma << R"({"mesh":)" << g << "}";
    roots << comma << g;
  }
  const std::string extensions =
      R"("extensionsUsed":["KHR_draco_mesh_compression"],"extensionsRequired":["KHR_draco_mesh_compression"],)";
  return Doc((draco ? extensions : "") + R"("scene":0,"scenes":[{"nodes":[)" + roots.str() + R"(]}],"nodes":[)" +
                 nodes.str() + R"(],"meshes":[)" + meshes.str() + R"(],"accessors":[)" + accessors.str() +
                 R"(],"bufferViews":[)" + views.str() + "]",
             buffer);
}

SceneContainer ReadText(const std::string& gltf) {
  SceneContainer scene;
  std::string error;
  EXPECT_TRUE(ImportSceneFromMemory(gltf.data(), gltf.size(), "gltf", scene, &error)) << error;
  return scene;
}

// The triangle geometries of a file written with Draco answer as the same
// geometries written as floats: the same faces, each position within 1e-4
// of the geometry's largest coordinate.
class DracoTwin : public ::testing::TestWithParam<std::string> {};

TEST_P(DracoTwin, AnswersAsTheSameGeometryInFloats) {
  SKIP_IF_SAMPLE_MISSING(GetParam());
  const SceneContainer original = Read(GetParam());
  std::vector<const Geometry*> triangles;
  for (const Geometry& geometry : original.Geometries())
    if (geometry.GetPrimitiveSize() == 3 && !geometry.Vertices.empty() && !geometry.Indices.empty())
      triangles.push_back(&geometry);
  if (triangles.empty()) GTEST_SKIP() << GetParam() << " holds no triangles to compress";
  const SceneContainer twin = ReadText(GltfOf(triangles, false)), draco = ReadText(GltfOf(triangles, true));
  ASSERT_EQ(twin.Geometries().size(), triangles.size());
  ASSERT_EQ(draco.Geometries().size(), triangles.size());
  for (std::size_t g = 0; g < triangles.size(); ++g) {
    SCOPED_TRACE("geometry " + std::to_string(g));
    const Geometry &got = draco.Geometries()[g], &want = twin.Geometries()[g];
    EXPECT_EQ(got.Indices, want.Indices);  // sequential Draco keeps the faces as they were
    ASSERT_EQ(got.Vertices.size(), want.Vertices.size());
    D3DXVECTOR3 lo, hi;
    want.GetBoundingBox(lo, hi);
    const double allowed = kTolerance * Largest(lo, hi);
    for (std::size_t v = 0; v < want.Vertices.size(); ++v) {
      const D3DXVECTOR3 a = got.Vertices[v].GetPosition(), b = want.Vertices[v].GetPosition();
      const double off = std::max({std::fabs(a.x - b.x), std::fabs(a.y - b.y), std::fabs(a.z - b.z)});
      ASSERT_LE(off, allowed) << "vertex " << v;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Files, DracoTwin, ::testing::ValuesIn(GltfFiles({kScenes})), Testing::FileTestName);

}  // namespace
}  // namespace Importing
