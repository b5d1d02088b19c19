#include "channel/scene_container_info.h"
#include "queries/query_support.h"
#include "xml/number_text.h"

// The material XML text: one material's name, colours, specular power and
// opacity in seven lines.
namespace Importing {

using namespace query;

namespace {

// One colour line: "\t<tag> <r>..</r> <g>..</g> <b>..</b> <a>..</a> </tag>\n".
void AppendColour(std::string& text, const char* tag, const Color& colour) {
  text += "\t<";
  text += tag;
  text += "> <r>";
  xml::AppendNumber(text, colour.r);
  text += "</r> <g>";
  xml::AppendNumber(text, colour.g);
  text += "</g> <b>";
  xml::AppendNumber(text, colour.b);
  text += "</b> <a>";
  xml::AppendNumber(text, colour.a);
  text += "</a> </";
  text += tag;
  text += ">\n";
}

}  // namespace

// The text is built whole and handed over in one SetText; a bad material ID
// empties the output. Names are inserted unescaped.
int SceneContainerInfo::GetMaterialAsXML(const SceneContainer& scene) {
  auto children = Children<ValueChannel, TextChannel>(*this);
  if (!children) return kFailed;
  auto [materialIn, out] = *children;
  std::int32_t id;
  if (!ReadIndex(*this, *materialIn, scene.Materials().size(), messages::kMaterialId, id)) return Failed(*out);
  const Material& material = scene.Materials()[id];

  std::string text = "<material id=\"";
  xml::AppendNumber(text, id);
  text += "\" name=\"";
  text += material.GetName();
  text += "\">\n";
  AppendColour(text, "diffuse", material.GetDiffuse());
  // The element is spelled "emmisive" in both tags; readers of the text expect it.
  AppendColour(text, "emmisive", material.GetEmissive());
  AppendColour(text, "specular", material.GetSpecular());
  text += "\t<specular_power> ";
  xml::AppendNumber(text, material.GetSpecularPower());
  text += " </specular_power>\n\t<opacity> ";
  xml::AppendNumber(text, material.GetOpacity());
  text += " </opacity>\n</material>\n";
  return Answer(*out, text);
}

}  // namespace Importing
