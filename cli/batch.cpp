#include "cli/batch.h"

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>

#include "cli/exit_codes.h"
#include "session/json_output.h"
#include "session/node_names.h"
#include "session/text_output.h"

namespace sci {

namespace {

// Longest batch line read; a longer one stops the batch.
constexpr std::size_t kMaxLineBytes = std::size_t{1} << 20;

// Reads lines of at most kMaxLineBytes without holding more than that.
class LineReader {
 public:
  enum Status { kLine, kEnd, kTooLong, kReadError };
  explicit LineReader(std::FILE* in) : in_(in) {}

  // The next line into `line`, without its line break.
  Status Next(std::string& line) {
    line.clear();
    int c;
    while ((c = getc_unlocked(in_)) != EOF) {
      if (c == '\n') return kLine;
      if (line.size() == kMaxLineBytes) return kTooLong;
      line += static_cast<char>(c);
    }
    if (std::ferror(in_)) return kReadError;
    return line.empty() ? kEnd : kLine;
  }

 private:
  std::FILE* in_;
};

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
  // A program on the other end of a pipe waits for each answer before it
  // writes the next query; only a file's answers may gather into blocks.
  struct stat status {};
  const bool interactive = fstat(fileno(in), &status) != 0 || !S_ISREG(status.st_mode);
  TextSink sink(out);
  std::string& buffer = sink.text;
  std::string line, storage;
  std::vector<std::string_view> words;
  QueryRequest request;
  long lineNumber = 0;
  LineReader reader(in);
  for (LineReader::Status read; (read = reader.Next(line)) != LineReader::kEnd;) {
    ++lineNumber;
    if (read != LineReader::kLine) {
      const std::string error = std::string(read == LineReader::kTooLong ? "longer than 1 MiB" : "cannot read the batch file") +
                                "; the rest of the batch is not read";
      std::fprintf(stderr, "sci: line %ld: %s\n", lineNumber, error.c_str());
      if (options.json) buffer += DumpLine(Json{{"line", lineNumber}, {"error", error}}) + '\n';
      sink.Write();
      return kExitUsage;
    }
    std::string_view text(line);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    if (text.empty() || text.front() == '#') continue;

    std::string error;
    if (!SplitWords(text, &words, &storage)) error = "unclosed quote";
    else ParseQuery(words, &request, &error);
    usageError = usageError || !error.empty();
    if (error.empty() && !ResolveNodeNames(session, request, &error)) badInput = true;
    if (!error.empty()) {
      std::fprintf(stderr, "sci: line %ld: %s\n", lineNumber, error.c_str());
      if (options.json) buffer += DumpLine(Json{{"line", lineNumber}, {"error", error}}) + '\n';
    } else {
      const Answer& result = session.Run(request);
      for (const auto& message : result.messages)
        std::fprintf(stderr, "sci: line %ld: %s: %s\n", lineNumber, ShortName(*request.info).c_str(), message.c_str());
      badInput = badInput || !result.messages.empty();
      if (options.json) {
        WriteAnswerJson(result, sink);
        buffer += '\n';
      } else {
        buffer += "> ";
        buffer += text;
        buffer += '\n';
        AppendText(result, options.full, buffer);
      }
      const std::string hint = MissingNodeHint(session, result);
      if (!hint.empty()) std::fprintf(stderr, "sci: line %ld: %s\n", lineNumber, hint.c_str());
    }
    if (interactive) sink.Write();
    else sink.Spill();
  }
  sink.Write();
  return usageError ? kExitUsage : badInput ? kExitBadInput : kExitOk;
}

}  // namespace sci
