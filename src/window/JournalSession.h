#pragma once
// A journal's life on the window's side: its load beside the window, the file the load read,
// and the following of that file. A look at the file tells what became of it since the last
// one: lines appended, the file rotated or rewritten (read again), or gone.
#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string_view>

#include "journals/JournalSource.h"
#include "window/LoadThread.h"

namespace vantorel {

class JournalSession : public QObject {
  Q_OBJECT
 public:
  explicit JournalSession(QObject* parent = nullptr);
  ~JournalSession() override;

  LoadThread& Loader() { return *loader_; }
  // The file a load read, open where the load stopped: following goes on from there.
  void Adopt(std::unique_ptr<JournalSource> source);
  // Following on or off. The file system's notices of a change are gathered for a short
  // while into one look; a look also comes once a second.
  void SetFollowing(bool on);
  bool Following() const { return poll_->isActive(); }
  // Looks at the file now and tells what became of it through the handlers below.
  void Look();

  // Replaceable for tests: the clock the looks go by.
  std::function<JournalSource::Clock::time_point()> clock = [] { return JournalSource::Clock::now(); };
  // Whether a look may run now; a look that may not waits for the next notice or second.
  std::function<bool()> mayLook = [] { return true; };
  // Bytes were appended to the file.
  std::function<void(std::string_view added)> onGrew;
  // The name now holds another journal, or the journal was rewritten: it is read again.
  // `empty`: the file holds nothing yet.
  std::function<void(bool empty)> onReplaced;
  // No file at the name for JournalSource::kGoneAfter.
  std::function<void()> onGone;

 private:
  void Watch();

  LoadThread* loader_;
  std::unique_ptr<JournalSource> source_;
  QFileSystemWatcher* watcher_;
  QTimer* poll_;
  QTimer* settle_;
};

}  // namespace vantorel
