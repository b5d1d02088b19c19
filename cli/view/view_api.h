#pragma once

#include <map>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "session/query_session.h"

// What the inspector's server answers, apart from HTTP: every answer comes
// from the session's plug-in channels, as sci gives it on the command line.
namespace sci {

struct ApiReply {
  int status = 200;
  std::string contentType = "application/json";
  std::string body;
};

// Answers the inspector's requests about one loaded scene. Safe to call from
// several threads: the plug-in is called from one thread at a time.
class ViewApi {
 public:
  // `session` has the plug-in and the scene loaded and outlives this object;
  // texture files come from the scene's folder and `textureRoots`.
  ViewApi(QuerySession& session, std::string scenePath, std::vector<std::string> textureRoots = {});

  // The summary, as `sci --json` without a query gives it.
  ApiReply Summary();
  // The node tree, as `sci --tree --json` gives it.
  ApiReply Tree();
  // Every query with its input and output labels, as `sci --json --list`.
  ApiReply Queries();
  // One query: its name, then its inputs as words. The result exactly as
  // `sci --json` writes it; 400 with {"error"} when the words are no query.
  ApiReply Query(const std::vector<std::string>& words);
  // The same for a JSON object {"name": ..., "inputs": [...]}; with
  // "format": "text", the text sci prints instead, as text/plain.
  ApiReply QueryJson(std::string_view body);
  // A JSON array of such objects, answered in order as one JSON array; a
  // request that is no query gets {"error"} in its place.
  ApiReply Batch(std::string_view body);
  // The geometry with ID `id` in the binary layout of geometry_binary.h.
  ApiReply Geometry(std::string_view id);
  // Geometries `first` to `first + count - 1`, one after the other in that
  // layout: a few large replies carry a scene's meshes faster than many
  // small ones.
  ApiReply Geometries(std::string_view first, std::string_view count);
  // Every texture: [{"id", "path", "type", "missing"}], the path as the scene
  // gives it, the type of the image found for it (null when none was found)
  // and why none was found (null when one was).
  ApiReply Textures();
  // Imports the scene again under `options` (the file changed on disk). A
  // file that no longer reads keeps the last good scene, and Changes() says
  // why.
  void Reload(const Importing::GuardedImportOptions& options);
  // {"generation": N, "error": TEXT or null}: N grows with each reload that
  // read the file, the error is that of the last reload when it failed.
  ApiReply Changes();
  // The files beside the scene that it reads, as far as the scene says:
  // its texture paths, and the buffer and material files of its name.
  std::vector<std::string> Companions();

  // The image of the texture with ID `id`: embedded in the scene file, or
  // the file beside it; as PNG when a browser cannot draw it (422 with the
  // reason when it cannot be decoded).
  ApiReply Texture(std::string_view id);

 private:
  // Runs the query that `words` name; false with the reason in `error` when
  // they name none. `use` sees the answer while the channels are locked.
  template <class Use>
  bool Run(const std::vector<std::string>& words, std::string* error, Use use);

  // The texture path of `id` as the plug-in gives it; false with the reason
  // in `error` (status 400 or 404 in `status`).
  bool TexturePath(std::string_view id, std::string* path, std::string* error, int* status);

  // `image`, the texture at `path`, as PNG: decoded once, then kept while
  // the decoded images together stay under kMaxDecodedCacheBytes.
  bool DecodedTexture(const std::string& path, std::string_view image, std::string* png, std::string* why);

  static constexpr std::size_t kMaxDecodedCacheBytes = std::size_t{256} << 20;
  struct DecodedImages {
    std::mutex mutex;
    std::map<std::string, std::string> images;  // by texture path
    std::size_t bytes = 0;
  };

  QuerySession& session_;
  const std::string scenePath_;
  const std::vector<std::string> textureRoots_;
  std::mutex channels_;  // held around every call into the scene's channels
  DecodedImages decoded_;
  int generation_ = 0;       // under channels_
  std::string reloadError_;  // under channels_
};

}  // namespace sci
