// Compressed glTF answers as its plain twin: every file we have, passed
// through gltfpack (quantized, meshopt -c and -cc) against its twin written
// without quantization (-noq); and geometry written with Draco against the
// same geometry written as floats. Positions may move by the quantization
// step: boxes compare within 1e-4 of the largest coordinate.
#include <gtest/gtest.h>

#include <draco/compression/encode.h>
#include <draco/mesh/mesh.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "scene/import/scene_importer.h"
#include "scene/import/gltf/gltf_reader.h"
#include "tests/gltf_test_files.h"

namespace Importing {
namespace {

namespace fs = std::filesystem;

const fs::path kScenes = SCI_SAMPLE_SCENES_DIR;
constexpr double kTolerance = 1e-4;

struct Box {
  D3DXVECTOR3 min, max;
  std::string where;
};

double Magnitude(const Box& box) {
  return std::max({std::fabs(box.min.x), std::fabs(box.min.y), std::fabs(box.min.z), std::fabs(box.max.x),
                   std::fabs(box.max.y), std::fabs(box.max.z)});
}

Box SceneBox(const SceneContainer& scene) {
  Box box;
  scene.GetBoundingBox(box.min, box.max);
  return box;
}

// Each surface instance's box in world space, in node and surface order: it
// holds even where a writer moves the dequantizing scale into a node.
std::vector<Box> PlacedGeometryBoxes(const SceneContainer& scene) {
  std::vector<Box> boxes;
  for (std::size_t n = 0; n < scene.Nodes().size(); ++n) {
    const D3DXMATRIX global = scene.GetGlobalTransform(static_cast<int>(n));
    for (const std::uint32_t s : scene.Nodes()[n].SurfaceIDs) {
      const Geometry& geometry = scene.Geometries()[scene.Surfaces()[s].GetGeometryID()];
      Box local, placed{{1e30f, 1e30f, 1e30f}, {-1e30f, -1e30f, -1e30f}, {}};
      geometry.GetBoundingBox(local.min, local.max);
      for (int corner = 0; corner < 8; ++corner) {
        const D3DXVECTOR3 p = TransformPoint({corner & 1 ? local.max.x : local.min.x, corner & 2 ? local.max.y : local.min.y,
                                              corner & 4 ? local.max.z : local.min.z},
                                             global);
        placed.min = {std::min(placed.min.x, p.x), std::min(placed.min.y, p.y), std::min(placed.min.z, p.z)};
        placed.max = {std::max(placed.max.x, p.x), std::max(placed.max.y, p.y), std::max(placed.max.z, p.z)};
      }
      placed.where = "node " + std::to_string(n) + " surface " + std::to_string(s);
      boxes.push_back(placed);
    }
  }
  return boxes;
}

void ExpectNear(const Box& a, const Box& b, double allowed, const std::string& what) {
  const float va[6] = {a.min.x, a.min.y, a.min.z, a.max.x, a.max.y, a.max.z};
  const float vb[6] = {b.min.x, b.min.y, b.min.z, b.max.x, b.max.y, b.max.z};
  for (int i = 0; i < 6; ++i) EXPECT_NEAR(va[i], vb[i], allowed) << what << " corner value " << i;
}

// gltfpack quantizes every mesh on one grid for the whole scene: a mesh far
// smaller than the scene, scaled up by its nodes, moves by more than 1e-4.
double ToleranceFor(const std::string& path) {
  // Its 5 mm mesh, scaled 100x, spans 6 grid steps of 0.85 mm.
  if (path.find("24_animation_pointer") != std::string::npos) return 1e-2;
  return kTolerance;
}

// The counts, the scene box, each geometry's vertex count and each placed
// geometry's box of `variant` equal those of `twin`.
void ExpectAnswersAsTwin(const SceneContainer& variant, const SceneContainer& twin, bool localBoxes,
                         double tolerance = kTolerance) {
  EXPECT_EQ(variant.Nodes().size(), twin.Nodes().size());
  EXPECT_EQ(variant.Geometries().size(), twin.Geometries().size());
  EXPECT_EQ(variant.Surfaces().size(), twin.Surfaces().size());
  EXPECT_EQ(variant.Materials().size(), twin.Materials().size());
  EXPECT_EQ(variant.TexturePaths().size(), twin.TexturePaths().size());
  EXPECT_EQ(variant.Cameras().size(), twin.Cameras().size());
  EXPECT_EQ(variant.Lights().size(), twin.Lights().size());
  const Box sceneBox = SceneBox(twin);
  const double allowed = tolerance * std::max(Magnitude(sceneBox), 1e-6);
  ExpectNear(SceneBox(variant), sceneBox, allowed, "scene box");
  const std::size_t geometries = std::min(variant.Geometries().size(), twin.Geometries().size());
  for (std::size_t g = 0; g < geometries; ++g) {
    EXPECT_EQ(variant.Geometries()[g].Vertices.size(), twin.Geometries()[g].Vertices.size()) << "geometry " << g;
    if (!localBoxes) continue;
    Box a, b;
    variant.Geometries()[g].GetBoundingBox(a.min, a.max);
    twin.Geometries()[g].GetBoundingBox(b.min, b.max);
    ExpectNear(a, b, allowed, "geometry " + std::to_string(g) + " box");
  }
  const std::vector<Box> a = PlacedGeometryBoxes(variant), b = PlacedGeometryBoxes(twin);
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) ExpectNear(a[i], b[i], allowed, "placed geometry of " + b[i].where);
}

SceneContainer Read(const fs::path& path) {
  SceneContainer scene;
  std::string error;
  EXPECT_TRUE(ImportScene(path.string(), scene, &error)) << error;
  return scene;
}

bool HaveGltfpack() { return std::system("gltfpack -h >/dev/null 2>&1") != 127 * 256 && std::system("command -v gltfpack >/dev/null") == 0; }

class GltfpackTwin : public ::testing::TestWithParam<std::string> {};

TEST_P(GltfpackTwin, EveryVariantAnswersAsItsPlainTwin) {
  const fs::path source = GetParam();
  if (source.string().rfind(kScenes.string(), 0) == 0 && !fs::is_directory(kScenes))
    GTEST_SKIP() << "Sample scenes not found at " << kScenes.string();
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
    return out;
  };
  const SceneContainer twin = Read(pack("plain", "-noq"));
  for (const auto& [name, flags] : std::vector<std::pair<std::string, std::string>>{
           {"quantized", ""}, {"meshopt", "-c"}, {"meshopt-filters", "-cc"}}) {
    SCOPED_TRACE(name);
    const SceneContainer variant = Read(pack(name, flags));
    ExpectAnswersAsTwin(variant, twin, false, ToleranceFor(source.string()));
  }
  fs::remove_all(dir);
}

INSTANTIATE_TEST_SUITE_P(Files, GltfpackTwin, ::testing::ValuesIn(Testing::GltfFiles({kScenes})),
                         Testing::FileTestName);

// The triangle geometries of `scene`, each written as one mesh under its own
// node: with float accessors, or Draco-compressed (sequential encoding, so
// that the vertices keep their number).
std::string GltfOf(const SceneContainer& scene, bool draco) {
  std::string buffer;
  std::ostringstream accessors, views, meshes, nodes;
  int accessor = 0, view = 0, mesh = 0;
  const auto addView = [&](const std::string& bytes) {
    views << (view ? "," : "") << R"({"buffer":0,"byteOffset":)" << buffer.size() << R"(,"byteLength":)" << bytes.size() << "}";
    buffer += bytes;
    while (buffer.size() % 4) buffer.push_back('\0');
    return view++;
  };
  for (const Geometry& geometry : scene.Geometries()) {
    if (geometry.GetPrimitiveSize() != 3 || geometry.Vertices.empty() || geometry.Indices.empty()) continue;
    const std::size_t n = geometry.Vertices.size();
    std::vector<float> positions;
    for (const Vertex& v : geometry.Vertices) positions.insert(positions.end(), {v.GetPosition().x, v.GetPosition().y, v.GetPosition().z});
    D3DXVECTOR3 lo, hi;
    geometry.GetBoundingBox(lo, hi);
    const int position = accessor++, indices = accessor++;
    std::string primitive;
    if (draco) {
      draco::Mesh m;
      m.set_num_points(static_cast<std::uint32_t>(n));
      draco::GeometryAttribute attribute;
      attribute.Init(draco::GeometryAttribute::POSITION, nullptr, 3, draco::DT_FLOAT32, false, 12, 0);
      const int id = m.AddAttribute(attribute, true, static_cast<std::uint32_t>(n));
      for (std::size_t i = 0; i < n; ++i)
        m.attribute(id)->SetAttributeValue(draco::AttributeValueIndex(static_cast<std::uint32_t>(i)), &positions[i * 3]);
      for (std::size_t f = 0; f + 2 < geometry.Indices.size(); f += 3)
        m.AddFace({draco::PointIndex(geometry.Indices[f]), draco::PointIndex(geometry.Indices[f + 1]),
                   draco::PointIndex(geometry.Indices[f + 2])});
      draco::Encoder encoder;
      encoder.SetEncodingMethod(draco::MESH_SEQUENTIAL_ENCODING);
      encoder.SetAttributeQuantization(draco::GeometryAttribute::POSITION, 16);
      draco::EncoderBuffer encoded;
      EXPECT_TRUE(encoder.EncodeMeshToBuffer(m, &encoded).ok());
      const int compressed = addView(std::string(encoded.data(), encoded.size()));
      accessors << (position ? "," : "") << R"({"componentType":5126,"count":)" << n << R"(,"type":"VEC3"})"
                << R"(,{"componentType":5125,"count":)" << geometry.Indices.size() << R"(,"type":"SCALAR"})";
      primitive = R"({"attributes":{"POSITION":)" + std::to_string(position) + R"(},"indices":)" + std::to_string(indices) +
                  R"(,"extensions":{"KHR_draco_mesh_compression":{"bufferView":)" + std::to_string(compressed) +
                  R"(,"attributes":{"POSITION":)" + std::to_string(m.attribute(id)->unique_id()) + "}}}}";
    } else {
      const int p = addView(std::string(reinterpret_cast<const char*>(positions.data()), positions.size() * 4));
      const int i = addView(std::string(reinterpret_cast<const char*>(geometry.Indices.data()), geometry.Indices.size() * 4));
      accessors << (position ? "," : "") << R"({"bufferView":)" << p << R"(,"componentType":5126,"count":)" << n
                << R"(,"type":"VEC3","min":[)" << lo.x << "," << lo.y << "," << lo.z << "],\"max\":[" << hi.x << ","
                << hi.y << "," << hi.z << "]}" << R"(,{"bufferView":)" << i << R"(,"componentType":5125,"count":)"
                << geometry.Indices.size() << R"(,"type":"SCALAR"})";
      primitive = R"({"attributes":{"POSITION":)" + std::to_string(position) + R"(},"indices":)" + std::to_string(indices) + "}";
    }
    meshes << (mesh ? "," : "") << R"({"primitives":[)" << primitive << "]}";
    nodes << (mesh ? "," : "") << R"({"mesh":)" << mesh << "}";
    ++mesh;
  }
  std::string roots;
  for (int i = 0; i < mesh; ++i) roots += (i ? "," : "") + std::to_string(i);
  return std::string(R"({"asset":{"version":"2.0"},)") +
         (draco ? R"("extensionsUsed":["KHR_draco_mesh_compression"],"extensionsRequired":["KHR_draco_mesh_compression"],)" : "") +
         R"("scene":0,"scenes":[{"nodes":[)" + roots + R"(]}],"nodes":[)" + nodes.str() + R"(],"meshes":[)" + meshes.str() +
         R"(],"accessors":[)" + accessors.str() + R"(],"bufferViews":[)" + views.str() + R"(],"buffers":[{"byteLength":)" +
         std::to_string(buffer.size()) + R"(,"uri":"data:application/octet-stream;base64,)" + Testing::Base64(buffer) + "\"}]}";
}

SceneContainer ReadText(const std::string& gltf) {
  SceneContainer scene;
  std::string error;
  EXPECT_TRUE(ImportSceneFromMemory(gltf.data(), gltf.size(), "gltf", scene, &error)) << error;
  return scene;
}

class DracoTwin : public ::testing::TestWithParam<std::string> {};

TEST_P(DracoTwin, AnswersAsTheSameGeometryInFloats) {
  const fs::path source = GetParam();
  if (source.string().rfind(kScenes.string(), 0) == 0 && !fs::is_directory(kScenes))
    GTEST_SKIP() << "Sample scenes not found at " << kScenes.string();
  const SceneContainer original = Read(source);
  const SceneContainer twin = ReadText(GltfOf(original, false));
  const SceneContainer draco = ReadText(GltfOf(original, true));
  if (twin.Geometries().empty()) GTEST_SKIP() << source << " holds no triangles to compress";
  ExpectAnswersAsTwin(draco, twin, true);
  // Sequential Draco keeps the faces as they were.
  for (std::size_t g = 0; g < std::min(draco.Geometries().size(), twin.Geometries().size()); ++g)
    EXPECT_EQ(draco.Geometries()[g].Indices, twin.Geometries()[g].Indices) << "geometry " << g;
}

INSTANTIATE_TEST_SUITE_P(Files, DracoTwin, ::testing::ValuesIn(Testing::GltfFiles({kScenes})),
                         Testing::FileTestName);

}  // namespace
}  // namespace Importing
