#pragma once

// The scene files the sweeps read, and a test name for each.

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace Importing::Testing {

namespace fs = std::filesystem;

// The model formats of the shared sample scenes.
inline const std::set<std::string> kModelExtensions = {".gltf", ".glb", ".fbx", ".dae", ".obj",
                                                       ".3ds",  ".x",   ".ply", ".stl"};

// Every file under `roots` whose extension, in lower case, is one of
// `extensions` (kept fuzzer inputs left out), sorted; a missing root adds none.
inline std::vector<std::string> SceneFiles(const std::vector<fs::path>& roots, const std::set<std::string>& extensions) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const fs::path& root : roots)
    if (fs::is_directory(root, ec))
      for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (extensions.count(ext) && entry.path().string().find("/fuzz/") == std::string::npos)
          files.push_back(entry.path().string());
      }
  std::sort(files.begin(), files.end());
  return files;
}

// A file's test name: its stem in letters, digits and '_', and its place;
// "Missing" for the empty path that stands for absent samples.
inline std::string FileTestName(const ::testing::TestParamInfo<std::string>& info) {
  if (info.param.empty()) return "Missing";
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + std::to_string(info.index);
}

}  // namespace Importing::Testing
