#pragma once

// The glTF 2.0 reader of this library: .gltf and .glb files (and files whose
// content is glTF) read straight into scene records, with quantized
// (KHR_mesh_quantization), meshopt (EXT_meshopt_compression) and Draco
// (KHR_draco_mesh_compression) geometry decoded. Every reference, offset
// and length is checked before use; a file that fails a check is refused
// with a message naming the place, never answered with a guess.

#include <string>
#include <string_view>
#include <vector>

#include "scene/import/gltf/binary_data.h"
#include "scene/scene_container.h"

namespace Importing::Import {

// Whether `head` (the first bytes of a file) starts a GLB or a JSON glTF.
bool LooksLikeGltf(std::string_view head);

// Reads the glTF in `bytes` (JSON or GLB) into `data`; the files the
// document names are read through `readFile`. On failure returns false and
// says why in `error`.
bool ReadGltf(std::string_view bytes, const Gltf::FileReader& readFile, SceneData& data, std::string* error);

// The extensions a glTF document lists in extensionsUsed and
// extensionsRequired; empty when `bytes` is not a readable glTF document.
std::vector<std::string> GltfExtensions(std::string_view bytes);

}  // namespace Importing::Import
