// Unit tests of the importer's value conversions: texture matrices, fields of
// view, camera/light frames, key times and primitive sizes.
#include <gtest/gtest.h>

#include <assimp/mesh.h>

#include <cmath>
#include <vector>

#include "scene/import/assimp/animation_conversion.h"
#include "scene/import/assimp/camera_light_conversion.h"
#include "scene/import/assimp/mesh_conversion.h"
#include "scene/import/texture_matrix.h"

namespace Importing::Import {
namespace {

constexpr float kEps = 1e-5f;
const double kPi = std::acos(-1.0);

void ExpectUV(const D3DXMATRIX& m, float u, float v, double wantU, double wantV) {
  const D3DXVECTOR2 got = ApplyToUV(m, u, v);
  EXPECT_NEAR(got.x, wantU, kEps) << "at (" << u << ", " << v << ")";
  EXPECT_NEAR(got.y, wantV, kEps) << "at (" << u << ", " << v << ")";
}

// Generic formats: scale, then counter-clockwise rotation about the centre,
// then translation; expectations worked out by hand.
struct GenericCase {
  const char* name;
  UvTransform transform;
  float u, v;
  double wantU, wantV;
};

TEST(GenericTextureMatrix, MapsPoints) {
  const GenericCase cases[] = {
      {"Identity", {}, 0.3f, 0.7f, 0.3, 0.7},
      {"Translation", {0.25f, -0.5f, 1, 1, 0}, 0.3f, 0.7f, 0.55, 0.2},
      {"Scale", {0, 0, 2, 4, 0}, 0.5f, 0.25f, 1.0, 1.0},
      // (1, 0.5) is 0.5 right of the centre; a quarter turn puts it 0.5 above.
      {"QuarterTurnAboutCentre", {0, 0, 1, 1, static_cast<float>(kPi / 2)}, 1, 0.5f, 0.5, 1.0},
      // scaled to (1, 1), half-turned about the centre to (0, 0), moved.
      {"ScaleRotateTranslate", {0.1f, 0.2f, 2, 2, static_cast<float>(kPi)}, 0.5f, 0.5f, 0.1, 0.2},
  };
  for (const GenericCase& c : cases) {
    SCOPED_TRACE(c.name);
    ExpectUV(GenericTextureMatrix(c.transform), c.u, c.v, c.wantU, c.wantV);
  }
}

// glTF: flip v, T R S as KHR_texture_transform defines them, flip v back.
TEST(GltfTextureMatrix, SamplesWhereTheFileMeans) {
  const KhrTextureTransform cases[] = {
      {}, {0.5f, 0.25f, 0, 1, 1}, {0, 0, 0.7f, 1, 1}, {0, 0, 0, 2, 3}, {0.25f, 0.5f, -1.2f, 2, 0.5f}};
  for (const KhrTextureTransform& k : cases) {
    const D3DXMATRIX m = GltfTextureMatrix(k);
    const double c = std::cos(k.rotation), s = std::sin(k.rotation);
    for (const auto& [u, storedV] : std::vector<std::pair<float, float>>{{0, 0}, {1, 0}, {0.25f, 0.75f}, {0.6f, 1}}) {
      // The file's v is the stored one flipped; the extension's matrix is
      // [c s; -s c] x diag(scale) plus the offset; flip the result back.
      const double v = 1.0 - storedV;
      const double fileU = c * k.scaleX * u + s * k.scaleY * v + k.offsetX;
      const double fileV = -s * k.scaleX * u + c * k.scaleY * v + k.offsetY;
      ExpectUV(m, u, storedV, fileU, 1.0 - fileV);
    }
  }
}

// Assimp gives many glTF slots this untransformed value; it must yield
// exactly the identity.
TEST(GltfTextureMatrix, UntransformedSlotGivesExactIdentity) {
  EXPECT_EQ(GltfTextureMatrix(RecoverKhrTextureTransform({0, 0, 1, 1, -0.0f})), D3DXMATRIX());
}

// Fields of view: both angles full, in radians.
struct FovCase {
  const char* name;
  bool gltf;
  float stored, aspect;
  double wantX, wantY;
};

TEST(FieldOfView, Angles) {
  const FovCase cases[] = {
      // 90 degrees wide at aspect 2: tan(fovy/2) = 1/2.
      {"Horizontal", false, static_cast<float>(kPi / 2), 2, kPi / 2, 2 * std::atan(0.5)},
      {"HorizontalNoAspect", false, 1.0f, 0, 1.0, 1.0},
      // Assimp stores yfov x aspect = 0.8 x 1.5 for glTF.
      {"Gltf", true, 1.2f, 1.5f, 2 * std::atan(std::tan(0.4) * 1.5), 0.8},
      {"GltfNoAspect", true, 0.8f, 0, 0.8, 0.8},
  };
  for (const FovCase& c : cases) {
    const FieldOfView fov = c.gltf ? FovFromGltf(c.stored, c.aspect) : FovFromHorizontal(c.stored, c.aspect);
    EXPECT_NEAR(fov.x, c.wantX, kEps) << c.name;
    EXPECT_NEAR(fov.y, c.wantY, kEps) << c.name;
  }
}

// Frames: rows right, up, backward, position.
struct FrameCase {
  const char* name;
  aiVector3D look, up, position;
  D3DXVECTOR3 right, wantUp, back;
};

TEST(FrameMatrix, Rows) {
  const FrameCase cases[] = {
      {"Canonical", {0, 0, -1}, {0, 1, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {"LookAlongX", {1, 0, 0}, {0, 1, 0}, {4, 5, 6}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
      {"UnnormalisedSkewedUp", {0, 0, -3}, {0, 2, 1}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {"ZeroUpFallsBackToY", {0, 0, -1}, {0, 0, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
      {"ParallelUpFallsBack", {0, -1, 0}, {0, 1, 0}, {}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
      {"ZeroLookFallsBackToMinusZ", {0, 0, 0}, {0, 1, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
  };
  for (const FrameCase& c : cases) {
    const D3DXMATRIX m = FrameMatrix(c.look, c.up, c.position);
    const D3DXVECTOR3 want[4] = {c.right, c.wantUp, c.back, {c.position.x, c.position.y, c.position.z}};
    for (int r = 0; r < 4; ++r) {
      EXPECT_NEAR(m.m[r][0], want[r].x, kEps) << c.name << " row " << r;
      EXPECT_NEAR(m.m[r][1], want[r].y, kEps) << c.name << " row " << r;
      EXPECT_NEAR(m.m[r][2], want[r].z, kEps) << c.name << " row " << r;
      EXPECT_EQ(m.m[r][3], r == 3 ? 1.0f : 0.0f) << c.name << " row " << r;
    }
  }
}

TEST(ContainerTicks, Converts) {
  const struct {
    double time, ticksPerSecond;
    std::uint32_t want;
  } cases[] = {{1000, 1000, 4800}, {25, 0, 4800}, {1, 30, 160}, {0.1, 1000, 0}, {0.11, 1000, 1} /* 0.528 rounds up */,
               {-5, 25, 0}};
  for (const auto& c : cases)
    EXPECT_EQ(ToContainerTicks(c.time, c.ticksPerSecond), c.want) << c.time << " at " << c.ticksPerSecond;
}

TEST(PrimitiveSize, FromAssimpTypes) {
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_POINT), 1);
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_LINE), 2);
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_TRIANGLE), 3);
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_TRIANGLE | aiPrimitiveType_NGONEncodingFlag), 3);
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_TRIANGLE | aiPrimitiveType_LINE), 0);
  EXPECT_EQ(PrimitiveSize(aiPrimitiveType_POLYGON), 0);
}

}  // namespace
}  // namespace Importing::Import
