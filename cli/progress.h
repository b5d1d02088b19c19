#pragma once

#include <chrono>
#include <functional>
#include <string>

namespace sci {

// A one-line "loading ... 42%" on standard error while a scene loads. It
// shows only when standard error is a terminal and the load has taken long
// enough to be worth a word, and wipes itself when the load is done.
class ProgressIndicator {
 public:
  explicit ProgressIndicator(std::string what);
  ~ProgressIndicator();
  ProgressIndicator(const ProgressIndicator&) = delete;
  ProgressIndicator& operator=(const ProgressIndicator&) = delete;

  // The callback for the importer; empty when nothing is to be shown.
  std::function<void(float)> Callback();
  // Wipes the line if one was shown.
  void Finish();

 private:
  void Update(float fraction);

  std::string what_;
  bool enabled_;
  bool shown_ = false;
  int lastPercent_ = -1;
  std::chrono::steady_clock::time_point start_;
};

}  // namespace sci
