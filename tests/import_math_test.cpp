// Unit tests of the importer's value conversions: texture matrices, fields of
// view, camera/light frames, key times and primitive sizes.
#include <gtest/gtest.h>

#include <assimp/mesh.h>

#include <cmath>
#include <ostream>
#include <vector>

#include "scene/import/animation_conversion.h"
#include "scene/import/camera_light_conversion.h"
#include "scene/import/mesh_conversion.h"
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

void PrintTo(const GenericCase& c, std::ostream* os) { *os << c.name; }

class GenericTextureMatrixTest : public ::testing::TestWithParam<GenericCase> {};

TEST_P(GenericTextureMatrixTest, MapsPoint) {
  const GenericCase& c = GetParam();
  ExpectUV(GenericTextureMatrix(c.transform), c.u, c.v, c.wantU, c.wantV);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GenericTextureMatrixTest,
    ::testing::Values(GenericCase{"Identity", {}, 0.3f, 0.7f, 0.3, 0.7},
                      GenericCase{"Translation", {0.25f, -0.5f, 1, 1, 0}, 0.3f, 0.7f, 0.55, 0.2},
                      GenericCase{"Scale", {0, 0, 2, 4, 0}, 0.5f, 0.25f, 1.0, 1.0},
                      // (1, 0.5) is 0.5 right of the centre; a quarter turn puts it 0.5 above.
                      GenericCase{"QuarterTurnAboutCentre", {0, 0, 1, 1, static_cast<float>(kPi / 2)}, 1, 0.5f,
                                  0.5, 1.0},
                      GenericCase{"ScaleRotateTranslate", {0.1f, 0.2f, 2, 2, static_cast<float>(kPi)}, 0.5f, 0.5f,
                                  // scaled to (1, 1), half-turned about the centre to (0, 0), moved.
                                  0.1, 0.2}),
    [](const auto& info) { return std::string(info.param.name); });

// glTF: flip v, T R S as KHR_texture_transform defines them, flip v back.
struct GltfCase {
  const char* name;
  KhrTextureTransform file;
};

void PrintTo(const GltfCase& c, std::ostream* os) { *os << c.name; }

class GltfTextureMatrixTest : public ::testing::TestWithParam<GltfCase> {};

TEST_P(GltfTextureMatrixTest, SamplesWhereTheFileMeans) {
  const KhrTextureTransform& k = GetParam().file;
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

INSTANTIATE_TEST_SUITE_P(Cases, GltfTextureMatrixTest,
                         ::testing::Values(GltfCase{"Identity", {}}, GltfCase{"Offset", {0.5f, 0.25f, 0, 1, 1}},
                                           GltfCase{"Rotation", {0, 0, 0.7f, 1, 1}},
                                           GltfCase{"Scale", {0, 0, 0, 2, 3}},
                                           GltfCase{"All", {0.25f, 0.5f, -1.2f, 2, 0.5f}}),
                         [](const auto& info) { return std::string(info.param.name); });

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

void PrintTo(const FovCase& c, std::ostream* os) { *os << c.name; }

class FieldOfViewTest : public ::testing::TestWithParam<FovCase> {};

TEST_P(FieldOfViewTest, Angles) {
  const FovCase& c = GetParam();
  const FieldOfView fov = c.gltf ? FovFromGltf(c.stored, c.aspect) : FovFromHorizontal(c.stored, c.aspect);
  EXPECT_NEAR(fov.x, c.wantX, kEps);
  EXPECT_NEAR(fov.y, c.wantY, kEps);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FieldOfViewTest,
    ::testing::Values(
        // 90 degrees wide at aspect 2: tan(fovy/2) = 1/2.
        FovCase{"Horizontal", false, static_cast<float>(kPi / 2), 2, kPi / 2, 2 * std::atan(0.5)},
        FovCase{"HorizontalNoAspect", false, 1.0f, 0, 1.0, 1.0},
        // Assimp stores yfov x aspect = 0.8 x 1.5 for glTF.
        FovCase{"Gltf", true, 1.2f, 1.5f, 2 * std::atan(std::tan(0.4) * 1.5), 0.8},
        FovCase{"GltfNoAspect", true, 0.8f, 0, 0.8, 0.8}),
    [](const auto& info) { return std::string(info.param.name); });

// Frames: rows right, up, backward, position.
struct FrameCase {
  const char* name;
  aiVector3D look, up, position;
  D3DXVECTOR3 right, wantUp, back;
};

void PrintTo(const FrameCase& c, std::ostream* os) { *os << c.name; }

class FrameMatrixTest : public ::testing::TestWithParam<FrameCase> {};

TEST_P(FrameMatrixTest, Rows) {
  const FrameCase& c = GetParam();
  const D3DXMATRIX m = FrameMatrix(c.look, c.up, c.position);
  const D3DXVECTOR3 want[4] = {c.right, c.wantUp, c.back, {c.position.x, c.position.y, c.position.z}};
  for (int r = 0; r < 4; ++r) {
    EXPECT_NEAR(m.m[r][0], want[r].x, kEps) << "row " << r;
    EXPECT_NEAR(m.m[r][1], want[r].y, kEps) << "row " << r;
    EXPECT_NEAR(m.m[r][2], want[r].z, kEps) << "row " << r;
    EXPECT_EQ(m.m[r][3], r == 3 ? 1.0f : 0.0f) << "row " << r;
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FrameMatrixTest,
    ::testing::Values(
        FrameCase{"Canonical", {0, 0, -1}, {0, 1, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        FrameCase{"LookAlongX", {1, 0, 0}, {0, 1, 0}, {4, 5, 6}, {0, 0, 1}, {0, 1, 0}, {-1, 0, 0}},
        FrameCase{"UnnormalisedSkewedUp", {0, 0, -3}, {0, 2, 1}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        FrameCase{"ZeroUpFallsBackToY", {0, 0, -1}, {0, 0, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}},
        FrameCase{"ParallelUpFallsBack", {0, -1, 0}, {0, 1, 0}, {}, {1, 0, 0}, {0, 0, -1}, {0, 1, 0}},
        FrameCase{"ZeroLookFallsBackToMinusZ", {0, 0, 0}, {0, 1, 0}, {}, {1, 0, 0}, {0, 1, 0}, {0, 0, 1}}),
    [](const auto& info) { return std::string(info.param.name); });

struct TicksCase {
  double time, ticksPerSecond;
  std::uint32_t want;
};

void PrintTo(const TicksCase& c, std::ostream* os) { *os << c.time << " at " << c.ticksPerSecond; }

class ContainerTicksTest : public ::testing::TestWithParam<TicksCase> {};

TEST_P(ContainerTicksTest, Converts) {
  EXPECT_EQ(ToContainerTicks(GetParam().time, GetParam().ticksPerSecond), GetParam().want);
}

INSTANTIATE_TEST_SUITE_P(Cases, ContainerTicksTest,
                         ::testing::Values(TicksCase{1000, 1000, 4800}, TicksCase{25, 0, 4800},
                                           TicksCase{1, 30, 160}, TicksCase{0.1, 1000, 0},
                                           TicksCase{0.11, 1000, 1},  // 0.528 rounds up
                                           TicksCase{-5, 25, 0}));

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
