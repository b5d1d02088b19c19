#pragma once

#include <functional>

#include "host/export.h"

// What the host offers every channel. Channels point to one context; the host
// decides how a debug message is shown (printed, collected, ignored).
struct ORVHOST_API HostContext {
  std::function<void(const char*)> ShowDebugMessage;

  // The context a channel points to until its host gives it another: it
  // writes debug messages to standard error.
  static HostContext& Default();
};
