#pragma once

#include <cstdint>

#include "host/child_kinds.h"

// The one table of the channel's info types: value, name, the query that
// answers it, and children 1 to 3 as kind and label (child 0 is always the
// scene container). Dispatch, child layouts, the command line and the tests
// all read it.
//
// X(value, NAME, Query, kind1, label1, kind2, label2, kind3, label3)
#define SCI_INFO_TYPE_TABLE(X) \
  X(0, SCI_SCENE_HIERARCHY, GetSceneHierarchy, Text, "OUT: Scene XML text", None, nullptr, None, nullptr) \
  X(1, SCI_NODE_COUNT, GetNodeCount, Value, "OUT: Object count", None, nullptr, None, nullptr) \
  X(2, SCI_NODE_ID, GetNodeID, Text, "Node name", Value, "OUT: Node ID", None, nullptr) \
  X(3, SCI_NODE_NAME, GetNodeName, Value, "Node ID", Text, "OUT: Node name", None, nullptr) \
  X(4, SCI_NODE_NOTE, GetNodeNote, Value, "Node ID", Text, "OUT: User properties", None, nullptr) \
  X(5, SCI_NODE_LOCAL_TM, GetNodeLocalTM, Value, "Node ID", Matrix, "OUT: Local matrix", None, nullptr) \
  X(6, SCI_NODE_GLOBAL_TM, GetNodeGlobalTM, Value, "Node ID", Matrix, "OUT: Global matrix", None, nullptr) \
  X(7, SCI_NODE_ANIMATION, GetNodeAnimation, Value, "Node ID", Value, "OUT: Animation ID", None, nullptr) \
  X(8, SCI_ROOT_NODE, GetRootNode, Value, "Root node ID", None, nullptr, None, nullptr) \
  X(9, SCI_PARENT_NODE, GetParentNode, Value, "Node ID", Value, "OUT: Parent node ID", None, nullptr) \
  X(10, SCI_NODE_CHILD_COUNT, GetNodeChildCount, Value, "Node ID", Value, "OUT: child node count", None, nullptr) \
  X(11, SCI_NODE_CHILD, GetNodeChild, Value, "Node ID", Value, "Child number", Value, "OUT: child node ID") \
  X(12, SCI_NODE_SURFACE_COUNT, GetNodeSurfaceCount, Value, "Node ID", Value, "OUT: node surface count", None, nullptr) \
  X(13, SCI_NODE_SURFACE_ID, GetNodeSurfaceID, Value, "Node ID", Value, "Surface No", Value, "OUT: Surface ID") \
  X(14, SCI_SURFACE_COUNT, GetSurfaceCount, Value, "OUT: surface count", None, nullptr, None, nullptr) \
  X(15, SCI_SURFACE_GEOMETRY_ID, GetSurfaceGeometryID, Value, "Surface ID", Value, "OUT: surface geometry ID", None, nullptr) \
  X(16, SCI_SURFACE_MATERIAL_ID, GetSurfaceMaterialID, Value, "Surface ID", Value, "OUT: surface material ID", None, nullptr) \
  X(17, SCI_SURFACE_NODE_ID, GetSurfaceNodeID, Value, "Surface ID", Value, "OUT: surface node ID", None, nullptr) \
  X(18, SCI_SURFACE_TEXTURE_COUNT, GetSurfaceTextureCount, Value, "Surface ID", Value, "OUT: surface texture count", None, nullptr) \
  X(19, SCI_SURFACE_TEXTURE_ID, GetSurfaceTextureID, Value, "Surface ID", Value, "Surface texture number", Value, "OUT: Texture ID") \
  X(20, SCI_SURFACE_TEXTURE_TYPE, GetSurfaceTextureType, Value, "Surface ID", Value, "Surface texture number", Text, "OUT: Texture type") \
  X(21, SCI_SURFACE_TEXTURE_UV_SET, GetSurfaceTextureUVSet, Value, "Surface ID", Value, "Surface texture number", Value, "OUT: Texture UV set") \
  X(22, SCI_SURFACE_TEXTURE_AMOUNT, GetSurfaceTextureAmount, Value, "Surface ID", Value, "Surface texture number", Value, "OUT: Texture amount") \
  X(23, SCI_GEOMETRY, GetGeometry, Value, "Geometry ID", Mesh, "OUT: Object data", None, nullptr) \
  X(24, SCI_GEOMETRY_VERTEX_COUNT, GetGeometryVertexCount, Value, "Geometry ID", Value, "OUT: Geometry vertex count", None, nullptr) \
  X(25, SCI_GEOMETRY_COUNT, GetGeometryCount, Value, "OUT: Geometry count", None, nullptr, None, nullptr) \
  X(26, SCI_MATERIAL_AS_XML, GetMaterialAsXML, Value, "Material ID", Text, "OUT: Material XML text", None, nullptr) \
  X(27, SCI_MATERIAL, GetMaterial, Value, "Material ID", Material, "OUT: Material channel", None, nullptr) \
  X(28, SCI_MATERIAL_COUNT, GetMaterialCount, Value, "OUT: Material count", None, nullptr, None, nullptr) \
  X(29, SCI_MATERIAL_SURFACE_COUNT, GetMaterialSurfaceCount, Value, "Material ID", Value, "OUT: Surface count with given material", None, nullptr) \
  X(30, SCI_MATERIAL_SURFACE_ID, GetMaterialSurfaceID, Value, "Material ID", Value, "Surface number", Value, "OUT: Surface ID") \
  X(31, SCI_TEXTURE, GetTexture, Value, "Texture ID", Texture, "OUT: Texture channel", None, nullptr) \
  X(32, SCI_TEXTURE_PATH, GetTexturePath, Value, "Texture ID", Text, "OUT: Texture path", None, nullptr) \
  X(33, SCI_TEXTURE_COUNT, GetTextureCount, Value, "OUT: Texture count", None, nullptr, None, nullptr) \
  X(34, SCI_ANIMATION, GetAnimation, Value, "Animation ID", MatrixCollection, "OUT: Animation", None, nullptr) \
  X(35, SCI_ANIMATION_KEY_COUNT, GetAnimationKeyCount, Value, "Animation ID", Value, "OUT: Animation key count", None, nullptr) \
  X(36, SCI_ANIMATION_TIME, GetAnimationTime, Value, "Animation ID", Value, "Key number", Value, "OUT: Time of key") \
  X(37, SCI_ANIMATION_MATRIX, GetAnimationMatrix, Value, "Animation ID", Value, "Key number", Matrix, "OUT: Matrix of key") \
  X(38, SCI_SURFACE_TEXTURE_MATRIX, GetSurfaceTextureMatrix, Value, "Surface ID", Value, "Surface texture number", Matrix, "OUT: Texture matrix") \
  X(39, SCI_GEOMETRY_BOUNDING_BOX, GetGeometryBoundingBox, Value, "Geometry ID", ValueVector, "OUT: Bounding box min", ValueVector, "OUT: Bounding box max") \
  X(40, SCI_ANIMATION_COUNT, GetAnimationCount, Value, "OUT: animation count", None, nullptr, None, nullptr) \
  X(41, SCI_SCENE_BOUNDING_BOX, GetSceneBoundingBox, ValueVector, "OUT: Bounding box min", ValueVector, "OUT: Bounding box max", None, nullptr) \
  X(42, SCI_NODE_CAMERA_COUNT, GetNodeCameraCount, Value, "Node ID", Value, "OUT: Node camera count", None, nullptr) \
  X(43, SCI_NODE_CAMERA_ID, GetNodeCameraID, Value, "Node ID", Value, "Camera No", Value, "OUT: Camera ID") \
  X(44, SCI_CAMERA_COUNT, GetCameraCount, Value, "OUT: Camera count", None, nullptr, None, nullptr) \
  X(45, SCI_CAMERA_OFFSET_MATRIX, GetCameraOffsetMatrix, Value, "Camera ID", Matrix, "OUT: Camera offset matrix", None, nullptr) \
  X(46, SCI_CAMERA_NAME, GetCameraName, Value, "Camera ID", Text, "OUT: Camera name", None, nullptr) \
  X(47, SCI_CAMERA_FOV_X, GetCameraFovX, Value, "Camera ID", Value, "OUT: Camera horizontal FOV", None, nullptr) \
  X(48, SCI_CAMERA_FOV_Y, GetCameraFovY, Value, "Camera ID", Value, "OUT: Camera vertical FOV", None, nullptr) \
  X(49, SCI_CAMERA_NEAR_Z, GetCameraNearZ, Value, "Camera ID", Value, "OUT: Camera near-Z", None, nullptr) \
  X(50, SCI_CAMERA_FAR_Z, GetCameraFazZ, Value, "Camera ID", Value, "OUT: Camera far-Z", None, nullptr) \
  X(51, SCI_CAMERA_NODE_ID, GetCameraNodeID, Value, "Camera ID", Value, "OUT: camera node ID", None, nullptr) \
  X(52, SCI_NODE_LIGHT_COUNT, GetNodeLightCount, Value, "Node ID", Value, "OUT: Node light count", None, nullptr) \
  X(53, SCI_NODE_LIGHT_ID, GetNodeLightID, Value, "Node ID", Value, "Light No", Value, "OUT: Light ID") \
  X(54, SCI_LIGHT_COUNT, GetLightCount, Value, "OUT: Light count", None, nullptr, None, nullptr) \
  X(55, SCI_LIGHT_OFFSET_MATRIX, GetLightOffsetMatrix, Value, "Light ID", Matrix, "OUT: Light offset matrix", None, nullptr) \
  X(56, SCI_LIGHT_NODE_ID, GetLightNodeID, Value, "Light ID", Value, "OUT: light node ID", None, nullptr) \
  X(57, SCI_LIGHT_NAME, GetLightName, Value, "Light ID", Text, "OUT: Light name", None, nullptr) \
  X(58, SCI_LIGHT_TYPE, GetLightType, Value, "Light ID", Value, "OUT: Light type", None, nullptr) \
  X(59, SCI_LIGHT_DIFFUSE, GetLightDiffuse, Value, "Light ID", ValueVector, "OUT: Light diffuse color", None, nullptr) \
  X(60, SCI_LIGHT_AMBIENT, GetLightAmbient, Value, "Light ID", ValueVector, "OUT: Light ambient color", None, nullptr) \
  X(61, SCI_LIGHT_SPECULAR, GetLightSpecular, Value, "Light ID", ValueVector, "OUT: Light specular color", None, nullptr) \
  X(62, SCI_LIGHT_ATTENUATION, GetLightAttenuation, Value, "Light ID", ValueVector, "OUT: Light attenuation", None, nullptr) \
  X(63, SCI_LIGHT_RANGE, GetLightRange, Value, "Light ID", Value, "OUT: Light range", None, nullptr) \
  X(64, SCI_LIGHT_THETA, GetLightTheta, Value, "Light ID", Value, "OUT: Light inner cone angle", None, nullptr) \
  X(65, SCI_LIGHT_PHI, GetLightPhi, Value, "Light ID", Value, "OUT: Light outer cone angle", None, nullptr) \
  X(66, SCI_LIGHT_SHADOW_CAST, GetLightShadowCast, Value, "Light ID", Value, "OUT: Light cast a shadow?", None, nullptr) \
  X(67, SCI_LIGHT_SHADOW_DENSITY, GetLightShadowDensity, Value, "Light ID", Value, "OUT: Light shadow density", None, nullptr) \
  X(68, SCI_MATERIAL_NAME, GetMaterialName, Value, "Material ID", Text, "OUT: Material name", None, nullptr)

namespace Importing {

enum SCI_INFO_TYPE : std::int32_t {
#define SCI_ENUM_ENTRY(value, name, ...) name = value,
  SCI_INFO_TYPE_TABLE(SCI_ENUM_ENTRY)
#undef SCI_ENUM_ENTRY
};

inline constexpr int kInfoTypeCount = 69;

struct ChildSpec {
  ChildKind kind;
  const char* label;
};

struct InfoTypeInfo {
  SCI_INFO_TYPE value;
  const char* name;   // e.g. "SCI_NODE_CHILD"
  const char* query;  // e.g. "GetNodeChild"
  ChildSpec children[3];  // children 1 to 3; kind None where there is none
};

inline constexpr ChildSpec kSceneContainerChild = {ChildKind::SceneContainer, "Scene Container"};

inline constexpr InfoTypeInfo kInfoTypes[kInfoTypeCount] = {
#define SCI_TABLE_ENTRY(value, name, query, k1, l1, k2, l2, k3, l3) \
  {name, #name, #query, {{ChildKind::k1, l1}, {ChildKind::k2, l2}, {ChildKind::k3, l3}}},
    SCI_INFO_TYPE_TABLE(SCI_TABLE_ENTRY)
#undef SCI_TABLE_ENTRY
};

// The table row of `type`, or null for a value outside 0 to 68.
constexpr const InfoTypeInfo* FindInfoType(std::int32_t type) {
  return static_cast<std::uint32_t>(type) < kInfoTypeCount ? &kInfoTypes[type] : nullptr;
}

// Number of children after the scene container.
constexpr int FurtherChildCount(const InfoTypeInfo& info) {
  int count = 0;
  while (count < 3 && info.children[count].kind != ChildKind::None) ++count;
  return count;
}

// Whether child `index` (1 to 3) is an output. Outputs are labelled "OUT: ",
// except the only child of SCI_ROOT_NODE, "Root node ID".
constexpr bool IsOutputChild(const InfoTypeInfo& info, int index) {
  const char* label = info.children[index - 1].label;
  const char prefix[] = "OUT: ";
  for (int i = 0; i < 5; ++i)
    if (label[i] != prefix[i]) return info.value == SCI_ROOT_NODE;
  return true;
}

static_assert(kInfoTypes[68].value == SCI_MATERIAL_NAME);

}  // namespace Importing
