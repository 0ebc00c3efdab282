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
#include <iterator>
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

// The halving search as documented, step by step, with the plain
// comparison: among IDs equal under folding it finds the same one the
// keeper must find.
int32_t ReferenceFind(const std::vector<std::string> &ids, const char *id) {
  uint32_t lo = 0, hi = static_cast<uint32_t>(ids.size()), mid = hi / 2;
  for (;;) {
    int r = StrICmp(id, ids[mid].c_str());
    if (r == 0)
      return static_cast<int32_t>(mid);
    if (r < 0)
      hi = mid;
    else
      lo = mid;
    uint32_t next = lo + (hi - lo) / 2;
    if (next == mid)
      return -1;
    mid = next;
  }
}

// IDs as catalogs name them, and worse: long shared prefixes (one longer
// than the search folds), short IDs, bytes around the letters and above
// 0x7F, and case twins.
std::string CatalogLikeId(std::mt19937 &rng) {
  static const char *const prefixes[] = {
      "",
      "a",
      "DLG_NPC_0412_",
      "dlg_npc_0413_",
      "UI_MENU_",
      "ui_menu_tItle",
      "QUEST_0001_REWARD_",
      "A_VERY_LONG_PREFIX_THAT_RUNS_PAST_THE_FOLDED_COPY_OF_THE_ID_"};
  static const char alphabet[] = "aAzZ_@[`{0\x7F\x80\xC3\xA9\xFF";
  std::uniform_int_distribution<size_t> prefix(0, std::size(prefixes) - 1);
  std::uniform_int_distribution<int> length(0, 12),
      pick(0, sizeof alphabet - 2);
  std::string id = prefixes[prefix(rng)];
  for (int n = length(rng); n > 0; --n)
    id += alphabet[pick(rng)];
  return id;
}

std::string SwapCase(std::string id) {
  for (char &c : id) {
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
    else if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  }
  return id;
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

// Tables from one entry to past the size where the search fetches ahead;
// queries are stored IDs in another case, and near misses that agree with
// a stored ID over every byte a probe key holds: the same ID cut short or
// run on, or with one byte changed.
TEST(LookupProperty, SearchFindsTheSameEntryAsTheDocumentedSteps) {
  std::mt19937 rng(20261209);
  for (size_t count : {1u, 2u, 3u, 5u, 17u, 200u, 3000u, 9000u}) {
    for (int table = 0; table < (count < 1000 ? 40 : 3); ++table) {
      std::vector<std::string> ids;
      for (size_t i = 0; i < count; ++i)
        ids.push_back(CatalogLikeId(rng));
      std::stable_sort(ids.begin(), ids.end(),
                       [](const auto &a, const auto &b) {
                         return StrICmp(a.c_str(), b.c_str()) < 0;
                       });
      authoring::RawDatabase db;
      db.ids = ids;
      db.values = {u"v"};
      db.pairs.assign(ids.size(), authoring::RefPair{0, NO_ENTRY});
      Keeper keeper(authoring::Serialize(db));
      ASSERT_NE(keeper.get(), nullptr);
      std::uniform_int_distribution<size_t> any(0, ids.size() - 1);
      for (int probe = 0; probe < 300; ++probe) {
        std::string query = ids[any(rng)];
        switch (probe % 6) {
        case 0:
          query = SwapCase(query);
          break;
        case 1:
          query.resize(query.size() / 2 + query.size() % 2);
          break;
        case 2:
          query += probe % 4 ? "\x01" : "a";
          break;
        case 3:
          if (!query.empty())
            query[rng() % query.size()] ^= 0x21;
          break;
        case 4:
          query = CatalogLikeId(rng);
          break;
        default:
          break;
        }
        ASSERT_EQ(keeper.get()->FindID(query.c_str()),
                  ReferenceFind(ids, query.c_str()))
            << count << " IDs, query '" << query << "'";
      }
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
