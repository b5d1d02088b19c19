#pragma once

// glTF materials as material records and texture slots: base colour,
// emissive, opacity and shininess as the Assimp route derives them
// (pbrSpecularGlossiness overriding where present), and each texture the
// material refers to, in the order it reads them, with the map type, UV set
// and KHR_texture_transform matrix.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "scene/import/gltf/document.h"
#include "scene/records.h"

namespace Importing::Import::Gltf {

struct TextureSlot {
  int typeOrder = 0;     // where the map type sorts among a material's slots
  int typeIndex = 0;     // the slot's number within its type
  std::string typeName;  // "diffuse", "normals", ...
  std::size_t image = 0; // file index of the image
  int uvSet = 0;
  D3DXMATRIX matrix;
};

struct MaterialReading {
  Material material;
  std::vector<TextureSlot> slots;  // in the order the material refers to them
};

// `material` absent: the default material of primitives without one.
MaterialReading ReadMaterial(const Document& document, const std::optional<JsonValue>& material);

// The image's reference: its URI (percent-decoded) for a file, or nullopt
// for an image whose bytes are inside the file (a buffer view or data URI).
std::optional<std::string> ImageFileReference(const JsonValue& image);

}  // namespace Importing::Import::Gltf
