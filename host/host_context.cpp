#include "host/host_context.h"

#include <cstdio>

HostContext& HostContext::Default() {
  static HostContext context = [] {
    HostContext c;
    c.ShowDebugMessage = [](const char* message) { std::fprintf(stderr, "%s\n", message); };
    return c;
  }();
  return context;
}
