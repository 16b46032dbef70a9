#pragma once
// A journal's life on the window's side: the loaded journal of each record array, its load
// beside the window, the file the load read, and the following of that file. A look at the
// file tells what became of it since the last one: lines appended (added to the journal),
// the file rotated or rewritten (read again, or no records while it is empty), or gone.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "datetime/RegionalSettings.h"
#include "document/JournalDocument.h"
#include "journals/JournalSource.h"
#include "window/LoadThread.h"

namespace vantorel {

class JournalSession : public QObject {
  Q_OBJECT
 public:
  JournalSession(const DateTimeRules& rules, QObject* parent = nullptr);
  ~JournalSession() override;

  LoadThread& Loader() { return *loader_; }
  // The loaded journal of each record array: alarms, actions, and parameter changes or
  // statistics. A load replaces only its own; one that failed leaves it without records.
  const JournalDocument& Document(JournalKind kind) const;
  // The records of `kind` become none.
  void MakeEmpty(JournalKind kind);

  // Starts the load of `request` beside the window; the kind's records are none until it
  // ends. The window's table must have let go of them first.
  void Load(LoadRequest request);
  bool Loading() const { return loading_; }
  JournalKind LoadKind() const { return loadKind_; }
  // The load's end, from the loader's report: its document takes the kind's place (none when
  // it failed), and its files are followed on from where the load stopped.
  void Finish(LoadOutcome& outcome);
  // Stops a load under way; its kind is left without records.
  void Cancel();

  // Following the journal of `kind` on or off. The file system's notices of a change are
  // gathered for a short while into one look; a look also comes once a second. Of several
  // journals read as one, every file is followed: what they gained is added when it comes
  // after every record there is, and any other change reads them all again.
  void SetFollowing(bool on, JournalKind kind = JournalKind::None);
  bool Following() const { return poll_->isActive(); }
  // The followed file held no journal at its last look or reading: the next change reads it.
  bool AwaitingJournal() const { return awaiting_; }
  // Looks at the file now and tells what became of it through the handlers below.
  void Look();

  // Replaceable for tests: the clock the looks go by.
  std::function<JournalSource::Clock::time_point()> clock = [] { return JournalSource::Clock::now(); };
  // Whether a look may run now; a look that may not waits for the next notice or second.
  std::function<bool()> mayLook = [] { return true; };
  // Records were added to the followed journal from record `before` on, or its growth found
  // a bad record or a change that needs a new reading (see Growth).
  std::function<void(size_t before, const Growth& growth)> onGrew;
  // The name now holds another journal, or the journal was rewritten: it is to be read again.
  std::function<void()> onReplaced;
  // The file at the name holds nothing yet: the followed kind has no records until it does.
  std::function<void()> onEmptied;
  // No file at `path` for JournalSource::kGoneAfter.
  std::function<void(const std::string& path)> onGone;

 private:
  std::unique_ptr<JournalDocument>& Slot(JournalKind kind);
  void Watch();
  // A look at several journals read as one.
  void LookAtSet();

  DateTimeRules rules_;
  std::unique_ptr<JournalDocument> alarms_;
  std::unique_ptr<JournalDocument> actions_;
  std::unique_ptr<JournalDocument> params_;
  LoadThread* loader_;
  JournalKind loadKind_ = JournalKind::None;
  bool loading_ = false;
  std::vector<std::unique_ptr<JournalSource>> sources_;
  JournalKind followed_ = JournalKind::None;
  bool awaiting_ = false;
  QFileSystemWatcher* watcher_;
  QTimer* poll_;
  QTimer* settle_;
};

}  // namespace vantorel
