// The scene hierarchy and material XML texts, byte for byte, and the
// hierarchy writer on containers that break the tree's promises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "query_harness.h"

#if defined(__SANITIZE_ADDRESS__)
#define SCI_TEST_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCI_TEST_ASAN 1
#endif
#endif

using namespace Importing;

namespace {

// Lines given as (leading tabs, rest), each ended by a line feed.
std::string Lines(std::initializer_list<std::pair<int, const char*>> lines) {
  std::string text;
  for (const auto& [tabs, rest] : lines) text += std::string(static_cast<std::size_t>(tabs), '\t') + rest + "\n";
  return text;
}

// ---------------------------------------------------------------------------
// Scene hierarchy.

// The documented example: Root (no animation) with one child Box (animation
// 0, surface 0 with a diffuse map and an entry without texture, camera 0).
SceneBuilder ExampleScene() {
  SceneBuilder b;
  b.AddNode("Root");
  const int box = b.AddNode("Box", 0);
  b.AddAnimation({}, box);
  b.AddMaterial(Material("m0"));
  b.AddMaterial(Material("m1"));
  b.AddMaterial(Material("m2"));
  b.AddSurface(box, 0, 2, {SurfaceTexture(1, "diffuse", 0, 0.5f), SurfaceTexture(-1, "specular", 0, 1)});
  Camera cam;
  cam.SetName("Cam");
  cam.SetFov(0.7853982f, 0.6f);
  cam.SetClipping(1, 1000);
  b.AddCamera(box, cam);
  return b;
}

const std::string kExampleText = Lines({
    {0, "<node id=\"0\" name=\"Root\" >"},
    {1, "<node id=\"1\" name=\"Box\"  animation_id=\"0\">"},
    {2, "<surfaces>"},
    {3, "<surface geometry_id=\"0\" material_id=\"2\" >"},
    {4, "<maps>"},
    {5, "<map type=\"diffuse\">"},
    {6, "<texture_id>1</texture_id>"},
    {6, "<amount>0.5</amount>"},
    {6, "<uvset>0</uvset>"},
    {5, "</map>"},
    {4, "</maps>"},
    {3, "</surface>"},
    {2, "</surfaces>"},
    {2, "<cameras>"},
    {3, "<camera>"},
    {4, "<name>Cam</name>"},
    {4, "<fovx>0.785398</fovx>"},
    {4, "<fovy>0.6</fovy>"},
    {4, "<near-z>1</near-z>"},
    {4, "<far-z>1000</far-z>"},
    {3, "</camera>"},
    {2, "</cameras>"},
    {1, "</node>"},
    {0, "</node>"},
});

// The text the channel writes when the host calls it.
std::string HierarchyOf(const SceneBuilder& scene) {
  QueryHarness h(SCI_SCENE_HIERARCHY);
  h.Fill(scene);
  h.channel->CallChannel();
  const char* text = h.Child<TextChannel>(1).GetText();
  return text ? text : "(no text)";
}

TEST(SceneHierarchyXml, DocumentedExample) {
  EXPECT_EQ(HierarchyOf(ExampleScene()), kExampleText);
}

TEST(SceneHierarchyXml, LoneRoot) {
  SceneBuilder b;
  b.AddNode("only");
  EXPECT_EQ(HierarchyOf(b), Lines({{0, "<node id=\"0\" name=\"only\" >"}, {0, "</node>"}}));
  b.AddAnimation({}, 0);
  EXPECT_EQ(HierarchyOf(b), Lines({{0, "<node id=\"0\" name=\"only\"  animation_id=\"0\">"}, {0, "</node>"}}));
}

// Surfaces without maps and with only texture-less entries, a UV set of -1,
// negative IDs, lights, unescaped names, and children in ChildIDs order.
TEST(SceneHierarchyXml, SurfaceMapsLightsAndChildOrder) {
  SceneBuilder b;
  b.AddNode("a<&\"");
  b.AddSurface(0, -3, -1);
  b.AddSurface(0, 1, 1, {SurfaceTexture(-1, "diffuse", 0, 1), SurfaceTexture(-1, "bump", 0, 1)});
  b.AddSurface(0, 2, 0, {SurfaceTexture(0, "normals", -1, 1e-5f)});
  b.AddLight(0, Light());
  const int first = b.AddNode("first", 0);
  const int second = b.AddNode("second", 0);
  b.AddNode("grandchild", first);
  std::swap(b.Data().nodes[0].ChildIDs[0], b.Data().nodes[0].ChildIDs[1]);
  b.AddLight(second, Light());
  EXPECT_EQ(HierarchyOf(b), Lines({
                                {0, "<node id=\"0\" name=\"a<&\"\" >"},
                                {1, "<surfaces>"},
                                {2, "<surface geometry_id=\"-3\" material_id=\"-1\" >"},
                                {2, "</surface>"},
                                {2, "<surface geometry_id=\"1\" material_id=\"1\" >"},
                                {3, "<maps>"},
                                {3, "</maps>"},
                                {2, "</surface>"},
                                {2, "<surface geometry_id=\"2\" material_id=\"0\" >"},
                                {3, "<maps>"},
                                {4, "<map type=\"normals\">"},
                                {5, "<texture_id>0</texture_id>"},
                                {5, "<amount>1e-05</amount>"},
                                {5, "<uvset>4294967295</uvset>"},
                                {4, "</map>"},
                                {3, "</maps>"},
                                {2, "</surface>"},
                                {1, "</surfaces>"},
                                {1, "<node id=\"2\" name=\"second\" >"},
                                {1, "</node>"},
                                {1, "<node id=\"1\" name=\"first\" >"},
                                {2, "<node id=\"3\" name=\"grandchild\" >"},
                                {2, "</node>"},
                                {1, "</node>"},
                                {0, "</node>"},
                            }));
}

TEST(SceneHierarchyXml, NestedCallAppendsWithoutWriting) {
  QueryHarness h(SCI_SCENE_HIERARCHY);
  h.Fill(ExampleScene());
  h.Child<TextChannel>(1).SetText("previous");
  std::string text = "<outer>\n";
  EXPECT_EQ(h.channel->GetSceneHierarchy(*h.scene, 1, text, 1), 0);
  // The subtree of node 1 at depth 1 is lines 2 to 23 of the example.
  const std::size_t start = kExampleText.find('\n') + 1;
  const std::size_t end = kExampleText.rfind("</node>");
  EXPECT_EQ(text, "<outer>\n" + kExampleText.substr(start, end - start));
  EXPECT_STREQ(h.Child<TextChannel>(1).GetText(), "previous");
}

// ---------------------------------------------------------------------------
// Containers that break their promises: the writer neither crashes nor loops;
// bad IDs are skipped, each node is written once, any depth is followed.

// The child is listed twice by the root, and lists the root and itself.
TEST(SceneHierarchyXml, BadIdsCyclesAndRepeatsAreSkipped) {
  SceneBuilder b;
  b.AddNode("root");
  b.AddNode("child", 0);
  b.Data().nodes[0].ChildIDs = {7, -2, 1, 1};
  b.Data().nodes[0].SurfaceIDs = {5};
  b.Data().nodes[1].CameraIDs = {0xFFFFFFFFu};
  b.Data().nodes[1].ChildIDs = {0, 1};
  EXPECT_EQ(HierarchyOf(b), Lines({
                                {0, "<node id=\"0\" name=\"root\" >"},
                                {1, "<surfaces>"},
                                {1, "</surfaces>"},
                                {1, "<node id=\"1\" name=\"child\" >"},
                                {2, "<cameras>"},
                                {2, "</cameras>"},
                                {1, "</node>"},
                                {0, "</node>"},
                            }));
}

TEST(SceneHierarchyXml, RootOutsideTheNodesKeepsThePreviousText) {
  QueryHarness h(SCI_SCENE_HIERARCHY);
  SceneBuilder b;
  b.AddNode("root");
  b.Data().rootNodeID = 3;
  h.Fill(b);
  h.Child<TextChannel>(1).SetText("previous");
  EXPECT_EQ(h.Run(), 0);
  EXPECT_STREQ(h.Child<TextChannel>(1).GetText(), "previous");
}

SceneBuilder Chain(int length) {
  SceneBuilder b;
  b.AddNode("n");
  for (int i = 1; i < length; ++i) b.AddNode("n", i - 1);
  return b;
}

TEST(SceneHierarchyXml, DeepChainsAreWrittenWhole) {
  for (const int length : {1500, 10000}) {
    std::string expected;
    for (int i = 0; i < length; ++i)
      expected += std::string(i, '\t') + "<node id=\"" + std::to_string(i) + "\" name=\"n\" >\n";
    for (int i = length; i-- > 0;) expected += std::string(i, '\t') + "</node>\n";
    const std::string text = HierarchyOf(Chain(length));
    const auto differs = std::mismatch(text.begin(), text.end(), expected.begin(), expected.end()).first;
    EXPECT_TRUE(text == expected) << length << " nodes: the text differs from byte " << differs - text.begin();
  }
}

// A chain 100,000 deep needs about 10 GB of indentation: in a child process
// with little address space the allocation fails inside the plug-in, which
// returns its failure code and leaves the output as it was.
TEST(SceneHierarchyXml, TextThatCannotBeAllocatedLeavesTheOutput) {
#if SCI_TEST_ASAN
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit allows";
#endif
  QueryHarness h(SCI_SCENE_HIERARCHY);
  h.Fill(Chain(100000));
  h.Child<TextChannel>(1).SetText("previous");
  const pid_t child = fork();
  ASSERT_NE(child, -1);
  if (child == 0) {
    std::ifstream statm("/proc/self/statm");
    std::size_t pages = 0;
    statm >> pages;
    const rlim_t limit = pages * static_cast<rlim_t>(sysconf(_SC_PAGESIZE)) + (rlim_t{1} << 30);
    const rlimit space{limit, limit};
    const bool failed = setrlimit(RLIMIT_AS, &space) == 0 && h.Run() == -1 &&
                        std::strcmp(h.Child<TextChannel>(1).GetText(), "previous") == 0;
    _exit(failed ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "status " << status;
}

// ---------------------------------------------------------------------------
// Material XML.

SceneBuilder BrickScene() {
  SceneBuilder b;
  b.AddMaterial(Material("first"));
  b.AddMaterial(Material(""));
  b.AddMaterial(Material("a\"<b>&"));
  Material brick("Brick");
  brick.SetDiffuse({0.8f, 0.4f, 0.2f, 1});
  brick.SetEmissive({0, 0, 0, 1});
  brick.SetSpecular({0.5f, 0.5f, 0.5f, 1});
  brick.SetSpecularPower(20);
  brick.SetOpacity(1);
  b.AddMaterial(brick);
  Material odd("odd");
  odd.SetDiffuse({-0.5f, 2, 1.0f / 3, 0});
  odd.SetSpecularPower(1234567);
  odd.SetOpacity(0.00001f);
  b.AddMaterial(odd);
  return b;
}

std::string MaterialXml(float input) {
  QueryHarness h(SCI_MATERIAL_AS_XML);
  h.Fill(BrickScene());
  h.SetInput(1, input);
  h.channel->CallChannel();
  const char* text = h.Child<TextChannel>(2).GetText();
  return text ? text : "(no text)";
}

const std::string kBrickBody = Lines({
    {1, "<diffuse> <r>0.8</r> <g>0.4</g> <b>0.2</b> <a>1</a> </diffuse>"},
    {1, "<emmisive> <r>0</r> <g>0</g> <b>0</b> <a>1</a> </emmisive>"},
    {1, "<specular> <r>0.5</r> <g>0.5</g> <b>0.5</b> <a>1</a> </specular>"},
    {1, "<specular_power> 20 </specular_power>"},
    {1, "<opacity> 1 </opacity>"},
    {0, "</material>"},
});

TEST(MaterialXml, DocumentedExample) {
  EXPECT_EQ(MaterialXml(3.0f), "<material id=\"3\" name=\"Brick\">\n" + kBrickBody);
  EXPECT_EQ(MaterialXml(3.9f), "<material id=\"3\" name=\"Brick\">\n" + kBrickBody);
}

TEST(MaterialXml, NamesAndValuesGoInUnchanged) {
  const auto firstLine = [](const std::string& text) { return text.substr(0, text.find('\n') + 1); };
  EXPECT_EQ(firstLine(MaterialXml(-0.5f)), "<material id=\"0\" name=\"first\">\n");
  EXPECT_EQ(firstLine(MaterialXml(1)), "<material id=\"1\" name=\"\">\n");
  EXPECT_EQ(firstLine(MaterialXml(2)), "<material id=\"2\" name=\"a\"<b>&\">\n");
  const std::string odd = MaterialXml(4);
  EXPECT_NE(odd.find("\t<diffuse> <r>-0.5</r> <g>2</g> <b>0.333333</b> <a>0</a> </diffuse>\n"), std::string::npos);
  EXPECT_NE(odd.find("\t<specular_power> 1.23457e+06 </specular_power>\n"), std::string::npos);
  EXPECT_NE(odd.find("\t<opacity> 1e-05 </opacity>\n"), std::string::npos);
}

}  // namespace
