//===- TextEncoding.h - Inputs saved as UTF-8 or UTF-16 ---------*- C++ -*-===//
//
// Spreadsheet programs and translation tools save text as UTF-8, with or
// without a byte order mark, or as UTF-16 with one. The CSV and XLIFF
// readers parse UTF-8 only, so their input is first brought to UTF-8 here,
// by its byte order mark.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_TEXTENCODING_H
#define PHRASOR_TOOL_TEXTENCODING_H

#include "tools/phrasor/Diagnostics.h"

#include <cstddef>
#include <string>
#include <string_view>

namespace phrasor::tool {

/// The input as UTF-8 without its byte order mark.
struct Utf8Input {
  /// The text: a view of the bytes read, or of \p converted.
  std::string_view text;
  /// The UTF-8 made from a UTF-16 input; empty otherwise.
  std::string converted;
  /// Not zero when the UTF-16 is invalid (a lone surrogate, an odd byte at
  /// the end): the line of the first bad character. \p text is then
  /// empty.
  std::size_t badLine = 0;
  const char *encoding = "UTF-8";
};

/// Reads \p bytes by their byte order mark: UTF-8 (a BOM is skipped),
/// UTF-16LE or UTF-16BE. Without a mark the bytes are taken as UTF-8.
/// The result may point into \p bytes, which must outlive it, and must not
/// be copied or moved once \p text points into \p converted.
void ReadAsUtf8(std::string_view bytes, Utf8Input &out);

/// ReadAsUtf8 for a reader of \p file: false, with the error said at the
/// bad line, when the UTF-16 is invalid.
bool ReadAsUtf8(const std::string &file, std::string_view bytes, Utf8Input &out,
                Diagnostics &diag);

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_TEXTENCODING_H
