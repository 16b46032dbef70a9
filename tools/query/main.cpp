// vantorel-query: a journal's view from the shell.
#include <clocale>
#include <cstdio>
#include <string>
#include <vector>

#include <unistd.h>

#include "query/Query.h"
#include "query/TerminalSink.h"
#include "platform/SystemRegional.h"

namespace {

class FileSink final : public vantorel::TextSink {
 public:
  explicit FileSink(std::FILE* file) : file_(file) {}
  // Handed on at once: a followed journal's new rows show as they come.
  void Write(std::string_view bytes) override {
    std::fwrite(bytes.data(), 1, bytes.size(), file_);
    std::fflush(file_);
  }

 private:
  std::FILE* file_;
};

}  // namespace

int main(int argc, char** argv) {
  // As the window's application object does: system messages in the system's language.
  std::setlocale(LC_ALL, "");
  FileSink out(stdout), err(stderr);
  // A terminal shows a journal's control characters as escapes; files and pipes get the bytes.
  vantorel::VisibleControlsSink visibleOut(out), visibleErr(err);
  vantorel::TextSink& toOut = isatty(STDOUT_FILENO) == 1 ? static_cast<vantorel::TextSink&>(visibleOut) : out;
  vantorel::TextSink& toErr = isatty(STDERR_FILENO) == 1 ? static_cast<vantorel::TextSink&>(visibleErr) : err;
  const std::vector<std::string> args(argv + 1, argv + argc);
  const int status = vantorel::RunQuery(args, vantorel::SystemDateTimeRules(), toOut, toErr);
  visibleOut.Finish();
  visibleErr.Finish();
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    std::fputs("vantorel-query: cannot write the output\n", stderr);
    return vantorel::kQueryLoadFailed;
  }
  return status;
}
