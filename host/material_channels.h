#pragma once

#include <map>
#include <string>

#include "host/d3dx_math.h"
#include "host/orv_channel.h"

// A surface material. It declares five optional children, which a host may
// link or leave empty: 0 "Diffuse", 1 "Emissive", 2 "Specular" (Value
// Vector), 3 "Specular power", 4 "Opacity" (Value).
class ORVHOST_API MaterialChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Material;
  static constexpr int kOpacityParameter = 10;

  MaterialChannel();

  void SetMaterial(D3DXVECTOR3 diffuse, D3DXVECTOR3 emissive, D3DXVECTOR3 specular, float specularPower);
  void SetMaterialParameter(int parameter, float value) { parameters_[parameter] = value; }

  const D3DXVECTOR3& GetDiffuse() const { return diffuse_; }
  const D3DXVECTOR3& GetEmissive() const { return emissive_; }
  const D3DXVECTOR3& GetSpecular() const { return specular_; }
  float GetSpecularPower() const { return specularPower_; }
  // The numbered parameters set so far.
  const std::map<int, float>& GetParameters() const { return parameters_; }

 private:
  D3DXVECTOR3 diffuse_, emissive_, specular_;
  float specularPower_ = 0;
  std::map<int, float> parameters_;
};

// An image used as a texture: a flag that says it is in use and its file.
class ORVHOST_API TextureChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Texture;
  TextureChannel() : Orv_Channel(kKind) {}
  void SetTextureFlag(bool flag) { flag_ = flag; }
  void SetTextureFile(const char* path) { file_ = path ? path : ""; }
  bool GetTextureFlag() const { return flag_; }
  const std::string& GetTextureFile() const { return file_; }

 private:
  bool flag_ = false;
  std::string file_;
};
