//===- Charset.h - Converting a file's strings to UTF-8 ---------*- C++ -*-===//
//
// PO files may be written in any charset their header names; libgettextpo
// hands the strings back as they are, so the reader converts each with
// iconv.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_TOOL_CHARSET_H
#define PHRASOR_TOOL_CHARSET_H

#include <iconv.h>

#include <optional>
#include <string>

namespace phrasor::tool {

/// Converts the strings of one file from its declared charset to UTF-8.
class Charset {
public:
  Charset() = default;
  Charset(const Charset &) = delete;
  Charset &operator=(const Charset &) = delete;
  ~Charset();

  /// False when iconv does not know \p name. UTF-8, ASCII and a template's
  /// placeholder "CHARSET" need no conversion.
  bool Open(const std::string &name);

  /// \p text in UTF-8; nothing when it is not valid in the charset.
  std::optional<std::string> ToUtf8(const char *text);

private:
  iconv_t converter = reinterpret_cast<iconv_t>(-1);
};

} // namespace phrasor::tool

#endif // PHRASOR_TOOL_CHARSET_H
