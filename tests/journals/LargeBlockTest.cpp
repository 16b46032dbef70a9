// Large blocks keep what was written to them, however they grow and whatever a prefault
// beside the writer does.
#include <gtest/gtest.h>

#include <cstdint>

#include "journals/LargeBlock.h"

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

}  // namespace
}  // namespace vantorel
