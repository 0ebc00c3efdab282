//===- safety_test.cpp - Builds that would destroy or lose data -----------===//
//
// What build refuses before it writes anything: an output that is one of its
// inputs, a directory, IDs no program could look up; and the help a user
// reaches from the command line.
//
//===----------------------------------------------------------------------===//

#include "tests/cli/CliTest.h"

#include "tools/phrasor/files/FileIo.h"

#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <cstring>

using namespace phrasor::clitest;

namespace {
namespace tool = phrasor::tool;

TEST_F(Cli, OutputThatIsAnInputIsRefusedThroughAnyPath) {
  const std::string csv = "id,value\nA,a\n";
  Write("v.csv", csv);
  fs::create_directory(dir / "sub");
  fs::create_symlink("v.csv", dir / "link.csv");
  fs::create_hard_link(dir / "v.csv", dir / "hard.csv");
  for (const char *output :
       {"v.csv", "./v.csv", "sub/../v.csv", "link.csv", "hard.csv"}) {
    SCOPED_TRACE(output);
    Result r = Run({"build", "v.csv", "-o", output});
    EXPECT_EQ(r.code, 2);
    EXPECT_EQ(r.err, "error: the output '" + std::string(output) +
                         "' is the input 'v.csv'; the build would overwrite "
                         "it\n");
    EXPECT_EQ(Read("v.csv"), csv);
  }
  // A dump over the database it reads, or over its XLIFF source, would
  // leave text where the database was.
  ASSERT_EQ(Run({"build", "v.csv", "-o", "v.skdb"}).code, 0);
  const std::string db = Read("v.skdb");
  for (std::vector<std::string> args :
       {std::vector<std::string>{"dump", "v.skdb", "-o", "./v.skdb"},
        {"dump", "v.skdb", "--format", "xliff20", "--source", "v.skdb", "-o",
         "v.skdb"}}) {
    Result r = Run(args);
    EXPECT_EQ(r.code, 2);
    EXPECT_CONTAINS(r.err, "is the input 'v.skdb'; the dump would overwrite");
    EXPECT_EQ(Read("v.skdb"), db);
  }
}

/// The files in the test's directory whose names begin with \p prefix.
std::vector<std::string> FilesStartingWith(const fs::path &dir,
                                           const std::string &prefix) {
  std::vector<std::string> found;
  for (const fs::directory_entry &e : fs::directory_iterator(dir))
    if (e.path().filename().string().rfind(prefix, 0) == 0)
      found.push_back(e.path().filename().string());
  return found;
}

TEST_F(Cli, OutputIsWrittenThroughAPrivateTemporaryFile) {
  Write("v.csv", "id,value\nA,a\n");
  // A link planted where a predictable temporary would be is never
  // followed, and a file of that name is only an input like any other.
  Write("victim.txt", "keep");
  fs::create_symlink("victim.txt", dir / "out.skdb.tmp");
  ASSERT_EQ(Run({"build", "v.csv", "-o", "out.skdb"}).code, 0);
  EXPECT_EQ(Read("victim.txt"), "keep");
  EXPECT_FALSE(fs::is_symlink(dir / "out.skdb"));
  fs::remove(dir / "out.skdb.tmp");
  fs::copy_file(dir / "out.skdb", dir / "w.skdb.tmp");
  EXPECT_EQ(Run({"dump", "w.skdb.tmp", "-o", "w.csv"}).code, 0);
  EXPECT_EQ(Run({"build", "w.csv", "-o", "w.skdb"}).code, 0);
  EXPECT_EQ(Read("w.skdb"), Read("out.skdb"));

  // An output that is a symbolic link is replaced by the database; the
  // file it pointed to stays as it was.
  Write("target.skdb", "old");
  fs::create_symlink("target.skdb", dir / "linked.skdb");
  ASSERT_EQ(Run({"build", "v.csv", "-o", "linked.skdb"}).code, 0);
  EXPECT_FALSE(fs::is_symlink(dir / "linked.skdb"));
  EXPECT_EQ(Read("linked.skdb"), Read("out.skdb"));
  EXPECT_EQ(Read("target.skdb"), "old");

  // A rebuilt output keeps who may read it.
  fs::permissions(dir / "out.skdb", fs::perms::owner_read |
                                        fs::perms::owner_write |
                                        fs::perms::group_read);
  ASSERT_EQ(Run({"build", "v.csv", "-o", "out.skdb"}).code, 0);
  EXPECT_EQ(fs::status(dir / "out.skdb").permissions() & fs::perms::mask,
            fs::perms::owner_read | fs::perms::owner_write |
                fs::perms::group_read);
  EXPECT_EQ(FilesStartingWith(dir, ".out.skdb"), std::vector<std::string>{});
}

TEST_F(Cli, NoTemporaryFileOutlivesAnInterruptedWrite) {
  // A database larger than the file size limit ends the tool with SIGXFSZ
  // while it writes.
  std::string csv = "id,value\n";
  for (int i = 0; i < 2000; ++i)
    csv +=
        "ID_" + std::to_string(i) + ",value number " + std::to_string(i) + "\n";
  Write("big.csv", csv);
  Result killed = Run({"build", "big.csv", "-o", "big.skdb"}, "ulimit -f 8 &&");
  EXPECT_NE(killed.code, 0);
  EXPECT_FALSE(Exists("big.skdb"));
  EXPECT_EQ(FilesStartingWith(dir, ".big.skdb"), std::vector<std::string>{});
  ASSERT_EQ(Run({"build", "big.csv", "-o", "big.skdb"}).code, 0);

  // The PO writer prints most messages itself and needs no scratch file;
  // libgettextpo, which prints the rest (here printf texts long enough to
  // wrap, which it does not break inside a directive), writes one under
  // $TMPDIR, removed there too when the tool is ended while writing it.
  Result plain = Run({"dump", "big.skdb", "--format", "po"},
                     "TMPDIR=" + Quote((dir / "missing").string()));
  EXPECT_EQ(plain.code, 0);
  std::string po = "msgid \"\"\nmsgstr \"Content-Type: text/plain; "
                   "charset=UTF-8\\n\"\n";
  for (int i = 0; i < 2000; ++i)
    po += "\n#, c-format\nmsgid \"value " + std::to_string(i) +
          " of %d in a text " + std::string(60, 'x') +
          " long enough to wrap\"\nmsgstr \"\"\n";
  Write("big.po", po);
  ASSERT_EQ(Run({"build", "big.po", "-o", "big.skdb"}).code, 0);
  Result nowhere = Run({"dump", "big.skdb", "--format", "po"},
                       "TMPDIR=" + Quote((dir / "missing").string()));
  EXPECT_EQ(nowhere.code, 2);
  EXPECT_CONTAINS(nowhere.err, "cannot create a temporary file in");
  fs::create_directory(dir / "scratch");
  Result cut =
      Run({"dump", "big.skdb", "--format", "po"},
          "ulimit -f 8 && TMPDIR=" + Quote((dir / "scratch").string()));
  EXPECT_NE(cut.code, 0);
  EXPECT_TRUE(fs::is_empty(dir / "scratch"));
}

TEST(TemporaryFile, RemovedWhenASignalEndsTheProcess) {
  // Each signal that ends a process from the terminal or a job control:
  // the child holds a temporary file and waits until it is signalled.
  const fs::path folder = fs::temp_directory_path() /
                          ("phrasor-signal-" + std::to_string(::getpid()));
  fs::create_directories(folder);
  for (int signal : {SIGINT, SIGTERM, SIGHUP, SIGQUIT}) {
    SCOPED_TRACE(strsignal(signal));
    struct sigaction inherited = {};
    ASSERT_EQ(sigaction(signal, nullptr, &inherited), 0);
    if (inherited.sa_handler == SIG_IGN)
      continue; // ignored from the start, as the tool leaves it
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      // SIGQUIT's default action writes a core file: none here.
      const struct rlimit none = {0, 0};
      ::setrlimit(RLIMIT_CORE, &none);
      ::prctl(PR_SET_DUMPABLE, 0);
      try {
        tool::TemporaryFile temp(folder.string(), ".out.skdb");
        (void)!::write(ready[1], "x", 1);
        for (;;)
          ::pause();
      } catch (...) {
        ::_exit(3);
      }
    }
    ::close(ready[1]);
    char byte = 0;
    ASSERT_EQ(::read(ready[0], &byte, 1), 1);
    ::close(ready[0]);
    EXPECT_EQ(
        std::distance(fs::directory_iterator(folder), fs::directory_iterator()),
        1);
    ::kill(child, signal);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == signal)
        << "the signal does what it would have done uncaught";
    EXPECT_TRUE(fs::is_empty(folder));
  }
  fs::remove_all(folder);
}

TEST_F(Cli, DirectoriesAndEmptyInputsAreNoInputs) {
  fs::create_directory(dir / "texts.csv");
  Result d = Run({"build", "texts.csv", "-o", "out.skdb"});
  EXPECT_EQ(d.code, 2);
  EXPECT_EQ(d.err, "error: 'texts.csv' is a directory, not an input file\n");

  Write("a.csv", "id,value\nA,a\n");
  for (const char *empty :
       {"e.csv", "h.csv", "e.json", "l.json", "e.po", "z.json", "z.xlf"}) {
    SCOPED_TRACE(empty);
    Write("z.json", "");
    Write("z.xlf", "");
    Write("e.csv", "");
    Write("h.csv", "id,value\r\n");
    Write("e.json", "{}");
    Write("l.json", "{\"@locale\": \"fr\"}");
    Write("e.po", "");
    Result w = Run({"build", "a.csv", empty, "-o", "out.skdb"});
    EXPECT_EQ(w.code, 0);
    EXPECT_EQ(w.err, "warning: " + std::string(empty) + ": no entries\n");
    Result s = Run({"build", "a.csv", empty, "-o", "out.skdb", "--strict"});
    EXPECT_EQ(s.code, 1);
    EXPECT_CONTAINS(s.err, "error: " + std::string(empty) + ": no entries\n");
  }
}

TEST_F(Cli, InputsThatAreNoFilesOrLargerThanADatabaseAreRefused) {
  // A device never ends and a FIFO blocks its reader: both are refused at
  // once, under every command that reads an input, whatever the extension.
  Write("en.csv", "id,value\nA,a\n");
  fs::create_symlink("/dev/zero", dir / "zero.csv");
  fs::create_symlink("/dev/zero", dir / "zero.skdb");
  ASSERT_EQ(::mkfifo((dir / "fifo.po").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo((dir / "fifo.cpp").c_str(), 0600), 0);
  for (std::vector<std::string> args :
       {std::vector<std::string>{"build", "zero.csv", "-o", "out.skdb"},
        {"build", "fifo.po", "-o", "out.skdb"},
        {"check", "fifo.po", "--against", "en.csv"},
        {"check", "en.csv", "--against", "zero.csv"},
        {"dump", "zero.skdb"},
        {"usage", "--db", "en.csv", "fifo.cpp"}}) {
    SCOPED_TRACE(args[1]);
    Result r = Run(args, "timeout 20 env");
    EXPECT_EQ(r.code, 2);
    const std::string name = args[1] == "--db"     ? "fifo.cpp"
                             : args[1] == "en.csv" ? "zero.csv"
                                                   : args[1];
    EXPECT_EQ(r.err, "error: cannot read '" + name +
                         "': not a regular file (a device, FIFO or socket)\n");
  }

  // Sizes past what a database can hold, in sparse files that take no
  // room: refused before a byte is read.
  std::ofstream(dir / "huge.csv").close();
  fs::resize_file(dir / "huge.csv", tool::kMaxSourceBytes + 1);
  Result big = Run({"build", "huge.csv", "-o", "out.skdb"});
  EXPECT_EQ(big.code, 2);
  EXPECT_EQ(big.err, "error: cannot read 'huge.csv': 4294967296 bytes, more "
                     "than the 4 GiB of strings a database can hold\n");
  std::ofstream(dir / "huge.skdb").close();
  fs::resize_file(dir / "huge.skdb", tool::kMaxDatabaseBytes + 1);
  big = Run({"info", "huge.skdb"});
  EXPECT_EQ(big.code, 2);
  EXPECT_EQ(big.err, "error: cannot read 'huge.skdb': 8589934615 bytes, more "
                     "than the largest database\n");
  EXPECT_FALSE(Exists("out.skdb"));

#if !PHRASOR_TOOL_INSTRUMENTED
  // Below the limit but past the memory the process may take: said in
  // words, not as the library's name for the exception. A sanitizer's
  // runtime cannot start under the address-space limit at all.
  fs::resize_file(dir / "huge.csv", std::uintmax_t{1} << 30);
  Result oom =
      Run({"build", "huge.csv", "-o", "out.skdb"}, "ulimit -v 300000 &&");
  EXPECT_EQ(oom.code, 2);
  EXPECT_EQ(oom.err, "error: out of memory\n");
#endif
}

TEST_F(Cli, IdsThatNoLookupWouldFindAreRefusedAtTheirLine) {
  Write("ids.csv", "id,value\n"
                   "\" A\",a\n"
                   "\"B\t\",b\n"
                   "\"\xC2\xA0"
                   "C\",c\n"
                   "\"D\x01"
                   "E\",d\n"
                   "\"F\x7F\",f\n"
                   "\"G\xC2\x9A\",g\n"
                   "\"H\nI\",h\n"
                   "J#K,j\n"
                   "#one,x\n"
                   "L#one#other,l\n"
                   "M#One,m\n"
                   "\"N\x04\",n\n"
                   "<none>,x\n"
                   "\"\",x\n"
                   "@locale#one,x\n"
                   "@kinds#other,x\n");
  Result r = Run({"build", "ids.csv", "-o", "out.skdb"});
  EXPECT_EQ(r.code, 1);
  const std::string plural =
      ": '#' is kept for plural forms, written NAME#category or "
      "NAME#ordinal-category with one of zero, one, two, few, many, other; "
      "NAME#gender-masculine|feminine|neuter|other; NAME#select-word (a-z, "
      "0-9 and _)\n";
  EXPECT_EQ(r.err,
            "error: ids.csv:2: ID ' A' begins with white space\n"
            "error: ids.csv:3: ID 'B\\x09' ends with white space\n"
            "error: ids.csv:4: ID '\xC2\xA0"
            "C' begins with white space\n"
            "error: ids.csv:5: ID 'D\\x01E' contains the control character "
            "U+0001\n"
            "error: ids.csv:6: ID 'F\\x7F' contains the control character "
            "U+007F\n"
            "error: ids.csv:7: ID 'G\\u{009A}' contains the control character "
            "U+009A\n"
            "error: ids.csv:8: ID 'H\\x0AI' contains the control character "
            "U+000A\n"
            "error: ids.csv:10: ID 'J#K'" +
                plural + "error: ids.csv:11: ID '#one'" + plural +
                "error: ids.csv:12: ID 'L#one#other'" + plural +
                "error: ids.csv:13: ID 'M#One'" + plural +
                "error: ids.csv:14: ID 'N\\x04' contains the control "
                "character U+0004\n"
                "error: ids.csv:15: ID '<none>' is reserved and could never "
                "be looked up\n"
                "error: ids.csv:16: empty ID\n"
                "error: ids.csv:17: ID '@locale#one': the tool's own IDs "
                "(beginning with '@') have no plural forms\n"
                "error: ids.csv:18: ID '@kinds#other': the tool's own IDs "
                "(beginning with '@') have no plural forms\n"
                "phrasor: 16 errors; 'out.skdb' not written\n");

  // Characters no editor shows, at either end, are warned about.
  Write("zw.csv", "id,value\n"
                  "\"\xE2\x80\x8B"
                  "A\",a\n"
                  "\"B\xEF\xBB\xBF\",b\n"
                  "\"C\xE2\x80\x8B"
                  "D\",c\n");
  Result zw = Run({"build", "zw.csv", "-o", "zw.skdb"});
  EXPECT_EQ(zw.code, 0);
  EXPECT_CONTAINS(zw.err, "warning: zw.csv:2: ID '\\u{200B}A' begins with the "
                          "invisible character U+200B: no program would ask "
                          "for it\n"
                          "warning: zw.csv:3: ID 'B\\u{FEFF}' ends with the "
                          "invisible character U+FEFF: no program would ask "
                          "for it\n");
  EXPECT_EQ(zw.err.find("zw.csv:4: ID 'C\\u{200B}D' begins"),
            std::string::npos);

  // What stays allowed: inner spaces, a gettext context and msgid, the
  // plural suffix, and the metadata the tool keeps.
  Write("ok.csv", "id,value\n"
                  "@locale,en\n"
                  "Open the door,Open\n"
                  "\"menu\x04Open\",Open\n"
                  "\"\x04Open\",Open\n"
                  "FILES#one,%1!d! file\n"
                  "FILES#other,%1!d! files\n");
  Result ok = Run({"build", "ok.csv", "-o", "ok.skdb"});
  EXPECT_EQ(ok.code, 0) << ok.err;
  EXPECT_EQ(ok.err, "");
  ExpectRoundTrips("ok.skdb");
}

TEST_F(Cli, TextAfterEndMarkIsWarnedButAFinalEndMarkIsNot) {
  Write("m.csv", "id,value,kind\n"
                 "A,%1!s! saved%0,\n"
                 "B,%1!s!%0,\n"
                 "C,Saved.%0,message\n"
                 "D,%1!s!%0 lost,\n"
                 "E,\"Saved.%0\n\",message\n");
  Result r = Run({"build", "m.csv", "-o", "m.skdb"});
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.err, "warning: m.csv:5: ID 'D': text after %0 is never shown\n"
                   "warning: m.csv:6: ID 'E': text after %0 is never shown\n");
  EXPECT_EQ(Run({"build", "m.csv", "-o", "m.skdb", "--strict"}).code, 1);
}

TEST_F(Cli, ProgressShowsOnATerminalOnly) {
  std::string csv = "id,value\n";
  for (int i = 0; i < 140000; ++i)
    csv += "ID_" + std::to_string(i) + ",v\n";
  Write("big.csv", csv);
  Result quiet = Run({"build", "big.csv", "-o", "big.skdb"});
  ASSERT_EQ(quiet.code, 0);
  EXPECT_EQ(quiet.err, "");
  if (!fs::exists("/usr/bin/script"))
    GTEST_SKIP() << "no script(1) to give the tool a terminal";
  const std::string command =
      "cd " + Quote(dir.string()) + " && /usr/bin/script -qec " +
      Quote(Quote(PHRASOR_TOOL) + " build big.csv -o tty.skdb") +
      " /dev/null >tty.out 2>&1";
  ASSERT_EQ(std::system(command.c_str()), 0);
  const std::string shown = Read("tty.out");
  EXPECT_CONTAINS(shown, "\rreading 131072 entries\u2026");
  EXPECT_CONTAINS(shown, "\rwriting 140000 entries\u2026");
  EXPECT_EQ(Read("tty.skdb"), Read("big.skdb"));
}

TEST_F(Cli, HelpNamesEveryCommandWithAnExampleAndTheExitCodes) {
  Result app = Run({"help"});
  EXPECT_EQ(app.code, 0);
  EXPECT_CONTAINS(app.out, "Subcommands:");
  EXPECT_CONTAINS(app.out, "build");
  EXPECT_CONTAINS(app.out, "Exit codes: 0");
  for (const char *command : {"build", "dump", "check", "stats", "get", "list",
                              "info", "format", "pseudo", "help"}) {
    SCOPED_TRACE(command);
    Result help = Run({"help", command});
    EXPECT_EQ(help.code, 0);
    EXPECT_CONTAINS(help.out, std::string("phrasor ") + command);
    EXPECT_CONTAINS(help.out, "Example:\n  phrasor " + std::string(command));
    EXPECT_CONTAINS(help.out, "Exit codes: 0");
    // The exit codes are the last line, ended like every other.
    EXPECT_EQ(help.out.find('\n', help.out.rfind("Exit codes: 0")),
              help.out.size() - 2);
    // --help prints the same text.
    Result flag = Run({command, "--help"});
    EXPECT_EQ(flag.code, 0);
    EXPECT_EQ(flag.out, help.out);
  }
  Result unknown = Run({"help", "bulid"});
  EXPECT_EQ(unknown.code, 2);
  EXPECT_CONTAINS(unknown.err, "error: unknown command 'bulid' (commands: "
                               "build, dump, check");
}

// An ID that ends inside a character is shown byte by byte in the
// messages about it, never decoded past its end.
TEST_F(Cli, AnIdCutInsideACharacterIsShownByItsBytes) {
  Write("cut.csv", "id,value\nA\xC3,\xFF\n");
  Result r = Run({"build", "cut.csv", "-o", "cut.skdb"});
  EXPECT_EQ(r.code, 1);
  EXPECT_CONTAINS(r.err, "value of 'A\\xC3' is not valid UTF-8");
}

} // namespace

// Adding a format is a folder, a row in the registry and a test: the
// command line, the help and the fuzz list follow the row, or this fails.
TEST_F(Cli, EveryRegisteredFormatIsInTheHelpAndTheFuzzList) {
  auto join = [](const std::vector<std::string> &words, char separator) {
    std::string out;
    for (const std::string &w : words)
      out += (out.empty() ? "" : std::string(1, separator)) + w;
    return out;
  };
  const std::string dump = Run({"dump", "--help"}).out;
  const std::string build = Run({"build", "--help"}).out;
  EXPECT_CONTAINS(dump, "{" + join(tool::FormatNames(), ',') + "}");
  const std::string cmake = Read(fs::path(PHRASOR_FUZZ_DIR) / "CMakeLists.txt");
  EXPECT_CONTAINS(cmake, "set(PHRASOR_TOOL_FUZZERS " +
                             join(tool::FormatFuzzers(), ' ') + ")");
  for (const tool::Format &f : tool::Formats()) {
    const std::string name(f.name), fuzzer(f.fuzzer);
    SCOPED_TRACE(name);
    EXPECT_TRUE(f.read && f.write);
    EXPECT_CONTAINS(dump, name);
    EXPECT_CONTAINS(dump, std::string(f.title));
    ASSERT_FALSE(f.extensions.empty());
    for (std::string_view ext : f.extensions) {
      EXPECT_CONTAINS(build, std::string(ext));
      // An extension an earlier format reads too (i18next's .json) is
      // that format's advice.
      const tool::Format *byExtension =
          tool::FormatOfFile("menu" + std::string(ext));
      EXPECT_EQ(tool::HowToMarkText("menu" + std::string(ext)),
                byExtension->markText);
      EXPECT_TRUE(byExtension == &f || byExtension->name != f.name);
    }
    EXPECT_EQ(f.lossless, f.lossNote.empty());
    const fs::path fuzz(PHRASOR_FUZZ_DIR);
    EXPECT_TRUE(fs::exists(fuzz / (fuzzer + "_fuzz.cpp")));
    EXPECT_TRUE(fs::exists(fuzz / (fuzzer + ".dict")));
    EXPECT_FALSE(fs::is_empty(fuzz / "corpus" / fuzzer));
  }
}

// A format that cannot hold something still writes every entry, and says
// what it lost once per kind of loss, however many entries lost it.
TEST(FormatRegistry, WhatAFormatCannotHoldIsOneWarning) {
  std::vector<phrasor::authoring::Entry> entries;
  for (int i = 0; i < 1000; ++i)
    entries.push_back(
        {"E" + std::to_string(i), u"text", "vo/" + std::to_string(i) + ".ogg"});
  const tool::Metadata meta;
  tool::Format noVoices = *tool::FormatNamed("csv");
  noVoices.holds.voicePaths = false;
  tool::Diagnostics diag;
  const std::string text =
      tool::WriteDump(noVoices, {&entries, &meta}, {}, "v.skdb", diag);
  EXPECT_EQ(diag.Warnings(), 1u);
  EXPECT_FALSE(diag.Failed());
  EXPECT_CONTAINS(text, "E999");
  tool::Diagnostics quiet;
  tool::WriteDump(*tool::FormatNamed("csv"), {&entries, &meta}, {}, "v.skdb",
                  quiet);
  EXPECT_EQ(quiet.Warnings(), 0u);
}
