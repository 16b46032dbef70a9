#include "window/JournalSession.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <algorithm>

#include "journals/Extension.h"
#include "platform/DisplayText.h"
#include "platform/PickerValues.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Literals.h"

namespace vantorel {
namespace {

constexpr int kPollMs = 1000;
// How long the notices of a unit that writes line by line are gathered into one look.
constexpr int kSettleMs = 200;

std::string Encoded(const QString& path) { return QFile::encodeName(path).toStdString(); }
QString Decoded(const std::string& path) { return QFile::decodeName(QByteArray::fromStdString(path)); }

// The journal's extension, also under a rotation's suffixes.
QString ExtensionText(const QString& path) { return QString::fromStdString(std::string(JournalExtensionOf(Encoded(path)))); }

// What the table's "Журнал" column calls each of several files: its name, led by its folder's
// where another of the files has the same name.
QStringList JournalNames(const QStringList& paths) {
  QHash<QString, int> count;
  QStringList names;
  for (const QString& path : paths) {
    names.append(QFileInfo(path).fileName());
    ++count[names.back()];
  }
  for (qsizetype i = 0; i < paths.size(); ++i) {
    if (count[names[i]] > 1) names[i] = QFileInfo(paths[i]).absoluteDir().dirName() + "/" + names[i];
  }
  return names;
}

// The journals a folder stands for: every file of the extension of its newest journal, by name.
QStringList JournalsOfFolder(const QString& folder) {
  const QDir dir(folder);
  QString extension;
  for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Time)) {
    if (KindOfPath(Encoded(entry.fileName())) != JournalKind::None) {
      extension = ExtensionText(entry.fileName());
      break;
    }
  }
  if (extension.isEmpty()) throw AppError(ToCp1251("В папке нет журналов: " + dir.dirName()));
  QStringList files;
  for (const QFileInfo& entry : dir.entryInfoList(QDir::Files, QDir::Name)) {
    if (ExtensionText(entry.fileName()) == extension) files.append(entry.absoluteFilePath());
  }
  return files;
}

// The days a date picker holds.
bool InPickerRange(TDateTime day) {
  const QDate date = ToQDate(day);
  return date.isValid() && date >= QDate(1752, 9, 14) && date <= QDate(9999, 12, 31);
}

// A reader for a journal that shows no records: following only looks for it to come back.
class NoReader final : public FollowReader {
 public:
  FollowRead Append(size_t, std::string_view) override { return {}; }
  FollowRead NextFile(size_t) override { return {}; }
  void Drop(size_t) override {}
  void Fail(const std::string&) override {}
};

}  // namespace

JournalSession::JournalSession(const DateTimeRules& rules, QObject* parent)
    : QObject(parent),
      rules_(rules),
      alarms_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Alarms, rules.regional))),
      actions_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Action, rules.regional))),
      params_(std::make_unique<JournalDocument>(JournalDocument::Empty(JournalKind::Param, rules.regional))),
      loader_(new LoadJob(this)),
      watcher_(new QFileSystemWatcher(this)),
      poll_(new QTimer(this)),
      settle_(new QTimer(this)) {
  poll_->setInterval(kPollMs);
  settle_->setInterval(kSettleMs);
  settle_->setSingleShot(true);
  connect(poll_, &QTimer::timeout, this, &JournalSession::Look);
  connect(settle_, &QTimer::timeout, this, &JournalSession::Look);
  // The first notice starts the wait for the look; until the look, a unit that writes line
  // by line is not listened to, a thousand notices a second.
  connect(watcher_, &QFileSystemWatcher::fileChanged, this, [this] {
    if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
    if (!settle_->isActive()) settle_->start();
  });
  connect(loader_, &LoadJob::TitlesRead, this, &JournalSession::TitlesRead);
  connect(loader_, &LoadJob::Started, this, &JournalSession::LoadStarted);
  connect(loader_, &LoadJob::Progress, this, &JournalSession::LoadProgress);
  connect(loader_, &LoadJob::Finished, this, &JournalSession::Finish);
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
  if (&*Slot(kind) == &Current()) reader_.reset();
  Slot(kind) = std::make_unique<JournalDocument>(JournalDocument::Empty(kind, rules_.regional));
}

QString JournalSession::Name() const {
  if (files_.size() == 1) return "Открыт файл: " + QFileInfo(files_.first()).fileName();
  if (files_.isEmpty()) return {};
  const QStringList names = JournalNames(files_);
  return QString("Открыто журналов: %1 (%2 … %3)").arg(names.size()).arg(names.first(), names.last());
}

void JournalSession::Open(const QStringList& paths, const ViewStart& start) {
  if (loading_ || paths.isEmpty()) return;
  QStringList files;
  QSet<QString> seen;
  for (const QString& path : paths) {
    const QString file = QFileInfo(path).absoluteFilePath();
    if (!seen.contains(file)) files.append(file);
    seen.insert(file);
  }
  if (files.size() > 1) {
    QStringList extensions;
    for (const QString& file : files) {
      if (!extensions.contains(ExtensionText(file))) extensions.append(ExtensionText(file));
    }
    if (extensions.size() > 1) {
      throw AppError(ToCp1251("Журналы разных видов нельзя открыть вместе: " + extensions.join(", ")));
    }
    if (KindOfPath(Encoded(files.first())) == JournalKind::None) {
      throw AppError(ToCp1251("Файлы неизвестного вида нельзя открыть вместе: " + extensions.first()));
    }
  }
  // A journal opened anew is not followed until asked.
  SetFollowing(false);
  follower_.reset();
  files_ = files;
  kind_ = KindOfPath(Encoded(files_.first()));
  SetMarks(std::make_shared<RecordMarks>());
  if (kind_ == JournalKind::None) return;
  kept_.reset();
  Load(start, false);
}

void JournalSession::OpenFromOutside(const QStringList& paths, const ViewStart& start) {
  QStringList files;
  for (const QString& path : paths) {
    if (QFileInfo(path).isDir()) {
      files += JournalsOfFolder(path);
    } else {
      files.append(path);
    }
  }
  Open(files, start);
}

void JournalSession::Refresh(const KeptView& kept, const ViewStart& start) {
  if (loading_ || kind_ == JournalKind::None) return;
  kept_ = kept;
  Load(start, true);
}

void JournalSession::Load(const ViewStart& start, bool again) {
  start_ = start;
  again_ = again;
  const KindDescription& kind = DescriptionOf(kind_);
  LoadRequest request;
  for (const QString& file : files_) request.paths.push_back(Encoded(file));
  if (files_.size() > 1) {
    for (const QString& name : JournalNames(files_)) request.names.push_back(ToCp1251(name));
  }
  request.kind = kind_;
  request.rules = rules_;
  request.startDate = start.startDate;
  request.measure = start.measure;
  // A followed journal is read to its last line end: a line its unit is writing comes later.
  request.wholeLines = Following();
  if (!again) {
    // A journal opened anew shows every value of its lists: the rows of that view are chosen
    // beside the window, and the view takes them if the filters are still those at its end.
    FilterState first = start.filters;
    for (int l = 0; l < kind.listCount; ++l) first.lists[static_cast<size_t>(l)] = {0, Cp1251Literals().*kind.lists[l].allValues};
    request.firstView = first;
  }
  loadKind_ = kind_;
  emit LoadBegins(kind_);
  // The table has let go of the rows it showed: the kind's records go.
  MakeEmpty(loadKind_);
  loading_ = true;
  loader_->Start(std::move(request));
}

void JournalSession::Cancel() {
  if (!loading_) return;
  loader_->Cancel();
  MakeEmpty(loadKind_);
  loading_ = false;
}

void JournalSession::Finish(LoadOutcome& outcome) {
  loading_ = false;
  const bool onItsOwn = reloadOnItsOwn_;
  reloadOnItsOwn_ = false;
  std::optional<KeptView> kept = std::move(kept_);
  kept_.reset();
  if (outcome.document != nullptr && (outcome.document->Kind().dateRange || outcome.document->Kind().dayRange) &&
      (!InPickerRange(WholeDay(outcome.document->Earliest())) || !InPickerRange(WholeDay(outcome.document->Latest())))) {
    // The window puts the journal's first and last day into its date pickers, which refuse
    // days outside their range.
    outcome.document.reset();
    outcome.error = "Failed to set calendar date or time";
  }
  if (outcome.document == nullptr) {
    MakeEmpty(loadKind_);
    const bool followed = Following() && loadKind_ == kind_;
    // Followed, the journal is read again when its files change; the same failure is not
    // told twice.
    bool tell = true;
    if (follower_ != nullptr && onItsOwn) {
      tell = follower_->Restart(std::move(outcome.sources), outcome.error);
    } else {
      follower_ = std::make_unique<JournalFollower>(loadKind_, rules_, std::move(outcome.sources), outcome.error);
    }
    emit LoadFailed(loadKind_, QByteArray::fromStdString(ReportText(outcome.error)), tell, followed);
    return;
  }
  if (outcome.document->Data().Merged()) {
    files_.clear();
    for (const auto& source : outcome.sources) files_.append(Decoded(source->Path()));
  }
  Slot(loadKind_) = std::move(outcome.document);
  JournalDocument& document = *Slot(loadKind_);
  // Read again, the journal keeps the marks of the records it still holds.
  if (marks_->Count() > 0) marks_ = std::make_shared<RecordMarks>(marks_->Below(document.RecordCount()));
  lastDay_ = WholeDay(document.Latest());
  if (follower_ != nullptr && onItsOwn) {
    follower_->Restart(std::move(outcome.sources), {});
  } else {
    follower_ = std::make_unique<JournalFollower>(loadKind_, rules_, std::move(outcome.sources));
  }
  reader_ = std::make_unique<FollowedJournal>(document.Growing(), rules_);
  if (Following()) Watch();
  emit Loaded(loadKind_, &outcome, kept ? &*kept : nullptr);
}

void JournalSession::SetFollowing(bool on) {
  if (!watcher_->files().isEmpty()) watcher_->removePaths(watcher_->files());
  settle_->stop();
  if (on && kind_ != JournalKind::None && follower_ != nullptr) {
    Watch();
    poll_->start();
  } else {
    poll_->stop();
  }
}

void JournalSession::Watch() {
  if (follower_ == nullptr) return;
  const QStringList watched = watcher_->files();
  for (size_t j = 0; j < follower_->Journals(); ++j) {
    if (CompressionOf(follower_->Path(j)) != Compression::None) continue;
    const QString path = Decoded(follower_->Path(j));
    if (!watched.contains(path) && QFileInfo::exists(path)) watcher_->addPath(path);
  }
}

std::shared_ptr<void> JournalSession::Hold() {
  ++holds_;
  return std::shared_ptr<void>(nullptr, [session = QPointer<JournalSession>(this)](void*) {
    if (session != nullptr) --session->holds_;
  });
}

void JournalSession::Look() {
  if (!Following() || loading_ || holds_ > 0 || follower_ == nullptr || kind_ != loadKind_) return;
  // A file renamed or removed is no longer watched: the one at its name is watched anew.
  Watch();
  NoReader none;
  FollowReader& reader = reader_ != nullptr ? static_cast<FollowReader&>(*reader_) : none;
  const JournalFollower::Outcome look = follower_->Look(clock(), reader);
  switch (look.what) {
    case JournalFollower::Outcome::What::Nothing:
      break;
    case JournalFollower::Outcome::What::Read:
      Took();
      break;
    case JournalFollower::Outcome::What::FreshOpen:
      reloadOnItsOwn_ = true;
      kept_.reset();
      emit Reloading();
      if (!kept_) kept_ = KeptView{showing_, std::nullopt, {}};
      Load(start_, true);
      return;
    case JournalFollower::Outcome::What::Failed:
      emit ReleaseRows();
      MakeEmpty(kind_);
      emit FollowFailed(QByteArray::fromStdString(ReportText(look.error)), !look.error.empty());
      break;
    case JournalFollower::Outcome::What::Gone:
      SetFollowing(false);
      emit Gone(QFileInfo(Decoded(look.path)).fileName());
      return;
  }
  if (look.more) QTimer::singleShot(0, this, &JournalSession::Look);
}

void JournalSession::SetMarks(std::shared_ptr<const RecordMarks> marks) {
  marks_ = std::move(marks);
  emit MarksChanged();
}

void JournalSession::Took() {
  if (reader_ == nullptr) return;
  const JournalChange change = reader_->Take();
  if (!change.Any()) return;
  // What the document keeps of its records, from the first that changed on; and the marks,
  // where their records went.
  JournalDocument& changed = *Slot(kind_);
  const size_t count = changed.RecordCount();
  changed.RecordsChanged(change.moved.empty() ? count - std::min(change.added, count) : change.unchanged);
  if (!change.moved.empty() && marks_->Count() > 0) marks_ = std::make_shared<RecordMarks>(marks_->Moved(change.unchanged, change.moved));
  emit Changed(change);
  // A journal that reached a new day: an end day that was its last day moves with it, and
  // the rows are those of a fresh open; one the operator set stays.
  const JournalDocument& document = Current();
  if ((document.Kind().dateRange || document.Kind().dayRange) && WholeDay(document.Latest()) > lastDay_) {
    const TDateTime was = lastDay_;
    lastDay_ = WholeDay(document.Latest());
    if (WholeDay(showing_.endDate) == was && InPickerRange(lastDay_)) emit EndDayMoved(lastDay_);
  }
}

}  // namespace vantorel
