#include "cli/view/view_api.h"

#include <charconv>
#include <cstdint>
#include <filesystem>

#include "cli/view/geometry_binary.h"
#include "cli/view/texture_decoding.h"
#include "session/texture_files.h"
#include "host/mesh_channel.h"
#include "host/value_channels.h"
#include "session/json_output.h"
#include "session/node_names.h"
#include "session/query_list.h"
#include "session/scene_tree.h"
#include "session/summary.h"
#include "session/text_output.h"

namespace sci {

namespace {

ApiReply Error(int status, const std::string& message) {
  return {status, "application/json", DumpLine(Json{{"error", message}})};
}

// The words of a request object {"name": ..., "inputs": [...]}; numbers in
// the inputs become their text. False with the reason when it is not one.
constexpr int kMaxGeometriesPerReply = 4096;

// An ID as the whole of `text`, in decimal, possibly negative.
bool ParseId(std::string_view text, int* id) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *id);
  return error == std::errc() && end == text.data() + text.size();
}

// The result as `sci --json` writes it.
void AppendJson(const Answer& result, std::string& out) {
  TextSink sink;
  sink.text.swap(out);
  WriteAnswerJson(result, sink);
  sink.text.swap(out);
}

bool WordsOf(const nlohmann::json& request, std::vector<std::string>* words, std::string* error) {
  const auto name = request.find("name");
  if (!request.is_object() || name == request.end() || !name->is_string()) {
    *error = "a query request is an object {\"name\": QUERY, \"inputs\": [...]}";
    return false;
  }
  words->assign(1, name->get<std::string>());
  const auto inputs = request.find("inputs");
  if (inputs == request.end()) return true;
  if (!inputs->is_array()) {
    *error = "\"inputs\" must be an array";
    return false;
  }
  for (const auto& input : *inputs) words->push_back(input.is_string() ? input.get<std::string>() : input.dump());
  return true;
}

}  // namespace

ViewApi::ViewApi(QuerySession& session, std::string scenePath, std::vector<std::string> textureRoots)
    : session_(session), scenePath_(std::move(scenePath)), textureRoots_(std::move(textureRoots)) {}

template <class Use>
bool ViewApi::Run(const std::vector<std::string>& words, std::string* error, Use use) {
  QueryRequest request;
  if (!ParseQuery(std::vector<std::string_view>(words.begin(), words.end()), &request, error)) return false;
  const std::lock_guard<std::mutex> lock(channels_);
  if (!ResolveNodeNames(session_, request, error)) return false;
  use(session_.Run(request));
  return true;
}

ApiReply ViewApi::Summary() {
  const std::lock_guard<std::mutex> lock(channels_);
  return {200, "application/json", SummaryJson(Summarize(session_, scenePath_))};
}

ApiReply ViewApi::Tree() {
  const std::lock_guard<std::mutex> lock(channels_);
  return {200, "application/json", SceneTreeJson(scenePath_, BuildSceneTree(session_))};
}

ApiReply ViewApi::Queries() { return {200, "application/json", QueryListJson()}; }

ApiReply ViewApi::Query(const std::vector<std::string>& words) {
  ApiReply reply;
  std::string error;
  if (!Run(words, &error, [&](const Answer& result) { AppendJson(result, reply.body); }))
    return Error(400, error);
  return reply;
}

ApiReply ViewApi::QueryJson(std::string_view body) {
  const auto request = nlohmann::json::parse(body, nullptr, false);
  std::vector<std::string> words;
  std::string error;
  if (request.is_discarded()) return Error(400, "the request body is not JSON");
  if (!WordsOf(request, &words, &error)) return Error(400, error);
  const auto format = request.find("format");
  if (format == request.end() || *format == "json") return Query(words);
  if (*format != "text") return Error(400, "\"format\" is \"json\" (the default) or \"text\"");
  // The text sci prints for a person, meanings included.
  ApiReply reply{200, "text/plain; charset=utf-8", {}};
  if (!Run(words, &error, [&](const Answer& result) { AppendText(result, false, reply.body); }))
    return Error(400, error);
  return reply;
}

ApiReply ViewApi::Batch(std::string_view body) {
  const auto requests = nlohmann::json::parse(body, nullptr, false);
  if (!requests.is_array()) return Error(400, "a batch is a JSON array of query requests");
  ApiReply reply;
  reply.body = "[";
  for (const auto& request : requests) {
    if (reply.body.size() > 1) reply.body += ',';
    std::vector<std::string> words;
    std::string error;
    if (!WordsOf(request, &words, &error) ||
        !Run(words, &error, [&](const Answer& result) { AppendJson(result, reply.body); }))
      reply.body += DumpLine(Json{{"error", error}});
  }
  reply.body += ']';
  return reply;
}

void ViewApi::Reload(const Importing::GuardedImportOptions& options) {
  const std::lock_guard<std::mutex> lock(channels_);
  std::string error;
  if (session_.LoadScene(scenePath_, &error, {}, options)) {
    ++generation_;
    reloadError_.clear();
    const std::lock_guard<std::mutex> images(decoded_.mutex);
    decoded_.images.clear();
    decoded_.bytes = 0;
  } else {
    reloadError_ = error;
  }
}

ApiReply ViewApi::Changes() {
  const std::lock_guard<std::mutex> lock(channels_);
  return {200, "application/json",
          DumpLine(Json{{"generation", generation_}, {"error", reloadError_.empty() ? Json() : Json(reloadError_)}})};
}

std::vector<std::string> ViewApi::Companions() {
  const std::lock_guard<std::mutex> lock(channels_);
  std::vector<std::string> names;
  std::string error;
  if (session_.Load(Importing::kTexturePathsPart, Importing::kNoGeometry, &error))
    for (const std::string& path : session_.Scene().TexturePaths()) names.push_back(path);
  const std::filesystem::path scene(scenePath_);
  for (const char* extension : {".bin", ".mtl"}) names.push_back(scene.stem().string() + extension);
  return names;
}

ApiReply ViewApi::Geometry(std::string_view id) { return Geometries(id, "1"); }

ApiReply ViewApi::Geometries(std::string_view first, std::string_view count) {
  int start = 0, n = 0;
  if (!ParseId(first, &start) || !ParseId(count, &n) || n < 1 || n > kMaxGeometriesPerReply)
    return Error(400, "geometries are asked by a first ID and a count of 1 to " + std::to_string(kMaxGeometriesPerReply));
  ApiReply reply{200, "application/octet-stream", {}};
  // In 64 bits: start + n passes INT_MAX for a first ID near it.
  for (std::int64_t id = start; id < std::int64_t{start} + n; ++id) {
    std::string error;
    const bool ran = Run({"geometry", std::to_string(id)}, &error, [&](const Answer& result) {
      if (!result.messages.empty()) error = result.messages.front();
      else if (const MeshChannel* const* mesh = FirstOutput<const MeshChannel*>(result)) AppendGeometry(**mesh, reply.body);
      else error = "the plug-in gave no mesh";
    });
    if (!ran) return Error(400, error);
    if (!error.empty()) return Error(404, error);
  }
  return reply;
}

bool ViewApi::TexturePath(std::string_view id, std::string* path, std::string* error, int* status) {
  *status = 400;
  if (!Run({"texture-path", std::string(id)}, error, [&](const Answer& result) {
        const TextValue* text = FirstOutput<TextValue>(result);
        if (!result.messages.empty()) *error = result.messages.front();
        else if (text == nullptr || text->text == nullptr) *error = "the plug-in gave no texture path";
        else *path = text->text;
      }))
    return false;
  *status = 404;
  return error->empty();
}

ApiReply ViewApi::Textures() {
  std::string error;
  int textures = 0;
  Run({"texture-count"}, &error, [&](const Answer& result) {
    if (const float* count = FirstOutput<float>(result)) textures = static_cast<int>(*count);
  });
  if (!session_.Load(Importing::kSourcePart, Importing::kNoGeometry, &error)) return Error(500, error);
  Json list = Json::array();
  for (int id = 0; id < textures; ++id) {
    std::string path, head, why;
    int status = 0;
    if (!TexturePath(std::to_string(id), &path, &error, &status)) return Error(500, error);
    bool found = ReadTextureImage(scenePath_, session_.Scene().Source(), path, &head, &why, textureRoots_, 4096);
    std::string type = found ? ImageContentType(head) : "";
    // What a browser cannot draw is sent decoded, when it can be.
    if (found && type == "application/octet-stream") {
      found = CanDecodeToPng(head, &why);
      type = "image/png";
    }
    list.push_back(Json{{"id", id}, {"path", path}, {"type", found ? Json(type) : Json()},
                        {"missing", found ? Json() : Json(why)}});
  }
  return {200, "application/json", DumpLine(list)};
}

ApiReply ViewApi::Texture(std::string_view id) {
  std::string path, error;
  int status = 0;
  if (!TexturePath(id, &path, &error, &status)) return Error(status, error);
  if (!session_.Load(Importing::kSourcePart, Importing::kNoGeometry, &error)) return Error(500, error);
  ApiReply reply;
  std::string why;
  if (!ReadTextureImage(scenePath_, session_.Scene().Source(), path, &reply.body, &why, textureRoots_))
    return Error(404, "no image for texture path \"" + path + "\" of " + scenePath_ + ": " + why);
  reply.contentType = ImageContentType(reply.body);
  if (reply.contentType == "application/octet-stream") {
    std::string png;
    if (!DecodedTexture(path, reply.body, &png, &why))
      return Error(422, "the image for texture path \"" + path + "\" cannot be shown: " + why);
    reply = {200, "image/png", std::move(png)};
  }
  return reply;
}

bool ViewApi::DecodedTexture(const std::string& path, std::string_view image, std::string* png, std::string* why) {
  {
    const std::lock_guard<std::mutex> lock(decoded_.mutex);
    const auto known = decoded_.images.find(path);
    if (known != decoded_.images.end()) return *png = known->second, true;
  }
  if (!DecodeToPng(image, png, why)) return false;
  const std::lock_guard<std::mutex> lock(decoded_.mutex);
  if (decoded_.bytes + png->size() <= kMaxDecodedCacheBytes && decoded_.images.emplace(path, *png).second)
    decoded_.bytes += png->size();
  return true;
}

}  // namespace sci
