// Snapshots: imported scenes that answer every query alike after a save and
// a load, and damaged or hostile snapshots that are refused with a message.

#include <sys/resource.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "crosscheck/answer_session.h"
#include "query_cases.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot/snapshot.h"
#include "scene/snapshot/snapshot_bytes.h"
#include "scene/snapshot/snapshot_format.h"
#include "scene/snapshot/snapshot_reader.h"
#include "tests/sample_files.h"

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
  for (const std::string& path : Testing::SceneFiles({kScenes}, Testing::kModelExtensions))
    if (path.find("/fails-") == std::string::npos) scenes.push_back(path);
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
  EXPECT_TRUE(source.animationGroups == original.animationGroups);
  EXPECT_EQ(source.embeddedImageNames, original.embeddedImageNames);
  EXPECT_TRUE(source.embeddedImageBytes == original.embeddedImageBytes);
  // Every query, with inputs across and beyond each collection, answers bit for bit alike.
  const std::vector<std::string> want = imported.Answer(), got = loaded.Answer();
  ASSERT_EQ(got.size(), want.size());
  for (std::size_t i = 0; i < want.size(); ++i) EXPECT_EQ(got[i], want[i]);
}

INSTANTIATE_TEST_SUITE_P(Scenes, SnapshotRoundTrip, testing::ValuesIn(RoundTripScenes()), Testing::FileTestName);

namespace {

const SnapshotProvenance kProvenance{"build", "5.2.5", "flags", {{"/a/scene.obj", 1, 2, 3, 4}}, {"/a/scene.mtl"}};

struct Place {
  std::size_t offset, length;
};

// Where each section's payload lies, by the index of a snapshot written by this build.
std::vector<Place> Sections(const Bytes& bytes) {
  std::vector<Place> places;
  for (std::size_t i = 0; i < snapshot::kSectionCount; ++i) {
    std::uint64_t offset, length;
    std::memcpy(&offset, &bytes[snapshot::kFileHeaderSize + i * snapshot::kIndexEntrySize + 8], 8);
    std::memcpy(&length, &bytes[snapshot::kFileHeaderSize + i * snapshot::kIndexEntrySize + 16], 8);
    places.push_back({offset, length});
  }
  return places;
}

// Writes `value` at `offset` of section `section`'s payload (from its end
// when `offset` wraps below zero) and seals the snapshot again.
Bytes Patched(Bytes bytes, std::size_t section, std::size_t offset, std::uint32_t value) {
  const Place place = Sections(bytes)[section];
  if (offset >= place.length) offset += place.length;
  std::memcpy(&bytes[place.offset + offset], &value, 4);
  snapshot::Reseal(bytes);
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

TEST(SnapshotRejects, EveryTruncationFlippedByteAndHostileField) {
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
  // Read in parts, a damaged section fails the question that reads it and leaves the rest answering.
  const Place nodes = Sections(bytes)[snapshot::kNodes];
  Bytes damaged = bytes;
  damaged[nodes.offset + nodes.length / 2] ^= 1;
  SnapshotReader reader;
  std::string error;
  ASSERT_TRUE(reader.OpenBytes(damaged.data(), damaged.size(), &error)) << error;
  SceneContainer scene;
  EXPECT_TRUE(reader.Load(kMaterialsPart, kNoGeometry, scene, &error)) << error;
  EXPECT_FALSE(reader.Load(kNodesPart | kLightsPart, kNoGeometry, scene, &error));
  EXPECT_EQ(error, "section 'nodes' is damaged (its checksum does not match)");
  EXPECT_EQ(scene.Materials().size(), fixture.Materials().size());
  EXPECT_TRUE(scene.Nodes().empty() && scene.Lights().empty()) << "a part of a failed load was kept";
  Bytes longer = bytes;
  longer.push_back(0);
  ExpectRefused(longer, "1 unexpected bytes after the last section");
  Bytes version = bytes;
  version[8] = 2;
  ExpectRefused(version, "snapshot format version 2, this build reads version 4");
  ExpectRefused(Bytes(bytes.begin(), bytes.begin() + 100), "an index of 15 sections does not fit in 100 bytes");
  Bytes shifted = bytes;
  shifted[snapshot::kFileHeaderSize + 8] += 64;  // the provenance a boundary further on
  snapshot::Reseal(shifted);
  ExpectRefused(shifted, "index entry 0 places");

  const std::uint32_t kHuge = 0xFFFFFFF0u;
  const struct {
    std::size_t section, offset;  // offset -4: the payload's last 4 bytes
    std::uint32_t value;
    const char* expected;
  } cases[] = {
      {snapshot::kProvenance, 0, kHuge, "section 'provenance': the importer build ID needs 4294967280 bytes"},
      {snapshot::kCounts, 20, 3, "section 'nodes': 2 nodes where the counts say 3"},
      {snapshot::kSource, 0, kHuge, "section 'source': the source path needs"},
      {snapshot::kAnimations, 0, kHuge, "section 'animations': 4294967280 animations need at least"},
      {snapshot::kAnimations, 4, kHuge, "4294967280 keys need at least"},
      {snapshot::kCameras, 0, 2, "2 cameras need at least 168 bytes"},
      {snapshot::kLights, 0, kHuge, "lights need at least"},
      {snapshot::kGeometryHeaders, 0, kHuge, "geometries need at least"},
      {snapshot::kGeometryHeaders, 36, 0x40000000, "geometry 0 claims"},
      {snapshot::kGeometryHeaders, 44, 9, "geometry 0 has UV layout 9/0, not one this format writes"},
      {snapshot::kGeometryHeaders, 46, 4, "geometry 0 claims 111 bytes at 4"},
      {snapshot::kGeometryData, std::size_t(-4), 0, "geometry UV set counts from 0 to 0 do not match its layout of 1"},
      {snapshot::kGeometryData, 96, 3, "a geometry indexes vertex 3 of 3"},
      {snapshot::kTexturePaths, 0, 2, "section 'texture paths': a 32-bit field needs 4 bytes"},
      {snapshot::kMaterials, 0, 0, "section 'materials': 0 materials where the counts say 1"},
      {snapshot::kNodes, 0, 2, "root node 2 of 2 nodes"},
      {snapshot::kNodes, 4, kHuge, "4294967280 nodes need at least"},
      {snapshot::kSurfaces, 4, 1, "surface 0 names geometry 1 of 1"},
      {snapshot::kSurfaces, 8, 0xFFFFFFFF, "surface 0 names material -1 of 1"},
      {snapshot::kSurfaces, 16, 5, "surface 0 names texture 5 of 1"},
      {snapshot::kParents, 4, 7, "node 0 has parent 7 of 2"},
      {snapshot::kGlobals, 0, 1, "1 global matrices where the counts say 2"},
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

  SnapshotProvenance read;
  ASSERT_TRUE(ReadSnapshotProvenance(path, read, &error)) << error;
  EXPECT_EQ(read.importerBuildId, kProvenance.importerBuildId);
  EXPECT_EQ(read.files.at(0).path, "/a/scene.obj");
  EXPECT_EQ(read.files.at(0).inode, 4u);
  EXPECT_EQ(read.missingPaths, kProvenance.missingPaths);

  // An open reader reads what the file holds as it is read: one cut short
  // meanwhile fails the part that is gone, with where it ended.
  SnapshotReader reader;
  ASSERT_TRUE(reader.OpenFile(path, &error)) << error;
  fs::resize_file(path, 1200);
  SceneContainer scene;
  EXPECT_TRUE(reader.Load(kAnimationsPart, kNoGeometry, scene, &error)) << error;
  EXPECT_FALSE(reader.Load(kEveryPart, kEveryGeometry, scene, &error));
  EXPECT_THAT(error, testing::HasSubstr("section 'nodes' ended at byte"));
  EXPECT_FALSE(ReadSnapshotProvenance(path, read, &error));
  EXPECT_THAT(error, testing::StartsWith("Cannot read snapshot '" + path + "': index entry"));

  const std::pair<std::string, const char*> unreadable[] = {{(dir / "missing").string(), "cannot be opened"},
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
    bool claimProvenance;  // the provenance's index entry claims the padded size
    const char* expected;
  } cases[] = {
      {"padded", false, "unexpected bytes after the last section"},
      {"index claims 3 GiB", true, "its section index is damaged"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    std::string error;
    ASSERT_TRUE(SaveSnapshot(fixture, kProvenance, path, &error)) << error;
    fs::resize_file(path, kPadded);
    if (c.claimProvenance) {
      std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
      const std::uint64_t length = kPadded;
      file.seekp(snapshot::kFileHeaderSize + 16);
      file.write(reinterpret_cast<const char*>(&length), 8);
    }
    rusage before, after;
    getrusage(RUSAGE_SELF, &before);
    SceneContainer scene;
    SnapshotProvenance read;
    EXPECT_FALSE(LoadSnapshot(path, scene, nullptr, &error));
    EXPECT_THAT(error, testing::HasSubstr(c.expected));
    EXPECT_FALSE(ReadSnapshotProvenance(path, read, &error));
    EXPECT_THAT(error, testing::HasSubstr(c.expected));
    getrusage(RUSAGE_SELF, &after);
    EXPECT_LT(after.ru_maxrss - before.ru_maxrss, 50 * 1024) << "KiB more resident";
  }
  fs::remove_all(dir);
}
