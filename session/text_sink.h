#pragma once

#include <cstdio>
#include <string>

namespace sci {

// Output text on its way to a file: writers append to `text`, and the sink
// writes it out in blocks, so that a long answer (a whole mesh) never has
// to be held in memory whole. Without a file the text only gathers.
class TextSink {
 public:
  explicit TextSink(std::FILE* file = nullptr) : file_(file) {}
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;
  ~TextSink() { Write(); }

  std::string text;

  // Writes the text once a block of it has gathered.
  void Spill() {
    if (file_ != nullptr && text.size() >= kBlockSize) WriteText();
  }
  // Writes all of the text and flushes the file.
  void Write() {
    if (file_ == nullptr) return;
    WriteText();
    std::fflush(file_);
  }

 private:
  static constexpr std::size_t kBlockSize = 1 << 16;

  void WriteText() {
    std::fwrite(text.data(), 1, text.size(), file_);
    text.clear();
  }

  std::FILE* file_;
};

}  // namespace sci
