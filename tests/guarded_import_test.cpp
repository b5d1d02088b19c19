// The guarded, cached import as hosts meet it: sci run as a process on
// hostile files (each must end with exit 3 and a message that says what
// happened, quickly), the snapshot cache (used only while nothing it read has
// changed), the helper process runner's ways of ending, and the helper dying
// with its parent.

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "scene/import/helper_process.h"
#include "scene/import/scene_importer.h"
#include "sci_run.h"

namespace {

using namespace sci_test;
using Clock = std::chrono::steady_clock;

std::string PlyTriangle(const std::string& lastIndex) {
  return "ply\nformat ascii 1.0\nelement vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
         "element face 1\nproperty list uchar int vertex_indices\nend_header\n0 0 0\n1 0 0\n0 1 0\n4 0 1 2 " +
         lastIndex + "\n";
}

// Node i lists node i+1 twice: a tree of 2^levels nodes once expanded.
std::string DoublingGltf(int levels) {
  std::string nodes;
  for (int i = 0; i <= levels; ++i) {
    const std::string next = std::to_string(i + 1);
    nodes += (i ? "," : "") + std::string("{\"name\":\"n") + std::to_string(i) + "\"" +
             (i < levels ? ",\"children\":[" + next + "," + next + "]" : "") + "}";
  }
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[)" + nodes + "]}";
}

// One triangle whose positions lie in the buffer `uri`.
std::string TriangleGltf(const std::string& uri, const std::string& name = "tri") {
  return R"({"asset":{"version":"2.0"},"scene":0,"scenes":[{"nodes":[0]}],"nodes":[{"name":")" + name +
         R"(","mesh":0}],"meshes":[{"primitives":[{"attributes":{"POSITION":0}}]}],)"
         R"("buffers":[{"byteLength":36,"uri":")" + uri + R"("}],"bufferViews":[{"buffer":0,"byteLength":36}],)"
         R"("accessors":[{"bufferView":0,"componentType":5126,"count":3,"type":"VEC3",)"
         R"("min":[0,0,0],"max":[1,1,0]}]})";
}

std::string TriangleBin(float x) {
  const float positions[9] = {0, 0, 0, x, 0, 0, 0, 1, 0};
  return std::string(reinterpret_cast<const char*>(positions), sizeof positions);
}

// tri.gltf and its tri.bin in `dir`: the scene's path.
fs::path TriangleScene(const fs::path& dir) {
  WriteFile(dir, "tri.bin", TriangleBin(1));
  return WriteFile(dir, "tri.gltf", TriangleGltf("tri.bin"));
}

// The entries of a cache folder, sorted.
std::vector<fs::path> Entries(const fs::path& cache) {
  std::vector<fs::path> found;
  for (const auto& entry : fs::directory_iterator(cache)) found.push_back(entry.path());
  std::sort(found.begin(), found.end());
  return found;
}

constexpr const char* kObjWithMtl = "mtllib quad.mtl\nusemtl red\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";

TEST(GuardedImport, HostileFilesEndWithExitThreeAndSayWhy) {
  const fs::path dir = ScratchDir();
  mkfifo((dir / "pipe.bin").c_str(), 0644);
  mkfifo((dir / "pipe.mtl").c_str(), 0644);
  fs::create_directories(dir / "folder.bin");
  struct Case {
    const char* what;
    fs::path scene;
    std::vector<std::string> options;
    std::string message;
  };
  const std::vector<Case> cases = {
      {"a face naming vertex 2000000000", WriteFile(dir, "segv.ply", PlyTriangle("2000000000")), {},
       "face 0 names vertex 2000000000 of 3"},
      {"a face naming vertex 5", WriteFile(dir, "five.ply", PlyTriangle("5")), {}, "face 0 names vertex 5"},
      {"a node tree doubling 24 times", WriteFile(dir, "doubling.gltf", DoublingGltf(24)),
       {"--reader", "assimp", "--max-memory", "2G"},
       "the reader ran out of memory (limit 2 GiB)"},
      {"a slow read", WriteFile(dir, "slow.gltf", DoublingGltf(23)), {"--reader", "assimp", "--timeout", "0.5"},
       "the reader took longer than 0.5 s"},
      {"a FIFO as buffer", WriteFile(dir, "fifo.gltf", TriangleGltf("pipe.bin")), {}, "pipe.bin' is a FIFO"},
      {"a FIFO as material library",
       WriteFile(dir, "fifo.obj", "mtllib pipe.mtl\nv 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n"), {}, "pipe.mtl' is a FIFO"},
      {"a directory as buffer", WriteFile(dir, "folder.gltf", TriangleGltf("folder.bin")), {},
       "folder.bin' is a directory"},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    std::vector<std::string> args = test.options;
    args.insert(args.end(), {"--no-cache", test.scene.string(), "node-count"});
    const SciRun run = RunSci(args);
    EXPECT_EQ(run.exitCode, 3) << run.err;
    EXPECT_EQ(run.out, "");
    EXPECT_NE(run.err.find(test.scene.filename().string()), std::string::npos) << run.err;
    EXPECT_NE(run.err.find(test.message), std::string::npos) << run.err;
  }
  fs::remove_all(dir);
}

TEST(GuardedImport, ScenesAnImportOnceRejectedStillLoadWhole) {
  const fs::path dir = ScratchDir();
  const std::string bvh =
      "HIERARCHY\nROOT Hips\n{\n OFFSET 0 0 0\n CHANNELS 6 Xposition Yposition Zposition Zrotation Xrotation "
      "Yrotation\n JOINT Chest\n {\n  OFFSET 0 5 0\n  CHANNELS 3 Zrotation Xrotation Yrotation\n  End Site\n  {\n"
      "   OFFSET 0 5 0\n  }\n }\n}\nMOTION\nFrames: 2\nFrame Time: 0.04\n0 0 0 0 0 0 0 0 0\n1 0 0 0 0 0 0 0 0\n";
  const std::string blenderPly = "ply\nformat ascii 1.0\ncomment Created by Blender\nTextureFile skin.png\n"
                                 "element vertex 3\nproperty float x\nproperty float y\nproperty float z\n"
                                 "element face 1\nproperty list uchar uint vertex_indices\nend_header\n"
                                 "0 0 0\n1 0 0\n0 1 0\n3 0 1 2\n";
  struct Case {
    const char* what;
    fs::path scene;
    std::size_t nodes, geometries, animations;
  };
  const std::vector<Case> cases = {
      {"a skeleton animation without meshes", WriteFile(dir, "walk.bvh", bvh), 3, 0, 2},
      {"a PLY header with a bare text line", WriteFile(dir, "blender.ply", blenderPly), 1, 1, 0},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.what);
    Importing::SceneContainer scene;
    std::string error;
    ASSERT_TRUE(Importing::ImportScene(test.scene.string(), scene, &error)) << error;
    EXPECT_EQ(scene.Nodes().size(), test.nodes);
    EXPECT_EQ(scene.Geometries().size(), test.geometries);
    EXPECT_EQ(scene.Animations().size(), test.animations);
  }
  fs::remove_all(dir);
}

// A scene with companions whose cache entries are watched through one
// change after another; each step says whether the entry must be reused.
TEST(GuardedImport, TheCacheIsUsedOnlyWhileNothingReadHasChanged) {
  const fs::path dir = ScratchDir();
  const fs::path cache = dir / "cache";
  const fs::path gltf = TriangleScene(dir), obj = WriteFile(dir, "quad.obj", kObjWithMtl);
  // Each entry's name and inode: a rewritten entry is a new file.
  const auto entries = [&] {
    std::vector<std::pair<fs::path, ino_t>> found;
    for (const fs::path& entry : Entries(cache)) {
      struct stat info;
      stat(entry.c_str(), &info);
      found.emplace_back(entry, info.st_ino);
    }
    return found;
  };
  struct Step {
    const char* what;
    std::function<void()> change;
    fs::path scene;
    std::vector<std::string> query;
    std::string answer;
    bool reused;
  };
  const std::vector<Step> steps = {
      {"first look", [] {}, gltf, {"node-name", "0"}, "tri", false},
      {"second look", [] {}, gltf, {"node-name", "0"}, "tri", true},
      {"a byte of the scene changed", [&] { WriteFile(dir, "tri.gltf", TriangleGltf("tri.bin", "tru")); }, gltf,
       {"node-name", "0"}, "tru", false},
      {"the companion .bin changed", [&] { WriteFile(dir, "tri.bin", TriangleBin(7)); }, gltf,
       {"scene-bounding-box"}, "7", false},
      {"unchanged again", [] {}, gltf, {"scene-bounding-box"}, "7", true},
      {"a material library still missing", [] {}, obj, {"material-as-xml", "1"}, "<r>0.6</r>", false},
      {"the material library appeared", [&] { WriteFile(dir, "quad.mtl", "newmtl red\nKd 1 0 0\n"); }, obj,
       {"material-as-xml", "1"}, "<r>1</r>", false},
  };
  std::vector<std::pair<fs::path, ino_t>> before;
  for (const Step& step : steps) {
    SCOPED_TRACE(step.what);
    step.change();
    std::vector<std::string> args{"--cache-dir", cache.string(), step.scene.string()};
    args.insert(args.end(), step.query.begin(), step.query.end());
    const SciRun run = RunSci(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find(step.answer), std::string::npos) << run.out;
    const auto after = entries();
    EXPECT_EQ(after == before, step.reused);
    before = after;
  }
  fs::remove_all(dir);
}

TEST(GuardedImport, CacheFoldersAreChosenAsAsked) {
  const fs::path dir = ScratchDir();
  const fs::path scene = TriangleScene(dir);
  const std::string xdg = getenv("XDG_CACHE_HOME") ? getenv("XDG_CACHE_HOME") : "";
  setenv("XDG_CACHE_HOME", (dir / "xdg").c_str(), 1);
  struct Case {
    std::vector<std::string> options;
    fs::path folder;  // where an entry must appear; empty: nowhere
  };
  const std::vector<Case> cases = {
      {{}, dir / "xdg" / "sci"},
      {{"--cache-dir", (dir / "mine").string()}, dir / "mine"},
      {{"--no-cache", "--cache-dir", (dir / "none").string()}, {}},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.folder);
    for (const char* folder : {"xdg", "mine", "none"}) fs::remove_all(dir / folder);
    std::vector<std::string> args = test.options;
    args.insert(args.end(), {scene.string(), "node-count"});
    const SciRun run = RunSci(args);
    ASSERT_EQ(run.exitCode, 0) << run.err;
    std::size_t written = 0;
    for (const char* folder : {"xdg", "mine", "none"})
      if (fs::exists(dir / folder))
        for (const auto& entry : fs::recursive_directory_iterator(dir / folder))
          if (entry.is_regular_file()) written += entry.path().parent_path() == test.folder ? 1 : 100;
    EXPECT_EQ(written, test.folder.empty() ? 0u : 1u);
  }
  setenv("XDG_CACHE_HOME", xdg.c_str(), 1);
  fs::remove_all(dir);
}

// Runs at once on one file, its path spelled five ways, share one entry,
// left whole and its owner's only.
TEST(GuardedImport, ConcurrentRunsOnOneFileHoweverSpelledShareOneEntry) {
  const fs::path dir = ScratchDir();
  const fs::path cache = dir / "cache", scene = TriangleScene(dir);
  fs::create_directories(dir / "sub");
  fs::create_symlink(scene, dir / "link.gltf");
  const std::vector<std::string> spellings = {scene.string(), dir.string() + "//tri.gltf",
                                              (dir / "sub" / ".." / "tri.gltf").string(),
                                              (dir / "." / "tri.gltf").string(), (dir / "link.gltf").string()};
  std::vector<std::pair<pid_t, fs::path>> runs;
  for (std::size_t i = 0; i < spellings.size(); ++i) {
    const fs::path output = dir / ("run" + std::to_string(i));
    fs::create_directories(output);
    runs.emplace_back(StartSci({"--cache-dir", cache.string(), spellings[i], "node-name", "0"}, "/dev/null", output),
                      output);
  }
  for (std::size_t i = 0; i < runs.size(); ++i) {
    const SciRun run = WaitForSci(runs[i].first, runs[i].second);
    EXPECT_EQ(run.exitCode, 0) << spellings[i] << ": " << run.err;
    EXPECT_NE(run.out.find("tri"), std::string::npos) << spellings[i];
  }
  const std::vector<fs::path> entries = Entries(cache);
  ASSERT_EQ(entries.size(), 1u) << "one entry, no half-written file left";
  struct stat info;
  ASSERT_EQ(stat(cache.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0700u) << "the folder is its owner's only";
  ASSERT_EQ(stat(entries[0].c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u) << "entries are their owner's only";
  fs::remove_all(dir);
}

// An entry or folder that someone else owns or may write is never read:
// the run imports afresh (a new entry replaces the planted one) or, for a
// folder, says once why it keeps nothing.
struct PlantCase {
  const char* name;
  std::function<void(const fs::path& cache, const fs::path& entry)> plant;
  bool entryUsed, folderUsed;
};

void ExpectPlantedIgnored(const PlantCase& test) {
  SCOPED_TRACE(test.name);
  const fs::path dir = ScratchDir();
  const fs::path cache = dir / "cache", scene = TriangleScene(dir);
  const std::vector<std::string> args{"--cache-dir", cache.string(), scene.string(), "node-name", "0"};
  ASSERT_EQ(RunSci(args).exitCode, 0);
  ASSERT_EQ(Entries(cache).size(), 1u);
  const fs::path entry = Entries(cache)[0];
  struct stat before, after;
  ASSERT_EQ(stat(entry.c_str(), &before), 0);
  test.plant(cache, entry);
  const SciRun run = RunSci(args);
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_NE(run.out.find("tri"), std::string::npos);
  ASSERT_EQ(stat(entry.c_str(), &after), 0);
  EXPECT_EQ(after.st_ino == before.st_ino, test.entryUsed || !test.folderUsed);
  EXPECT_EQ(run.err.find("is not used") != std::string::npos, !test.folderUsed) << run.err;
  if (test.folderUsed) {
    EXPECT_EQ(after.st_uid, geteuid());
  }
  fs::remove_all(dir);
}

TEST(GuardedImport, EntriesAndFoldersOthersMayWriteAreNotUsed) {
  const std::vector<PlantCase> cases = {
      {"own entry", [](const fs::path&, const fs::path&) {}, true, true},
      {"entry others may write", [](const fs::path&, const fs::path& e) { chmod(e.c_str(), 0666); }, false, true},
      {"folder others may write", [](const fs::path& c, const fs::path&) { chmod(c.c_str(), 01777); }, false, false},
  };
  for (const PlantCase& test : cases) ExpectPlantedIgnored(test);
}

TEST(GuardedImport, EntriesAndFoldersOfAnotherUserAreNotUsed) {
  if (geteuid() != 0) GTEST_SKIP() << "planting files as another user needs root";
  const uid_t nobody = 65534;
  const std::vector<PlantCase> cases = {
      {"entry of another user", [](const fs::path&, const fs::path& e) { EXPECT_EQ(chown(e.c_str(), nobody, nobody), 0); },
       false, true},
      {"folder of another user", [](const fs::path& c, const fs::path&) { EXPECT_EQ(chown(c.c_str(), nobody, nobody), 0); },
       false, false},
  };
  for (const PlantCase& test : cases) ExpectPlantedIgnored(test);
}

// The children of `parent`, from /proc.
std::vector<pid_t> ChildrenOf(pid_t parent) {
  std::vector<pid_t> children;
  for (const auto& entry : fs::directory_iterator("/proc")) {
    const std::string name = entry.path().filename();
    if (name.find_first_not_of("0123456789") != std::string::npos) continue;
    std::istringstream stat(ReadFile(entry.path() / "stat"));
    std::string pid, comm, state;
    pid_t ppid = 0;
    // The command name has no spaces here: it is "(sci-import)".
    if (stat >> pid >> comm >> state >> ppid && ppid == parent) children.push_back(std::stoi(pid));
  }
  return children;
}

bool GoneWithin(pid_t pid, double seconds) {
  for (const auto end = Clock::now() + std::chrono::duration<double>(seconds); Clock::now() < end;) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    if (stat.empty() || stat.find(") Z") != std::string::npos) return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

TEST(GuardedImport, TheReaderDiesWithItsParent) {
  const fs::path dir = ScratchDir();
  const fs::path scene = WriteFile(dir, "slow.gltf", DoublingGltf(23));
  for (int signal : {SIGKILL, SIGTERM, SIGINT}) {
    SCOPED_TRACE(Importing::Import::SignalName(signal));
    const pid_t sci = StartSci({"--no-cache", "--reader", "assimp", "--max-memory", "4G", scene.string(), "node-count"},
                               "/dev/null", dir);
    std::vector<pid_t> readers;
    for (const auto end = Clock::now() + std::chrono::seconds(10); readers.empty() && Clock::now() < end;) {
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
      readers = ChildrenOf(sci);
    }
    ASSERT_EQ(readers.size(), 1u) << "sci started no reader";
    kill(sci, signal);
    int status = 0;
    waitpid(sci, &status, 0);
    EXPECT_TRUE(GoneWithin(readers[0], 5)) << "reader " << readers[0] << " outlived sci";
  }
  fs::remove_all(dir);
}

// The helper runner's ways of ending, shown with the shell as the helper.
TEST(GuardedImport, HelperEndsAreToldApart) {
  using Importing::Import::HelperEnd;
  struct Case {
    const char* script;
    double timeout;
    HelperEnd end;
    int signal, exitStatus;
    std::string message;
    float lastProgress;
  };
  const std::vector<Case> cases = {
      {"printf 'P0.25\\nP1\\n' >&3", 0, HelperEnd::Succeeded, 0, 0, "", 1},
      {"printf 'P0.5\\nEcannot read: it is\\nbroken' >&3; exit 1", 0, HelperEnd::Failed, 0, 1,
       "cannot read: it is\nbroken", 0.5f},
      {"exit 7", 0, HelperEnd::Failed, 0, 7, "", -1},
      {"kill -SEGV $$", 0, HelperEnd::Crashed, SIGSEGV, 0, "", -1},
      {"kill -ABRT $$", 0, HelperEnd::Crashed, SIGABRT, 0, "", -1},
      {"exec sleep 30", 0.3, HelperEnd::TimedOut, 0, 0, "", -1},
  };
  for (const Case& test : cases) {
    SCOPED_TRACE(test.script);
    float last = -1;
    const auto start = Clock::now();
    const auto result = Importing::Import::RunHelper("/bin/sh", {"-c", test.script}, {0, test.timeout},
                                                     [&last](float fraction) { last = fraction; });
    EXPECT_EQ(result.end, test.end);
    EXPECT_EQ(result.signal, test.signal);
    EXPECT_EQ(result.exitStatus, test.exitStatus);
    EXPECT_EQ(result.message, test.message);
    EXPECT_FLOAT_EQ(last, test.lastProgress);
    EXPECT_LT(std::chrono::duration<double>(Clock::now() - start).count(), 5);
  }
  EXPECT_EQ(Importing::Import::SignalName(SIGSEGV), "SIGSEGV");
}

}  // namespace
