//===- sheet_reading_test.cpp - Sheets as the CSV reader reads them -------===//
//
// The reader called in the test's process: which separator a sheet uses and
// where its encoding breaks. How the command line names a separator, and
// what build writes, are tested end to end in spreadsheet_test.cpp.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/Inputs.h"

namespace phrasor::clitest {
namespace {

using namespace phrasor::tool;

class SheetReading : public Cli {
protected:
  struct Sheet {
    std::vector<SourceEntry> entries;
    bool failed = false;
    std::string problems; ///< "error: where: message" lines
  };

  /// \p bytes read as the CSV file in.csv, with \p options.
  Sheet ReadSheet(const std::string &bytes, const InputOptions &options = {}) {
    Write("in.csv", bytes);
    const fs::path was = fs::current_path();
    fs::current_path(dir);
    Diagnostics diag;
    std::vector<KeptProblem> kept;
    diag.KeepIn(&kept);
    Sheet s;
    ReadInput("in.csv", options, diag, s.entries);
    fs::current_path(was);
    s.failed = diag.Failed();
    for (const KeptProblem &p : kept)
      s.problems += std::string(p.error ? "error: " : "warning: ") + p.where +
                    ": " + p.message + "\n";
    return s;
  }

  /// The value of \p id, as UTF-8; nothing when there is no such entry.
  static std::optional<std::string> ValueOf(const Sheet &s,
                                            const std::string &id) {
    for (const SourceEntry &e : s.entries)
      if (e.entry.id == id && e.entry.value)
        return Utf16ToUtf8Lossy(*e.entry.value);
    return std::nullopt;
  }
};

/// \p ascii as UTF-16 code units, little- or big-endian, without a BOM.
std::string Utf16(const std::string &ascii, bool little) {
  std::string out;
  for (char c : ascii)
    out += little ? std::string{c, '\0'} : std::string{'\0', c};
  return out;
}

TEST_F(SheetReading, InvalidUtf16IsRefusedAtItsLine) {
  const std::string le = "\xFF\xFE", be = "\xFE\xFF";
  struct Row {
    std::string bytes, expected;
  } rows[] = {
      // A low surrogate alone on line 3.
      {le + Utf16("id,value\nA,a\nB,", true) + std::string("\x00\xDC", 2) +
           Utf16("\n", true),
       "error: in.csv:3: invalid UTF-16LE"},
      // A high surrogate without its partner, big-endian.
      {be + Utf16("id,value\nA,", false) + std::string("\xD8\x00", 2) +
           Utf16("x\n", false),
       "error: in.csv:2: invalid UTF-16BE"},
      // An odd byte at the end.
      {le + Utf16("id,value\nA", true) + "B",
       "error: in.csv:2: invalid UTF-16LE"},
      // UTF-16 without a byte order mark cannot be told from bytes.
      {Utf16("id,value\nA,a\n", true),
       "error: in.csv:1: the header row holds NUL bytes"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.expected);
    const Sheet s = ReadSheet(row.bytes);
    EXPECT_TRUE(s.failed);
    EXPECT_CONTAINS(s.problems, row.expected);
  }
}

TEST_F(SheetReading, SeparatorsAreDetectedFromTheHeaderOrForced) {
  struct Row {
    std::string text;
    char delimiter;    ///< forced; 0 detects
    std::string value; ///< of A
  } rows[] = {
      {"id,value\nA,\"a;b\"\n", 0, "a;b"},
      {"id;value\nA;a,b\n", 0, "a,b"},
      {"id\tvalue\tvoice\nA\ta;b,c\tv.ogg\n", 0, "a;b,c"},
      // The first separator outside quotes wins; blank lines come first.
      {"\n\"note, one\";id;value\nn;A;x,y\n", 0, "x,y"},
      {"id;value\nA;a\tb\n", ';', "a\tb"},
      {"id\tvalue\nA\ta;b\n", '\t', "a;b"},
      // A first line "sep=X" names it and is no record.
      {"sep=;\r\nnote,1;id;value\r\nz;A;a,b\r\n", 0, "a,b"},
      {"sep=|\nid|value\nA|a;b\n", 0, "a;b"},
  };
  for (const Row &row : rows) {
    SCOPED_TRACE(row.text);
    InputOptions options;
    options.delimiter = row.delimiter;
    const Sheet s = ReadSheet(row.text, options);
    ASSERT_FALSE(s.failed) << s.problems;
    EXPECT_EQ(ValueOf(s, "A"), row.value);
  }
  // A forced separator the header does not use leaves one column.
  InputOptions comma;
  comma.delimiter = ',';
  const Sheet wrong = ReadSheet("id;value\nA;a\n", comma);
  EXPECT_TRUE(wrong.failed);
  EXPECT_CONTAINS(wrong.problems, "error: in.csv:1: no id column");
  // Lines are counted from the file's first, the sep= line included.
  EXPECT_CONTAINS(ReadSheet("sep=;\nid;value\n;a\n").problems,
                  "error: in.csv:3: empty ID");
}

} // namespace
} // namespace phrasor::clitest
