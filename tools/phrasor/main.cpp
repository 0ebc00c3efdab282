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

int main(int argc, char **argv) {
  CLI::App app{"phrasor: build, inspect and check compiled string databases "
               "(.skdb)",
               "phrasor"};
  app.require_subcommand(1);
  app.set_version_flag("--version", "phrasor 0.1.0");
  std::function<int()> run;

  BuildOptions build;
  CLI::App *b = app.add_subcommand(
      "build", "Compile .csv, .json and .po files into one database");
  b->add_option("inputs", build.inputs, "Input files (.csv, .json, .po)")
      ->required();
  b->add_option("-o,--output", build.output, "The database to write")
      ->required();
  b->add_flag("--fill-empty", build.input.fillEmpty,
              "PO: use the msgid when the msgstr is empty");
  b->add_flag("--include-fuzzy", build.input.includeFuzzy,
              "PO: read entries marked fuzzy instead of skipping them");
  b->add_flag("--strict", build.strict, "Treat warnings as errors");
  b->callback([&] { run = [&] { return RunBuild(build); }; });

  DumpOptions dump;
  std::string dumpFormat = "csv";
  CLI::App *d = app.add_subcommand(
      "dump", "Write a database's entries as CSV, JSON or PO");
  d->add_option("database", dump.database, "The database")->required();
  d->add_option("--format", dumpFormat, "csv (default), json or po")
      ->check(CLI::IsMember({"csv", "json", "po"}));
  d->add_option("-o,--output", dump.output,
                "Write to this file instead of stdout");
  d->callback([&] {
    dump.format = dumpFormat == "json" ? DumpFormat::Json
                  : dumpFormat == "po" ? DumpFormat::Po
                                       : DumpFormat::Csv;
    run = [&] { return RunDump(dump); };
  });

  CheckOptions check;
  CLI::App *c = app.add_subcommand(
      "check", "Load a database and check every value as a format");
  c->add_option("database", check.database, "The database")->required();
  c->add_option("--against", check.against,
                "The source-language database a translation must match");
  c->add_flag("--strict", check.strict, "Treat warnings as errors");
  c->callback([&] { run = [&] { return RunCheck(check); }; });

  GetOptions get;
  CLI::App *g = app.add_subcommand("get", "Print the value of one ID");
  g->add_option("database", get.database, "The database")->required();
  g->add_option("id", get.id, "The ID (ASCII case-insensitive)")->required();
  g->add_flag("--voice", get.voice, "Print the voice path instead");
  g->callback([&] { run = [&] { return RunGet(get); }; });

  ListOptions list;
  CLI::App *l =
      app.add_subcommand("list", "Print the IDs that begin with a prefix");
  l->add_option("database", list.database, "The database")->required();
  l->add_option("prefix", list.prefix, "The prefix (default: every ID)");
  l->callback([&] { run = [&] { return RunList(list); }; });

  InfoOptions info;
  CLI::App *i = app.add_subcommand("info", "Print a database's counts");
  i->add_option("database", info.database, "The database")->required();
  i->callback([&] { run = [&] { return RunInfo(info); }; });

  FormatOptions format;
  CLI::App *f = app.add_subcommand(
      "format", "Format a message with arguments, as the game would");
  f->add_option("database", format.database, "The database")->required();
  f->add_option("id", format.id, "The ID of a message")->required();
  f->add_option("args", format.args,
                "One argument per field, converted to the insert's type");
  // A negative number is an argument here, not an option: parsing stops at
  // the first word it does not know, and the rest are arguments as written.
  f->prefix_command();
  f->callback([&] {
    for (const std::string &rest : f->remaining())
      format.args.push_back(rest);
    run = [&] { return RunFormat(format); };
  });

  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  try {
    return run ? run() : kExitUsage;
  } catch (const FatalError &e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitUsage;
  } catch (const std::exception &e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitUsage;
  }
}
