//===- main.cpp - The phrasor command line --------------------------------===//
//
// Only argument parsing lives here; each subcommand is a Run* function.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Commands.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>

using namespace phrasor::tool;

namespace {

/// What the chosen subcommand will run, once parsing succeeded.
using Runner = std::function<int()>;

/// The options of every subcommand; CLI11 writes into them while parsing.
struct AllOptions {
  BuildOptions build;
  std::string poKey = "detect";
  DumpOptions dump;
  std::string dumpFormat = "csv";
  CheckOptions check;
  GetOptions get;
  ListOptions list;
  InfoOptions info;
  FormatOptions format;
  PseudoOptions pseudo;
};

void AddBuild(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *b = app.add_subcommand(
      "build", "Compile .csv, .json and .po files into one database");
  b->add_option("inputs", o.build.inputs, "Input files (.csv, .json, .po)")
      ->required();
  b->add_option("-o,--output", o.build.output, "The database to write")
      ->required();
  b->add_flag("--fill-empty", o.build.input.fillEmpty,
              "PO: use the msgid when the msgstr is empty");
  b->add_flag("--include-fuzzy", o.build.input.includeFuzzy,
              "PO: read entries marked fuzzy instead of skipping them");
  b->add_option("--po-key", o.poKey,
                "PO: context (msgctxt is the ID), source (msgid is the ID, "
                "as gettext keys it) or detect (per file, the default)")
      ->check(CLI::IsMember({"context", "source", "detect"}));
  b->add_option("--locale", o.build.input.locale,
                "The language of the texts, a BCP 47 tag such as fr-CA "
                "(overrides the inputs)");
  b->add_flag("--strict", o.build.strict, "Treat warnings as errors");
  b->callback([&] {
    o.build.input.poKey = o.poKey == "context"  ? PoKey::Context
                          : o.poKey == "source" ? PoKey::Source
                                                : PoKey::Detect;
    run = [&] { return RunBuild(o.build); };
  });
}

void AddDump(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *d = app.add_subcommand(
      "dump", "Write a database's entries as CSV, JSON or PO");
  d->add_option("database", o.dump.database, "The database")->required();
  d->add_option("--format", o.dumpFormat, "csv (default), json or po")
      ->check(CLI::IsMember({"csv", "json", "po"}));
  d->add_option("-o,--output", o.dump.output,
                "Write to this file instead of stdout");
  d->callback([&] {
    o.dump.format = o.dumpFormat == "json" ? DumpFormat::Json
                    : o.dumpFormat == "po" ? DumpFormat::Po
                                           : DumpFormat::Csv;
    run = [&] { return RunDump(o.dump); };
  });
}

void AddCheck(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *c = app.add_subcommand(
      "check", "Load a database and check every value as a format");
  c->add_option("database", o.check.database, "The database")->required();
  c->add_option("--against", o.check.against,
                "The source-language database a translation must match");
  c->add_flag("--strict", o.check.strict, "Treat warnings as errors");
  c->callback([&] { run = [&] { return RunCheck(o.check); }; });
}

void AddQueries(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *g = app.add_subcommand("get", "Print the value of one ID");
  g->add_option("database", o.get.database, "The database")->required();
  g->add_option("id", o.get.id, "The ID (ASCII case-insensitive)")->required();
  g->add_flag("--voice", o.get.voice, "Print the voice path instead");
  g->callback([&] { run = [&] { return RunGet(o.get); }; });

  CLI::App *l =
      app.add_subcommand("list", "Print the IDs that begin with a prefix");
  l->add_option("database", o.list.database, "The database")->required();
  l->add_option("prefix", o.list.prefix, "The prefix (default: every ID)");
  l->callback([&] { run = [&] { return RunList(o.list); }; });

  CLI::App *i = app.add_subcommand("info", "Print a database's counts");
  i->add_option("database", o.info.database, "The database")->required();
  i->callback([&] { run = [&] { return RunInfo(o.info); }; });
}

void AddFormat(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *f = app.add_subcommand(
      "format", "Format a message with arguments, as the game would");
  f->add_option("database", o.format.database, "The database")->required();
  f->add_option("id", o.format.id, "The ID of a message")->required();
  f->add_option("args", o.format.args,
                "One argument per field, converted to the insert's type");
  // A negative number is an argument here, not an option: parsing stops at
  // the first word it does not know, and the rest are arguments as written.
  f->prefix_command();
  f->callback([&o, &run, f] {
    for (const std::string &rest : f->remaining())
      o.format.args.push_back(rest);
    run = [&] { return RunFormat(o.format); };
  });
}

void AddPseudo(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *p = app.add_subcommand(
      "pseudo", "Write a pseudo-localized copy of a database, to find "
                "truncated and hard-coded texts");
  p->add_option("source", o.pseudo.source, "The source-language database")
      ->required();
  p->add_option("-o,--output", o.pseudo.output, "The database to write")
      ->required();
  p->add_option("--expand", o.pseudo.expand,
                "Percent by which each text grows (default 40)")
      ->check(CLI::Range(0u, 1000u));
  p->add_flag("--brackets,!--no-brackets", o.pseudo.brackets,
              "Put [ and ] around each text (the default)");
  p->add_option("--locale", o.pseudo.locale,
                "The language tag to record (default: the source's "
                "language in region XA, such as en-XA)");
  p->footer("\nExample:\n"
            "  phrasor pseudo en.skdb -o en-XA.skdb --expand 50\n"
            "  phrasor check en-XA.skdb --against en.skdb\n\n"
            "Exit codes: 0 written (warnings aside), 1 problems in the "
            "source's entries, 2 unusable path or usage");
  p->callback([&] { run = [&] { return RunPseudo(o.pseudo); }; });
}

/// Runs the chosen subcommand; a FatalError, like any other exception, becomes
/// one line on stderr and the usage exit status.
int Run(const Runner &run) {
  try {
    return run ? run() : kExitUsage;
  } catch (const std::exception &e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitUsage;
  }
}

} // namespace

int main(int argc, char **argv) {
  CLI::App app{"phrasor: build, inspect and check compiled string databases "
               "(.skdb)",
               "phrasor"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "phrasor 0.1.0");
  AllOptions options;
  Runner run;
  AddBuild(app, options, run);
  AddDump(app, options, run);
  AddCheck(app, options, run);
  AddQueries(app, options, run);
  AddFormat(app, options, run);
  AddPseudo(app, options, run);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return Run(run);
}
