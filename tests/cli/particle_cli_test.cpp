// Korean particles through the tool: check names the texts that need the
// C++ layer and refuses a bracket that is no pair at its line; format
// writes the particle as the layer does. The report sets the inserts of a
// right-to-left text apart.

#include "tests/cli/CliTest.h"

using namespace phrasor::clitest;

TEST_F(Cli, ParticlesAreCheckedAndFormattedAsTheLayerDoes) {
  Write("ko.json", "{\n  \"@locale\": \"ko\",\n"
                   "  \"TOPIC\": \"%1!(은/는)s! 준비됐다\",\n"
                   "  \"PF\": \"%(이/가)s %'d점\",\n"
                   "  \"PLAIN\": \"%1!s!(은/는)\",\n"
                   "  \"ORDER\": \"%*d번 %(이/가)s\"\n}\n");
  Result c = Run({"check", "ko.json"});
  EXPECT_EQ(c.code, 0) << c.err;
  EXPECT_NE(c.err.find("ko.json:3: ID 'TOPIC': carries a Korean particle"),
            std::string::npos)
      << c.err;
  EXPECT_NE(c.err.find("ko.json:4: ID 'PF': carries a Korean particle"),
            std::string::npos)
      << c.err;
  EXPECT_EQ(c.err.find("PLAIN"), std::string::npos);
  ASSERT_EQ(Run({"build", "ko.json", "-o", "ko.skdb"}).code, 0);
  EXPECT_EQ(Run({"format", "ko.skdb", "TOPIC", "서울"}).out,
            "서울은 준비됐다\n");
  EXPECT_EQ(Run({"format", "ko.skdb", "TOPIC", "철수"}).out,
            "철수는 준비됐다\n");
  EXPECT_EQ(Run({"format", "ko.skdb", "PF", "Player2", "12345"}).out,
            "Player2가 12,345점\n");
  EXPECT_EQ(Run({"format", "ko.skdb", "PLAIN", "철수"}).out, "철수(은/는)\n");
  EXPECT_EQ(Run({"format", "ko.skdb", "ORDER", "2", "3", "Paul"}).out,
            " 3번 Paul이\n");

  Write("bad.json", "{\n  \"@locale\": \"ko\",\n"
                    "  \"MIXED\": \"%1!(은/가)s!\",\n"
                    "  \"COUNT\": \"%1!(을/를)d!\",\n"
                    "  \"TWICE\": \"%1!(을/를)s! %1!s!\"\n}\n");
  Result bad = Run({"check", "bad.json"});
  EXPECT_NE(bad.code, 0);
  EXPECT_NE(bad.err.find("bad.json:3: ID 'MIXED': the bracket in the insert"),
            std::string::npos)
      << bad.err;
  EXPECT_NE(bad.err.find("bad.json:4: ID 'COUNT': insert %1 carries a "
                         "particle pair and needs to be a text insert"),
            std::string::npos)
      << bad.err;
  EXPECT_NE(bad.err.find("bad.json:5: ID 'TWICE': insert %1 is written with "
                         "two particles, or with one and without"),
            std::string::npos)
      << bad.err;
}

TEST_F(Cli, TheReportSetsTheInsertsOfRightToLeftCellsApart) {
  Write("en.json", "{\n  \"@locale\": \"en\",\n"
                   "  \"FILES#one\": \"%1!d! file\",\n"
                   "  \"FILES#other\": \"%1!d! files\"\n}\n");
  Write("ar.json", "{\n  \"@locale\": \"ar\",\n"
                   "  \"FILES#one\": \"ملف %1!d!\",\n"
                   "  \"FILES#other\": \"%1!d! ملفات\"\n}\n");
  Result r = Run({"report", "ar.json", "--against", "en.json", "-o", "r.html"});
  EXPECT_EQ(r.code, 0) << r.err;
  const std::string page = Read("r.html");
  EXPECT_NE(page.find("<code dir=\"auto\"><bdi dir=\"ltr\">%1!d!</bdi> "
                      "ملفات</code>"),
            std::string::npos)
      << page;
}
