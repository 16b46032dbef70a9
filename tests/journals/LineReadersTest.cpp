#include "journals/LineReaders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <filesystem>
#include <ostream>
#include <random>
#include <utility>

#include "journals/FileBytes.h"
#include "support/CoreTestSupport.h"
#include "support/TestFiles.h"

namespace vantorel {
namespace {

using Lines = std::vector<std::string>;
using namespace std::string_literals;

Lines WholeLines(std::string_view bytes) {
  Lines out;
  WholeFileLines lines(bytes);
  std::string_view line;
  while (lines.Next(line)) out.emplace_back(line);
  EXPECT_EQ(WholeFileLines::Count(bytes), out.size());
  return out;
}

Lines TextLinesOf(std::string bytes) {
  Lines out;
  TextLines lines(bytes.data(), bytes.size());
  std::string_view line;
  while (lines.Next(line)) {
    // Lines are read in place: every one lies inside the buffer.
    EXPECT_TRUE(line.empty() || (line.data() >= bytes.data() && line.data() + line.size() <= bytes.data() + bytes.size()));
    out.emplace_back(line);
  }
  return out;
}

TEST(WholeFileLines, EveryKindOfLineEnd) {
  EXPECT_EQ(WholeLines("a\r\nb\nc\rd"), (Lines{"a", "b", "c", "d"}));
  // LF CR is two line ends with an empty line between; so is CR CR.
  EXPECT_EQ(WholeLines("a\n\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(WholeLines("a\r\rb"), (Lines{"a", "", "b"}));
  EXPECT_EQ(WholeLines("a\r\n\r\nb"), (Lines{"a", "", "b"}));
}

TEST(WholeFileLines, WhereTheTextEnds) {
  EXPECT_EQ(WholeLines("a\r\nb\r\n"), (Lines{"a", "b"}));
  EXPECT_EQ(WholeLines("a\nb\n\n"), (Lines{"a", "b", ""}));
  EXPECT_EQ(WholeLines("a\r"), (Lines{"a"}));
  EXPECT_EQ(WholeLines("a\nlast"), (Lines{"a", "last"}));
  EXPECT_EQ(WholeLines(""), Lines{});
  EXPECT_EQ(WholeLines("\r\n"), Lines{""});
  // A NUL byte ends the text, in the middle of a line too.
  EXPECT_EQ(WholeLines("a\nb\0c\nd"s), (Lines{"a", "b"}));
  // Ctrl-Z is an ordinary byte here.
  EXPECT_EQ(WholeLines("a\x1A" "b\nc"), (Lines{"a\x1A" "b", "c"}));
}

TEST(WholeFileLines, MixedLineEndsOneAfterAnother) {
  EXPECT_EQ(WholeLines("a\rb\r\nc\nd\n\re\r\rf\r\n\ng"), (Lines{"a", "b", "c", "d", "", "e", "", "f", "", "g"}));
  EXPECT_EQ(WholeLines("first\n" + std::string(1000, 'x') + "\rlast"), (Lines{"first", std::string(1000, 'x'), "last"}));
}

TEST(TextLines, LineFeedEndsALineAndOtherCarriageReturnsAreDropped) {
  EXPECT_EQ(TextLinesOf("a\nb\r\nc"), (Lines{"a", "b", "c"}));
  EXPECT_EQ(TextLinesOf("a\rb\r\rc\r\nd\n"), (Lines{"abc", "d"}));
  EXPECT_EQ(TextLinesOf("a\n\nb\n"), (Lines{"a", "", "b"}));
  EXPECT_EQ(TextLinesOf("only"), Lines{"only"});
  EXPECT_EQ(TextLinesOf(""), Lines{});
  // A NUL byte is text here.
  EXPECT_EQ(TextLinesOf("a\0b\n"s), Lines{"a\0b"s});
}

TEST(TextLines, CtrlZEndsTheFile) {
  EXPECT_EQ(TextLinesOf("a\nb\x1A" "c\nd\n"), (Lines{"a", "b"}));
  EXPECT_EQ(TextLinesOf("\x1A" "a\n"), Lines{});
}

// The lines of `bytes` found byte by byte: whole-file lines end at LF, CR LF or a lone CR,
// and a NUL ends the text; text lines end at LF, drop every other CR, and a Ctrl-Z ends the
// text.
Lines ByteByByte(std::string_view bytes, bool wholeFile) {
  Lines out;
  std::string line;
  bool open = false;
  for (size_t i = 0; i < bytes.size(); ++i) {
    const char c = bytes[i];
    if (c == (wholeFile ? '\0' : '\x1A')) break;
    if (c == '\n' || (wholeFile && c == '\r')) {
      out.push_back(line);
      line.clear();
      open = false;
      if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    } else if (c != '\r') {
      line += c;
      open = true;
    } else {
      open = true;
    }
  }
  if (open) out.push_back(line);
  return out;
}

TEST(LineReaders, LongLinesWithTheirEndsAnywhereReadAsByteByByte) {
  // Lines longer than the widest register the readers look through, their ends and stops at
  // every offset.
  std::mt19937 random(32);
  const char alphabet[] = {'a', 'b', '\t', '\xE0', '\n', '\r', '\0', '\x1A'};
  for (int round = 0; round < 400; ++round) {
    std::string bytes(random() % 300, 'a');
    const unsigned ends = 1 + random() % 40;
    for (char& c : bytes) c = alphabet[random() % 8 < 4 || random() % ends != 0 ? random() % 4 : 4 + random() % 4];
    EXPECT_EQ(WholeLines(bytes), ByteByByte(bytes, true)) << round;
    EXPECT_EQ(TextLinesOf(bytes), ByteByByte(bytes, false)) << round;
  }
}

TEST(WholeFileLines, CutTellsALineThatRunsToTheEndOfTheBytes) {
  // Over the first bytes of a buffer: the reader of a journal that is read piece by piece.
  const std::string buffer = "ab\r\ncd\ne\rf";
  // Each line with whether it was cut.
  using Steps = std::vector<std::pair<std::string, bool>>;
  auto steps = [&buffer](size_t end) {
    Steps out;
    WholeFileLines lines(buffer.data(), buffer.data() + end);
    std::string_view line;
    while (lines.Next(line)) {
      EXPECT_FALSE(lines.AtNul());
      out.emplace_back(line, lines.Cut());
    }
    EXPECT_FALSE(lines.Cut());
    EXPECT_EQ(lines.Position(), buffer.data() + end);
    return out;
  };
  EXPECT_EQ(steps(buffer.size()), (Steps{{"ab", false}, {"cd", false}, {"e", false}, {"f", true}}));
  // A CR as the last byte may be the first half of CR LF.
  EXPECT_EQ(steps(3), (Steps{{"ab", true}}));
  EXPECT_EQ(steps(2), (Steps{{"ab", true}}));
  EXPECT_EQ(steps(4), (Steps{{"ab", false}}));
  EXPECT_EQ(steps(7), (Steps{{"ab", false}, {"cd", false}}));
  EXPECT_EQ(steps(8), (Steps{{"ab", false}, {"cd", false}, {"e", true}}));
  EXPECT_EQ(steps(9), (Steps{{"ab", false}, {"cd", false}, {"e", true}}));
  EXPECT_EQ(steps(0), Steps{});

  // A NUL ends the text without cutting the line before it.
  const std::string nul = "ab\0cd"s;
  WholeFileLines lines(nul);
  std::string_view line;
  ASSERT_TRUE(lines.Next(line));
  EXPECT_EQ(line, "ab");
  EXPECT_FALSE(lines.Cut());
  EXPECT_TRUE(lines.AtNul());
  EXPECT_FALSE(lines.Next(line));
}

// What the two readers make of `bytes`: whole-file lines and where their text ends, text
// lines and where theirs ends.
struct ReaderCounts {
  size_t wholeLines = 0, wholeEnd = 0, textLines = 0, textEnd = 0;
  bool operator==(const ReaderCounts&) const = default;
};

ReaderCounts CountsOfReaders(std::string_view bytes) {
  ReaderCounts counts;
  WholeFileLines whole(bytes);
  std::string_view line;
  while (whole.Next(line)) ++counts.wholeLines;
  counts.wholeEnd = std::min(bytes.find('\0'), bytes.size());
  std::string copy(bytes);
  TextLines text(copy.data(), copy.size());
  while (text.Next(line)) ++counts.textLines;
  counts.textEnd = std::min(bytes.find('\x1A'), bytes.size());
  return counts;
}

std::ostream& operator<<(std::ostream& out, const ReaderCounts& c) {
  return out << "{whole " << c.wholeLines << " to " << c.wholeEnd << ", text " << c.textLines << " to " << c.textEnd
             << "}";
}

// Feeds `bytes` in pieces ending at `cuts` (ascending), then the rest. Right after each line
// feed a piece ends at, the counts so far must be those of the readers over the bytes before it.
ReaderCounts CountInPieces(std::string_view bytes, const std::vector<size_t>& cuts) {
  LineCounter counter;
  size_t from = 0;
  for (size_t cut : cuts) {
    counter.Feed(bytes.data(), from, cut);
    if (cut > 0 && bytes[cut - 1] == '\n') {
      const ReaderCounts before = CountsOfReaders(bytes.substr(0, cut));
      if (before.wholeEnd == cut) {
        EXPECT_EQ(counter.WholeEndsSoFar(), before.wholeLines) << "cut at " << cut;
      }
      if (before.textEnd == cut) {
        EXPECT_EQ(counter.LineFeedsSoFar(), before.textLines) << "cut at " << cut;
      }
    }
    from = cut;
  }
  counter.Feed(bytes.data(), from, bytes.size());
  counter.Finish(bytes.size());
  return {counter.WholeLines(), counter.WholeTextEnd(), counter.TextLineCount(), counter.TextEnd()};
}

TEST(LineCounter, PiecesCutAnywhereCountAsTheReadersRead) {
  const std::vector<std::string> texts{
      "a\r\nb\r\n",
      "a\r\rb\n\rc\r",
      "\r\n",
      "\r",
      "\n\n",
      "ab\r\0cd\r\nef"s,
      "ab\0\r\n\x1A"s,
      "a\nb\x1A\r\nc\n\0d",
      "a\r\x1A\nb"s,
      "\x1A\0"s,
      "x\n\ny\r",
      // Longer than a vector register, with the awkward bytes around its edges.
      "0123456789abcde\r\n0123456789abcd\r\r\n\x1A\n0123456789abcdef\0\n"s,
  };
  for (const std::string& text : texts) {
    const ReaderCounts expected = CountsOfReaders(text);
    EXPECT_EQ(CountInPieces(text, {}), expected) << testing::PrintToString(text);
    // Every place of one cut and every pair of cuts, empty pieces included.
    for (size_t a = 0; a <= text.size(); ++a) {
      for (size_t b = a; b <= text.size(); ++b) {
        EXPECT_EQ(CountInPieces(text, {a, a, b}), expected) << testing::PrintToString(text) << " cut at " << a << ", " << b;
      }
    }
    // One byte at a time.
    std::vector<size_t> everyByte;
    for (size_t i = 1; i < text.size(); ++i) everyByte.push_back(i);
    EXPECT_EQ(CountInPieces(text, everyByte), expected) << testing::PrintToString(text);
  }

  // Thousands of line ends past the counters' blocks of 255 vector registers, cut at random.
  std::string mixed;
  uint32_t state = 12345;
  auto next = [&state] { return (state = state * 1103515245u + 12345u) >> 16; };
  for (int i = 0; i < 12000; ++i) {
    const uint32_t r = next() % 8;
    mixed += r == 0 ? '\r' : r == 1 ? '\n' : 'a';
  }
  for (const std::string& text : {mixed, mixed + '\x1A' + mixed, mixed + '\0' + mixed + '\x1A' + mixed}) {
    const ReaderCounts expected = CountsOfReaders(text);
    for (int round = 0; round < 20; ++round) {
      std::vector<size_t> cuts;
      for (size_t at = next() % 300; at < text.size(); at += 1 + next() % 5000) cuts.push_back(at);
      EXPECT_EQ(CountInPieces(text, cuts), expected) << "round " << round;
    }
  }
}

TEST(FirstTextLine, ReadsByTheTextRules) {
  EXPECT_EQ(FirstTextLine("A\tB\r\nx\n"), "A\tB");
  EXPECT_EQ(FirstTextLine("A\tB"), "A\tB");
  // A lone CR does not end the title line as it ends a whole-file line.
  EXPECT_EQ(FirstTextLine("T1\rT2\nx"), "T1T2");
  EXPECT_EQ(FirstTextLine("A\x1A" "B\nC"), "A");
  EXPECT_EQ(FirstTextLine("\nA"), "");
  EXPECT_EQ(FirstTextLine(""), "");
  const std::string bytes = "x\ry\n";
  FirstTextLine(bytes);
  EXPECT_EQ(bytes, "x\ry\n");
}

TEST(ReadFileBytes, ReadsEveryByte) {
  const std::string content = "A\tB\r\n\0\x1A\xC0\xFF"s;
  const std::string path = test::WriteScratchFile("read_bytes.bin", content);
  EXPECT_EQ(ReadFileBytes(path, ReadErrorStyle::TextFile).View(), content);
  const std::string empty = test::WriteScratchFile("read_empty.bin", "");
  EXPECT_EQ(ReadFileBytes(empty, ReadErrorStyle::WholeFile).size, 0u);
}

TEST(ReadFileBytes, TextFileStyleErrors) {
  const std::string missing = test::MissingScratchPath("no_such_journal.alarms");
  EXPECT_EQ(test::ErrorOf([&] { ReadFileBytes(missing, ReadErrorStyle::TextFile); }), "File not found");
  const std::string folder = test::MissingScratchPath("journal_folder.alarms");
  std::filesystem::create_directories(folder);
  EXPECT_EQ(test::ErrorOf([&] { ReadFileBytes(folder, ReadErrorStyle::TextFile); }), "File access denied");
}

TEST(ReadFileBytes, WholeFileStyleNamesThePathAndTheSystemText) {
  const std::string missing = test::MissingScratchPath("no_such_journal.param");
  const std::string message = test::ErrorOf([&] { ReadFileBytes(missing, ReadErrorStyle::WholeFile); });
  const std::string prefix = "Cannot open file \"" + missing + "\". ";
  ASSERT_GT(message.size(), prefix.size());
  EXPECT_EQ(message.substr(0, prefix.size()), prefix);
}

TEST(InOutErrorMessage, MessagesByCode) {
  EXPECT_EQ(InOutErrorMessage(2), "File not found");
  EXPECT_EQ(InOutErrorMessage(3), "Invalid filename");
  EXPECT_EQ(InOutErrorMessage(4), "Too many open files");
  EXPECT_EQ(InOutErrorMessage(5), "File access denied");
  EXPECT_EQ(InOutErrorMessage(100), "Read beyond end of file");
  EXPECT_EQ(InOutErrorMessage(101), "Disk full");
  EXPECT_EQ(InOutErrorMessage(106), "Invalid numeric input");
  EXPECT_EQ(InOutErrorMessage(42), "I/O error 42");

  EXPECT_EQ(InOutCodeOfErrno(ENOENT), 2);
  EXPECT_EQ(InOutCodeOfErrno(EACCES), 5);
  EXPECT_EQ(InOutCodeOfErrno(EISDIR), 5);
}

}  // namespace
}  // namespace vantorel
