// Bad journals of every kind through the window: each gives its error report or a sound
// table, the progress bar is hidden afterwards, the kind's records are empty or wholly the
// new journal's, and the window still opens a good journal.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <random>

#include "journals/Extension.h"
#include "support/FormFixture.h"
#include "platform/DisplayText.h"
#include "window/ErrorReport.h"

namespace vantorel::test {
namespace {

// A kind of journal as the tests write it: its extension, its titles and one record line
// (without line end) that carries `mark` in its first text field.
struct Kind {
  const char* name;
  const char* extension;
  int columns;
  std::string title;
  std::string (*line)(const std::string& stamp, const std::string& mark);
};

const Kind kKinds[] = {
    {"alarms", ".alarms", 7, "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tАвария\tдетали";
     }},
    {"action", ".action", 6, "Пользователь\tВремя\tУзел\tАдрес\tИтог\tДействие",
     [](const std::string& stamp, const std::string& mark) {
       return mark + "\t" + stamp + "\tузел\tадрес\tитог\tдействие";
     }},
    {"param", ".param", 8, "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tпараметр\t1\t2";
     }},
    {"stat", ".stat", 8, "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tпараметр\t1\t2";
     }},
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

const std::string kStamp = "25.11.2013 10:00:00";
// Text of the journal opened before each bad one; none of it may be seen afterwards.
const std::string kOldMark = "OLD";

// The conversion error: a text of more than 200 characters is quoted by its first 200 and "…".
QString NotADateTime(const std::string& text) {
  const std::string quoted = text.size() > 200 ? text.substr(0, 200) + "\x85" : text;
  return "'" + FromCp1251(quoted) + "' is not a valid date and time.";
}

class BadJournals : public FormTest, public ::testing::WithParamInterface<Kind> {
 protected:
  const Kind& kind() const { return GetParam(); }
  std::string Name(const std::string& stem) const { return std::string("bad-") + stem + kind().extension; }
  std::string Title() const { return W(kind().title) + "\r\n"; }
  std::string Line(const std::string& mark, const std::string& stamp = kStamp) const {
    return W(kind().line(stamp, mark));
  }

  // Writes `bytes` as they are and opens them.
  QString OpenBytes(const std::string& name, const std::string& bytes) {
    const QString path = QString::fromStdString(WriteScratchFile(name, bytes));
    Open(path);
    return path;
  }

  void OpenOldJournal() {
    errors.clear();
    OpenBytes(Name("old"), Title() + Line(kOldMark) + "\r\n");
    ASSERT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    ASSERT_EQ(RecordCount(), 1u);
    // The old journal's value stays selected: a failed load does not refill the lists, and
    // the views must cope with a selection that the kind's records no longer back.
    MarkList()->setCurrentIndex(1);
    emit MarkList()->UserChanged();
    ASSERT_EQ(Count(), "Показано строк: 1 из 1");
  }

  const JournalDocument& Records() const {
    switch (KindOfPath(kind().extension)) {
      case JournalKind::Alarms: return form->Alarms();
      case JournalKind::Action: return form->Actions();
      default: return form->Params();
    }
  }
  size_t RecordCount() const { return Records().size(); }

  // Every text of every record of the kind's array.
  std::vector<std::string> RecordTexts() const {
    std::vector<std::string> texts;
    for (size_t i = 0; i < Records().size(); ++i) {
      for (const std::string& text : Fields(Records().Data(), i)) texts.push_back(text);
    }
    return texts;
  }

  // The first text field of record `i`: the mark its line carries.
  std::string Mark(size_t i) const { return Fields(Records().Data(), i).at(0); }

  // The last field of record `i`.
  std::string LastField(size_t i) const { return Fields(Records().Data(), i).back(); }

  // The value list the mark feeds.
  FilterComboBox* MarkList() const {
    switch (KindOfPath(kind().extension)) {
      case JournalKind::Alarms: return form->GroupCB;
      case JournalKind::Action: return form->UserCB;
      default: return form->GroupCB2;
    }
  }

  bool TableShowsOldJournal() const {
    for (int row = 0; row < form->StringGrid->RowCount(); ++row) {
      for (int column = 0; column < form->StringGrid->ColumnCount(); ++column) {
        if (Cell(column, row).contains(QString::fromStdString(kOldMark))) return true;
      }
    }
    return false;
  }

  // What every bad journal leaves behind: its error (or none), no progress bar, the kind's
  // array empty after an error or holding `records` of the new journal, and nothing of the
  // journal before it, also after a filter change re-runs the view.
  void ExpectOutcome(const QString& path, const QString& error, size_t records, const QString& notice = {}) {
    if (error.isEmpty()) {
      EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
      EXPECT_EQ(RecordCount(), records);
      EXPECT_EQ(Count().toStdString(), QString("Показано строк: %1 из %1").arg(records).toStdString());
    } else {
      ASSERT_EQ(errors.size(), 1);
      EXPECT_EQ(errors[0].size(), error.size());
      EXPECT_TRUE(errors[0] == error) << errors[0].left(200).toStdString();
      EXPECT_EQ(RecordCount(), 0u);
    }
    EXPECT_EQ(form->CurrentLogFile(), path);
    EXPECT_EQ(form->StatusText(0), "Открыт файл: " + QFileInfo(path).fileName() + notice);
    EXPECT_TRUE(form->ProgressBar->isHidden());
    EXPECT_FALSE(form->IsLoading());
    EXPECT_EQ(form->StringGrid->ColumnCount(), kind().columns);
    for (const std::string& text : RecordTexts()) EXPECT_EQ(text.find(kOldMark), std::string_view::npos);
    EXPECT_FALSE(TableShowsOldJournal());

    form->ShowOlive->trigger();
    form->ShowOlive->trigger();
    EXPECT_FALSE(TableShowsOldJournal());
    EXPECT_EQ(Count().toStdString(), QString("Показано строк: %1 из %1").arg(RecordCount()).toStdString());
  }

  // The window still answers: a good journal opens and shows its one record.
  void ExpectGoodJournalOpens() {
    errors.clear();
    OpenBytes(Name("good"), Title() + Line("NEW") + "\r\n");
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
    EXPECT_EQ(Count().toStdString(), "Показано строк: 1 из 1");
    EXPECT_TRUE(form->ProgressBar->isHidden());
    EXPECT_EQ(Mark(0), "NEW");
  }

  // Opens the old journal, then `bytes`, and checks the outcome and the window after it.
  void Case(const std::string& stem, const std::string& bytes, const QString& error, size_t records,
            const QString& notice = {}) {
    SCOPED_TRACE(stem);
    OpenOldJournal();
    const QString path = OpenBytes(Name(stem), bytes);
    ExpectOutcome(path, error, records, notice);
  }

  bool IsAction() const { return KindOfPath(kind().extension) == JournalKind::Action; }
  bool IsParam() const { return KindOfPath(kind().extension) == JournalKind::Param; }
};

TEST_P(BadJournals, LineStructureFaults) {
  const bool action = IsAction();
  // The action loader reads its records as text lines: no lines is no error, and a Ctrl-Z
  // ends the file. The others read whole-file lines, where a NUL ends the text and a lone CR
  // ends a line.
  Case("empty", "", action ? "" : "Range check error.", 0);
  Case("title-only", Title(), "", 0);
  Case("blank-inside", Title() + Line("A") + "\r\n\r\n" + Line("B") + "\r\n", NotADateTime(""), 0);
  Case("blank-at-end", Title() + Line("A") + "\r\n\r\n", NotADateTime(""), 0);
  Case("ctrl-z", Title() + Line("A") + "\r\n\x1A", action ? "" : NotADateTime("\x1A"), 1);

  Case("nul", Title() + Line("A") + "\r\n" + Line(std::string("B\0X", 3)) + "\r\n" + Line("C") + "\r\n", "",
       action ? 3 : 2, action ? "" : " — Журнал прочитан только до нулевого байта в строке 3");
  // The action reader keeps the NUL inside the field; the others end the text there, and
  // their second record keeps only what stood before it.
  EXPECT_EQ(Mark(1), action ? std::string("B\0X", 3) : "B");

  Case("lone-cr", Title() + Line("A") + "\r" + Line("B") + "\r\n", "", action ? 1 : 2);
  if (action) {
    // The CR is dropped and the two lines become one record; its last field runs on.
    EXPECT_EQ(LastField(0), W("действие") + W(kind().line(kStamp, "B")));
  }
  ExpectGoodJournalOpens();
}

TEST_P(BadJournals, ForeignBytes) {
  // A UTF-8 journal with a byte-order mark: its bytes are taken as they are, so the mark
  // becomes part of the first title, and the record texts show as Windows-1251 characters.
  Case("utf8-bom", "\xEF\xBB\xBF" + kind().title + "\r\n" + kind().line(kStamp, "Юг") + "\r\n", "", 1);
  EXPECT_EQ(Cell(0, 0), FromCp1251("\xEF\xBB\xBF" + kind().title.substr(0, kind().title.find('\t'))));
  // The record holds the UTF-8 bytes; the table shows them as Windows-1251 characters.
  EXPECT_EQ(Mark(0), "Юг");
  EXPECT_EQ(Cell(IsAction() ? 0 : 1, 1), FromCp1251("Юг"));

  // A journal of another kind under this kind's extension: an alarm journal's second field
  // is its group, an action journal's first its user; both are no date-time. A parameter
  // journal takes an alarm line, whose fields then stand under its own titles.
  const Kind& alarms = kKinds[0];
  const Kind& actions = kKinds[1];
  const Kind& other = KindOfPath(kind().extension) == JournalKind::Alarms ||
                              KindOfPath(kind().extension) == JournalKind::Stat
                          ? actions
                          : alarms;
  const std::string foreign = W(other.title) + "\r\n" + W(other.line(kStamp, "M")) + "\r\n";
  Case("renamed", foreign, IsParam() ? "" : NotADateTime("M"), IsParam() ? 1 : 0);

  // Random bytes: whatever they hold, an error of a loader or a sound table.
  std::mt19937 random(8);
  for (int round = 0; round < 4; ++round) {
    std::string bytes(4096, '\0');
    for (char& b : bytes) b = static_cast<char>(random() & 0xFF);
    // Later rounds without NULs, so that the whole-file readers see many lines too.
    if (round >= 2) std::replace(bytes.begin(), bytes.end(), '\0', '\n');
    SCOPED_TRACE(round);
    OpenOldJournal();
    OpenBytes(Name("random"), bytes);
    if (errors.isEmpty()) {
      EXPECT_EQ(Count().toStdString(), QString("Показано строк: %1 из %1").arg(RecordCount()).toStdString());
    } else {
      ASSERT_EQ(errors.size(), 1);
      EXPECT_TRUE(errors[0] == "Range check error." ||
                  (errors[0].startsWith("'") && errors[0].endsWith("' is not a valid date and time.")))
          << errors[0].toStdString();
      EXPECT_EQ(RecordCount(), 0u);
    }
    EXPECT_TRUE(form->ProgressBar->isHidden());
    for (const std::string& text : RecordTexts()) EXPECT_EQ(text.find(kOldMark), std::string_view::npos);
    EXPECT_FALSE(TableShowsOldJournal());
  }
  ExpectGoodJournalOpens();
}

TEST_P(BadJournals, ExtremeTitlesAndDateTimes) {
  // A title line of 1,000 tabs is one run of separators: the titles stay empty.
  Case("tabs-title", std::string(1000, '\t') + "\r\n" + Line("A") + "\r\n", "", 1);
  for (int column = 0; column < kind().columns; ++column) EXPECT_EQ(Cell(column, 0), "");

  const std::string digits(10000, '7');
  Case("long-date", Title() + Line("A", digits) + "\r\n", NotADateTime(digits), 0);

  // Years are 1 to 9999: neither 0 nor 10000 is a date, and neither text is a time either.
  Case("year-0", Title() + Line("A", "25.11.0000 10:00:00") + "\r\n", NotADateTime("25.11.0000 10:00:00"), 0);
  Case("year-10000", Title() + Line("A", "25.11.10000 10:00:00") + "\r\n", NotADateTime("25.11.10000 10:00:00"), 0);

  // The first and the last day load; the date picker of a parameter journal cannot hold
  // year 1, and that load fails after reading. (A time of day on a day before 30 December
  // 1899 is a negative fraction, which the time window's start of 00:00:00 turns away;
  // midnight keeps the first record in view.)
  const std::string edges =
      Title() + Line("A", "01.01.0001") + "\r\n" + Line("B", "31.12.9999 23:59:59") + "\r\n";
  Case("year-edges", edges, IsParam() ? "Failed to set calendar date or time." : "", IsParam() ? 0 : 2);
  if (!IsParam()) {
    const int timeColumn = IsAction() ? 1 : 0;
    EXPECT_EQ(Cell(timeColumn, 1), "00:00:00");
    EXPECT_EQ(Cell(timeColumn, 2), "23:59:59");
  }
  ExpectGoodJournalOpens();
}

TEST_P(BadJournals, FiftyMegabyteLineWithoutLineEnd) {
  constexpr size_t kSize = 50u << 20;
  // A record whose last field is the 50 MB: stored whole in an action record, cut to its
  // first 200 characters in the others.
  std::string bytes = Title() + Line("A");
  bytes.append(kSize, 'x');
  Case("huge-last-field", bytes, "", 1);
  const size_t lastField = LastField(0).size();
  EXPECT_EQ(lastField, IsAction() ? W("действие").size() + kSize : 200u);

  // A 50 MB first field is no date-time; the error quotes its start.
  std::string garbage(kSize, '9');
  garbage[kSize / 2] = 'x';
  const std::string stem = IsAction() ? "u\t" : "";
  Case("huge-first-field", Title() + stem + garbage, NotADateTime(garbage), 0);
  ExpectGoodJournalOpens();
}

TEST_P(BadJournals, FileSystemFaults) {
  const QString missing = QString::fromStdString(MissingScratchPath(Name("missing")));
  OpenOldJournal();
  Open(missing);
  ExpectOutcome(missing, "File not found.", 0);

  // A directory under a journal's name cannot be read as a file.
  const QString directory = QString(VANTOREL_TEST_SCRATCH) + "/" + QString::fromStdString(Name("directory"));
  QDir().mkpath(directory);
  OpenOldJournal();
  Open(directory);
  ExpectOutcome(directory, "File access denied.", 0);

  // The file goes away after the dialog has chosen it and before the load reads it.
  const std::string vanishing = WriteScratchFile(Name("vanishing"), Title() + Line("A") + "\r\n");
  OpenOldJournal();
  form->runOpenDialog = [&](QFileDialog&) {
    std::remove(vanishing.c_str());
    return QString::fromStdString(vanishing);
  };
  form->Open->trigger();
  WaitForLoad();
  ExpectOutcome(QString::fromStdString(vanishing), "File not found.", 0);
  form->runOpenDialog = [this](QFileDialog&) { return nextChoice; };
  ExpectGoodJournalOpens();
}

TEST_P(BadJournals, FileWithoutReadPermission) {
  const std::string path = WriteScratchFile(Name("locked"), Title() + Line("A") + "\r\n");
  ASSERT_EQ(::chmod(path.c_str(), 0), 0);
  if (::access(path.c_str(), R_OK) == 0) {
    ::chmod(path.c_str(), 0644);
    GTEST_SKIP() << "permission bits do not stop this user from reading (running as root)";
  }
  OpenOldJournal();
  Open(QString::fromStdString(path));
  ExpectOutcome(QString::fromStdString(path), "File access denied.", 0);
  ::chmod(path.c_str(), 0644);
  ExpectGoodJournalOpens();
}

// The error report of a huge quoted field: a message box lays out its whole text before it
// shows (a megabyte took half a minute), so it shows the message's start and end only.
TEST(BadJournalErrorBox, HugeMessageKeepsItsStartAndEnd) {
  const QString tail = "' is not a valid date and time.";
  const auto shownText = [](const QString& text) {
    QString shown;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      ASSERT_NE(box, nullptr);
      shown = box->text();
      box->done(0);
    });
    ShowErrorBox(nullptr, text);
    return shown;
  };
  const QString huge = "'" + QString(50 << 20, QChar('9')) + tail;
  const QString shown = shownText(huge);
  EXPECT_LE(shown.size(), 4003);
  EXPECT_TRUE(shown.startsWith("'999"));
  EXPECT_TRUE(shown.endsWith("9" + tail));
  EXPECT_TRUE(shown.contains(QChar(0x2026)));
  // An ordinary message is shown whole.
  const QString ordinary = "'" + QString(3000, QChar('7')) + tail;
  EXPECT_EQ(shownText(ordinary), ordinary);
}

INSTANTIATE_TEST_SUITE_P(, BadJournals, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::test
