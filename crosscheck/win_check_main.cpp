// sci-win-check: a small Windows host that checks SceneContainerInfo.dll
// beside it. It loads the DLL with LoadLibrary, as the engine does, and
// creates channels through InitDLL.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "crosscheck/answer_session.h"
#include "crosscheck/project_check.h"
#include "crosscheck/reference_folder.h"
#include "scene/snapshot/snapshot.h"

namespace {

namespace fs = std::filesystem;
using namespace crosscheck;

constexpr const char* kUsage =
    "usage: sci-win-check                  check the plug-in beside this program\n"
    "       sci-win-check answers DIR      answer about each snapshot of DIR, compare with the answers there\n"
    "       sci-win-check project FILE OUT check a project written elsewhere, write this side's to OUT\n";

std::string PluginPath() {
  char path[MAX_PATH];
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return (fs::path(std::string(path, length)).parent_path() / "SceneContainerInfo.dll").string();
}

int Fail(const std::string& why) {
  std::fprintf(stderr, "sci-win-check: %s\n", why.c_str());
  return 1;
}

// The plug-in's type record and layouts, and a project saved over an earlier
// one and loaded again.
int SelfCheck() {
  AnswerSession session;
  std::string error;
  if (!session.LoadPlugin(PluginPath(), &error)) return Fail(error);
  const std::vector<std::string> lines = session.Answer();
  for (const std::string& line : {lines[0], lines[1]}) std::printf("%s\n", line.c_str());
  const std::string project = (fs::temp_directory_path() / "sci-win-check.orv").string();
  AnswerSession loader;
  if (!WriteProject(session.GetHost(), session.ChannelTypeId(), project, &error) ||
      !WriteProject(session.GetHost(), session.ChannelTypeId(), project, &error) ||
      !loader.LoadPlugin(PluginPath(), &error) ||
      !CheckProject(loader.GetHost(), loader.ChannelTypeId(), project, &error))
    return Fail(error);
  std::printf("%zu answers about an empty scene; project %s saved, saved again and loaded\n", lines.size(),
              project.c_str());
  return 0;
}

// Empty when `ours` equals `theirs`, else where and how they first differ.
std::string Difference(const std::vector<std::string>& ours, const std::vector<std::string>& theirs) {
  for (std::size_t i = 0; i < ours.size() || i < theirs.size(); ++i) {
    const std::string* a = i < ours.size() ? &ours[i] : nullptr;
    const std::string* b = i < theirs.size() ? &theirs[i] : nullptr;
    if (a && b && *a == *b) continue;
    return "line " + std::to_string(i + 1) + "\n  here:  " + (a ? *a : "(none)") + "\n  there: " + (b ? *b : "(none)");
  }
  return "";
}

int Answers(const fs::path& dir) {
  std::vector<std::string> names;
  std::string error;
  if (!ReadLines((dir / kIndexFile).string(), &names, &error)) return Fail(error);
  if (names.empty()) {
    std::printf("no scenes listed in %s: skipped\n", (dir / kIndexFile).string().c_str());
    return kSkipped;
  }
  int differing = 0;
  for (const std::string& name : names) {
    AnswerSession session;
    std::vector<std::string> theirs;
    const std::string base = (dir / name).string();
    if (!session.LoadPlugin(PluginPath(), &error) ||
        !Importing::LoadSnapshot(base + kSnapshotSuffix, session.Scene(), nullptr, &error) ||
        !ReadLines(base + kAnswersSuffix, &theirs, &error))
      return Fail(error);
    const std::vector<std::string> ours = session.Answer();
    if (!WriteLines(base + ".windows.jsonl", ours, &error)) return Fail(error);
    const std::string difference = Difference(ours, theirs);
    std::printf("%s: %zu answers, %s%s\n", name.c_str(), ours.size(), difference.empty() ? "the same" : "DIFFERENT at ",
                difference.c_str());
    differing += !difference.empty();
  }
  return differing == 0 ? 0 : 1;
}

int Project(const std::string& theirs, const std::string& ours) {
  AnswerSession reader, writer;
  std::string error;
  if (!reader.LoadPlugin(PluginPath(), &error) ||
      !CheckProject(reader.GetHost(), reader.ChannelTypeId(), theirs, &error) ||
      !writer.LoadPlugin(PluginPath(), &error) ||
      !WriteProject(writer.GetHost(), writer.ChannelTypeId(), ours, &error))
    return Fail(error);
  std::printf("%s loads here as written; %s written\n", theirs.c_str(), ours.c_str());
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  if (args.empty()) return SelfCheck();
  if (args.size() == 2 && args[0] == "answers") return Answers(args[1]);
  if (args.size() == 3 && args[0] == "project") return Project(args[1], args[2]);
  std::fputs(kUsage, stderr);
  return 2;
}
