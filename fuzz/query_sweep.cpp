#include "fuzz/query_sweep.h"

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "channel/child_meanings.h"
#include "channel/info_types.h"
#include "fuzz/fuzz_check.h"

namespace sci_fuzz {

namespace {

using namespace Importing;

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
constexpr float kInf = std::numeric_limits<float>::infinity();

bool Selects(float input, std::size_t count) {
  return std::isfinite(input) && input > -1.0f && static_cast<double>(std::trunc(input)) < static_cast<double>(count);
}

std::vector<float> Spread(std::size_t count) {
  const float n = static_cast<float>(count);
  std::vector<float> values{0.0f, -0.5f, -1.0f, n, kNaN, kInf, -kInf, 3.0e9f};
  if (count > 0) values.insert(values.end(), {n - 1.0f, n - 0.5f});
  return values;
}

// How many records an input of `domain` may select among, given the first
// input; zero when the first input selects nothing.
std::size_t CountFor(InputDomain domain, const SceneContainer& scene, float first) {
  const bool usable = std::isfinite(first) && first > -1.0f && first < 4.0e9f;
  return DomainSize(domain, scene, usable ? static_cast<std::size_t>(std::trunc(first)) : SIZE_MAX);
}

// The n-th surface of a material is a search: any number is accepted, and
// one past the last finds nothing without a message.
bool RangeTested(InputDomain domain) { return domain != InputDomain::MaterialSurface; }

void CheckMessages(const ChannelRig& rig, bool wellFormed, bool allInRange) {
  const auto& messages = rig.host.Messages();
  if (messages.size() > 1 || (wellFormed && messages.size() != (allInRange ? 0u : 1u))) {
    std::fprintf(stderr, "info type %d, inputs", static_cast<int>(rig.channel->GetInfoType()));
    for (int i = 1; i < static_cast<int>(rig.channel->ChildSlots().size()); ++i)
      if (const auto* value = dynamic_cast<const ValueChannel*>(rig.channel->GetChild(i)))
        std::fprintf(stderr, " %g", static_cast<double>(value->GetValue()));
    std::fprintf(stderr, ", %s, messages:", allInRange ? "all in range" : "one out of range");
    for (const std::string& message : messages) std::fprintf(stderr, " \"%s\"", message.c_str());
    std::fprintf(stderr, "\n");
  }
  SCI_FUZZ_CHECK(messages.size() <= 1, "a call shows at most one message");
  for (const std::string& message : messages)
    SCI_FUZZ_CHECK(!message.empty() && message.back() == '.', "a message is a sentence");
  if (wellFormed) SCI_FUZZ_CHECK(messages.size() == (allInRange ? 0u : 1u), "a message exactly for a bad input");
}

void SweepOne(ChannelRig& rig, const InfoTypeInfo& info, bool wellFormed) {
  rig.SetInfoType(info.value);
  std::vector<int> inputs;
  for (int index = 1; index <= FurtherChildCount(info); ++index)
    if (!IsOutputChild(info, index)) inputs.push_back(index);

  if (inputs.empty()) {
    rig.Call();
    CheckMessages(rig, wellFormed, true);
    return;
  }
  if (info.children[0].kind == ChildKind::Text) {
    TextChannel* name = rig.Child<TextChannel>(1);
    SCI_FUZZ_CHECK(name != nullptr, "a name input is a Text child");
    const std::string some = rig.scene->Nodes().empty() ? std::string() : rig.scene->Nodes().back().GetName();
    for (const std::string& text : {some, std::string("\xff no such node \xfe")}) {
      name->SetText(text.c_str());
      rig.Call();
      CheckMessages(rig, wellFormed, true);
    }
    return;
  }

  // Vary one input at a time over the spread of its own count, the others
  // at 0; an input after one out of range is not read and counts as fine.
  for (std::size_t varied = 0; varied < inputs.size(); ++varied) {
    std::vector<float> values(inputs.size(), 0.0f);
    const InputDomain variedDomain = MeaningOf(info, inputs[varied]).input;
    for (const float value : Spread(CountFor(variedDomain, *rig.scene, values[0]))) {
      values[varied] = value;
      bool allInRange = true;
      for (std::size_t i = 0; i < inputs.size(); ++i) {
        ValueChannel* input = rig.Child<ValueChannel>(inputs[i]);
        SCI_FUZZ_CHECK(input != nullptr, "a numeric input is a Value child");
        input->SetValue(values[i]);
        const InputDomain domain = MeaningOf(info, inputs[i]).input;
        if (allInRange && RangeTested(domain)) allInRange = Selects(values[i], CountFor(domain, *rig.scene, values[0]));
      }
      rig.Call();
      CheckMessages(rig, wellFormed, allInRange);
    }
  }
}

}  // namespace

void SweepQueries(ChannelRig& rig, bool wellFormed) {
  for (const InfoTypeInfo& info : kInfoTypes) SweepOne(rig, info, wellFormed);
  for (const std::int32_t outside : {-1, kInfoTypeCount}) {
    rig.SetInfoType(static_cast<SCI_INFO_TYPE>(outside));
    SCI_FUZZ_CHECK(rig.channel->ChildSlots().size() == 1, "an info type outside the table has the scene child only");
    rig.Call();
    SCI_FUZZ_CHECK(rig.host.Messages().empty(), "an info type outside the table does nothing");
  }
}

std::string FirstDefect(const SceneContainer& scene) {
  const auto& nodes = scene.Nodes();
  const auto inRange = [](long long id, std::size_t count) { return id >= 0 && static_cast<std::size_t>(id) < count; };
  if (nodes.empty()) return scene.GetRootNodeID() == -1 ? "" : "a root without nodes";
  if (!inRange(scene.GetRootNodeID(), nodes.size())) return "the root is not a node";

  std::vector<int> parents(nodes.size(), -1);
  for (std::size_t id = 0; id < nodes.size(); ++id) {
    const Node& node = nodes[id];
    for (const int child : node.ChildIDs) {
      if (!inRange(child, nodes.size())) return "node " + std::to_string(id) + " lists a missing child";
      if (child == scene.GetRootNodeID() || parents[static_cast<std::size_t>(child)] >= 0)
        return "node " + std::to_string(child) + " has more than one parent";
      parents[static_cast<std::size_t>(child)] = static_cast<int>(id);
    }
    for (const auto surface : node.SurfaceIDs)
      if (!inRange(surface, scene.Surfaces().size())) return "node " + std::to_string(id) + " lists a missing surface";
    for (const auto camera : node.CameraIDs)
      if (!inRange(camera, scene.Cameras().size())) return "node " + std::to_string(id) + " lists a missing camera";
    for (const auto light : node.LightIDs)
      if (!inRange(light, scene.Lights().size())) return "node " + std::to_string(id) + " lists a missing light";
    if (node.GetAnimationID() != -1 && !inRange(node.GetAnimationID(), scene.Animations().size()))
      return "node " + std::to_string(id) + " names a missing animation";
  }
  // Every node but the root has one parent; all must hang below the root.
  std::size_t reached = 0;
  std::vector<int> pending{scene.GetRootNodeID()};
  while (!pending.empty()) {
    const int id = pending.back();
    pending.pop_back();
    if (++reached > nodes.size()) break;
    for (const int child : nodes[static_cast<std::size_t>(id)].ChildIDs) pending.push_back(child);
  }
  if (reached != nodes.size()) return "the nodes are not one tree below the root";

  for (std::size_t id = 0; id < scene.Surfaces().size(); ++id) {
    const Surface& surface = scene.Surfaces()[id];
    if (!inRange(surface.GetGeometryID(), scene.Geometries().size()))
      return "surface " + std::to_string(id) + " names a missing geometry";
    if (!inRange(surface.GetMaterialID(), scene.Materials().size()))
      return "surface " + std::to_string(id) + " names a missing material";
    for (const SurfaceTexture& map : surface.Textures)
      if (map.GetTextureID() != -1 && !inRange(map.GetTextureID(), scene.TexturePaths().size()))
        return "surface " + std::to_string(id) + " names a missing texture";
  }
  for (std::size_t id = 0; id < scene.Geometries().size(); ++id) {
    const Geometry& geometry = scene.Geometries()[id];
    for (const std::uint32_t index : geometry.Indices)
      if (index >= geometry.Vertices.size()) return "geometry " + std::to_string(id) + " indexes a missing vertex";
  }
  return "";
}

}  // namespace sci_fuzz
