//===- lookup_property_test.cpp - Searches against a plain reference ------===//
//
// Thousands of generated tables, each searched by the keeper and by a
// linear scan with the same comparison; IDs equal under case folding are
// generated on purpose.
//
//===----------------------------------------------------------------------===//

#include "tests/support/TestSupport.h"

#include "base/StrUtil.h"
#include "keeper/StringKeeper.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <thread>

using namespace phrasor;
using namespace phrasor::test;

namespace {

std::string RandomId(std::mt19937 &rng) {
  // A small alphabet makes shared prefixes, case twins and misses common.
  static const char alphabet[] = "aAbB_z0";
  std::uniform_int_distribution<int> length(0, 4), pick(0, 6);
  std::string id;
  for (int n = length(rng); n > 0; --n)
    id += alphabet[pick(rng)];
  return id;
}

// Raw databases keep case twins, which the writer would refuse.
std::vector<uint8_t> RandomDatabase(std::mt19937 &rng,
                                    std::vector<std::string> &ids) {
  std::uniform_int_distribution<int> count(1, 40);
  ids.clear();
  for (int n = count(rng); n > 0; --n)
    ids.push_back(RandomId(rng));
  std::stable_sort(ids.begin(), ids.end(), [](const auto &a, const auto &b) {
    return StrICmp(a.c_str(), b.c_str()) < 0;
  });
  authoring::RawDatabase db;
  db.ids = ids;
  db.values = {u"v"};
  db.pairs.assign(ids.size(), authoring::RefPair{0, NO_ENTRY});
  return authoring::Serialize(db);
}

void Gather(const char *id, void *data) {
  static_cast<std::vector<std::string> *>(data)->push_back(id);
}

} // namespace

TEST(LookupProperty, SearchAndEnumerationAgreeWithALinearScan) {
  std::mt19937 rng(20261207);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (int table = 0; table < 3000; ++table) {
    std::vector<std::string> ids;
    Keeper keeper(RandomDatabase(rng, ids));
    ASSERT_NE(keeper.get(), nullptr);
    for (int probe = 0; probe < 20; ++probe) {
      std::string query = probe < 5 ? ids[rng() % ids.size()] : RandomId(rng);
      bool present = std::any_of(ids.begin(), ids.end(), [&](auto &id) {
        return StrICmp(id.c_str(), query.c_str()) == 0;
      });
      int32_t found = keeper.get()->FindID(query.c_str());
      ASSERT_EQ(found != -1, present) << "table " << table << " id " << query;
      if (found != -1) {
        ASSERT_EQ(StrICmp(ids[found].c_str(), query.c_str()), 0);
      }

      std::vector<std::string> expected, actual;
      for (const auto &id : ids)
        if (StrNICmp(query.c_str(), id.c_str(), StrLen(query.c_str())) == 0)
          expected.push_back(id);
      bool any =
          mgr->EnumerateIDsByPrefix(keeper, query.c_str(), Gather, &actual);
      ASSERT_EQ(actual, expected) << "table " << table << " prefix " << query;
      ASSERT_EQ(any, !expected.empty());
    }
  }
}

TEST(LookupProperty, LookupsAllocateNothing) {
  Keeper keeper({E("a", "1", "a.wav"), E("b", "2"), E("c", std::nullopt)});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  HostMemory().Reset();
  for (const char *id : {"a", "B", "c", "zz", "<none>"}) {
    mgr->GetStringIndex(keeper, id);
    mgr->GetStringByID(keeper, id);
    mgr->GetVoicePathByID(keeper, id);
    mgr->IsValidID(keeper, id);
    mgr->HasStringByID(keeper, id);
    mgr->HasVoicePathByID(keeper, id);
    mgr->EnumerateIDsByPrefix(
        keeper, id, [](const char *, void *) {}, nullptr);
  }
  for (int32_t i = -3; i < 5; ++i) {
    mgr->GetStringID(keeper, i);
    mgr->GetStringByIndex(keeper, i);
    mgr->GetVoicePathByIndex(keeper, i);
    mgr->HasStringByIndex(keeper, i);
    mgr->HasVoicePathByIndex(keeper, i);
  }
  EXPECT_EQ(HostMemory().Allocations(), 0);
  EXPECT_EQ(HostMemory().Frees(), 0);
}

TEST(LookupProperty, ManyThreadsLookUpInOneKeeper) {
  std::vector<authoring::Entry> entries;
  for (int i = 0; i < 500; ++i)
    entries.push_back(
        E("ID_" + std::to_string(i), "value " + std::to_string(i)));
  Keeper keeper(entries);
  std::vector<std::thread> threads;
  std::atomic<int> mismatches{0};
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      IPhrasorMgr *mgr = GetIPhrasorMgr();
      for (int round = 0; round < 2000; ++round) {
        int i = (round * 7 + t * 13) % 500;
        std::string id = "id_" + std::to_string(i);
        if (Narrow(mgr->GetStringByID(keeper, id.c_str())) !=
            "value " + std::to_string(i))
          ++mismatches;
        int32_t index = mgr->GetStringIndex(keeper, id.c_str());
        if (StrICmp(mgr->GetStringID(keeper, index), id.c_str()) != 0)
          ++mismatches;
        int count = 0;
        mgr->EnumerateIDsByPrefix(
            keeper, "ID_49",
            [](const char *, void *n) { ++*static_cast<int *>(n); }, &count);
        if (count != 11)
          ++mismatches;
      }
    });
  }
  for (auto &thread : threads)
    thread.join();
  EXPECT_EQ(mismatches.load(), 0);
}
