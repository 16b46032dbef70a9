#include "journals/LineReaders.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

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
