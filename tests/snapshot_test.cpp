// Snapshots: imported scenes that answer every query alike after a save and
// a load, and damaged or hostile snapshots that are refused with a message.

#include <sys/resource.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crosscheck/answer_session.h"
#include "query_cases.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot.h"
#include "scene/snapshot_bytes.h"
#include "scene/snapshot_format.h"

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
  crosscheck::AnswerSession imported, loaded;
  std::string error;
  ASSERT_TRUE(imported.LoadPlugin(SCI_PLUGIN_PATH, &error)) << error;
  ASSERT_TRUE(loaded.LoadPlugin(SCI_PLUGIN_PATH, &error)) << error;
  ASSERT_TRUE(ImportScene(GetParam(), imported.Scene(), &error)) << error;

  // One file per scene: ctest runs the cases as parallel processes.
  const fs::path file = fs::path(testing::TempDir()) / (fs::path(GetParam()).filename().string() + ".scisnap");
  const SnapshotProvenance provenance{"build 7", "5.2.5", "flags=1", {{GetParam(), 1234, -5, 6, 7}}, {"a.mtl"}};
  ASSERT_TRUE(SaveSnapshot(imported.Scene(), provenance, file.string(), &error)) << error;
  SnapshotProvenance read;
  ASSERT_TRUE(LoadSnapshot(file.string(), loaded.Scene(), &read, &error)) << error;
  fs::remove(file);

  EXPECT_EQ(Save(loaded.Scene(), read), Save(imported.Scene(), provenance)) << "the loaded scene encodes differently";
  const auto &source = loaded.Scene().Source(), &original = imported.Scene().Source();
  EXPECT_EQ(source.path, GetParam());
  EXPECT_EQ(source.warnings, original.warnings);
  EXPECT_EQ(source.embeddedImageNames, original.embeddedImageNames);
  EXPECT_TRUE(source.embeddedImageBytes == original.embeddedImageBytes);
  // Every query, with inputs across and beyond each collection, answers bit for bit alike.
  const std::vector<std::string> want = imported.Answer(), got = loaded.Answer();
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]);
}

INSTANTIATE_TEST_SUITE_P(Scenes, SnapshotRoundTrip, testing::ValuesIn(RoundTripScenes()), [](const auto& info) {
  std::string name = info.param.empty() ? "SamplesMissing" : fs::path(info.param).filename().string();
  for (char& ch : name)
    if (!std::isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return name;
});

namespace {

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
  query_cases::EverythingScene().FillInto(fixture);
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
  query_cases::EverythingScene().FillInto(fixture);
  const Bytes bytes = Save(fixture, kProvenance);
  Bytes version = bytes;
  version[8] = 3;
  ExpectRefused(version, "snapshot format version 3, this build reads version 2");
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
  query_cases::EverythingScene().FillInto(fixture);
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

  SceneBuilder broken = query_cases::EverythingScene();
  broken.Data().nodes[1].ChildIDs = {7};
  broken.FillInto(scene);
  EXPECT_FALSE(SaveSnapshot(scene, kProvenance, (dir / "broken").string(), &error));
  EXPECT_EQ(error, "Cannot write snapshot '" + (dir / "broken").string() +
                       "': the scene has a broken reference: node 1 lists child node 7 of 2");
  EXPECT_FALSE(fs::exists(dir / "broken"));
  fs::remove_all(dir);
}

// A padded entry, or one whose provenance claims more than the file holds,
// is refused from its headers: the host never reads the padding.
TEST(SnapshotFiles, PaddedOrOverclaimingFilesAreRefusedUnread) {
  SceneContainer fixture;
  query_cases::EverythingScene().FillInto(fixture);
  const fs::path dir = fs::path(testing::TempDir()) / "snapshot_padded";
  fs::remove_all(dir);
  fs::create_directories(dir);
  const std::string path = (dir / "scene.scisnap").string();
  const std::uintmax_t kPadded = std::uintmax_t{3} << 30;
  const struct {
    const char* name;
    bool claimProvenance;  // the provenance length claims the padded size
    const char* expected;
  } cases[] = {
      {"padded", false, "unexpected bytes after the last section"},
      {"provenance claims 3 GiB", true, "section 'provenance' claims 3221225472 bytes"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(SaveSnapshot(fixture, kProvenance, path, &error)) << error;
    fs::resize_file(path, kPadded);
    if (c.claimProvenance) {
      std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
      const std::uint64_t length = kPadded;
      file.seekp(snapshot::kFileHeaderSize + 8);
      file.write(reinterpret_cast<const char*>(&length), 8);
    }
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    SceneContainer scene;
    SnapshotProvenance read;
    EXPECT_FALSE(LoadSnapshot(path, scene, nullptr, &error));
    EXPECT_THAT(error, testing::HasSubstr(c.expected));
    const bool provenanceRead = ReadSnapshotProvenance(path, read, &error);
    EXPECT_EQ(provenanceRead, !c.claimProvenance) << error;
    if (c.claimProvenance) {
      EXPECT_THAT(error, testing::HasSubstr(c.expected));
    }
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024) << "KiB more resident";
  }
  fs::remove_all(dir);
}
