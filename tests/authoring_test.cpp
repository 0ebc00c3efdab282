//===- authoring_test.cpp - The database writer ---------------------------===//

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

using namespace phrasor;
using namespace phrasor::test;
using authoring::Compile;
using authoring::CompileIssue;

TEST(Authoring, SortsIdsCaseInsensitivelyAndSharesEqualStrings) {
  auto result = Compile({E("b", "same", "v.wav"), E("A", "same"),
                         E("_x", "other", "v.wav"), E("a1", std::nullopt)});
  ASSERT_TRUE(result.issues.empty());
  const auto &db = result.database;
  // '_' (0x5F) sorts after the folded letters' capitals but before 'a'.
  EXPECT_EQ(db.ids, (std::vector<std::string>{"_x", "A", "a1", "b"}));
  EXPECT_EQ(db.values, (std::vector<std::u16string>{u"other", u"same"}));
  EXPECT_EQ(db.voicePaths, (std::vector<std::string>{"v.wav"}));
  EXPECT_EQ(db.pairs[1].valueRef, db.pairs[3].valueRef);
  EXPECT_EQ(db.pairs[2].valueRef, NO_ENTRY);
  EXPECT_EQ(db.pairs[0].voicePathRef, db.pairs[3].voicePathRef);
}

TEST(Authoring, RefusesIdsEqualUnderCaseFolding) {
  auto result = Compile(
      {E("Menu_OK", "a"), E("x", "b"), E("MENU_ok", "c"), E("menu_ok", "d")});
  ASSERT_EQ(result.issues.size(), 2u);
  for (const CompileIssue &issue : result.issues) {
    EXPECT_EQ(issue.kind, CompileIssue::DuplicateId);
    EXPECT_EQ(issue.other, 0u) << "duplicates point at the first definition";
  }
  EXPECT_EQ(result.issues[0].entry, 2u);
  EXPECT_EQ(result.issues[1].entry, 3u);
}

TEST(Authoring, RefusesEmbeddedNuls) {
  authoring::Entry bad = E("ok", "x");
  bad.value = std::u16string(u"a\0b", 3);
  auto result = Compile({bad, E(std::string("i\0d", 3), "y")});
  ASSERT_EQ(result.issues.size(), 2u);
  EXPECT_EQ(result.issues[0].kind, CompileIssue::NulInValue);
  EXPECT_EQ(result.issues[1].kind, CompileIssue::NulInId);
}

TEST(Authoring, RefusesABlockTooLargeForItsSizeWord) {
  // Slots: "a" 4 + u"xyz" 8, "b" 4 + shared value 0 + "v" 4 = 20 bytes.
  const std::vector<authoring::Entry> entries = {E("b", "xyz", "v"),
                                                 E("a", "xyz")};
  EXPECT_TRUE(Compile(entries, 20).issues.empty());
  auto result = Compile(entries, 19);
  ASSERT_EQ(result.issues.size(), 1u);
  EXPECT_EQ(result.issues[0].kind, CompileIssue::TooLarge);
  EXPECT_EQ(result.issues[0].entry, 0u) << "\"b\" takes it past the limit";
  EXPECT_TRUE(result.database.ids.empty());
}

TEST(Authoring, OutputIsDeterministicAndIndependentOfInputOrder) {
  std::vector<authoring::Entry> a = {E("one", "1"), E("two", "2", "t.ogg"),
                                     E("three", "3")};
  std::vector<authoring::Entry> b = {a[2], a[0], a[1]};
  EXPECT_EQ(authoring::BuildDatabase(a), authoring::BuildDatabase(a));
  EXPECT_EQ(authoring::BuildDatabase(a), authoring::BuildDatabase(b));
}

TEST(Authoring, PadsEveryStringToFourBytes) {
  // IDs of 1 and 4 bytes, a value of 2 units, a voice path of 1 byte: the
  // strings start at 0, 4, 12 and 20 and the block is 24 bytes.
  auto bytes =
      authoring::BuildDatabase({E("a", std::nullopt), E("bcde", "xy", "v")});
  ASSERT_TRUE(bytes);
  const auto &b = *bytes;
  auto word = [&](std::size_t at) {
    return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | b[at + 3] << 24;
  };
  EXPECT_EQ(word(20), 24u);
  EXPECT_EQ(b[24 + 0], 'a');
  EXPECT_EQ(b[24 + 4], 'b');
  EXPECT_EQ(b[24 + 12], 'x');
  EXPECT_EQ(b[24 + 14], 'y');
  EXPECT_EQ(b[24 + 20], 'v');
  EXPECT_EQ(b.size(), 24u + 24u + 16u);
}

TEST(Authoring, ALayoutWritesTheCompiledDatabasesBytes) {
  // Enough entries that the table of shared strings fills and probes past
  // its collisions, values and voice paths shared in patterns the sort
  // scatters, IDs differing only in case or past a long common prefix.
  std::vector<authoring::Entry> entries;
  for (int i = 0; i < 3000; ++i) {
    std::string id = "Shared_Prefix_Of_A_Real_Catalog." + std::to_string(i);
    if (i % 3 == 0)
      id[0] = 's';
    std::optional<std::string> value;
    if (i % 11 != 0)
      value = "text " + std::to_string(i % 97);
    entries.push_back(i % 5 == 0 ? E(id, value, std::to_string(i % 13) + ".wav")
                                 : E(id, value));
  }
  entries.push_back(E("", "empty ID, empty value"));
  entries.push_back(E("z", ""));
  const authoring::LayoutResult laid = authoring::Lay(entries);
  const authoring::CompileResult compiled = Compile(entries);
  ASSERT_TRUE(laid.issues.empty());
  ASSERT_TRUE(compiled.issues.empty());
  EXPECT_EQ(compiled.database.values.size(), 99u);
  EXPECT_EQ(compiled.database.voicePaths.size(), 13u);
  EXPECT_EQ(authoring::Serialize(entries, laid.layout),
            authoring::Serialize(compiled.database));

  // Given in pieces, the bytes are the same, cut only between strings.
  for (int i = 0; i < 20000; ++i)
    entries.push_back(E("long." + std::to_string(i),
                        std::string(60, 'a') + std::to_string(i)));
  const authoring::LayoutResult large = authoring::Lay(entries);
  std::vector<uint8_t> pieces;
  std::size_t count = 0;
  authoring::SerializeTo(entries, large.layout,
                         [&](const uint8_t *bytes, std::size_t size) {
                           pieces.insert(pieces.end(), bytes, bytes + size);
                           ++count;
                         });
  EXPECT_GT(count, 2u);
  EXPECT_EQ(pieces, authoring::Serialize(entries, large.layout));
  entries.resize(entries.size() - 20000);

  // The refusals are the same too, and leave no layout behind.
  entries.push_back(E("SHARED_PREFIX_OF_A_REAL_CATALOG.7", "again"));
  const authoring::LayoutResult refused = authoring::Lay(entries);
  ASSERT_EQ(refused.issues.size(), 1u);
  EXPECT_EQ(refused.issues[0].entry, entries.size() - 1);
  EXPECT_EQ(refused.issues[0].other, 7u);
  EXPECT_EQ(authoring::Lay({E("b", "xyz", "v"), E("a", "xyz")}, 19)
                .layout.order.size(),
            0u);
}
