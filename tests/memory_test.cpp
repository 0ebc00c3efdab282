//===- memory_test.cpp - Every block goes through the host's manager ------===//

#include "tests/support/TestSupport.h"

#include "base/Memory.h"

#include <gtest/gtest.h>

using namespace phrasor;
using namespace phrasor::test;

namespace {
std::vector<uint8_t> SmallDatabase() {
  return *authoring::BuildDatabase(
      {E("a", "alpha", "a.wav"), E("b", "beta"), E("c", std::nullopt)});
}
} // namespace

TEST(MemoryRouting, LoadAndReleaseUseOnlyTheHostManager) {
  CountingMemory &memory = HostMemory();
  memory.Reset();
  MemoryStream stream(SmallDatabase());
  HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
  ASSERT_NE(keeper, nullptr);
  // The record, the block, three pointer tables and the reference pairs.
  EXPECT_EQ(memory.Allocations(), 6);
  EXPECT_EQ(memory.Frees(), 0);
  std::vector<uint32_t> sizes = memory.Sizes();
  const uint32_t ptr = sizeof(void *);
  EXPECT_EQ(sizes[2], 3 * ptr) << "idTable";
  EXPECT_EQ(sizes[3], 5 * ptr) << "valueTable has room for T entries";
  EXPECT_EQ(sizes[4], 1 * ptr) << "voicePathTable";
  EXPECT_EQ(sizes[5], 3 * 8u) << "refPairs";

  memory.Reset();
  GetIPhrasorMgr()->ReleaseKeeper(keeper);
  EXPECT_EQ(memory.Allocations(), 0);
  EXPECT_EQ(memory.Frees(), 6) << "five arrays, then the record";
  EXPECT_EQ(memory.NullFrees(), 0);
  EXPECT_EQ(memory.LiveBlocks(), 0u);
}

TEST(MemoryRouting, SizeProductsSaturateInsteadOfWrapping) {
  EXPECT_EQ(SaturatingSize(0x40000000u, 4), 0xFFFFFFFFu);
  EXPECT_EQ(SaturatingSize(0x3FFFFFFFu, 4), 0xFFFFFFFCu);
  EXPECT_EQ(SaturatingSize(0x20000000u, 8), 0xFFFFFFFFu);
  EXPECT_EQ(SaturatingSize(0, 8), 0u);
}

TEST(MemoryRouting, EveryFailedAllocationGivesEverythingBack) {
  std::vector<uint8_t> bytes = SmallDatabase();
  CountingMemory &memory = HostMemory();
  for (long n = 0; n < 6; ++n) {
    SCOPED_TRACE(n);
    memory.Reset(n);
    MemoryStream stream(bytes);
    EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(&stream), nullptr);
    EXPECT_EQ(memory.Allocations(), n + 1) << "stops at the first failure";
    EXPECT_EQ(memory.LiveBlocks(), 0u);
  }
  memory.Reset();
}
