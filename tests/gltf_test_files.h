#pragma once

// What the glTF reader's tests share: the glTF files to read, a generated
// scene among them, a data URI's Base64 and a test name for each file.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "generated_files.h"
#include "scene/import/scene_importer.h"

namespace Importing::Testing {

namespace fs = std::filesystem;

// A generated scene (a node tree with grid meshes), written once per run in
// a folder per process (ctest runs each test in one), under a name the same
// in every run (it names the test case).
inline std::string GeneratedGlb() {
  static const std::string path = [] {
    static const fs::path folder = fs::path(::testing::TempDir()) / ("sci_generated_" + std::to_string(::getpid()));
    fs::create_directories(folder);
    std::atexit([] { fs::remove_all(folder); });
    const std::string file = (folder / "generated_tree.glb").string();
    return bench::WriteGridTreeGlb(file, 300, 30, 200) ? file : std::string();
  }();
  return path;
}

// Every .gltf and .glb under `roots` (kept fuzzer inputs left out), sorted,
// then the demo scene and the generated one.
inline std::vector<std::string> GltfFiles(const std::vector<fs::path>& roots) {
  std::vector<std::string> files;
  std::error_code ec;
  for (const fs::path& root : roots)
    if (fs::is_directory(root, ec))
      for (const auto& entry : fs::recursive_directory_iterator(root, ec)) {
        std::string ext = entry.path().extension().string();
        for (char& c : ext) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if ((ext == ".gltf" || ext == ".glb") && entry.path().string().find("/fuzz/") == std::string::npos)
          files.push_back(entry.path().string());
      }
  std::sort(files.begin(), files.end());
  files.push_back(SCI_DEMO_SCENE);
  if (!GeneratedGlb().empty()) files.push_back(GeneratedGlb());
  return files;
}

// A file's test name: its stem in letters, digits and '_', and its place.
inline std::string FileTestName(const ::testing::TestParamInfo<std::string>& info) {
  std::string name = fs::path(info.param).stem().string();
  for (char& c : name)
    if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
  return name + "_" + std::to_string(info.index);
}

inline std::string Base64(const std::string& bytes) {
  static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); i += 3) {
    const unsigned a = static_cast<unsigned char>(bytes[i]);
    const unsigned b = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    const unsigned c = i + 2 < bytes.size() ? static_cast<unsigned char>(bytes[i + 2]) : 0;
    out += alphabet[a >> 2];
    out += alphabet[((a & 3) << 4) | (b >> 4)];
    out += i + 1 < bytes.size() ? alphabet[((b & 15) << 2) | (c >> 6)] : '=';
    out += i + 2 < bytes.size() ? alphabet[c & 63] : '=';
  }
  return out;
}

}  // namespace Importing::Testing
