#include "scene/import/assimp/assimp_reading.h"

#include "scene/import/assimp/raw_scene_checks.h"
#include "scene/import/import_settings.h"
#include "scene/import/scene_importer.h"

#include <assimp/IOStream.hpp>
#include <assimp/IOSystem.hpp>
#include <assimp/Importer.hpp>
#include <assimp/ProgressHandler.hpp>
#include <assimp/commonMetaData.h>
#include <assimp/config.h>
#include <assimp/importerdesc.h>
#include <assimp/postprocess.h>
#include <assimp/scene.h>
#include <assimp/version.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <memory>
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

// Validation rejects scenes without meshes, which are whole scenes to us.
bool OnlyLacksMeshes(const std::string& validationError) {
  return validationError.find("mNumMeshes is 0") != std::string::npos;
}

// Names each value fault of a read scene in its warnings; the values stay
// as the file holds them.
ReadOutcome WithValueWarnings(ReadOutcome outcome) {
  for (const std::string& fault : ValueFaults(*outcome.scene))
    outcome.warnings.push_back("Kept as the file holds it: " + fault);
  return outcome;
}

// Reads with every step; when validation rejects the data, reads it again
// with no step at all, checks every vertex reference itself and only then
// runs the steps that index vertices without bounds checks; a scene
// whose structure is broken is refused with each fault named. Some of Assimp's
// readers keep state from one read to the next, so the second read uses a
// fresh importer with this library's settings, made by `fresh`.
template <typename Fresh, typename Read>
ReadOutcome ReadWithValidationFallback(Assimp::Importer& importer, Fresh fresh, Read read) {
  ReadOutcome outcome;
  outcome.scene = read(importer, PostProcessFlags(true));
  if (outcome.scene) return WithValueWarnings(std::move(outcome));
  const std::string validatedError = importer.GetErrorString();
  outcome.fallback = fresh();
  Assimp::Importer& second = *outcome.fallback;
  const aiScene* raw = read(second, 0u);
  if (raw == nullptr) {
    outcome.error = validatedError.empty() ? second.GetErrorString() : validatedError;
    return outcome;
  }
  const std::vector<std::string> faults = StructuralFaults(*raw);
  if (!faults.empty()) {
    second.FreeScene();
    outcome.error = "the file is damaged: " + faults.front();
    for (std::size_t i = 1; i < faults.size(); ++i) outcome.error += "; " + faults[i];
    return outcome;
  }
  outcome.scene = second.ApplyPostProcessing(PostProcessFlags(false));
  if (!outcome.scene) {
    outcome.error = validatedError.empty() ? second.GetErrorString() : validatedError;
  } else if (!OnlyLacksMeshes(validatedError)) {
    outcome.warnings.push_back("Loaded without validation, which rejected the file: " + validatedError);
  }
  return outcome.scene ? WithValueWarnings(std::move(outcome)) : std::move(outcome);
}

}  // namespace

void ConfigureImporter(Assimp::Importer& importer) {
  importer.SetPropertyBool(AI_CONFIG_IMPORT_NO_SKELETON_MESHES, true);
  importer.SetPropertyBool(AI_CONFIG_IMPORT_FBX_PRESERVE_PIVOTS, false);
  // Collada nodes are named by their name attribute, as modelling tools show them; by their id without one.
  importer.SetPropertyBool(AI_CONFIG_IMPORT_COLLADA_USE_COLLADA_NAMES, true);
}

ReadOutcome ReadFile(Assimp::Importer& importer, const std::string& path,
                     const std::function<void(float)>& progress,
                     const std::function<Assimp::IOSystem*()>& fileSystem) {
  const auto fresh = [&] {
    auto next = std::make_unique<Assimp::Importer>();
    ConfigureImporter(*next);
    if (fileSystem) next->SetIOHandler(fileSystem());
    return next;
  };
  const auto read = [&](Assimp::Importer& reader, unsigned flags) {
    ProgressScope scope(reader, progress);
    return reader.ReadFile(path, flags);
  };
  if (fileSystem) importer.SetIOHandler(fileSystem());
  ReadOutcome outcome = ReadWithValidationFallback(importer, fresh, read);
  if (progress && outcome.scene) progress(1.0f);
  return outcome;
}

ReadOutcome ReadMemory(Assimp::Importer& importer, const void* data, std::size_t size,
                       const std::string& extension) {
  const auto fresh = [] {
    auto next = std::make_unique<Assimp::Importer>();
    ConfigureImporter(*next);
    next->SetIOHandler(new NoFiles);  // the importer owns it
    return next;
  };
  importer.SetIOHandler(new NoFiles);
  return ReadWithValidationFallback(importer, fresh, [&](Assimp::Importer& reader, unsigned flags) {
    return reader.ReadFileFromMemory(data, size, flags, extension.c_str());
  });
}

std::string AssimpVersionText() {
  return std::to_string(aiGetVersionMajor()) + "." + std::to_string(aiGetVersionMinor()) + "." +
         std::to_string(aiGetVersionPatch()) + " (revision " + std::to_string(aiGetVersionRevision()) + ")";
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
