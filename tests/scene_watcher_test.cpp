#include "cli/view/scene_watcher.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace {

using sci::SceneWatcher;

class SceneWatcherTest : public testing::TestWithParam<SceneWatcher::By> {
 protected:
  void SetUp() override {
    folder_ = std::filesystem::path(testing::TempDir()) /
              ("watch_" + std::to_string(getpid()) + "_" + std::to_string(static_cast<int>(GetParam())));
    std::filesystem::remove_all(folder_);
    std::filesystem::create_directories(folder_);
    Write("scene.gltf", "{}");
    Write("scene.bin", "1");
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  void Write(const std::string& name, const std::string& text) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path.string() + ".tmp") << text;
    std::filesystem::rename(path.string() + ".tmp", path);
  }
  // Waits up to three seconds for `calls` to reach `count`.
  static bool Reaches(const std::atomic<int>& calls, int count) {
    for (int tries = 0; tries < 60 && calls < count; ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return calls >= count;
  }

  std::filesystem::path folder_;
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
