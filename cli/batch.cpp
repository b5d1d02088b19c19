#include "cli/batch.h"

#include <cstdlib>

#include "cli/exit_codes.h"
#include "cli/json_output.h"
#include "cli/node_names.h"
#include "cli/text_output.h"

namespace sci {

namespace {

// Output is written in blocks of about this size.
constexpr std::size_t kFlushSize = 1 << 16;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

bool SplitWords(std::string_view line, std::vector<std::string_view>* words, std::string* storage) {
  words->clear();
  // Unquoted words point into `line`; quoted ones are unescaped into
  // `storage`, reserved up front so that views into it stay valid.
  storage->clear();
  storage->reserve(line.size());
  std::size_t i = 0;
  while (true) {
    while (i < line.size() && IsBlank(line[i])) ++i;
    if (i == line.size()) return true;
    if (line[i] != '"') {
      const std::size_t start = i;
      while (i < line.size() && !IsBlank(line[i])) ++i;
      words->push_back(line.substr(start, i - start));
      continue;
    }
    const std::size_t start = storage->size();
    for (++i;; ++i) {
      if (i == line.size()) return false;
      if (line[i] == '"') break;
      if (line[i] == '\\' && i + 1 < line.size() && (line[i + 1] == '"' || line[i + 1] == '\\')) ++i;
      storage->push_back(line[i]);
    }
    ++i;
    words->push_back(std::string_view(*storage).substr(start));
  }
}

int RunBatch(QuerySession& session, std::FILE* in, std::FILE* out, const OutputOptions& options) {
  bool usageError = false, badInput = false;
  std::string buffer, storage;
  std::vector<std::string_view> words;
  QueryRequest request;
  char* raw = nullptr;
  std::size_t capacity = 0;
  long lineNumber = 0;
  ssize_t length;
  while ((length = getline(&raw, &capacity, in)) >= 0) {
    ++lineNumber;
    std::string_view line(raw, static_cast<std::size_t>(length));
    while (!line.empty() && IsBlank(line.back())) line.remove_suffix(1);
    while (!line.empty() && IsBlank(line.front())) line.remove_prefix(1);
    if (line.empty() || line.front() == '#') continue;

    std::string error;
    if (!SplitWords(line, &words, &storage)) error = "unclosed quote";
    else ParseQuery(words, &request, &error);
    if (!error.empty()) {
      usageError = true;
      std::fprintf(stderr, "sci: line %ld: %s\n", lineNumber, error.c_str());
      if (options.json) buffer += DumpLine(Json{{"line", lineNumber}, {"error", error}}) + '\n';
      continue;
    }

    if (!ResolveNodeNames(session, request, &error)) {
      badInput = true;
      std::fprintf(stderr, "sci: line %ld: %s\n", lineNumber, error.c_str());
      if (options.json) buffer += DumpLine(Json{{"line", lineNumber}, {"error", error}}) + '\n';
      continue;
    }
    const QueryResult& result = session.Run(request);
    for (const auto& message : result.messages)
      std::fprintf(stderr, "sci: line %ld: %s: %s\n", lineNumber, ShortName(*request.info).c_str(), message.c_str());
    badInput = badInput || !result.messages.empty();
    if (options.json) {
      AppendResultJson(result, buffer);
      buffer += '\n';
    } else {
      buffer += "> ";
      buffer += line;
      buffer += '\n';
      AppendText(result, options.full, buffer);
    }
    if (buffer.size() >= kFlushSize) {
      std::fwrite(buffer.data(), 1, buffer.size(), out);
      buffer.clear();
    }
  }
  std::free(raw);
  std::fwrite(buffer.data(), 1, buffer.size(), out);
  std::fflush(out);
  return usageError ? kExitUsage : badInput ? kExitBadInput : kExitOk;
}

}  // namespace sci
