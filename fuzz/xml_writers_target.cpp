#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "fuzz/byte_source.h"
#include "fuzz/channel_rig.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "fuzz/fuzzed_scene.h"

namespace sci_fuzz {

namespace {

using namespace Importing;

// Tabs a hierarchy line may start with: its node's level below the root (at
// most one less than the node count), plus the five levels inside a node element.
std::size_t MaxTabs(const SceneData& scene) { return scene.nodes.size() + 4; }

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
    lines.push_back(text.substr(start, end - start));
  SCI_FUZZ_CHECK(start == text.size(), "the text ends with a line feed");
  return lines;
}

// The most the text of `scene` may hold: every node once, each line indented
// at most MaxTabs, plus the texts that the lines quote.
std::size_t TextBound(const SceneData& scene) {
  const std::size_t kLine = MaxTabs(scene) + 64;
  std::size_t bound = 0;
  for (const Node& node : scene.nodes) {
    bound += 4 * kLine + node.GetName().size();
    for (const std::uint32_t id : node.SurfaceIDs) {
      bound += 4 * kLine;
      if (id < scene.surfaces.size())
        for (const SurfaceTexture& map : scene.surfaces[id].Textures) bound += 5 * kLine + map.GetTextureType().size();
    }
    for (const std::uint32_t id : node.CameraIDs)
      bound += 7 * kLine + (id < scene.cameras.size() ? scene.cameras[id].GetName().size() : 0);
  }
  return bound;
}

// Reads the node elements of the text back: each node once, inside the node
// that lists it, indented by its level; returns the number of nodes.
std::size_t CheckNesting(const std::string& text, const SceneData& scene) {
  std::vector<int> open;  // node IDs of the elements not yet closed
  std::set<int> seen;
  for (const std::string& line : Lines(text)) {
    const std::size_t tabs = line.find_first_not_of('\t');
    SCI_FUZZ_CHECK(tabs != std::string::npos && tabs <= MaxTabs(scene), "a line has text, indented within its level");
    const char* rest = line.c_str() + tabs;
    if (std::strncmp(rest, "<node id=\"", 10) == 0) {
      const int id = std::atoi(rest + 10);
      SCI_FUZZ_CHECK(id >= 0 && static_cast<std::size_t>(id) < scene.nodes.size(), "a written node exists");
      SCI_FUZZ_CHECK(seen.insert(id).second, "no node is written twice");
      SCI_FUZZ_CHECK(tabs == open.size(), "a node is indented by its level");
      if (open.empty()) {
        SCI_FUZZ_CHECK(id == scene.rootNodeID && seen.size() == 1, "the text starts at the root");
      } else {
        const auto& siblings = scene.nodes[static_cast<std::size_t>(open.back())].ChildIDs;
        SCI_FUZZ_CHECK(std::find(siblings.begin(), siblings.end(), id) != siblings.end(),
                       "a node is written inside a node that lists it");
      }
      open.push_back(id);
    } else if (std::strcmp(rest, "</node>") == 0) {
      SCI_FUZZ_CHECK(!open.empty() && tabs + 1 == open.size(), "a closing tag matches its node");
      open.pop_back();
    }
  }
  SCI_FUZZ_CHECK(open.empty(), "every node element is closed");
  return seen.size();
}

void SceneHierarchy(const FuzzedScene& fuzzed) {
  const SceneData& scene = fuzzed.data;
  ChannelRig rig;
  rig.scene->Fill(scene);
  rig.SetInfoType(SCI_SCENE_HIERARCHY);
  TextChannel* out = rig.Child<TextChannel>(1);
  SCI_FUZZ_CHECK(out != nullptr, "the hierarchy has its text output");
  rig.Call();
  SCI_FUZZ_CHECK(rig.host.Messages().empty(), "the hierarchy shows no message");

  const bool rootExists = scene.rootNodeID >= 0 && static_cast<std::size_t>(scene.rootNodeID) < scene.nodes.size();
  if (!rootExists) {
    SCI_FUZZ_CHECK(out->GetText() == nullptr, "without a root the output keeps its text");
    return;
  }
  SCI_FUZZ_CHECK(out->GetText() != nullptr, "a scene with a root gets a text");
  const std::string text = out->GetText();
  SCI_FUZZ_CHECK(text.size() <= TextBound(scene), "the text is bounded by the scene, not by its links");
  if (!fuzzed.plainTexts) return;
  const std::size_t written = CheckNesting(text, scene);
  if (fuzzed.pureChain)
    SCI_FUZZ_CHECK(written == fuzzed.chainLength, "a chain is written whole");
}

// The input's ID after truncation toward zero, when it selects a material.
bool SelectsMaterial(float input, std::size_t count) {
  return std::isfinite(input) && input > -1.0f && static_cast<double>(std::trunc(input)) < static_cast<double>(count);
}

void MaterialXml(const FuzzedScene& fuzzed, ByteSource& bytes) {
  const SceneData& scene = fuzzed.data;
  ChannelRig rig;
  rig.scene->Fill(scene);
  rig.SetInfoType(SCI_MATERIAL_AS_XML);
  ValueChannel* in = rig.Child<ValueChannel>(1);
  TextChannel* out = rig.Child<TextChannel>(2);
  SCI_FUZZ_CHECK(in != nullptr && out != nullptr, "the material XML has its input and output");
  for (int call = 0; call < 4; ++call) {
    const float input = bytes.Input(scene.materials.size());
    in->SetValue(input);
    rig.Call();
    SCI_FUZZ_CHECK(out->GetText() != nullptr, "every call writes the output");
    const std::string text = out->GetText();
    if (!SelectsMaterial(input, scene.materials.size())) {
      SCI_FUZZ_CHECK(text.empty(), "a bad material ID empties the output");
      SCI_FUZZ_CHECK(rig.host.Messages() == std::vector<std::string>{"Material id out of range."},
                     "a bad material ID is reported once");
      continue;
    }
    SCI_FUZZ_CHECK(rig.host.Messages().empty(), "a good material ID is not reported");
    const std::size_t id = static_cast<std::size_t>(std::trunc(input));
    const std::string name = scene.materials[id].GetName();
    if (name.find('\0') != std::string::npos) continue;
    const std::string head = "<material id=\"" + std::to_string(id) + "\" name=\"" + name + "\">\n";
    SCI_FUZZ_CHECK(text.compare(0, head.size(), head) == 0, "the text starts with the material's ID and name");
    const std::string tail = "</material>\n";
    SCI_FUZZ_CHECK(text.size() >= head.size() + tail.size() &&
                       text.compare(text.size() - tail.size(), tail.size(), tail) == 0,
                   "the text ends with the closing tag");
    const auto lines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    SCI_FUZZ_CHECK(lines == 7 + static_cast<std::size_t>(std::count(name.begin(), name.end(), '\n')),
                   "the text has seven lines");
    SCI_FUZZ_CHECK(text.size() <= head.size() + 6 * 128, "the numbers take a bounded room");
  }
}

}  // namespace

int XmlWriters(const std::uint8_t* data, std::size_t size) {
  ByteSource bytes(data, size);
  const FuzzedScene scene = SceneFromBytes(bytes);
  SceneHierarchy(scene);
  MaterialXml(scene, bytes);
  return 0;
}

}  // namespace sci_fuzz
