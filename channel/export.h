#pragma once

// The plug-in is built with hidden visibility; only what carries SCI_API is
// exported: the two entry points and the channel class.
#if defined(_WIN32)
#  if defined(SCI_BUILDING)
#    define SCI_API __declspec(dllexport)
#  else
#    define SCI_API __declspec(dllimport)
#  endif
#else
#  define SCI_API __attribute__((visibility("default")))
#endif
