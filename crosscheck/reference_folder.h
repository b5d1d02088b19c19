#pragma once

#include <string>
#include <vector>

namespace crosscheck {

// The names listed in the index file of a reference folder, one a line, in
// order: for each, NAME.snapshot and NAME.answers.jsonl lie beside it.
inline constexpr const char* kIndexFile = "scenes.txt";
inline constexpr const char* kSnapshotSuffix = ".snapshot";
inline constexpr const char* kAnswersSuffix = ".answers.jsonl";
// The project file the reference folder of the demo scene holds.
inline constexpr const char* kProjectFile = "project.orv";

// Exit code of a check that had nothing to check (ctest: SKIP_RETURN_CODE).
inline constexpr int kSkipped = 77;

// Writes `lines` to `path`, each followed by a newline; false with the reason.
bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string* error);
// Reads the lines of `path`; false with the reason.
bool ReadLines(const std::string& path, std::vector<std::string>* lines, std::string* error);

}  // namespace crosscheck
