#include "scene/import/gltf/value_faults.h"

#include <charconv>
#include <cmath>

namespace Importing::Import::Gltf {
namespace {

constexpr std::size_t kMostFaults = 10;

std::string Number(float value) {
  char buffer[32];
  return std::string(buffer, std::to_chars(buffer, buffer + sizeof buffer, value).ptr);
}

bool Finite(const D3DXVECTOR3& v) { return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z); }

}  // namespace

std::vector<std::string> ValueFaults(const SceneData& data) {
  std::vector<std::string> faults;
  for (std::size_t i = 0; i < data.cameras.size(); ++i) {
    const Camera& camera = data.cameras[i];
    if (!(camera.GetNearZ() < camera.GetFarZ()))
      faults.push_back("camera " + std::to_string(i) + " '" + camera.GetName() + "': near plane " +
                       Number(camera.GetNearZ()) + " is not before far plane " + Number(camera.GetFarZ()));
  }
  for (std::size_t i = 0; i < data.lights.size(); ++i) {
    const Light& light = data.lights[i];
    if (light.GetType() == Light::LIGHT_SPOT && light.GetTheta() > light.GetPhi())
      faults.push_back("light " + std::to_string(i) + " '" + light.GetName() + "': inner cone " +
                       Number(light.GetTheta()) + " is wider than outer cone " + Number(light.GetPhi()));
  }
  for (std::size_t g = 0; g < data.geometries.size() && faults.size() < kMostFaults; ++g) {
    const std::vector<Vertex>& vertices = data.geometries[g].Vertices;
    for (std::size_t v = 0; v < vertices.size(); ++v)
      if (!Finite(vertices[v].GetPosition()) || !Finite(vertices[v].GetNormal())) {
        faults.push_back("geometry " + std::to_string(g) + ": vertex " + std::to_string(v) +
                         " has a position or normal that is not a finite number");
        break;
      }
  }
  if (faults.size() > kMostFaults) faults.resize(kMostFaults);
  return faults;
}

}  // namespace Importing::Import::Gltf
