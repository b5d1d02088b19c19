#pragma once

#include <string>

#include "fuzz/channel_rig.h"

namespace sci_fuzz {

// Runs every info type (and two values outside the table) on the rig's
// scene, each with a spread of inputs: in range, at the edges, -1, the
// count, NaN, infinity and a value beyond any int, varying one input at a
// time. Checks that no call shows more than one message and, when
// `wellFormed`, that a call shows one exactly when an input is out of range.
void SweepQueries(ChannelRig& rig, bool wellFormed);

// The first way in which the rig's scene is not a well-formed tree with
// valid cross-references, or the empty text.
std::string FirstDefect(const Importing::SceneContainer& scene);

}  // namespace sci_fuzz
