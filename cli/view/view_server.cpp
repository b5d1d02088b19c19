#include "cli/view/view_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <new>
#include <optional>
#include <string_view>

#include "cli/exit_codes.h"
#include "cli/locations.h"
#include "cli/view/browser_launch.h"
#include "cli/view/microhttpd_library.h"
#include "cli/view/page_files.h"
#include "cli/view/scene_watcher.h"
#include "cli/view/view_api.h"
#include "cli/view/view_security.h"

namespace sci {

namespace {

// The library's functions, loaded once by RunView before the daemon starts.
const MicroHttpd* mhd = nullptr;

constexpr const char* kAddress = "127.0.0.1";
// A request body (a query or a batch) above this is refused unread.
constexpr std::size_t kMaxBody = 1 << 20;
// Connections held at once, idle ones included; beyond it new ones are
// closed at once. Idle connections cost a socket, never a thread.
constexpr unsigned kMaxConnections = 256;
// A connection silent for this long is closed.
constexpr unsigned kIdleSeconds = 15;
// Threads that answer requests, each with its own event loop: a slow query
// on one leaves the others answering.
constexpr unsigned kThreads = 4;

// The inspector's page, at the same place from the bin folder that holds
// sci in the build tree and in the install. Empty when it is not there.
std::string WebRoot() {
  const std::filesystem::path root =
      std::filesystem::path(ExecutableDir() + "/" SCI_WEB_FROM_BIN).lexically_normal();
  return FileExists((root / "index.html").string()) ? root.string() : std::string();
}

struct Server {
  ViewApi& api;
  const std::string& webRoot;
  const std::string& token;
  const std::vector<std::string>& allowedHosts;
};

// What one request has gathered between the calls the daemon makes for it.
struct PendingRequest {
  std::string body;
};

std::string Value(MHD_Connection* connection, MHD_ValueKind kind, const char* key) {
  const char* value = mhd->lookup_connection_value(connection, kind, key);
  return value == nullptr ? std::string() : std::string(value);
}

std::string Parameter(MHD_Connection* connection, const char* key) {
  return Value(connection, MHD_GET_ARGUMENT_KIND, key);
}

ApiReply Error(int status, const std::string& text) {
  return {status, "application/json", "{\"error\":\"" + text + "\"}"};
}

// Queues the reply as it is, its body handed over without a copy.
MHD_Result Send(MHD_Connection* connection, ApiReply reply) {
  auto* body = new (std::nothrow) std::string(std::move(reply.body));
  if (body == nullptr) return MHD_NO;
  MHD_Response* response = mhd->create_response_from_buffer_with_free_callback_cls(
      body->size(), body->data(), [](void* owned) { delete static_cast<std::string*>(owned); }, body);
  if (response == nullptr) {
    delete body;
    return MHD_NO;
  }
  mhd->add_response_header(response, "Content-Type", reply.contentType.c_str());
  mhd->add_response_header(response, "Cache-Control", "no-store");
  mhd->add_response_header(response, "X-Content-Type-Options", "nosniff");
  mhd->add_response_header(response, "Referrer-Policy", "no-referrer");
  const MHD_Result queued = mhd->queue_response(connection, static_cast<unsigned>(reply.status), response);
  mhd->destroy_response(response);
  return queued;
}

std::vector<std::string> QueryWords(MHD_Connection* connection) {
  std::vector<std::string> words{Parameter(connection, "name")};
  const std::string inputs = Parameter(connection, "inputs");
  for (std::size_t start = 0; !inputs.empty() && start <= inputs.size();) {
    const std::size_t comma = std::min(inputs.find(',', start), inputs.size());
    words.push_back(inputs.substr(start, comma - start));
    start = comma + 1;
  }
  return words;
}

// Host and token checks before anything else: a foreign Host is refused
// everywhere, a missing or wrong token on every API call. Empty when the
// request may go on.
std::optional<ApiReply> Refusal(const Server& server, MHD_Connection* connection, std::string_view path) {
  if (!IsOwnHost(Value(connection, MHD_HEADER_KIND, "Host"), server.allowedHosts))
    return Error(403,
                 "this server answers only to localhost, 127.0.0.1, [::1] and names given with --allow-host");
  const bool api = path.rfind("/api/", 0) == 0;
  if (api && !CarriesToken(Parameter(connection, "token"), Value(connection, MHD_HEADER_KIND, "Authorization"),
                           server.token))
    return Error(401, "missing or wrong access token");
  return std::nullopt;
}

// A body is refused before it is read: too large by its Content-Length
// (413), or sent in chunks whose total nobody knows (411).
std::optional<ApiReply> BodyRefusal(MHD_Connection* connection) {
  const std::string encoding = Value(connection, MHD_HEADER_KIND, "Transfer-Encoding");
  if (!encoding.empty()) return Error(411, "send the body with a Content-Length, not in chunks");
  const std::string length = Value(connection, MHD_HEADER_KIND, "Content-Length");
  unsigned long long bytes = 0;
  const auto parsed = std::from_chars(length.data(), length.data() + length.size(), bytes);
  if (!length.empty() && (parsed.ec != std::errc() || bytes > kMaxBody))
    return Error(413, "a request body may hold at most " + std::to_string(kMaxBody) + " bytes");
  return std::nullopt;
}

ApiReply Get(const Server& server, MHD_Connection* connection, std::string_view path) {
  ViewApi& api = server.api;
  auto after = [&path](std::string_view prefix) -> std::optional<std::string> {
    if (path.rfind(prefix, 0) != 0 || path.size() == prefix.size()) return std::nullopt;
    const std::string_view rest = path.substr(prefix.size());
    if (rest.find('/') != std::string_view::npos) return std::nullopt;
    return std::string(rest);
  };
  if (path == "/api/summary") return api.Summary();
  if (path == "/api/tree") return api.Tree();
  if (path == "/api/queries") return api.Queries();
  if (path == "/api/query") return api.Query(QueryWords(connection));
  if (path == "/api/textures") return api.Textures();
  if (path == "/api/changes") return api.Changes();
  if (path == "/api/geometries") return api.Geometries(Parameter(connection, "first"), Parameter(connection, "count"));
  if (const auto id = after("/api/geometry/")) return api.Geometry(*id);
  if (const auto id = after("/api/texture/")) return api.Texture(*id);
  ApiReply reply{200, "", {}};
  const char* type = path.rfind("/api/", 0) == 0 ? nullptr : ReadPageFile(server.webRoot, std::string(path.substr(1)), &reply.body);
  if (type == nullptr) return Error(404, "no such page file or API call");
  reply.contentType = type;
  return reply;
}

ApiReply Post(const Server& server, std::string_view path, const std::string& body) {
  if (path == "/api/query") return server.api.QueryJson(body);
  if (path == "/api/batch") return server.api.Batch(body);
  return Error(404, "no such API call");
}

// Called by the daemon for each request: first with the headers (checked
// here, before any body is read), then with each piece of the body, then
// once more with none to answer.
MHD_Result Respond(void* context, MHD_Connection* connection, const char* url, const char* method, const char*,
                   const char* upload, std::size_t* uploadSize, void** state) {
  const Server& server = *static_cast<const Server*>(context);
  const std::string_view path(url), verb(method);
  const bool post = verb == MHD_HTTP_METHOD_POST;
  if (*state == nullptr) {
    std::optional<ApiReply> refusal = Refusal(server, connection, path);
    if (!refusal && !post && verb != MHD_HTTP_METHOD_GET && verb != MHD_HTTP_METHOD_HEAD)
      refusal = Error(405, "only GET, HEAD and POST are answered");
    if (!refusal && post) refusal = BodyRefusal(connection);
    if (refusal) return Send(connection, std::move(*refusal));
    *state = new (std::nothrow) PendingRequest;
    return *state == nullptr ? MHD_NO : MHD_YES;
  }
  auto& pending = *static_cast<PendingRequest*>(*state);
  if (*uploadSize != 0) {
    // Content-Length was checked, so the body fits; a client that sends
    // more than it announced is cut off.
    if (pending.body.size() + *uploadSize > kMaxBody) return MHD_NO;
    pending.body.append(upload, *uploadSize);
    *uploadSize = 0;
    return MHD_YES;
  }
  return Send(connection, post ? Post(server, path, pending.body) : Get(server, connection, path));
}

void Forget(void*, MHD_Connection*, void** state, MHD_RequestTerminationCode) {
  delete static_cast<PendingRequest*>(*state);
  *state = nullptr;
}

// A listening socket on 127.0.0.1 at `port` (0: any free one, written back),
// or -1. SO_REUSEADDR lets a restart take the port back from connections
// still closing, without letting a second server share it.
int Listen(int* port) {
  const int socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (socket < 0) return -1;
  const int yes = 1;
  setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(*port));
  inet_pton(AF_INET, kAddress, &address.sin_addr);
  socklen_t size = sizeof address;
  if (bind(socket, reinterpret_cast<sockaddr*>(&address), size) != 0 || listen(socket, 128) != 0 ||
      getsockname(socket, reinterpret_cast<sockaddr*>(&address), &size) != 0) {
    close(socket);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return socket;
}

}  // namespace

int RunView(QuerySession& session, const std::string& scenePath, const ViewOptions& options,
            const Importing::GuardedImportOptions& import) {
  const std::string webRoot = WebRoot();
  if (webRoot.empty()) {
    const char* why = SCI_PAGE_MISSING[0] != '\0' ? SCI_PAGE_MISSING : "its files were removed after the install";
    std::fprintf(stderr, "sci: the inspector's page is not in %s: %s\n",
                 std::filesystem::path(ExecutableDir() + "/" SCI_WEB_FROM_BIN).lexically_normal().c_str(), why);
    return kExitServer;
  }
  std::string why;
  if ((mhd = LoadMicroHttpd(&why)) == nullptr) {
    std::fprintf(stderr, "sci: the server cannot start: %s\n", why.c_str());
    return kExitServer;
  }
  const std::string token = NewToken();
  int port = options.port;
  const int socket = Listen(&port);
  if (socket < 0) {
    std::fprintf(stderr, "sci: cannot listen on %s:%d (is the port taken?)\n", kAddress, options.port);
    return kExitServer;
  }
  ViewApi api(session, scenePath, options.textureRoots);
  Server server{api, webRoot, token, options.allowedHosts};

  // SIGINT and SIGTERM are blocked before the daemon's threads start, so
  // that they inherit it and this thread alone waits for them.
  sigset_t stops, previous;
  sigemptyset(&stops);
  sigaddset(&stops, SIGINT);
  sigaddset(&stops, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stops, &previous);
  MHD_Daemon* daemon = mhd->start_daemon(
      MHD_USE_EPOLL_INTERNAL_THREAD | MHD_USE_INTERNAL_POLLING_THREAD, 0, nullptr, nullptr, &Respond, &server,
      MHD_OPTION_LISTEN_SOCKET, socket, MHD_OPTION_THREAD_POOL_SIZE, kThreads, MHD_OPTION_CONNECTION_LIMIT,
      kMaxConnections, MHD_OPTION_CONNECTION_TIMEOUT, kIdleSeconds, MHD_OPTION_NOTIFY_COMPLETED, &Forget, nullptr,
      MHD_OPTION_END);
  if (daemon == nullptr) {
    pthread_sigmask(SIG_SETMASK, &previous, nullptr);
    close(socket);
    std::fprintf(stderr, "sci: cannot start the server on %s:%d\n", kAddress, port);
    return kExitServer;
  }
  // Saving the scene (or a file it reads) imports it again; the page asks
  // /api/changes and reloads. The watch starts before the address is printed,
  // so that a save made as soon as the server answers is seen.
  SceneWatcher watcher(scenePath, api.Companions(), [&api, &import, &scenePath] {
    std::fprintf(stderr, "sci: %s changed; reading it again\n", scenePath.c_str());
    api.Reload(import);
  });
  if (!watcher.Notified())
    std::fprintf(stderr, "sci: the folder of %s cannot be watched (inotify's limit reached?); its files are compared every half second\n",
                 scenePath.c_str());
  const std::string url = "http://" + std::string(kAddress) + ":" + std::to_string(port) + "/?token=" + token;
  std::printf("%s\n", url.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "sci: inspecting %s; Ctrl-C stops the server\n", scenePath.c_str());
  if (!options.noBrowser) OpenInBrowser(url);
  int signal = 0;
  sigwait(&stops, &signal);
  std::fputs("\nsci: stopping the server\n", stderr);
  mhd->stop_daemon(daemon);
  close(socket);
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return kExitOk;
}

}  // namespace sci
