#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "uStrUtils/DistinctList.h"
#include "uStrUtils/StrUtils.h"

namespace vantorel {
namespace {

std::vector<std::string> CutAll(std::string_view line, int count, std::string_view* rest = nullptr) {
  std::vector<std::string> fields;
  std::string_view field;
  for (int i = 0; i < count; ++i) {
    CutField(line, '\t', field);
    fields.emplace_back(field);
  }
  if (rest != nullptr) *rest = line;
  return fields;
}

TEST(CutField, RunOfTabsIsOneSeparatorAndMissingFieldsAreEmpty) {
  std::string_view source = "a\t\tb";
  std::string_view field;
  CutField(source, '\t', field);
  EXPECT_EQ(field, "a");
  EXPECT_EQ(source, "b");
  CutField(source, '\t', field);
  EXPECT_EQ(field, "b");
  EXPECT_TRUE(source.empty());
  CutField(source, '\t', field);
  EXPECT_TRUE(field.empty());
  EXPECT_TRUE(source.empty());
}

TEST(CutField, LeadingTabGivesEmptyFirstFieldAndSkipsTheRun) {
  std::string_view rest;
  EXPECT_EQ(CutAll("\tx", 1, &rest), std::vector<std::string>{""});
  EXPECT_EQ(rest, "x");
  EXPECT_EQ(CutAll("\t\t\tx\ty", 2, &rest), (std::vector<std::string>{"", "x"}));
  EXPECT_EQ(rest, "y");
}

TEST(CutField, NoTabTakesTheWholeSourceAndTrailingTabLeavesNothing) {
  std::string_view rest;
  EXPECT_EQ(CutAll("abc", 1, &rest), std::vector<std::string>{"abc"});
  EXPECT_TRUE(rest.empty());
  EXPECT_EQ(CutAll("a\tb\t", 3, &rest), (std::vector<std::string>{"a", "b", ""}));
  EXPECT_TRUE(rest.empty());
}

TEST(CutField, RestKeepsLaterTabsAfterTheWantedFields) {
  std::string_view rest;
  const auto fields = CutAll("1\t2\t\t3\t4\t\t5", 2, &rest);
  EXPECT_EQ(fields, (std::vector<std::string>{"1", "2"}));
  EXPECT_EQ(rest, "3\t4\t\t5");
}

TEST(ContainsString, ExactBytesOnly) {
  const std::vector<std::string_view> list{"Alpha", "beta", ""};
  EXPECT_TRUE(ContainsString(list, "Alpha"));
  EXPECT_TRUE(ContainsString(list, ""));
  EXPECT_FALSE(ContainsString(list, "alpha"));
  EXPECT_FALSE(ContainsString(list, "beta "));
  EXPECT_FALSE(ContainsString({}, ""));
}

TEST(DistinctList, FirstOccurrenceOrderWithItemZeroInTheTest) {
  DistinctList list("All");
  for (std::string_view v : {"b", "a", "b", "All", "", "A", "a", ""}) list.Add(v);
  EXPECT_EQ(list.Items(), (std::vector<std::string_view>{"All", "b", "a", "", "A"}));
}

TEST(DistinctList, ValuesOfNineToSixteenBytesDifferingAfterTheEighthStayApart) {
  DistinctList list("All");
  EXPECT_EQ(list.Add("Node-0001"), 1u);
  EXPECT_EQ(list.Add("Node-0002"), 2u);
  for (size_t n = 9; n <= 16; ++n) {
    const std::string base(n, 'a');
    std::string last = base, ninth = base;
    last[n - 1] = 'b';
    ninth[8] = 'c';
    const uint32_t first = list.Add(base);
    EXPECT_NE(list.Add(last), first) << n;
    EXPECT_NE(list.Add(ninth), first) << n;
    EXPECT_EQ(list.Find(base), static_cast<int>(first)) << n;
  }
  EXPECT_EQ(list.size(), 3u + 8 * 3);
}

TEST(DistinctList, ValuesAlikeInTheirFirstBytesStayApart) {
  // More values than the first table holds, sharing their first 16 bytes and differing
  // after; values of exactly 16 and 17 bytes; values that are prefixes of one another, and
  // short values that differ only in a trailing NUL byte.
  const std::string head = "0123456789abcdef";
  std::deque<std::string> values{head, head + "x", head.substr(0, 15), head.substr(0, 8), head.substr(0, 9), "",
                                 "ab", std::string("ab\0", 3), std::string("\0", 1)};
  for (int i = 0; i < 40; ++i) values.push_back(head + std::to_string(i));
  for (int i = 0; i < 3; ++i) values.push_back(head + std::string(static_cast<size_t>(20 + i), 'z'));

  DistinctList list("All");
  std::vector<std::string_view> expected{"All"};
  for (const std::string& value : values) {
    EXPECT_EQ(list.Add(value), expected.size()) << testing::PrintToString(value);
    expected.push_back(value);
  }
  // Each value again, from copies and in reverse order: no new item, the first one's index.
  for (size_t i = values.size(); i-- > 0;) {
    const std::string copy = values[i];
    EXPECT_EQ(list.Add(copy), i + 1) << testing::PrintToString(copy);
  }
  EXPECT_EQ(list.Add("All"), 0u);
  EXPECT_EQ(list.Items(), expected);
  for (size_t i = 0; i < expected.size(); ++i) EXPECT_EQ(list.Find(std::string(expected[i])), static_cast<int>(i));
  for (const std::string& absent : {head + "40", head + "1x", head.substr(0, 14), head + std::string(23, 'z'),
                                    std::string("ab\0\0", 4), std::string("\0\0", 2), std::string("All ")}) {
    EXPECT_EQ(list.Find(absent), -1) << testing::PrintToString(absent);
  }
  EXPECT_EQ(DistinctList().Find(""), -1);
}

}  // namespace
}  // namespace vantorel
