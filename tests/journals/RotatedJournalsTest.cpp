// Journals as log rotation leaves them: their names keep their kind, and a compressed one is
// read as the text it holds, whatever tool compressed it; one cut short or damaged is refused
// with its name.
#include <gtest/gtest.h>

#include <bzlib.h>
#include <lzma.h>
#include <zlib.h>
#include <zstd.h>

#include "journals/Extension.h"
#include "support/CoreTestSupport.h"
#include "support/GeneratedJournal.h"
#include "support/MemoryFileSystem.h"

namespace vantorel {
namespace {

TEST(RotatedJournals, ANumberADateAndACompressionAfterTheExtensionKeepTheKind) {
  const std::pair<const char*, JournalKind> names[] = {
      {"u/x.alarms", JournalKind::Alarms},         {"x.alarms.1", JournalKind::Alarms},
      {"x.action.12.gz", JournalKind::Action},     {"x.param-20131125", JournalKind::Param},
      {"x.stat-20131125.xz", JournalKind::Stat},   {"x.alarms-20131125-101500.zst", JournalKind::Alarms},
      {"x.param.3.bz2", JournalKind::Param},       {"x.alarms.gz", JournalKind::Alarms},
      {"x.ALARMS.1", JournalKind::None},           {"x.alarms.1x", JournalKind::None},
      {"x.alarms-2013112", JournalKind::None},     {"x.alarms-20131125-1015", JournalKind::None},
      {"x.gz", JournalKind::None},                 {"x.alarms.gz.1", JournalKind::None},
      {"x.alarms.1.2", JournalKind::None},         {"d.alarms/x.1", JournalKind::None},
  };
  for (const auto& [name, kind] : names) EXPECT_EQ(KindOfPath(name), kind) << name;
  EXPECT_EQ(JournalExtensionOf("x.alarms.2.gz"), ".alarms");
  EXPECT_EQ(JournalExtensionOf("x.txt.2.gz"), ".gz");
}

std::string Gzip(std::string_view text) {
  z_stream z{};
  deflateInit2(&z, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&z, text.size()) + 32, '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  z.avail_in = static_cast<uInt>(text.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

std::string Xz(std::string_view text) {
  std::string out(lzma_stream_buffer_bound(text.size()), '\0');
  size_t size = 0;
  lzma_easy_buffer_encode(6, LZMA_CHECK_CRC64, nullptr, reinterpret_cast<const uint8_t*>(text.data()), text.size(),
                          reinterpret_cast<uint8_t*>(out.data()), &size, out.size());
  out.resize(size);
  return out;
}

// As the zstd tool writes a frame: with its checksum.
std::string Zstd(std::string_view text) {
  ZSTD_CCtx* context = ZSTD_createCCtx();
  ZSTD_CCtx_setParameter(context, ZSTD_c_checksumFlag, 1);
  std::string out(ZSTD_compressBound(text.size()), '\0');
  out.resize(ZSTD_compress2(context, out.data(), out.size(), text.data(), text.size()));
  ZSTD_freeCCtx(context);
  return out;
}

std::string Bzip2(std::string_view text) {
  std::string out(text.size() + text.size() / 100 + 600, '\0');
  unsigned size = static_cast<unsigned>(out.size());
  BZ2_bzBuffToBuffCompress(out.data(), &size, const_cast<char*>(text.data()), static_cast<unsigned>(text.size()), 9, 0, 0);
  out.resize(size);
  return out;
}

TEST(RotatedJournals, EachCompressionReadsAsItsTextAndOneCutShortOrDamagedIsRefused) {
  const std::string text = test::GeneratedJournal(JournalKind::Alarms, 3000);
  const std::vector<std::string> fresh = test::Column(test::Parse(JournalKind::Alarms, text), 6);
  const struct {
    const char* suffix;
    std::string (*compress)(std::string_view);
  } formats[] = {{".gz", Gzip}, {".xz", Xz}, {".zst", Zstd}, {".bz2", Bzip2}};
  LoadOptions options;
  options.rules = test::JournalRules();
  options.threads = 2;
  options.minPartBytes = 4096;
  for (const auto& format : formats) {
    // One member, frame or stream as the tools write it, and two one after another, as a tool
    // appending to the file leaves them (gzip's last member then tells a size too small).
    for (const bool two : {false, true}) {
      SCOPED_TRACE(std::string(format.suffix) + (two ? " two" : " one"));
      test::MemoryFileSystem files;
      const size_t half = text.find('\n', text.size() / 2) + 1;
      const std::string compressed =
          two ? format.compress(text.substr(0, half)) + format.compress(text.substr(half)) : format.compress(text);
      const std::string path = std::string("/u/x.alarms.2") + format.suffix;
      files.Write(path, compressed);
      JournalSource source(path, files);
      EXPECT_EQ(test::Column(LoadJournal(source, JournalKind::Alarms, options), 6), fresh);

      const std::string refused = "'x.alarms.2" + std::string(format.suffix) + "' is not a complete compressed file";
      files.Write(path, compressed.substr(0, compressed.size() / 3));
      JournalSource cut(path, files);
      EXPECT_EQ(test::ErrorOf([&] { LoadJournal(cut, JournalKind::Alarms, options); }), refused);
      std::string damaged = compressed;
      for (size_t i = damaged.size() / 4; i < damaged.size() / 4 + 64; ++i) damaged[i] = static_cast<char>(~damaged[i]);
      files.Write(path, damaged);
      JournalSource broken(path, files);
      EXPECT_EQ(test::ErrorOf([&] { LoadJournal(broken, JournalKind::Alarms, options); }), refused);
    }
  }
}

}  // namespace
}  // namespace vantorel
