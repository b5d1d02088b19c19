#include "scene/import/assimp_reading.h"

#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/config.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>
#include <string>

// Assimp as Debian builds it keeps its internal assertions, and a failed one
// aborts the whole process; damaged files trip them (a post-processing step
// meeting faces that validation would have rejected, for one). This
// definition takes precedence over the library's and turns a failed
// assertion into an exception, which Assimp catches at its API boundary: the
// read returns no scene and the file is reported as unreadable.
namespace Assimp {
__attribute__((visibility("default"))) void aiAssertViolation(const char* expression, const char* file, int line) {
  throw std::runtime_error(std::string("Assimp's internal check '") + expression + "' failed (" + file + ":" +
                           std::to_string(line) + ")");
}
}  // namespace Assimp

namespace Importing::Import {
namespace {

// Forwards Assimp's progress to the caller's callback; never cancels.
class CallbackProgress : public Assimp::ProgressHandler {
 public:
  explicit CallbackProgress(const std::function<void(float)>& callback) : callback_(callback) {}
  bool Update(float fraction) override {
    if (fraction >= 0) callback_(std::min(fraction, 1.0f));
    return true;
  }

 private:
  const std::function<void(float)>& callback_;
};

// Installs a progress handler for one read and detaches it again, so that
// the importer never deletes an object it does not own. Only a handler it
// installed is detached: detaching makes Assimp allocate a new default
// handler without freeing the one it has.
class ProgressScope {
 public:
  ProgressScope(Assimp::Importer& importer, const std::function<void(float)>& callback)
      : importer_(importer), handler_(callback), attached_(static_cast<bool>(callback)) {
    if (attached_) importer_.SetProgressHandler(&handler_);
  }
  ~ProgressScope() {
    if (attached_) importer_.SetProgressHandler(nullptr);
  }
  ProgressScope(const ProgressScope&) = delete;
  ProgressScope& operator=(const ProgressScope&) = delete;

 private:
  Assimp::Importer& importer_;
  CallbackProgress handler_;
  bool attached_;
};

// The file system of a read from memory: it has no files. Assimp reads the
// bytes through a memory stream of its own and asks this for anything else a
// file names (materials, buffers, images), which is then missing.
class NoFiles : public Assimp::IOSystem {
 public:
  bool Exists(const char*) const override { return false; }
  char getOsSeparator() const override { return '/'; }
  Assimp::IOStream* Open(const char*, const char*) override { return nullptr; }
  void Close(Assimp::IOStream* file) override { delete file; }
};

template <typename Read>
ReadOutcome ReadWithValidationFallback(Assimp::Importer& importer, Read read) {
  ReadOutcome outcome;
  outcome.scene = read(PostProcessFlags(true));
  if (outcome.scene) return outcome;
  const std::string validatedError = importer.GetErrorString();
  outcome.scene = read(PostProcessFlags(false));
  if (outcome.scene) {
    outcome.warnings.push_back("Loaded without validation, which rejected the file: " + validatedError);
  } else {
    outcome.error = validatedError.empty() ? importer.GetErrorString() : validatedError;
  }
  return outcome;
}

}  // namespace

unsigned PostProcessFlags(bool validate) {
  unsigned flags = aiProcess_Triangulate | aiProcess_SortByPType | aiProcess_GenBoundingBoxes;
  if (validate) flags |= aiProcess_ValidateDataStructure;
  return flags;
}

void ConfigureImporter(Assimp::Importer& importer) {
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
}

ReadOutcome ReadFile(Assimp::Importer& importer, const std::string& path,
                     const std::function<void(float)>& progress) {
  ProgressScope scope(importer, progress);
  ReadOutcome outcome = ReadWithValidationFallback(
      importer, [&](unsigned flags) { return importer.ReadFile(path, flags); });
  if (progress && outcome.scene) progress(1.0f);
  return outcome;
}

ReadOutcome ReadMemory(Assimp::Importer& importer, const void* data, std::size_t size,
                       const std::string& extension) {
  importer.SetIOHandler(new NoFiles);  // the importer owns it
  return ReadWithValidationFallback(importer, [&](unsigned flags) {
    return importer.ReadFileFromMemory(data, size, flags, extension.c_str());
  });
}

std::string FormatName(const Assimp::Importer& importer, const aiScene& scene,
                       const std::string& extension) {
  aiString name;
  if (scene.mMetaData && scene.mMetaData->Get(AI_METADATA_SOURCE_FORMAT, name) && name.length > 0)
    return name.C_Str();
  const aiImporterDesc* desc = importer.GetImporterInfo(importer.GetImporterIndex(extension.c_str()));
  return desc ? desc->mName : extension;
}

std::string LowerExtension(const std::string& path) {
  std::string ext = std::filesystem::path(path).extension().string();
  if (!ext.empty() && ext.front() == '.') ext.erase(0, 1);
  std::transform(ext.begin(), ext.end(), ext.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return ext;
}

}  // namespace Importing::Import
