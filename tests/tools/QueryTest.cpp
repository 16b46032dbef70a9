#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <sys/wait.h>
#include <string>
#include <vector>

#include "query/Query.h"
#include "query/TerminalSink.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;
using test::WriteScratchFile;

class StringSink final : public TextSink {
 public:
  void Write(std::string_view bytes) override {
    text += bytes;
    ++writes;
  }
  std::string text;
  int writes = 0;
};

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
  int outWrites = 0;
};

Outcome Query(const std::vector<std::string>& args, const DateTimeRules& rules = test::JournalRules()) {
  StringSink out, err;
  Outcome o;
  o.status = RunQuery(args, rules, out, err);
  o.out = out.text;
  o.err = err.text;
  o.outWrites = out.writes;
  return o;
}

std::string FileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = text.find('\n', start);
    if (end == std::string::npos) {
      lines.push_back(text.substr(start) + "<no line end>");
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// Rows of a query's output without the title line and the count line.
std::vector<std::string> Rows(const Outcome& o) {
  std::vector<std::string> lines = Lines(o.out);
  if (lines.size() < 2) return {"<no title or count>"};
  return {lines.begin() + 1, lines.end() - 1};
}

std::string CountLine(const Outcome& o) {
  const std::vector<std::string> lines = Lines(o.out);
  return lines.empty() ? std::string() : lines.back();
}

std::string AlarmJournal() {
  return WriteScratchFile("query.alarms",
                          W("Время\tГруппа\tТип\tУзел\tПорт\tСообщение\tПримечание\tЛишний1\tЛишний2\r\n"
                            "25.11.2013 07:59:59\tСевер\tК\tУзел-1\tП1\tНорма\tx\r\n"
                            "25.11.2013 08:00:00\tСевер\tК\tУзел-2\tП2\tАвария питания\tуровень\t-12\r\n"
                            "26.11.2013 08:00:00.900\tЮг\tК\tУзел-1\tП1\tПереход на резерв\ty\r\n"
                            "26.11.2013 12:00:00\tюг\tК\tУзел-3\tП2\tРассхождение в системном времени\tz\r\n"
                            "27.11.2013 18:00:00\tЮг\tМ\tУзел-3\tП1\tСвязь с устройством восстановлена\tw\r\n"
                            "27.11.2013 18:00:01\tСевер\tК\tУзел-2\tП2\tНорма\tv\r\n"
                            "27.11.2013 20:00:00\r\n"));
}

TEST(QueryTest, AlarmJournalPrintsTitlesRowsAndCountAsTheViewShowsThem) {
  const Outcome o = Query({AlarmJournal()});
  EXPECT_EQ(o.status, kQueryOk);
  EXPECT_EQ(o.err, "");
  // Seven titles of nine; the two unimportant alarms hidden; the rest of a line kept whole.
  EXPECT_EQ(o.out,
            "Время\tГруппа\tТип\tУзел\tПорт\tСообщение\tПримечание\n"
            "07:59:59\tСевер\tК\tУзел-1\tП1\tНорма\tx\n"
            "08:00:00\tСевер\tК\tУзел-2\tП2\tАвария питания\tуровень\t-12\n"
            "18:00:00\tЮг\tМ\tУзел-3\tП1\tСвязь с устройством восстановлена\tw\n"
            "18:00:01\tСевер\tК\tУзел-2\tП2\tНорма\tv\n"
            "20:00:00\t\t\t\t\t\t\n"
            "Показано строк: 5 из 7\n");

  EXPECT_EQ(CountLine(Query({"--show-unimportant", AlarmJournal()})), "Показано строк: 7 из 7");
  EXPECT_EQ(Query({"--count", AlarmJournal()}).out, "Показано строк: 5 из 7\n");
  EXPECT_EQ(Query({"--lists", AlarmJournal()}).out,
            "GroupCB\tВсе группы\tСевер\tЮг\tюг\t\n"
            "NameCB\tВсе устройства\tУзел-1\tУзел-2\tУзел-3\t\n"
            "PortCB\tВсе платы/порты\tП1\tП2\t\n");
}

TEST(QueryTest, AlarmTimeWindowIsInclusiveToTheMillisecond) {
  EXPECT_EQ(Rows(Query({"--from", "08:00:00", "--to", "18:00:00", "--show-unimportant", AlarmJournal()})),
            (std::vector<std::string>{"08:00:00\tСевер\tК\tУзел-2\tП2\tАвария питания\tуровень\t-12",
                                      "08:00:00\tЮг\tК\tУзел-1\tП1\tПереход на резерв\ty",
                                      "12:00:00\tюг\tК\tУзел-3\tП2\tРассхождение в системном времени\tz",
                                      "18:00:00\tЮг\tМ\tУзел-3\tП1\tСвязь с устройством восстановлена\tw"}));
  // 08:00:00.900 passes a start of 08:00:00.900, not one of .902.
  EXPECT_EQ(CountLine(Query({"--from", "08:00:00.900", "--to", "08:30:00", "--show-unimportant", AlarmJournal()})),
            "Показано строк: 1 из 7");
  EXPECT_EQ(CountLine(Query({"--from=08:00:00.902", "--to=08:30:00", "--show-unimportant", AlarmJournal()})),
            "Показано строк: 0 из 7");
  // No wrap past midnight.
  EXPECT_EQ(CountLine(Query({"--from", "22:00:00", "--to", "02:00:00", AlarmJournal()})), "Показано строк: 0 из 7");
}

TEST(QueryTest, AlarmValueFiltersSelectListItemsByExactCyrillicText) {
  EXPECT_EQ(Rows(Query({"--group", "Юг", "--show-unimportant", AlarmJournal()})),
            (std::vector<std::string>{"08:00:00\tЮг\tК\tУзел-1\tП1\tПереход на резерв\ty",
                                      "18:00:00\tЮг\tМ\tУзел-3\tП1\tСвязь с устройством восстановлена\tw"}));
  EXPECT_EQ(CountLine(Query({"--group=юг", "--show-unimportant", AlarmJournal()})), "Показано строк: 1 из 7");
  EXPECT_EQ(CountLine(Query({"--group", "Все группы", AlarmJournal()})), "Показано строк: 5 из 7");
  // A text that is no item selects none: only the record with an empty group is left.
  EXPECT_EQ(Rows(Query({"--group", "Запад", AlarmJournal()})), (std::vector<std::string>{"20:00:00\t\t\t\t\t\t"}));
  EXPECT_EQ(CountLine(Query({"--node", "Узел-2", AlarmJournal()})), "Показано строк: 2 из 7");
  EXPECT_EQ(CountLine(Query({"--port", "П1", AlarmJournal()})), "Показано строк: 2 из 7");
  EXPECT_EQ(CountLine(Query({"--group", "Север", "--node", "Узел-2", "--port", "П2", "--to", "12:00:00",
                             AlarmJournal()})),
            "Показано строк: 1 из 7");
}

std::string ActionJournal() {
  return WriteScratchFile("query.action", W("Пользователь\tВремя\tАдрес\tОбъект\r\n"
                                            "Иванов\t25.11.2013 09:00:00\t10.0.0.1\tУзел-1\tуспешно\tВход в систему\r\n"
                                            "Петров\t25.11.2013 10:30:00\t10.0.0.2\tУзел-2\tотказано\tВход в систему\tповтор\r\n"
                                            "Иванов\t26.11.2013 17:00:00\t10.0.0.1\tУзел-1\tуспешно\tВыход из системы\r\n"
                                            "иванов\t26.11.2013 23:00:00\t10.0.0.3\tУзел-3\tуспешно\tВход в систему"));
}

TEST(QueryTest, ActionJournalShowsUserThenTimeAndFiltersByUserAndAction) {
  const Outcome all = Query({ActionJournal()});
  EXPECT_EQ(all.status, kQueryOk);
  EXPECT_EQ(all.out,
            "Пользователь\tВремя\tАдрес\tОбъект\t\t\n"
            "Иванов\t09:00:00\t10.0.0.1\tУзел-1\tуспешно\tВход в систему\n"
            "Петров\t10:30:00\t10.0.0.2\tУзел-2\tотказано\tВход в систему\tповтор\n"
            "Иванов\t17:00:00\t10.0.0.1\tУзел-1\tуспешно\tВыход из системы\n"
            "иванов\t23:00:00\t10.0.0.3\tУзел-3\tуспешно\tВход в систему\n"
            "Показано строк: 4 из 4\n");
  EXPECT_EQ(CountLine(Query({"--user", "Иванов", ActionJournal()})), "Показано строк: 2 из 4");
  EXPECT_EQ(CountLine(Query({"--user", "Иванов", "--from", "10:00:00", ActionJournal()})), "Показано строк: 1 из 4");
  EXPECT_EQ(CountLine(Query({"--action", "Вход в систему", ActionJournal()})), "Показано строк: 2 из 4");
  EXPECT_EQ(CountLine(Query({"--user", "Петров", "--action", "Выход из системы", ActionJournal()})),
            "Показано строк: 0 из 4");
  EXPECT_EQ(Query({"--lists", ActionJournal()}).out,
            "UserCB\tВсе пользователи\tИванов\tПетров\tиванов\n"
            "ActCB\tВсе действия\tВход в систему\tВход в систему\tповтор\tВыход из системы\n");
}

std::string ParamText() {
  return W("Время\tГруппа\tТип\tУзел\tПорт\tПараметр\tБыло\tСтало\r\n"
           "26.11.2013 10:00:00\tСевер\tК\tУзел-1\tП1\tПорог\t1\t2\r\n"
           "25.11.2013 11:00:00\tЮг\tК\tУзел-2\tП2\tУровень\t3\t4\r\n"
           "27.11.2013 09:00:00\tСевер\tК\tУзел-1\tП1\tУровень\t5\t6\r\n"
           "27.11.2013 12:00:00\tСевер\tК\tУзел-2\tП2\tПорог\t7\t8\tещё\r\n"
           "26.11.2013 00:00:00\tЮг\tК\tУзел-1\tП1\tПорог\t9\t10\r\n");
}

TEST(QueryTest, ParamJournalShowsDatesAndKeepsTheEndTimeForTheEndDay) {
  const std::string file = WriteScratchFile("query.param", ParamText());
  const Outcome all = Query({file});
  EXPECT_EQ(all.status, kQueryOk);
  EXPECT_EQ(all.out,
            "Время\tГруппа\tТип\tУзел\tПорт\tПараметр\tБыло\tСтало\n"
            "26.11.2013 10:00:00\tСевер\tК\tУзел-1\tП1\tПорог\t1\t2\n"
            "25.11.2013 11:00:00\tЮг\tК\tУзел-2\tП2\tУровень\t3\t4\n"
            "27.11.2013 09:00:00\tСевер\tК\tУзел-1\tП1\tУровень\t5\t6\n"
            "27.11.2013 12:00:00\tСевер\tК\tУзел-2\tП2\tПорог\t7\t8\tещё\n"
            "26.11.2013\tЮг\tК\tУзел-1\tП1\tПорог\t9\t10\n"
            "Показано строк: 5 из 5\n");
  // The start time on every day; the end time on the file's last day only.
  EXPECT_EQ(Rows(Query({"--from", "10:00:00", "--to", "10:30:00", file})),
            (std::vector<std::string>{"26.11.2013 10:00:00\tСевер\tК\tУзел-1\tП1\tПорог\t1\t2",
                                      "25.11.2013 11:00:00\tЮг\tК\tУзел-2\tП2\tУровень\t3\t4"}));
  // An earlier end day: its own time limit, and the days after it gone.
  EXPECT_EQ(CountLine(Query({"--to-date", "2013-11-26", "--to", "09:00:00", file})), "Показано строк: 2 из 5");
  EXPECT_EQ(CountLine(Query({"--from-date", "2013-11-26", file})), "Показано строк: 4 из 5");
  EXPECT_EQ(CountLine(Query({"--from-date", "2013-11-28", file})), "Показано строк: 0 из 5");
  EXPECT_EQ(CountLine(Query({"--param", "Уровень", file})), "Показано строк: 2 из 5");
  EXPECT_EQ(CountLine(Query({"--group", "Юг", "--node", "Узел-1", "--port", "П1", file})), "Показано строк: 1 из 5");
  EXPECT_EQ(Query({WriteScratchFile("titles.param", W("Время\tГруппа\r\n"))}).out,
            "Время\tГруппа\t\t\t\t\t\t\nПоказано строк: 0 из 0\n");
  EXPECT_EQ(Query({"--lists", file}).out,
            "GroupCB2\tВсе группы\tСевер\tЮг\n"
            "NameCb2\tВсе устройства\tУзел-1\tУзел-2\n"
            "PortCB2\tВсе платы/порты\tП1\tП2\n"
            "ParamCB\tВсе параметры\tПорог\tУровень\n");
}

TEST(QueryTest, StatJournalShowsTimesAndAppliesTheWindowOnEveryDay) {
  const std::string file = WriteScratchFile("query.stat", ParamText());
  const Outcome window = Query({"--from", "10:00:00", "--to", "10:30:00", file});
  EXPECT_EQ(window.status, kQueryOk);
  EXPECT_EQ(Rows(window), (std::vector<std::string>{"10:00:00\tСевер\tК\tУзел-1\tП1\tПорог\t1\t2"}));
  EXPECT_EQ(CountLine(window), "Показано строк: 1 из 5");
  EXPECT_EQ(Rows(Query({"--param", "Порог", "--group", "Юг", file})),
            (std::vector<std::string>{"00:00:00\tЮг\tК\tУзел-1\tП1\tПорог\t9\t10"}));
  EXPECT_EQ(Query({"--from-date", "2013-11-26", file}).status, kQueryBadUsage);
}

TEST(QueryTest, StandInSettingsReadAndWriteTheTwelveHourClock) {
  const DateTimeRules standIn{RegionalSettings{}, 2026};
  const std::string alarms = WriteScratchFile(
      "standin.alarms", W("Время\tГруппа\n11/25/13 2:05:09 pm\tСевер\n11/26/13 9:00:00 am\tЮг\n"));
  EXPECT_EQ(Query({"--from", "14:00:00", alarms}, standIn).out,
            "Время\tГруппа\t\t\t\t\t\n2:05:09 pm\tСевер\t\t\t\t\t\nПоказано строк: 1 из 2\n");
  const std::string param = WriteScratchFile("standin.param", W("Время\n11/25/13 2:05:09 pm\tСевер\n"));
  EXPECT_EQ(Rows(Query({param}, standIn)), (std::vector<std::string>{"11/25/13 2:05:09 pm\tСевер\t\t\t\t\t\t"}));
  // The same file read by Russian settings is no journal of dates.
  EXPECT_EQ(Query({alarms}).status, kQueryLoadFailed);
}

TEST(QueryTest, LoadErrorsPrintTheErrorReportAndExitWithOne) {
  struct Case {
    std::string file;
    std::string message;
  };
  const Case cases[] = {
      {test::MissingScratchPath("missing.alarms"), "File not found.\n"},
      {WriteScratchFile("empty.stat", ""), "Range check error.\n"},
      {WriteScratchFile("baddate.alarms", W("Время\n25.11.2013 10:00:00\tа\nвчера 10:00\tб\n")),
       "'вчера 10:00' is not a valid date and time.\n"},
      {WriteScratchFile("blankline.action", W("Пользователь\tВремя\nИванов\t25.11.2013 10:00:00\n\nПетров\n")),
       "'' is not a valid date and time.\n"},
      {WriteScratchFile("oldday.param", W("Время\n01.01.1700 10:00:00\tСевер\n")),
       "Failed to set calendar date or time.\n"},
  };
  for (const Case& c : cases) {
    const Outcome o = Query({c.file});
    EXPECT_EQ(o.status, kQueryLoadFailed) << c.file;
    EXPECT_EQ(o.err, c.message) << c.file;
    EXPECT_EQ(o.out, "") << c.file;
  }
  // Only the date pickers of a parameter journal refuse that day.
  EXPECT_EQ(Query({WriteScratchFile("oldday.stat", W("Время\n01.01.1700 10:00:00\tСевер\n"))}).status, kQueryOk);
}

TEST(QueryTest, BadOptionsAndUnknownKindsExitWithTwo) {
  const std::string alarms = AlarmJournal();
  const std::vector<std::vector<std::string>> usageCases = {
      {"--bogus", alarms},
      {alarms, "--from"},
      {"--from", "8:00:00", alarms},
      {"--from", "24:00:00", alarms},
      {"--to", "10:00:00.5", alarms},
      {"--to", "10:60:00", alarms},
      {"--from-date", "2013-02-30", WriteScratchFile("opt.param", ParamText())},
      {"--from-date", "1752-09-13", WriteScratchFile("opt.param", ParamText())},
      {"--lists", "--count", alarms},
      {"--count=yes", alarms},
      {},
      {alarms, alarms},
      {"--user", "Иванов", alarms},
      {"--param", "Порог", alarms},
      {"--group", "Север", ActionJournal()},
      {"--to-date", "2013-11-26", alarms},
  };
  for (const std::vector<std::string>& args : usageCases) {
    const Outcome o = Query(args);
    const std::string shown = args.empty() ? "(no arguments)" : args[0];
    EXPECT_EQ(o.status, kQueryBadUsage) << shown;
    EXPECT_EQ(o.err.rfind("vantorel-query: ", 0), 0u) << shown;
    EXPECT_NE(o.err.find("usage: vantorel-query"), std::string::npos) << shown;
    EXPECT_EQ(o.out, "") << shown;
  }
  // The extension is compared exactly: no loading, one line of explanation.
  for (const char* name : {"upper.ALARMS", "plain.txt", "noextension"}) {
    const Outcome o = Query({WriteScratchFile(name, "x")});
    EXPECT_EQ(o.status, kQueryBadUsage) << name;
    EXPECT_EQ(std::count(o.err.begin(), o.err.end(), '\n'), 1) << name;
    EXPECT_EQ(o.out, "") << name;
  }
}

TEST(QueryTest, HelpNamesEveryOption) {
  const Outcome o = Query({"--help"});
  EXPECT_EQ(o.status, kQueryOk);
  EXPECT_EQ(o.err, "");
  for (const char* option : {"--from", "--to", "--from-date", "--to-date", "--group", "--node", "--port", "--param",
                             "--user", "--action", "--show-unimportant", "--lists", "--count", "--moment", "--output", "xlsx", "Exit status"}) {
    EXPECT_NE(o.out.find(option), std::string::npos) << option;
  }
}

TEST(QueryTest, FormatsForOtherProgramsHistogramAndFollow) {
  const std::string alarms = AlarmJournal();
  // The shown rows without the count line: as CSV, and as JSON lines keyed by the titles.
  const Outcome csv = Query({"--format", "csv", "--group", "Юг", alarms});
  EXPECT_EQ(csv.status, kQueryOk);
  EXPECT_EQ(csv.out, "Время,Группа,Тип,Узел,Порт,Сообщение,Примечание\r\n"
                     "18:00:00,Юг,М,Узел-3,П1,Связь с устройством восстановлена,w\r\n");
  const Outcome json = Query({"--format=jsonl", "--node", "Узел-2", alarms});
  // Led by the record's moment and the journal, whatever the date-time column shows.
  EXPECT_EQ(json.out,
            "{\"moment\":\"2013-11-25T08:00:00.000\",\"journal\":\"query.alarms\",\"Время\":\"08:00:00\",\"Группа\":\"Север\",\"Тип\":\"К\",\"Узел\":\"Узел-2\",\"Порт\":\"П2\","
            "\"Сообщение\":\"Авария питания\",\"Примечание\":\"уровень\\t-12\"}\n"
            "{\"moment\":\"2013-11-27T18:00:01.000\",\"journal\":\"query.alarms\",\"Время\":\"18:00:01\",\"Группа\":\"Север\",\"Тип\":\"К\",\"Узел\":\"Узел-2\",\"Порт\":\"П2\","
            "\"Сообщение\":\"Норма\",\"Примечание\":\"v\"}\n");
  // TSV is the table without its count line.
  const std::string table = Query({alarms}).out;
  EXPECT_EQ(Query({"--format", "tsv", alarms}).out, table.substr(0, table.rfind("Показано")));
  EXPECT_EQ(Query({"--format", "xml", alarms}).status, kQueryBadUsage);
  // CSV and TSV take the two leading columns when asked; --output writes a file instead.
  const std::string saved = test::MissingScratchPath("moments.csv");
  const Outcome toFile = Query({"--format", "csv", "--moment", "--group", "Юг", "--output", saved, alarms});
  EXPECT_EQ(toFile.status, kQueryOk) << toFile.err;
  EXPECT_EQ(toFile.out, "");
  EXPECT_EQ(FileBytes(saved), "moment,journal,Время,Группа,Тип,Узел,Порт,Сообщение,Примечание\r\n"
                                    "2013-11-27T18:00:00.000,query.alarms,18:00:00,Юг,М,Узел-3,П1,Связь с устройством восстановлена,w\r\n");
  // A workbook is a file: without --output, with --follow or over the journal it is refused.
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"--format", "xlsx", alarms}, {"--moment", alarms}, {"--format", "csv", "--output", alarms, alarms},
           {"--format", "xlsx", "--output", saved, "--follow", alarms}}) {
    const Outcome refused = Query(args);
    EXPECT_EQ(refused.status, kQueryBadUsage) << args[1];
    EXPECT_NE(refused.err.find("usage:"), std::string::npos);
  }

  // The histogram: every filter but the time window, a line per quarter of an hour.
  const std::vector<std::string> bins = Lines(Query({"--histogram", "--from", "12:00:00", alarms}).out);
  ASSERT_EQ(bins.size(), 96u);
  EXPECT_EQ(bins[31], "07:45\t1");
  EXPECT_EQ(bins[32], "08:00\t1");
  EXPECT_EQ(bins[72], "18:00\t2");
  EXPECT_EQ(bins[80], "20:00\t1");
  EXPECT_EQ(bins[48], "12:00\t0");

  // Following: after the journal as it stands, each new row as it comes, a line cut in two
  // waiting for its end; no count line.
  const std::string followed = WriteScratchFile("followed.alarms", W("Время\tГруппа\r\n25.11.2013 10:00:00\tСевер\r\n"));
  const std::vector<std::string> pieces = {W("25.11.2013 11:00:00\tЮг\r\n25.11.2013 12:00:00\tСе"), W("вер\r\n"),
                                           W("25.11.2013 13:00:00\tЮг\r\n")};
  size_t round = 0;
  StringSink out, err;
  const int status = RunQuery({"--follow", "--group", "Север", followed}, test::JournalRules(), out, err, [&] {
    if (round == pieces.size()) return false;
    std::FILE* file = std::fopen(followed.c_str(), "ab");
    std::fwrite(pieces[round].data(), 1, pieces[round].size(), file);
    std::fclose(file);
    ++round;
    return true;
  });
  EXPECT_EQ(status, kQueryOk);
  EXPECT_EQ(out.text, "Время\tГруппа\t\t\t\t\t\n10:00:00\tСевер\t\t\t\t\t\n12:00:00\tСевер\t\t\t\t\t\n");
}

// A --follow run whose idle hook takes one step of `steps` at a time, a second apart, then
// ends the run.
Outcome Followed(const std::vector<std::string>& args, const std::vector<std::function<void()>>& steps) {
  size_t round = 0;
  StringSink out, err;
  Outcome o;
  std::chrono::steady_clock::time_point now{};
  const auto idle = [&] {
    now += std::chrono::seconds(1);
    if (round == steps.size()) return false;
    steps[round++]();
    return true;
  };
  o.status = RunQuery(args, test::JournalRules(), out, err, idle, [&] { return now; });
  o.out = out.text;
  o.err = err.text;
  return o;
}

// The rows of a plain run, without the title row and the count line.
std::string RowsOf(std::vector<std::string> args) {
  const std::string text = Query(args).out;
  const size_t first = text.find('\n') + 1;
  const size_t count = text.rfind("Показано строк");
  return text.substr(first, (count == std::string::npos ? text.size() : count) - first);
}

TEST(QueryTest, FollowingSurvivesRotationAndPrintsWhatPlainRunsPrint) {
  const std::string title = W("Время\tГруппа\r\n");
  auto rows = [](int from, int to, const char* group) {
    std::string text;
    for (int i = from; i < to; ++i) text += W("25.11.2013 10:00:" + std::to_string(10 + i) + "\t" + group + "\r\n");
    return text;
  };
  auto append = [](const std::string& path, const std::string& bytes) {
    std::FILE* file = std::fopen(path.c_str(), "ab");
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
  };
  // logrotate's create: renamed, an empty file at once, the unit's title and rows later; a
  // value no list holds keeps the rows whose group is empty, as a plain run does.
  const std::string path = WriteScratchFile("rotated.alarms", title + rows(0, 3, "") + rows(3, 5, "Юг"));
  const std::string old = WriteScratchFile("old.alarms", "");
  const std::string next = title + rows(20, 22, "") + rows(22, 23, "Юг");
  const Outcome o = Followed({"--follow", "--group", "НЕТ", path},
                             {[&] { append(path, rows(5, 7, "")); },
                              [&] {
                                std::rename(path.c_str(), old.c_str());
                                WriteScratchFile("rotated.alarms", "");
                              },
                              [&] { append(path, next.substr(0, 5)); }, [&] { append(path, next.substr(5)); }});
  EXPECT_EQ(o.status, kQueryOk) << o.err;
  EXPECT_EQ(o.out, Query({"--group", "НЕТ", old}).out.substr(0, Query({"--group", "НЕТ", old}).out.rfind("Показано")) +
                       RowsOf({"--group", "НЕТ", path}));

  // copytruncate: the journal copied and cut short in place; the unit goes on appending
  // records, with no title line: none of them is taken for one.
  const std::string cut = WriteScratchFile("cut.alarms", title + rows(0, 2, "Юг"));
  const Outcome truncated = Followed({"--follow", cut}, {[&] {
                                       std::FILE* file = std::fopen(cut.c_str(), "wb");
                                       std::fclose(file);
                                       append(cut, rows(30, 33, "Юг"));
                                     }});
  const std::string uncut = Query({WriteScratchFile("uncut.alarms", title + rows(0, 2, "Юг") + rows(30, 33, "Юг"))}).out;
  EXPECT_EQ(truncated.out, uncut.substr(0, uncut.rfind("Показано")));

  // JSON lines of a journal rewritten with other titles take the new titles as keys.
  const std::string json = WriteScratchFile("keys.alarms", W("А\tБ\r\n25.11.2013 10:00:00\tx\r\n"));
  const Outcome keys = Followed({"--follow", "--format", "jsonl", json},
                                {[&] { WriteScratchFile("keys.alarms", W("В\tГ\r\n25.11.2013 11:00:00\ty\r\n")); }});
  EXPECT_EQ(keys.out, "{\"moment\":\"2013-11-25T10:00:00.000\",\"journal\":\"keys.alarms\",\"А\":\"10:00:00\",\"Б\":\"x\",\"column 3\":\"\",\"column 4\":\"\",\"column 5\":\"\",\"column 6\":\"\",\"column 7\":\"\"}\n"
                      "{\"moment\":\"2013-11-25T11:00:00.000\",\"journal\":\"keys.alarms\",\"В\":\"11:00:00\",\"Г\":\"y\",\"column 3\":\"\",\"column 4\":\"\",\"column 5\":\"\",\"column 6\":\"\",\"column 7\":\"\"}\n");

  // A parameter journal that grows into a new day: the end day was the file's last, and
  // moves with it; the time window's end applies on it, as in a fresh run.
  const std::string param = WriteScratchFile("days.param", W("Время\r\n25.11.2013 10:00:00\tа\r\n25.11.2013 23:00:00\tб\r\n"));
  const Outcome days = Followed({"--follow", "--to", "12:00:00", param},
                                {[&] { append(param, W("26.11.2013 11:00:00\tв\r\n26.11.2013 13:00:00\tг\r\n")); }});
  EXPECT_EQ(days.status, kQueryOk) << days.err;
  // The histogram of a parameter journal counts the days of the file, first to last.
  EXPECT_NE(Query({"--histogram", param}).out.find("13:00\t1\n"), std::string::npos);
  EXPECT_EQ(days.out, Query({"--to", "12:00:00", param}).out.substr(0, Query({"--to", "12:00:00", param}).out.rfind("Показано")));
}

TEST(QueryTest, AFailureLeavesNoRowBehind) {
  const Outcome o = Query({WriteScratchFile("late-error.alarms", W("Время\n25.11.2013 10:00:00\tа\n25.11.2013 10:00:01\tб\nвчера\tв\n"))});
  EXPECT_EQ(o.status, kQueryLoadFailed);
  EXPECT_EQ(o.err, "'вчера' is not a valid date and time.\n");
  EXPECT_EQ(o.out, "");
}

TEST(QueryTest, LargeOutputIsStreamedInPiecesWithoutLosingBytes) {
  std::string text = "Время\tГруппа\n";
  const int records = 40000;
  for (int i = 0; i < records; ++i) {
    text += "25.11.2013 10:00:00\tСевер\tдеталь\tузел\tпорт\tсообщение\tr" + std::to_string(i) + "\n";
  }
  const Outcome o = Query({WriteScratchFile("large.alarms", W(text))});
  EXPECT_EQ(o.status, kQueryOk);
  EXPECT_GT(o.outWrites, 1);
  const std::vector<std::string> rows = Rows(o);
  ASSERT_EQ(rows.size(), static_cast<size_t>(records));
  for (int i = 0; i < records; ++i) {
    const std::string expected = "10:00:00\tСевер\tдеталь\tузел\tпорт\tсообщение\tr" + std::to_string(i);
    if (rows[static_cast<size_t>(i)] != expected) {
      ADD_FAILURE() << "row " << i << ": " << rows[static_cast<size_t>(i)];
      break;
    }
  }
  EXPECT_EQ(CountLine(o), "Показано строк: 40000 из 40000");
}

TEST(QueryTest, ATerminalSeesControlCharactersAsEscapes) {
  StringSink out;
  VisibleControlsSink visible(out);
  // Pieces split inside a C1 character and between CR and LF.
  using namespace std::string_view_literals;
  for (std::string_view piece : {"a\x1b]0;x\x07\tb\x7f\xc2"sv, "\x9b\xc2\xa0\r"sv, "\nc\rd\0\xd0\xae\r"sv}) {
    visible.Write(piece);
  }
  visible.Finish();
  EXPECT_EQ(out.text, "a\\x1b]0;x\\x07\tb\\x7f\\u009b\xc2\xa0\r\nc\\x0dd\\x00\xd0\xae\\x0d");
}

#ifdef VANTOREL_QUERY_BINARY
// The program itself: regional settings from the locale of its environment, exit statuses.
struct ProgramRun {
  int status = -1;
  std::string output;
};

ProgramRun RunCommand(const std::string& command) {
  ProgramRun run;
  std::FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return run;
  char buffer[4096];
  size_t got = 0;
  while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, got);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

ProgramRun RunBinary(const std::string& environment, const std::string& arguments) {
  return RunCommand("env " + environment + " '" VANTOREL_QUERY_BINARY "' " + arguments + " 2>&1");
}

TEST(QueryTest, ProgramTakesTheRegionalSettingsOfItsLocale) {
  const std::string standIn = WriteScratchFile("binary.alarms", W("Время\n11/25/13 2:05:09 pm\tСевер\n"));
  const ProgramRun c = RunBinary("LC_ALL=C", "'" + standIn + "'");
  EXPECT_EQ(c.status, 0);
  EXPECT_EQ(c.output, "Время\t\t\t\t\t\t\n2:05:09 pm\tСевер\t\t\t\t\t\nПоказано строк: 1 из 1\n");

  const ProgramRun ru = RunBinary("LC_ALL=ru_RU.UTF-8", "--group Юг '" + AlarmJournal() + "'");
  EXPECT_EQ(ru.status, 0);
  EXPECT_NE(ru.output.find("\n18:00:00\tЮг\tМ\tУзел-3"), std::string::npos) << ru.output;

  const ProgramRun missing = RunBinary("LC_ALL=C", "'" + test::MissingScratchPath("binary-missing.action") + "'");
  EXPECT_EQ(missing.status, 1);
  EXPECT_EQ(missing.output, "File not found.\n");
  EXPECT_EQ(RunBinary("LC_ALL=C", "--bogus").status, 2);
}

TEST(QueryTest, ProgramEscapesControlCharactersForATerminalOnly) {
  const std::string journal = WriteScratchFile("escapes.alarms", "T\r\n11/25/13 2:05:09 pm\t\x1b]0;owned\x07\r\n");
  EXPECT_EQ(RunBinary("LC_ALL=C", "'" + journal + "'").output,
            "T\t\t\t\t\t\t\n2:05:09 pm\t\x1b]0;owned\x07\t\t\t\t\t\nПоказано строк: 1 из 1\n");
  // script(1) runs it on a terminal, which ends each line with CR LF.
  EXPECT_EQ(RunCommand("script -qec \"LC_ALL=C '" VANTOREL_QUERY_BINARY "' '" + journal + "'\" /dev/null").output,
            "T\t\t\t\t\t\t\r\n2:05:09 pm\t\\x1b]0;owned\\x07\t\t\t\t\t\r\nПоказано строк: 1 из 1\r\n");
}
#endif

}  // namespace
}  // namespace vantorel
