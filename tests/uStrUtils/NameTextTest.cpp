// A file's name as the programs show it, and a journal's value quoted in a message.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "uStrUtils/Cp1251.h"
#include "uStrUtils/MessageValue.h"
#include "uStrUtils/NameText.h"

namespace vantorel {
namespace {

// Appends the UTF-8 form of code point `cp`.
void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else if (cp < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

// The bytes a shown name stands for, read back by its escapes: what a person reading the
// text can tell the file by.
std::string ReadBack(const std::string& shown) {
  std::string bytes;
  for (size_t i = 0; i < shown.size(); ++i) {
    if (shown[i] != '\\') {
      AppendUtf8(bytes, Cp1251CodePoint(static_cast<unsigned char>(shown[i])));
      continue;
    }
    const char kind = shown.at(i + 1);
    if (kind == '\\') {
      bytes.push_back('\\');
      ++i;
      continue;
    }
    const size_t digits = kind == 'x' ? 2 : kind == 'u' ? 4 : 8;
    const auto value = static_cast<char32_t>(std::stoul(shown.substr(i + 2, digits), nullptr, 16));
    if (kind == 'x') {
      bytes.push_back(static_cast<char>(value));
    } else {
      AppendUtf8(bytes, value);
    }
    i += 1 + digits;
  }
  return bytes;
}

TEST(NameText, EscapesWhatTheCodePageCannotShowAndOnlyThat) {
  EXPECT_EQ(NameText("unit7/2013-11-25.alarms"), "unit7/2013-11-25.alarms");
  EXPECT_EQ(NameText("Журнал №5.alarms"), Utf8ToCp1251("Журнал №5.alarms"));
  // Characters the code page lacks, as the name: never a '?'.
  EXPECT_EQ(NameText("日本€.alarms"), "\\u65e5\\u672c\x88.alarms");
  EXPECT_EQ(NameText("\xF0\x9F\x98\x80.alarms"), "\\U0001f600.alarms");
  // Bytes that are no UTF-8: alone, an overlong form, a surrogate, a sequence cut short.
  EXPECT_EQ(NameText("\xC6.alarms"), "\\xc6.alarms");
  EXPECT_EQ(NameText("\xC0\xAF"), "\\xc0\\xaf");
  EXPECT_EQ(NameText("\xED\xA0\x80"), "\\xed\\xa0\\x80");
  EXPECT_EQ(NameText("a\xE6\x97"), "a\\xe6\\x97");
  // Control characters, C1 ones included, and the backslash that starts every escape.
  EXPECT_EQ(NameText("a\tb\nc\r\x7F.alarms"), "a\\x09b\\x0ac\\x0d\\x7f.alarms");
  EXPECT_EQ(NameText("\xC2\x85"), "\\u0085");
  EXPECT_EQ(NameText("a\\x09"), "a\\\\x09");
}

TEST(NameText, AnyBytesComeBackFromTheirTextAndTheTextHoldsNoControlByte) {
  std::mt19937 random(28);
  // Bytes drawn so that escapes, UTF-8 lead and continuation bytes and Cyrillic meet often.
  const std::string alphabet = "a\\x_u09\t\n\r\x7F\x80\x85\x98\xBF\xC2\xC6\xD0\xD1\xE2\xE6\xED\xF0\xF4\xFF\xAE\x82\xAC";
  for (int round = 0; round < 20000; ++round) {
    std::string bytes(random() % 12, '\0');
    for (char& b : bytes) b = random() % 5 == 0 ? static_cast<char>(random()) : alphabet[random() % alphabet.size()];
    const std::string shown = NameText(bytes);
    ASSERT_EQ(ReadBack(shown), bytes) << testing::PrintToString(bytes) << " -> " << testing::PrintToString(shown);
    for (char c : shown) {
      ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20 || c == 0x7F || c == '\x98') << testing::PrintToString(bytes);
    }
  }
}

TEST(MessageValue, AValueIsQuotedWholeUpToTwoHundredCharactersThenCutWithAnEllipsis) {
  for (size_t length : {size_t{0}, size_t{1}, size_t{199}, size_t{200}, size_t{201}, size_t{16} << 20}) {
    const std::string value(length, '7');
    std::string message = "'";
    AppendMessageValue(message, value);
    if (length <= 200) {
      EXPECT_EQ(message, "'" + value) << length;
    } else {
      EXPECT_EQ(message, "'" + std::string(200, '7') + "\x85") << length;
    }
  }
}

}  // namespace
}  // namespace vantorel
