//===- CliTest.h - Driving the phrasor binary from a test ------*- C++ -*-===//
//
// Each test writes its inputs into a scratch directory, runs the built
// binary there through the shell, and checks exit code, stdout and stderr,
// so file names in messages read exactly as a user sees them.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TESTS_CLI_CLITEST_H
#define PHRASOR_TESTS_CLI_CLITEST_H

#include "tools/phrasor/files/DatabaseFile.h"
#include "tools/phrasor/formats/Registry.h"

#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace phrasor::clitest {

namespace fs = std::filesystem;

struct Result {
  int code = -1;
  std::string out, err;
};

inline std::string Quote(const std::string &s) {
  std::string q = "'";
  for (char c : s)
    q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

/// What the translate-toolkit script tests/cli/\p script prints for
/// \p file, or nothing when it did not run (the toolkit is missing).
inline std::optional<std::string> ToolkitOutput(const std::string &script,
                                                const std::string &file) {
  const std::string command =
      "/usr/bin/python3 " +
      Quote(std::string(PHRASOR_TEST_DATA) + "/../" + script) + " " +
      Quote(file) + " 2>/dev/null";
  std::FILE *pipe = popen(command.c_str(), "r");
  if (!pipe)
    return std::nullopt;
  std::string printed;
  char buffer[4096];
  for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    printed.append(buffer, n);
  if (pclose(pipe) != 0)
    return std::nullopt;
  return printed;
}

inline std::string Slurp(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

class Cli : public testing::Test {
protected:
  void SetUp() override {
    static std::atomic<int> serial{0};
    dir = fs::temp_directory_path() /
          ("phrasor-cli-" + std::to_string(::getpid()) + "-" +
           std::to_string(serial++));
    fs::remove_all(dir);
    fs::create_directories(dir);
  }
  void TearDown() override { fs::remove_all(dir); }

  void Write(const std::string &name, const std::string &content) {
    std::ofstream(dir / name, std::ios::binary) << content;
  }
  void WriteBytes(const std::string &name, const std::vector<uint8_t> &b) {
    Write(name, std::string(b.begin(), b.end()));
  }
  std::string Read(const std::string &name) { return Slurp(dir / name); }
  bool Exists(const std::string &name) { return fs::exists(dir / name); }

  /// Runs the tool with \p args; \p shell comes before it on the command
  /// line (a ulimit followed by &&, variables for its environment).
  Result Run(const std::vector<std::string> &args,
             const std::string &shell = "") {
    // Under LeakSanitizer the tool must not be failed for the few blocks
    // the PO library never frees. Those are told apart by the library's
    // functions that allocate them, which only the slow unwinder sees (the
    // library keeps no frame pointers).
    std::string command = "cd " + Quote(dir.string()) + " && " + shell +
                          " LSAN_OPTIONS=print_suppressions=0:"
                          "fast_unwind_on_malloc=0:suppressions=" +
                          Quote(PHRASOR_LSAN_SUPPRESSIONS) + " " +
                          Quote(PHRASOR_TOOL);
    for (const std::string &a : args)
      command += " " + Quote(a);
    command += " >.stdout 2>.stderr";
    int status = std::system(command.c_str());
    Result r;
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.out = Read(".stdout");
    r.err = Read(".stderr");
    return r;
  }

  /// The formats whose every dump builds back to the same database.
  static std::vector<std::string> LosslessFormats() {
    std::vector<std::string> names;
    for (const tool::Format &f : tool::Formats())
      if (f.lossless)
        names.emplace_back(f.name);
    return names;
  }

  /// The formats that say they hold everything \p db holds (voice paths,
  /// entries without a value, kinds, plurals, limits): those a dump of it
  /// can come back from.
  std::vector<std::string> FormatsHolding(const std::string &db) {
    const tool::DatabaseEntries read =
        tool::ReadDatabaseEntries((dir / db).string());
    const tool::FormatHolds held = tool::HeldBy({&read.entries, &read.meta});
    std::vector<std::string> names;
    for (const tool::Format &f : tool::Formats())
      if (tool::CanHold(f, held))
        names.emplace_back(f.name);
    return names;
  }

  /// Dumps \p db in every format that can hold it (or in those of
  /// \p formats) and rebuilds each dump, which must give the same bytes.
  void ExpectRoundTrips(const std::string &db,
                        std::vector<std::string> formats = {}) {
    if (formats.empty())
      formats = FormatsHolding(db);
    ASSERT_FALSE(formats.empty()) << "no format holds " << db;
    for (const std::string &format : formats) {
      SCOPED_TRACE(format);
      const std::string dumped =
          "rt" + std::string(tool::FormatNamed(format)->extensions.front());
      // A format that merges a dump into an existing file would otherwise
      // keep what the previous round trip wrote.
      fs::remove(dir / dumped);
      Result d = Run({"dump", db, "--format", format, "-o", dumped});
      ASSERT_EQ(d.code, 0) << d.err;
      // A format that shares its extension with an earlier one is read
      // only when named.
      std::vector<std::string> build = {"build", dumped, "-o", "rt.skdb"};
      if (tool::FormatOfFile(dumped)->name != format)
        build.insert(build.end(), {"--input-format", format});
      Result b = Run(build);
      ASSERT_EQ(b.code, 0) << b.err;
      EXPECT_EQ(Read("rt.skdb"), Read(db)) << Read(dumped);
    }
  }

  fs::path dir;
};

#define EXPECT_CONTAINS(haystack, needle)                                      \
  EXPECT_NE((haystack).find(needle), std::string::npos)                        \
      << "expected to find: " << (needle) << "\nin: " << (haystack)

} // namespace phrasor::clitest

#endif // PHRASOR_TESTS_CLI_CLITEST_H
