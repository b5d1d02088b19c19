#pragma once

#include <string>
#include <vector>

#include "channel/info_types.h"
#include "scene/scene_container.h"

namespace crosscheck {

// One query with its inputs, in child order: numbers for Value inputs, and
// `name` for the Text input of SCI_NODE_ID.
struct Question {
  const Importing::InfoTypeInfo* info = nullptr;
  std::vector<float> numbers;
  std::string name;
};

// The questions asked of `scene`: every info type of the table, each input at
// -1, -0.5, 0, a fraction, the middle, the last valid value and one past it
// (fewer where those coincide), a second input for every first value that is
// valid. Both sides of a cross check derive the same list from equal scenes.
std::vector<Question> QuestionsFor(const Importing::SceneContainer& scene);

}  // namespace crosscheck
