#include "window/JournalSession.h"

#include <QFile>
#include <QFileInfo>
#include <string>

namespace vantorel {
namespace {

constexpr int kPollMs = 1000;
// How long the notices of a unit that writes line by line are gathered into one look.
constexpr int kSettleMs = 200;

}  // namespace

JournalSession::JournalSession(const DateTimeRules& rules, QObject* parent)
    : QObject(parent),
      rules_(rules),
      alarms_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Alarms, rules.regional))),
      actions_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Action, rules.regional))),
      params_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Param, rules.regional))),
      loader_(new LoadThread(this)),
      watcher_(new QFileSystemWatcher(this)),
      poll_(new QTimer(this)),
      settle_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  settle_->setInterval(kSettleMs);
  settle_->setSingleShot(true);
  connect(poll_, &QTimer::timeout, this, &JournalSession::Look);
  connect(settle_, &QTimer::timeout, this, &JournalSession::Look);
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
    if (!settle_->isActive()) settle_->start();
  });
}

// The load thread must not outlive the documents it reads nothing of but ends beside.
JournalSession::~JournalSession() { loader_->Cancel(); }

std::unique_ptr<JournalDocument>& JournalSession::Slot(JournalKind kind) {
  switch (DescriptionOf(kind).array) {
    case RecordArray::Alarms: return alarms_;
    case RecordArray::Actions: return actions_;
    case RecordArray::Params:
    case RecordArray::None: break;
  }
  return params_;
}

const JournalDocument& JournalSession::Document(JournalKind kind) const {
  return *const_cast<JournalSession*>(this)->Slot(kind);
}

void JournalSession::MakeEmpty(JournalKind kind) {
  Slot(kind) = std::make_unique<JournalDocument>(JournalDocument::Empty(kind, rules_.regional));
}

void JournalSession::Load(LoadRequest request) {
  loadKind_ = request.kind;
  MakeEmpty(loadKind_);
  loading_ = true;
  loader_->Start(std::move(request));
}

void JournalSession::Finish(LoadOutcome& outcome) {
  loading_ = false;
  sources_ = std::move(outcome.sources);
  if (Following()) Watch();
  awaiting_ = outcome.document == nullptr;
  if (outcome.document == nullptr) {
    MakeEmpty(loadKind_);
    return;
  }
  Slot(loadKind_) = std::move(outcome.document);
}

void JournalSession::Cancel() {
  if (!loading_) return;
  loader_->Cancel();
  MakeEmpty(loadKind_);
  loading_ = false;
}

void JournalSession::SetFollowing(bool on, JournalKind kind) {
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  settle_->stop();
  followed_ = kind;
  if (on && !sources_.empty() && kind != JournalKind::None) {
    Watch();
    poll_->start();
  } else {
    poll_->stop();
  }
}

void JournalSession::Watch() {
  const QStringList watched = watcher_->files();
  for (const std::unique_ptr<JournalSource>& source : sources_) {
    const QString path = QFile::decodeName(QByteArray::fromStdString(source->Path()));
    if (!watched.contains(path) && QFileInfo::exists(path)) watcher_->addPath(path);
  }
}

void JournalSession::Look() {
  if (!Following() || sources_.empty() || loading_ || !mayLook()) return;
  // A file renamed or removed is no longer watched: the one at its name is watched anew.
  Watch();
  if (sources_.size() > 1) {
    LookAtSet();
    return;
  }
  JournalSource& source = *sources_.front();
  std::string added;
  switch (source.Look(clock(), added)) {
    case SourceChange::Same:
      return;
    case SourceChange::Grew: {
      if (awaiting_) {
        if (onReplaced) onReplaced();
        return;
      }
      JournalDocument& document = *Slot(followed_);
      const size_t before = document.RecordCount();
      const Growth growth = document.Grow(added, rules_);
      if (growth.reload) {
        if (onReplaced) onReplaced();
        return;
      }
      if (onGrew) onGrew(before, growth);
      return;
    }
    case SourceChange::Rotated:
    case SourceChange::Rewritten:
      // What the old file still held goes with it: the journal is read again whole, once
      // the unit has written to the file at the name.
      if (source.KnownSize() > 0) {
        if (onReplaced) onReplaced();
        return;
      }
      awaiting_ = true;
      if (onEmptied) onEmptied();
      return;
    case SourceChange::Gone:
      if (onGone) onGone(source.Path());
      return;
  }
}

void JournalSession::LookAtSet() {
  std::vector<std::string> added(sources_.size());
  std::vector<MemberBytes> grown;
  bool replaced = false;
  for (size_t j = 0; j < sources_.size(); ++j) {
    JournalSource& source = *sources_[j];
    switch (source.Look(clock(), added[j])) {
      case SourceChange::Same:
        break;
      case SourceChange::Gone:
        if (onGone) onGone(source.Path());
        return;
      case SourceChange::Grew:
        grown.push_back({j, added[j]});
        break;
      case SourceChange::Rotated:
      case SourceChange::Rewritten:
        replaced = true;
        break;
    }
  }
  if (!replaced && grown.empty()) return;
  JournalDocument& document = *Slot(followed_);
  // The sources stand in the order of the merged journals only after a load that did not fail.
  if (replaced || awaiting_ || document.Data().journalNames.size() != sources_.size()) {
    if (onReplaced) onReplaced();
    return;
  }
  const size_t before = document.RecordCount();
  const Growth growth = document.GrowMembers(grown, rules_);
  // New rows that go among those shown, or a change of a row read: the set is read again.
  if (growth.reload) {
    if (onReplaced) onReplaced();
    return;
  }
  if (onGrew) onGrew(before, growth);
}

}  // namespace vantorel
