#include "host/host_context.h"

#include <cstdio>

HostContext& HostContext::Default() {
  static HostContext context{[](const char* message) { std::fprintf(stderr, "%s\n", message); }};
  return context;
}
