//===- against_test.cpp - A translation checked against its source --------===//
//
// CheckAgainst called in the test's process, on sets read as check reads
// them: sources through their readers, databases built in memory from the
// same sources and opened as files. The command line around it is tested
// end to end in qa_test.cpp.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/phrasor/sets/CheckAgainst.h"
#include "tools/phrasor/sets/CheckedSet.h"
#include "tools/phrasor/sets/SourceSet.h"

namespace phrasor::clitest {
namespace {

using namespace phrasor::tool;

class Against : public Cli {
protected:
  /// What check --against reports, one "error: where: message" or
  /// "warning: ..." line each, and whether it fails.
  struct Checked {
    bool failed = false;
    std::string problems;
  };

  /// Builds the database \p db from the source \p file as build does.
  void Build(const std::string &file, const std::string &db) {
    Diagnostics diag;
    std::vector<KeptProblem> kept;
    diag.KeepIn(&kept);
    const SourceSet sources =
        ReadSources({(dir / file).string()}, InputOptions(), diag);
    ASSERT_FALSE(diag.Failed()) << file;
    const std::vector<uint8_t> bytes =
        authoring::Serialize(sources.entries, sources.compiled.layout);
    WriteBytes(db, bytes);
  }

  /// Checks \p translation against \p source, both files in the scratch
  /// directory, named in reports as the user named them.
  Checked Check(const std::string &translation, const std::string &source,
                bool strict = false) {
    const fs::path was = fs::current_path();
    fs::current_path(dir);
    Diagnostics diag(strict);
    std::vector<KeptProblem> kept;
    diag.KeepIn(&kept);
    Checked c;
    std::optional<CheckedSet> from =
        LoadAgainst(source, InputOptions(), "", diag);
    std::optional<CheckedSet> checked =
        from ? LoadChecked(translation, ReadingAgainst(InputOptions(), *from),
                           diag, SourceChecks::Build)
             : std::nullopt;
    if (from && checked)
      CheckAgainst(*checked, *from, diag);
    fs::current_path(was);
    c.failed = diag.Failed() || !from || !checked;
    for (const KeptProblem &p : kept)
      c.problems += std::string(p.error ? "error: " : "warning: ") + p.where +
                    ": " + p.message + "\n";
    return c;
  }
};

TEST_F(Against, InsertsThatTakeOtherArgumentsAreErrors) {
  Write("en.csv", "id,value\nDLG,%1!s! has %2!d! points\nUI,Hi\n");
  Build("en.csv", "en.skdb");
  struct Row {
    const char *translation;
    bool failed;
    const char *expected;
  } rows[] = {
      {"%2!d! Punkte für %1!s!", false, ""},
      {"%1!s! a des points", true,
       "error: fr.skdb: ID 'DLG': drops insert %2 (%2!d! in the source)"},
      {"%1!s! a %2!s! points", true,
       "error: fr.skdb: ID 'DLG': insert %2!s! takes another type than the "
       "source's %2!d!"},
      {"%1!s! a %2!d! points (%3!d!)", true,
       "insert %3!d! is not in the source"},
      {"%1!s! a %2!ld! points", true, "takes another type"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.translation);
    Write("fr.json", std::string("{\"DLG\": \"") + row.translation +
                         "\", \"UI\": \"Salut\"}");
    Build("fr.json", "fr.skdb");
    const Checked c = Check("fr.skdb", "en.skdb");
    EXPECT_EQ(c.failed, row.failed) << c.problems;
    EXPECT_CONTAINS(c.problems, row.expected);
  }
}

TEST_F(Against, PrintfConversionsMustMatchInOrder) {
  Write("en.csv", "id,value\nHUD,HP %d/%d (%.0f%%)\n");
  Build("en.csv", "en.skdb");
  struct Row {
    const char *translation;
    bool failed;
  } rows[] = {
      {"PV %d/%d (%.0f %%)", false},
      {"PV %d/%s (%.0f %%)", true},
      {"PV %d (%.0f %%)", true},
      {"PV %d/%*d (%.0f %%)", true},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.translation);
    Write("fr.csv", std::string("id,value\nHUD,") + row.translation + "\n");
    Build("fr.csv", "fr.skdb");
    const Checked c = Check("fr.skdb", "en.skdb");
    EXPECT_EQ(c.failed, row.failed) << c.problems;
    if (row.failed) {
      EXPECT_CONTAINS(c.problems, "but the source's take (%d, %d, %.0f)");
    }
  }
}

TEST_F(Against, MissingAndExtraIdsAreWarningsThatStrictMakesErrors) {
  Write("en.csv", "id,value\nA,a\nB,b\n");
  Write("fr.csv", "id,value\nA,a\nC,c\n");
  Build("en.csv", "en.skdb");
  Build("fr.csv", "fr.skdb");
  Checked c = Check("fr.skdb", "en.skdb");
  EXPECT_FALSE(c.failed) << c.problems;
  EXPECT_CONTAINS(c.problems,
                  "warning: fr.skdb: ID 'B' of the source is missing");
  EXPECT_CONTAINS(c.problems, "warning: fr.skdb: ID 'C' is not in the source");
  EXPECT_TRUE(Check("fr.skdb", "en.skdb", true).failed);

  Write("fr.csv", "id,value\nA,a\nB,b\nC,c\n");
  Build("fr.csv", "fr.skdb");
  EXPECT_FALSE(Check("fr.skdb", "en.skdb").failed);
  EXPECT_TRUE(Check("fr.skdb", "en.skdb", true).failed);
}

TEST_F(Against, ATranslationLeftEmptyIsUntranslated) {
  Write("en.csv", "id,value\nA,Apple\nB,Pear\n");
  Build("en.csv", "en.skdb");
  struct Row {
    const char *name, *csv, *expected;
  } rows[] = {
      {"no values", "id,value\nA,\nB,\n",
       "ID 'A' is not translated (no value)"},
      {"empty values", "id,value\nA,\"\"\nB,\"\"\n",
       "ID 'A' is not translated (empty where the source's is not)"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.name);
    Write("fr.csv", row.csv);
    Build("fr.csv", "fr.skdb");
    for (const char *translation : {"fr.csv", "fr.skdb"}) {
      SCOPED_TRACE(translation);
      const Checked c = Check(translation, "en.skdb");
      EXPECT_FALSE(c.failed) << c.problems;
      EXPECT_CONTAINS(c.problems, row.expected);
      EXPECT_TRUE(Check(translation, "en.skdb", true).failed);
    }
  }
}

// The round-trip helper picks its formats by what they say they hold, so a
// format that cannot carry something is left out only for the databases
// that have it.
TEST(FormatRegistry, WhatASetHoldsDecidesTheFormatsThatCanHoldIt) {
  std::vector<authoring::Entry> entries = {{"A", u"a", std::nullopt},
                                           {"B", std::nullopt, "vo/b.ogg"}};
  Metadata meta;
  FormatHolds held = HeldBy({&entries, &meta});
  EXPECT_TRUE(held.voicePaths);
  EXPECT_TRUE(held.absentValues);
  EXPECT_FALSE(held.kinds || held.plurals || held.limits || held.notes);

  Format voiceless;
  voiceless.holds.voicePaths = false;
  EXPECT_FALSE(CanHold(voiceless, held));
  entries[1].voicePath.reset();
  EXPECT_TRUE(CanHold(voiceless, HeldBy({&entries, &meta})));

  entries.push_back({"N#one", u"one", std::nullopt});
  meta.limits["A"] = 4;
  held = HeldBy({&entries, &meta});
  EXPECT_TRUE(held.plurals && held.limits);
  Format flat;
  flat.holds.plurals = false;
  EXPECT_FALSE(CanHold(flat, held));
  // Every format that keeps absent values and limits.
  for (const Format &f : Formats())
    EXPECT_TRUE(!f.holds.absentValues || !f.holds.limits || CanHold(f, held))
        << f.name;
}

} // namespace
} // namespace phrasor::clitest
