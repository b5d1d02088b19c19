#include "crosscheck/reference_folder.h"

#include <sstream>

#include "host/project_file.h"

namespace crosscheck {

bool WriteLines(const std::string& path, const std::vector<std::string>& lines, std::string* error) {
  std::string text;
  for (const std::string& line : lines) text += line + '\n';
  return project_file::WriteFileAtomically(path, text, error);
}

bool ReadLines(const std::string& path, std::vector<std::string>* lines, std::string* error) {
  std::string text;
  if (!project_file::ReadWholeFile(path, &text, error)) return false;
  std::istringstream in(text);
  lines->clear();
  for (std::string line; std::getline(in, line);) lines->push_back(line);
  return true;
}

}  // namespace crosscheck
