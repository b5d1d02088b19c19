#pragma once

#include <string>
#include <vector>

#include "session/query_session.h"

namespace sci {

// Asks the session's plug-in one query at a time with numeric inputs, for
// code that walks the scene (the summary, the node tree). Every message the
// channel shows is kept in `messages`, so that a walk over a damaged scene
// reports it instead of stopping.
class Asker {
 public:
  Asker(QuerySession& session, std::vector<std::string>& messages) : session_(session), messages_(messages) {}

  // Runs `type` with its inputs set, in child order, to `first` and `second`.
  const Answer& Run(Importing::SCI_INFO_TYPE type, float first = 0, float second = 0);
  // The first output of `type` as a Value, or -1 when there is none.
  float Value(Importing::SCI_INFO_TYPE type, float first = 0, float second = 0);
  // The first output of `type` as a Text; empty when there is none.
  std::string Text(Importing::SCI_INFO_TYPE type, float first = 0, float second = 0);
  // Value() as an integer ID or count; -1 for anything not a whole number.
  int Id(Importing::SCI_INFO_TYPE type, float first = 0, float second = 0);

 private:
  QuerySession& session_;
  std::vector<std::string>& messages_;
  QueryRequest request_;
};

}  // namespace sci
