//===- database_format_test.cpp - The validator agrees with the loader ----===//
//
// The tool judges a file with ValidateDatabase and the runtime with its
// loader; both apply the same rules, and these sweeps hold them to it: over
// every truncation and every single corrupt byte of a few databases, the
// validator finds no problem exactly when CreateKeeper returns a keeper.
//
//===----------------------------------------------------------------------===//

#include "tests/support/TestSupport.h"

#include "keeper/DatabaseFormat.h"

#include <gtest/gtest.h>

using namespace phrasor;
using namespace phrasor::test;

namespace {

std::vector<std::vector<uint8_t>> Databases() {
  std::vector<std::vector<uint8_t>> out;
  out.push_back(*authoring::BuildDatabase(
      {E("Alpha", "first", "a.wav"), E("beta", "second"),
       E("Gamma", std::nullopt, "g.wav"), E("delta", "first")}));
  out.push_back(*authoring::BuildDatabase({}));
  out.push_back(*authoring::BuildDatabase(
      {E("voice.only", std::nullopt, "v.ogg"), E("w", "\xE4\xB8\xAD%1!d!")}));
  return out;
}

bool Loads(const std::vector<uint8_t> &bytes) {
  MemoryStream stream(bytes);
  HSTRINGKEEPER keeper = GetIPhrasorMgr()->CreateKeeper(&stream);
  GetIPhrasorMgr()->ReleaseKeeper(keeper);
  return keeper != nullptr;
}

void ExpectAgreement(const std::vector<uint8_t> &bytes) {
  const DatabaseCheck check = ValidateDatabase(bytes.data(), bytes.size());
  EXPECT_EQ(check.problem == DatabaseProblem::None, Loads(bytes))
      << DescribeDatabaseProblem(check.problem);
}

} // namespace

TEST(DatabaseFormat, AgreesWithTheLoaderOnEveryTruncation) {
  for (const std::vector<uint8_t> &bytes : Databases()) {
    for (std::size_t n = 0; n <= bytes.size(); ++n) {
      SCOPED_TRACE(n);
      ExpectAgreement(std::vector<uint8_t>(bytes.begin(), bytes.begin() + n));
    }
  }
}

TEST(DatabaseFormat, AgreesWithTheLoaderOnEveryCorruptByte) {
  for (const std::vector<uint8_t> &bytes : Databases()) {
    for (std::size_t at = 0; at < bytes.size(); ++at) {
      for (uint8_t value : {0x00, 0x01, 0x41, 0x7F, 0x80, 0xFF}) {
        SCOPED_TRACE(at);
        std::vector<uint8_t> bad = bytes;
        bad[at] = value;
        ExpectAgreement(bad);
      }
    }
  }
}

TEST(DatabaseFormat, NamesTheRuleAndWhereItApplies) {
  authoring::RawDatabase db =
      authoring::Compile({E("a", "x"), E("b", "y")}).database;
  db.pairs[1].valueRef = 5;
  std::vector<uint8_t> bytes = authoring::Serialize(db);
  DatabaseCheck check = ValidateDatabase(bytes.data(), bytes.size());
  EXPECT_EQ(check.problem, DatabaseProblem::ValueRefOutOfRange);
  EXPECT_EQ(check.index, 1u);
  EXPECT_EQ(DecodeWord(bytes.data() + check.offset), 5u);

  db = authoring::Compile({E("a", "x"), E("b", "y")}).database;
  std::swap(db.ids[0], db.ids[1]);
  bytes = authoring::Serialize(db);
  check = ValidateDatabase(bytes.data(), bytes.size());
  EXPECT_EQ(check.problem, DatabaseProblem::IdsOutOfOrder);
  EXPECT_EQ(check.index, 1u);

  db = authoring::Compile({E("a", "x")}).database;
  db.trailer = {9, 9, 9};
  bytes = authoring::Serialize(db);
  check = ValidateDatabase(bytes.data(), bytes.size());
  EXPECT_EQ(check.problem, DatabaseProblem::None);
  EXPECT_EQ(bytes.size() - check.end, 3u);
}

TEST(DatabaseFormat, DescribesEveryProblem) {
  for (int p = 0;
       p <= static_cast<int>(DatabaseProblem::VoicePathRefOutOfRange); ++p)
    EXPECT_STRNE(DescribeDatabaseProblem(static_cast<DatabaseProblem>(p)), "");
}
