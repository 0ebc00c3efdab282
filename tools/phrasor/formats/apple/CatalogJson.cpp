//===- CatalogJson.cpp - String catalogs as Xcode writes them -------------===//

#include "tools/phrasor/formats/apple/CatalogJson.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

void AppendScalar(std::string &out, const CatalogJson &value) {
  // Texts were checked as UTF-8 on reading; a replacement keeps a dump
  // from failing on one that was not.
  out += value.dump(-1, ' ', false, CatalogJson::error_handler_t::replace);
}

void Print(std::string &out, const CatalogJson &value, std::size_t depth) {
  const std::string inner((depth + 1) * 2, ' ');
  if (value.is_object()) {
    if (value.empty()) {
      out += "{\n\n" + std::string(depth * 2, ' ') + "}";
      return;
    }
    out += "{\n";
    bool first = true;
    for (const auto &item : value.items()) {
      out += first ? "" : ",\n";
      first = false;
      out += inner;
      AppendScalar(out, CatalogJson(item.key()));
      out += " : ";
      Print(out, item.value(), depth + 1);
    }
    out += "\n" + std::string(depth * 2, ' ') + "}";
  } else if (value.is_array()) {
    out += "[\n";
    for (std::size_t i = 0; i < value.size(); ++i) {
      out += i ? ",\n" : "";
      out += inner;
      Print(out, value[i], depth + 1);
    }
    out += "\n" + std::string(depth * 2, ' ') + "]";
  } else {
    AppendScalar(out, value);
  }
}

std::size_t LineAt(std::string_view text, std::size_t offset) {
  offset = std::min(offset, text.size());
  return 1 + static_cast<std::size_t>(
                 std::count(text.begin(), text.begin() + offset, '\n'));
}

} // namespace

std::string PrintCatalog(const CatalogJson &value) {
  std::string out;
  Print(out, value, 0);
  out += "\n";
  return out;
}

CatalogJson ParseCatalog(std::string_view text, std::string &problem,
                         std::size_t &line) {
  CatalogJson doc;
  try {
    doc = CatalogJson::parse(text);
  } catch (const CatalogJson::parse_error &e) {
    line = LineAt(text, e.byte ? e.byte - 1 : 0);
    problem = "not valid JSON: " + std::string(e.what());
    return nullptr;
  } catch (const CatalogJson::out_of_range &e) {
    // A number no double holds ("number overflow parsing '1e999'"): the
    // message names it, which places it in the text.
    const std::string what = e.what();
    const std::size_t open = what.find('\''), close = what.rfind('\'');
    const std::size_t at =
        open < close ? text.find(what.substr(open + 1, close - open - 1))
                     : std::string_view::npos;
    line = LineAt(text, at == std::string_view::npos ? 0 : at);
    problem = "not valid JSON: " + what;
    return nullptr;
  }
  line = 1;
  if (!doc.is_object() || !doc.contains("strings") ||
      !doc["strings"].is_object()) {
    problem = "not a string catalog: it has no \"strings\" object";
    return nullptr;
  }
  if (!doc.contains("sourceLanguage") || !doc["sourceLanguage"].is_string()) {
    problem = "not a string catalog: it has no \"sourceLanguage\"";
    return nullptr;
  }
  return doc;
}

std::size_t LineOfName(std::string_view text, const std::string &key,
                       std::size_t from) {
  std::size_t at = 0;
  for (std::size_t l = 1; l < from && at != std::string_view::npos; ++l)
    if ((at = text.find('\n', at)) != std::string_view::npos)
      ++at;
  if (at == std::string_view::npos)
    return from;
  const std::size_t found = text.find(key, at);
  return found == std::string_view::npos ? from : LineAt(text, found);
}

} // namespace phrasor::tool
