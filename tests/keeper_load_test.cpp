//===- keeper_load_test.cpp - Loading and refusing databases --------------===//

#include "tests/support/TestSupport.h"

#include "base/StrUtil.h"
#include "keeper/StringKeeper.h"

#include <gtest/gtest.h>

using namespace phrasor;
using namespace phrasor::test;
using authoring::RawDatabase;

namespace {

RawDatabase Sample() {
  return authoring::Compile({E("Alpha", "first", "a.wav"), E("beta", "second"),
                             E("Gamma", std::nullopt, "g.wav"),
                             E("delta", "first")})
      .database;
}

// Loads \p bytes and checks the keeper either loads or fails leaving no
// block behind.
HSTRINGKEEPER LoadChecked(const std::vector<uint8_t> &bytes) {
  MemoryStream stream(bytes);
  long before = static_cast<long>(HostMemory().LiveBlocks());
  HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
  if (!keeper) {
    EXPECT_EQ(static_cast<long>(HostMemory().LiveBlocks()), before);
  }
  return keeper;
}

} // namespace

TEST(KeeperLoad, ReadsAValidFileExactlyInOrder) {
  RawDatabase db = Sample();
  db.trailer = {1, 2, 3, 4};
  std::vector<uint8_t> bytes = authoring::Serialize(db);
  MemoryStream stream(bytes);
  HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
  ASSERT_NE(keeper, nullptr);
  std::vector<uint32_t> expected(6, 4);
  expected.push_back(static_cast<uint32_t>(bytes.size() - 24 - 32 - 4));
  expected.insert(expected.end(), 8, 4);
  EXPECT_EQ(stream.ReadSizes(), expected);
  EXPECT_EQ(stream.Consumed(), bytes.size() - 4) << "trailer never read";
  GetIPhrasorMgr()->ReleaseKeeper(keeper);
}

TEST(KeeperLoad, RefusesWrongMagicOrVersionAfterTheHeader) {
  for (auto [magic, version] :
       {std::pair<uint32_t, uint32_t>{kDatabaseMagic, 4},
        {kDatabaseMagic, 6},
        {0x42444B54u, 5},
        {0x534B4442u, 5}}) {
    SCOPED_TRACE(version);
    RawDatabase db = Sample();
    db.magic = magic;
    db.version = version;
    HostMemory().Reset();
    MemoryStream stream(authoring::Serialize(db));
    EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(&stream), nullptr);
    EXPECT_EQ(stream.Consumed(), 24u);
    EXPECT_EQ(stream.ReadSizes().size(), 6u);
    EXPECT_EQ(HostMemory().Allocations(), 1) << "only the record";
    EXPECT_EQ(HostMemory().LiveBlocks(), 0u);
  }
}

TEST(KeeperLoad, FollowsThePaddingOfEveryString) {
  // IDs of 1 and 4 bytes, a value of 2 units, a voice path of 1 byte.
  Keeper keeper({E("a", std::nullopt), E("bcde", "xy", "v")});
  ASSERT_NE(keeper.get(), nullptr);
  CStringKeeper *k = keeper.get();
  EXPECT_EQ(k->idTable[0] - k->block, 0);
  EXPECT_EQ(k->idTable[1] - k->block, 4);
  EXPECT_EQ(reinterpret_cast<const char *>(k->valueTable[0]) - k->block, 12);
  EXPECT_EQ(k->voicePathTable[0] - k->block, 20);
  EXPECT_EQ(Narrow(GetIPhrasorMgr()->GetStringByID(keeper, "BCDE")), "xy");
  EXPECT_STREQ(GetIPhrasorMgr()->GetVoicePathByIndex(keeper, 1), "v");
}

TEST(KeeperLoad, AcceptsADatabaseWithoutValues) {
  Keeper keeper({E("a", std::nullopt, "x.wav"), E("b", std::nullopt)});
  ASSERT_NE(keeper.get(), nullptr);
  EXPECT_EQ(keeper.get()->stringTotal, keeper.get()->idCount);
  EXPECT_STREQ(GetIPhrasorMgr()->GetVoicePathByID(keeper, "a"), "x.wav");
  EXPECT_FALSE(GetIPhrasorMgr()->HasStringByIndex(keeper, 0));
}

TEST(KeeperLoad, AcceptsAnEmptyDatabase) {
  Keeper keeper(std::vector<authoring::Entry>{});
  ASSERT_NE(keeper.get(), nullptr);
  EXPECT_EQ(keeper.get()->idCount, 0u);
}

TEST(KeeperLoad, FailedBlockReadGivesEverythingBack) {
  HostMemory().Reset();
  MemoryStream stream(authoring::Serialize(Sample()), /*failAtRead=*/6);
  EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(&stream), nullptr);
  EXPECT_EQ(stream.ReadSizes().size(), 7u) << "nothing read after the block";
  EXPECT_EQ(HostMemory().Allocations(), 2);
  EXPECT_EQ(HostMemory().LiveBlocks(), 0u);
  EXPECT_GT(HostMemory().NullFrees(), 0) << "unset tables are freed as null";
}

TEST(KeeperLoad, EveryFailedReadFailsTheLoadCleanly) {
  // Header words and reference pairs are checked as well as the block: a
  // pair read that fails must not leave references for lookups to follow.
  std::vector<uint8_t> bytes = authoring::Serialize(Sample());
  const int reads = 6 + 1 + 2 * 4;
  for (int k = 0; k < reads; ++k) {
    SCOPED_TRACE(k);
    HostMemory().Reset();
    MemoryStream stream(bytes, k);
    EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(&stream), nullptr);
    EXPECT_EQ(stream.ReadSizes().size(), static_cast<std::size_t>(k + 1));
    EXPECT_EQ(HostMemory().LiveBlocks(), 0u);
  }
}

TEST(KeeperLoad, TruncationAtEveryLengthFailsCleanly) {
  std::vector<uint8_t> bytes = authoring::Serialize(Sample());
  for (std::size_t n = 0; n < bytes.size(); ++n) {
    SCOPED_TRACE(n);
    std::vector<uint8_t> cut(bytes.begin(), bytes.begin() + n);
    EXPECT_EQ(LoadChecked(cut), nullptr);
  }
}

TEST(KeeperLoad, AnySingleCorruptByteLoadsSafelyOrFailsCleanly) {
  // Under the sanitizers this proves no corruption leads a load or a lookup
  // outside a block.
  std::vector<uint8_t> bytes = authoring::Serialize(Sample());
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (std::size_t at = 0; at < bytes.size(); ++at) {
    for (uint8_t value : {0x00, 0x01, 0x7F, 0x80, 0xFF}) {
      std::vector<uint8_t> bad = bytes;
      bad[at] = value;
      HSTRINGKEEPER keeper = LoadChecked(bad);
      if (!keeper)
        continue;
      for (int32_t i = -2; i < 6; ++i) {
        mgr->GetStringByIndex(keeper, i);
        mgr->GetVoicePathByIndex(keeper, i);
        mgr->GetStringID(keeper, i);
      }
      for (const char *id : {"alpha", "BETA", "gamma", "delta", "zz"}) {
        mgr->GetStringByID(keeper, id);
        mgr->GetVoicePathByID(keeper, id);
      }
      mgr->EnumerateIDsByPrefix(
          keeper, "", [](const char *, void *) {}, nullptr);
      mgr->ReleaseKeeper(keeper);
    }
  }
}

// One malformed file per rule the loader enforces beyond magic and version.
TEST(KeeperLoad, RefusesFilesThatWouldLeadLookupsOutsideTheBlock) {
  struct Case {
    const char *name;
    void (*edit)(RawDatabase &);
  };
  const Case cases[] = {
      {"fewer strings than IDs", [](RawDatabase &db) { db.stringTotal = 3; }},
      {"counts cannot fit in the block",
       [](RawDatabase &db) { db.voicePathCount = 0x40000000u; }},
      {"huge counts in a tiny file",
       [](RawDatabase &db) {
         db.idCount = 0xFFFFFFF0u;
         db.stringTotal = 0xFFFFFFF0u;
       }},
      {"block size beyond the file",
       [](RawDatabase &db) { db.blockSize = 0x7FFFFFF0u; }},
      {"one more voice path than the block holds",
       [](RawDatabase &db) {
         db.voicePathCount = static_cast<uint32_t>(db.voicePaths.size() + 1);
       }},
      {"value reference past the values",
       [](RawDatabase &db) {
         db.pairs[1].valueRef = static_cast<uint32_t>(db.values.size());
       }},
      {"voice path reference past the voice paths",
       [](RawDatabase &db) { db.pairs[0].voicePathRef = 2; }},
      {"value reference just below NO_ENTRY",
       [](RawDatabase &db) { db.pairs[2].valueRef = 0xFFFFFFFEu; }},
      {"IDs out of order",
       [](RawDatabase &db) { std::swap(db.ids[0], db.ids[3]); }},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    RawDatabase db = Sample();
    c.edit(db);
    HSTRINGKEEPER keeper = LoadChecked(authoring::Serialize(db));
    EXPECT_EQ(keeper, nullptr);
    GetIPhrasorMgr()->ReleaseKeeper(keeper);
  }
}

// The file of \p entries with its block cut by \p cut bytes at the end.
std::vector<uint8_t> WithBlockCut(const std::vector<authoring::Entry> &entries,
                                  uint32_t cut) {
  std::vector<uint8_t> bytes = *authoring::BuildDatabase(entries);
  uint32_t ids, size;
  std::memcpy(&ids, &bytes[8], 4);
  std::memcpy(&size, &bytes[20], 4);
  const std::size_t blockEnd = 24 + size;
  bytes.erase(bytes.begin() + static_cast<std::ptrdiff_t>(blockEnd - cut),
              bytes.begin() + static_cast<std::ptrdiff_t>(blockEnd));
  size -= cut;
  std::memcpy(&bytes[20], &size, 4);
  EXPECT_EQ(bytes.size(), 24 + size + 8 * ids);
  return bytes;
}

TEST(KeeperLoad, BlockMustHoldFourBytesAStringButNotTheLastPadding) {
  // Three 4-byte slots: exactly 4 * (T + P) bytes load; one byte less is
  // refused although "v" still ends inside the block.
  const std::vector<authoring::Entry> tight = {E("a", "b", "v")};
  Keeper exact(WithBlockCut(tight, 0));
  ASSERT_NE(exact.get(), nullptr);
  EXPECT_STREQ(GetIPhrasorMgr()->GetVoicePathByIndex(exact, 0), "v");
  EXPECT_EQ(LoadChecked(WithBlockCut(tight, 1)), nullptr);

  // A last slot of 8 bytes ("abcde", terminator, 2 padding): the padding may
  // be cut, the terminator may not.
  const std::vector<authoring::Entry> padded = {E("a", "b", "abcde")};
  Keeper unpadded(WithBlockCut(padded, 2));
  ASSERT_NE(unpadded.get(), nullptr);
  EXPECT_STREQ(GetIPhrasorMgr()->GetVoicePathByIndex(unpadded, 0), "abcde");
  EXPECT_EQ(LoadChecked(WithBlockCut(padded, 3)), nullptr);
}

TEST(KeeperLoad, RefusesAStringNotTerminatedInsideTheBlock) {
  std::vector<uint8_t> bytes = authoring::Serialize(Sample());
  // The block ends with the slot of "g.wav": overwrite its terminator and
  // padding so the last string runs into the reference pairs.
  const std::size_t blockEnd = bytes.size() - 8 * 4;
  for (std::size_t at = blockEnd - 3; at < blockEnd; ++at)
    bytes[at] = 'x';
  EXPECT_EQ(LoadChecked(bytes), nullptr);
}

TEST(KeeperLoad, AcceptsIdsThatDifferOnlyInCase) {
  // Equal under the lookup order but written by another tool: the order is
  // non-descending, so the file is valid and one of them is found.
  RawDatabase db = Sample();
  db.ids = {"alpha", "ALPHA", "gamma", "GAMMA"};
  Keeper keeper(authoring::Serialize(db));
  ASSERT_NE(keeper.get(), nullptr);
  EXPECT_TRUE(GetIPhrasorMgr()->IsValidID(keeper, "Alpha"));
}

TEST(KeeperLoad, NullStreamFailsAndReturnsTheRecord) {
  HostMemory().Reset();
  EXPECT_EQ(GetIPhrasorMgr()->CreateKeeper(nullptr), nullptr);
  EXPECT_EQ(HostMemory().Allocations(), 1);
  EXPECT_EQ(HostMemory().LiveBlocks(), 0u);
}

TEST(KeeperLoad, LengthsOfNullAndEmptyStringsAreZero) {
  EXPECT_EQ(StrLen(nullptr), 0u);
  EXPECT_EQ(StrLen(""), 0u);
  EXPECT_EQ(WStrLen(nullptr), 0u);
  EXPECT_EQ(WStrLen(PHRASOR_TEXT("")), 0u);
  EXPECT_EQ(WStrLen(PHRASOR_TEXT("abc")), 3u);
}
