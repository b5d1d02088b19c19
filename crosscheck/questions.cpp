#include "crosscheck/questions.h"

#include <algorithm>
#include <cmath>

#include "channel/child_meanings.h"

namespace crosscheck {

namespace {

using namespace Importing;

// The values tried for an input that selects among `count` records.
std::vector<float> Spread(std::size_t count) {
  const float n = static_cast<float>(count);
  std::vector<float> values{-1.0f, -0.5f, 0.0f, 1.75f, static_cast<float>(count / 2), n - 1.0f, n};
  values.erase(std::remove_if(values.begin(), values.end(), [n](float v) { return v > n; }), values.end());
  std::sort(values.begin(), values.end());
  values.erase(std::unique(values.begin(), values.end()), values.end());
  return values;
}

void AddQuestions(const InfoTypeInfo& info, const SceneContainer& scene, std::vector<Question>& out) {
  std::vector<InputDomain> inputs;
  for (int index = 1; index <= FurtherChildCount(info); ++index)
    if (!IsOutputChild(info, index)) inputs.push_back(MeaningOf(info, index).input);

  if (inputs.empty()) {
    out.push_back({&info, {}, {}});
  } else if (info.children[0].kind == ChildKind::Text) {
    std::vector<std::string> names{"", "no such node"};
    if (!scene.Nodes().empty()) names.insert(names.begin(), {scene.Nodes().front().GetName(), scene.Nodes().back().GetName()});
    for (const std::string& name : names) out.push_back({&info, {}, name});
  } else {
    const std::size_t firstCount = DomainSize(inputs[0], scene, 0);
    std::vector<float> firsts = Spread(firstCount);
    if (inputs.size() == 2) {
      // Lists such as a node's cameras are often empty: ask also about the
      // first and the last record whose list is not.
      std::vector<float> owners;
      for (std::size_t owner = 0; owner < firstCount; ++owner)
        if (DomainSize(inputs[1], scene, owner) > 0) owners.push_back(static_cast<float>(owner));
      if (!owners.empty()) firsts.insert(firsts.end(), {owners.front(), owners.back()});
      std::sort(firsts.begin(), firsts.end());
      firsts.erase(std::unique(firsts.begin(), firsts.end()), firsts.end());
    }
    for (const float first : firsts) {
      if (inputs.size() == 1) {
        out.push_back({&info, {first}, {}});
      } else if (std::trunc(first) < 0.0f || std::trunc(first) >= static_cast<float>(firstCount)) {
        out.push_back({&info, {first, 0.0f}, {}});
      } else {
        for (const float second : Spread(DomainSize(inputs[1], scene, static_cast<std::size_t>(first))))
          out.push_back({&info, {first, second}, {}});
      }
    }
  }
}

}  // namespace

std::vector<Question> QuestionsFor(const SceneContainer& scene) {
  std::vector<Question> questions;
  for (const InfoTypeInfo& info : kInfoTypes) AddQuestions(info, scene, questions);
  return questions;
}

}  // namespace crosscheck
