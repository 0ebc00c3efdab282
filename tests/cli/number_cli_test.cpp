// The grouping flag through the tool: check names the texts that need the
// C++ layer and refuses a flag it cannot honour at its line; format writes
// the numbers as the layer does, in the database's @locale.

#include "tests/cli/CliTest.h"

using namespace phrasor::clitest;

TEST_F(Cli, GroupedNumbersAreCheckedAndFormattedAsTheLayerDoes) {
  Write("hi.json", "{\n  \"@locale\": \"hi\",\n"
                   "  \"GOLD\": \"%1!'d! Gold\",\n"
                   "  \"PF\": \"%'d points, %.1f%%\",\n"
                   "  \"PLAIN\": \"%1!d! Gold\"\n}\n");
  Result c = Run({"check", "hi.json"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_NE(c.err.find("hi.json:3: ID 'GOLD': uses the grouping flag"),
            std::string::npos)
      << c.err;
  EXPECT_NE(c.err.find("hi.json:4: ID 'PF': uses the grouping flag"),
            std::string::npos);
  EXPECT_EQ(c.err.find("PLAIN"), std::string::npos);
  ASSERT_EQ(Run({"build", "hi.json", "-o", "hi.skdb"}).code, 0);
  EXPECT_EQ(Run({"format", "hi.skdb", "GOLD", "1234567"}).out,
            "12,34,567 Gold\n");
  EXPECT_EQ(Run({"format", "hi.skdb", "PF", "-1234567", "2.25"}).out,
            "-12,34,567 points, 2.2%\n");
  EXPECT_EQ(Run({"format", "hi.skdb", "PLAIN", "1234567"}).out,
            "1234567 Gold\n");

  Write("bad.json", "{\n  \"@locale\": \"de\",\n  \"HEX\": \"%1!'x!\"\n}\n");
  Result bad = Run({"check", "bad.json"});
  EXPECT_NE(bad.code, 0);
  EXPECT_NE(bad.err.find("bad.json:3: ID 'HEX': the grouping flag"),
            std::string::npos)
      << bad.err;
}
