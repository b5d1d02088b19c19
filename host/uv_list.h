#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "host/d3dx_math.h"

// A vertex's UV pairs by set number, contiguous: the first two held in place
// and more on the heap, so that a mesh of a million vertices with one or two
// UV sets makes no allocation per vertex.
class UVList {
 public:
  UVList() = default;
  UVList(const UVList& other) { *this = other; }
  UVList& operator=(const UVList& other) {
    if (this == &other) return *this;
    size_ = 0;
    reserve(other.size_);
    std::copy(other.begin(), other.end(), data());
    size_ = other.size_;
    return *this;
  }
  UVList(UVList&& other) noexcept { *this = std::move(other); }
  UVList& operator=(UVList&& other) noexcept {
    if (this == &other) return *this;
    if (other.heap_) {
      heap_ = std::move(other.heap_);
      capacity_ = other.capacity_;
    } else {
      heap_.reset();
      capacity_ = kInPlace;
      std::copy(other.inPlace_, other.inPlace_ + other.size_, inPlace_);
    }
    size_ = other.size_;
    other.size_ = 0;
    other.capacity_ = kInPlace;
    return *this;
  }

  std::size_t size() const { return size_; }
  const D3DXVECTOR2* begin() const { return data(); }
  const D3DXVECTOR2* end() const { return data() + size_; }
  D3DXVECTOR2& operator[](std::size_t set) { return data()[set]; }
  const D3DXVECTOR2& operator[](std::size_t set) const { return data()[set]; }

  void clear() { size_ = 0; }
  // Sets past the old size start as (0, 0).
  void resize(std::size_t count) {
    reserve(count);
    std::fill(data() + std::min<std::size_t>(size_, count), data() + count, D3DXVECTOR2{});
    size_ = static_cast<std::uint32_t>(count);
  }

 private:
  void reserve(std::size_t count) {
    if (count <= capacity_) return;
    const std::size_t capacity = std::max<std::size_t>(count, 2 * capacity_);
    std::unique_ptr<D3DXVECTOR2[]> grown(new D3DXVECTOR2[capacity]);
    std::copy(begin(), end(), grown.get());
    heap_ = std::move(grown);
    capacity_ = static_cast<std::uint32_t>(capacity);
  }
  static constexpr std::uint32_t kInPlace = 2;
  D3DXVECTOR2* data() { return heap_ ? heap_.get() : inPlace_; }
  const D3DXVECTOR2* data() const { return heap_ ? heap_.get() : inPlace_; }

  D3DXVECTOR2 inPlace_[kInPlace];
  std::unique_ptr<D3DXVECTOR2[]> heap_;
  std::uint32_t size_ = 0, capacity_ = kInPlace;
};
