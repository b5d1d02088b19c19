#pragma once

#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace sci {

// Watches the folder of a scene file (inotify) and calls `changed` from its
// own thread once a quarter second has passed without news after the scene
// file or a file named in `companions` was written, made or renamed into
// place (editors save by rename). Where inotify is not to be had (its
// per-user limit reached), the files' size, time and inode are compared
// every half second instead. Stops when destroyed.
class SceneWatcher {
 public:
  enum class By { kNotification, kStamps };
  SceneWatcher(const std::string& scenePath, const std::vector<std::string>& companions,
               std::function<void()> changed, By by = By::kNotification);
  ~SceneWatcher();
  SceneWatcher(const SceneWatcher&) = delete;
  SceneWatcher& operator=(const SceneWatcher&) = delete;

  // False when saves are found by comparing the files' stamps.
  bool Notified() const { return watch_ >= 0; }

 private:
  void Loop(std::vector<std::string> paths, std::function<void()> changed);

  int inotify_ = -1, watch_ = -1, wake_ = -1;
  std::thread thread_;
};

}  // namespace sci
