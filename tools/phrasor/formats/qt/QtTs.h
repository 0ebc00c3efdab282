//===- QtTs.h - Qt Linguist translation files (.ts) -------------*- C++ -*-===//
//
// A Qt project's translations/app_<lang>.ts, read as lrelease reads it:
//
//   <TS language="de_DE">          the catalog's language, as "de-DE"
//   <context><name>MainWindow      the context of every message in it
//   <source>Open</source>          the source text, which is the key
//   <comment>verb</comment>        disambiguation, part of the key
//   <extracomment>, <translatorcomment>
//                                  the note (@notes), joined by a newline
//   <translation>Öffnen            the value
//   type="unfinished"              with text: left out unless
//                                  --include-fuzzy (then needs-review);
//                                  empty: untranslated, an entry without a
//                                  value (or the source, with --fill-empty)
//   type="obsolete", "vanished"    left out
//   numerus="yes", <numerusform>   the plural forms, in the order of the
//                                  language's usual gettext Plural-Forms,
//                                  stored as ID#one, ID#few... as a PO
//                                  file's msgstr[N] are
//   %1 .. %99, %L1                 message inserts %1!s!, %1!'d!
//   %n, %Ln                        the count, %N!d! (%N!'d!), N being one
//                                  more than the highest %N of the source
//                                  and every form of the message
//
// Keys are gettext's source-text keys: the context, U+0004, the source
// text ("MainWindow\x04Open"); a disambiguation comment follows the
// context's name after a line feed ("MainWindow\nverb\x04Open"), and a
// message of an empty context with no comment is keyed by its source text
// alone. Source texts that differ only in case are kept apart as PO's are.
// A translation with an insert is a message whose other '%'s are stored
// as "%%"; one without is text, its '%'s as written. <location>s,
// <oldsource>, the source language and <byte> characters are not kept.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_QTTS_H
#define PHRASOR_TOOL_QTTS_H

#include "tools/phrasor/formats/Registry.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// Reads a Qt Linguist .ts file; a .ts that is not XML (a TypeScript
/// source) is refused with a message that says so.
void ReadQtTs(const std::string &file, std::string_view text,
              const InputOptions &options, Diagnostics &diag,
              std::vector<SourceEntry> &out);

/// Writes a database as a .ts file; entries whose ID or text a .ts cannot
/// give back are left out, with one warning per kind of loss.
std::string WriteQtTs(const DumpSide &target, const DumpSide &source,
                      const std::string &where, Diagnostics &diag);

/// The highest %N or %LN of a Qt text; 0 when it has none.
unsigned QtHighestInsert(std::string_view qt);

/// The stored text of Qt text \p qt whose count (%n) is insert \p count:
/// a message when it has an insert (\p message set), else \p qt itself.
std::string QtToStored(std::string_view qt, unsigned count, bool &message);

/// The Qt text of stored message \p text whose insert \p count is %n;
/// nothing when it holds an insert or escape Qt has no spelling for.
std::optional<std::string> StoredToQt(std::string_view text, unsigned count);

/// Of the inserts of stored message \p text: the highest number, and the
/// number of the first %N!d! (0 when it has none), which is Qt's %n.
void StoredInserts(std::string_view text, unsigned &highest,
                   unsigned &countInsert);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_QTTS_H
