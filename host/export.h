#pragma once

// Symbols of the host framework library that hosts and plug-ins link against.
#if defined(_WIN32)
#  if defined(ORVHOST_BUILDING)
#    define ORVHOST_API __declspec(dllexport)
#  else
#    define ORVHOST_API __declspec(dllimport)
#  endif
#else
#  define ORVHOST_API __attribute__((visibility("default")))
#endif
