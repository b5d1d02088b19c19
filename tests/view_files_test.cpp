// What sci --view reads beside the scene. Texture files a scene names are
// read only from inside the scene's folder or a folder the user names, after
// links and `..` are resolved, only when they are small enough and hold an
// image; a refusal says why. Saves of the viewed scene are seen, by
// notification or by comparing stamps.

#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "cli/view/scene_watcher.h"
#include "session/texture_files.h"

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
  Write(dir / "scene" / "notes.png", "just some notes, no image");
  // An uncompressed 1 x 1 TGA, which has no magic: stb_image's header check
  // tells it from other files.
  Write(dir / "scene" / "tiny.tga", std::string("\0\0\2\0\0\0\0\0\0\0\0\0\1\0\1\0\x18\0", 18) + "abc");
  Write(dir / "scene" / "big.png", png);
  fs::resize_file(dir / "scene" / "big.png", sci::kMaxTextureFileBytes + 1);
  const std::string scene = (dir / "scene" / "scene.gltf").string();
  Write(scene, "{}");

  const std::vector<std::string> noRoots, outsideRoot{dir.string()};
  const struct {
    std::string texturePath;
    const std::vector<std::string>& roots;
    const char* why;  // empty when served
  } cases[] = {
      {"beside.png", noRoots, ""},
      {"maps\\deep.png", noRoots, ""},
      {"maps/DEEP.PNG", noRoots, ""},
      {(dir / "scene" / "beside.png").string(), noRoots, ""},
      {"maps/inner-link.png", noRoots, ""},
      {"maps/../beside.png", noRoots, ""},
      {"tiny.tga", noRoots, ""},
      {"../outside.png", outsideRoot, ""},
      {"link.png", outsideRoot, ""},
      {"/etc/passwd", noRoots, "outside the scene's folder"},
      {"../../../../../../etc/passwd", outsideRoot, "outside the scene's folder"},
      {"../outside.png", noRoots, "outside the scene's folder"},
      {"link.png", noRoots, "outside the scene's folder"},
      {"/proc/self/environ", noRoots, "outside the scene's folder"},
      {"maps", noRoots, "not a regular file"},
      {"big.png", noRoots, "larger than 256 MiB"},
      {"notes.png", noRoots, "not an image"},
      {"nowhere.png", noRoots, "no such file"},
  };
  const Importing::SceneSource noEmbedded;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.texturePath + (c.roots.empty() ? "" : " with a texture root"));
    std::string bytes = "untouched", why;
    const bool served = sci::ReadTextureImage(scene, noEmbedded, c.texturePath, &bytes, &why, c.roots);
    EXPECT_EQ(served, *c.why == '\0') << why;
    if (served) {
      EXPECT_EQ(bytes.substr(0, 4), c.texturePath == "tiny.tga" ? std::string("\0\0\2\0", 4) : png.substr(0, 4));
    } else {
      EXPECT_EQ(bytes, "untouched");
      EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
  }
  fs::remove_all(dir);
}

using sci::SceneWatcher;

class SceneWatcherTest : public testing::TestWithParam<SceneWatcher::By> {
 protected:
  void SetUp() override {
    folder_ = fs::path(testing::TempDir()) /
              ("watch_" + std::to_string(getpid()) + "_" + std::to_string(static_cast<int>(GetParam())));
    fs::remove_all(folder_);
    fs::create_directories(folder_);
    Write("scene.gltf", "{}");
    Write("scene.bin", "1");
  }
  void TearDown() override { fs::remove_all(folder_); }

  void Write(const std::string& name, const std::string& text) {
    const fs::path path = folder_ / name;
    std::ofstream(path.string() + ".tmp") << text;
    fs::rename(path.string() + ".tmp", path);
  }
  // Waits up to three seconds for `calls` to reach `count`.
  static bool Reaches(const std::atomic<int>& calls, int count) {
    for (int tries = 0; tries < 60 && calls < count; ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return calls >= count;
  }

  fs::path folder_;
};

// A save by rename of the scene or of a companion is seen once; a file the
// scene does not read is not.
TEST_P(SceneWatcherTest, SeesSavesOfTheSceneAndItsCompanionsOnly) {
  std::atomic<int> calls{0};
  SceneWatcher watcher((folder_ / "scene.gltf").string(), {"scene.bin"}, [&] { ++calls; }, GetParam());
  EXPECT_EQ(watcher.Notified(), GetParam() == SceneWatcher::By::kNotification);
  Write("other.txt", "x");
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(calls, 0) << "a file the scene does not read";
  Write("scene.gltf", "{\"asset\":{}}");
  EXPECT_TRUE(Reaches(calls, 1)) << "the scene saved by rename";
  Write("scene.bin", "22");
  EXPECT_TRUE(Reaches(calls, 2)) << "a companion saved by rename";
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));
  EXPECT_EQ(calls, 2) << "one call a save";
}

INSTANTIATE_TEST_SUITE_P(Ways, SceneWatcherTest,
                         testing::Values(SceneWatcher::By::kNotification, SceneWatcher::By::kStamps),
                         [](const auto& info) {
                           return info.param == SceneWatcher::By::kNotification ? "Notification" : "Stamps";
                         });

}  // namespace
