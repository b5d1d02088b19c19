#include "cli/progress.h"

#include <unistd.h>

#include <cstdio>

namespace sci {

namespace {
// Loads quicker than this never show the indicator.
constexpr std::chrono::milliseconds kQuietTime(300);
}  // namespace

ProgressIndicator::ProgressIndicator(std::string what)
    : what_(std::move(what)), enabled_(isatty(STDERR_FILENO) != 0), start_(std::chrono::steady_clock::now()) {}

ProgressIndicator::~ProgressIndicator() { Finish(); }

std::function<void(float)> ProgressIndicator::Callback() {
  if (!enabled_) return {};
  return [this](float fraction) { Update(fraction); };
}

void ProgressIndicator::Update(float fraction) {
  const int percent = fraction <= 0 ? 0 : fraction >= 1 ? 100 : static_cast<int>(fraction * 100);
  if (percent == lastPercent_ || std::chrono::steady_clock::now() - start_ < kQuietTime) return;
  lastPercent_ = percent;
  shown_ = true;
  std::fprintf(stderr, "\rsci: loading %s ... %3d%%", what_.c_str(), percent);
  std::fflush(stderr);
}

void ProgressIndicator::Finish() {
  if (!shown_) return;
  shown_ = false;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

}  // namespace sci
