#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "host/d3dx_math.h"
#include "scene/export.h"

// The records of an imported scene. Records refer to one another by the
// 0-based index of the referred record in its collection of the container.
// Matrices are row-major in the row-vector convention (translation in row 4).
namespace Importing {

// An RGBA colour.
struct Color {
  float r = 0, g = 0, b = 0, a = 1;
};

class SCENE_API Transform {
 public:
  Transform() = default;
  explicit Transform(const D3DXMATRIX& matrix) : matrix_(matrix) {}
  virtual ~Transform();
  virtual D3DXMATRIX GetMatrix() const { return matrix_; }

  // The identity matrix (the name is the library's historical spelling).
  static const D3DXMATRIX Indentity;

 private:
  D3DXMATRIX matrix_;
};

class SCENE_API Node {
 public:
  Node() = default;
  Node(std::string name, const D3DXMATRIX& local);
  virtual ~Node();
  virtual std::string GetName() const { return name_; }
  virtual std::string GetNote() const { return note_; }
  virtual Transform GetTransform() const { return Transform(local_); }
  virtual int GetAnimationID() const { return animationID_; }

  void SetName(std::string name) { name_ = std::move(name); }
  // User properties as text.
  void SetNote(std::string note) { note_ = std::move(note); }
  void SetLocalMatrix(const D3DXMATRIX& local) { local_ = local; }
  const D3DXMATRIX& LocalMatrix() const { return local_; }
  // -1 when no animation drives the node.
  void SetAnimationID(int id) { animationID_ = id; }

  std::vector<std::uint32_t> SurfaceIDs;
  std::vector<int> ChildIDs;
  std::vector<std::uint32_t> CameraIDs;
  std::vector<std::uint32_t> LightIDs;

 private:
  std::string name_;
  std::string note_;
  D3DXMATRIX local_;
  int animationID_ = -1;
};

class SCENE_API SurfaceTexture {
 public:
  SurfaceTexture() = default;
  SurfaceTexture(int textureID, std::string type, int uvSet, float amount,
                 const D3DXMATRIX& matrix = D3DXMATRIX());
  virtual ~SurfaceTexture();
  // Index into the container's texture paths; -1 for an entry without texture.
  virtual int GetTextureID() const { return textureID_; }
  // Lower-case kind of map: "diffuse", "normals", "emissive", ...
  virtual std::string GetTextureType() const { return type_; }
  virtual int GetUVSet() const { return uvSet_; }
  // Maps a vertex's stored (u, v, 0, 1) to the coordinates to sample.
  virtual D3DXMATRIX GetTextureMatrix() const { return matrix_; }
  // Blend factor of the map.
  virtual float GetAmount() const { return amount_; }

 private:
  int textureID_ = -1;
  std::string type_;
  int uvSet_ = 0;
  float amount_ = 1;
  D3DXMATRIX matrix_;
};

class SCENE_API Surface {
 public:
  Surface() = default;
  Surface(int geometryID, int materialID) : geometryID_(geometryID), materialID_(materialID) {}
  virtual ~Surface();
  virtual int GetGeometryID() const { return geometryID_; }
  virtual int GetMaterialID() const { return materialID_; }

  std::vector<SurfaceTexture> Textures;

 private:
  int geometryID_ = 0;
  int materialID_ = 0;
};

class SCENE_API Vertex {
 public:
  static constexpr std::size_t kMaxUVSets = 8;

  Vertex() = default;
  Vertex(const D3DXVECTOR3& position, const D3DXVECTOR3& normal) : position_(position), normal_(normal) {}
  virtual ~Vertex();
  virtual D3DXVECTOR3 GetPosition() const { return position_; }
  virtual D3DXVECTOR3 GetNormal() const { return normal_; }
  // UV pair of set `set`; (0, 0) for a set the vertex does not have.
  virtual D3DXVECTOR2 GetUV(std::size_t set) const { return set < uvSetCount_ ? uvs_[set] : D3DXVECTOR2{}; }
  virtual std::uint64_t GetUVSetCount() const { return uvSetCount_; }

  // Appends a UV set; ignored beyond kMaxUVSets.
  void AddUV(const D3DXVECTOR2& uv) {
    if (uvSetCount_ < kMaxUVSets) uvs_[uvSetCount_++] = uv;
  }

 private:
  D3DXVECTOR3 position_;
  D3DXVECTOR3 normal_;
  std::array<D3DXVECTOR2, kMaxUVSets> uvs_{};
  std::uint32_t uvSetCount_ = 0;
};

class SCENE_API Geometry {
 public:
  Geometry() = default;
  explicit Geometry(std::int64_t primitiveSize) : primitiveSize_(primitiveSize) {}
  virtual ~Geometry();
  // Vertices per primitive: 1 points, 2 lines, 3 triangles.
  virtual std::int64_t GetPrimitiveSize() const { return primitiveSize_; }
  // The box of all vertex positions, as last computed by UpdateBoundingBox;
  // two zero corners for a geometry without vertices.
  virtual void GetBoundingBox(D3DXVECTOR3& min, D3DXVECTOR3& max) const {
    min = min_;
    max = max_;
  }

  void SetPrimitiveSize(std::int64_t size) { primitiveSize_ = size; }
  void UpdateBoundingBox();
  // Restores a box computed earlier (a snapshot carries it with the vertices).
  void SetBoundingBox(const D3DXVECTOR3& min, const D3DXVECTOR3& max) {
    min_ = min;
    max_ = max;
  }

  std::vector<Vertex> Vertices;
  std::vector<std::uint32_t> Indices;

 private:
  std::int64_t primitiveSize_ = 3;
  D3DXVECTOR3 min_, max_;
};

class SCENE_API Material {
 public:
  Material() = default;
  explicit Material(std::string name) : name_(std::move(name)) {}
  virtual ~Material();
  virtual std::string GetName() const { return name_; }
  virtual Color GetDiffuse() const { return diffuse_; }
  virtual Color GetEmissive() const { return emissive_; }
  virtual Color GetSpecular() const { return specular_; }
  virtual float GetSpecularPower() const { return specularPower_; }
  virtual float GetOpacity() const { return opacity_; }

  void SetName(std::string name) { name_ = std::move(name); }
  void SetDiffuse(const Color& c) { diffuse_ = c; }
  void SetEmissive(const Color& c) { emissive_ = c; }
  void SetSpecular(const Color& c) { specular_ = c; }
  void SetSpecularPower(float p) { specularPower_ = p; }
  void SetOpacity(float o) { opacity_ = o; }

 private:
  std::string name_;
  Color diffuse_{1, 1, 1, 1};
  Color emissive_{0, 0, 0, 1};
  Color specular_{0, 0, 0, 1};
  float specularPower_ = 0;
  float opacity_ = 1;
};

// Key times count ticks of 1/4800 second.
inline constexpr std::uint32_t TICKS_PER_SECOND = 4800;

class SCENE_API Key {
 public:
  Key() = default;
  Key(std::uint32_t time, const D3DXVECTOR3& position, const D3DXQUATERNION& rotation, const D3DXVECTOR3& scale)
      : time_(time), position_(position), rotation_(rotation), scale_(scale) {}
  virtual ~Key();
  virtual std::uint32_t GetTime() const { return time_; }
  virtual D3DXVECTOR3 GetPosition() const { return position_; }
  virtual D3DXQUATERNION GetRotation() const { return rotation_; }
  virtual D3DXVECTOR3 GetScale() const { return scale_; }
  // Scale, then rotation, then translation, in the row-vector convention.
  virtual D3DXMATRIX GetKeyMatrix() const;

 private:
  std::uint32_t time_ = 0;
  D3DXVECTOR3 position_;
  D3DXQUATERNION rotation_;
  D3DXVECTOR3 scale_{1, 1, 1};
};

// One animation: its keys in time order.
using Animation = std::vector<Key>;

class SCENE_API Camera {
 public:
  Camera() = default;
  virtual ~Camera();
  virtual std::string GetName() const { return name_; }
  // The camera's frame relative to its node: rows right, up, backward, position.
  virtual Transform GetOffsetTransform() const { return Transform(offset_); }

  // Full angles in radians.
  float GetFovX() const { return fovX_; }
  float GetFovY() const { return fovY_; }
  float GetNearZ() const { return nearZ_; }
  float GetFarZ() const { return farZ_; }

  void SetName(std::string name) { name_ = std::move(name); }
  void SetOffsetMatrix(const D3DXMATRIX& m) { offset_ = m; }
  void SetFov(float x, float y) { fovX_ = x; fovY_ = y; }
  void SetClipping(float nearZ, float farZ) { nearZ_ = nearZ; farZ_ = farZ; }

 private:
  std::string name_;
  D3DXMATRIX offset_;
  float fovX_ = 0, fovY_ = 0, nearZ_ = 0, farZ_ = 0;
};

class SCENE_API Light {
 public:
  enum LightType : std::int32_t {
    LIGHT_UNKNOWN = 0,
    LIGHT_POINT = 1,
    LIGHT_SPOT = 2,
    LIGHT_DIRECTIONAL = 3,
    LIGHT_AMBIENT = 4,
    LIGHT_AREA = 5,
  };

  Light() = default;
  virtual ~Light();
  virtual std::string GetName() const { return name_; }
  // The light's frame relative to its node: rows right, up, backward, position.
  virtual Transform GetOffsetTransform() const { return Transform(offset_); }
  virtual Color GetDiffuse() const { return diffuse_; }
  virtual Color GetAmbient() const { return ambient_; }
  virtual Color GetSpecular() const { return specular_; }
  // Constant, linear and quadratic attenuation.
  virtual D3DXVECTOR3 GetAttenuation() const { return attenuation_; }
  virtual float GetRange() const { return range_; }
  // Full inner and outer cone angles in radians (0 for lights without a cone).
  virtual float GetTheta() const { return theta_; }
  virtual float GetPhi() const { return phi_; }
  virtual bool GetShadowCast() const { return shadowCast_; }
  virtual float GetShadowDensity() const { return shadowDensity_; }

  LightType GetType() const { return type_; }

  void SetName(std::string name) { name_ = std::move(name); }
  void SetType(LightType type) { type_ = type; }
  void SetOffsetMatrix(const D3DXMATRIX& m) { offset_ = m; }
  void SetColors(const Color& diffuse, const Color& ambient, const Color& specular) {
    diffuse_ = diffuse;
    ambient_ = ambient;
    specular_ = specular;
  }
  void SetAttenuation(const D3DXVECTOR3& a) { attenuation_ = a; }
  void SetRange(float r) { range_ = r; }
  void SetCone(float theta, float phi) { theta_ = theta; phi_ = phi; }
  void SetShadow(bool cast, float density) { shadowCast_ = cast; shadowDensity_ = density; }

 private:
  std::string name_;
  LightType type_ = LIGHT_UNKNOWN;
  D3DXMATRIX offset_;
  Color diffuse_, ambient_, specular_;
  D3DXVECTOR3 attenuation_{1, 0, 0};
  float range_ = 0, theta_ = 0, phi_ = 0;
  bool shadowCast_ = false;
  float shadowDensity_ = 0;
};

}  // namespace Importing
