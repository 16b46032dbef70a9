#pragma once
// A few record lines of each line rule's kinds, made from a number: journals that grow in
// tests are written with them.
#include <cstdio>
#include <string>

#include "journals/JournalKinds.h"

namespace vantorel::test {

struct Sample {
  JournalKind kind;
  // UTF-8, CR LF ended.
  std::string title;
  std::string (*line)(int i);
};

// A line made by printf: the format's %d are filled with `a` and `b`.
inline std::string Printed(const char* format, int a, int b) {
  char line[128];
  std::snprintf(line, sizeof line, format, a, b);
  return line;
}

inline const Sample kSamples[] = {
    {JournalKind::Alarms, "T\tG\tC\tN\tP\tM\tD\r\n",
     [](int i) { return Printed("25.11.2013 10:00:0%d\tG%d\tc\tN\tP\tНорма\td\r\n", i % 10, i % 3); }},
    {JournalKind::Action, "U\tT\tA\tB\tC\tD\r\n",
     [](int i) { return Printed("u%d\t25.11.2013 10:00:0%d\ta\tb\tc\tact\r\n", i % 4, i % 10); }},
    {JournalKind::Param, "T\tG\tC\tN\tP\tPar\tO\tN\r\n",
     [](int i) { return Printed("%d.11.2013 10:00:00\tG%d\tc\tN\tP\tpar\t1\t2\r\n", 20 + i % 5, i % 7); }},
};

}  // namespace vantorel::test
