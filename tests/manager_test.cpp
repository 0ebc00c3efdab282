//===- manager_test.cpp - The entry point, callbacks and null handles -----===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace phrasor::test;

namespace {

int CallsA = 0, CallsB = 0;
void *SeenData = nullptr;
void CallbackA(HSTRINGKEEPER, const char *, const char *, void *data) {
  ++CallsA;
  SeenData = data;
}
void CallbackB(HSTRINGKEEPER, const char *, const char *, void *data) {
  ++CallsB;
  SeenData = data;
}

struct CallbackReset : ::testing::Test {
  void SetUp() override { CallsA = CallsB = 0, SeenData = nullptr; }
  void TearDown() override {
    GetIPhrasorMgr()->SetErrorCallback(nullptr, nullptr);
  }
};

} // namespace

TEST(Manager, EveryCallReturnsTheSameObject) {
  EXPECT_NE(GetIPhrasorMgr(), nullptr);
  EXPECT_EQ(GetIPhrasorMgr(), GetIPhrasorMgr());
}

TEST_F(CallbackReset, RegistrationIsSeenThroughEveryPointer) {
  Keeper keeper({E("a", "x")});
  int data = 0;
  EXPECT_TRUE(GetIPhrasorMgr()->SetErrorCallback(CallbackA, &data));
  GetIPhrasorMgr()->GetStringByID(keeper, "missing");
  EXPECT_EQ(CallsA, 1);
  EXPECT_EQ(SeenData, &data);
}

TEST_F(CallbackReset, SecondRegistrationReplacesTheFirst) {
  Keeper keeper({E("a", "x")});
  int first = 0, second = 0;
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  mgr->SetErrorCallback(CallbackA, &first);
  mgr->SetErrorCallback(CallbackB, &second);
  mgr->IsValidID(keeper, nullptr);
  EXPECT_EQ(CallsA, 0);
  EXPECT_EQ(CallsB, 1);
  EXPECT_EQ(SeenData, &second);
}

TEST_F(CallbackReset, ClearOnlyRemovesTheRegisteredCallback) {
  Keeper keeper({E("a", "x")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  mgr->SetErrorCallback(CallbackA, nullptr);
  EXPECT_FALSE(mgr->ClearErrorCallback(CallbackB));
  mgr->GetStringByIndex(keeper, 5);
  EXPECT_EQ(CallsA, 1);
  EXPECT_TRUE(mgr->ClearErrorCallback(CallbackA));
  mgr->GetStringByIndex(keeper, 5);
  EXPECT_EQ(CallsA, 1);
  EXPECT_EQ(CallsB, 0);
  // A null callback may be stored and cleared like any other.
  EXPECT_TRUE(mgr->SetErrorCallback(nullptr, &CallsA));
  EXPECT_TRUE(mgr->ClearErrorCallback(nullptr));
}

TEST_F(CallbackReset, NullHandleAnswersFixedResultsAndTouchesNothing) {
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  mgr->SetErrorCallback(CallbackA, nullptr);
  const std::string handleText = "[ERROR: Invalid String Keeper Handle]";
  PhrasorWChar buffer[8];
  for (auto &unit : buffer)
    unit = 'Z';

  mgr->ReleaseKeeper(nullptr);
  EXPECT_EQ(mgr->GetStringIndex(nullptr, "a"), -1);
  EXPECT_EQ(mgr->GetStringID(nullptr, 0), handleText);
  EXPECT_EQ(Narrow(mgr->GetStringByIndex(nullptr, 0)), handleText);
  EXPECT_EQ(Narrow(mgr->GetStringByID(nullptr, "a")), handleText);
  EXPECT_EQ(mgr->FormatStringByIndex(nullptr, 0, buffer, 8), -1);
  EXPECT_EQ(mgr->FormatStringByID(nullptr, "a", buffer, 8), -1);
  EXPECT_FALSE(mgr->FormatMessageByIndex(nullptr, 0, buffer, 8));
  EXPECT_FALSE(mgr->FormatMessageByID(nullptr, "a", buffer, 8));
  EXPECT_EQ(mgr->GetVoicePathByIndex(nullptr, 0), handleText);
  EXPECT_EQ(mgr->GetVoicePathByID(nullptr, "a"), handleText);
  EXPECT_FALSE(mgr->IsValidID(nullptr, "a"));
  EXPECT_FALSE(mgr->HasStringByIndex(nullptr, 0));
  EXPECT_FALSE(mgr->HasStringByID(nullptr, "a"));
  EXPECT_FALSE(mgr->HasVoicePathByIndex(nullptr, 0));
  EXPECT_FALSE(mgr->HasVoicePathByID(nullptr, "a"));
  EXPECT_FALSE(mgr->EnumerateIDsByPrefix(
      nullptr, "", [](const char *, void *) { ++CallsB; }, nullptr));

  EXPECT_EQ(CallsA, 0);
  EXPECT_EQ(CallsB, 0);
  for (auto unit : buffer)
    EXPECT_EQ(unit, 'Z');
}

TEST_F(CallbackReset, ResultsDoNotDependOnARegisteredCallback) {
  Keeper keeper({E("a", "x"), E("b", std::nullopt, "b.wav")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  auto probe = [&] {
    return std::make_tuple(Narrow(mgr->GetStringByID(keeper, "nope")),
                           Narrow(mgr->GetStringByID(keeper, "b")),
                           std::string(mgr->GetStringID(keeper, 9)),
                           std::string(mgr->GetVoicePathByID(keeper, "a")),
                           mgr->IsValidID(keeper, nullptr),
                           mgr->HasStringByIndex(keeper, -2));
  };
  auto without = probe();
  mgr->SetErrorCallback(CallbackA, nullptr);
  auto with = probe();
  EXPECT_EQ(without, with);
  EXPECT_EQ(CallsA, 6);
}
