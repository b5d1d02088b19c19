#include "session/query_list.h"

#include <algorithm>

#include "session/json_output.h"
#include "session/query_table.h"
#include "session/value_text.h"

namespace sci {

namespace {

std::string Describe(const std::vector<QueryChild>& children) {
  std::string text;
  for (const auto& child : children) {
    if (!text.empty()) text += ", ";
    text += child.label;
    if (child.kind != ChildKind::Value) text += std::string(" [") + KindName(child.kind) + "]";
  }
  return text.empty() ? "-" : text;
}

Json ChildrenJson(const std::vector<QueryChild>& children) {
  Json list = Json::array();
  for (const auto& child : children) list.push_back(Json{{"label", child.label}, {"kind", KindName(child.kind)}});
  return list;
}

}  // namespace

std::string QueryListText() {
  std::size_t width = 0;
  for (const auto& info : Importing::kInfoTypes) width = std::max(width, ShortName(info).size());
  std::string text = " #  " + std::string("query").append(width - 3, ' ') + "inputs -> outputs ([kind] where not Value)\n";
  for (const auto& info : Importing::kInfoTypes) {
    std::string number = std::to_string(info.value);
    text.append(2 - std::min<std::size_t>(2, number.size()), ' ') += number;
    text += "  " + ShortName(info);
    text.append(width + 2 - ShortName(info).size(), ' ');
    text += Describe(Inputs(info)) + " -> " + Describe(Outputs(info)) + '\n';
  }
  return text + '\n' + NumberConventions();
}

std::string QueryListJson() {
  Json list = Json::array();
  for (const auto& info : Importing::kInfoTypes)
    list.push_back(Json{{"info_type", static_cast<int>(info.value)},
                        {"query", ShortName(info)},
                        {"name", info.name},
                        {"inputs", ChildrenJson(Inputs(info))},
                        {"outputs", ChildrenJson(Outputs(info))}});
  return DumpLine(list) + '\n';
}

}  // namespace sci
