//===- TextChecks.cpp - Checking stored texts as formats ------------------===//

#include "TextChecks.h"

#include "Utf.h"
#include "format/FormatArgs.h"
#include "format/MessageFormat.h"
#include "format/Printf.h"

#include <algorithm>
#include <map>

namespace phrasor::tool {
namespace {

/// "[QVFormatMessageT Error - Invalid field type]" -> "invalid field type":
/// the runtime's own wording, in the tool's diagnostic style.
std::string StatusProblem(MessageStatus status) {
  std::string text = MessageStatusText(status);
  std::size_t dash = text.find(" - ");
  if (dash != std::string::npos)
    text = text.substr(dash + 3);
  while (!text.empty() && (text.back() == ']' || text.back() == '.'))
    text.pop_back();
  if (!text.empty() && text[0] >= 'A' && text[0] <= 'Z')
    text[0] = static_cast<char>(text[0] - 'A' + 'a');
  return text;
}

/// Hands the engine harmless stand-ins and notes what it asked for. The
/// pointer designates zeroed storage, an empty string in either width.
class RecordingArgs final : public FormatArgs {
public:
  int32_t NextInt32() override {
    Taken.push_back(PrintfArg::Int32);
    return 0;
  }
  int64_t NextInt64() override {
    Taken.push_back(PrintfArg::Int64);
    return 0;
  }
  double NextDouble() override {
    Taken.push_back(PrintfArg::Double);
    return 0.0;
  }
  const void *NextPointer() override {
    Taken.push_back(PrintfArg::Pointer);
    return Zeros;
  }
  std::vector<PrintfArg> Taken;

private:
  alignas(8) unsigned char Zeros[16] = {};
};

const char *ArgName(PrintfArg a) {
  switch (a) {
  case PrintfArg::Int32:
    return "int";
  case PrintfArg::Int64:
    return "64-bit int";
  case PrintfArg::Double:
    return "double";
  case PrintfArg::Pointer:
    return "pointer";
  }
  return "?";
}

std::string ArgList(const std::vector<PrintfArg> &args) {
  std::string out = "(";
  for (std::size_t i = 0; i < args.size(); ++i)
    out += (i ? ", " : "") + std::string(ArgName(args[i]));
  return out + ")";
}

} // namespace

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
    r.problem = StatusProblem(status);
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
  r.textAfterEnd = layout.scanEnd < value.size();
  return r;
}

PrintfReading CheckPrintfFormat(std::u16string_view value) {
  PrintfReading r;
  const RuntimeString format = ToRuntime(value);
  // Room for any output a stored text plausibly makes; a cut output is
  // still a well-formed format.
  static thread_local std::vector<PhrasorWChar> scratch;
  scratch.resize(
      std::max<std::size_t>(scratch.size(), 4096 + 4 * value.size()));
  RecordingArgs args;
  uint32_t written = 0;
  FormatStatus status =
      FormatInto(scratch.data(), static_cast<uint32_t>(scratch.size()),
                 format.c_str(), args, written);
  if (status == FormatStatus::BadFormat) {
    r.problem = "unknown or malformed conversion";
    return r;
  }
  r.ok = true;
  r.args = std::move(args.Taken);
  return r;
}

ValueReport CheckValue(std::u16string_view value) {
  ValueReport r;
  if (value.find(u'%') == std::u16string_view::npos) {
    r.message.ok = r.printf.ok = true;
    return r;
  }
  r.message = ReadAsMessage(value);
  r.printf = CheckPrintfFormat(value);
  if (r.message.ok && (!r.message.inserts.empty() || !r.printf.ok))
    r.style = ValueStyle::Message;
  else if (r.printf.ok && (!r.printf.args.empty() || !r.message.ok))
    r.style = ValueStyle::Printf;
  else if (!r.message.ok && !r.printf.ok) {
    r.errors.push_back("neither a valid message (" + r.message.problem +
                       ") nor a valid printf format (" + r.printf.problem +
                       ")");
    return r;
  }
  if (r.style != ValueStyle::Message)
    return r;

  for (const MessageInsert &insert : r.message.inserts) {
    if (insert.type == kTypeCount)
      r.errors.push_back("insert " + InsertText(insert) +
                         " (%n) is always refused when formatted");
    // An insert has exactly one argument, so the formatter refuses a width
    // or precision that would take another.
    if (insert.spec.find(u'*') != std::u16string::npos)
      r.errors.push_back("insert " + InsertText(insert) +
                         " has a '*' width or precision, which the "
                         "formatter refuses");
  }
  if (r.message.textAfterEnd)
    r.warnings.push_back("text after %0 is never shown");
  return r;
}

std::vector<std::string> CompareWithSource(const ValueReport &source,
                                           const ValueReport &translation) {
  std::vector<std::string> problems;
  if (!source.errors.empty() || !translation.errors.empty())
    return problems; // each was reported on its own
  if (source.style == ValueStyle::Message ||
      translation.style == ValueStyle::Message) {
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
  if (source.style == ValueStyle::Printf ||
      translation.style == ValueStyle::Printf) {
    const std::vector<PrintfArg> none;
    const auto &a =
        source.style == ValueStyle::Printf ? source.printf.args : none;
    const auto &b = translation.style == ValueStyle::Printf
                        ? translation.printf.args
                        : none;
    if (a != b)
      problems.push_back("printf conversions take " + ArgList(b) +
                         " but the source's take " + ArgList(a));
  }
  return problems;
}

} // namespace phrasor::tool
