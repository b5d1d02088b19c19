#include "cli/view/scene_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>

namespace sci {

namespace {

constexpr int kQuietMilliseconds = 250;

}  // namespace

SceneWatcher::SceneWatcher(const std::string& scenePath, const std::vector<std::string>& companions,
                           std::function<void()> changed) {
  const std::filesystem::path scene(scenePath);
  const std::string folder = scene.parent_path().empty() ? "." : scene.parent_path().string();
  std::vector<std::string> names{scene.filename().string()};
  for (const std::string& companion : companions) names.push_back(std::filesystem::path(companion).filename().string());
  inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (inotify_ >= 0 && wake_ >= 0)
    watch_ = inotify_add_watch(inotify_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
  if (watch_ >= 0) thread_ = std::thread(&SceneWatcher::Loop, this, std::move(names), std::move(changed));
}

SceneWatcher::~SceneWatcher() {
  if (thread_.joinable()) {
    const std::uint64_t one = 1;
    if (write(wake_, &one, sizeof one) == sizeof one) thread_.join();
    else thread_.detach();
  }
  if (inotify_ >= 0) close(inotify_);
  if (wake_ >= 0) close(wake_);
}

void SceneWatcher::Loop(std::vector<std::string> names, std::function<void()> changed) {
  using Clock = std::chrono::steady_clock;
  bool pending = false;
  Clock::time_point due;
  for (;;) {
    pollfd fds[2] = {{inotify_, POLLIN, 0}, {wake_, POLLIN, 0}};
    int timeout = -1;
    if (pending)
      timeout = static_cast<int>(std::max<long long>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count()));
    const int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR) return;
    if (fds[1].revents != 0) return;
    if (fds[0].revents & POLLIN) {
      alignas(inotify_event) char buffer[16384];
      for (ssize_t length; (length = read(inotify_, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < length;) {
          const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          if (event->len > 0 && std::find(names.begin(), names.end(), event->name) != names.end()) {
            pending = true;
            due = Clock::now() + std::chrono::milliseconds(kQuietMilliseconds);
          }
        }
    }
    if (pending && Clock::now() >= due) {
      pending = false;
      changed();
    }
  }
}

}  // namespace sci
