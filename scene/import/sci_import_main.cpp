// sci-import: the helper that the guarded import starts to read one scene
// file in a process of its own. It imports SCENE, writes the result as a
// snapshot to SNAPSHOT and exits; the parent loads the snapshot. Failures
// are reported to the parent (see helper_process.h) and end with status 1;
// memory refused ends it with kOutOfMemoryExitStatus.
//
// Usage: sci-import SCENE SNAPSHOT BUILD_ID PARENT_PID GLTF_READER

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "scene/import/import_settings.h"
#include "scene/import/helper_process.h"
#include "scene/import/scene_importer.h"
#include "scene/snapshot/snapshot.h"

namespace {

using namespace Importing;

int Fail(const std::string& message) {
  Import::ReportErrorToParent(message);
  return 1;
}

int Run(int argc, char** argv) {
  ImportOptions options;
  if (argc != 6 || !ParseGltfReader(argv[5], options.gltfReader)) {
    std::fprintf(stderr,
                 "usage: sci-import SCENE SNAPSHOT BUILD_ID PARENT_PID native|assimp (started by the importer, not by hand)\n");
    return 2;
  }
  if (!Import::DieWithParent(std::strtol(argv[4], nullptr, 10))) return 1;
  const std::string path = argv[1], snapshot = argv[2];

  ImportedFiles files;
  options.files = &files;
  float reported = -1;
  options.progress = [&reported](float fraction) {
    if (std::fabs(fraction - reported) < 0.01f && fraction < 1) return;
    reported = fraction;
    Import::ReportProgressToParent(fraction);
  };
  SceneContainer container;
  std::string error;
  if (!ImportScene(path, container, &error, options)) return Fail(error);

  SnapshotProvenance provenance;
  provenance.importerBuildId = argv[3];
  provenance.readerLibraries = Import::ReaderLibrariesText();
  provenance.importSettings = Import::ImportSettingsText(options.gltfReader);
  for (const auto& file : files.opened)
    provenance.files.push_back({file.path, file.size, file.mtimeNs, file.ctimeNs, file.inode});
  provenance.missingPaths = files.missing;
  if (!SaveSnapshot(container, provenance, snapshot, &error))
    return Fail("Cannot import '" + path + "': cannot write its snapshot: " + error);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // Memory refused is the limit reached, whichever reader asked: the parent
  // reports it as such, rather than as the reader's own error text.
  std::set_new_handler([] { std::_Exit(Importing::Import::kOutOfMemoryExitStatus); });
  int status = 1;
  try {
    status = Run(argc, argv);
  } catch (const std::bad_alloc&) {
    status = Importing::Import::kOutOfMemoryExitStatus;
  }
  std::fflush(nullptr);
  // The scene is in the snapshot; tearing down its copy here is wasted time.
  std::_Exit(status);
}
