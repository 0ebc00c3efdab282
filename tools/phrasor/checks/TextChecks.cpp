//===- TextChecks.cpp - Checking stored texts as formats ------------------===//

#include "tools/phrasor/checks/TextChecks.h"

#include "format/MessageFormat.h"
#include "format/PrintfConversion.h"
#include "tools/phrasor/Utf.h"

#include <algorithm>
#include <map>

namespace phrasor::tool {
namespace {

/// Collects what the checker reports about one format.
class PrintfCollector final : public FormatCheckHandler {
public:
  explicit PrintfCollector(std::u16string_view text, PrintfReading &out)
      : format(text), reading(out) {}

  void OnText(uint32_t, uint32_t) override {}
  void OnConversion(uint32_t begin, uint32_t end,
                    const ConversionSpec &spec) override {
    const std::string text =
        Utf16ToUtf8Lossy(format.substr(begin, end - begin));
    if (spec.widthFromArg)
      reading.args.push_back({ArgKind::Int32, text, true, end});
    if (spec.precisionFromArg)
      reading.args.push_back({ArgKind::Int32, text, true, end});
    if (spec.kind != ArgKind::None)
      reading.args.push_back({spec.kind, text, false, end});
  }
  void OnError(uint32_t position, SpecError error) override {
    reading.problem = std::string(SpecErrorText(error)) + " at character " +
                      std::to_string(position + 1);
  }

private:
  std::u16string_view format;
  PrintfReading &reading;
};

std::string ArgList(const std::vector<PrintfArg> &args) {
  std::string out = "(";
  for (std::size_t i = 0; i < args.size(); ++i)
    out += (i ? ", " : "") + (args[i].star ? "* of " : std::string()) +
           args[i].text;
  return out + ")";
}

/// Collects the literal runs and conversions of a printf format in order.
class PieceCollector final : public FormatCheckHandler {
public:
  explicit PieceCollector(std::vector<ValuePiece> &out) : pieces(out) {}

  void OnText(uint32_t begin, uint32_t end) override {
    pieces.push_back({begin, end, true});
  }
  void OnConversion(uint32_t begin, uint32_t end,
                    const ConversionSpec &) override {
    pieces.push_back({begin, end, false});
  }
  void OnError(uint32_t, SpecError) override {}

private:
  std::vector<ValuePiece> &pieces;
};

std::optional<std::vector<ValuePiece>> SplitMessage(std::u16string_view value) {
  const RuntimeString format = ToRuntime(value);
  MessageLayout layout{};
  if (QVFormatMessageT().Parse(format.c_str(), layout) != MessageStatus::Ok)
    return std::nullopt;
  std::vector<ValuePiece> pieces;
  uint32_t at = 0;
  for (uint32_t i = 0; i < layout.count && i < kMaxMessageFields; ++i) {
    const MessageField &f = layout.fields[i];
    const uint32_t end = f.fieldNumber == 0 ? f.insertStart + 2u
                                            : f.specStart + f.specLength + 1u;
    if (f.insertStart > at)
      pieces.push_back({at, f.insertStart, true});
    pieces.push_back({f.insertStart, end, false});
    at = end;
  }
  if (layout.scanEnd > at)
    pieces.push_back({at, layout.scanEnd, true});
  if (value.size() > layout.scanEnd)
    pieces.push_back(
        {layout.scanEnd, static_cast<uint32_t>(value.size()), false});
  return pieces;
}

} // namespace

std::optional<std::vector<ValuePiece>> SplitValue(std::u16string_view value,
                                                  TextKind kind) {
  std::vector<ValuePiece> pieces;
  switch (kind) {
  case TextKind::Plain:
    if (!value.empty())
      pieces.push_back({0, static_cast<uint32_t>(value.size()), true});
    return pieces;
  case TextKind::Message:
    return SplitMessage(value);
  case TextKind::Printf: {
    const RuntimeString format = ToRuntime(value);
    PieceCollector collector(pieces);
    if (!CheckFormat(format.c_str(), collector))
      return std::nullopt;
    return pieces;
  }
  }
  return std::nullopt;
}

std::string InsertText(const MessageInsert &insert) {
  return "%" + std::to_string(insert.field) + "!" +
         Utf16ToUtf8Lossy(insert.spec) + "!";
}

MessageReading ReadAsMessage(std::u16string_view value) {
  MessageReading r;
  const RuntimeString format = ToRuntime(value);
  MessageLayout layout{};
  MessageStatus status = QVFormatMessageT().Parse(format.c_str(), layout);
  if (status != MessageStatus::Ok) {
    r.problem = DescribeMessageStatus(status);
    return r;
  }
  r.ok = true;
  for (uint32_t i = 0; i < layout.count && i < kMaxMessageFields; ++i) {
    const MessageField &f = layout.fields[i];
    if (f.fieldNumber == 0)
      continue;
    MessageInsert insert;
    insert.field = f.fieldNumber;
    insert.type = f.typeCode;
    insert.spec = std::u16string(value.substr(f.specStart, f.specLength));
    r.inserts.push_back(std::move(insert));
  }
  // A %0 at the very end only drops the final line break; text after it
  // would be lost.
  r.textAfterEnd = layout.scanEnd + 2 < value.size();
  return r;
}

PrintfReading CheckPrintfFormat(std::u16string_view value) {
  PrintfReading r;
  const RuntimeString format = ToRuntime(value);
  PrintfCollector collector(value, r);
  r.ok = CheckFormat(format.c_str(), collector);
  return r;
}

void CheckMessageInserts(ValueReport &r) {
  for (const MessageInsert &insert : r.message.inserts) {
    // The formatter hands the spec, cut to its first 14 characters, to the
    // printf engine, which must accept it.
    const std::u16string spec = u"%" + insert.spec.substr(0, kMaxInsertSpec);
    PrintfReading engine = CheckPrintfFormat(spec);
    if (!engine.ok) {
      std::string cut;
      if (insert.spec.size() > kMaxInsertSpec)
        cut = " (its spec is cut to " + std::to_string(kMaxInsertSpec) +
              " characters)";
      r.errors.push_back("insert " + InsertText(insert) +
                         " is refused by the printf engine" + cut + ": " +
                         engine.problem);
    }
  }
  if (r.message.textAfterEnd)
    r.warnings.push_back("text after %0 is never shown");
}

std::vector<std::string> CompareWithSource(const ValueReport &source,
                                           const ValueReport &translation) {
  std::vector<std::string> problems;
  if (!source.errors.empty() || !translation.errors.empty())
    return problems; // each was reported on its own
  if (source.kind == TextKind::Message ||
      translation.kind == TextKind::Message) {
    std::map<uint32_t, const MessageInsert *> theirs, ours;
    if (source.message.ok)
      for (const MessageInsert &i : source.message.inserts)
        theirs.emplace(i.field, &i);
    if (translation.message.ok)
      for (const MessageInsert &i : translation.message.inserts)
        ours.emplace(i.field, &i);
    for (const auto &[field, insert] : theirs) {
      auto it = ours.find(field);
      if (it == ours.end())
        problems.push_back("drops insert %" + std::to_string(field) + " (" +
                           InsertText(*insert) + " in the source)");
      else if (it->second->type != insert->type)
        problems.push_back("insert " + InsertText(*it->second) +
                           " takes another type than the source's " +
                           InsertText(*insert));
    }
    for (const auto &[field, insert] : ours)
      if (!theirs.count(field))
        problems.push_back("insert " + InsertText(*insert) +
                           " is not in the source");
  }
  if (source.kind == TextKind::Printf || translation.kind == TextKind::Printf) {
    const std::vector<PrintfArg> none;
    const auto &a = source.kind == TextKind::Printf ? source.printf.args : none;
    const auto &b =
        translation.kind == TextKind::Printf ? translation.printf.args : none;
    if (a != b)
      problems.push_back("printf conversions take " + ArgList(b) +
                         " but the source's take " + ArgList(a));
  }
  return problems;
}

} // namespace phrasor::tool
