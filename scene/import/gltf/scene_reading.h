#pragma once

// A parsed glTF document converted into the records of a scene, numbered as
// the Assimp route numbers them: nodes in pre-order under one root, meshes,
// materials, cameras and lights in the order its reader first meets them
// (a node's children before its own mesh), one surface per primitive, the
// default material last, embedded images as "*N".

#include "scene/import/gltf/document.h"
#include "scene/scene_container.h"

namespace Importing::Import::Gltf {

void ReadScene(const Document& document, SceneData& data);

}  // namespace Importing::Import::Gltf
