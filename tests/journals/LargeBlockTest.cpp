// Large blocks keep what was written to them, however they grow and whatever a prefault
// beside the writer does.
#include <gtest/gtest.h>

#include <algorithm>

#include <array>
#include <cstdint>
#include <random>
#include <vector>

#include "journals/LargeBlock.h"
#include "journals/ListItems.h"

namespace vantorel {
namespace {

TEST(LargeBlock, GrowingAndPrefaultingKeepWhatWasWritten) {
  LargeArray<uint64_t> values;
  for (uint64_t i = 0; i < 3'000'000; ++i) values.PushBack(i * 2654435761u);
  for (uint64_t i = 0; i < values.size(); ++i) ASSERT_EQ(values[i], i * 2654435761u) << i;

  // A writer fills every page while a prefault brings in the second half and a range
  // beyond the block's start that begins inside a page.
  constexpr size_t kBytes = size_t{64} << 20;
  LargeBlock block(kBytes);
  auto* words = reinterpret_cast<uint64_t*>(block.data());
  {
    Prefault beside({{block.data() + kBytes / 2, kBytes / 2}, {block.data() + 100, 1 << 20}});
    for (size_t i = 0; i < kBytes / sizeof(uint64_t); i += 64) words[i] = i + 1;
  }
  for (size_t i = 0; i < kBytes / sizeof(uint64_t); i += 64) ASSERT_EQ(words[i], i + 1) << i;
  block.Reserve(kBytes * 2);
  words = reinterpret_cast<uint64_t*>(block.data());
  for (size_t i = 0; i < kBytes / sizeof(uint64_t); i += 64) ASSERT_EQ(words[i], i + 1) << i;
  EXPECT_GE(block.capacity(), kBytes * 2);
}

// Items packed into two bytes, grown, widened and packed again read back as a plain array of
// the same writes does.
TEST(ListItems, PackingAndWideningKeepEveryItem) {
  std::mt19937 random(5);
  std::vector<uint32_t> expected;
  ListItems items;
  auto append = [&](size_t n, uint32_t below) {
    for (size_t k = 0; k < n; ++k) {
      const uint32_t item = random() % below;
      items.Resize(expected.size() + 1);
      items.Set(expected.size(), item);
      expected.push_back(item);
    }
  };
  auto same = [&] {
    ASSERT_EQ(items.size(), expected.size());
    const ItemColumn column = items.Column();
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(column[i], expected[i]) << i;
  };
  append(300'000, 2400);
  items.Pack(ListItems::kNarrowValues + 1);
  EXPECT_FALSE(items.IsNarrow());
  items.Pack(ListItems::kNarrowValues);
  EXPECT_TRUE(items.IsNarrow());
  EXPECT_EQ(items.Span(10, 20).bytes, 20u);
  same();
  // Growth within two bytes stays packed; the first larger item widens all of them.
  append(200'000, ListItems::kNarrowValues);
  EXPECT_TRUE(items.IsNarrow());
  same();
  items.Set(123, 70'000);
  expected[123] = 70'000;
  EXPECT_FALSE(items.IsNarrow());
  same();
  append(100'000, 1u << 20);
  items.Pack(1u << 20);
  EXPECT_FALSE(items.IsNarrow());
  same();
  // A load's writes go through the wide pointer, which widens packed items first.
  ListItems loaded;
  loaded.Resize(5000);
  for (uint32_t i = 0; i < 5000; ++i) loaded.Set(i, i);
  loaded.Pack(5000);
  loaded.Wide()[7] = 99'999;
  EXPECT_FALSE(loaded.IsNarrow());
  EXPECT_EQ(loaded[7], 99'999u);
  EXPECT_EQ(loaded[4999], 4999u);

  // A pass over several lists reads each as it is kept: all packed, none, or some.
  std::array<ListItems, 3> lists;
  for (size_t l = 0; l < lists.size(); ++l) {
    lists[l].Resize(1000);
    for (uint32_t i = 0; i < 1000; ++i) lists[l].Set(i, i * static_cast<uint32_t>(l + 1) * 7);
  }
  auto sum = [&](int count) {
    return WithItemColumns(lists, count, [&](const auto& columns) {
      uint64_t total = 0;
      for (int l = 0; l < count; ++l) {
        for (size_t i = 0; i < 1000; ++i) total += columns[static_cast<size_t>(l)][i];
      }
      return total;
    });
  };
  const uint64_t wide = sum(3);
  EXPECT_EQ(wide, 7u * 6u * 499'500u);
  lists[0].Pack(7000);
  EXPECT_EQ(sum(3), wide);
  lists[1].Pack(14000);
  lists[2].Pack(21000);
  EXPECT_EQ(sum(3), wide);
  EXPECT_EQ(sum(1), 7u * 499'500u);
}

// Items at the edge of two bytes, set one by one into packed items, read back as a plain
// array of the same writes does: 65,535 stays packed, 65,536 widens them.
TEST(ListItems, ItemsAtTheEdgeOfTwoBytesAreSetWhole) {
  std::mt19937 random(65536);
  const uint32_t edge = static_cast<uint32_t>(ListItems::kNarrowValues);
  const uint32_t near[] = {0, 1, edge - 2, edge - 1, edge, edge + 1, 2 * edge};
  for (int round = 0; round < 50; ++round) {
    ListItems items;
    std::vector<uint32_t> expected(1000);
    items.Resize(expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      expected[i] = static_cast<uint32_t>(random() % 100);
      items.Set(i, expected[i]);
    }
    items.Pack(ListItems::kNarrowValues);
    // Even rounds stay below the edge; odd ones cross it.
    bool widened = false;
    for (int k = 0; k < 20; ++k) {
      const size_t i = random() % expected.size();
      expected[i] = near[random() % (round % 2 == 0 ? 4 : 7)];
      items.Set(i, expected[i]);
      widened = widened || expected[i] >= edge;
      EXPECT_EQ(items.IsNarrow(), !widened);
    }
    for (size_t i = 0; i < expected.size(); ++i) ASSERT_EQ(items[i], expected[i]) << "round " << round << ", item " << i;
  }
}

}  // namespace
}  // namespace vantorel
