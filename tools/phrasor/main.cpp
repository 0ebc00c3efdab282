//===- main.cpp - The phrasor command line --------------------------------===//
//
// Only argument parsing lives here; each subcommand is a Run* function.
//
//===----------------------------------------------------------------------===//

#include "tools/phrasor/Help.h"
#include "tools/phrasor/commands/Commands.h"
#include "tools/phrasor/commands/TypedCommands.h"

#include "phrasor/Key.h"

#include <CLI/CLI.hpp>

#include <functional>
#include <iostream>
#include <new>
#include <optional>

#ifdef __GLIBC__
#include <malloc.h>
#endif

using namespace phrasor::tool;

namespace {

/// What the chosen subcommand will run, once parsing succeeded.
using Runner = std::function<int()>;

/// --po-key and --delimiter as written, turned into InputOptions once
/// parsing succeeded.
struct ReadingWords {
  std::string poKey = "detect";
  std::string delimiter;
  std::string syntax = "phrasor"; ///< --syntax
};

/// The options of every subcommand; CLI11 writes into them while parsing.
struct AllOptions {
  BuildOptions build;
  ReadingWords buildReading;
  WatchOptions watch;
  ReadingWords watchReading;
  DumpOptions dump;
  CheckOptions check;
  ReadingWords checkReading;
  StatsOptions stats;
  ReadingWords statsReading;
  GetOptions get;
  ListOptions list;
  InfoOptions info;
  FormatOptions format;
  PseudoOptions pseudo;
  HeaderOptions header;
  ReadingWords headerReading;
  UsageOptions usage;
  ReadingWords usageReading;
  ReportOptions report;
  ReadingWords reportReading;
  /// --context of get and format: the ID is the message within it.
  std::optional<std::string> getContext, formatContext;
};

/// The key gettext stores a message of \p context under.
void PutInContext(const std::optional<std::string> &context, std::string &id) {
  if (context)
    id = phrasor::Key::inContextOf(*context, id).print();
}

const char *const kContextHelp =
    "The gettext context (msgctxt) of the ID, whose msgid is then the ID";

/// The separator --delimiter names; 0 (detect) when it is not given.
char DelimiterChar(const std::string &name) {
  if (name == "tab" || name == "\\t" || name == "\t")
    return '\t';
  return name.size() == 1 ? name[0] : '\0';
}

void ApplyReading(const ReadingWords &words, InputOptions &input) {
  input.poKey = words.poKey == "context"  ? PoKey::Context
                : words.poKey == "source" ? PoKey::Source
                                          : PoKey::Detect;
  input.delimiter = DelimiterChar(words.delimiter);
  input.icuSyntax = words.syntax == "icu";
}

const char *const kSyntaxHelp =
    "JSON and XLIFF: how texts write their arguments: phrasor (%1!s!, the "
    "default) "
    "or icu (ICU MessageFormat: {name}, plural, select)";

void AddSpreadsheetOptions(CLI::App *b, InputOptions &input,
                           ReadingWords &words) {
  std::string &delimiter = words.delimiter;
  b->add_option("--syntax", words.syntax, kSyntaxHelp)
      ->check(CLI::IsMember({"phrasor", "icu"}));
  b->add_option("--input-format", input.inputFormat,
                "Read every input as this format, whatever its extension (" +
                    JoinWords(FormatNames(), " or ") + ")")
      ->check(CLI::IsMember(FormatNames()));
  b->add_option("--column", input.column,
                "CSV: the column that holds the texts, such as a language "
                "column 'fr' of a 'key,en,fr,de' sheet (default: value); "
                ".xcstrings: the language (default: the source language)");
  b->add_option("--delimiter", delimiter,
                "CSV: the field separator: ',', ';' or tab (default: the "
                "first of them on the header line)")
      ->check(CLI::Validator(
          [](std::string &name) {
            return DelimiterChar(name) == ',' || DelimiterChar(name) == ';' ||
                           DelimiterChar(name) == '\t'
                       ? std::string()
                       : "the separator is ',', ';' or tab, not '" + name + "'";
          },
          "',' ';' tab"));
}

void AddBuild(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *b =
      app.add_subcommand("build", "Compile " + FamilyExtensionList(" and ") +
                                      " files into one database");
  b->add_option("inputs", o.build.inputs,
                "Input files (" + InputExtensionList() + ")")
      ->required();
  b->add_option("-o,--output", o.build.output,
                "The database to write (with --every-column, the directory)")
      ->required();
  b->add_flag("--every-column", o.build.everyColumn,
              "CSV: build one database per language column of a master "
              "sheet (key,en,de,pl...), each <column>.skdb in the -o "
              "directory; .xcstrings: one per language of the catalog");
  b->add_flag("--fill-empty", o.build.input.fillEmpty,
              "PO, XLIFF: use the source text for untranslated entries");
  b->add_flag("--include-fuzzy", o.build.input.includeFuzzy,
              "PO, XLIFF: read entries marked fuzzy or needing review "
              "instead of skipping them");
  b->add_option("--po-key", o.buildReading.poKey,
                "PO: context (msgctxt is the ID), source (msgid is the ID, "
                "as gettext keys it) or detect (per file, the default)")
      ->check(CLI::IsMember({"context", "source", "detect"}));
  b->add_option("--locale", o.build.input.locale,
                "The language of the texts, a BCP 47 tag such as fr-CA "
                "(overrides the inputs)");
  b->add_flag("--strict", o.build.strict, "Treat warnings as errors");
  AddSpreadsheetOptions(b, o.build.input, o.buildReading);
  AddFooter(b, "phrasor build en.csv menu.json -o en.skdb --locale en\n"
               "phrasor build sheet.csv --column fr -o fr.skdb\n"
               "phrasor build sheet.csv --every-column -o build/text");
  b->callback([&] {
    ApplyReading(o.buildReading, o.build.input);
    run = [&] { return RunBuild(o.build); };
  });
}

void AddWatch(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *w = app.add_subcommand(
      "watch", "Build each source into a database, then again each time it "
               "is saved, until stopped");
  w->add_option("sources", o.watch.sources,
                "Input files (" + InputExtensionList() +
                    "), each its own "
                    "database")
      ->required();
  w->add_option("-o,--output", o.watch.outputDir,
                "The directory the databases are written to, as "
                "<source name>.skdb")
      ->required();
  w->add_flag("--fill-empty", o.watch.input.fillEmpty,
              "PO, XLIFF: use the source text for untranslated entries");
  w->add_flag("--include-fuzzy", o.watch.input.includeFuzzy,
              "PO, XLIFF: read entries marked fuzzy or needing review");
  w->add_option("--po-key", o.watchReading.poKey,
                "PO: context, source or detect (as build takes it)")
      ->check(CLI::IsMember({"context", "source", "detect"}));
  w->add_flag("--strict", o.watch.strict, "Treat warnings as errors");
  w->add_option("--interval", o.watch.intervalMs,
                "Milliseconds between looks at the sources (default 200)")
      ->check(CLI::Range(10u, 60000u));
  w->add_option("--max-builds", o.watch.maxBuilds,
                "Stop after this many builds, the first ones included "
                "(for scripts; default: never)");
  AddSpreadsheetOptions(w, o.watch.input, o.watchReading);
  AddFooter(w,
            "phrasor watch en.csv fr.csv -o build/game   # fr.csv -> "
            "build/game/fr.skdb",
            "the last build's: 0 built, 1 problems in the entries, 2 a "
            "file that cannot be read or written");
  w->callback([&] {
    ApplyReading(o.watchReading, o.watch.input);
    run = [&] { return RunWatch(o.watch); };
  });
}

void AddDump(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *d = app.add_subcommand("dump", "Write a database's entries as " +
                                               FormatTitleList(" or "));
  d->add_option("database", o.dump.database, "The database")->required();
  std::vector<std::string> names = FormatNames();
  names.front() += " (default)";
  d->add_option("--format", o.dump.format, JoinWords(names, " or "))
      ->check(CLI::IsMember(FormatNames()));
  std::vector<std::string> bilingual;
  for (const Format &f : Formats())
    if (f.bilingual && (bilingual.empty() || bilingual.back() != f.title))
      bilingual.emplace_back(f.title);
  d->add_option("--source", o.dump.source,
                JoinWords(bilingual, ", ") +
                    ": the source-language database; its texts become the "
                    "sources, this database's the targets");
  d->add_option("--target-language", o.dump.targetLanguage,
                JoinWords(bilingual, ", ") +
                    ": export the database for a new translation into this "
                    "language (a BCP 47 tag), with its plural forms")
      ->excludes("--source");
  d->add_option("-o,--output", o.dump.output,
                "Write to this file instead of stdout (\"-\": stdout)");
  d->add_option("--syntax", o.dump.syntax, kSyntaxHelp)
      ->check(CLI::IsMember({"phrasor", "icu"}));
  AddFooter(d, "phrasor dump fr.skdb --format po -o fr.po");
  d->callback([&] { run = [&] { return RunDump(o.dump); }; });
}

/// How check and stats read sources: as build would, so build's options.
void AddSourceReading(CLI::App *c, InputOptions &input, ReadingWords &words) {
  AddSpreadsheetOptions(c, input, words);
  c->add_flag("--fill-empty", input.fillEmpty,
              "PO, XLIFF sources: use the source text for untranslated "
              "entries");
  c->add_flag("--include-fuzzy", input.includeFuzzy,
              "PO, XLIFF sources: read entries marked fuzzy or needing "
              "review");
  c->add_option("--po-key", words.poKey,
                "PO sources: context, source or detect (the default)")
      ->check(CLI::IsMember({"context", "source", "detect"}));
  c->add_option("--locale", input.locale,
                "Sources: the language of the texts, a BCP 47 tag");
}

/// --protect, which the commands that look inside texts share.
void AddProtect(CLI::App *c, std::vector<std::string> &patterns) {
  c->add_option("--protect", patterns,
                "A regular expression for more text to keep as written, "
                "such as '\\[icon:[a-z_]+\\]' (repeatable; adds to the "
                "source's @protect)")
      ->allow_extra_args(false);
}

/// --against and --against-column, which check and stats share.
void AddAgainst(CLI::App *c, std::string &against, std::string &column,
                const std::string &help) {
  CLI::Option *option = c->add_option("--against", against, help);
  c->add_option("--against-column", column,
                "CSV: the column of --against's texts, such as 'en' of a "
                "'key,en,fr,de' sheet (default: value)")
      ->needs(option);
}

void AddCheck(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *c = app.add_subcommand(
      "check", "Check a database, or sources without building them");
  c->add_option("file", o.check.database,
                "A database (.skdb) or a source (" + InputExtensionList() + ")")
      ->required();
  AddAgainst(c, o.check.against, o.check.againstColumn,
             "The source-language database or source a translation must "
             "match");
  c->add_flag("--strict", o.check.strict,
              "Treat warnings as errors: fail on missing and untranslated "
              "texts too");
  c->add_flag("-q,--quiet", o.check.quiet,
              "Print problems only: no summary line when there are none "
              "(for build systems)");
  AddSourceReading(c, o.check.input, o.checkReading);
  AddProtect(c, o.check.protect);
  AddFooter(c, "phrasor check fr.skdb --against en.skdb --strict");
  c->callback([&] {
    ApplyReading(o.checkReading, o.check.input);
    run = [&] { return RunCheck(o.check); };
  });
}

void AddStats(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *s = app.add_subcommand(
      "stats", "Count the entries of databases or sources, and their "
               "coverage of a source");
  s->add_option("files", o.stats.files,
                "Databases (.skdb) or sources (" + InputExtensionList() + ")")
      ->required();
  AddAgainst(s, o.stats.against, o.stats.againstColumn,
             "The source-language database or source to measure "
             "translations by");
  s->add_flag("--json", o.stats.json, "Write a JSON array instead of a table");
  AddSourceReading(s, o.stats.input, o.statsReading);
  AddFooter(s, "phrasor stats fr.skdb de.skdb --against en.skdb");
  s->callback([&] {
    ApplyReading(o.statsReading, o.stats.input);
    run = [&] { return RunStats(o.stats); };
  });
}

void AddQueries(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *g = app.add_subcommand("get", "Print the value of one ID");
  g->add_option("database", o.get.database, "The database")->required();
  g->add_option("id", o.get.id, "The ID (ASCII case-insensitive)")->required();
  g->add_flag("--voice", o.get.voice, "Print the voice path instead");
  g->add_option("--context", o.getContext, kContextHelp);
  AddFooter(g,
            "phrasor get en.skdb UI_MENU_TITLE\n"
            "  phrasor get pl.skdb --context menu Open",
            "0 success, 1 no such ID (or it has no value or voice path), 2 "
            "wrong arguments or a database that cannot be loaded");
  g->callback([&] {
    PutInContext(o.getContext, o.get.id);
    run = [&] { return RunGet(o.get); };
  });

  CLI::App *l =
      app.add_subcommand("list", "Print the IDs that begin with a prefix");
  l->add_option("database", o.list.database, "The database")->required();
  l->add_option("prefix", o.list.prefix, "The prefix (default: every ID)");
  AddFooter(l, "phrasor list en.skdb UI_");
  l->callback([&] { run = [&] { return RunList(o.list); }; });

  CLI::App *i = app.add_subcommand("info", "Print a database's counts");
  i->add_option("database", o.info.database, "The database")->required();
  AddFooter(i, "phrasor info en.skdb");
  i->callback([&] { run = [&] { return RunInfo(o.info); }; });
}

void AddFormat(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *f = app.add_subcommand(
      "format", "Format a message with arguments, as the game would");
  f->add_option("database", o.format.database, "The database")->required();
  f->add_option("id", o.format.id, "The ID of a message")->required();
  f->add_option("--count", o.format.count,
                "Format the plural form of ID for this count (3, 1.50), "
                "chosen by the database's @locale as the C++ layer does");
  f->add_flag("--ordinal", o.format.ordinal,
              "With --count: the ordinal form (ID" +
                  std::string(phrasor::kOrdinalSelector.mark) + "<category>)");
  f->add_option("--gender", o.format.gender,
                "Format ID's form for this gender (masculine, feminine, "
                "neuter, other: ID#gender-<name>), as select() does");
  f->add_option("--select", o.format.select,
                "Format ID's form for this word (ID#select-<word>); either "
                "word option with --count: the form of both "
                "(ID#gender-feminine#one)");
  f->add_option("--context", o.formatContext, kContextHelp);
  f->add_option("args", o.format.args,
                "One argument per field, converted to the insert's type");
  AddFooter(f, "phrasor format en.skdb DLG_SCORE Ana 12\n"
               "  phrasor format ru.skdb FILES --count 21 21\n"
               "  phrasor format fr.skdb FOUND --gender feminine --count 2 2");
  // A negative number is an argument here, not an option: parsing stops at
  // the first word it does not know, and the rest are arguments as written.
  f->prefix_command();
  f->callback([&o, &run, f] {
    for (const std::string &rest : f->remaining())
      o.format.args.push_back(rest);
    PutInContext(o.formatContext, o.format.id);
    run = [&] { return RunFormat(o.format); };
  });
}

void AddPseudo(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *p = app.add_subcommand(
      "pseudo", "Write a pseudo-localized copy of a database, to find "
                "truncated and hard-coded texts");
  p->add_option("source", o.pseudo.source,
                "The source-language database, or a source file such as a "
                ".pot template")
      ->required();
  p->add_option("-o,--output", o.pseudo.output, "The database to write")
      ->required();
  p->add_option("--expand", o.pseudo.expand,
                "Percent by which each text grows (default 40)")
      ->check(CLI::Range(0u, 1000u));
  p->add_flag("--brackets,!--no-brackets", o.pseudo.brackets,
              "Put [ and ] around each text (the default)");
  p->add_flag("--ids", o.pseudo.ids,
              "Begin each text with its ID (\"MENU_START: [...]\"), so a "
              "screenshot names the entry of each label");
  p->add_option("--locale", o.pseudo.locale,
                "The language tag to record (default: the source's "
                "language in region XA, such as en-XA)");
  AddProtect(p, o.pseudo.protect);
  AddFooter(p,
            "phrasor pseudo en.skdb -o en-XA.skdb --expand 50\n"
            "phrasor check en-XA.skdb --against en.skdb",
            "0 written (warnings aside), 1 problems in the source's entries, "
            "2 wrong arguments or a file that cannot be read or written");
  p->callback([&] { run = [&] { return RunPseudo(o.pseudo); }; });
}

void AddHeader(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *h = app.add_subcommand(
      "header", "Write a C++ header whose objects let the compiler check "
                "each call's ID and arguments");
  h->add_option(
       "source", o.header.source,
       "The source-language catalog: a database (.skdb) or a source (" +
           InputExtensionList() + ")")
      ->required();
  h->add_option("-o,--output", o.header.output, "The header to write")
      ->required();
  h->add_option("--namespace", o.header.nameSpace,
                "The namespace of the objects, such as game::msg (default "
                "msg)");
  h->add_flag("--texts", o.header.texts,
              "Write each ID's source text as its comment, for an editor to "
              "show; an edit of any text then rewrites the header");
  AddSourceReading(h, o.header.input, o.headerReading);
  AddFooter(h, "phrasor header en.csv -o include/game/msg.h --namespace msg",
            "0 written or unchanged, 1 problems in the source or IDs whose "
            "C++ names clash, 2 wrong arguments or a file that cannot be "
            "read or written");
  h->callback([&] {
    ApplyReading(o.headerReading, o.header.input);
    run = [&] { return RunHeader(o.header); };
  });
}

void AddUsage(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *u = app.add_subcommand(
      "usage", "Report IDs a program's sources use that the catalog lacks, "
               "and IDs they never use");
  u->add_option("--db", o.usage.database,
                "The source-language database (.skdb) or source")
      ->required();
  u->add_option("sources", o.usage.sources,
                "C and C++ files, or directories searched for them")
      ->required();
  u->add_option("--namespace", o.usage.nameSpace,
                "The namespace given to 'phrasor header' (default msg)");
  u->add_flag("--strict", o.usage.strict, "Treat IDs never used as errors");
  AddSourceReading(u, o.usage.input, o.usageReading);
  AddFooter(u, "phrasor usage --db en.skdb src/",
            "0 every ID used is in the catalog (warnings aside), 1 IDs used "
            "but missing, 2 wrong arguments or a file that cannot be read");
  u->callback([&] {
    ApplyReading(o.usageReading, o.usage.input);
    run = [&] { return RunUsage(o.usage); };
  });
}

void AddReport(CLI::App &app, AllOptions &o, Runner &run) {
  CLI::App *r = app.add_subcommand(
      "report", "Write one HTML page on the translations of a source: "
                "coverage, problems, limits and plural forms");
  r->add_option("files", o.report.files,
                "The translations: databases (.skdb) or sources (" +
                    InputExtensionList() + ")")
      ->required();
  CLI::Option *against = r->add_option(
      "--against", o.report.against, "The source-language database or source");
  against->required();
  r->add_option("--against-column", o.report.againstColumn,
                "CSV: the column of --against's texts (default: value)");
  r->add_option("-o,--output", o.report.output, "The HTML file to write")
      ->required();
  AddSourceReading(r, o.report.input, o.reportReading);
  AddProtect(r, o.report.protect);
  AddFooter(r, "phrasor report --against en.csv de.csv ja.csv -o report.html",
            "0 written, whatever the translations' problems; 1 a source "
            "that cannot be read; 2 wrong arguments or a file that cannot "
            "be read or written");
  r->callback([&] {
    ApplyReading(o.reportReading, o.report.input);
    run = [&] { return RunReport(o.report); };
  });
}

/// Runs the chosen subcommand; a FatalError, like any other exception, becomes
/// one line on stderr and the usage exit status.
int Run(const Runner &run) {
  try {
    return run ? run() : kExitUsage;
  } catch (const std::bad_alloc &) {
    // Its what() says only "std::bad_alloc", which reads as a crash.
    std::cerr << "error: out of memory\n";
    return kExitUsage;
  } catch (const std::exception &e) {
    std::cerr << "error: " << e.what() << '\n';
    return kExitUsage;
  }
}

} // namespace

int main(int argc, char **argv) {
#ifdef __GLIBC__
  // A build or dump holds a few hundred megabytes for a moment and then
  // exits: memory given back to the system (trimmed, or large blocks
  // unmapped) is only faulted in again by the next allocation, which made
  // a third of a large PO build's system time. The limits are glibc's
  // largest for mapped blocks and no trimming while the tool runs.
  mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
  mallopt(M_TRIM_THRESHOLD, 1 << 30);
  mallopt(M_TOP_PAD, 64 * 1024 * 1024);
#endif
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
  AddStats(app, options, run);
  AddQueries(app, options, run);
  AddFormat(app, options, run);
  AddPseudo(app, options, run);
  AddHeader(app, options, run);
  AddUsage(app, options, run);
  AddReport(app, options, run);
  AddWatch(app, options, run);
  AddHelp(app, run);
  AddFooter(&app, "phrasor build en.csv -o en.skdb\nphrasor help build");
  app.footer("'phrasor help COMMAND' explains one command.\n\n" +
             app.get_footer());
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError &e) {
    const int code = app.exit(e);
    return code == 0 ? kExitOk : kExitUsage;
  }
  return Run(run);
}
