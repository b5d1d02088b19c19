#pragma once

#include <functional>

#include "host/export.h"

class Orv_Channel;
struct ChildCreation;

// What the host offers every channel. Channels point to one context; the host
// decides how a debug message is shown (printed, collected, ignored).
struct ORVHOST_API HostContext {
  std::function<void(const char*)> ShowDebugMessage;

  // Told of every child declaration call a channel makes, in order: a
  // SetChildCreationCount (declaration null) or a SetChildCreateType. May be empty.
  std::function<void(const Orv_Channel& channel, int countOrIndex, const ChildCreation* declaration)>
      ChildDeclarationObserver;

  // The context a channel points to until its host gives it another: it
  // writes debug messages to standard error.
  static HostContext& Default();
};
