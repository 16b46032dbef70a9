#include "journals/Decompression.h"

#include <bzlib.h>
#include <libdeflate.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "journals/LargeBlock.h"

namespace vantorel {
namespace {

constexpr size_t kInputPiece = size_t{256} << 10;
// How much larger than its compressed bytes a text is taken to be when its format does not say.
constexpr uint64_t kGuessedRatio = 8;
// A gzip file larger than this is read as a stream: its compressed bytes are not held at once.
constexpr uint64_t kWholeInputMost = uint64_t{1} << 30;

// One format's decoder: it turns input into output until its data ends.
class Decoder {
 public:
  virtual ~Decoder() = default;
  enum class Step { More, Ended, Broken };
  // Decodes from `in` into `out`, moving both on; Ended once a member, frame or stream is
  // whole and the input holds no more of it.
  virtual Step Decode(const char*& in, size_t& inSize, char*& out, size_t& outSize) = 0;
  // A new member, frame or stream follows the one that ended.
  virtual void Again() = 0;
};

class GzipDecoder final : public Decoder {
 public:
  GzipDecoder() { inflateInit2(&z_, 15 + 32); }
  ~GzipDecoder() override { inflateEnd(&z_); }
  Step Decode(const char*& in, size_t& inSize, char*& out, size_t& outSize) override {
    z_.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in));
    z_.avail_in = static_cast<uInt>(std::min<size_t>(inSize, UINT32_MAX));
    z_.next_out = reinterpret_cast<Bytef*>(out);
    z_.avail_out = static_cast<uInt>(std::min<size_t>(outSize, UINT32_MAX));
    const uInt inBefore = z_.avail_in, outBefore = z_.avail_out;
    const int result = inflate(&z_, Z_NO_FLUSH);
    Move(in, inSize, out, outSize, inBefore - z_.avail_in, outBefore - z_.avail_out);
    if (result == Z_STREAM_END) return Step::Ended;
    if (result == Z_OK || result == Z_BUF_ERROR) return Step::More;
    return Step::Broken;
  }
  void Again() override { inflateReset(&z_); }

  static void Move(const char*& in, size_t& inSize, char*& out, size_t& outSize, size_t used, size_t made) {
    in += used;
    inSize -= used;
    out += made;
    outSize -= made;
  }

 private:
  z_stream z_{};
};

class XzDecoder final : public Decoder {
 public:
  XzDecoder() { ready_ = lzma_stream_decoder(&s_, UINT64_MAX, LZMA_CONCATENATED) == LZMA_OK; }
  ~XzDecoder() override { lzma_end(&s_); }
  Step Decode(const char*& in, size_t& inSize, char*& out, size_t& outSize) override {
    if (!ready_) return Step::Broken;
    s_.next_in = reinterpret_cast<const uint8_t*>(in);
    s_.avail_in = inSize;
    s_.next_out = reinterpret_cast<uint8_t*>(out);
    s_.avail_out = outSize;
    // Without more input the stream must end here: concatenated streams are told apart so.
    const lzma_ret result = lzma_code(&s_, inSize == 0 ? LZMA_FINISH : LZMA_RUN);
    GzipDecoder::Move(in, inSize, out, outSize, inSize - s_.avail_in, outSize - s_.avail_out);
    if (result == LZMA_STREAM_END) return Step::Ended;
    if (result == LZMA_OK || result == LZMA_BUF_ERROR) return Step::More;
    return Step::Broken;
  }
  void Again() override {}

 private:
  lzma_stream s_ = LZMA_STREAM_INIT;
  bool ready_ = false;
};

class ZstdDecoder final : public Decoder {
 public:
  ZstdDecoder() : context_(ZSTD_createDStream()) { ZSTD_initDStream(context_); }
  ~ZstdDecoder() override { ZSTD_freeDStream(context_); }
  Step Decode(const char*& in, size_t& inSize, char*& out, size_t& outSize) override {
    ZSTD_inBuffer input{in, inSize, 0};
    ZSTD_outBuffer output{out, outSize, 0};
    const size_t result = ZSTD_decompressStream(context_, &output, &input);
    GzipDecoder::Move(in, inSize, out, outSize, input.pos, output.pos);
    if (ZSTD_isError(result)) return Step::Broken;
    // 0: a frame is whole; the next one, if any, goes on with the same context.
    return result == 0 ? Step::Ended : Step::More;
  }
  void Again() override {}

 private:
  ZSTD_DStream* context_;
};

class Bzip2Decoder final : public Decoder {
 public:
  Bzip2Decoder() { BZ2_bzDecompressInit(&s_, 0, 0); }
  ~Bzip2Decoder() override { BZ2_bzDecompressEnd(&s_); }
  Step Decode(const char*& in, size_t& inSize, char*& out, size_t& outSize) override {
    s_.next_in = const_cast<char*>(in);
    s_.avail_in = static_cast<unsigned>(std::min<size_t>(inSize, UINT32_MAX));
    s_.next_out = out;
    s_.avail_out = static_cast<unsigned>(std::min<size_t>(outSize, UINT32_MAX));
    const unsigned inBefore = s_.avail_in, outBefore = s_.avail_out;
    const int result = BZ2_bzDecompress(&s_);
    GzipDecoder::Move(in, inSize, out, outSize, inBefore - s_.avail_in, outBefore - s_.avail_out);
    if (result == BZ_STREAM_END) return Step::Ended;
    if (result == BZ_OK) return Step::More;
    return Step::Broken;
  }
  void Again() override {
    BZ2_bzDecompressEnd(&s_);
    s_ = bz_stream{};
    BZ2_bzDecompressInit(&s_, 0, 0);
  }

 private:
  bz_stream s_{};
};

std::unique_ptr<Decoder> DecoderOf(Compression compression) {
  switch (compression) {
    case Compression::Gzip: return std::make_unique<GzipDecoder>();
    case Compression::Xz: return std::make_unique<XzDecoder>();
    case Compression::Zstd: return std::make_unique<ZstdDecoder>();
    case Compression::Bzip2: return std::make_unique<Bzip2Decoder>();
    case Compression::None: break;
  }
  return nullptr;
}

class DecompressingFile final : public ReadableFile {
 public:
  DecompressingFile(std::unique_ptr<ReadableFile> file, Compression compression)
      : file_(std::move(file)), compression_(compression), decoder_(DecoderOf(compression)) {
    input_.resize(kInputPiece);
  }

  bool ReadsWhole() const override { return compression_ == Compression::Gzip; }

  long Read(char* into, size_t size, int& error) override {
    if (!started_) {
      started_ = true;
      if (ReadsWhole()) {
        const long whole = WholeGzip(into, size);
        if (whole >= 0) return whole;
      }
    }
    char* out = into;
    size_t room = size;
    while (room > 0 && !done_) {
      if (held_ == 0 && !inputEnded_) {
        const long got = file_->Read(input_.data(), input_.size(), error);
        if (got < 0) return -1;
        if (got == 0) inputEnded_ = true;
        pos_ = 0;
        held_ = static_cast<size_t>(got);
      }
      const char* in = input_.data() + pos_;
      size_t inSize = held_;
      char* before = out;
      const Decoder::Step step = decoder_->Decode(in, inSize, out, room);
      pos_ += held_ - inSize;
      held_ = inSize;
      if (step == Decoder::Step::Broken) return Broken(error);
      if (step == Decoder::Step::Ended) {
        if (held_ == 0 && !MoreInput(error)) {
          done_ = true;
          break;
        }
        decoder_->Again();
        continue;
      }
      if (inputEnded_ && held_ == 0 && out == before) {
        // The input is all read and the decoder gives nothing more: the data ended short.
        if (out == into) return Broken(error);
        break;
      }
    }
    made_ += static_cast<uint64_t>(out - into);
    return static_cast<long>(out - into);
  }
  long ReadAt(uint64_t, char*, size_t, int& error) const override {
    error = ESPIPE;
    return -1;
  }
  void Seek(uint64_t offset) override {
    // Only a rewind to the start is asked of a file that does not grow.
    if (offset != 0) return;
    file_->Seek(0);
    decoder_ = DecoderOf(compression_);
    pos_ = held_ = 0;
    inputEnded_ = done_ = started_ = false;
    made_ = 0;
  }
  bool Status(FileStatus& out) const override {
    if (!file_->Status(out)) return false;
    out.size = std::max<uint64_t>(made_, ExpectedSize(out.size));
    return true;
  }

 private:
  long Broken(int& error) {
    error = FileSystem::kNotComplete;
    return -1;
  }
  // The whole text into `into` at once when it fits there, through libdeflate; its members
  // one after another. -1 when it does not fit or libdeflate refuses it: reading starts again
  // as a stream, which tells a damaged file from one libdeflate does not take (zlib also takes
  // a zlib stream under a gzip name).
  long WholeGzip(char* into, size_t size) {
    FileStatus status;
    if (!file_->Status(status) || status.size > kWholeInputMost || size < ExpectedSize(status.size)) return -1;
    // Its own mapping, given back whole at the end: not memory the allocator keeps.
    LargeBlock inputBlock(status.size + 1);
    char* const input = inputBlock.data();
    size_t held = 0;
    int error = 0;
    for (;;) {
      const long got = file_->Read(input + held, status.size + 1 - held, error);
      if (got < 0) return Restart();
      if (got == 0) break;
      held += static_cast<size_t>(got);
      // The file grew after its status was taken.
      if (held > status.size) return Restart();
    }
    std::unique_ptr<libdeflate_decompressor, void (*)(libdeflate_decompressor*)> decompressor(
        libdeflate_alloc_decompressor(), libdeflate_free_decompressor);
    if (decompressor == nullptr) return Restart();
    size_t used = 0, made = 0;
    do {
      size_t memberIn = 0, memberOut = 0;
      if (libdeflate_gzip_decompress_ex(decompressor.get(), input + used, held - used, into + made, size - made,
                                        &memberIn, &memberOut) != LIBDEFLATE_SUCCESS) {
        return Restart();
      }
      used += memberIn;
      made += memberOut;
    } while (used < held);
    done_ = true;
    made_ = made;
    return static_cast<long>(made);
  }
  long Restart() {
    Seek(0);
    started_ = true;
    return -1;
  }
  // Whether bytes follow the member, frame or stream that ended.
  bool MoreInput(int& error) {
    if (inputEnded_) return false;
    const long got = file_->Read(input_.data(), input_.size(), error);
    if (got <= 0) {
      inputEnded_ = true;
      return false;
    }
    pos_ = 0;
    held_ = static_cast<size_t>(got);
    return true;
  }
  // The text's size as the compressed file tells it: gzip's last four bytes (the size modulo
  // 2^32 of its last member), zstd's first frame's header; a guess otherwise.
  uint64_t ExpectedSize(uint64_t compressed) const {
    const uint64_t guess = compressed * kGuessedRatio;
    int error = 0;
    if (compression_ == Compression::Gzip && compressed >= 18) {
      unsigned char tail[4];
      if (file_->ReadAt(compressed - 4, reinterpret_cast<char*>(tail), 4, error) == 4) {
        const uint64_t size = tail[0] | (tail[1] << 8) | (tail[2] << 16) | (uint64_t{tail[3]} << 24);
        if (size >= compressed / 2) return size;
      }
    }
    if (compression_ == Compression::Zstd) {
      // The longest frame header zstd writes.
      char head[18];
      const long got = file_->ReadAt(0, head, sizeof head, error);
      if (got > 0) {
        const unsigned long long size = ZSTD_getFrameContentSize(head, static_cast<size_t>(got));
        if (size != ZSTD_CONTENTSIZE_UNKNOWN && size != ZSTD_CONTENTSIZE_ERROR) return size;
      }
    }
    return guess;
  }

  std::unique_ptr<ReadableFile> file_;
  Compression compression_;
  std::unique_ptr<Decoder> decoder_;
  std::vector<char> input_;
  size_t pos_ = 0;
  size_t held_ = 0;
  bool inputEnded_ = false;
  bool done_ = false;
  bool started_ = false;
  uint64_t made_ = 0;
};

}  // namespace

std::unique_ptr<ReadableFile> Decompressing(std::unique_ptr<ReadableFile> file, Compression compression) {
  if (compression == Compression::None) return file;
  return std::make_unique<DecompressingFile>(std::move(file), compression);
}

}  // namespace vantorel
