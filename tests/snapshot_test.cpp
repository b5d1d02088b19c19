// Snapshots: imported scenes that answer every query alike after a save and
// a load, and damaged or hostile snapshots that are refused with a message.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "channel/info_types.h"
#include "query_cases.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot.h"
#include "scene/snapshot_bytes.h"

using namespace Importing;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<std::uint8_t>;

const fs::path kScenes = SCI_SAMPLE_SCENES_DIR;

Bytes Save(const SceneContainer& scene, const SnapshotProvenance& provenance = {}) {
  Bytes bytes;
  std::string error;
  EXPECT_TRUE(SaveSnapshotToBytes(scene, provenance, bytes, &error)) << error;
  return bytes;
}

// A mesh or key collection in full (a mesh as a hash of its bits), any other output as the query cases describe it.
std::string Describe(const Orv_Channel& child) {
  if (auto* mesh = dynamic_cast<const MeshChannel*>(&child)) {
    std::uint64_t hash = 1469598103934665603ULL;
    const auto mix = [&hash](const void* data, std::size_t size) {
      for (std::size_t i = 0; i < size; ++i) hash = (hash ^ static_cast<const std::uint8_t*>(data)[i]) * 1099511628211ULL;
    };
    for (const MeshChannel::Vertex& v : mesh->GetVertices()) {
      mix(&v.position, sizeof v.position);
      mix(&v.normal, sizeof v.normal);
      mix(v.uvs.data(), v.uvs.size() * sizeof(D3DXVECTOR2));
    }
    mix(mesh->GetIndices().data(), mesh->GetIndices().size() * 4);
    return query_cases::Describe(child) + " #" + std::to_string(hash);
  }
  if (auto* keys = dynamic_cast<const MatrixCollectionChannel*>(&child)) {
    std::string text;
    for (const AnimationKeyRecord& k : keys->GetKeys())
      for (float f : {k.rotationX, k.rotationY, k.rotationZ, k.rotationW, k.positionX, k.positionY, k.positionZ,
                      k.scaleX, k.scaleY, k.scaleZ})
        text += " " + query_cases::Number(f);
    return query_cases::Describe(child) + text;
  }
  return query_cases::Describe(child);
}

std::size_t CountOf(const std::string& label, const SceneContainer& scene) {
  if (label == "Node ID") return scene.Nodes().size();
  if (label == "Surface ID") return scene.Surfaces().size();
  if (label == "Geometry ID") return scene.Geometries().size();
  if (label == "Material ID") return scene.Materials().size();
  if (label == "Texture ID") return scene.TexturePaths().size();
  if (label == "Animation ID") return scene.Animations().size();
  if (label == "Camera ID") return scene.Cameras().size();
  if (label == "Light ID") return scene.Lights().size();
  return 4;  // a number within one record's list
}

// What a plug-in channel of `type` answers on `scene` for a spread of inputs
// (first, middle, last, one past the last): every output and message.
std::string AnswerAll(Host& host, const ChannelType& pluginType, SceneContainer& scene, SCI_INFO_TYPE type) {
  auto* channel = static_cast<SceneContainerInfo*>(host.CreateChannel(pluginType.typeId));
  channel->SetInfoType(type);
  channel->LinkChild(0, &scene, nullptr);
  host.CreateDefaultChildren(*channel);
  const InfoTypeInfo& info = kInfoTypes[type];
  std::vector<std::vector<float>> spreads;  // one per Value input
  for (int i = 1; i <= FurtherChildCount(info) && !IsOutputChild(info, i); ++i) {
    const std::size_t n = CountOf(info.children[i - 1].label, scene);
    spreads.push_back({0, 1, static_cast<float>(n / 2), static_cast<float>(n) - 1, static_cast<float>(n)});
  }
  std::vector<std::string> names = {"no such node"};
  if (!scene.Nodes().empty()) names = {scene.Nodes().front().GetName(), scene.Nodes().back().GetName(), names[0]};

  std::string answers;
  std::vector<std::size_t> at(spreads.size(), 0);
  for (bool more = true; more;) {
    for (std::size_t i = 0; i < spreads.size(); ++i) {
      Orv_Channel* input = channel->GetChild(static_cast<int>(i) + 1);
      if (auto* text = dynamic_cast<TextChannel*>(input)) text->SetText(names[at[i] % names.size()].c_str());
      else dynamic_cast<ValueChannel&>(*input).SetValue(spreads[i][at[i]]);
    }
    query_cases::PresetOutputs(*channel, type);
    host.ClearMessages();
    channel->CallChannel();
    for (int i : query_cases::OutputIndices(type)) answers += Describe(*channel->GetChild(i)) + " | ";
    for (const std::string& message : host.Messages()) answers += message + " | ";
    answers += "\n";
    more = false;  // next combination, the last input fastest
    for (std::size_t i = spreads.size(); i-- > 0 && !more;) more = ++at[i] < spreads[i].size() || (at[i] = 0, false);
  }
  return answers;
}

std::vector<std::string> RoundTripScenes() {
  std::vector<std::string> scenes = {SCI_DEMO_SCENE};
  std::error_code ec;
  for (const auto& entry : fs::recursive_directory_iterator(kScenes, ec)) {
    const std::string ext = entry.path().extension().string();
    const bool model = ext.size() > 1 && std::string(".gltf.glb.fbx.FBX.dae.DAE.obj.3ds.X.ply.stl").find(ext + ".") !=
                                             std::string::npos;
    if (model && entry.path().string().find("fails-") == std::string::npos) scenes.push_back(entry.path().string());
  }
  if (scenes.size() == 1) scenes.push_back("");  // the samples are absent: one test says so
  return scenes;
}

class SnapshotRoundTrip : public testing::TestWithParam<std::string> {};

}  // namespace

TEST_P(SnapshotRoundTrip, EveryQueryAnswersAlike) {
  if (GetParam().empty()) GTEST_SKIP() << "Sample scenes not found at " << kScenes.string();
  Host host;
  std::string error;
  const ChannelType* pluginType = host.LoadPlugin(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(pluginType, nullptr) << error;
  auto* imported = static_cast<SceneContainer*>(host.Adopt(std::make_unique<SceneContainer>()));
  auto* loaded = static_cast<SceneContainer*>(host.Adopt(std::make_unique<SceneContainer>()));
  ASSERT_TRUE(ImportScene(GetParam(), *imported, &error)) << error;

  // One file per scene: ctest runs the cases as parallel processes.
  const fs::path file = fs::path(testing::TempDir()) / (fs::path(GetParam()).filename().string() + ".scisnap");
  const SnapshotProvenance provenance{"build 7", "5.2.5", "flags=1", {{GetParam(), 1234, -5, 6, 7}}, {"a.mtl"}};
  ASSERT_TRUE(SaveSnapshot(*imported, provenance, file.string(), &error)) << error;
  SnapshotProvenance read;
  ASSERT_TRUE(LoadSnapshot(file.string(), *loaded, &read, &error)) << error;
  fs::remove(file);

  EXPECT_EQ(Save(*loaded, read), Save(*imported, provenance)) << "the loaded scene encodes differently";
  EXPECT_EQ(loaded->Source().path, GetParam());
  EXPECT_EQ(loaded->Source().warnings, imported->Source().warnings);
  for (int type = 0; type < kInfoTypeCount; ++type) {
    SCOPED_TRACE(kInfoTypes[type].name);
    EXPECT_EQ(AnswerAll(host, *pluginType, *loaded, static_cast<SCI_INFO_TYPE>(type)),
              AnswerAll(host, *pluginType, *imported, static_cast<SCI_INFO_TYPE>(type)));
  }
}

INSTANTIATE_TEST_SUITE_P(Scenes, SnapshotRoundTrip, testing::ValuesIn(RoundTripScenes()), [](const auto& info) {
  std::string name = info.param.empty() ? "SamplesMissing" : fs::path(info.param).filename().string();
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

namespace {

// One of every record, and a geometry whose vertices carry different numbers of UV sets.
SceneBuilder FixtureScene() {
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

const SnapshotProvenance kProvenance{"build", "5.2.5", "flags", {{"/a/scene.obj", 1, 2, 3, 4}}, {"/a/scene.mtl"}};

// Where each section's payload starts in a snapshot written by this build.
std::vector<std::size_t> PayloadOffsets(const Bytes& bytes) {
  std::vector<std::size_t> offsets;
  for (std::size_t at = 16; at + 24 <= bytes.size();) {
    std::uint64_t length;
    std::memcpy(&length, &bytes[at + 8], 8);
    offsets.push_back(at + 24);
    at += 24 + length;
  }
  return offsets;
}

// Writes `value` at `offset` of section `section`'s payload and makes its checksum right again.
Bytes Patched(Bytes bytes, std::size_t section, std::size_t offset, std::uint32_t value) {
  const std::size_t payload = PayloadOffsets(bytes)[section];
  std::uint64_t length;
  std::memcpy(&length, &bytes[payload - 16], 8);
  if (offset >= length) offset += length;  // from the end: offset - 2^32 wraps below
  std::memcpy(&bytes[payload + offset], &value, 4);
  const std::uint64_t checksum = snapshot::Checksum(&bytes[payload], length);
  std::memcpy(&bytes[payload - 8], &checksum, 8);
  return bytes;
}

// Loads `bytes` into a container holding another scene: the load must fail
// with a message containing `expected` and leave that scene as it was.
void ExpectRefused(const Bytes& bytes, const std::string& expected) {
  SceneContainer scene;
  SceneBuilder other;
  other.AddNode("untouched");
  other.FillInto(scene);
  std::string error;
  SnapshotProvenance provenance;
  provenance.importerBuildId = "untouched";
  EXPECT_FALSE(LoadSnapshotFromBytes(bytes.data(), bytes.size(), scene, &provenance, &error));
  EXPECT_THAT(error, testing::StartsWith("Cannot load snapshot: "));
  EXPECT_THAT(error, testing::HasSubstr(expected));
  ASSERT_EQ(scene.Nodes().size(), 1u);
  EXPECT_EQ(scene.Nodes()[0].GetName(), "untouched");
  EXPECT_EQ(provenance.importerBuildId, "untouched");
}

}  // namespace

TEST(SnapshotRejects, EveryTruncationAndEveryFlippedByte) {
  SceneContainer fixture;
  FixtureScene().FillInto(fixture);
  const Bytes bytes = Save(fixture, kProvenance);
  for (std::size_t size = 0; size < bytes.size(); ++size) {
    SCOPED_TRACE("cut to " + std::to_string(size) + " bytes");
    ExpectRefused(Bytes(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(size)), "");
  }
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    SCOPED_TRACE("byte " + std::to_string(at) + " flipped");
    Bytes flipped = bytes;
    flipped[at] ^= 0x20;
    ExpectRefused(flipped, "");
  }
  Bytes longer = bytes;
  longer.push_back(0);
  ExpectRefused(longer, "1 unexpected bytes after the last section");
}

TEST(SnapshotRejects, HostileHeadersCountsAndReferences) {
  SceneContainer fixture;
  FixtureScene().FillInto(fixture);
  const Bytes bytes = Save(fixture, kProvenance);
  Bytes version = bytes;
  version[8] = 2;
  ExpectRefused(version, "snapshot format version 2, this build reads version 1");
  ExpectRefused(Bytes(bytes.begin(), bytes.begin() + 100), "section 'provenance' claims");

  enum : std::size_t { kProv, kSrc, kAnim, kCam, kLight, kGeom, kTex, kMat, kNode, kSurf };
  const std::uint32_t kHuge = 0xFFFFFFF0u;
  const struct {
    std::size_t section, offset;  // offset -4: the payload's last 4 bytes
    std::uint32_t value;
    const char* expected;
  } cases[] = {
      {kProv, 0, kHuge, "section 'provenance': the importer build ID needs 4294967280 bytes"},
      {kSrc, 0, kHuge, "section 'source': the source path needs"},
      {kAnim, 0, kHuge, "section 'animations': 4294967280 animations need at least"},
      {kAnim, 4, kHuge, "4294967280 keys need at least"},
      {kCam, 0, 2, "2 cameras need at least 168 bytes"},
      {kLight, 0, kHuge, "lights need at least"},
      {kGeom, 0, kHuge, "geometries need at least"},
      {kGeom, 36, 0x40000000, "a geometry of 1073741824 vertices and 3 indices needs"},
      {kGeom, 44, 9, "geometry UV layout 9/0 is not one this format writes"},
      {kGeom, 46, 0x00020100, "geometry UV set counts from 0 to 2 do not match its layout of 1"},
      {kGeom, std::size_t(-4), 3, "geometry 0 indexes vertex 3 of 3"},
      {kTex, 0, 2, "section 'texture paths': a 32-bit field needs 4 bytes"},
      {kMat, 0, 0, "section 'materials': 65 bytes left over after its records"},
      {kNode, 0, 2, "root node 2 of 2 nodes"},
      {kNode, 4, kHuge, "4294967280 nodes need at least"},
      {kSurf, 4, 1, "surface 0 names geometry 1 of 1"},
      {kSurf, 8, 0xFFFFFFFF, "surface 0 names material -1 of 1"},
      {kSurf, 16, 5, "surface 0 names texture 5 of 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.expected);
    ExpectRefused(Patched(bytes, c.section, c.offset, c.value), c.expected);
  }
}

TEST(SnapshotFiles, WrittenByRenameAndReadHeaderFirst) {
  SceneContainer fixture;
  FixtureScene().FillInto(fixture);
  const fs::path dir = fs::path(testing::TempDir()) / "snapshot_files";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "scene.scisnap").string();
  std::string error;

  ASSERT_TRUE(SaveSnapshot(fixture, kProvenance, path, &error)) << error;
  ASSERT_TRUE(SaveSnapshot(fixture, kProvenance, path, &error)) << error;  // replaces the first
  EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1) << "a temporary file was left";

  // The provenance still reads when the records after it are cut off.
  fs::resize_file(path, 150);
  SnapshotProvenance read;
  ASSERT_TRUE(ReadSnapshotProvenance(path, read, &error)) << error;
  EXPECT_EQ(read.importerBuildId, kProvenance.importerBuildId);
  EXPECT_EQ(read.files.at(0).path, "/a/scene.obj");
  EXPECT_EQ(read.files.at(0).inode, 4u);
  EXPECT_EQ(read.missingPaths, kProvenance.missingPaths);
  SceneContainer scene;
  EXPECT_FALSE(LoadSnapshot(path, scene, nullptr, &error));
  EXPECT_THAT(error, testing::StartsWith("Cannot load snapshot '" + path + "': section 'source'"));

  const std::pair<std::string, const char*> unreadable[] = {{(dir / "missing").string(), "no such file"},
                                                            {dir.string(), "not a regular file"}};
  for (const auto& [where, why] : unreadable) {
    EXPECT_FALSE(ReadSnapshotProvenance(where, read, &error));
    EXPECT_EQ(error, "Cannot read snapshot '" + where + "': " + why);
  }
  EXPECT_FALSE(SaveSnapshot(fixture, kProvenance, (dir / "no" / "dir").string(), &error));
  EXPECT_THAT(error, testing::HasSubstr("cannot create"));

  SceneBuilder broken = FixtureScene();
  broken.Data().nodes[1].ChildIDs = {7};
  broken.FillInto(scene);
  EXPECT_FALSE(SaveSnapshot(scene, kProvenance, (dir / "broken").string(), &error));
  EXPECT_EQ(error, "Cannot write snapshot '" + (dir / "broken").string() +
                       "': the scene has a broken reference: node 1 lists child node 7 of 2");
  EXPECT_FALSE(fs::exists(dir / "broken"));
  fs::remove_all(dir);
}
