#pragma once

#include <string>
#include <vector>

#include "crosscheck/questions.h"
#include "host/orv_channel.h"

namespace crosscheck {

// The answer of a channel that has just run `question`, as one JSON line:
// the query, its inputs, every output child and the messages shown. Floats
// are written as the hex of their bits, so that equal lines mean equal bits;
// a mesh or key collection as its counts and a 64-bit digest of its contents.
std::string AnswerLine(const Question& question, const Orv_Channel& channel, const std::vector<std::string>& messages);

}  // namespace crosscheck
