// vantorel-query at the edges of what it reads and writes: a full disk, a NUL, a journal that
// grows while it is read, journals of odd or equal names.
#include <gtest/gtest.h>

#include <sys/resource.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "query/Query.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;
using test::W;
using namespace std::string_literals;

class Text final : public TextSink {
 public:
  void Write(std::string_view bytes) override { text += bytes; }
  std::string text;
};

struct Answer {
  int status = -1;
  std::string out;
  std::string err;
};

Answer Query(const std::vector<std::string>& args) {
  Text out, err;
  Answer run;
  run.status = RunQuery(args, test::JournalRules(), out, err);
  run.out = out.text;
  run.err = err.text;
  return run;
}

std::string Read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

const std::string kTitle = W("Время\tГруппа\r\n");

std::string Alarms(const std::string& name, const std::string& groups) {
  std::string text = kTitle;
  int second = 0;
  for (char group : groups) text += "25.11.2013 10:00:0" + std::to_string(second++ % 10) + "\t" + group + "\r\n";
  return test::WriteScratchFile(name, text);
}

TEST(QueryEdges, AFullDiskIsOneMessageInEveryFormat) {
  const std::string journal = Alarms("out.alarms", "abc");
  // A full device: exit 1, one message, nothing on standard output.
  const Answer full = Query({"--output", "/dev/full", journal});
  EXPECT_EQ(full.status, kQueryLoadFailed);
  EXPECT_EQ(full.err, "Не удалось сохранить файл \"/dev/full\": " + std::string(std::strerror(ENOSPC)) + ".\n");
  EXPECT_EQ(full.out, "");

  // A file past the size limit, in every format: the old file stays.
  const std::string saved = test::WriteScratchFile("saved.csv", "old");
  rlimit before {};
  ::getrlimit(RLIMIT_FSIZE, &before);
  rlimit small = before;
  small.rlim_cur = 64;
  for (const char* format : {"tsv", "csv", "jsonl", "xlsx"}) {
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Answer limited = Query({"--format", format, "--output", saved, journal});
    ::setrlimit(RLIMIT_FSIZE, &before);
    EXPECT_EQ(limited.status, kQueryLoadFailed) << format;
    EXPECT_NE(limited.err.find(std::strerror(EFBIG)), std::string::npos) << format << ": " << limited.err;
    EXPECT_EQ(Read(saved), "old") << format;
  }
}

TEST(QueryEdges, WhatTheAnswerLeavesOutIsToldOnStandardError) {
  // A NUL in the third line: the count as it is, and the notice after it.
  const std::string nul = test::WriteScratchFile(
      "nul.alarms", kTitle + "25.11.2013 10:00:00\ta\r\n25.11.2013 10:00:01\tb\0c\r\n25.11.2013 10:00:02\td\r\n"s);
  const Answer read = Query({nul});
  EXPECT_EQ(read.status, kQueryOk);
  EXPECT_EQ(read.out.substr(read.out.rfind("Показано")), "Показано строк: 2 из 2\n");
  EXPECT_EQ(read.err, "Журнал прочитан только до нулевого байта в строке 3.\n");
  const Answer merged = Query({nul, Alarms("other.alarms", "x")});
  EXPECT_EQ(merged.err, "Журнал nul.alarms прочитан только до нулевого байта в строке 3.\n");

  // Cells too long for a workbook: an action journal's texts have no cap.
  const std::string workbook = test::MissingScratchPath("long.xlsx");
  const std::string longField = test::WriteScratchFile(
      "long.action", W("Пользователь\tВремя\r\n") + "u\t25.11.2013 10:00:00\t" + std::string(40000, 'x') + "\r\n");
  const Answer book = Query({"--format", "xlsx", "--output", workbook, longField});
  EXPECT_EQ(book.status, kQueryOk);
  EXPECT_EQ(book.err, "Ячеек длиннее 32 767 знаков, обрезанных с «…» в конце: 1.\n");
}

TEST(QueryEdges, AJournalThatGrowsWhileItIsReadGivesTheRowsOfOneState) {
  // A parameter journal without an end day is read twice: both readings read one state.
  const std::string path = test::WriteScratchFile("growing.param", test::GeneratedJournal(JournalKind::Param, 20000, 4));
  std::atomic<bool> stop{false};
  std::thread unit([&] {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    for (int i = 0; !stop; ++i) {
      const std::string line = "27.11.2013 23:59:" + std::to_string(10 + i % 50) + "\tlate\r\n";
      if (::write(::fileno(file), line.data(), line.size()) < 0) break;
      std::this_thread::sleep_for(std::chrono::microseconds(200));
    }
    std::fclose(file);
  });
  std::vector<Answer> runs;
  for (int round = 0; round < 8; ++round) runs.push_back(Query({"--show-unimportant", path}));
  stop = true;
  unit.join();
  // Each answer is the one of the file as it stood with as many records as it counted.
  const std::string whole = Read(path);
  for (const Answer& run : runs) {
    ASSERT_EQ(run.status, kQueryOk) << run.err;
    const std::string count = run.out.substr(run.out.rfind("Показано"));
    const size_t total = std::stoul(count.substr(count.rfind(' ') + 1));
    size_t end = 0;
    for (size_t line = 0; line <= total; ++line) end = whole.find('\n', end) + 1;
    const std::string expected = Query({"--show-unimportant", test::WriteScratchFile("state.param", whole.substr(0, end))}).out;
    // Compared whole, reported short: the answers run to thousands of rows.
    EXPECT_TRUE(run.out == expected) << count << " in " << run.out.size() << " bytes, not " << expected.size();
  }
}

TEST(QueryEdges, JournalNamesShowEveryByteAndTellJournalsOfOneNameApart) {
  // Names with a tab, a line end, a byte that is no UTF-8, characters Windows-1251 lacks;
  // records of one moment in the order of their journals' names as shown.
  const std::vector<std::string> odd = {Alarms("tab\there.alarms", "a"), Alarms("line\nend.alarms", "b"),
                                        Alarms("\xC6.alarms", "c"), Alarms("日本€.alarms", "d")};
  const Answer plain = Query(odd);
  EXPECT_EQ(plain.status, kQueryOk) << plain.err;
  EXPECT_EQ(plain.out,
            "Время\tГруппа\t\t\t\t\t\tЖурнал\n"
            "10:00:00\td\t\t\t\t\t\t\\u65e5\\u672c€.alarms\n"
            "10:00:00\tc\t\t\t\t\t\t\\xc6.alarms\n"
            "10:00:00\tb\t\t\t\t\t\tline\\x0aend.alarms\n"
            "10:00:00\ta\t\t\t\t\t\ttab\\x09here.alarms\n"
            "Показано строк: 4 из 4\n");
  const Answer json = Query({"--format", "jsonl", odd[2]});
  EXPECT_NE(json.out.find("\"journal\":\"\\\\xc6.alarms\""), std::string::npos) << json.out;

  // One day of two units: folder and name, whatever order they are given in.
  const fs::path base = fs::path(test::WriteScratchFile("x", "")).parent_path();
  fs::create_directories(base / "unit7");
  fs::create_directories(base / "unit8");
  const std::string seven = (base / "unit7" / "day.alarms").string();
  const std::string eight = (base / "unit8" / "day.alarms").string();
  std::ofstream(seven, std::ios::binary) << kTitle + "25.11.2013 10:00:00\ts\r\n";
  std::ofstream(eight, std::ios::binary) << kTitle + "25.11.2013 10:00:00\te\r\n";
  const Answer ordered = Query({"--format", "csv", "--moment", seven, eight});
  EXPECT_EQ(ordered.out,
            "moment,journal,Время,Группа,,,,,,Журнал\r\n"
            "2013-11-25T10:00:00.000,unit7/day.alarms,10:00:00,s,,,,,,unit7/day.alarms\r\n"
            "2013-11-25T10:00:00.000,unit8/day.alarms,10:00:00,e,,,,,,unit8/day.alarms\r\n");
  EXPECT_EQ(Query({"--format", "csv", "--moment", eight, seven}).out, ordered.out);
  // The same file under two names is refused, by either.
  EXPECT_EQ(Query({seven, (base / "unit7" / "." / "day.alarms").string()}).status, kQueryBadUsage);
}

}  // namespace
}  // namespace vantorel
