//===- lookup_test.cpp - Lookups by index and by ID -----------------------===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace phrasor::test;

namespace {

// Stored IDs: "Alpha" (value + voice), "beta" (value), "Gamma" (voice only),
// "<NONE>" (an ordinary ID that only looks like the reserved one).
struct LookupTest : ::testing::Test {
  Keeper keeper{{E("Alpha", "first", "alpha.wav"), E("beta", "second"),
                 E("Gamma", std::nullopt, "gamma.wav"), E("<NONE>", "caps")}};
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;

  void ExpectReport(const std::string &label, const std::string &message) {
    ASSERT_EQ(log.reports.size(), 1u);
    EXPECT_EQ(log.reports[0].keeper, keeper.get());
    EXPECT_EQ(log.reports[0].labelText, label);
    EXPECT_EQ(log.reports[0].message, message);
    log.reports.clear();
  }
  void ExpectNoReport() {
    EXPECT_TRUE(log.reports.empty());
    log.reports.clear();
  }
};

const std::string kInvalidIndex = "[ERROR: Invalid String Index]";
const std::string kInvalidId = "[ERROR: Invalid String ID]";
const std::string kNoValue = "[ERROR: String Value Not Found]";
const std::string kNoVoice = "[ERROR: String Voice Path Not Found]";
const std::string kNotInit = "[ERROR: String Keeper Not Initialized]";

} // namespace

TEST_F(LookupTest, ValidIndicesAnswerWithoutReports) {
  // Sorted: "<NONE>" (0x3C) first, then alpha, beta, gamma.
  EXPECT_STREQ(mgr->GetStringID(keeper, 0), "<NONE>");
  EXPECT_STREQ(mgr->GetStringID(keeper, 1), "Alpha");
  EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, 2)), "second");
  EXPECT_STREQ(mgr->GetVoicePathByIndex(keeper, 3), "gamma.wav");
  EXPECT_TRUE(mgr->HasStringByIndex(keeper, 1));
  EXPECT_FALSE(mgr->HasStringByIndex(keeper, 3));
  EXPECT_TRUE(mgr->HasVoicePathByIndex(keeper, 3));
  EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, 2));
  ExpectNoReport();
}

TEST_F(LookupTest, OutOfRangeIndicesReportUnknown) {
  for (int32_t index : {-1, -3, 4, 1000, INT32_MIN}) {
    SCOPED_TRACE(index);
    EXPECT_STREQ(mgr->GetStringID(keeper, index), "[UNKNOWN]");
    ExpectReport("[UNKNOWN]", kInvalidIndex);
    EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, index)), kInvalidIndex);
    ExpectReport("[UNKNOWN]", kInvalidIndex);
    EXPECT_EQ(mgr->GetVoicePathByIndex(keeper, index), kInvalidIndex);
    ExpectReport("[UNKNOWN]", kInvalidIndex);
    EXPECT_FALSE(mgr->HasStringByIndex(keeper, index));
    ExpectReport("[UNKNOWN]", kInvalidIndex);
    EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, index));
    ExpectReport("[UNKNOWN]", kInvalidIndex);
  }
}

TEST_F(LookupTest, NoneIndexIsEmptyForStringsButInvalidForPresenceTests) {
  EXPECT_STREQ(mgr->GetStringID(keeper, -2), "<none>");
  EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, -2)), "");
  EXPECT_STREQ(mgr->GetVoicePathByIndex(keeper, -2), "");
  ExpectNoReport();
  EXPECT_FALSE(mgr->HasStringByIndex(keeper, -2));
  ExpectReport("[UNKNOWN]", kInvalidIndex);
  EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, -2));
  ExpectReport("[UNKNOWN]", kInvalidIndex);
}

TEST_F(LookupTest, MissingValueOrVoiceReportsTheStoredIdByIndex) {
  EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, 3)), kNoValue);
  ExpectReport("Gamma", kNoValue);
  EXPECT_EQ(mgr->GetVoicePathByIndex(keeper, 2), kNoVoice);
  ExpectReport("beta", kNoVoice);
}

TEST_F(LookupTest, IdsAreFoundInAnyLetterCase) {
  EXPECT_EQ(mgr->GetStringIndex(keeper, "ALPHA"), 1);
  EXPECT_STREQ(mgr->GetStringID(keeper, 1), "Alpha");
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "BeTa")), "second");
  EXPECT_STREQ(mgr->GetVoicePathByID(keeper, "gamma"), "gamma.wav");
  EXPECT_TRUE(mgr->IsValidID(keeper, "GAMMA"));
  EXPECT_TRUE(mgr->HasStringByID(keeper, "alpha"));
  EXPECT_TRUE(mgr->HasVoicePathByID(keeper, "aLpHa"));
  ExpectNoReport();
}

TEST_F(LookupTest, ReportsByIdCarryTheCallersOwnPointer) {
  const char *id = "GAMMA";
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, id)), kNoValue);
  ASSERT_EQ(log.reports.size(), 1u);
  EXPECT_EQ(log.reports[0].label, id) << "the very pointer, not the stored ID";
  log.reports.clear();
  const char *voiceless = "BETA";
  EXPECT_EQ(mgr->GetVoicePathByID(keeper, voiceless), kNoVoice);
  ASSERT_EQ(log.reports.size(), 1u);
  EXPECT_EQ(log.reports[0].label, voiceless);
  EXPECT_EQ(log.reports[0].message, kNoVoice);
}

TEST_F(LookupTest, AbsentIdsFailByOperation) {
  EXPECT_EQ(mgr->GetStringIndex(keeper, "delta"), -1);
  ExpectNoReport();
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "delta")), kInvalidId);
  ExpectReport("delta", kInvalidId);
  EXPECT_EQ(mgr->GetVoicePathByID(keeper, "delta"), kInvalidId);
  ExpectReport("delta", kInvalidId);
  EXPECT_FALSE(mgr->IsValidID(keeper, "delta"));
  EXPECT_FALSE(mgr->HasStringByID(keeper, "delta"));
  EXPECT_FALSE(mgr->HasVoicePathByID(keeper, "delta"));
  ExpectNoReport();
  EXPECT_FALSE(mgr->HasStringByID(keeper, "Gamma"));
  EXPECT_FALSE(mgr->HasVoicePathByID(keeper, "beta"));
  ExpectNoReport();
  // A voice-only entry has its voice path, and saying so reports nothing.
  EXPECT_TRUE(mgr->HasVoicePathByID(keeper, "gamma"));
  ExpectNoReport();
}

TEST_F(LookupTest, ReservedNoneIdIsExactAndCaseSensitive) {
  EXPECT_EQ(mgr->GetStringIndex(keeper, "<none>"), -2);
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "<none>")), "");
  EXPECT_STREQ(mgr->GetVoicePathByID(keeper, "<none>"), "");
  ExpectNoReport();
  // The presence tests search for it like any ID; here it matches the
  // stored "<NONE>", which is an ordinary entry.
  EXPECT_TRUE(mgr->IsValidID(keeper, "<none>"));
  EXPECT_TRUE(mgr->HasStringByID(keeper, "<none>"));
  EXPECT_EQ(mgr->GetStringIndex(keeper, "<NONE>"), 0);
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "<NONE>")), "caps");
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "<None>")), "caps");
  ExpectNoReport();
}

TEST_F(LookupTest, NullIdReportsNullLabel) {
  EXPECT_EQ(mgr->GetStringIndex(keeper, nullptr), -1);
  ExpectNoReport();
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, nullptr)), kInvalidId);
  ExpectReport("[NULL]", kInvalidId);
  EXPECT_EQ(mgr->GetVoicePathByID(keeper, nullptr), kInvalidId);
  ExpectReport("[NULL]", kInvalidId);
  EXPECT_FALSE(mgr->IsValidID(keeper, nullptr));
  ExpectReport("[NULL]", kInvalidId);
  EXPECT_FALSE(mgr->HasStringByID(keeper, nullptr));
  ExpectReport("[NULL]", kInvalidId);
  EXPECT_FALSE(mgr->HasVoicePathByID(keeper, nullptr));
  ExpectReport("[NULL]", kInvalidId);
}

TEST(Lookup, EmptyKeeperIsNotInitializedForIdsButStillKnowsNone) {
  Keeper keeper(std::vector<phrasor::authoring::Entry>{});
  ASSERT_NE(keeper.get(), nullptr);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;
  EXPECT_EQ(mgr->GetStringIndex(keeper, "<none>"), -1);
  EXPECT_EQ(mgr->GetStringIndex(keeper, "x"), -1);
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "<none>")), "");
  EXPECT_STREQ(mgr->GetVoicePathByID(keeper, "<none>"), "");
  EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, -2)), "");
  EXPECT_STREQ(mgr->GetStringID(keeper, -2), "<none>");
  EXPECT_TRUE(log.reports.empty());

  const char *id = "x";
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, id)), kNotInit);
  EXPECT_EQ(mgr->GetVoicePathByID(keeper, id), kNotInit);
  EXPECT_FALSE(mgr->IsValidID(keeper, id));
  EXPECT_FALSE(mgr->HasStringByID(keeper, id));
  EXPECT_FALSE(mgr->HasVoicePathByID(keeper, id));
  EXPECT_FALSE(mgr->IsValidID(keeper, "<none>"));
  ASSERT_EQ(log.reports.size(), 6u);
  for (std::size_t i = 0; i < 5; ++i) {
    EXPECT_EQ(log.reports[i].label, id);
    EXPECT_EQ(log.reports[i].message, kNotInit);
  }
  log.reports.clear();
  EXPECT_STREQ(mgr->GetStringID(keeper, 0), "[UNKNOWN]");
  EXPECT_FALSE(mgr->HasStringByIndex(keeper, -2));
  ASSERT_EQ(log.reports.size(), 2u);
  EXPECT_EQ(log.reports[1].message, kInvalidIndex);
}

TEST(Lookup, ReservedIdInCapitalsIsAnOrdinaryMissingId) {
  Keeper keeper({E("a", "x")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;
  EXPECT_EQ(mgr->GetStringIndex(keeper, "<NONE>"), -1);
  EXPECT_EQ(Narrow(mgr->GetStringByID(keeper, "<NONE>")), kInvalidId);
  EXPECT_STREQ(mgr->GetVoicePathByID(keeper, "<None>"), kInvalidId.c_str());
  EXPECT_FALSE(mgr->IsValidID(keeper, "<NONE>"));
  ASSERT_EQ(log.reports.size(), 2u);
  EXPECT_EQ(log.reports[0].labelText, "<NONE>");
  EXPECT_EQ(log.reports[1].labelText, "<None>");
}

TEST(Lookup, ByIndexOnAnEmptyKeeperIsAlwaysOutOfRange) {
  Keeper keeper(std::vector<phrasor::authoring::Entry>{});
  ASSERT_NE(keeper.get(), nullptr);
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  ReportLog log;
  for (int32_t index : {0, 1, -1, INT32_MIN}) {
    SCOPED_TRACE(index);
    EXPECT_STREQ(mgr->GetStringID(keeper, index), "[UNKNOWN]");
    EXPECT_EQ(Narrow(mgr->GetStringByIndex(keeper, index)), kInvalidIndex);
    EXPECT_STREQ(mgr->GetVoicePathByIndex(keeper, index),
                 kInvalidIndex.c_str());
    EXPECT_FALSE(mgr->HasStringByIndex(keeper, index));
    EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, index));
  }
  EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, -2));
  ASSERT_EQ(log.reports.size(), 4u * 5 + 1);
  for (const auto &report : log.reports) {
    EXPECT_EQ(report.labelText, "[UNKNOWN]");
    EXPECT_EQ(report.message, kInvalidIndex);
  }
}

TEST(Lookup, OneEntrySearchDecidesWithOneComparison) {
  Keeper keeper({E("m", "middle")});
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  EXPECT_EQ(mgr->GetStringIndex(keeper, "a"), -1);
  EXPECT_EQ(mgr->GetStringIndex(keeper, "z"), -1);
  EXPECT_EQ(mgr->GetStringIndex(keeper, "M"), 0);
  EXPECT_EQ(mgr->GetStringIndex(keeper, "m2"), -1);
  EXPECT_EQ(mgr->GetStringIndex(keeper, ""), -1);
}

TEST(Lookup, CaseFoldingIgnoresTheProcessLocale) {
  // Bytes above 0x7F and the letters around 'Z'/'a' are never folded, so a
  // host's setlocale cannot change which ID is found.
  Keeper keeper(
      {E("\xC9t\xC9", "accent"), E("[x]", "bracket"), E("{x}", "brace")});
  std::setlocale(LC_ALL, "C.UTF-8");
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  EXPECT_EQ(mgr->GetStringIndex(keeper, "\xE9t\xE9"), -1);
  EXPECT_NE(mgr->GetStringIndex(keeper, "\xC9T\xC9"), -1);
  EXPECT_NE(mgr->GetStringIndex(keeper, "[X]"), -1);
  EXPECT_NE(mgr->GetStringIndex(keeper, "{X}"), -1);
  std::setlocale(LC_ALL, "C");
}

TEST(Lookup, ReferencesInAnyOrderReachTheirOwnStrings) {
  // Values and voice paths stored in another order than the IDs, shared
  // between entries, of every padding length, with entries lacking one or
  // the other: each lookup must land on the string its pair names.
  phrasor::authoring::RawDatabase db;
  db.ids = {"a", "bb", "ccc", "dddd", "eeeee"};
  db.values = {u"v0", u"", u"v2-long", u"v3"};
  db.voicePaths = {"p0.wav", "p", "p2-longer.wav"};
  db.pairs = {
      {3, 2}, {0, phrasor::NO_ENTRY}, {phrasor::NO_ENTRY, 0}, {0, 1}, {2, 2}};
  Keeper keeper(phrasor::authoring::Serialize(db));
  IPhrasorMgr *mgr = GetIPhrasorMgr();
  for (size_t i = 0; i < db.ids.size(); ++i) {
    SCOPED_TRACE(db.ids[i]);
    const int32_t index = static_cast<int32_t>(i);
    const char *id = db.ids[i].c_str();
    EXPECT_EQ(mgr->GetStringIndex(keeper, id), index);
    const phrasor::authoring::RefPair &pair = db.pairs[i];
    if (pair.valueRef == phrasor::NO_ENTRY) {
      EXPECT_FALSE(mgr->HasStringByID(keeper, id));
    } else {
      const PhrasorWChar *value = mgr->GetStringByID(keeper, id);
      EXPECT_EQ(value, mgr->GetStringByIndex(keeper, index));
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t *>(value)),
                db.values[pair.valueRef]);
    }
    if (pair.voicePathRef == phrasor::NO_ENTRY) {
      EXPECT_FALSE(mgr->HasVoicePathByIndex(keeper, index));
    } else {
      const char *voice = mgr->GetVoicePathByID(keeper, id);
      EXPECT_EQ(voice, mgr->GetVoicePathByIndex(keeper, index));
      EXPECT_EQ(voice, db.voicePaths[pair.voicePathRef]);
    }
  }
}
