#pragma once

// The file system Assimp reads through for every import of a file. It opens
// regular files only, so that a FIFO, device or directory named inside a
// scene is refused instead of blocking the read, and it records every file
// it opened and every path it was asked about and did not find: together
// they tell whether a scene read earlier would still read the same.

#include <assimp/IOSystem.hpp>

#include <string>
#include <vector>

#include "scene/import/file_identity.h"

namespace Importing::Import {

class RecordingFileSystem : public Assimp::IOSystem {
 public:
  // A file system that forwards to this one, for an importer to own (an
  // importer deletes its file system); this one must outlive it.
  Assimp::IOSystem* NewView();

  bool Exists(const char* path) const override;
  char getOsSeparator() const override { return '/'; }
  Assimp::IOStream* Open(const char* path, const char* mode) override;
  void Close(Assimp::IOStream* stream) override;

  // Every file opened, once each, in the order first opened.
  const std::vector<FileIdentity>& Opened() const { return opened_; }
  // Absolute paths looked for and not found, once each.
  const std::vector<std::string>& Missing() const { return missing_; }
  // Why files that exist were not opened ("'/x/pipe.bin' is a FIFO").
  const std::vector<std::string>& Refused() const { return refused_; }

 private:
  void NoteMissing(const std::string& path) const;

  std::vector<FileIdentity> opened_;
  mutable std::vector<std::string> missing_;
  std::vector<std::string> refused_;
};

}  // namespace Importing::Import
