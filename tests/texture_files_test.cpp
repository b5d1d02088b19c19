// Texture files a scene names are read only from inside the scene's folder,
// after links and `..` are resolved, and only when they are small enough.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "cli/view/texture_files.h"

namespace {

namespace fs = std::filesystem;

void Write(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << bytes;
}

TEST(TextureFiles, OnlyFilesInsideTheScenesFolderAreRead) {
  const fs::path dir = fs::path(testing::TempDir()) / ("texture_files_" + std::to_string(getpid()));
  fs::remove_all(dir);
  const std::string png = "\x89PNG\r\n\x1a\n-image-";
  Write(dir / "scene" / "beside.png", png);
  Write(dir / "scene" / "maps" / "deep.png", png);
  Write(dir / "outside.png", png);
  fs::create_symlink(dir / "outside.png", dir / "scene" / "link.png");
  fs::create_symlink(dir / "scene" / "beside.png", dir / "scene" / "maps" / "inner-link.png");
  Write(dir / "scene" / "big.png", png);
  fs::resize_file(dir / "scene" / "big.png", sci::kMaxTextureFileBytes + 1);
  const std::string scene = (dir / "scene" / "scene.gltf").string();
  Write(scene, "{}");

  const struct {
    std::string texturePath;
    bool served;
  } cases[] = {
      {"beside.png", true},
      {"maps\\deep.png", true},
      {"maps/DEEP.PNG", true},
      {(dir / "scene" / "beside.png").string(), true},
      {"maps/inner-link.png", true},
      {"maps/../beside.png", true},
      {"/etc/passwd", false},
      {"../../../../../../etc/passwd", false},
      {"../outside.png", false},
      {"link.png", false},
      {"/proc/self/environ", false},
      {"maps", false},
      {"big.png", false},
  };
  const Importing::SceneSource noEmbedded;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.texturePath);
    std::string bytes = "untouched";
    EXPECT_EQ(sci::ReadTextureImage(scene, noEmbedded, c.texturePath, &bytes), c.served);
    EXPECT_EQ(bytes, c.served ? png : "untouched");
  }
  fs::remove_all(dir);
}

}  // namespace
