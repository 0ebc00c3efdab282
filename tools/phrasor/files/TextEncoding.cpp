//===- TextEncoding.cpp - Inputs saved as UTF-8 or UTF-16 -----------------===//

#include "tools/phrasor/files/TextEncoding.h"

#include "tools/phrasor/Diagnostics.h"

#include <iconv.h>

#include <cerrno>

namespace phrasor::tool {
namespace {

/// Lines begun in \p text, counted as the CSV reader counts them: CRLF, LF
/// and a lone CR each end one.
std::size_t LinesIn(std::string_view text) {
  std::size_t lines = 1;
  for (std::size_t i = 0; i < text.size(); ++i)
    if (text[i] == '\n' ||
        (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      ++lines;
  return lines;
}

/// Converts \p bytes from \p charset with iconv, which refuses lone
/// surrogates and a character cut at the end.
void Convert(const char *charset, std::string_view bytes, Utf8Input &out) {
  out.encoding = charset;
  iconv_t cd = iconv_open("UTF-8", charset);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw FatalError(std::string("cannot convert from ") + charset + ": " +
                     SystemReason());
  // Two bytes of UTF-16 never become more than three of UTF-8.
  std::string &utf8 = out.converted;
  utf8.assign(bytes.size() / 2 * 3 + 4, '\0');
  char *src = const_cast<char *>(bytes.data());
  std::size_t srcLeft = bytes.size();
  char *dst = utf8.data();
  std::size_t dstLeft = utf8.size();
  const bool failed =
      iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1);
  iconv_close(cd);
  utf8.resize(utf8.size() - dstLeft);
  if (failed || srcLeft != 0) {
    out.badLine = LinesIn(utf8);
    return;
  }
  out.text = utf8;
}

} // namespace

void ReadAsUtf8(std::string_view bytes, Utf8Input &out) {
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
    out.text = bytes.substr(3);
  else if (bytes.substr(0, 2) == "\xFF\xFE")
    Convert("UTF-16LE", bytes.substr(2), out);
  else if (bytes.substr(0, 2) == "\xFE\xFF")
    Convert("UTF-16BE", bytes.substr(2), out);
  else
    out.text = bytes;
}

bool ReadAsUtf8(const std::string &file, std::string_view bytes, Utf8Input &out,
                Diagnostics &diag) {
  ReadAsUtf8(bytes, out);
  if (out.badLine == 0)
    return true;
  diag.Error(SourcePos{file, out.badLine}, "not valid UTF-16");
  return false;
}

} // namespace phrasor::tool
