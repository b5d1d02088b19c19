// Runs `sci --view` on the demo scene as a process and talks to its API
// over HTTP, without a browser: the security checks, errors, and the
// answers in JSON and binary against the scene as the importer reads it.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>
#include <stb_image.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include "scene/import/scene_importer.h"
#include "sci_run.h"

namespace {

// sci --view serving one scene while it lives.
class ServedScene {
 public:
  explicit ServedScene(const std::string& scene, std::vector<std::string> extra = {}) {
    std::vector<std::string> words{SCI_EXECUTABLE, "--view", "--no-browser", "--port", "0"};
    words.insert(words.end(), extra.begin(), extra.end());
    words.push_back(scene);
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    int out[2];
    if (pipe(out) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      execv(SCI_EXECUTABLE, argv.data());
      _exit(127);
    }
    close(out[1]);
    std::string line;
    for (char c; read(out[0], &c, 1) == 1 && c != '\n';) line += c;
    close(out[0]);
    const auto colon = line.rfind(':'), slash = line.find('/', colon), equals = line.find('=');
    if (colon == std::string::npos || slash == std::string::npos || equals == std::string::npos) return;
    port = std::stoi(line.substr(colon + 1, slash - colon - 1));
    token = line.substr(equals + 1);
  }
  // Stops the server as Ctrl-C does; true when it then exited with 0.
  bool Stop() {
    if (pid_ <= 0) return false;
    kill(pid_, SIGINT);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
  }
  ~ServedScene() { Stop(); }

  // A GET with the token as a bearer.
  httplib::Result Get(const std::string& path) const {
    httplib::Client client("127.0.0.1", port);
    return client.Get(path, {{"Authorization", "Bearer " + token}});
  }
  // The texture list, empty when it is not served.
  nlohmann::json Textures() const {
    const auto list = Get("/api/textures");
    EXPECT_TRUE(list && list->status == 200);
    return list ? nlohmann::json::parse(list->body, nullptr, false) : nlohmann::json::array();
  }

  int port = 0;  // 0 when it did not start
  std::string token;

 private:
  pid_t pid_ = -1;
};

// The demo scene, served for the whole test suite.
class DemoServer : public testing::Environment {
 public:
  void SetUp() override {
    served = std::make_unique<ServedScene>(SCI_DEMO_SCENE);
    ASSERT_NE(served->port, 0) << "sci --view did not print its address";
  }
  void TearDown() override { EXPECT_TRUE(served->Stop()) << "Ctrl-C did not stop sci --view cleanly"; }
  std::unique_ptr<ServedScene> served;
};

DemoServer* demo = static_cast<DemoServer*>(testing::AddGlobalTestEnvironment(new DemoServer));
ServedScene& Demo() { return *demo->served; }

httplib::Result Get(const std::string& path, httplib::Headers headers = {}) {
  httplib::Client client("127.0.0.1", Demo().port);
  return client.Get(path, headers);
}

std::string WithToken(const std::string& path) {
  return path + (path.find('?') == std::string::npos ? "?" : "&") + "token=" + Demo().token;
}

const Importing::SceneContainer& DemoScene() {
  static Importing::SceneContainer scene;
  static const bool loaded = [] {
    std::string error;
    return Importing::ImportScene(SCI_DEMO_SCENE, scene, &error);
  }();
  EXPECT_TRUE(loaded);
  return scene;
}

// What `sci --json` prints for `query` on the demo scene.
std::string SciJson(const std::vector<std::string>& query) {
  std::vector<std::string> args{"--json", SCI_DEMO_SCENE};
  args.insert(args.end(), query.begin(), query.end());
  return sci_test::RunSci(args).out;
}

TEST(ViewApi, RefusesWhatItShould) {
  const std::string host = "127.0.0.1:" + std::to_string(Demo().port);
  struct Case {
    const char* what;
    std::string path;
    httplib::Headers headers;
    int status;
    const char* error;  // a part of the {"error"} text
  };
  const std::vector<Case> cases = {
      {"no token", "/api/summary", {}, 401, "token"},
      {"wrong token", "/api/summary?token=0123", {}, 401, "token"},
      {"wrong bearer", "/api/summary", {{"Authorization", "Bearer " + std::string(32, '0')}}, 401, "token"},
      {"foreign Host", WithToken("/api/summary"), {{"Host", "attacker.example:" + std::to_string(Demo().port)}}, 403,
       "127.0.0.1"},
      {"foreign Host for the page", "/", {{"Host", "attacker.example"}}, 403, "127.0.0.1"},
      {"unknown query", WithToken("/api/query?name=node-chlid&inputs=0,0"), {}, 400, "unknown query 'node-chlid'"},
      {"too few inputs", WithToken("/api/query?name=node-child&inputs=0"), {}, 400, "takes 2 inputs"},
      {"input not a number", WithToken("/api/query?name=geometry-vertex-count&inputs=x"), {}, 400, "must be a number"},
      {"no node of that name", WithToken("/api/query?name=node-name&inputs=Nobody"), {}, 400, "no node named 'Nobody'"},
      {"texture ID out of range", WithToken("/api/texture/3"), {}, 404, "Texture id out of range."},
      {"texture ID not a number", WithToken("/api/texture/readme.txt"), {}, 400, "must be a number"},
      {"texture by path", WithToken("/api/texture/..%2f..%2fetc%2fpasswd"), {}, 404, "no such"},
      {"geometry ID out of range", WithToken("/api/geometry/-1"), {}, 404, "Geometry id out of range."},
      {"geometries past the last", WithToken("/api/geometries?first=4&count=2"), {}, 404, "Geometry id out of range."},
      {"geometries past INT_MAX", WithToken("/api/geometries?first=2147483647&count=2"), {}, 404, "Geometry id out of range."},
      {"no geometries", WithToken("/api/geometries?first=0&count=0"), {}, 400, "a count of 1 to"},
      {"unknown API path", WithToken("/api/nothing"), {}, 404, "no such"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const auto result = Get(c.path, c.headers);
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, c.status);
    const auto body = nlohmann::json::parse(result->body, nullptr, false);
    ASSERT_TRUE(body.contains("error")) << result->body;
    EXPECT_NE(body["error"].get<std::string>().find(c.error), std::string::npos) << result->body;
  }
  for (const char* outside : {"/../../../../etc/passwd", "/js/../../../CMakeCache.txt", "/js/%2e%2e/%2e%2e/x.js",
                              "/.hidden.js", "/js//main.js"}) {
    const auto result = Get(outside, {{"Host", host}});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 404) << outside << " was served";
  }
  const auto page = Get("/js/main.js", {{"Host", host}, {"Accept-Encoding", "gzip, br"}});
  ASSERT_TRUE(page);
  EXPECT_EQ(page->status, 200);
  EXPECT_EQ(page->get_header_value("Content-Type"), "text/javascript; charset=utf-8");
  EXPECT_EQ(page->get_header_value("Content-Encoding"), "") << "the page is sent as it is";
}

// Loopback names pass on any port (an SSH tunnel forwards another one),
// names given with --allow-host too; any other name is refused, and the
// token is still needed whatever the Host.
TEST(ViewApi, HostRuleLetsTunnelsThrough) {
  ServedScene scene(SCI_DEMO_SCENE, {"--allow-host", "Box.LAN"});
  ASSERT_NE(scene.port, 0);
  httplib::Client client("127.0.0.1", scene.port);
  const std::string withToken = "/api/summary?token=" + scene.token;
  struct Case {
    const char* host;
    bool token;
    int status;
  };
  const std::vector<Case> cases = {
      {"localhost:9000", true, 200},
      {"127.0.0.1:1", true, 200},
      {"[::1]:9000", true, 200},
      {"LocalHost", true, 200},
      {"box.lan:8080", true, 200},
      {"box.lan", false, 401},
      {"localhost:9000", false, 401},
      {"evil.example", true, 403},
      {"evil.example:9000", true, 403},
      {"localhost.evil.example:9000", true, 403},
      {"localhost:9000x", true, 403},
      {"localhost:", true, 403},
      {"[::1]x:9000", true, 403},
      {"127.0.0.2:9000", true, 403},
      {"box.lan.example", true, 403},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.host);
    const auto result = client.Get(c.token ? withToken : "/api/summary", {{"Host", c.host}});
    ASSERT_TRUE(result) << httplib::to_string(result.error());
    EXPECT_EQ(result->status, c.status) << result->body;
  }
}

TEST(ViewApi, ATakenPortIsRefused) {
  const auto run =
      sci_test::RunSci({"--view", "--no-browser", "--port", std::to_string(Demo().port), SCI_DEMO_SCENE});
  EXPECT_EQ(run.exitCode, 5) << run.err;
  EXPECT_NE(run.err.find("cannot listen on 127.0.0.1:" + std::to_string(Demo().port)), std::string::npos) << run.err;
}

// A connection to the demo server that gives up reading after two seconds.
class RawConnection {
 public:
  RawConnection() : socket_(::socket(AF_INET, SOCK_STREAM, 0)) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(Demo().port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    const timeval limit{2, 0};
    setsockopt(socket_, SOL_SOCKET, SO_RCVTIMEO, &limit, sizeof limit);
    connected_ = connect(socket_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~RawConnection() { close(socket_); }
  bool Send(const std::string& text) { return connected_ && write(socket_, text.data(), text.size()) == ssize_t(text.size()); }
  // The reply's status line, or empty when none came in time.
  std::string StatusLine() {
    std::string reply;
    char buffer[512];
    for (ssize_t n; reply.find("\r\n") == std::string::npos && (n = read(socket_, buffer, sizeof buffer)) > 0;)
      reply.append(buffer, std::size_t(n));
    return reply.substr(0, reply.find("\r\n"));
  }

 private:
  int socket_;
  bool connected_ = false;
};

// Fifty clients that send their headers a line every 100 ms take no worker
// from the others; bodies too large by their length, or sent in chunks, are
// refused from the headers alone (the body below is never sent).
TEST(ViewApi, SlowAndGreedyClientsDoNotStopIt) {
  std::vector<std::unique_ptr<RawConnection>> slow;
  for (int i = 0; i < 50; ++i) {
    slow.push_back(std::make_unique<RawConnection>());
    ASSERT_TRUE(slow.back()->Send("GET /api/summary HTTP/1.1\r\n"));
  }
  std::thread drip([&slow] {
    for (int line = 0; line < 20; ++line) {
      std::this_thread::sleep_for(std::chrono::milliseconds(100));
      for (auto& connection : slow) connection->Send("X-Slow-" + std::to_string(line) + ": 1\r\n");
    }
  });
  httplib::Client client("127.0.0.1", Demo().port);
  client.set_read_timeout(1, 0);
  client.set_connection_timeout(1, 0);
  for (int i = 0; i < 10; ++i) {
    const auto result = client.Get(WithToken("/api/summary"));
    ASSERT_TRUE(result) << "request " << i << " beside the slow clients: " << httplib::to_string(result.error());
    EXPECT_EQ(result->status, 200);
  }
  drip.join();

  const std::string headers = "POST /api/batch HTTP/1.1\r\nHost: 127.0.0.1\r\nAuthorization: Bearer " +
                              Demo().token + "\r\nContent-Type: application/json\r\n";
  struct Case {
    const char* what;
    std::string request;
    const char* status;
  };
  const std::vector<Case> cases = {
      {"100 MB by its length", headers + "Content-Length: 104857600\r\n\r\n[", "413"},
      {"chunked", headers + "Transfer-Encoding: chunked\r\n\r\n100000\r\n[", "411"},
      {"no token, large", "POST /api/batch HTTP/1.1\r\nHost: 127.0.0.1\r\nContent-Length: 104857600\r\n\r\n", "401"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    RawConnection connection;
    ASSERT_TRUE(connection.Send(c.request));
    const std::string status = connection.StatusLine();
    EXPECT_EQ(status.substr(0, 12), std::string("HTTP/1.1 ") + c.status) << status;
  }
}

TEST(ViewApi, AnswersAsSciJsonDoes) {
  const auto byParameter = Get(WithToken("/api/query?name=node-child&inputs=0,1"));
  ASSERT_TRUE(byParameter);
  EXPECT_EQ(byParameter->status, 200);
  EXPECT_EQ(byParameter->body + "\n", SciJson({"node-child", "0", "1"}));
  const auto byName = Get(WithToken("/api/query?name=node-global-tm&inputs=Cup"));
  ASSERT_TRUE(byName);
  EXPECT_EQ(byName->body + "\n", SciJson({"node-global-tm", "Cup"}));

  // A name with a comma, and a bad ID that the channel reports, in one batch.
  httplib::Client client("127.0.0.1", Demo().port);
  const auto batch = client.Post(WithToken("/api/batch"),
                                 R"([{"name":"node-id","inputs":["Table,Cup"]},{"name":"node-name","inputs":[99]},)"
                                 R"({"name":"nope"},{"inputs":[]}])",
                                 "application/json");
  ASSERT_TRUE(batch);
  const auto answers = nlohmann::json::parse(batch->body);
  ASSERT_EQ(answers.size(), 4u);
  EXPECT_EQ(answers[0]["inputs"]["Node name"], "Table,Cup");
  EXPECT_EQ(answers[0]["outputs"]["OUT: Node ID"], -1);
  EXPECT_EQ(answers[1]["messages"], nlohmann::json::array({"Object id out of range."}));
  EXPECT_TRUE(answers[2].contains("error"));
  EXPECT_TRUE(answers[3].contains("error"));
}

TEST(ViewApi, GeometryArrivesExactlyInBinary) {
  const auto& geometries = DemoScene().Geometries();
  ASSERT_FALSE(geometries.empty());
  std::string one_by_one;
  for (std::size_t id = 0; id < geometries.size(); ++id) {
    SCOPED_TRACE("geometry " + std::to_string(id));
    const auto result = Demo().Get("/api/geometry/" + std::to_string(id));
    ASSERT_TRUE(result && result->status == 200);
    const std::string& bytes = result->body;
    std::uint32_t header[7];
    ASSERT_GE(bytes.size(), sizeof header);
    std::memcpy(header, bytes.data(), sizeof header);
    const auto& vertices = geometries[id].Vertices;
    const auto& indices = geometries[id].Indices;
    const std::size_t uvSets = vertices.empty() ? 0 : vertices[0].GetUVSetCount();
    EXPECT_EQ(std::string(bytes, 0, 4), "SCIG");
    EXPECT_EQ(header[1], 1u);
    EXPECT_EQ(header[3], vertices.size());
    EXPECT_EQ(header[4], uvSets);
    EXPECT_EQ(header[5], indices.size());
    ASSERT_EQ(bytes.size(), sizeof header + 4 * (vertices.size() * (6 + 2 * uvSets) + indices.size()));
    std::vector<float> floats(vertices.size() * (6 + 2 * uvSets));
    std::memcpy(floats.data(), bytes.data() + sizeof header, floats.size() * 4);
    const std::size_t n = vertices.size();
    for (std::size_t v = 0; v < n; ++v) {
      const D3DXVECTOR3 p = vertices[v].GetPosition(), normal = vertices[v].GetNormal();
      EXPECT_EQ(std::vector<float>(floats.begin() + 3 * v, floats.begin() + 3 * v + 3), (std::vector<float>{p.x, p.y, p.z}));
      EXPECT_EQ(floats[3 * n + 3 * v + 2], normal.z);
      for (std::size_t set = 0; set < uvSets; ++set) {
        EXPECT_EQ(floats[(6 + 2 * set) * n + 2 * v], vertices[v].GetUV(set).x);
        EXPECT_EQ(floats[(6 + 2 * set) * n + 2 * v + 1], vertices[v].GetUV(set).y);
      }
    }
    std::vector<std::uint32_t> sent(indices.size());
    std::memcpy(sent.data(), bytes.data() + sizeof header + floats.size() * 4, sent.size() * 4);
    EXPECT_EQ(sent, indices);
    one_by_one += bytes;
  }
  const auto all = Demo().Get("/api/geometries?first=0&count=" + std::to_string(geometries.size()));
  ASSERT_TRUE(all && all->status == 200);
  EXPECT_TRUE(all->body == one_by_one) << "a range of geometries is not the geometries one after the other";
}

TEST(ViewApi, TexturesAreTheFilesBesideTheScene) {
  const auto textures = Demo().Textures();
  ASSERT_EQ(textures.size(), DemoScene().TexturePaths().size());
  for (const auto& texture : textures) {
    const std::string path = texture["path"];
    SCOPED_TRACE(path);
    EXPECT_EQ(texture["type"], "image/png");
    const auto image = Demo().Get("/api/texture/" + std::to_string(texture["id"].get<int>()));
    ASSERT_TRUE(image && image->status == 200);
    EXPECT_EQ(image->get_header_value("Content-Type"), "image/png");
    EXPECT_TRUE(image->body == sci_test::ReadFile(sci_test::fs::path(SCI_DEMO_SCENE).parent_path() / path));
  }
}

// The pixels of an image as RGBA, with its size; empty when it is no image.
std::string Rgba(const std::string& bytes, int* width, int* height) {
  int channels = 0;
  stbi_uc* pixels =
      stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(bytes.data()), int(bytes.size()), width, height, &channels, 4);
  std::string rgba = pixels ? std::string(reinterpret_cast<char*>(pixels), std::size_t(*width) * *height * 4) : "";
  stbi_image_free(pixels);
  return rgba;
}

// Every texture of every sample scene (images embedded in glTF and FBX files
// among them) is either served with the image type its list gives, its bytes
// of that type, or listed with the reason it is not (the panel shows it). The
// Collada duck's texture is a TGA, which browsers do not draw: it arrives as
// a PNG that holds the TGA's own pixels.
TEST(ViewApi, EverySampleTextureIsServedOrExplained) {
  if (access(SCI_SAMPLE_SCENES_DIR, R_OK) != 0) GTEST_SKIP() << "sample scenes absent: " << SCI_SAMPLE_SCENES_DIR;
  int served = 0;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(SCI_SAMPLE_SCENES_DIR)) {
    const std::string path = entry.path().string(), ext = entry.path().extension().string();
    if (!entry.is_regular_file() || path.find("/fails-") != std::string::npos ||
        std::string(".gltf.glb.dae.fbx.FBX.obj.3ds.x").find(ext.empty() ? "-" : ext) == std::string::npos)
      continue;
    SCOPED_TRACE(path);
    ServedScene scene(path);
    ASSERT_NE(scene.port, 0);
    const auto textures = scene.Textures();
    // The images these two files carry inside them, and the duck's, are always served as PNG.
    const bool duck = path.find("/dae-duck/duck.dae") != std::string::npos;
    const bool png = duck || path.find("BoxTextured.glb") != std::string::npos || path.find("box.FBX") != std::string::npos;
    EXPECT_TRUE(!png || !textures.empty());
    for (const auto& texture : textures) {
      SCOPED_TRACE(texture.dump());
      EXPECT_TRUE(!png || texture["type"] == "image/png");
      const auto image = scene.Get("/api/texture/" + std::to_string(texture["id"].get<int>()));
      ASSERT_TRUE(image);
      if (texture["type"].is_null()) {
        EXPECT_FALSE(texture["missing"].get<std::string>().empty());
        EXPECT_NE(image->status, 200);
      } else {
        EXPECT_EQ(image->status, 200);
        EXPECT_EQ(image->get_header_value("Content-Type"), texture["type"].get<std::string>());
        EXPECT_TRUE(texture["type"] != "image/png" || image->body.rfind("\x89PNG", 0) == 0);
        ++served;
      }
    }
    if (duck) {
      ASSERT_EQ(textures.size(), 1u);
      int tgaWidth = 0, tgaHeight = 0, pngWidth = 0, pngHeight = 0;
      const std::string tga = Rgba(sci_test::ReadFile(entry.path().parent_path() / "duckCM.tga"), &tgaWidth, &tgaHeight);
      const std::string png = Rgba(scene.Get("/api/texture/0")->body, &pngWidth, &pngHeight);
      ASSERT_FALSE(tga.empty());
      EXPECT_EQ(pngWidth, tgaWidth);
      EXPECT_EQ(pngHeight, tgaHeight);
      EXPECT_TRUE(png == tga) << "the PNG's pixels differ from the TGA's";
    }
  }
  EXPECT_GT(served, 3) << "the samples' textures were barely found";
}

// Saving the scene (by rename, as editors do) imports it again; a save that
// no longer reads keeps the last good scene and says why.
TEST(ViewApi, ASavedSceneIsReadAgain) {
  const std::filesystem::path dir = std::filesystem::path(testing::TempDir()) / ("reload_" + std::to_string(getpid()));
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir);
  std::ifstream demo(SCI_DEMO_SCENE);
  auto gltf = nlohmann::json::parse(demo);
  const std::string scenePath = (dir / "scene.gltf").string();
  const auto save = [&](const std::string& text) {
    std::ofstream(scenePath + ".tmp") << text;
    std::filesystem::rename(scenePath + ".tmp", scenePath);
  };
  save(gltf.dump());
  ServedScene scene(scenePath, {"--no-cache"});
  ASSERT_NE(scene.port, 0);
  const auto changes = [&] { return nlohmann::json::parse(scene.Get("/api/changes")->body); };
  const auto waitFor = [&](auto done) {
    for (int tries = 0; tries < 100 && !done(changes()); ++tries) std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return changes();
  };
  const auto nodeName = [&] {
    return nlohmann::json::parse(scene.Get("/api/query?name=node-name&inputs=1")->body)["outputs"]["OUT: Node name"];
  };
  ASSERT_EQ(changes()["generation"], 0);
  const std::string before = nodeName();
  gltf["nodes"][1]["name"] = "Renamed";
  save(gltf.dump());
  auto state = waitFor([](const nlohmann::json& c) { return c["generation"] == 1; });
  ASSERT_EQ(state["generation"], 1) << state;
  EXPECT_TRUE(state["error"].is_null());
  EXPECT_EQ(nodeName(), "Renamed");
  EXPECT_NE(before, "Renamed");
  save("not a scene");
  state = waitFor([](const nlohmann::json& c) { return !c["error"].is_null(); });
  ASSERT_FALSE(state["error"].is_null()) << state;
  EXPECT_NE(state["error"].get<std::string>().find("scene.gltf"), std::string::npos) << state;
  EXPECT_EQ(state["generation"], 1);
  EXPECT_EQ(nodeName(), "Renamed") << "the last good scene is kept";
  EXPECT_TRUE(scene.Stop());
  std::filesystem::remove_all(dir);
}

}  // namespace
