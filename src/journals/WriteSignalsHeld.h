#pragma once
// The signals a failed write raises, held back on one thread while it writes files.
#include <signal.h>

namespace vantorel {

// While it lives, a write on the thread that made it into a pipe whose reader has gone
// (SIGPIPE) or past the process's file size limit (SIGXFSZ) fails with its error (EPIPE,
// EFBIG) instead of ending the program; the signals such writes raise are taken back when it
// ends, those that were pending before are let through. Made and ended on one thread.
class WriteSignalsHeld {
 public:
  WriteSignalsHeld();
  ~WriteSignalsHeld();
  WriteSignalsHeld(const WriteSignalsHeld&) = delete;
  WriteSignalsHeld& operator=(const WriteSignalsHeld&) = delete;

  // Whether a write since it was made went past the file size limit: for writes whose
  // errors a library does not report.
  bool SizeLimitMet() const;

 private:
  sigset_t before_ {};
  sigset_t pendingBefore_ {};
};

}  // namespace vantorel
