#include "journals/JournalSource.h"

#include <cerrno>
#include <cstring>
#include <string_view>

#include "journals/Decompression.h"
#include "journals/Extension.h"
#include "uStrUtils/AppError.h"
#include "uStrUtils/Cp1251.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// How many of the first and of the last bytes read are kept to recognise the file by.
constexpr size_t kKept = 4096;

[[noreturn]] void Fail(const std::string& path, int err, ReadErrorStyle style) {
  if (style == ReadErrorStyle::TextFile) throw AppError(InOutErrorMessage(InOutCodeOfErrno(err)));
  throw AppError("Cannot open file \"" + NameText(path) + "\". " + Utf8ToCp1251(std::strerror(err)));
}

[[noreturn]] void NotComplete(const std::string& path) {
  throw AppError("'" + Utf8ToCp1251(std::string(FileNameOf(path))) + "' is not a complete compressed file");
}

[[noreturn]] void NotRegular(const std::string& path) {
  throw AppError("'" + NameText(FileNameOf(path)) + "' is not a regular file");
}

bool ReadAt(const ReadableFile& file, uint64_t offset, size_t size, std::string& out) {
  out.resize(size);
  size_t done = 0;
  int error = 0;
  while (done < size) {
    const long got = file.ReadAt(offset + done, out.data() + done, size - done, error);
    if (got <= 0) return false;
    done += static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

int InOutCodeOfErrno(int err) {
  switch (err) {
    case ENOENT:
    case ENOTDIR:
      return 2;
    case ENAMETOOLONG:
    case EINVAL:
      return 3;
    case EMFILE:
    case ENFILE:
      return 4;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS:
      return 5;
    case ENOSPC:
      return 101;
    default:
      return err;
  }
}

std::string InOutErrorMessage(int code) {
  switch (code) {
    case 2:
      return "File not found";
    case 3:
      return "Invalid filename";
    case 4:
      return "Too many open files";
    case 5:
      return "File access denied";
    case 100:
      return "Read beyond end of file";
    case 101:
      return "Disk full";
    case 106:
      return "Invalid numeric input";
    default:
      return "I/O error " + std::to_string(code);
  }
}

void JournalSource::Forget() {
  offset_ = 0;
  head_.clear();
  tail_.clear();
}

void JournalSource::Open(ReadErrorStyle style) {
  file_.reset();
  Forget();
  style_ = style;
  int error = 0;
  file_ = files_->Open(path_, error);
  if (error == FileSystem::kNotRegular) NotRegular(path_);
  if (file_ == nullptr) Fail(path_, error, style);
  file_ = Decompressing(std::move(file_), CompressionOf(path_));
  opened_ = FileStatus();
  file_->Status(opened_);
  size_ = opened_.size;
}

size_t JournalSource::Read(char* into, size_t size) {
  if (limit_ != kNoLimit) size = static_cast<size_t>(std::min<uint64_t>(size, limit_ > offset_ ? limit_ - offset_ : 0));
  if (size == 0) return 0;
  int error = 0;
  const long got = file_->Read(into, size, error);
  if (got < 0 && error == FileSystem::kNotComplete) NotComplete(path_);
  if (got < 0) Fail(path_, error, style_);
  const auto n = static_cast<size_t>(got);
  const std::string_view bytes(into, n);
  if (head_.size() < kKept) head_.append(bytes.substr(0, kKept - head_.size()));
  if (n >= kKept) {
    tail_.assign(bytes.substr(n - kKept));
  } else {
    tail_.append(bytes);
    if (tail_.size() > kKept) tail_.erase(0, tail_.size() - kKept);
  }
  offset_ += n;
  return n;
}

std::string JournalSource::Peek(size_t size, uint64_t offset) const {
  std::string bytes(size, '\0');
  size_t done = 0;
  int error = 0;
  while (file_ != nullptr && done < size) {
    const long got = file_->ReadAt(offset + done, bytes.data() + done, size - done, error);
    if (got <= 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return bytes;
}

void JournalSource::Rewind() {
  Forget();
  if (file_ != nullptr) file_->Seek(0);
}

void JournalSource::SkipTo(uint64_t offset) {
  Forget();
  offset_ = offset;
  if (file_ != nullptr) file_->Seek(offset);
}

void JournalSource::CheckUnchanged() const {
  FileStatus now;
  if (file_ == nullptr || !file_->Status(now)) return;
  // A compressed file's size is a guess of its text's until it is read: its time tells alone.
  const bool compressed = Compressed();
  if (now.modifiedNs == opened_.modifiedNs && (compressed || now.size == size_)) return;
  // Written to while it was read: fine when it only grew after what was read.
  if (!compressed && now.size >= offset_ && StillAsRead()) return;
  throw AppError("'" + NameText(FileNameOf(path_)) + "' changed while it was read");
}

bool JournalSource::Look(FileStatus& out) {
  if (file_ == nullptr || !file_->Status(out)) return false;
  size_ = out.size;
  return true;
}

bool JournalSource::HoldsWhatWasRead(const JournalSource& other) const {
  if (other.file_ == nullptr) return false;
  std::string now;
  if (!ReadAt(*other.file_, 0, head_.size(), now) || now != head_) return false;
  return ReadAt(*other.file_, offset_ - tail_.size(), tail_.size(), now) && now == tail_;
}

bool JournalSource::StillAsRead() const { return HoldsWhatWasRead(*this); }

}  // namespace vantorel
