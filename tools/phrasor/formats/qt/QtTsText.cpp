//===- QtTsText.cpp - Qt's %1 and %n placeholders and message inserts -----===//

#include "tools/phrasor/formats/qt/QtTs.h"

#include <algorithm>

namespace phrasor::tool {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

/// A placeholder of a Qt text: %1 .. %99 (QString::arg takes up to two
/// digits), %n, and either with the L that asks for the locale's digits.
struct QtPlaceholder {
  std::size_t size = 0; ///< 0: the '%' is no placeholder
  unsigned number = 0;  ///< 0: the count, %n
  bool localized = false;
};

QtPlaceholder PlaceholderAt(std::string_view qt, std::size_t i) {
  QtPlaceholder p;
  std::size_t j = i + 1;
  if (j < qt.size() && qt[j] == 'L') {
    p.localized = true;
    ++j;
  }
  if (j < qt.size() && qt[j] == 'n') {
    p.size = j + 1 - i;
    return p;
  }
  // No program writes %0: it stays text.
  if (j >= qt.size() || !IsDigit(qt[j]) || qt[j] == '0')
    return p;
  p.number = static_cast<unsigned>(qt[j++] - '0');
  if (j < qt.size() && IsDigit(qt[j]))
    p.number = p.number * 10 + static_cast<unsigned>(qt[j++] - '0');
  p.size = j - i;
  return p;
}

/// A message insert %N!spec! at \p i, with the spec; false when there is
/// none there.
bool InsertAt(std::string_view text, std::size_t i, std::size_t &end,
              unsigned long &number, std::string_view &spec) {
  std::size_t j = i + 1;
  number = 0;
  while (j < text.size() && IsDigit(text[j]) && number < 1000)
    number = number * 10 + static_cast<unsigned long>(text[j++] - '0');
  if (j == i + 1 || j >= text.size() || text[j] != '!')
    return false;
  const std::size_t close = text.find('!', j + 1);
  if (close == std::string_view::npos)
    return false;
  spec = text.substr(j + 1, close - j - 1);
  end = close + 1;
  return true;
}

} // namespace

unsigned QtHighestInsert(std::string_view qt) {
  unsigned highest = 0;
  for (std::size_t i = qt.find('%'); i != std::string_view::npos;
       i = qt.find('%', i + 1)) {
    const QtPlaceholder p = PlaceholderAt(qt, i);
    if (p.size != 0 && p.number > highest)
      highest = p.number;
  }
  return highest;
}

std::string QtToStored(std::string_view qt, unsigned count, bool &message) {
  message = false;
  for (std::size_t i = qt.find('%'); i != std::string_view::npos && !message;
       i = qt.find('%', i + 1))
    message = PlaceholderAt(qt, i).size != 0;
  if (!message)
    return std::string(qt);
  std::string out;
  out.reserve(qt.size() + 8);
  for (std::size_t i = 0; i < qt.size();) {
    if (qt[i] != '%') {
      out += qt[i++];
      continue;
    }
    const QtPlaceholder p = PlaceholderAt(qt, i);
    if (p.size == 0) {
      out += "%%";
      ++i;
      continue;
    }
    out += '%';
    out += std::to_string(p.number ? p.number : count);
    out += p.localized ? "!'" : "!";
    out += p.number ? "s!" : "d!";
    if (p.number && p.localized)
      out.replace(out.size() - 2, 1, "d");
    i += p.size;
  }
  return out;
}

std::optional<std::string> StoredToQt(std::string_view text, unsigned count) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    if (text[i] != '%') {
      out += text[i++];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '%') {
      out += '%';
      i += 2;
      continue;
    }
    std::size_t end = 0;
    unsigned long number = 0;
    std::string_view spec;
    if (!InsertAt(text, i, end, number, spec))
      return std::nullopt; // %0, or a broken insert
    const bool isCount = number == count;
    if (spec == "s" && !isCount && number <= 99)
      out += "%" + std::to_string(number);
    else if (spec == "'d" && (isCount || number <= 99))
      out += isCount ? std::string("%Ln") : "%L" + std::to_string(number);
    else if (spec == "d" && isCount)
      out += "%n";
    else
      return std::nullopt;
    i = end;
  }
  return out;
}

void StoredInserts(std::string_view text, unsigned &highest,
                   unsigned &countInsert) {
  for (std::size_t i = text.find('%'); i != std::string_view::npos;
       i = text.find('%', i + 1)) {
    std::size_t end = 0;
    unsigned long number = 0;
    std::string_view spec;
    if (i + 1 < text.size() && text[i + 1] == '%') {
      ++i;
      continue;
    }
    if (!InsertAt(text, i, end, number, spec))
      continue;
    highest = std::max(highest, static_cast<unsigned>(number));
    if (spec == "d" && countInsert == 0)
      countInsert = static_cast<unsigned>(number);
    i = end - 1;
  }
}

} // namespace phrasor::tool
