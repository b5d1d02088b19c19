#pragma once

// The fixed texts shown through the host's debug message when an input is
// out of range, one per kind of input.
namespace Importing::messages {

inline constexpr const char* kObjectId = "Object id out of range.";
inline constexpr const char* kNodeId = "Node id out of range.";
inline constexpr const char* kChildNumber = "Child number out of range.";
inline constexpr const char* kSurfaceNumber = "Surface number out of range.";
inline constexpr const char* kSurfaceId = "Surface id out of range.";
inline constexpr const char* kTextureNumber = "Texture number out of range.";
inline constexpr const char* kGeometryId = "Geometry id out of range.";
inline constexpr const char* kMaterialId = "Material id out of range.";
inline constexpr const char* kTextureId = "Texture id out of range.";
inline constexpr const char* kAnimationId = "Animation id out of range.";
inline constexpr const char* kFrameNumber = "Frame number out of range.";
inline constexpr const char* kCameraNumber = "Camera number out of range.";
inline constexpr const char* kCameraId = "Camera id out of range.";
inline constexpr const char* kLightNumber = "Light number out of range.";
inline constexpr const char* kLightId = "Light id out of range.";

}  // namespace Importing::messages
