//===- PoRecording.h - What the @po record keeps of a PO file ---*- C++ -*-===//
//
// A PO file read keyed by source, or a gettext file keyed by context,
// leaves a record (Metadata.h) from which a dump gives the translators'
// file back: its header, the sources, flags and comments of its messages,
// which of them are fuzzy, and the messages the database holds no entry
// for (fuzzy ones read without --include-fuzzy, obsolete ones).
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_PORECORDING_H
#define PHRASOR_TOOL_PORECORDING_H

#include "tools/phrasor/Metadata.h"
#include "tools/phrasor/files/Charset.h"

#include <gettext-po.h>

#include <string>
#include <vector>

namespace phrasor::tool {

/// True for a format flag ("c-format", "no-php-format"), which the
/// library sets itself; a dump gives the others as comments
/// (PoPrinter.h).
bool IsFormatFlag(std::string_view flag);

/// Adds to \p record the header \p fields (in UTF-8) that a dump does not
/// write itself, and the header's translator comments of \p header.
void RecordPoHeader(const std::string &fields, po_message_t header,
                    Charset &converter, PoRecord &record);

/// What the record keeps of \p message beyond its key and texts: its
/// flags (those \p scanned found, or its c-format when the scan could not
/// place it), translator comments and fuzziness.
PoMessageRecord RecordOfPoMessage(po_message_t message,
                                  const std::vector<std::string> *scanned,
                                  Charset &converter);

/// True when \p r says more than that its message exists.
bool KeepsAnything(const PoMessageRecord &r);

/// The records of a file's messages by ID, in file order until
/// KeepRecords sorts them.
using MessageRecords = PoMessageTexts;

/// Records \p message, which the database holds no entry for, with its
/// texts: \p contextKey tells how its ID is made. A message whose texts
/// the charset cannot give, or that has no ID under that keying, is left
/// out: nothing reads it but a dump.
void RecordKeptOnly(po_message_t message, const std::vector<std::string> *flags,
                    bool contextKey, Charset &converter, MessageRecords &out);

/// Puts \p records in order of ID, the first of each ID only, as a file
/// gives them. They are written as they are, where a tree of records grown
/// one message at a time scattered its nodes among a large build's entries
/// and slowed every later step of the build.
void KeepRecords(MessageRecords &records);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_PORECORDING_H
