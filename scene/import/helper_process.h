#pragma once

// Runs a helper program of ours as a child process under a memory and a
// time limit, relaying the progress it reports and collecting its message.
//
// The child is started with posix_spawn (never a bare fork: hosts run
// threads). It reports on file descriptor 3: lines "P<fraction>" while it
// works, then optionally "E" followed by an error message up to the end.
// Its standard output goes to standard error, so that nothing it prints can
// mix with a host's answers.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace Importing::Import {

struct HelperLimits {
  std::uint64_t maxResidentBytes = 0;  // killed above this; 0: no limit
  double timeoutSeconds = 0;           // killed after this; 0: no limit
};

enum class HelperEnd {
  Succeeded,    // exit status 0
  Failed,       // another exit status
  Crashed,      // ended by a signal it did not get from us
  OutOfMemory,  // killed for exceeding maxResidentBytes, or refused memory
  TimedOut,     // killed for exceeding timeoutSeconds
  NotStarted,   // could not be started
};

struct HelperResult {
  HelperEnd end = HelperEnd::NotStarted;
  int exitStatus = 0;   // for Failed
  int signal = 0;       // for Crashed
  std::string message;  // the child's "E" message; for NotStarted, why
};

// The exit status of a child refused memory (by the data size cap that
// backs the resident-size poll); RunHelper reports it as OutOfMemory.
inline constexpr int kOutOfMemoryExitStatus = 86;

// Runs `program` with `arguments` (argv[1] onwards) and waits for it.
// `progress` (may be empty) receives the fractions the child reports.
HelperResult RunHelper(const std::string& program, const std::vector<std::string>& arguments,
                       const HelperLimits& limits, const std::function<void(float)>& progress);

// "SIGSEGV" for SIGSEGV; "signal N" for a signal without a name.
std::string SignalName(int signal);

// The child's side: report `fraction` (0 to 1) or a final error message to
// the parent. Harmless when the process was not started by RunHelper.
void ReportProgressToParent(float fraction);
void ReportErrorToParent(const std::string& message);

// The child's side, first thing in main: die with the parent `parent`, the
// process that started this one; false when it is already gone.
bool DieWithParent(long parent);

}  // namespace Importing::Import
