#pragma once
// An action run where memory runs out: in a child process whose address space is held to a
// given room beyond what it uses.
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <string>

#include "support/CoreTestSupport.h"

namespace vantorel::test {

// The message of the AppError that `action` raises in a child process whose address space is
// held to `room` bytes beyond what it uses; "<no error>" when it raises none.
inline std::string ErrorWithRoom(size_t room, const std::function<void()>& action) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return "<no pipe>";
  const pid_t child = fork();
  if (child == 0) {
    close(pipeFds[0]);
    size_t used = 0;
    if (std::FILE* status = std::fopen("/proc/self/status", "r")) {
      char line[256];
      while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmSize:", 7) == 0) used = std::strtoull(line + 7, nullptr, 10) * 1024;
      }
      std::fclose(status);
    }
    const rlimit limit{used + room, used + room};
    setrlimit(RLIMIT_AS, &limit);
    const std::string message = ErrorOf(action);
    if (write(pipeFds[1], message.data(), message.size()) < 0) _exit(2);
    _exit(0);
  }
  close(pipeFds[1]);
  std::string message;
  char buffer[512];
  ssize_t got = 0;
  while ((got = read(pipeFds[0], buffer, sizeof buffer)) > 0) message.append(buffer, static_cast<size_t>(got));
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  return message;
}

}  // namespace vantorel::test
