#include "scene/import/large_stack.h"

#include <exception>

#if defined(_WIN32)

namespace Importing::Import {
void RunOnLargeStack(const std::function<void()>& work, std::size_t) { work(); }
}  // namespace Importing::Import

#else

#include <pthread.h>

namespace Importing::Import {

namespace {

struct Job {
  const std::function<void()>* work;
  std::exception_ptr failure;
};

void* RunJob(void* argument) {
  auto* job = static_cast<Job*>(argument);
  try {
    (*job->work)();
  } catch (...) {
    job->failure = std::current_exception();
  }
  return nullptr;
}

}  // namespace

void RunOnLargeStack(const std::function<void()>& work, std::size_t bytes) {
  Job job{&work, nullptr};
  pthread_attr_t attributes;
  pthread_t thread;
  bool started = false;
  if (pthread_attr_init(&attributes) == 0) {
    started = pthread_attr_setstacksize(&attributes, bytes) == 0 &&
              pthread_create(&thread, &attributes, RunJob, &job) == 0;
    pthread_attr_destroy(&attributes);
  }
  if (!started) {
    work();
    return;
  }
  pthread_join(thread, nullptr);
  if (job.failure) std::rethrow_exception(job.failure);
}

}  // namespace Importing::Import

#endif
