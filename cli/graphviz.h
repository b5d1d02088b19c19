#pragma once

#include <string>

namespace sci {

// The path of Graphviz's `dot` found on PATH; empty when it is not there.
std::string FindDot();

// Draws `graph` (DOT text) as SVG with the `dot` at `dotPath`. False with
// the reason, and `svg` untouched, when dot cannot run or rejects the graph.
bool DrawSvg(const std::string& dotPath, const std::string& graph, std::string* svg, std::string* error);

}  // namespace sci
