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

JournalSession::JournalSession(QObject* parent)
    : QObject(parent),
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

JournalSession::~JournalSession() { loader_->Cancel(); }

void JournalSession::Adopt(std::unique_ptr<JournalSource> source) {
  source_ = std::move(source);
  if (Following()) Watch();
}

void JournalSession::SetFollowing(bool on) {
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  settle_->stop();
  if (on && source_ != nullptr) {
    Watch();
    poll_->start();
  } else {
    poll_->stop();
  }
}

void JournalSession::Watch() {
  if (source_ == nullptr || !watcher_->files().isEmpty()) return;
  const QString path = QFile::decodeName(QByteArray::fromStdString(source_->Path()));
  if (QFileInfo::exists(path)) watcher_->addPath(path);
}

void JournalSession::Look() {
  if (!Following() || source_ == nullptr || !mayLook()) return;
  // A file renamed or removed is no longer watched: the one at its name is watched anew.
  Watch();
  std::string added;
  switch (source_->Look(clock(), added)) {
    case SourceChange::Same:
      return;
    case SourceChange::Grew:
      if (onGrew) onGrew(added);
      return;
    case SourceChange::Rotated:
    case SourceChange::Rewritten: {
      // What the old file still held goes with it: the journal is read again whole.
      const bool empty = source_->KnownSize() == 0;
      if (onReplaced) onReplaced(empty);
      return;
    }
    case SourceChange::Gone:
      if (onGone) onGone();
      return;
  }
}

}  // namespace vantorel
