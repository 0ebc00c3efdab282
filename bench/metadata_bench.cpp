//===- metadata_bench.cpp - Builds and reports that carry metadata --------===//
//
// Beside its texts the tool keeps what each entry had besides: a gettext
// message's format flags, context, plural and comments, a kind the source
// states, a length limit. Each benchmark times one command on a file
// generated once per size, with that metadata (…_Metadata, …_Limits) and
// without it (…_Plain, the baseline); the ratio of the two stays the same
// from 100,000 to 1,000,000 entries only when keeping the metadata costs
// the same per entry at every size. msgfmt, when it is installed, compiles
// the same PO file as gettext's own compiler; the …PoVsMsgfmt benchmarks
// run both on the same file in every iteration and give their ratio.
//
// The commands run as child processes, as a user runs them (the tool built
// beside this program, or the one PHRASOR_BENCH_TOOL names), and the time
// of an iteration is the child's CPU time (user + system, from wait4):
// wall time on a shared machine follows the other processes. peak_mb is
// the child's peak resident memory.
//
//===----------------------------------------------------------------------===//

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char **environ;

namespace {

namespace fs = std::filesystem;

/// The scratch folder of this run, removed when the program ends. Never
/// destroyed itself, so the removal at exit can still read it.
const fs::path &Scratch() {
  static const fs::path *dir = [] {
    auto *d =
        new fs::path(fs::temp_directory_path() /
                     ("phrasor-metadata-bench-" + std::to_string(::getpid())));
    fs::create_directories(*d);
    std::atexit([] {
      std::error_code ignored;
      fs::remove_all(Scratch(), ignored);
    });
    return d;
  }();
  return *dir;
}

/// Writes \p name once per run with \p fill, and gives its path.
template <typename Fill>
std::string Generated(const std::string &name, Fill fill) {
  const std::string path = (Scratch() / name).string();
  if (!fs::exists(path)) {
    std::string text;
    fill(text);
    std::ofstream(path, std::ios::binary) << text;
  }
  return path;
}

/// A PO file keyed by its sources, of \p n messages. With \p metadata every
/// message is c-format, a quarter have a context, a quarter are plural and
/// a fifth have a translator's comment; without, each is one plain pair.
std::string PoFile(std::size_t n, bool metadata) {
  const std::string name =
      (metadata ? "metadata-" : "plain-") + std::to_string(n) + ".po";
  return Generated(name, [&](std::string &po) {
    po = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; "
         "charset=UTF-8\\n\"\n\"Language: fr\\n\"\n\"Plural-Forms: "
         "nplurals=2; plural=(n > 1);\\n\"\n\n";
    for (std::size_t i = 0; i < n; ++i) {
      const std::string k = std::to_string(i);
      if (metadata) {
        if (i % 5 == 0)
          po += "# Shown in the inventory, line " + k + "\n";
        po += "#, c-format\n";
        if (i % 4 == 1)
          po += "msgctxt \"menu\"\n";
      }
      if (metadata && i % 4 == 2)
        po += "msgid \"%d file in slot " + k +
              "\"\nmsgid_plural \"%d files in "
              "slot " +
              k + "\"\nmsgstr[0] \"%d fichier dans la case " + k +
              "\"\nmsgstr[1] \"%d fichiers dans la case " + k + "\"\n\n";
      else
        po += "msgid \"Message " + k + " has %d items\"\nmsgstr \"Le message " +
              k + " a %d objets\"\n\n";
    }
  });
}

/// The shapes of gettext catalog the tool must build as fast as msgfmt.
enum class PoShape { CFormat, Context, Plural };

/// A PO file of \p n messages, every one `#, c-format`: keyed by msgid
/// (CFormat), keyed by a unique msgctxt (Context) or each with a plural
/// in a language of three forms (Plural).
std::string ShapedPo(std::size_t n, PoShape shape) {
  static const char *const names[] = {"cformat-", "context-", "plural-"};
  const std::string name =
      names[static_cast<int>(shape)] + std::to_string(n) + ".po";
  return Generated(name, [&](std::string &po) {
    po = "msgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain; "
         "charset=UTF-8\\n\"\n";
    po += shape == PoShape::Plural
              ? "\"Language: pl\\n\"\n\"Plural-Forms: nplurals=3; "
                "plural=(n==1 ? 0 : n%10>=2 && n%10<=4 && (n%100<10 || "
                "n%100>=20) ? 1 : 2);\\n\"\n\n"
              : "\"Language: fr\\n\"\n\"Plural-Forms: nplurals=2; "
                "plural=(n > 1);\\n\"\n\n";
    for (std::size_t i = 0; i < n; ++i) {
      const std::string k = std::to_string(i);
      po += "#, c-format\n";
      if (shape == PoShape::Context)
        po += "msgctxt \"MENU_ITEM_" + k + "\"\n";
      if (shape == PoShape::Plural)
        po += "msgid \"%d file in slot " + k + "\"\nmsgid_plural \"%d files " +
              "in slot " + k + "\"\nmsgstr[0] \"%d plik w miejscu " + k +
              "\"\nmsgstr[1] \"%d pliki w miejscu " + k +
              "\"\nmsgstr[2] \"%d plik\u00f3w w miejscu " + k + "\"\n\n";
      else
        po += "msgid \"Message " + k + " has %d items of %s\"\nmsgstr \"Le " +
              "message " + k + " a %d objets de %s\"\n\n";
    }
  });
}

/// A CSV source of \p n messages. With \p limits every entry has a length
/// limit and every other one the kind text, which its inserts would not
/// give it, so both are recorded.
std::string CsvSource(std::size_t n, bool limits) {
  const std::string name =
      (limits ? "limits-" : "plain-") + std::to_string(n) + ".csv";
  return Generated(name, [&](std::string &csv) {
    csv = limits ? "id,value,kind,max\n" : "id,value\n";
    for (std::size_t i = 0; i < n; ++i) {
      csv += "ID_" + std::to_string(i) + ",Score " + std::to_string(i) +
             ": %1!d! points";
      if (limits)
        csv += std::string(i % 2 ? ",text," : ",,") +
               (i % 100 == 99 ? "19" : "40");
      csv += "\n";
    }
  });
}

/// The translation of CsvSource(n, ...).
std::string CsvTranslation(std::size_t n) {
  return Generated("fr-" + std::to_string(n) + ".csv", [&](std::string &csv) {
    csv = "id,value\n";
    for (std::size_t i = 0; i < n; ++i)
      csv += "ID_" + std::to_string(i) + ",Points " + std::to_string(i) +
             " : %1!d!\n";
  });
}

struct ChildUsage {
  double cpuSeconds = 0;
  double peakMb = 0;
};

/// Runs \p argv (looked up in PATH) with its output thrown away; false
/// when it cannot start or does not exit 0.
bool RunChild(const std::vector<std::string> &argv, ChildUsage &usage) {
  std::vector<char *> args;
  for (const std::string &a : argv)
    args.push_back(const_cast<char *>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int spawned =
      posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0)
    return false;
  int status = 0;
  rusage r{};
  if (wait4(pid, &status, 0, &r) != pid)
    return false;
  auto seconds = [](const timeval &t) {
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
  };
  usage.cpuSeconds = seconds(r.ru_utime) + seconds(r.ru_stime);
  usage.peakMb = static_cast<double>(r.ru_maxrss) / 1024.0;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

/// Times \p argv once per iteration.
void Time(benchmark::State &state, const std::vector<std::string> &argv) {
  ChildUsage usage;
  double peak = 0;
  for (auto _ : state) {
    if (!RunChild(argv, usage)) {
      state.SkipWithError((argv[0] + " did not run or failed").c_str());
      return;
    }
    state.SetIterationTime(usage.cpuSeconds);
    peak = std::max(peak, usage.peakMb);
  }
  state.counters["entries"] = static_cast<double>(state.range(0));
  state.counters["peak_mb"] = peak;
}

std::size_t Size(const benchmark::State &state) {
  return static_cast<std::size_t>(state.range(0));
}

std::string Out(const char *name) { return (Scratch() / name).string(); }

/// The tool measured: the one built beside this program, or another build
/// named by PHRASOR_BENCH_TOOL (to measure an older one in the same way).
std::string Tool() {
  const char *other = std::getenv("PHRASOR_BENCH_TOOL");
  return other && *other ? other : PHRASOR_TOOL;
}

void BM_BuildPo_Plain(benchmark::State &state) {
  Time(state, {Tool(), "build", PoFile(Size(state), false), "--po-key",
               "source", "-o", Out("po.skdb")});
}

void BM_BuildPo_Metadata(benchmark::State &state) {
  Time(state, {Tool(), "build", PoFile(Size(state), true), "--po-key", "source",
               "-o", Out("po.skdb")});
}

// gettext's compiler on the same file; with -c it checks each translation's
// format against its msgid, as the tool's build does.
void BM_Msgfmt_Plain(benchmark::State &state) {
  Time(state, {"msgfmt", PoFile(Size(state), false), "-o", Out("po.mo")});
}

void BM_Msgfmt_Metadata(benchmark::State &state) {
  Time(state, {"msgfmt", PoFile(Size(state), true), "-o", Out("po.mo")});
}

void BM_MsgfmtCheck_Metadata(benchmark::State &state) {
  Time(state, {"msgfmt", "-c", PoFile(Size(state), true), "-o", Out("po.mo")});
}

/// `phrasor build` and `msgfmt -c` (which checks the formats, as the
/// build does) of the same file in each iteration: the time is the
/// tool's, `msgfmt_s` msgfmt's and `vs_msgfmt` their ratio over the run.
void BuildAgainstMsgfmt(benchmark::State &state, PoShape shape) {
  const std::string po = ShapedPo(Size(state), shape);
  const std::string key = shape == PoShape::Context ? "context" : "source";
  ChildUsage ours, theirs;
  double oursTotal = 0, theirsTotal = 0;
  for (auto _ : state) {
    if (!RunChild({"msgfmt", "-c", po, "-o", Out("shaped.mo")}, theirs)) {
      state.SkipWithError("msgfmt did not run or failed");
      return;
    }
    if (!RunChild(
            {Tool(), "build", po, "--po-key", key, "-o", Out("shaped.skdb")},
            ours)) {
      state.SkipWithError("the tool did not run or failed");
      return;
    }
    state.SetIterationTime(ours.cpuSeconds);
    oursTotal += ours.cpuSeconds;
    theirsTotal += theirs.cpuSeconds;
  }
  const double n = static_cast<double>(state.iterations());
  state.counters["entries"] = static_cast<double>(state.range(0));
  state.counters["msgfmt_s"] = theirsTotal / n;
  state.counters["vs_msgfmt"] = theirsTotal > 0 ? oursTotal / theirsTotal : 0;
}

void BM_PoVsMsgfmt_CFormat(benchmark::State &state) {
  BuildAgainstMsgfmt(state, PoShape::CFormat);
}

void BM_PoVsMsgfmt_Context(benchmark::State &state) {
  BuildAgainstMsgfmt(state, PoShape::Context);
}

void BM_PoVsMsgfmt_Plural(benchmark::State &state) {
  BuildAgainstMsgfmt(state, PoShape::Plural);
}

void BM_BuildCsv_Plain(benchmark::State &state) {
  Time(state,
       {Tool(), "build", CsvSource(Size(state), false), "-o", Out("csv.skdb")});
}

void BM_BuildCsv_Limits(benchmark::State &state) {
  Time(state,
       {Tool(), "build", CsvSource(Size(state), true), "-o", Out("csv.skdb")});
}

void BM_Report_Plain(benchmark::State &state) {
  Time(state, {Tool(), "report", CsvTranslation(Size(state)), "--against",
               CsvSource(Size(state), false), "-o", Out("report.html")});
}

void BM_Report_Limits(benchmark::State &state) {
  Time(state, {Tool(), "report", CsvTranslation(Size(state)), "--against",
               CsvSource(Size(state), true), "-o", Out("report.html")});
}

void Sizes(benchmark::internal::Benchmark *b) {
  b->Arg(1000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(
      benchmark::kMillisecond);
}

} // namespace

BENCHMARK(BM_BuildPo_Plain)->Apply(Sizes);
BENCHMARK(BM_BuildPo_Metadata)->Apply(Sizes);
BENCHMARK(BM_Msgfmt_Plain)->Apply(Sizes);
BENCHMARK(BM_Msgfmt_Metadata)->Apply(Sizes);
BENCHMARK(BM_MsgfmtCheck_Metadata)->Apply(Sizes);
BENCHMARK(BM_PoVsMsgfmt_CFormat)->Apply(Sizes);
BENCHMARK(BM_PoVsMsgfmt_Context)->Apply(Sizes);
BENCHMARK(BM_PoVsMsgfmt_Plural)->Apply(Sizes);
BENCHMARK(BM_BuildCsv_Plain)->Apply(Sizes);
BENCHMARK(BM_BuildCsv_Limits)->Apply(Sizes);
BENCHMARK(BM_Report_Plain)->Apply(Sizes);
BENCHMARK(BM_Report_Limits)->Apply(Sizes);

BENCHMARK_MAIN();
