#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "cli/batch.h"
#include "cli/exit_codes.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_targets.h"
#include "session/query_session.h"

namespace sci_fuzz {

namespace {

// One session for the whole run: the plug-in and the demo scene load once.
sci::QuerySession& Session() {
  static sci::QuerySession* session = [] {
    auto* made = new sci::QuerySession;
    std::string error;
    SCI_FUZZ_CHECK(made->LoadPlugin(SCI_FUZZ_PLUGIN_PATH, &error), "the plug-in loads");
    SCI_FUZZ_CHECK(made->LoadScene(SCI_FUZZ_SCENE_PATH, &error, nullptr), "the demo scene loads");
    return made;
  }();
  return *session;
}

// The lines a batch answers: those left after trimming blanks that are not
// empty and do not start with '#'.
std::size_t QueryLines(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  std::size_t count = 0;
  while (!text.empty()) {
    const std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    while (!line.empty() && blank(line.front())) line.remove_prefix(1);
    while (!line.empty() && blank(line.back())) line.remove_suffix(1);
    if (!line.empty() && line.front() != '#') ++count;
  }
  return count;
}

struct BatchRun {
  int exitCode;
  std::string output;
};

// Runs the batch with its reports to standard error silenced.
BatchRun Run(const std::string& input, bool json) {
  std::FILE* in = fmemopen(const_cast<char*>(input.data()), input.size(), "r");
  char* buffer = nullptr;
  std::size_t length = 0;
  std::FILE* out = open_memstream(&buffer, &length);
  std::FILE* quiet = std::fopen("/dev/null", "w");
  SCI_FUZZ_CHECK(in && out && quiet, "the batch streams open");
  std::FILE* const errors = stderr;
  stderr = quiet;
  sci::OutputOptions options;
  options.json = json;
  const int exitCode = sci::RunBatch(Session(), in, out, options);
  stderr = errors;
  std::fclose(quiet);
  std::fclose(in);
  std::fclose(out);
  BatchRun run{exitCode, std::string(buffer, length)};
  std::free(buffer);
  return run;
}

}  // namespace

int BatchLine(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;  // fmemopen needs a buffer
  const std::string input(reinterpret_cast<const char*>(data), size);
  const std::size_t lines = QueryLines(input);

  // With JSON every line answered or refused leaves one object: the result,
  // or the line number and the error. The batch goes on after either.
  const BatchRun json = Run(input, true);
  SCI_FUZZ_CHECK(json.exitCode == sci::kExitOk || json.exitCode == sci::kExitBadInput ||
                     json.exitCode == sci::kExitUsage,
                 "a batch ends with ok, bad input or usage error");
  std::size_t objects = 0, errors = 0, usageErrors = 0, answers = 0;
  std::size_t start = 0;
  for (std::size_t end; (end = json.output.find('\n', start)) != std::string::npos; start = end + 1) {
    const auto object = nlohmann::json::parse(json.output.substr(start, end - start), nullptr, false);
    SCI_FUZZ_CHECK(object.is_object(), "each output line is a JSON object");
    ++objects;
    if (object.contains("error")) {
      SCI_FUZZ_CHECK(object.contains("line") && object["error"].is_string(), "an error names its line");
      ++errors;
      // A node name that no node has is a bad input; anything else refused is a usage error.
      if (object["error"].get<std::string>().find(": no node named '") == std::string::npos) ++usageErrors;
    } else {
      SCI_FUZZ_CHECK(object.contains("query") && object.contains("outputs"), "an answer names its query");
      ++answers;
    }
  }
  SCI_FUZZ_CHECK(start == json.output.size(), "the output ends with a line break");
  SCI_FUZZ_CHECK(objects == lines, "one object per query line");
  SCI_FUZZ_CHECK((usageErrors > 0) == (json.exitCode == sci::kExitUsage), "a refused line makes a usage error");
  SCI_FUZZ_CHECK(errors == usageErrors || json.exitCode != sci::kExitOk, "a name no node has makes a bad input");

  // In text form the same lines are answered, each under its "> " header.
  const BatchRun text = Run(input, false);
  SCI_FUZZ_CHECK(text.exitCode == json.exitCode, "text and JSON batches end alike");
  if (answers == 0) SCI_FUZZ_CHECK(text.output.empty(), "a batch without answers writes no text");
  return 0;
}

}  // namespace sci_fuzz
