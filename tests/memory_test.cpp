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
// Serves a 24-byte header, then "delivers" every larger read without
// touching the buffer: the host's stand-in blocks are already zeroed.
class HeaderOnlyStream : public IReadStream {
public:
  explicit HeaderOnlyStream(std::vector<uint32_t> words)
      : Words(std::move(words)) {}
  virtual ~HeaderOnlyStream() = default;
  int32_t Read(void *buffer, uint32_t size) override {
    if (size != 4)
      return 0;
    if (Next == Words.size())
      return 1;
    std::memcpy(buffer, &Words[Next++], 4);
    return 0;
  }

private:
  std::vector<uint32_t> Words;
  std::size_t Next = 0;
};

// Grants every request above 64 KiB with a small guarded block while alive.
struct StandInGrants {
  StandInGrants() {
    HostMemory().Reset();
    HostMemory().standInAbove = 0x10000;
  }
  ~StandInGrants() { HostMemory().standInAbove = 0; }
};

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

TEST(MemoryRouting, ArraysTooLargeFor32BitsAreNeverHandedOut) {
  StandInGrants grants;
  CountingMemory &memory = HostMemory();
  // The saturated request still reaches the host, but its block goes
  // straight back: it is too small for the units.
  EXPECT_EQ(MemAllocArray(0x20000000u, 8), nullptr);
  EXPECT_EQ(memory.Sizes(), std::vector<uint32_t>{0xFFFFFFFFu});
  EXPECT_EQ(memory.Frees(), 1);
  EXPECT_EQ(memory.LiveBlocks(), 0u);
  // Products that fit, even 0xFFFFFFFF itself, are kept.
  for (auto [count, unit] : {std::pair{0xFFFFFFFFu, 1u},
                             std::pair{0x3FFFFFFFu, 4u}, std::pair{0u, 8u}}) {
    void *block = MemAllocArray(count, unit);
    EXPECT_NE(block, nullptr);
    MemFree(block);
  }
  EXPECT_EQ(memory.LiveBlocks(), 0u);
}

TEST(MemoryRouting, APointerTableTooLargeFor32BitsFailsTheLoad) {
  if (sizeof(void *) < 8)
    GTEST_SKIP() << "4-byte tables fit whenever the counts fit the block";
  // Four bytes a string pass the header checks; eight bytes a pointer do
  // not fit in 32 bits. Writing into the stand-in block would trip ASan.
  const uint32_t n = 0x24000000u;
  StandInGrants grants;
  CountingMemory &memory = HostMemory();
  HeaderOnlyStream stream({kDatabaseMagic, kDatabaseVersion, n, n, 0, 4 * n});
  EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(&stream), nullptr);
  std::vector<uint32_t> sizes = memory.Sizes();
  ASSERT_EQ(sizes.size(), 3u) << "the record, the block, the ID table";
  EXPECT_EQ(sizes[1], 4 * n);
  EXPECT_EQ(sizes[2], 0xFFFFFFFFu);
  EXPECT_EQ(memory.LiveBlocks(), 0u);
}

// A host whose manager answers a 0-byte request with null, as malloc(0)
// may, still loads databases with an empty table: an empty table takes no
// request at all.
TEST(MemoryRouting, EmptyTablesTakeNoRequest) {
  CountingMemory &memory = HostMemory();
  memory.nullForZeroSize = true;
  struct Case {
    const char *name;
    std::vector<authoring::Entry> entries;
    long allocations; // the record and the non-empty arrays
  };
  const Case cases[] = {
      {"empty", {}, 1},
      {"no voice paths", {E("a", "alpha"), E("b", "beta")}, 5},
      {"no values", {E("a", std::nullopt, "a.wav")}, 6},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    memory.Reset();
    MemoryStream stream(*authoring::BuildDatabase(c.entries));
    HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
    ASSERT_NE(keeper, nullptr);
    EXPECT_EQ(memory.Allocations(), c.allocations);
    for (uint32_t size : memory.Sizes())
      EXPECT_NE(size, 0u);
    EXPECT_EQ(stream.ReadSizes().size(), 7 + 2 * c.entries.size())
        << "the block is read even when empty";
    if (!c.entries.empty()) {
      EXPECT_EQ(GetIPhrasorMgr()->GetStringIndex(keeper, "A"), 0);
    }
    GetIPhrasorMgr()->ReleaseKeeper(keeper);
    EXPECT_EQ(memory.LiveBlocks(), 0u);
  }
  memory.nullForZeroSize = false;
  memory.Reset();
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
