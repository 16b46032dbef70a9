// Operator input while a large journal loads beside the window: none may start a second load
// or show records of a journal being built; filter changes take effect in the view that ends
// the load; closing the window cancels the load and lets go of its records.
#include <functional>

#include "journals/Extension.h"
#include "support/FormFixture.h"

namespace vantorel::test {
namespace {

struct Kind {
  const char* name;
  const char* extension;
  std::string title;
  std::string (*line)(const std::string& stamp, const std::string& mark);
};

const Kind kKinds[] = {
    {"alarms", ".alarms", "Время\tГруппа\tКласс\tУзел\tПорт\tСообщение\tДетали",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tАвария\tдетали";
     }},
    {"action", ".action", "Пользователь\tВремя\tУзел\tАдрес\tИтог\tДействие",
     [](const std::string& stamp, const std::string& mark) {
       return mark + "\t" + stamp + "\tузел\tадрес\tитог\tдействие";
     }},
    {"param", ".param", "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tпараметр\t1\t2";
     }},
    {"stat", ".stat", "Время\tГруппа\tКласс\tУзел\tПорт\tПараметр\tБыло\tСтало",
     [](const std::string& stamp, const std::string& mark) {
       return stamp + "\t" + mark + "\tкласс\tузел\tпорт\tпараметр\t1\t2";
     }},
};

// Records of the large journal; all on one day, record i at second i of the day modulo 24 h.
void PrintTo(const Kind& kind, std::ostream* out) { *out << kind.name; }

constexpr int kLargeRecords = 50000;
constexpr int kSecondsPerDay = 86400;

class LoadInput : public FormTest, public ::testing::WithParamInterface<Kind> {
 protected:
  void SetUp() override {
    FormTest::SetUp();
    form->show();
  }

  std::string Name(const std::string& stem) const { return "input-" + stem + GetParam().extension; }

  std::string Journal(int records, const std::string& mark) const {
    std::string text = W(GetParam().title) + "\r\n";
    text.reserve(static_cast<size_t>(records) * 80);
    const std::string lineMark = W(mark);
    char stamp[32];
    for (int i = 0; i < records; ++i) {
      const int second = i % kSecondsPerDay;
      std::snprintf(stamp, sizeof stamp, "25.11.2013 %02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
      text += GetParam().line(stamp, lineMark + std::to_string(i % 10));
      text += "\r\n";
    }
    return text;
  }

  size_t RecordCount() const {
    switch (KindOfPath(GetParam().extension)) {
      case JournalKind::Alarms: return form->Alarms().size();
      case JournalKind::Action: return form->Actions().size();
      default: return form->Params().size();
    }
  }

  FilterComboBox* MarkList() const {
    switch (KindOfPath(GetParam().extension)) {
      case JournalKind::Alarms: return form->GroupCB;
      case JournalKind::Action: return form->UserCB;
      default: return form->GroupCB2;
    }
  }

  // Opens `path`, a journal of `records` records, and while its load runs beside the window
  // does `duringLoad` a few times, with the number of the call; returns how many calls there
  // were. The calls come before the window handles any report of the load.
  int OpenWhileActing(const QString& path, size_t records, const std::function<void(int)>& duringLoad) {
    nextChoice = path;
    form->Open->trigger();
    int calls = 0;
    while (calls < 5 && form->IsLoading()) {
      ++calls;
      // Nothing of the journal being built is in the table; the kind's records are none
      // until the load has ended, when they are all there.
      EXPECT_TRUE(RecordCount() == 0 || RecordCount() == records) << RecordCount();
      EXPECT_EQ(form->StringGrid->RowCount(), 1);
      EXPECT_FALSE(form->StringGrid->grab().isNull());
      duringLoad(calls);
    }
    WaitForLoad();
    return calls;
  }
};

TEST_P(LoadInput, CommandsAndFilterChangesDuringALoadWaitForItsEnd) {
  // A small journal first, so the table shows rows and the lists hold values when the large
  // one starts.
  const QString small = QString::fromStdString(WriteScratchFile(Name("small"), Journal(3, "S")));
  Open(small);
  ASSERT_EQ(Count(), "Показано строк: 3 из 3");
  MarkList()->setCurrentIndex(1);
  emit MarkList()->UserChanged();
  ASSERT_EQ(Count(), "Показано строк: 1 из 3");

  const QString large = QString::fromStdString(WriteScratchFile(Name("large"), Journal(kLargeRecords, "L")));
  const QString other = QString::fromStdString(WriteScratchFile(Name("other"), Journal(2, "O")));
  panel1History.clear();
  const int calls = OpenWhileActing(large, kLargeRecords, [&](int call) {
    switch (call % 5) {
      case 1:  // A second "Открыть журнал" does not even show the dialog.
        nextChoice = other;
        form->Open->trigger();
        break;
      case 2:  // The time window set now applies to the view that ends the load.
        form->StartTime->setTime(QTime(12, 0, 0));
        break;
      case 3:  // While the old journal's values are listed: the load lists its own anew.
        if (RecordCount() != 0) break;
        MarkList()->setCurrentIndex(MarkList()->count() - 1);
        emit MarkList()->UserChanged();
        break;
      case 4:
        form->ShowOlive->trigger();
        break;
      default:
        form->StartDate->setDate(QDate(2013, 11, 20));
        form->EndTime->setTime(QTime(23, 59, 59));
        break;
    }
  });
  EXPECT_EQ(calls, 5);
  EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  EXPECT_EQ(dialogDirectories.size(), 2);
  EXPECT_EQ(form->CurrentLogFile(), large);
  EXPECT_EQ(form->StatusText(0), "Открыт файл: " + QFileInfo(large).fileName());
  EXPECT_FALSE(form->IsLoading());
  EXPECT_TRUE(form->ProgressBar->isHidden());
  EXPECT_EQ(RecordCount(), static_cast<size_t>(kLargeRecords));
  // The load selects item 0 of its lists again; the time window of 12:00 holds.
  EXPECT_EQ(MarkList()->SelectedIndex(), 0);
  int afterNoon = 0;
  for (int i = 0; i < kLargeRecords; ++i) afterNoon += i % kSecondsPerDay >= kSecondsPerDay / 2 ? 1 : 0;
  EXPECT_EQ(Count().toStdString(), QString("Показано строк: %1 из %2").arg(afterNoon).arg(kLargeRecords).toStdString());
  // No view ran before the one that ends the load.
  EXPECT_EQ(panel1History.filter("Показано строк").size(), 1);

  // The window answers again.
  Open(other);
  EXPECT_EQ(form->CurrentLogFile(), other);
  EXPECT_EQ(RecordCount(), 2u);
  EXPECT_TRUE(errors.isEmpty());
}

TEST_P(LoadInput, ClosingTheWindowEndsTheLoad) {
  const QString large = QString::fromStdString(WriteScratchFile(Name("closing"), Journal(kLargeRecords, "L")));
  // Once by the menu command "Выход", once as the window's own close request.
  const std::function<void()> closers[] = {[&] { form->ExitMenu->trigger(); }, [&] { form->close(); }};
  for (const auto& closeWindow : closers) {
    form->show();
    ASSERT_TRUE(form->isVisible());
    int progressAtClose = -2;
    OpenWhileActing(large, kLargeRecords, [&](int call) {
      if (call != 1) return;
      closeWindow();
      // The load stopped at its cancel flag and let go of its records; then the window closed.
      EXPECT_FALSE(form->isVisible());
      EXPECT_FALSE(form->IsLoading());
      progressAtClose = form->ProgressBar->value();
    });
    ASSERT_NE(progressAtClose, -2) << "the window was not closed during the load";
    // No report of the stopped load arrives afterwards.
    QCoreApplication::processEvents();
    EXPECT_EQ(form->ProgressBar->value(), progressAtClose);
    EXPECT_FALSE(form->isVisible());
    EXPECT_FALSE(form->IsLoading());
    EXPECT_TRUE(form->ProgressBar->isHidden());
    EXPECT_EQ(RecordCount(), 0u);
    EXPECT_TRUE(errors.isEmpty()) << errors.join("\n").toStdString();
  }

  // Shown again, the window loads a journal as usual.
  form->show();
  const QString small = QString::fromStdString(WriteScratchFile(Name("after-close"), Journal(3, "S")));
  Open(small);
  EXPECT_EQ(Count().toStdString(), "Показано строк: 3 из 3");
  EXPECT_TRUE(form->isVisible());
}

INSTANTIATE_TEST_SUITE_P(, LoadInput, ::testing::ValuesIn(kKinds),
                         [](const ::testing::TestParamInfo<Kind>& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantorel::test
