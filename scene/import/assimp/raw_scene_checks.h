#pragma once

// Checks of a scene as Assimp's readers leave it, before any post-processing:
// what its validation step would have refused, for the reads that go on
// without it.

#include <string>
#include <vector>

struct aiScene;

namespace Importing::Import {

// At most this many faults are named; the scan stops there.
constexpr std::size_t kMaxNamedFaults = 10;

// Faults no reading can survive: an array missing where its count says it
// holds records, a name longer than its buffer, a face, bone or morph target
// naming a vertex that does not exist, a node or mesh naming a mesh or
// material that does not exist. Each described with where it is; empty when
// the scene's structure is sound.
std::vector<std::string> StructuralFaults(const aiScene& scene);

// Values the file itself holds that no scene should: a camera whose near
// plane is not before its far plane, a spot light whose inner cone is wider
// than its outer one, positions or normals that are not finite. The scene
// is answered as stored; each fault becomes a warning. Call only on a scene
// whose structure is sound.
std::vector<std::string> ValueFaults(const aiScene& scene);

}  // namespace Importing::Import
