// A journal the unit goes on writing, through the window: read again with F5, or followed
// as it grows, shrinks, is replaced or goes away. What the window then shows equals a fresh
// open of the file as it stands.
#include <cstdio>
#include <fstream>

#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

struct Kind {
  const char* name;
  const char* extension;
  std::string title;
  std::string (*line)(int i);
};

std::string Stamp(int i) {
  char text[32];
  std::snprintf(text, sizeof text, "%02d.11.2013 %02d:%02d:00", 25 + i % 3, 8 + i % 12, i % 60);
  return text;
}

const Kind kKinds[] = {
    {"alarms", ".alarms", "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали",
     [](int i) { return Stamp(i) + "\tГ" + std::to_string(i % 5) + "\tк\tузел\tпорт\t" + (i % 4 ? "Авария" : "Норма") + "\tд"; }},
    {"action", ".action", "Пользователь\tВремя\tУзел\tАдрес\tИтог\tДействие",
     [](int i) { return "П" + std::to_string(i % 5) + "\t" + Stamp(i) + "\tузел\tадрес\tитог\tдействие"; }},
    {"param", ".param", "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](int i) { return Stamp(i) + "\tГ" + std::to_string(i % 5) + "\tк\tузел\tпорт\tпараметр\t1\t2"; }},
    {"stat", ".stat", "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](int i) { return Stamp(i) + "\tГ" + std::to_string(i % 5) + "\tк\tузел\tпорт\tпараметр\t1\t2"; }},
};

void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

// Everything the table and the lists show.
struct Shown {
  QStringList cells;
  QStringList lists;
  QString count;
  bool operator==(const Shown&) const = default;
};

Shown ShownBy(TCorvanelForm& form) {
  Shown shown;
  for (int row = 0; row < form.StringGrid->RowCount(); ++row) {
    for (int column = 0; column < form.StringGrid->ColumnCount(); ++column) shown.cells.append(form.StringGrid->Cell(column, row));
  }
  for (FilterComboBox* list : form.ListsOf(KindOfPath(form.CurrentLogFile().toStdString()))) {
    if (list == nullptr) continue;
    for (int i = 0; i < list->count(); ++i) shown.lists.append(list->itemText(i));
    shown.lists.append(list->currentText());
  }
  shown.count = form.StatusText(1);
  return shown;
}

class Follow : public FormTest, public ::testing::WithParamInterface<Kind> {
 protected:
  std::string Lines(int from, int to) const {
    std::string text;
    for (int i = from; i < to; ++i) text += W(GetParam().line(i)) + "\r\n";
    return text;
  }
  std::string Journal(int records) const { return W(GetParam().title) + "\r\n" + Lines(0, records); }
  void Append(const std::string& bytes) const { std::ofstream(path_, std::ios::app | std::ios::binary) << bytes; }

  // What a new window shows when it opens the file as it stands, with the same filters set.
  Shown Fresh(const std::function<void(TCorvanelForm&)>& setFilters = {}) {
    TCorvanelForm fresh(JournalRules());
    fresh.showErrorReport = [](const QString& text) { ADD_FAILURE() << text.toStdString(); };
    fresh.OpenFile(QString::fromStdString(path_));
    while (fresh.IsLoading()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    if (setFilters) setFilters(fresh);
    return ShownBy(fresh);
  }

  void OpenFollowed(int records) {
    path_ = WriteScratchFile(std::string("followed") + GetParam().extension, Journal(records));
    Open(QString::fromStdString(path_));
    ASSERT_FALSE(form->FollowFile->isChecked());
    form->FollowFile->trigger();
    ASSERT_TRUE(form->FollowFile->isChecked());
  }

  // What the window does when the file system tells of a change, or its second comes; the
  // looks and readings that follow from it run to their end.
  void Check() {
    form->Guarded([this] { form->FollowCheck(); });
    for (int i = 0; i < 5; ++i) {
      QCoreApplication::processEvents();
      WaitForLoad();
    }
  }

  std::string path_;
};

TEST_P(Follow, GrowthInLinesAndPiecesShowsWhatAFreshOpenShows) {
  OpenFollowed(4);
  Append(Lines(4, 9));
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  // A line in pieces: until its line end comes it is not shown. Its CR ends it where lines
  // end at a CR too, as in a fresh open; the LF after it belongs to that line end.
  const std::string next = Lines(9, 10);
  Append(next.substr(0, 12));
  Check();
  EXPECT_EQ(Count().toStdString(), "Показано строк: 9 из 9");
  Append(next.substr(12, next.size() - 13));
  Check();
  if (DescriptionOf(KindOfPath(GetParam().extension)).lines == LineRule::WholeFile) {
    EXPECT_EQ(ShownBy(*form), Fresh());
  } else {
    EXPECT_EQ(Count().toStdString(), "Показано строк: 9 из 9");
  }
  Append(next.substr(next.size() - 1) + Lines(10, 12));
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();

  // A value list keeps its selection while it grows.
  FilterComboBox* list = form->ListsOf(KindOfPath(GetParam().extension))[0];
  list->setCurrentIndex(2);
  emit list->UserChanged();
  const QString chosen = list->currentText();
  Append(Lines(12, 20));
  Check();
  EXPECT_EQ(list->currentText(), chosen);
  EXPECT_EQ(ShownBy(*form), Fresh([&](TCorvanelForm& fresh) {
    FilterComboBox* same = fresh.ListsOf(KindOfPath(GetParam().extension))[0];
    same->setCurrentIndex(same->findText(chosen));
    emit same->UserChanged();
  }));
}

TEST_P(Follow, ShrunkReplacedOrGoneAndABadRecord) {
  OpenFollowed(6);
  // Rewritten shorter: read again whole.
  WriteScratchFile(std::string("followed") + GetParam().extension, Journal(3));
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  // Replaced under its name by another journal of the same length.
  const std::string other = WriteScratchFile(std::string("other") + GetParam().extension, W(GetParam().title) + "\r\n" + Lines(30, 33));
  ASSERT_EQ(std::rename(other.c_str(), path_.c_str()), 0);
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  EXPECT_TRUE(form->FollowFile->isChecked());

  // A bad record: reported once; the window shows what a fresh open shows, and follows on.
  const bool action = KindOfPath(GetParam().extension) == JournalKind::Action;
  Append(Lines(40, 42) + W(action ? "u\tвчера\r\n" : "вчера\tГ\r\n") + Lines(42, 44));
  Check();
  ASSERT_EQ(errors.size(), 1);
  EXPECT_EQ(errors[0], "'вчера' is not a valid date and time.");
  EXPECT_TRUE(form->FollowFile->isChecked());
  EXPECT_EQ(Count().toStdString(), "Показано строк: 0 из 0");
  Append(Lines(44, 46));
  Check();
  EXPECT_EQ(errors.size(), 1);

  // Gone for a while: the following stops, the table stays. A shorter gap is a rotation's.
  JournalSession::Clock::time_point now{};
  form->Session().clock = [&now] { return now; };
  const Shown before = ShownBy(*form);
  std::remove(path_.c_str());
  Check();
  EXPECT_TRUE(form->FollowFile->isChecked());
  now += JournalFollower::kGoneAfter;
  Check();
  EXPECT_FALSE(form->FollowFile->isChecked());
  EXPECT_EQ(form->StatusText(0), "Файл удалён: " + QString("followed") + GetParam().extension);
  EXPECT_EQ(ShownBy(*form), before);
}

TEST_P(Follow, AFailedOrEmptiedJournalIsToldOnceAndFollowedOn) {
  OpenFollowed(4);
  // Emptied: every part of the window says there is nothing.
  WriteScratchFile(std::string("followed") + GetParam().extension, "");
  Check();
  EXPECT_EQ(Count().toStdString(), "Показано строк: 0 из 0");
  EXPECT_EQ(form->StringGrid->RowCount(), 1);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  // Written again, then replaced by a journal with a bad record: one report, however often
  // the window looks, and the window agrees with itself.
  Append(Journal(3));
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  const bool action = KindOfPath(GetParam().extension) == JournalKind::Action;
  const std::string bad = W(GetParam().title) + "\r\n" + W(action ? "u\tвчера\r\n" : "вчера\tГ\r\n");
  const std::string other = WriteScratchFile(std::string("bad") + GetParam().extension, bad);
  ASSERT_EQ(std::rename(other.c_str(), path_.c_str()), 0);
  for (int look = 0; look < 3; ++look) Check();
  EXPECT_EQ(errors.size(), 1);
  EXPECT_EQ(form->StatusText(0), "'вчера' is not a valid date and time.");
  EXPECT_EQ(Count().toStdString(), "Показано строк: 0 из 0");
  EXPECT_TRUE(form->FollowFile->isChecked());
  // A valid journal at the name again: it loads.
  WriteScratchFile(std::string("followed") + GetParam().extension, Journal(5));
  Check();
  EXPECT_EQ(ShownBy(*form), Fresh());
  EXPECT_EQ(errors.size(), 1);
}

TEST_P(Follow, WhileTheErrorBoxIsOpenAGoodJournalPutBackLoadsAndTheStatusSaysSo) {
  OpenFollowed(3);
  const bool action = KindOfPath(GetParam().extension) == JournalKind::Action;
  const std::string bad = WriteScratchFile(std::string("bad") + GetParam().extension,
                                           W(GetParam().title) + "\r\n" + W(action ? "u\tвчера\r\n" : "вчера\tГ\r\n"));
  ASSERT_EQ(std::rename(bad.c_str(), path_.c_str()), 0);
  // The box stays open while the unit puts a good journal back: the window follows on under it.
  QString countUnderTheBox;
  form->showErrorReport = [&](const QString& text) {
    errors.append(text);
    WriteScratchFile(std::string("followed") + GetParam().extension, Journal(4));
    QElapsedTimer open;
    open.start();
    while (open.elapsed() < 10000 && Count() != "Показано строк: 4 из 4") {
      form->FollowCheck();
      QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    countUnderTheBox = Count();
  };
  Check();
  EXPECT_EQ(errors.size(), 1);
  EXPECT_EQ(countUnderTheBox, "Показано строк: 4 из 4");
  EXPECT_EQ(form->StatusText(0), "Открыт файл: followed" + QString(GetParam().extension));
  EXPECT_EQ(ShownBy(*form), Fresh());
}

TEST_P(Follow, RefreshKeepsTheFiltersTheTopRowAndTheSelection) {
  path_ = WriteScratchFile(std::string("refreshed") + GetParam().extension, Journal(40));
  Open(QString::fromStdString(path_));
  const JournalKind kind = KindOfPath(GetParam().extension);
  FilterComboBox* list = form->ListsOf(kind)[0];
  list->setCurrentIndex(list->findText("Г3") >= 0 ? list->findText("Г3") : list->findText("П3"));
  emit list->UserChanged();
  form->StartTime->setTime(QTime(9, 0, 0));
  const QDate startDay = form->StartDate->date().addDays(1);
  form->StartDate->setDate(startDay);
  form->StringGrid->selectRow(1);
  const std::vector<RecordIndex> selected = form->StringGrid->SelectedRecords();
  ASSERT_EQ(selected.size(), 1u);
  Append(Lines(40, 50));
  form->Refresh->trigger();
  WaitForLoad();
  EXPECT_EQ(list->currentText(), list->findText("Г3") >= 0 ? "Г3" : "П3");
  EXPECT_EQ(form->StartTime->time(), QTime(9, 0, 0));
  EXPECT_EQ(form->StartDate->date(), startDay);
  EXPECT_EQ(form->StringGrid->SelectedRecords(), selected);
  EXPECT_EQ(form->Actions().size() + form->Alarms().size() + form->Params().size(), 50u);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
}

TEST_P(Follow, AParameterJournalsEndDayMovesWithItsLastDayUnlessSet) {
  if (!DescriptionOf(KindOfPath(GetParam().extension)).dateRange) GTEST_SKIP() << "no date range";
  auto day = [](int d, int hour) { return W(std::to_string(d) + ".11.2013 " + std::to_string(hour) + ":00:00\tГ\r\n"); };
  path_ = WriteScratchFile("days.param", W(GetParam().title) + "\r\n" + day(25, 10) + day(26, 9) + day(26, 15));
  Open(QString::fromStdString(path_));
  form->FollowFile->trigger();
  form->EndTime->setTime(QTime(12, 0, 0));
  Append(day(27, 8));
  Check();
  EXPECT_EQ(form->EndDate->date(), QDate(2013, 11, 27));
  EXPECT_EQ(ShownBy(*form), Fresh([](TCorvanelForm& fresh) { fresh.EndTime->setTime(QTime(12, 0, 0)); }));
  form->EndDate->setDate(QDate(2013, 11, 26));
  Append(day(28, 8));
  Check();
  EXPECT_EQ(form->EndDate->date(), QDate(2013, 11, 26));
}

TEST_P(Follow, RefreshKeepsTheTopRowAndTypedText) {
  path_ = WriteScratchFile(std::string("top") + GetParam().extension, Journal(300));
  Open(QString::fromStdString(path_));
  form->resize(800, 600);
  form->show();
  QCoreApplication::processEvents();
  form->StringGrid->ScrollToRow(ShownRow{119});
  QCoreApplication::processEvents();
  const std::optional<RecordIndex> top = form->StringGrid->Model().RecordOf(*form->StringGrid->TopRow());
  ASSERT_TRUE(top && top->value > 100);
  form->Refresh->trigger();
  WaitForLoad();
  QCoreApplication::processEvents();
  EXPECT_EQ(form->StringGrid->Model().RecordOf(*form->StringGrid->TopRow()), top);
  // A typed text no record holds selects the records whose field is empty, before and after.
  FilterComboBox* typed = form->ListsOf(KindOfPath(GetParam().extension))[0];
  typed->setEditText("нет такого");
  emit typed->UserChanged();
  form->Refresh->trigger();
  WaitForLoad();
  EXPECT_EQ(typed->currentText(), "нет такого");
  EXPECT_EQ(Count().toStdString(), "Показано строк: 0 из 300");
}

INSTANTIATE_TEST_SUITE_P(, Follow, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::test
