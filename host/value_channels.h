#pragma once

#include <string>

#include "host/d3dx_math.h"
#include "host/orv_channel.h"

// The small child kinds: one number, one text, one matrix, one vector.

class ORVHOST_API ValueChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Value;
  ValueChannel() : Orv_Channel(kKind) {}
  float GetValue() const { return value_; }
  void SetValue(float value) { value_ = value; }

 private:
  float value_ = 0;
};

class ORVHOST_API TextChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Text;
  TextChannel() : Orv_Channel(kKind) {}
  // The text, or null when none was ever set (or null was set).
  const char* GetText() const { return hasText_ ? text_.c_str() : nullptr; }
  // Copies `text`; null clears it.
  void SetText(const char* text);

 private:
  std::string text_;
  bool hasText_ = false;
};

class ORVHOST_API MatrixChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::Matrix;
  MatrixChannel() : Orv_Channel(kKind) {}
  const D3DXMATRIX& GetMatrix() const { return matrix_; }
  void SetMatrix(const D3DXMATRIX* matrix) { matrix_ = *matrix; }

 private:
  D3DXMATRIX matrix_;
};

class ORVHOST_API ValueVectorChannel : public Orv_Channel {
 public:
  static constexpr ChildKind kKind = ChildKind::ValueVector;
  ValueVectorChannel() : Orv_Channel(kKind) {}
  const D3DXVECTOR3& GetVector() const { return vector_; }
  void SetVector(D3DXVECTOR3 vector) { vector_ = vector; }
  // Sets component 0 (x), 1 (y) or 2 (z); other indices are ignored.
  void SetVectorComponent(int component, float value);

 private:
  D3DXVECTOR3 vector_;
};
