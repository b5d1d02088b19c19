// sci-crosscheck-reference: the Linux side of the Windows cross check. It
// imports scenes, writes their snapshots and its own answers for the Windows
// test host to compare with, and checks project files written on Windows.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "crosscheck/answer_session.h"
#include "crosscheck/project_check.h"
#include "crosscheck/reference_folder.h"
#include "scene/import/assimp/assimp_reading.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot/snapshot.h"

namespace {

namespace fs = std::filesystem;
using namespace crosscheck;

constexpr const char* kUsage =
    "usage: sci-crosscheck-reference write OUTDIR SCENE|FOLDER...\n"
    "       sci-crosscheck-reference check-project FILE\n"
    "write: imports each scene (every scene file below a FOLDER), writes OUTDIR/NAME.snapshot,\n"
    "       OUTDIR/NAME.answers.jsonl, OUTDIR/scenes.txt and OUTDIR/project.orv.\n"
    "check-project: loads a project written by the Windows test host and checks it.\n";

bool IsSceneFile(const fs::path& path) {
  const std::string ext = Importing::Import::LowerExtension(path.string());
  for (const char* known : {"gltf", "glb", "fbx", "dae", "obj", "3ds", "x", "ply", "stl"})
    if (ext == known) return true;
  return false;
}

struct SceneFile {
  std::string path;
  std::string name;          // unique within OUTDIR
  bool expectedToFail;       // below a folder named "fails-..."
};

// The scene files an argument names: itself, or those below a folder, sorted.
bool Collect(const std::string& argument, std::vector<SceneFile>& out) {
  std::error_code ec;
  if (!fs::is_directory(argument, ec)) {
    if (!fs::exists(argument, ec)) return false;
    out.push_back({argument, fs::path(argument).stem().string(), false});
    return true;
  }
  std::vector<SceneFile> found;
  for (const auto& entry : fs::recursive_directory_iterator(argument, ec)) {
    if (!entry.is_regular_file() || !IsSceneFile(entry.path())) continue;
    std::string relative = fs::relative(entry.path(), argument).generic_string();
    const bool fails = relative.rfind("fails-", 0) == 0;
    std::replace(relative.begin(), relative.end(), '/', '.');
    found.push_back({entry.path().string(), relative, fails});
  }
  std::sort(found.begin(), found.end(), [](const SceneFile& a, const SceneFile& b) { return a.name < b.name; });
  out.insert(out.end(), found.begin(), found.end());
  return true;
}

// Imports, saves the snapshot and the answers; false with the reason. Each
// scene has a host of its own, so that no answer depends on an earlier scene.
bool WriteReference(const SceneFile& scene, const fs::path& outDir, std::string* error) {
  AnswerSession session;
  Importing::SceneContainer imported;
  if (!session.LoadPlugin(SCI_PLUGIN_PATH, error) || !Importing::ImportScene(scene.path, imported, error))
    return false;
  session.Scene().Swap(imported);
  Importing::SnapshotProvenance provenance;
  provenance.files.push_back({scene.path});
  const std::string base = (outDir / scene.name).string();
  return Importing::SaveSnapshot(session.Scene(), provenance, base + kSnapshotSuffix, error) &&
         WriteLines(base + kAnswersSuffix, session.Answer(), error);
}

int Write(const fs::path& outDir, const std::vector<std::string>& arguments) {
  std::error_code ec;
  fs::create_directories(outDir, ec);
  std::string error;
  std::vector<SceneFile> scenes;
  for (const std::string& argument : arguments) {
    if (!Collect(argument, scenes)) {
      std::fprintf(stderr, "sci-crosscheck-reference: %s not found: skipped\n", argument.c_str());
      WriteLines((outDir / kIndexFile).string(), {}, &error);
      return kSkipped;
    }
  }
  std::vector<std::string> written;
  int failures = 0;
  for (const SceneFile& scene : scenes) {
    if (WriteReference(scene, outDir, &error)) {
      written.push_back(scene.name);
      std::printf("%s: %s\n", scene.name.c_str(), scene.expectedToFail ? "imported, but expected to fail" : "written");
      failures += scene.expectedToFail;
    } else {
      std::printf("%s: %s: %s\n", scene.name.c_str(), scene.expectedToFail ? "not imported, as expected" : "FAILED",
                  error.c_str());
      failures += !scene.expectedToFail;
    }
  }
  AnswerSession session;
  if (!WriteLines((outDir / kIndexFile).string(), written, &error) || !session.LoadPlugin(SCI_PLUGIN_PATH, &error) ||
      !WriteProject(session.GetHost(), session.ChannelTypeId(), (outDir / kProjectFile).string(), &error)) {
    std::fprintf(stderr, "sci-crosscheck-reference: %s\n", error.c_str());
    return 1;
  }
  return failures == 0 ? 0 : 1;
}

int CheckProjectFile(const std::string& path) {
  AnswerSession session;
  std::string error;
  if (!session.LoadPlugin(SCI_PLUGIN_PATH, &error) ||
      !CheckProject(session.GetHost(), session.ChannelTypeId(), path, &error)) {
    std::fprintf(stderr, "sci-crosscheck-reference: %s\n", error.c_str());
    return 1;
  }
  std::printf("%s: loads here as written\n", path.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.size() >= 3 && args[0] == "write") return Write(args[1], {args.begin() + 2, args.end()});
  if (args.size() == 2 && args[0] == "check-project") return CheckProjectFile(args[1]);
  std::fputs(kUsage, stderr);
  return 2;
}
