#include "fuzz/fuzzed_scene.h"

#include <string>

namespace sci_fuzz {

namespace {

using namespace Importing;

constexpr std::size_t kMaxFreeNodes = 64;
constexpr std::size_t kMaxChain = 4096;

class Builder {
 public:
  explicit Builder(ByteSource& bytes) : bytes_(bytes) {}

  std::string Text(std::size_t max) {
    std::string text = bytes_.Text(max, '\0');
    for (const char c : text)
      if (c == '\0' || c == '<' || c == '>' || c == '\n') scene_.plainTexts = false;
    return text;
  }

  Color AnyColor() { return {bytes_.AnyFloat(), bytes_.AnyFloat(), bytes_.AnyFloat(), bytes_.AnyFloat()}; }

  FuzzedScene Build() {
    SceneData& data = scene_.data;
    const std::uint8_t shape = bytes_.Byte();
    const std::size_t materials = bytes_.Below(5), textures = bytes_.Below(5), cameras = bytes_.Below(4),
                      geometries = bytes_.Below(3), surfaces = bytes_.Below(8), animations = bytes_.Below(3);

    for (std::size_t i = 0; i < materials; ++i) {
      Material material(Text(12));
      material.SetDiffuse(AnyColor());
      material.SetEmissive(AnyColor());
      material.SetSpecular(AnyColor());
      material.SetSpecularPower(bytes_.AnyFloat());
      material.SetOpacity(bytes_.AnyFloat());
      data.materials.push_back(material);
    }
    for (std::size_t i = 0; i < textures; ++i) data.texturePaths.push_back(bytes_.Text(16));
    for (std::size_t i = 0; i < cameras; ++i) {
      Camera camera;
      camera.SetName(Text(8));
      camera.SetFov(bytes_.AnyFloat(), bytes_.AnyFloat());
      camera.SetClipping(bytes_.AnyFloat(), bytes_.AnyFloat());
      data.cameras.push_back(camera);
    }
    for (std::size_t i = 0; i < geometries; ++i) {
      Geometry geometry;
      const std::size_t vertices = bytes_.Below(4);
      for (std::size_t v = 0; v < vertices; ++v)
        geometry.Vertices.emplace_back(D3DXVECTOR3{bytes_.AnyFloat(), bytes_.AnyFloat(), bytes_.AnyFloat()},
                                       D3DXVECTOR3{});
      for (std::size_t k = bytes_.Below(6); k > 0; --k) geometry.Indices.push_back(bytes_.U32());
      geometry.UpdateBoundingBox();
      data.geometries.push_back(geometry);
    }
    for (std::size_t i = 0; i < surfaces; ++i) {
      Surface surface(bytes_.Id(geometries), bytes_.Id(materials));
      for (std::size_t t = bytes_.Below(4); t > 0; --t)
        surface.Textures.emplace_back(bytes_.Bool() ? -1 : bytes_.Id(textures), Text(10), bytes_.Id(4),
                                      bytes_.AnyFloat());
      data.surfaces.push_back(surface);
    }
    for (std::size_t i = 0; i < animations; ++i) data.animations.emplace_back(bytes_.Below(3));

    if (shape % 4 == 0) Chain(shape);
    else Free();
    return std::move(scene_);
  }

 private:
  // A node with its own lists, but no child list yet.
  Node MakeNode() {
    SceneData& data = scene_.data;
    Node node;
    node.SetName(Text(10));
    node.SetAnimationID(bytes_.Bool() ? -1 : bytes_.Id(data.animations.size()));
    for (std::size_t k = bytes_.Below(3); k > 0; --k)
      node.SurfaceIDs.push_back(static_cast<std::uint32_t>(bytes_.Id(data.surfaces.size())));
    for (std::size_t k = bytes_.Below(3); k > 0; --k)
      node.CameraIDs.push_back(static_cast<std::uint32_t>(bytes_.Id(data.cameras.size())));
    return node;
  }

  // Nodes whose child lists say anything at all.
  void Free() {
    SceneData& data = scene_.data;
    const std::size_t count = bytes_.Below(kMaxFreeNodes + 1);
    for (std::size_t i = 0; i < count; ++i) data.nodes.push_back(MakeNode());
    for (Node& node : data.nodes)
      for (std::size_t k = bytes_.Below(5); k > 0; --k) node.ChildIDs.push_back(bytes_.Id(count));
    data.rootNodeID = bytes_.Byte() % 4 == 0 ? bytes_.Id(count) : (count == 0 ? -1 : 0);
  }

  // A chain from node 0 down, then perhaps a few edges that break it: back
  // to an ancestor (a cycle), out of range, or a second parent.
  void Chain(std::uint8_t shape) {
    SceneData& data = scene_.data;
    const std::size_t length = 1 + bytes_.U16() % kMaxChain;
    const bool plain = shape & 0x10;
    for (std::size_t i = 0; i < length; ++i) {
      data.nodes.push_back(plain ? Node("n" + std::to_string(i), D3DXMATRIX()) : MakeNode());
      if (i + 1 < length) data.nodes.back().ChildIDs.push_back(static_cast<int>(i + 1));
    }
    data.rootNodeID = 0;
    const std::size_t extra = bytes_.Below(4);
    for (std::size_t k = 0; k < extra; ++k)
      data.nodes[bytes_.Below(length)].ChildIDs.push_back(bytes_.Id(length));
    scene_.pureChain = extra == 0;
    scene_.chainLength = length;
  }

  ByteSource& bytes_;
  FuzzedScene scene_;
};

}  // namespace

FuzzedScene SceneFromBytes(ByteSource& bytes) { return Builder(bytes).Build(); }

}  // namespace sci_fuzz
