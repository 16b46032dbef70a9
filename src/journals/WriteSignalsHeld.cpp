#include "journals/WriteSignalsHeld.h"

#include <pthread.h>

#include <cerrno>
#include <ctime>

namespace vantorel {
namespace {

constexpr int kHeld[] = {SIGPIPE, SIGXFSZ};

}  // namespace

WriteSignalsHeld::WriteSignalsHeld() {
  sigset_t held {};
  sigemptyset(&held);
  for (int signal : kHeld) sigaddset(&held, signal);
  pthread_sigmask(SIG_BLOCK, &held, &before_);
  sigpending(&pendingBefore_);
}

bool WriteSignalsHeld::SizeLimitMet() const {
  sigset_t pending {};
  sigpending(&pending);
  return sigismember(&pending, SIGXFSZ) == 1 && sigismember(&pendingBefore_, SIGXFSZ) != 1;
}

WriteSignalsHeld::~WriteSignalsHeld() {
  const int savedErrno = errno;
  sigset_t pending {};
  sigpending(&pending);
  for (int signal : kHeld) {
    // Raised by a write meanwhile, and not pending already before: taken back.
    if (sigismember(&pending, signal) != 1 || sigismember(&pendingBefore_, signal) == 1) continue;
    sigset_t one {};
    sigemptyset(&one);
    sigaddset(&one, signal);
    const timespec none {};
    while (sigtimedwait(&one, nullptr, &none) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &before_, nullptr);
  errno = savedErrno;
}

}  // namespace vantorel
