// Workbook cells as a spreadsheet reads them back, and a workbook's file.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>
#include <string>

#include "exchange/CellText.h"
#include "exchange/XlsxWorkbook.h"
#include "support/TestFiles.h"
#include "uStrUtils/Cp1251.h"

namespace vantorel {
namespace {

namespace fs = std::filesystem;

// The text a spreadsheet reads from a cell written as `utf8`: each _xHHHH_ is the character
// HHHH, read from left to right.
std::string ReadBySpreadsheet(const std::string& utf8) {
  std::string text;
  for (size_t i = 0; i < utf8.size(); ++i) {
    if (utf8.compare(i, 2, "_x") == 0 && i + 7 <= utf8.size() && utf8[i + 6] == '_' &&
        utf8.substr(i + 2, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos) {
      // The cells written here escape only underscores.
      text.push_back(static_cast<char>(std::stoul(utf8.substr(i + 2, 4), nullptr, 16)));
      i += 6;
      continue;
    }
    text.push_back(utf8[i]);
  }
  return text;
}

// The places of `cell` where _xHHHH_ begins, each of which a spreadsheet would read as one
// character.
size_t EscapesIn(const std::string& cell) {
  size_t count = 0;
  for (size_t i = 0; i + 7 <= cell.size(); ++i) {
    count += cell.compare(i, 2, "_x") == 0 && cell[i + 6] == '_' &&
             cell.substr(i + 2, 4).find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
  }
  return count;
}

size_t Characters(const std::string& utf8) {
  size_t count = 0;
  for (char c : utf8) count += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  return count;
}

TEST(CellText, ACellReadsBackAsItWasOrCutWithAnEllipsisWithinACellsRoom) {
  std::mt19937 random(32767);
  const std::string pieces[] = {"_", "x", "0", "4", "1", "F", "g", "_x0041_", "_x005F_", "\xDE", "\t"};
  for (int round = 0; round < 400; ++round) {
    std::string cell;
    // Short cells, and long ones about a cell's room.
    const size_t length = round % 4 == 0 ? kCellChars - 20 + random() % 40 : random() % 60;
    while (cell.size() < length) cell += round % 4 == 0 && random() % 3 != 0 ? "a" : pieces[random() % 11];
    std::string written;
    const bool cut = AppendCellText(written, cell);
    ASSERT_LE(Characters(written), kCellChars);
    const std::string read = ReadBySpreadsheet(written);
    const std::string whole = Cp1251ToUtf8(cell);
    if (!cut) {
      ASSERT_EQ(read, whole) << testing::PrintToString(cell.substr(0, 80));
      continue;
    }
    // Cut only where the whole, its underscores escaped, would not fit; then marked.
    ASSERT_GT(Characters(whole) + 6 * EscapesIn(cell), kCellChars) << round;
    ASSERT_EQ(read.substr(read.size() - 3), "\xE2\x80\xA6");
    ASSERT_EQ(whole.compare(0, read.size() - 3, read, 0, read.size() - 3), 0) << round;
  }
  std::string exactly;
  EXPECT_FALSE(AppendCellText(exactly, std::string(kCellChars, 'a')));
  std::string over;
  EXPECT_TRUE(AppendCellText(over, std::string(kCellChars + 1, 'a')));
  EXPECT_EQ(over, std::string(kCellChars - 1, 'a') + "\xE2\x80\xA6");
  std::string literal;
  EXPECT_FALSE(AppendCellText(literal, "_x0041_"));
  EXPECT_EQ(literal, "_x005F_x0041_");
}

TEST(XlsxWorkbook, CountsItsCutCellsAndAKillLeavesNoFileBehind) {
  const std::string path = test::MissingScratchPath("rows.xlsx");
  {
    XlsxWorkbook book(path, {"A", std::string(kCellChars + 5, 'T')}, WorkbookLook{});
    const std::string big(40000, 'x');
    const std::array<std::string_view, 2> cells{big, "_x0041_"};
    book.AppendRow(41603.5, cells.data(), TextTone::Maroon);
    book.AppendRow(41603.6, cells.data(), TextTone::Green);
    EXPECT_EQ(book.CutCells(), 3u);
    book.Close();
  }
  EXPECT_TRUE(fs::is_regular_file(path));

  const std::string killed = test::MissingScratchPath("killed.xlsx");
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    XlsxWorkbook book(killed, {"A"}, WorkbookLook{});
    const std::array<std::string_view, 1> cell{"row"};
    for (int row = 0; row < 100000; ++row) book.AppendRow(41603.5, cell.data(), TextTone::Olive);
    ::raise(SIGKILL);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_TRUE(WIFSIGNALED(status));
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(fs::path(killed).parent_path())) left.push_back(entry.path().filename());
  EXPECT_EQ(left, std::vector<std::string>{"rows.xlsx"});
}

}  // namespace
}  // namespace vantorel
