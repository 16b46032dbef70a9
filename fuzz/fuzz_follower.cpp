// The follower's state machine fed arbitrary steps: the input's bytes are what a unit and its
// log rotation do to one to three journals on a file system in memory (append bytes taken
// from the input, a rename with a new file, copytruncate, a cut, a rewrite, a removal, a clock
// step), with a look after each. Whatever happens, the followed journal stays whole: each
// change the reader tells takes its old records to their new places, a merged journal keeps
// its order by moment, journal and line, and every list item a record holds is in its list.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "FuzzSupport.h"
#include "journals/FollowedJournal.h"
#include "journals/JournalFollower.h"
#include "journals/JournalLoad.h"
#include "journals/JournalSetLoad.h"
#include "support/MemoryFileSystem.h"

using namespace vantorel;

namespace {

constexpr JournalKind kKinds[] = {JournalKind::Alarms, JournalKind::Action, JournalKind::Param};

class Input {
 public:
  Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
  bool Empty() const { return at_ >= size_; }
  uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }
  std::string_view Bytes(size_t most) {
    const size_t n = std::min(most, size_ - std::min(at_, size_));
    const std::string_view bytes(reinterpret_cast<const char*>(data_) + at_, n);
    at_ += n;
    return bytes;
  }

 private:
  const uint8_t* data_;
  size_t size_;
  size_t at_ = 0;
};

struct Harness {
  JournalKind kind;
  DateTimeRules rules = fuzz::SettingsNumber(1, 2026);
  test::MemoryFileSystem files;
  std::vector<std::string> paths;
  Journal journal;
  FollowedJournal reader{journal, rules};
  std::unique_ptr<JournalFollower> follower;
  std::vector<std::string> rows;
  bool failed = false;

  std::vector<std::string> Rows() const {
    std::vector<std::string> out;
    for (size_t i = 0; i < journal.size(); ++i) out.emplace_back(journal.Line(i));
    return out;
  }

  void Open() {
    std::vector<std::unique_ptr<JournalSource>> sources;
    std::vector<std::string> names;
    for (const std::string& path : paths) {
      auto source = std::make_unique<JournalSource>(path, files);
      try {
        source->Open();
        source->LimitTo(JournalFollower::WholeLinesEnd(*source, kind));
      } catch (const AppError&) {
      }
      sources.push_back(std::move(source));
      names.push_back(path.substr(3));
    }
    LoadOptions options;
    options.rules = rules;
    options.threads = 1;
    std::string error;
    journal = Journal();
    try {
      if (sources.size() == 1) {
        journal = LoadJournal(*sources.front(), kind, options);
      } else {
        SetSize size;
        journal = LoadJournalSet(sources, names, kind, options, size);
      }
    } catch (const AppError& e) {
      error = e.Message();
      journal = Journal();
    }
    failed = !error.empty();
    if (follower == nullptr) {
      follower = std::make_unique<JournalFollower>(kind, rules, std::move(sources), error);
    } else {
      follower->Restart(std::move(sources), error);
    }
    reader.Take();
    rows = Rows();
  }

  // What the reader says changed takes the rows before the look to those after it.
  void Check() {
    const FollowedJournal::Change change = reader.Take();
    const std::vector<std::string> now = Rows();
    if (!change.failed && !failed) {
      size_t kept = 0;
      for (size_t i = 0; i < rows.size(); ++i) {
        if (i < change.unchanged) {
          FUZZ_CHECK(i < now.size() && now[i] == rows[i]);
          ++kept;
          continue;
        }
        FUZZ_CHECK(!change.moved.empty());
        const uint32_t to = change.moved[i - change.unchanged];
        if (to == kGoneRecord) continue;
        FUZZ_CHECK(to < now.size() && now[to] == rows[i]);
        ++kept;
      }
      FUZZ_CHECK(now.size() == kept + change.added);
    }
    const KindDescription& description = DescriptionOf(kind);
    for (size_t i = 0; i < journal.size(); ++i) {
      for (int l = 0; l < description.listCount; ++l) {
        FUZZ_CHECK(journal.records.items[static_cast<size_t>(l)][i] < journal.List(l).size());
      }
      if (journal.Merged() && i > 0) {
        const TDateTime a = journal.records.times[i - 1], b = journal.records.times[i];
        const uint16_t ja = journal.journalOf[i - 1], jb = journal.journalOf[i];
        FUZZ_CHECK(a < b || (a == b && (ja < jb || (ja == jb && journal.records.lines[i - 1].offset < journal.records.lines[i].offset))) ||
                   journal.journalEarliest[ja] >= kNoMoment || journal.journalEarliest[jb] >= kNoMoment);
      }
    }
    rows = now;
  }

  void Look(JournalFollower::Clock::time_point now) {
    for (int again = 0; again < 64; ++again) {
      const JournalFollower::Outcome out = follower->Look(now, reader);
      using What = JournalFollower::Outcome::What;
      if (out.what == What::FreshOpen) {
        Open();
        continue;
      }
      if (out.what == What::Failed) {
        failed = true;
        journal = Journal();
        rows.clear();
        reader.Take();
      }
      Check();
      if (!out.more) return;
    }
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Input input(data, size);
  Harness harness;
  harness.kind = kKinds[input.Byte() % 3];
  const size_t journals = 1 + input.Byte() % 3;
  std::vector<uint64_t> writing;
  for (size_t j = 0; j < journals; ++j) {
    harness.paths.push_back("/u/m" + std::to_string(j) + std::string(DescriptionOf(harness.kind).extension));
    writing.push_back(harness.files.Create(harness.paths.back()));
    harness.files.Append(writing.back(), input.Bytes(input.Byte()));
  }
  harness.Open();
  JournalFollower::Clock::time_point now{};
  int rotations = 0;
  while (!input.Empty()) {
    const uint8_t step = input.Byte();
    const size_t j = (step >> 4) % journals;
    const std::string& path = harness.paths[j];
    switch (step % 9) {
      case 0:
      case 1:
      case 2:
        harness.files.Append(writing[j], input.Bytes(1 + input.Byte() % 96));
        break;
      case 3:  // renamed, a new file at the name; the unit writes on to the old one for now
        harness.files.Rename(path, path + "." + std::to_string(++rotations));
        harness.files.Create(path);
        break;
      case 4:  // the unit turns to the file at the name
        writing[j] = harness.files.Create(path);
        break;
      case 5:  // copytruncate
        if (const uint64_t file = harness.files.FileAt(path)) {
          harness.files.Write(path + "." + std::to_string(++rotations), harness.files.Bytes(file));
          harness.files.Truncate(path, 0);
        }
        break;
      case 6:
        harness.files.Truncate(path, input.Byte());
        break;
      case 7:
        harness.files.Remove(path);
        break;
      default:
        harness.files.Write(path, input.Bytes(input.Byte()));
        writing[j] = harness.files.FileAt(path);
        break;
    }
    now += std::chrono::milliseconds(50 * (1 + input.Byte() % 40));
    harness.Look(now);
  }
  return 0;
}
