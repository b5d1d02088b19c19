#pragma once

#include <string>
#include <vector>

namespace sci {

// What one run of sci tells its caller besides its answers. Every failure
// goes to standard error; with JSON output a failed run also writes one
// {"error": {"exit", "file", "message"}} object on standard output, unless
// an answer that carries its own messages already went there.
class RunReport {
 public:
  void SetJson(bool json) { json_ = json; }
  bool Json() const { return json_; }
  // The scene the run is about; "file" is null until it is known.
  void SetScene(const std::string& path) { scene_ = path; }

  // Writes `text` on standard output as an answer.
  void Print(const std::string& text);
  // Notes that an answer was written on standard output some other way.
  void AnswerWritten() { answered_ = true; }
  // "sci: MESSAGE" on standard error, kept for the error object.
  void Fail(const std::string& message);
  // "sci: warning: MESSAGE" on standard error only.
  static void Warn(const std::string& message);

  // Writes the error object when it is due and returns `exitCode`.
  int Finish(int exitCode);

 private:
  bool json_ = false;
  bool answered_ = false;
  std::string scene_;
  std::vector<std::string> messages_;
};

}  // namespace sci
