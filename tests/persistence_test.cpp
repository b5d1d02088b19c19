#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include <sys/stat.h>
#include <unistd.h>

#include "channel/scene_container_info.h"
#include "host/host.h"
#include "host/orv_file.h"
#include "host/project_file.h"

using namespace Importing;

namespace {

std::string U64(std::uint64_t value) {
  std::string bytes;
  for (int i = 0; i < 8; ++i) bytes.push_back(static_cast<char>(value >> (8 * i)));
  return bytes;
}

std::string Entry(const std::string& tag, const std::string& block) {
  return std::string(1, static_cast<char>(tag.size())) + tag + U64(block.size()) + block;
}

// A project file in the test's temporary directory, removed afterwards.
struct TempFile {
  std::string path;
  explicit TempFile(const std::string& name)
      : path((std::filesystem::temp_directory_path() / ("sci_" + name + std::to_string(::getpid()))).string()) {}
  ~TempFile() { std::remove(path.c_str()); }
};

}  // namespace

TEST(Persistence, TheTwoTagsFollowTheBaseDataByteForByte) {
  SceneContainerInfo channel;
  channel.SetUpdateChannelName(true);
  channel.SetInfoType(SCI_NODE_SURFACE_COUNT);
  const std::string expected = Entry("ORVNAME", "SceneContainerInfo") + Entry("SCIUCN", std::string(1, '\1')) +
                               Entry("SCIIP", std::string("\x0c\0\0\0", 4));
  OrvFileSaver saver;
  ASSERT_TRUE(channel.SaveChannel(saver));
  EXPECT_EQ(saver.Bytes(), expected);
}

TEST(Persistence, MissingOrMisshapenTagsKeepTheFieldsAndTheLayout) {
  for (const std::string& settings :
       {Entry("ORVNAME", "x"), Entry("SCIUCN", "\1\1") + Entry("SCIIP", "\x0c\0"), std::string()}) {
    SceneContainerInfo channel;
    HostContext context;
    int declarations = 0;
    context.ChildDeclarationObserver = [&](const Orv_Channel&, int, const ChildCreation*) { ++declarations; };
    channel.SetHostContext(&context);
    OrvFileLoader loader;
    std::string error;
    ASSERT_TRUE(loader.Parse(settings, &error)) << error;
    EXPECT_TRUE(channel.LoadChannel(loader, nullptr));
    EXPECT_EQ(channel.GetInfoType(), SCI_SCENE_HIERARCHY);
    EXPECT_FALSE(channel.GetUpdateChannelName());
    EXPECT_EQ(declarations, 0);
  }
}

TEST(Persistence, AFailingBaseStopsTheChannel) {
  SceneContainerInfo channel;
  OrvFileSaver saver;
  saver.SaveTag("");  // leaves the saver malformed, so the base reports failure
  const std::string before = saver.Bytes();
  EXPECT_FALSE(channel.SaveChannel(saver));
  EXPECT_EQ(saver.Bytes(), before);
}

TEST(Persistence, EveryInfoTypeAndFlagSurvivesARoundTripThroughAFile) {
  Host host;
  std::string error;
  const ChannelType* type = host.LoadPlugin(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(type, nullptr) << error;
  std::vector<Orv_Channel*> channels;
  for (std::int32_t value = -1; value <= kInfoTypeCount; ++value)
    for (const bool flag : {false, true}) {
      auto* channel = dynamic_cast<SceneContainerInfo*>(host.CreateChannel(type->typeId));
      ASSERT_NE(channel, nullptr);
      channel->SetInfoType(static_cast<SCI_INFO_TYPE>(value));
      channel->SetUpdateChannelName(flag);
      channels.push_back(channel);
    }
  TempFile file("roundtrip");
  ASSERT_TRUE(host.SaveProject(file.path, channels, &error)) << error;

  Host other;
  ASSERT_NE(other.LoadPlugin(SCI_PLUGIN_PATH, &error), nullptr) << error;
  std::vector<Orv_Channel*> loaded;
  ASSERT_TRUE(other.LoadProject(file.path, &loaded, &error)) << error;
  ASSERT_EQ(loaded.size(), channels.size());
  for (std::size_t i = 0; i < loaded.size(); ++i) {
    auto* original = static_cast<SceneContainerInfo*>(channels[i]);
    auto* copy = dynamic_cast<SceneContainerInfo*>(loaded[i]);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->GetInfoType(), original->GetInfoType());
    EXPECT_EQ(copy->GetUpdateChannelName(), original->GetUpdateChannelName());
    EXPECT_EQ(copy->ChildSlots().size(), original->ChildSlots().size());
  }
}

TEST(Persistence, DamagedProjectFilesAreRejectedWithoutCreatingChannels) {
  Host host;
  std::string error;
  const ChannelType* type = host.LoadPlugin(SCI_PLUGIN_PATH, &error);
  ASSERT_NE(type, nullptr) << error;
  auto* channel = dynamic_cast<SceneContainerInfo*>(host.CreateChannel(type->typeId));
  channel->SetInfoType(SCI_NODE_CHILD);
  TempFile file("damaged");
  ASSERT_TRUE(host.SaveProject(file.path, {channel, channel}, &error)) << error;
  std::string bytes;
  ASSERT_TRUE(project_file::ReadWholeFile(file.path, &bytes, &error));

  std::vector<std::string> damaged;
  for (std::size_t length = 0; length < bytes.size(); ++length) damaged.push_back(bytes.substr(0, length));
  damaged.push_back(bytes + "x");                       // trailing garbage
  damaged.push_back("not a project file at all");      // foreign
  std::string hugeBlock = bytes;
  hugeBlock[16 + 16 + 7] = '\x7f';                      // first channel claims far more bytes than there are
  damaged.push_back(hugeBlock);
  std::string unknownType = bytes;
  unknownType[16] ^= 0x55;                              // a type nobody registered
  damaged.push_back(unknownType);

  for (const std::string& content : damaged) {
    TempFile broken("broken");
    ASSERT_TRUE(project_file::WriteFileAtomically(broken.path, content, &error));
    std::vector<Orv_Channel*> loaded{channel};
    error.clear();
    EXPECT_FALSE(host.LoadProject(broken.path, &loaded, &error)) << content.size();
    EXPECT_NE(error.find(broken.path), std::string::npos) << error;
    EXPECT_EQ(loaded, std::vector<Orv_Channel*>{channel}) << "a failed load must leave the caller's list alone";
  }
}

// Paths that are no regular file of sane size fail at once with a message,
// without blocking (a FIFO), reading forever (/dev/zero) or throwing (a directory).
TEST(Persistence, ProjectPathsThatAreNoSaneFileAreRefused) {
  const std::filesystem::path dir = std::filesystem::temp_directory_path() / ("sci_paths" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  const std::string fifo = (dir / "fifo").string();
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  const std::string huge = (dir / "huge.orv").string();
  std::ofstream(huge).close();
  std::filesystem::resize_file(huge, project_file::kMaxFileSize + 1);  // sparse: costs no disk

  const std::pair<std::string, const char*> cases[] = {
      {"/nonexistent/project.orv", "No such file"}, {dir.string(), "not a regular file"},
      {"/dev/zero", "not a regular file"},        {fifo, "not a regular file"},
      {huge, "more than the"},
  };
  Host host;
  for (const auto& [path, why] : cases) {
    std::vector<Orv_Channel*> loaded;
    std::string error;
    EXPECT_FALSE(host.LoadProject(path, &loaded, &error)) << path;
    EXPECT_NE(error.find(path), std::string::npos) << error;
    EXPECT_NE(error.find(why), std::string::npos) << error;
  }
  std::filesystem::remove_all(dir);
}
