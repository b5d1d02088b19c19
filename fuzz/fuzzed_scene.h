#pragma once

#include <cstddef>

#include "fuzz/byte_source.h"
#include "scene/scene_container.h"

namespace sci_fuzz {

// A scene made from fuzz bytes, with the cross-references left as the bytes
// say: IDs outside their collections, negative IDs, nodes listed twice,
// cycles, and long chains of nodes.
struct FuzzedScene {
  Importing::SceneData data;
  // Every node name, camera name and map type is free of NUL, '<', '>' and
  // line feeds, so the XML text can be checked line by line.
  bool plainTexts = true;
  // The nodes form one chain from the root down, each listing the next one
  // and nothing else; `chainLength` nodes long.
  bool pureChain = false;
  std::size_t chainLength = 0;
};

FuzzedScene SceneFromBytes(ByteSource& bytes);

}  // namespace sci_fuzz
