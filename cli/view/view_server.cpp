#include "cli/view/view_server.h"

#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <thread>

#include <httplib.h>

#include "cli/exit_codes.h"
#include "cli/locations.h"
#include "cli/view/browser_launch.h"
#include "cli/view/page_files.h"
#include "cli/view/view_api.h"
#include "cli/view/view_security.h"

namespace sci {

namespace {

constexpr const char* kAddress = "127.0.0.1";

// The inspector's page, at the same place from the bin folder that holds
// sci in the build tree and in the install. Empty when it is not there.
std::string WebRoot() {
  const std::filesystem::path root =
      std::filesystem::path(ExecutableDir() + "/" SCI_WEB_FROM_BIN).lexically_normal();
  return FileExists((root / "index.html").string()) ? root.string() : std::string();
}

// Sends the reply as it is. httplib would compress text for a client that
// accepts it, with brotli at its slowest setting: seconds for three.js,
// far more than the loopback transfer saves. It leaves content of a known
// length from a provider alone.
void Send(httplib::Response& response, ApiReply reply) {
  response.status = reply.status;
  response.set_header("Cache-Control", "no-store");
  auto body = std::make_shared<std::string>(std::move(reply.body));
  response.set_content_provider(
      body->size(), reply.contentType,
      [body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        return sink.write(body->data() + offset, std::min(length, body->size() - offset));
      });
}

std::vector<std::string> QueryWords(const httplib::Request& request) {
  std::vector<std::string> words{request.get_param_value("name")};
  const std::string inputs = request.get_param_value("inputs");
  for (std::size_t start = 0; !inputs.empty() && start <= inputs.size();) {
    const std::size_t comma = std::min(inputs.find(',', start), inputs.size());
    words.push_back(inputs.substr(start, comma - start));
    start = comma + 1;
  }
  return words;
}

// Host and token checks before any route: a foreign Host is refused
// everywhere, a missing or wrong token on every API call.
void Guard(httplib::Server& server, const std::string& token, const std::vector<std::string>& allowedHosts) {
  server.set_pre_routing_handler([&token, &allowedHosts](const httplib::Request& request, httplib::Response& response) {
    using Outcome = httplib::Server::HandlerResponse;
    if (!IsOwnHost(request.get_header_value("Host"), allowedHosts)) {
      Send(response, {403, "application/json",
                      "{\"error\":\"this server answers only to localhost, 127.0.0.1, [::1] and names given with "
                      "--allow-host\"}"});
      return Outcome::Handled;
    }
    const bool api = request.path.rfind("/api/", 0) == 0;
    if (api && !CarriesToken(request.get_param_value("token"), request.get_header_value("Authorization"), token)) {
      Send(response, {401, "application/json", "{\"error\":\"missing or wrong access token\"}"});
      return Outcome::Handled;
    }
    return Outcome::Unhandled;
  });
}

void Route(httplib::Server& server, ViewApi& api, const std::string& webRoot) {
  using Request = httplib::Request;
  using Response = httplib::Response;
  server.Get("/api/summary", [&api](const Request&, Response& response) { Send(response, api.Summary()); });
  server.Get("/api/tree", [&api](const Request&, Response& response) { Send(response, api.Tree()); });
  server.Get("/api/queries", [&api](const Request&, Response& response) { Send(response, api.Queries()); });
  server.Get("/api/query", [&api](const Request& request, Response& response) {
    Send(response, api.Query(QueryWords(request)));
  });
  server.Post("/api/query", [&api](const Request& request, Response& response) {
    Send(response, api.QueryJson(request.body));
  });
  server.Post("/api/batch", [&api](const Request& request, Response& response) {
    Send(response, api.Batch(request.body));
  });
  server.Get(R"(/api/geometry/([^/]+))", [&api](const Request& request, Response& response) {
    Send(response, api.Geometry(request.matches[1].str()));
  });
  server.Get("/api/textures", [&api](const Request&, Response& response) { Send(response, api.Textures()); });
  server.Get("/api/geometries", [&api](const Request& request, Response& response) {
    Send(response, api.Geometries(request.get_param_value("first"), request.get_param_value("count")));
  });
  server.Get(R"(/api/texture/([^/]+))", [&api](const Request& request, Response& response) {
    Send(response, api.Texture(request.matches[1].str()));
  });
  server.Get(R"(/(.*))", [&webRoot](const Request& request, Response& response) {
    ApiReply reply{200, "", {}};
    const char* type = ReadPageFile(webRoot, request.matches[1].str(), &reply.body);
    if (type == nullptr) reply = {404, "application/json", "{\"error\":\"no such page file or API call\"}"};
    else reply.contentType = type;
    Send(response, std::move(reply));
  });
  // Errors httplib finds itself (no route, a bad request) get a JSON body too.
  server.set_error_handler([](const Request&, Response& response) {
    if (!response.has_header("Content-Type"))
      response.set_content("{\"error\":\"" + std::to_string(response.status) + "\"}", "application/json");
  });
  server.set_exception_handler([](const Request&, Response& response, std::exception_ptr) {
    Send(response, {500, "application/json", "{\"error\":\"internal error\"}"});
  });
  server.set_default_headers({{"X-Content-Type-Options", "nosniff"}, {"Referrer-Policy", "no-referrer"}});
}

// Waits for SIGINT or SIGTERM, which every thread of the server blocks, and
// stops the server when one comes.
class StopOnSignal {
 public:
  explicit StopOnSignal(httplib::Server& server) {
    sigemptyset(&signals_);
    sigaddset(&signals_, SIGINT);
    sigaddset(&signals_, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals_, &previous_);
    waiter_ = std::thread([this, &server] {
      int signal = 0;
      sigwait(&signals_, &signal);
      if (!done_) std::fputs("\nsci: stopping the server\n", stderr);
      server.stop();
    });
  }
  ~StopOnSignal() {
    done_ = true;
    pthread_kill(waiter_.native_handle(), SIGTERM);
    waiter_.join();
    pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
  }

 private:
  sigset_t signals_, previous_;
  std::atomic<bool> done_{false};
  std::thread waiter_;
};

}  // namespace

int RunView(QuerySession& session, const std::string& scenePath, const ViewOptions& options) {
  const std::string webRoot = WebRoot();
  if (webRoot.empty()) {
    std::fprintf(stderr, "sci: the inspector's page is not installed in %s/%s (sci was built without npm)\n",
                 ExecutableDir().c_str(), SCI_WEB_FROM_BIN);
    return kExitServer;
  }
  const std::string token = NewToken();
  int port = options.port;
  httplib::Server server;
  // Without it a reply's header and body wait on each other's acknowledgement.
  server.set_tcp_nodelay(true);
  // httplib's default, SO_REUSEPORT, would let a second server share the
  // port and take half the connections; SO_REUSEADDR only lets a restart
  // take the port back from connections still closing.
  server.set_socket_options([](socket_t socket) {
    const int yes = 1;
    setsockopt(socket, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
  });
  Guard(server, token, options.allowedHosts);
  ViewApi api(session, scenePath);
  Route(server, api, webRoot);

  const bool bound = port == 0 ? (port = server.bind_to_any_port(kAddress)) > 0 : server.bind_to_port(kAddress, port);
  if (!bound) {
    std::fprintf(stderr, "sci: cannot listen on %s:%d (is the port taken?)\n", kAddress, options.port);
    return kExitServer;
  }
  const std::string url = "http://" + std::string(kAddress) + ":" + std::to_string(port) + "/?token=" + token;
  std::printf("%s\n", url.c_str());
  std::fflush(stdout);
  std::fprintf(stderr, "sci: inspecting %s; Ctrl-C stops the server\n", scenePath.c_str());
  // Signals are blocked first, so that every thread started from here on
  // leaves them to the one that stops the server.
  StopOnSignal stop(server);
  if (!options.noBrowser) OpenInBrowser(url);
  return server.listen_after_bind() ? kExitOk : kExitServer;
}

}  // namespace sci
