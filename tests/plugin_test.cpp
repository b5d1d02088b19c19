#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <set>
#include <string>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "host/plugin_loader.h"
#include "module/entry_points.h"

using namespace Importing;

namespace {

constexpr Guid kTypeId = Guid::Parse("691097CA-7049-4CD5-87C2-EACC97B80BBE");

// The names of the dynamic symbols the plug-in defines, demangled.
std::set<std::string> ExportedSymbols() {
  const std::string command = std::string("nm -D --defined-only --demangle '") + SCI_PLUGIN_PATH + "'";
  std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
  std::set<std::string> names;
  char line[4096];
  while (pipe && std::fgets(line, sizeof line, pipe.get())) {
    std::string text(line);
    text.erase(text.find_last_not_of("\r\n") + 1);
    const std::size_t nameAt = text.find(' ', text.find(' ') + 1);  // after address and kind
    if (nameAt != std::string::npos) names.insert(text.substr(nameAt + 1));
  }
  return names;
}

}  // namespace

TEST(Plugin, ExportsTheTwoEntryPointsUnmangledAndTheClassOnly) {
  const std::set<std::string> symbols = ExportedSymbols();
  ASSERT_FALSE(symbols.empty()) << "nm could not read " << SCI_PLUGIN_PATH;
  EXPECT_EQ(symbols.count("InitDLL"), 1u);
  EXPECT_EQ(symbols.count("GetType"), 1u);
  for (const std::string& symbol : symbols) {
    if (symbol == "InitDLL" || symbol == "GetType") continue;
    EXPECT_NE(symbol.find("Importing::SceneContainerInfo"), std::string::npos) << "leaked symbol: " << symbol;
  }
  EXPECT_EQ(symbols.count("Importing::SceneContainerInfo::GetCameraFazZ(Importing::SceneContainer const&)"), 1u);
  EXPECT_EQ(symbols.count("vtable for Importing::SceneContainerInfo"), 1u);
}

TEST(Plugin, GetTypeRewritesTheSameRecordOnEveryCall) {
  std::string error;
  auto plugin = PluginLibrary::Open(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(plugin, nullptr) << error;
  ChannelType* first = GetType();
  std::memset(first->name, 0x5A, sizeof first->name);  // a caller scribbles over the record
  first->typeFlag = 7;
  first->typeOption = 9;
  first->secondTypeId = Guid{};
  ChannelType* second = GetType();
  EXPECT_EQ(first, second);
  EXPECT_STREQ(second->name, "SceneContainerInfo");
  for (std::size_t i = std::strlen("SceneContainerInfo"); i < sizeof second->name; ++i)
    EXPECT_EQ(second->name[i], '\0') << i;
  EXPECT_EQ(second->typeId, kTypeId);
  EXPECT_EQ(second->secondTypeId, kTypeId);
  EXPECT_EQ(second->typeFlag, 1);
  EXPECT_EQ(second->typeOption, 0);
  const std::uint8_t bytes[16] = {0xCA, 0x97, 0x10, 0x69, 0x49, 0x70, 0xD5, 0x4C,
                                  0x87, 0xC2, 0xEA, 0xCC, 0x97, 0xB8, 0x0B, 0xBE};
  EXPECT_EQ(std::memcmp(second->typeId.bytes.data(), bytes, 16), 0);
  EXPECT_EQ(plugin->Type().typeId, kTypeId);
}

TEST(Plugin, ChannelsComeFromInitDllThroughTheLoader) {
  Host host;
  std::string error;
  const ChannelType* type = host.LoadPlugin(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(type, nullptr) << error;
  Orv_Channel* a = host.CreateChannel(type->typeId);
  Orv_Channel* b = host.CreateChannel(type->typeId);
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(a, b);
  auto* channel = dynamic_cast<SceneContainerInfo*>(a);
  ASSERT_NE(channel, nullptr);
  EXPECT_EQ(channel->GetChannelName(), "SceneContainerInfo");
  EXPECT_EQ(channel->GetInfoType(), SCI_SCENE_HIERARCHY);
  EXPECT_EQ(channel->ChildSlots().size(), 2u);
  EXPECT_EQ(channel->GetChannelType().typeId, kTypeId);
  EXPECT_FALSE(host.LoadPlugin(SCI_PLUGIN_PATH, &error));
  EXPECT_NE(error.find("already registered"), std::string::npos) << error;
}

TEST(Plugin, LoaderErrorsNameThePathAndWhatIsMissing) {
  struct Case {
    std::string path;
    std::string expected;
  };
  const std::string hostLibrary = SCI_HOST_LIBRARY;
  for (const Case& c : {Case{"/nonexistent/libnothing.so", "libnothing.so"},
                        Case{hostLibrary, "does not export \"GetType\""}}) {
    std::string error;
    EXPECT_EQ(PluginLibrary::Open(c.path, &error), nullptr);
    EXPECT_NE(error.find(c.path), std::string::npos) << error;
    EXPECT_NE(error.find(c.expected), std::string::npos) << error;
  }
}
