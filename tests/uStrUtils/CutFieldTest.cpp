#include <gtest/gtest.h>

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

}  // namespace
}  // namespace vantorel
