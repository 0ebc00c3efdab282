//===- TextEdits.cpp - Units put into a copy of a stored text -------------===//

#include "cpp/TextEdits.h"

#include <algorithm>

namespace phrasor {
namespace {

std::size_t sortAndCount(Edit *edits, std::size_t count) {
  std::sort(edits, edits + count, [](const Edit &x, const Edit &y) {
    return x.at != y.at ? x.at < y.at : x.order < y.order;
  });
  std::size_t added = 0;
  for (std::size_t k = 0; k < count; ++k)
    added += edits[k].count;
  return added;
}

PhrasorWChar *edit(const PhrasorWChar *text, std::uint32_t length,
                   const Edit *edits, std::size_t count, PhrasorWChar *at) {
  std::uint32_t from = 0;
  for (std::size_t k = 0; k < count; ++k) {
    at = std::copy(text + from, text + edits[k].at, at);
    at = std::copy_n(edits[k].units, edits[k].count, at);
    from = edits[k].at;
  }
  at = std::copy(text + from, text + length, at);
  *at = 0;
  return at;
}

} // namespace

const PhrasorWChar *withEdits(const PhrasorWChar *text, std::uint32_t length,
                              Edit *edits, std::size_t count, ArgList &out) {
  const std::size_t added = sortAndCount(edits, count);
  auto *units = static_cast<PhrasorWChar *>(
      out.scratch((length + added + 1) * sizeof(PhrasorWChar)));
  edit(text, length, edits, count, units);
  return units;
}

Text editedText(const PhrasorWChar *text, std::uint32_t length, Edit *edits,
                std::size_t count) {
  Text out(length + sortAndCount(edits, count) + 1, PhrasorWChar(0));
  out.resize(static_cast<std::size_t>(
      edit(text, length, edits, count, &out[0]) - out.data()));
  return out;
}

std::uint32_t editedPlace(std::uint32_t at, const Edit *edits,
                          std::size_t count) {
  std::uint32_t shift = 0;
  for (std::size_t k = 0; k < count && edits[k].at <= at; ++k)
    shift += edits[k].count;
  return at + shift;
}

} // namespace phrasor
