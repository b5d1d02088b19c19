#include "scene/import/helper_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

extern char** environ;

namespace Importing::Import {
namespace {

constexpr int kReportFd = 3;
constexpr int kPollMilliseconds = 10;

// A file descriptor closed when it goes out of scope.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { Reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return fd_; }
  void Reset(int fd = -1) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = fd;
  }

 private:
  int fd_;
};

// The child's resident memory in bytes, from /proc/PID/statm; 0 when unknown.
std::uint64_t ResidentBytes(int statm) {
  char text[128];
  const ssize_t count = ::pread(statm, text, sizeof text - 1, 0);
  if (count <= 0) return 0;
  text[count] = '\0';
  unsigned long long size = 0, resident = 0;
  if (std::sscanf(text, "%llu %llu", &size, &resident) != 2) return 0;
  return resident * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

// Takes the complete "P" lines from the front of `pending` to `progress`.
void RelayProgress(std::string& pending, const std::function<void(float)>& progress) {
  std::size_t start = 0;
  while (start < pending.size() && pending[start] == 'P') {
    const std::size_t end = pending.find('\n', start);
    if (end == std::string::npos) break;
    if (progress) progress(std::strtof(pending.c_str() + start + 1, nullptr));
    start = end + 1;
  }
  pending.erase(0, start);
}

bool WriteAll(int fd, const char* data, std::size_t size) {
  while (size > 0) {
    const ssize_t written = ::write(fd, data, size);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    data += written;
    size -= static_cast<std::size_t>(written);
  }
  return true;
}

// A hard backstop to the poll of the resident size, which a fast allocation
// can outrun between two looks: the kernel refuses the child data beyond
// twice the limit, and its allocation fails. An AddressSanitizer build maps
// far more than it uses, so it keeps the poll alone.
#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define SCI_ADDRESS_SANITIZER 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(SCI_ADDRESS_SANITIZER)
void CapDataSize(pid_t, std::uint64_t) {}
#else
void CapDataSize(pid_t pid, std::uint64_t maxResidentBytes) {
  if (maxResidentBytes == 0 || maxResidentBytes > RLIM_INFINITY / 2) return;
  const rlimit limit{2 * maxResidentBytes, 2 * maxResidentBytes};
  ::prlimit(pid, RLIMIT_DATA, &limit, nullptr);
}
#endif

bool Spawn(const std::string& program, const std::vector<std::string>& arguments, int reportFd, pid_t* pid,
           std::string* why) {
  posix_spawn_file_actions_t files;
  posix_spawn_file_actions_init(&files);
  posix_spawn_file_actions_adddup2(&files, reportFd, kReportFd);
  posix_spawn_file_actions_adddup2(&files, STDERR_FILENO, STDOUT_FILENO);
  // The child starts with no signal blocked and the default actions for
  // the signals that stop a process, whatever its starting thread had.
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  sigset_t none, stop;
  sigemptyset(&none);
  sigemptyset(&stop);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGQUIT}) sigaddset(&stop, signal);
  posix_spawnattr_setsigmask(&attributes, &none);
  posix_spawnattr_setsigdefault(&attributes, &stop);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
  argv.push_back(nullptr);
  const int failed = posix_spawn(pid, program.c_str(), &files, &attributes, argv.data(), environ);
  posix_spawnattr_destroy(&attributes);
  posix_spawn_file_actions_destroy(&files);
  if (failed != 0) *why = "cannot start '" + program + "': " + std::strerror(failed);
  return failed == 0;
}

}  // namespace

HelperResult RunHelper(const std::string& program, const std::vector<std::string>& arguments,
                       const HelperLimits& limits, const std::function<void(float)>& progress) {
  HelperResult result;
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    result.message = std::string("cannot make a pipe: ") + std::strerror(errno);
    return result;
  }
  Fd reading(ends[0]), writing(ends[1]);
  // Never blocks, even when something the child started still holds the
  // pipe open after the child has ended.
  ::fcntl(ends[0], F_SETFL, O_NONBLOCK);
  // Above the standard descriptors, so that the dup2 onto 3 always clears
  // close-on-exec in the child.
  writing.Reset(::fcntl(ends[1], F_DUPFD_CLOEXEC, 10));
  ::close(ends[1]);
  pid_t pid = 0;
  if (writing.Get() < 0 || !Spawn(program, arguments, writing.Get(), &pid, &result.message)) {
    if (result.message.empty()) result.message = "cannot set up the report pipe";
    return result;
  }
  writing.Reset();
  CapDataSize(pid, limits.maxResidentBytes);
  Fd statm(::open(("/proc/" + std::to_string(pid) + "/statm").c_str(), O_RDONLY | O_CLOEXEC));

  const auto start = std::chrono::steady_clock::now();
  HelperEnd killedFor = HelperEnd::Succeeded;
  std::string pending;
  bool open = true;
  int status = 0;
  bool reaped = true;
  while (true) {
    if (open) {
      pollfd watch{reading.Get(), POLLIN, 0};
      if (::poll(&watch, 1, kPollMilliseconds) > 0) {
        char block[4096];
        const ssize_t count = ::read(reading.Get(), block, sizeof block);
        if (count > 0) {
          pending.append(block, static_cast<std::size_t>(count));
          RelayProgress(pending, progress);
        } else if (count == 0 || (errno != EINTR && errno != EAGAIN)) {
          open = false;  // the child has ended, or closed its report
        }
      }
    } else {
      ::usleep(1000);  // the report ends as the child exits: it is reaped at once
    }
    const pid_t ended = ::waitpid(pid, &status, WNOHANG);
    if (ended == pid) break;
    if (ended < 0 && errno != EINTR) {  // reaped elsewhere (SIGCHLD ignored)
      reaped = false;
      break;
    }
    if (killedFor != HelperEnd::Succeeded) continue;  // killed; waiting for it to end
    const double elapsed = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (limits.maxResidentBytes > 0 && statm.Get() >= 0 && ResidentBytes(statm.Get()) > limits.maxResidentBytes)
      killedFor = HelperEnd::OutOfMemory;
    else if (limits.timeoutSeconds > 0 && elapsed > limits.timeoutSeconds)
      killedFor = HelperEnd::TimedOut;
    if (killedFor != HelperEnd::Succeeded) ::kill(pid, SIGKILL);
  }
  // What the child wrote just before it ended.
  for (char block[4096];;) {
    const ssize_t count = ::read(reading.Get(), block, sizeof block);
    if (count <= 0) break;
    pending.append(block, static_cast<std::size_t>(count));
  }
  RelayProgress(pending, progress);
  if (!pending.empty() && pending[0] == 'E') result.message = pending.substr(1);

  if (killedFor != HelperEnd::Succeeded) {
    result.end = killedFor;
  } else if (!reaped) {
    result.end = result.message.empty() ? HelperEnd::Succeeded : HelperEnd::Failed;
  } else if (WIFSIGNALED(status)) {
    result.end = HelperEnd::Crashed;
    result.signal = WTERMSIG(status);
  } else {
    result.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.end = result.exitStatus == 0                        ? HelperEnd::Succeeded
                 : result.exitStatus == kOutOfMemoryExitStatus ? HelperEnd::OutOfMemory
                                                               : HelperEnd::Failed;
  }
  return result;
}

std::string SignalName(int signal) {
  const char* name = ::sigabbrev_np(signal);
  return name != nullptr ? std::string("SIG") + name : "signal " + std::to_string(signal);
}

void ReportProgressToParent(float fraction) {
  char line[32];
  const int size = std::snprintf(line, sizeof line, "P%.4f\n", static_cast<double>(fraction));
  WriteAll(kReportFd, line, static_cast<std::size_t>(size));
}

void ReportErrorToParent(const std::string& message) {
  const std::string text = "E" + message;
  WriteAll(kReportFd, text.data(), text.size());
}

bool DieWithParent(long parent) {
  ::prctl(PR_SET_PDEATHSIG, SIGKILL);
  // The parent may have died before the line above took effect.
  return static_cast<long>(::getppid()) == parent;
}

}  // namespace Importing::Import
