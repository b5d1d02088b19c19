#pragma once

// Values a file holds that no scene can mean (a camera whose near plane is
// not before its far plane, a spot light whose inner cone is wider than its
// outer one, positions that are not finite numbers): answered as stored,
// each named in the warnings, as the Assimp route names them.

#include <string>
#include <vector>

#include "scene/scene_container.h"

namespace Importing::Import::Gltf {

std::vector<std::string> ValueFaults(const SceneData& data);

}  // namespace Importing::Import::Gltf
