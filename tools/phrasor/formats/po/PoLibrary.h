//===- PoLibrary.h - A PO file as libgettextpo reads it ---------*- C++ -*-===//
//
// The library reads the file and reports through a handler without user
// data; this is where that handler, its fatal jump and the faster reading
// of UTF-8 files live, so the reader sees a file read or not read.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_POLIBRARY_H
#define PHRASOR_TOOL_POLIBRARY_H

#include "tools/phrasor/Diagnostics.h"

#include <gettext-po.h>

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace phrasor::tool {

/// A message the library dropped as defined twice: the line of the second
/// definition and the first, kept. The library names the first without
/// its line, so the report waits until the messages are placed.
struct Duplicate {
  std::size_t line;
  po_message_t first;
};

/// The library's reading of \p file, whose bytes are \p text, with its
/// reports to \p diag; the messages it dropped as defined twice go to
/// \p duplicates, reported by the caller once it knows where they stand.
/// Nothing when the library gave up on a fatal error, which has been
/// reported.
po_file_t ReadLibraryPo(const std::string &file, std::string_view text,
                        Diagnostics &diag, std::vector<Duplicate> &duplicates);

/// Frees \p po, read from a file of \p textSize bytes, or keeps it to the
/// end of the process (see PoLibrary.cpp).
void ReleasePo(po_file_t po, std::size_t textSize);

/// A header field, or nothing; the header itself may be absent.
std::optional<std::string> HeaderField(const char *header, const char *name);

/// The charset a Content-Type field names; empty when it names none.
std::string CharsetOf(const std::optional<std::string> &contentType);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_POLIBRARY_H
