#include "cli/view/scene_watcher.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <filesystem>

#include "scene/import/file_identity.h"

namespace sci {

namespace {

constexpr int kQuietMilliseconds = 250;
constexpr int kStampMilliseconds = 500;

// The files' identities, which a write or a rename into place changes; all
// zero for a file that is not there.
using Stamp = Importing::Import::FileIdentity;

std::vector<Stamp> StampsOf(const std::vector<std::string>& paths) {
  std::vector<Stamp> stamps;
  for (const std::string& path : paths) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) info = {};
    stamps.push_back(Importing::Import::IdentityOf(path, info));
  }
  return stamps;
}

}  // namespace

SceneWatcher::SceneWatcher(const std::string& scenePath, const std::vector<std::string>& companions,
                           std::function<void()> changed, By by) {
  const std::filesystem::path scene(scenePath);
  const std::filesystem::path folder = scene.parent_path().empty() ? "." : scene.parent_path();
  std::vector<std::string> paths{scenePath};
  for (const std::string& companion : companions)
    paths.push_back((folder / std::filesystem::path(companion).filename()).string());
  wake_ = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  if (wake_ < 0) return;
  if (by == By::kNotification) inotify_ = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
  if (inotify_ >= 0) watch_ = inotify_add_watch(inotify_, folder.c_str(), IN_CLOSE_WRITE | IN_MOVED_TO | IN_CREATE);
  thread_ = std::thread(&SceneWatcher::Loop, this, std::move(paths), std::move(changed));
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

void SceneWatcher::Loop(std::vector<std::string> paths, std::function<void()> changed) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::string> names;
  for (const std::string& path : paths) names.push_back(std::filesystem::path(path).filename().string());
  std::vector<Stamp> stamps = watch_ >= 0 ? std::vector<Stamp>() : StampsOf(paths);
  bool pending = false;
  Clock::time_point due;
  for (;;) {
    pollfd fds[2] = {{wake_, POLLIN, 0}, {watch_ >= 0 ? inotify_ : -1, POLLIN, 0}};
    int timeout = watch_ >= 0 ? -1 : kStampMilliseconds;
    if (pending)
      timeout = static_cast<int>(std::max<long long>(
          0, std::chrono::duration_cast<std::chrono::milliseconds>(due - Clock::now()).count()));
    const int ready = poll(fds, 2, timeout);
    if (ready < 0 && errno != EINTR) return;
    if (fds[0].revents != 0) return;
    bool news = false;
    if (fds[1].revents & POLLIN) {
      alignas(inotify_event) char buffer[16384];
      for (ssize_t length; (length = read(inotify_, buffer, sizeof buffer)) > 0;)
        for (ssize_t at = 0; at < length;) {
          const auto* event = reinterpret_cast<const inotify_event*>(buffer + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          news |= event->len > 0 && std::find(names.begin(), names.end(), event->name) != names.end();
        }
    }
    if (watch_ < 0) {
      std::vector<Stamp> now = StampsOf(paths);
      news = now != stamps;
      stamps = std::move(now);
    }
    if (news) {
      pending = true;
      due = Clock::now() + std::chrono::milliseconds(kQuietMilliseconds);
    }
    if (pending && Clock::now() >= due) {
      pending = false;
      changed();
    }
  }
}

}  // namespace sci
