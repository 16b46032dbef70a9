// vantorel-query's options as getopt_long reads them from the one table of options: every
// refusal keeps its message and its exit status, getopt's own ways (abbreviations, short
// option clusters, permutation) change nothing, and --help and the usage come from the table.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "query/Query.h"
#include "query/QueryOptions.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using test::W;
using test::WriteScratchFile;

class StringSink final : public TextSink {
 public:
  void Write(std::string_view bytes) override { text += bytes; }
  std::string text;
};

struct Outcome {
  int status = -1;
  std::string out;
  std::string err;
};

Outcome Query(const std::vector<std::string>& args) {
  StringSink out, err;
  Outcome o;
  o.status = RunQuery(args, test::JournalRules(), out, err);
  o.out = out.text;
  o.err = err.text;
  return o;
}

std::string FirstLine(const std::string& text) { return text.substr(0, text.find('\n')); }

TEST(QueryOptionsTest, EveryRefusalKeepsItsMessageAndStatus) {
  const std::string alarms = WriteScratchFile("options.alarms", W("Время\tГруппа\r\n25.11.2013 10:00:00\tЮг\r\n"));
  const std::string param = WriteScratchFile("options.param", W("Время\r\n25.11.2013 10:00:00\tЮг\r\n"));
  const std::string action = WriteScratchFile("options.action", W("Пользователь\tВремя\r\nИванов\t25.11.2013 10:00:00\r\n"));
  const std::string stat = WriteScratchFile("options.stat", W("Время\r\n25.11.2013 10:00:00\tЮг\r\n"));
  const std::string output = test::MissingScratchPath("options-out.xlsx");
  struct Case {
    std::vector<std::string> args;
    std::string message;
  };
  const Case cases[] = {
      {{"--bogus", alarms}, "unknown option --bogus"},
      {{alarms, "--from"}, "--from needs a value"},
      {{"--output"}, "--output needs a value"},
      {{"--from", "8:00:00", alarms}, "--from wants HH:MM:SS or HH:MM:SS.zzz, not '8:00:00'"},
      {{"--to=10:60:00", alarms}, "--to wants HH:MM:SS or HH:MM:SS.zzz, not '10:60:00'"},
      {{"--from=", alarms}, "--from wants HH:MM:SS or HH:MM:SS.zzz, not ''"},
      {{"--from-date", "2013-02-30", param},
       "--from-date wants a date YYYY-MM-DD from 1752-09-14 to 9999-12-31, not '2013-02-30'"},
      {{"--to-date=1752-09-13", param},
       "--to-date wants a date YYYY-MM-DD from 1752-09-14 to 9999-12-31, not '1752-09-13'"},
      {{"--lists", "--count", alarms}, "--lists, --count, --format and --histogram exclude each other"},
      {{"--histogram", "--format", "csv", alarms}, "--lists, --count, --format and --histogram exclude each other"},
      {{"--count=yes", alarms}, "--count takes no value"},
      {{"--help=1"}, "--help takes no value"},
      {{}, "no FILE given"},
      {{alarms, alarms, "--follow"}, "--follow takes one FILE"},
      {{"--format", "xlsx", "--output", output, alarms, alarms}, "--format xlsx takes one FILE"},
      {{"--user", "Иванов", alarms}, "--user applies to .action journals only"},
      {{"--group", "Юг", action}, "--group applies to .alarms, .param and .stat journals only"},
      {{"--param", "П", action}, "--param applies to .param and .stat journals only"},
      {{"--to-date", "2013-11-26", alarms}, "--to-date applies to .param journals, or to several journals of more than one day"},
      {{"--from-date", "2013-11-25", stat}, "--from-date applies to .param journals, or to several journals of more than one day"},
      {{"--match=", alarms}, "--match needs a text"},
      {{"--exclude", "", alarms}, "--exclude needs a text"},
      {{"--regex", "--match", "(Норма", alarms}, "Ошибка в регулярном выражении \"(Норма\": missing )"},
      {{"--format", "xml", alarms}, "--format wants tsv, csv, jsonl or xlsx, not 'xml'"},
      {{"--format", "xlsx", alarms}, "--format xlsx writes a file: give it with --output FILE"},
      {{"--format", "xlsx", "--format", "csv", "--output", output, alarms}, "--format is given twice"},
      {{"--moment", alarms}, "--moment goes with --format tsv or csv"},
      {{"--moment", "--format", "xlsx", "--output", output, alarms}, "--moment goes with --format tsv or csv"},
      {{"--output=", alarms}, "--output needs a file name"},
      {{"--follow", "--count", alarms}, "--follow shows rows: not with --lists, --count or --histogram"},
      {{"--follow", "--output", output, alarms}, "--output writes a whole file: not with --follow"},
      // getopt_long's abbreviations are not taken: a name is the whole name, as before.
      {{"--fol", alarms}, "unknown option --fol"},
      {{"--gro", "Юг", alarms}, "unknown option --gro"},
      {{"--gro"}, "unknown option --gro"},
      {{"--fr", alarms}, "unknown option --fr"},
      {{"--cou=yes", alarms}, "unknown option --cou"},
      // No short options: a single dash and what follows it, up to '=', is the name.
      {{"-x", alarms}, "unknown option -x"},
      {{"-x=3", alarms}, "unknown option -x"},
      {{"-abc", alarms}, "unknown option -abc"},
      {{"-h"}, "unknown option -h"},
      {{"---x", alarms}, "unknown option ---x"},
      {{"--=x", alarms}, "unknown option --"},
      // The first refusal in the order of the arguments is the one told.
      {{"--from", "25:00:00", "--bogus", alarms}, "--from wants HH:MM:SS or HH:MM:SS.zzz, not '25:00:00'"},
      {{"--bogus", "--from", "25:00:00", alarms}, "unknown option --bogus"},
  };
  for (const Case& c : cases) {
    const Outcome o = Query(c.args);
    const std::string shown = c.args.empty() ? "(no arguments)" : c.args[0];
    EXPECT_EQ(o.status, kQueryBadUsage) << shown;
    EXPECT_EQ(FirstLine(o.err), "vantorel-query: " + c.message) << shown;
    EXPECT_EQ(o.err.substr(o.err.find('\n') + 1), QueryUsage()) << shown;
    EXPECT_EQ(o.out, "") << shown;
  }
  // After "--" every argument is a FILE, "-" too; here none is a journal.
  for (const std::vector<std::string>& args :
       std::vector<std::vector<std::string>>{{"--", "--from", alarms}, {"-", alarms}}) {
    const Outcome o = Query(args);
    EXPECT_EQ(o.status, kQueryBadUsage);
    EXPECT_EQ(o.err, "vantorel-query: " + args[args[0] == "--" ? 1 : 0] +
                         ": not a journal: the name must end in .alarms, .action, .param or .stat\n");
  }
}

TEST(QueryOptionsTest, OptionsAndFilesMixInAnyOrderAndTheLastValueHolds) {
  const std::string alarms = WriteScratchFile(
      "mixed.alarms", W("Время\tГруппа\r\n25.11.2013 09:00:00\tЮг\r\n25.11.2013 10:00:00\tСевер\r\n"));
  EXPECT_EQ(Query({alarms, "--count", "--group", "Север"}).out, "Показано строк: 1 из 2\n");
  EXPECT_EQ(Query({"--group=Север", alarms, "--group", "Юг", "--count"}).out, "Показано строк: 1 из 2\n");
  EXPECT_EQ(Query({"--from", "09:30:00", "--count", alarms, "--from=08:00:00"}).out, "Показано строк: 2 из 2\n");
  // A value is the next argument whatever it looks like.
  EXPECT_EQ(Query({"--group", "--count", alarms}).out.rfind("Время\t", 0), 0u);
  const Outcome dashed = Query({"--count", "--", alarms});
  EXPECT_EQ(dashed.out, "Показано строк: 2 из 2\n");
  // POSIXLY_CORRECT, which stops getopt at the first FILE, changes nothing.
  setenv("POSIXLY_CORRECT", "1", 1);
  EXPECT_EQ(Query({alarms, "--count"}).out, "Показано строк: 2 из 2\n");
  unsetenv("POSIXLY_CORRECT");
  // Reading twice in one process starts afresh.
  EXPECT_EQ(Query({"--bogus", alarms}).status, kQueryBadUsage);
  EXPECT_EQ(Query({"--count", alarms}).status, kQueryOk);
}

TEST(QueryOptionsTest, HelpAndUsageComeFromTheTable) {
  const Outcome help = Query({"--help"});
  EXPECT_EQ(help.status, kQueryOk);
  EXPECT_EQ(help.out.rfind(std::string(QueryUsage()), 0), 0u);
  for (const QueryOptionInfo& option : QueryOptionTable()) {
    const std::string line = "\n  --" + std::string(option.name) +
                             (option.value.empty() ? std::string() : " " + std::string(option.value));
    EXPECT_NE(help.out.find(line), std::string::npos) << option.name;
    EXPECT_NE(QueryUsage().find("--" + std::string(option.name)), std::string::npos) << option.name;
    EXPECT_FALSE(option.help.empty()) << option.name;
  }
  // Every line of --help and of the usage fits a terminal of 80 columns.
  for (const std::string& text : {help.out}) {
    size_t start = 0;
    while (start < text.size()) {
      size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      size_t columns = 0;
      for (unsigned char c : line) columns += (c & 0xC0) != 0x80;
      EXPECT_LE(columns, 80u) << line;
      start = end + 1;
    }
  }
}

}  // namespace
}  // namespace vantorel
