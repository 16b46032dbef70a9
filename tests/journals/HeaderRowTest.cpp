#include "journals/HeaderRow.h"

#include <gtest/gtest.h>

namespace vantorel {
namespace {

using Titles = std::vector<std::string>;

TEST(HeaderTitles, FieldsAndRunsOfTabs) {
  EXPECT_EQ(HeaderTitles("A\tB\tC"), (Titles{"A", "B", "C"}));
  EXPECT_EQ(HeaderTitles("A\t\tB"), (Titles{"A", "B"}));
  EXPECT_EQ(HeaderTitles("\tA\tB"), (Titles{"", "A", "B"}));
  EXPECT_EQ(HeaderTitles("\t\tA"), (Titles{"", "A"}));
  // Blanks are text like any other.
  EXPECT_EQ(HeaderTitles(" A \t B"), (Titles{" A ", " B"}));
}

TEST(HeaderTitles, OneExtraEmptyTitleAfterASingleFieldOrTrailingTabs) {
  EXPECT_EQ(HeaderTitles("A"), (Titles{"A", ""}));
  EXPECT_EQ(HeaderTitles("A\tB\t"), (Titles{"A", "B", ""}));
  EXPECT_EQ(HeaderTitles("A\tB\t\t\t"), (Titles{"A", "B", ""}));
  EXPECT_EQ(HeaderTitles("\t"), (Titles{"", ""}));
  EXPECT_EQ(HeaderTitles(""), Titles{});
}

}  // namespace
}  // namespace vantorel
