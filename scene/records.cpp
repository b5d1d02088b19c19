#include "scene/records.h"

#include <algorithm>

namespace Importing {

const D3DXMATRIX Transform::Indentity = D3DXMATRIX();

Transform::~Transform() = default;

Node::Node(std::string name, const D3DXMATRIX& local) : name_(std::move(name)), local_(local) {}
Node::~Node() = default;

SurfaceTexture::SurfaceTexture(int textureID, std::string type, int uvSet, float amount, const D3DXMATRIX& matrix)
    : textureID_(textureID), type_(std::move(type)), uvSet_(uvSet), amount_(amount), matrix_(matrix) {}
SurfaceTexture::~SurfaceTexture() = default;

Surface::~Surface() = default;
Vertex::~Vertex() = default;
Geometry::~Geometry() = default;

void Geometry::UpdateBoundingBox() {
  if (Vertices.empty()) {
    min_ = max_ = D3DXVECTOR3{};
    return;
  }
  min_ = max_ = Vertices.front().GetPosition();
  for (const Vertex& vertex : Vertices) {
    const D3DXVECTOR3 p = vertex.GetPosition();
    min_ = {std::min(min_.x, p.x), std::min(min_.y, p.y), std::min(min_.z, p.z)};
    max_ = {std::max(max_.x, p.x), std::max(max_.y, p.y), std::max(max_.z, p.z)};
  }
}

Material::~Material() = default;
Key::~Key() = default;

D3DXMATRIX Key::GetKeyMatrix() const {
  // Rotation matrix of a unit quaternion in the row-vector convention, rows
  // scaled (scale is applied first), translation in row 4.
  const float x = rotation_.x, y = rotation_.y, z = rotation_.z, w = rotation_.w;
  const float rows[3][3] = {
      {1 - 2 * (y * y + z * z), 2 * (x * y + z * w), 2 * (x * z - y * w)},
      {2 * (x * y - z * w), 1 - 2 * (x * x + z * z), 2 * (y * z + x * w)},
      {2 * (x * z + y * w), 2 * (y * z - x * w), 1 - 2 * (x * x + y * y)},
  };
  const float scale[3] = {scale_.x, scale_.y, scale_.z};
  D3DXMATRIX m;
  for (int r = 0; r < 3; ++r)
    for (int c = 0; c < 3; ++c) m.m[r][c] = scale[r] * rows[r][c];
  m.m[3][0] = position_.x;
  m.m[3][1] = position_.y;
  m.m[3][2] = position_.z;
  return m;
}

Camera::~Camera() = default;
Light::~Light() = default;

}  // namespace Importing
