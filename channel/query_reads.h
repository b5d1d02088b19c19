#pragma once

#include <cstdint>

#include "channel/info_types.h"
#include "scene/scene_parts.h"

// What each info type's query reads of the scene container, beside the one
// table: a host that fills the container in parts makes sure, before each
// call, that it holds these parts complete. `geometryFromInput`: the query
// also reads the vertices and indices of the geometry that its first input
// names (and of no other geometry).
namespace Importing {

struct QueryReads {
  SCI_INFO_TYPE type;
  ScenePartSet parts;
  bool geometryFromInput;
};

inline constexpr QueryReads kQueryReads[kInfoTypeCount] = {
    {SCI_SCENE_HIERARCHY, kNodesPart | kSurfacesPart | kCamerasPart, false},
    {SCI_NODE_COUNT, kNodesPart, false},
    {SCI_NODE_ID, kNodesPart, false},
    {SCI_NODE_NAME, kNodesPart, false},
    {SCI_NODE_NOTE, kNodesPart, false},
    {SCI_NODE_LOCAL_TM, kNodesPart, false},
    {SCI_NODE_GLOBAL_TM, kNodesPart | kNodeGlobalsPart, false},
    {SCI_NODE_ANIMATION, kNodesPart, false},
    {SCI_ROOT_NODE, kNodesPart, false},
    {SCI_PARENT_NODE, kNodesPart | kNodeParentsPart, false},
    {SCI_NODE_CHILD_COUNT, kNodesPart, false},
    {SCI_NODE_CHILD, kNodesPart, false},
    {SCI_NODE_SURFACE_COUNT, kNodesPart, false},
    {SCI_NODE_SURFACE_ID, kNodesPart, false},
    {SCI_SURFACE_COUNT, kSurfacesPart, false},
    {SCI_SURFACE_GEOMETRY_ID, kSurfacesPart, false},
    {SCI_SURFACE_MATERIAL_ID, kSurfacesPart, false},
    {SCI_SURFACE_NODE_ID, kSurfacesPart | kNodesPart, false},
    {SCI_SURFACE_TEXTURE_COUNT, kSurfacesPart, false},
    {SCI_SURFACE_TEXTURE_ID, kSurfacesPart, false},
    {SCI_SURFACE_TEXTURE_TYPE, kSurfacesPart, false},
    {SCI_SURFACE_TEXTURE_UV_SET, kSurfacesPart, false},
    {SCI_SURFACE_TEXTURE_AMOUNT, kSurfacesPart, false},
    {SCI_GEOMETRY, kGeometryHeadersPart, true},
    {SCI_GEOMETRY_VERTEX_COUNT, kGeometryHeadersPart, true},
    {SCI_GEOMETRY_COUNT, kGeometryHeadersPart, false},
    {SCI_MATERIAL_AS_XML, kMaterialsPart, false},
    {SCI_MATERIAL, kMaterialsPart, false},
    {SCI_MATERIAL_COUNT, kMaterialsPart, false},
    {SCI_MATERIAL_SURFACE_COUNT, kMaterialsPart | kSurfacesPart, false},
    {SCI_MATERIAL_SURFACE_ID, kMaterialsPart | kSurfacesPart, false},
    {SCI_TEXTURE, kTexturePathsPart, false},
    {SCI_TEXTURE_PATH, kTexturePathsPart, false},
    {SCI_TEXTURE_COUNT, kTexturePathsPart, false},
    {SCI_ANIMATION, kAnimationsPart, false},
    {SCI_ANIMATION_KEY_COUNT, kAnimationsPart, false},
    {SCI_ANIMATION_TIME, kAnimationsPart, false},
    {SCI_ANIMATION_MATRIX, kAnimationsPart, false},
    {SCI_SURFACE_TEXTURE_MATRIX, kSurfacesPart, false},
    {SCI_GEOMETRY_BOUNDING_BOX, kGeometryHeadersPart, false},
    {SCI_ANIMATION_COUNT, kAnimationsPart, false},
    {SCI_SCENE_BOUNDING_BOX, kSceneBoxPart, false},
    {SCI_NODE_CAMERA_COUNT, kNodesPart, false},
    {SCI_NODE_CAMERA_ID, kNodesPart, false},
    {SCI_CAMERA_COUNT, kCamerasPart, false},
    {SCI_CAMERA_OFFSET_MATRIX, kCamerasPart, false},
    {SCI_CAMERA_NAME, kCamerasPart, false},
    {SCI_CAMERA_FOV_X, kCamerasPart, false},
    {SCI_CAMERA_FOV_Y, kCamerasPart, false},
    {SCI_CAMERA_NEAR_Z, kCamerasPart, false},
    {SCI_CAMERA_FAR_Z, kCamerasPart, false},
    {SCI_CAMERA_NODE_ID, kCamerasPart | kNodesPart, false},
    {SCI_NODE_LIGHT_COUNT, kNodesPart, false},
    {SCI_NODE_LIGHT_ID, kNodesPart, false},
    {SCI_LIGHT_COUNT, kLightsPart, false},
    {SCI_LIGHT_OFFSET_MATRIX, kLightsPart, false},
    {SCI_LIGHT_NODE_ID, kLightsPart | kNodesPart, false},
    {SCI_LIGHT_NAME, kLightsPart, false},
    {SCI_LIGHT_TYPE, kLightsPart, false},
    {SCI_LIGHT_DIFFUSE, kLightsPart, false},
    {SCI_LIGHT_AMBIENT, kLightsPart, false},
    {SCI_LIGHT_SPECULAR, kLightsPart, false},
    {SCI_LIGHT_ATTENUATION, kLightsPart, false},
    {SCI_LIGHT_RANGE, kLightsPart, false},
    {SCI_LIGHT_THETA, kLightsPart, false},
    {SCI_LIGHT_PHI, kLightsPart, false},
    {SCI_LIGHT_SHADOW_CAST, kLightsPart, false},
    {SCI_LIGHT_SHADOW_DENSITY, kLightsPart, false},
    {SCI_MATERIAL_NAME, kMaterialsPart, false},
};

// The geometry whose vertices a query of row `reads` reads, given its first
// input truncated toward zero as the queries read it: kNoGeometry for a row
// that reads none and for an input no ID check accepts (NaN, below 0, 2^31 up).
constexpr std::int64_t GeometryRead(const QueryReads& reads, float firstInput) {
  if (!reads.geometryFromInput || !(firstInput > -1.0f && firstInput < 2147483648.0f)) return kNoGeometry;
  return static_cast<std::int64_t>(firstInput);
}

constexpr bool RowsFollowTheTable() {
  for (int i = 0; i < kInfoTypeCount; ++i)
    if (kQueryReads[i].type != kInfoTypes[i].value) return false;
  return true;
}
static_assert(RowsFollowTheTable(), "one row per info type, in the table's order");

}  // namespace Importing
