#pragma once

// Cameras and lights, with their frames relative to the node that carries them.

#include <optional>

#include "host/d3dx_math.h"
#include "scene/records.h"

struct aiCamera;
struct aiLight;
#include <assimp/vector3.h>

namespace Importing::Import {

// The frame rows right, up, backward (-look), position. A zero look falls
// back to -Z; an up that is zero or parallel to the look falls back to +Y
// (or to a horizontal axis for a vertical look).
D3DXMATRIX FrameMatrix(const aiVector3D& look, const aiVector3D& up, const aiVector3D& position);

// Full horizontal and vertical angles from a horizontal angle and aspect.
struct FieldOfView {
  float x = 0, y = 0;
};
FieldOfView FovFromHorizontal(float fovX, float aspect);
// glTF as Assimp 5.2.x reads it: the stored angle is yfov times the aspect.
FieldOfView FovFromGltf(float storedHorizontal, float aspect);

Camera ConvertCamera(const aiCamera& camera, bool gltf);

// `gltfRange` is the range the glTF file gives for the light, if any.
Light ConvertLight(const aiLight& light, bool gltf, std::optional<float> gltfRange);

}  // namespace Importing::Import
