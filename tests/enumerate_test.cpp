//===- enumerate_test.cpp - Listing IDs by prefix -------------------------===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace phrasor::test;

namespace {

struct Collected {
  std::vector<std::string> ids;
  void *data = nullptr;
  bool sameData = true;
};

void Collect(const char *id, void *userData) {
  auto *c = static_cast<Collected *>(userData);
  c->ids.push_back(id);
}

std::vector<std::string> Enumerate(HSTRINGKEEPER keeper, const char *prefix,
                                   bool *result = nullptr) {
  Collected c;
  bool r = GetIPhrasorMgr()->EnumerateIDsByPrefix(keeper, prefix, Collect, &c);
  if (result)
    *result = r;
  return c.ids;
}

using Ids = std::vector<std::string>;

} // namespace

TEST(EnumeratePrefix, MatchesRunsAnywhereInTheTable) {
  Keeper keeper({E("AB", "1"), E("abc", "2"), E("b1", "3"), E("B2", "4"),
                 E("C", "5"), E("dx", "6"), E("dy", "7"), E("zz", "8")});
  const struct {
    int line;
    const char *prefix;
    Ids ids;
  } rows[] = {
      {__LINE__, "", {"AB", "abc", "b1", "B2", "C", "dx", "dy", "zz"}},
      {__LINE__, "ab", {"AB", "abc"}}, // first two
      {__LINE__, "ABC", {"abc"}},      // ID equal to prefix, other case
      {__LINE__, "abcd", {}},          // ID shorter than prefix
      {__LINE__, "Z", {"zz"}},         // last only
      {__LINE__, "c", {"C"}},          // one in the middle
      {__LINE__, "b", {"b1", "B2"}},
      {__LINE__, "d", {"dx", "dy"}},
      {__LINE__, "a", {"AB", "abc"}},
      {__LINE__, "e", {}},
      {__LINE__, "0", {}},
      {__LINE__, "~", {}},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.line);
    bool result = false;
    EXPECT_EQ(Enumerate(keeper, row.prefix, &result), row.ids);
    EXPECT_EQ(result, !row.ids.empty());
  }
}

TEST(EnumeratePrefix, StopsAfterAMatchOnlyAtTheFront) {
  Keeper keeper({E("a1", "1"), E("b", "2"), E("c", "3")});
  bool result = false;
  EXPECT_EQ(Enumerate(keeper, "A", &result), Ids{"a1"});
  EXPECT_TRUE(result);
}

TEST(EnumeratePrefix, RefusesNullArgumentsAndEmptyKeepers) {
  Keeper keeper({E("a", "1")});
  Keeper empty(std::vector<phrasor::authoring::Entry>{});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;
  Collected c;
  EXPECT_FALSE(mgr->EnumerateIDsByPrefix(keeper, nullptr, Collect, &c));
  EXPECT_FALSE(mgr->EnumerateIDsByPrefix(keeper, "a", nullptr, &c));
  EXPECT_FALSE(mgr->EnumerateIDsByPrefix(empty, "", Collect, &c));
  EXPECT_TRUE(c.ids.empty());
  EXPECT_TRUE(log.reports.empty()) << "the enumeration never reports";
}

TEST(EnumeratePrefix, PassesUserDataUnchangedEvenNull) {
  Keeper keeper({E("a1", "1"), E("a2", "2")});
  static std::vector<void *> seen;
  seen.clear();
  auto record = [](const char *, void *data) { seen.push_back(data); };
  int marker = 0;
  EXPECT_TRUE(
      GetIPhrasorMgr()->EnumerateIDsByPrefix(keeper, "A", record, &marker));
  EXPECT_TRUE(
      GetIPhrasorMgr()->EnumerateIDsByPrefix(keeper, "a", record, nullptr));
  EXPECT_EQ(seen, (std::vector<void *>{&marker, &marker, nullptr, nullptr}));
}

TEST(EnumeratePrefix, CallbackMayLookUpAndEnumerateTheSameKeeper) {
  Keeper keeper({E("UI_A", "a"), E("UI_B", "b"), E("UI_C", "c"), E("X", "x")});
  struct State {
    HSTRINGKEEPER keeper;
    std::vector<std::string> seen;
    int nested = 0;
  } state{keeper.get(), {}, 0};
  auto visit = [](const char *id, void *data) {
    auto *s = static_cast<State *>(data);
    IPhrasorMgr *mgr = GetIPhrasorMgr();
    s->seen.push_back(id + std::string("=") +
                      Narrow(mgr->GetStringByID(s->keeper, id)));
    auto count = [](const char *, void *n) { ++*static_cast<int *>(n); };
    mgr->EnumerateIDsByPrefix(s->keeper, "ui_", count, &s->nested);
  };
  EXPECT_TRUE(
      GetIPhrasorMgr()->EnumerateIDsByPrefix(keeper, "UI_", visit, &state));
  EXPECT_EQ(state.seen, (Ids{"UI_A=a", "UI_B=b", "UI_C=c"}));
  EXPECT_EQ(state.nested, 9);
}
