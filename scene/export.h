#pragma once

// Symbols of the scene container library that hosts and plug-ins link against.
#if defined(_WIN32)
#  if defined(SCENE_BUILDING)
#    define SCENE_API __declspec(dllexport)
#  else
#    define SCENE_API __declspec(dllimport)
#  endif
#else
#  define SCENE_API __attribute__((visibility("default")))
#endif
