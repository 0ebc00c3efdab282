//===- Charset.cpp - Converting a file's strings to UTF-8 -----------------===//

#include "tools/phrasor/files/Charset.h"

#include <cerrno>

namespace phrasor::tool {

Charset::~Charset() {
  if (converter != reinterpret_cast<iconv_t>(-1))
    iconv_close(converter);
}

bool Charset::Open(const std::string &name) {
  std::string upper = name;
  for (char &c : upper)
    if (c >= 'a' && c <= 'z')
      c = static_cast<char>(c - 'a' + 'A');
  if (upper.empty() || upper == "UTF-8" || upper == "UTF8" ||
      upper == "CHARSET" || upper == "ASCII" || upper == "US-ASCII")
    return true;
  converter = iconv_open("UTF-8", name.c_str());
  return converter != reinterpret_cast<iconv_t>(-1);
}

std::optional<std::string> Charset::ToUtf8(const char *text) {
  std::string in = text ? text : "";
  if (converter == reinterpret_cast<iconv_t>(-1))
    return in;
  iconv(converter, nullptr, nullptr, nullptr, nullptr);
  std::string out(in.size() * 4 + 16, '\0');
  char *src = in.data();
  std::size_t srcLeft = in.size();
  char *dst = out.data();
  std::size_t dstLeft = out.size();
  while (srcLeft > 0) {
    if (iconv(converter, &src, &srcLeft, &dst, &dstLeft) !=
        static_cast<std::size_t>(-1))
      continue;
    if (errno != E2BIG)
      return std::nullopt; // EILSEQ or a sequence cut at the end
    const std::size_t used = out.size() - dstLeft;
    out.resize(out.size() * 2);
    dst = out.data() + used;
    dstLeft = out.size() - used;
  }
  out.resize(out.size() - dstLeft);
  return out;
}

} // namespace phrasor::tool
