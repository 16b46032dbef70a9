#pragma once
// The journal the window shows, and its life: the files chosen and their order, the load
// beside the window, reading it again with the view kept, and following it as its unit
// writes it. The window is told by signals what became of it; the session never asks the
// window for anything but through the calls below.
#include <QFileSystemWatcher>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "document/JournalDocument.h"
#include "document/RowNumbers.h"
#include "journals/FollowedJournal.h"
#include "journals/JournalFollower.h"
#include "window/LoadJob.h"

namespace vantorel {

// What a reading of the journal again keeps of its view: the filters as set, the record of
// the top row and the selected records, where those records still show.
struct KeptView {
  FilterState filters;
  std::optional<RecordIndex> top;
  std::vector<RecordIndex> selection;
};

// What the window's controls say of a view the session starts: the filters they hold (the
// lists of a journal opened anew show every value), the date picker's day for a journal of no
// records, and the table's font.
struct ViewStart {
  FilterState filters;
  TDateTime startDate = 0;
  TextMeasure measure;
};

// What following found in the journal since the last look.
using JournalChange = FollowedJournal::Change;

class JournalSession : public QObject {
  Q_OBJECT
 public:
  using Clock = JournalFollower::Clock;

  JournalSession(const DateTimeRules& rules, QObject* parent = nullptr);
  ~JournalSession() override;

  // The loaded journal of each record array: alarms, actions, and parameter changes or
  // statistics. A load replaces only its own; one that failed leaves it without records.
  const JournalDocument& Document(JournalKind kind) const;
  // The kind of the file last chosen (its exact extension's); None for none or any other.
  JournalKind Kind() const { return kind_; }
  // The journal of that kind.
  const JournalDocument& Current() const { return Document(kind_); }
  // The full paths of the open journals: the file chosen, or several in the order of their
  // first records once loaded (until then as chosen).
  const QStringList& Files() const { return files_; }
  // What status panel 0 calls the open journals.
  QString Name() const;
  bool Loading() const { return loading_; }
  JournalKind LoadKind() const { return loadKind_; }

  // Opens the files chosen together: one as the open dialog's choice (any extension; another
  // than a journal's loads nothing), several of one kind as one journal whose records name
  // their journal. Journals of different kinds, or of no known kind, are refused with
  // AppError and nothing changes. Ignored while a load runs.
  void Open(const QStringList& paths, const ViewStart& start);
  // Opens what the command line names or what is dropped on the window: files, and folders,
  // each standing for its journals of the kind of its newest journal.
  void OpenFromOutside(const QStringList& paths, const ViewStart& start);
  // Reads the journal again, keeping `kept`.
  void Refresh(const KeptView& kept, const ViewStart& start);
  // Stops a load under way; its kind is left without records.
  void Cancel();
  // The view the window shows now: its filters decide whether a journal that reaches a new
  // day moves the end day with it.
  void Showing(const FilterState& filters) { showing_ = filters; }
  // Called by the window while it handles Reloading: what the reading about to start keeps.
  void Keep(const KeptView& kept) { kept_ = kept; }

  // The records the operator marked in the current journal; none after a journal is opened
  // anew, the same records after it is read again, moved with them as following takes
  // records in among them.
  const std::shared_ptr<const RecordMarks>& Marks() const { return marks_; }
  void SetMarks(std::shared_ptr<const RecordMarks> marks);

  // While the returned hold lives, the current journal does not change: following waits. A
  // job that reads the journal beside the window keeps one; the window's thread lets it go.
  std::shared_ptr<void> Hold();

  // Following the current journal on or off. The file system's notices of a change are
  // gathered for a short while into one look; a look also comes once a second.
  void SetFollowing(bool on);
  bool Following() const { return poll_->isActive(); }
  // Looks at the files now and tells what became of them.
  void Look();

  // Replaceable for tests: the clock the looks go by.
  std::function<Clock::time_point()> clock = [] { return Clock::now(); };

 signals:
  // A load of `kind` begins: the table takes the kind's columns and lets go of its rows.
  void LoadBegins(JournalKind kind);
  void TitlesRead(const QStringList& titles);
  void LoadStarted(size_t progressMax);
  void LoadProgress(size_t done, size_t total);
  // The load ended with its journal in place. `kept`: a reading again, the view to restore.
  // The window takes the outcome's widths and rows.
  void Loaded(JournalKind kind, LoadOutcome* outcome, const KeptView* kept);
  // The load ended without its journal: `error` in Windows-1251; `tell`: report it (it was
  // not told before); `followed`: the window shows no records until the journal loads.
  void LoadFailed(JournalKind kind, const QByteArray& error, bool tell, bool followed);
  // The current journal's records are about to go: the table lets go of them.
  void ReleaseRows();
  // A reading again is about to start on its own (following found the journal replaced):
  // the window says through Keep what to keep of its view.
  void Reloading();
  // Following changed the current journal's records.
  void Changed(const JournalChange& change);
  // A journal of a date range reached a new last day, and the view's end day was its last.
  void EndDayMoved(TDateTime day);
  // Following could not read what came: the journal shows no records; `error` as LoadFailed.
  void FollowFailed(const QByteArray& error, bool tell);
  // A followed journal has been gone for a while: the following has stopped.
  void Gone(const QString& name);
  // The marks changed (by the operator, or as following moved their records).
  void MarksChanged();

 private:
  std::unique_ptr<JournalDocument>& Slot(JournalKind kind);
  void MakeEmpty(JournalKind kind);
  // Starts the load of the current files beside the window.
  void Load(const ViewStart& start, bool again);
  void Finish(LoadOutcome& outcome);
  void Watch();
  // The journal's sources as a follower takes them.
  void Follow(std::vector<std::unique_ptr<JournalSource>> sources, const std::string& error, bool told);
  void Took();

  DateTimeRules rules_;
  std::unique_ptr<JournalDocument> alarms_;
  std::unique_ptr<JournalDocument> actions_;
  std::unique_ptr<JournalDocument> params_;
  LoadJob* loader_;
  JournalKind kind_ = JournalKind::None;
  QStringList files_;
  JournalKind loadKind_ = JournalKind::None;
  bool loading_ = false;
  // The load under way reads the journal again (asked, or following found it replaced).
  bool again_ = false;
  bool reloadOnItsOwn_ = false;
  ViewStart start_;
  std::optional<KeptView> kept_;
  FilterState showing_;
  // The journal's last day as last shown.
  TDateTime lastDay_ = 0;
  // The files as the last load left them, and their follower while following.
  std::vector<std::unique_ptr<JournalSource>> sources_;
  std::string loadError_;
  std::unique_ptr<JournalFollower> follower_;
  std::unique_ptr<FollowedJournal> reader_;
  std::shared_ptr<const RecordMarks> marks_ = std::make_shared<RecordMarks>();
  // Holds given out and not let go yet.
  int holds_ = 0;
  QFileSystemWatcher* watcher_;
  QTimer* poll_;
  QTimer* settle_;
};

}  // namespace vantorel
