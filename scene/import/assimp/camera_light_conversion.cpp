#include "scene/import/assimp/camera_light_conversion.h"

#include <assimp/camera.h>
#include <assimp/light.h>

#include <cfloat>
#include <cmath>

#include "scene/import/assimp/convert_math.h"

namespace Importing::Import {
namespace {

constexpr float kTiny = 1e-6f;

aiVector3D Cross(const aiVector3D& a, const aiVector3D& b) {
  return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Light::LightType ToLightType(aiLightSourceType type) {
  switch (type) {
    case aiLightSource_POINT: return Light::LIGHT_POINT;
    case aiLightSource_SPOT: return Light::LIGHT_SPOT;
    case aiLightSource_DIRECTIONAL: return Light::LIGHT_DIRECTIONAL;
    case aiLightSource_AMBIENT: return Light::LIGHT_AMBIENT;
    case aiLightSource_AREA: return Light::LIGHT_AREA;
    default: return Light::LIGHT_UNKNOWN;
  }
}

}  // namespace

D3DXMATRIX FrameMatrix(const aiVector3D& look, const aiVector3D& up, const aiVector3D& position) {
  aiVector3D back = look.SquareLength() > kTiny * kTiny ? -look : aiVector3D(0, 0, 1);
  back.Normalize();
  aiVector3D upAxis = up - back * (up * back);  // the part of `up` across the look
  if (upAxis.Length() < kTiny) {
    upAxis = std::fabs(back.y) < 0.999f ? aiVector3D(0, 1, 0) : aiVector3D(0, 0, back.y > 0 ? -1.f : 1.f);
    upAxis -= back * (upAxis * back);
  }
  upAxis.Normalize();
  const aiVector3D right = Cross(upAxis, back);
  D3DXMATRIX m;
  const aiVector3D rows[4] = {right, upAxis, back, position};
  for (int r = 0; r < 4; ++r) {
    m.m[r][0] = rows[r].x;
    m.m[r][1] = rows[r].y;
    m.m[r][2] = rows[r].z;
  }
  return m;
}

FieldOfView FovFromHorizontal(float fovX, float aspect) {
  if (aspect == 0) return {fovX, fovX};
  return {fovX, static_cast<float>(2 * std::atan(std::tan(fovX / 2.0) / aspect))};
}

FieldOfView FovFromGltf(float storedHorizontal, float aspect) {
  if (aspect == 0) return {storedHorizontal, storedHorizontal};
  const double fovY = storedHorizontal / static_cast<double>(aspect);
  return {static_cast<float>(2 * std::atan(std::tan(fovY / 2) * aspect)), static_cast<float>(fovY)};
}

Camera ConvertCamera(const aiCamera& source, bool gltf) {
  Camera camera;
  camera.SetName(ToString(source.mName));
  // Assimp 5.2.x copies the node's position into a glTF camera; the node
  // already places it.
  const aiVector3D position = gltf ? aiVector3D() : source.mPosition;
  camera.SetOffsetMatrix(FrameMatrix(source.mLookAt, source.mUp, position));
  const FieldOfView fov = gltf ? FovFromGltf(source.mHorizontalFOV, source.mAspect)
                               : FovFromHorizontal(source.mHorizontalFOV, source.mAspect);
  camera.SetFov(fov.x, fov.y);
  camera.SetClipping(source.mClipPlaneNear, source.mClipPlaneFar);
  return camera;
}

Light ConvertLight(const aiLight& source, bool gltf, std::optional<float> gltfRange) {
  Light light;
  light.SetName(ToString(source.mName));
  light.SetType(ToLightType(source.mType));
  light.SetOffsetMatrix(FrameMatrix(source.mDirection, source.mUp, source.mPosition));
  light.SetColors(ToColor(source.mColorDiffuse), ToColor(source.mColorAmbient), ToColor(source.mColorSpecular));
  light.SetAttenuation({source.mAttenuationConstant, source.mAttenuationLinear, source.mAttenuationQuadratic});
  light.SetRange(gltfRange ? *gltfRange : std::sqrt(FLT_MAX));
  if (source.mType == aiLightSource_SPOT) {
    // glTF gives half angles; the records hold full ones.
    const float factor = gltf ? 2.0f : 1.0f;
    light.SetCone(source.mAngleInnerCone * factor, source.mAngleOuterCone * factor);
  } else {
    light.SetCone(0, 0);
  }
  light.SetShadow(false, 0);
  return light;
}

}  // namespace Importing::Import
