#pragma once

#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/output_options.h"
#include "session/query_session.h"

namespace sci {

// Splits a batch line into words at blanks; a word in double quotes may
// hold blanks, with \" and \\ inside it. False on an unclosed quote.
bool SplitWords(std::string_view line, std::vector<std::string_view>* words, std::string* storage);

// Answers one query per line of `in` ("QUERY INPUT..."; blank lines and
// lines starting with '#' are skipped) against the session's scene, writing
// one result per line to `out` with JSON. A bad line is reported and the
// rest still answered. Returns the exit code: usage error if any line was
// wrong, else bad input if any query showed a message, else OK.
int RunBatch(QuerySession& session, std::FILE* in, std::FILE* out, const OutputOptions& options);

}  // namespace sci
