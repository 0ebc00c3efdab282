//===- PoRecording.cpp - What the @po record keeps of a PO file -----------===//

#include "tools/phrasor/formats/po/PoRecording.h"

#include "phrasor/Key.h"
#include "tools/phrasor/Utf.h"

#include <cstdlib>

namespace phrasor::tool {
namespace {

/// The translator comments of \p message in UTF-8, each line ended by a
/// line break; \p trim takes those at the end away, as messages always
/// had them taken.
std::string CommentsOf(po_message_t message, Charset &converter, bool trim) {
  // The comments come joined into a new block the caller must free,
  // though it is declared const; no comments come as a constant "".
  const char *joined = po_message_comments(message);
  std::string comments = converter.ToUtf8(joined).value_or("");
  if (joined[0] != '\0')
    std::free(const_cast<char *>(joined));
  while (trim && !comments.empty() && comments.back() == '\n')
    comments.pop_back();
  return comments;
}

/// True for the flags a record keeps: the formats the file states (not
/// xgettext's guesses, which the next template gives again) and the rest
/// but fuzzy, kept on its own, and the kind's flag, which the database
/// keeps as the kind.
bool KeptFlag(const std::string &flag) {
  if (flag == "fuzzy" || flag == "phrasor-message")
    return false;
  return flag.rfind("possible-", 0) != 0 && flag.rfind("impossible-", 0) != 0;
}

} // namespace

bool IsFormatFlag(std::string_view flag) {
  return flag.size() > 7 && flag.compare(flag.size() - 7, 7, "-format") == 0;
}

void RecordPoHeader(const std::string &fields, po_message_t header,
                    Charset &converter, PoRecord &record) {
  static const char *const kMadeByDump[] = {
      "content-type",  "content-transfer-encoding", "language", "plural-forms",
      "x-phrasor-key", "x-phrasor-protect"};
  std::string_view rest = fields;
  while (!rest.empty()) {
    const std::size_t end = rest.find('\n');
    const std::string_view line = rest.substr(0, end);
    rest = end == std::string_view::npos ? "" : rest.substr(end + 1);
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos)
      continue;
    const std::string name = Trimmed(line.substr(0, colon));
    bool made = false;
    for (const char *m : kMadeByDump)
      made = made || EqualsAsciiCase(name, m);
    if (!made)
      record.header.append(line).append("\n");
  }
  if (header)
    record.headerComments = CommentsOf(header, converter, false);
}

PoMessageRecord RecordOfPoMessage(po_message_t message,
                                  const std::vector<std::string> *scanned,
                                  Charset &converter) {
  PoMessageRecord r;
  if (scanned) {
    // The formats last, as a dump writes them after the other flags: the
    // record reads back the same from it.
    for (const bool formats : {false, true})
      for (const std::string &flag : *scanned)
        if (KeptFlag(flag) && IsFormatFlag(flag) == formats)
          r.flags.push_back(flag);
  } else if (po_message_is_format(message, "c-format")) {
    r.flags.push_back("c-format");
  }
  r.comments = CommentsOf(message, converter, true);
  r.fuzzy = po_message_is_fuzzy(message) != 0;
  const std::pair<const char *, std::optional<std::string> *> prev[] = {
      {po_message_prev_msgctxt(message), &r.prevContext},
      {po_message_prev_msgid(message), &r.prevMsgid},
      {po_message_prev_msgid_plural(message), &r.prevPlural}};
  for (const auto &[raw, into] : prev)
    if (raw)
      *into = converter.ToUtf8(raw);
  return r;
}

bool KeepsAnything(const PoMessageRecord &r) {
  return r.plural || !r.flags.empty() || !r.comments.empty() || r.msgid ||
         r.fuzzy || r.obsolete || r.msgstr || r.prevContext || r.prevMsgid ||
         r.prevPlural;
}

void RecordKeptOnly(po_message_t message, const std::vector<std::string> *flags,
                    bool contextKey, Charset &converter, MessageRecords &out) {
  const char *rawContext = po_message_msgctxt(message);
  std::optional<std::string> context, msgid, plural;
  if (contextKey && !rawContext)
    return;
  if ((rawContext && !(context = converter.ToUtf8(rawContext))) ||
      !(msgid = converter.ToUtf8(po_message_msgid(message))))
    return;
  const char *rawPlural = po_message_msgid_plural(message);
  if (rawPlural && !(plural = converter.ToUtf8(rawPlural)))
    return;
  PoMessageRecord r = RecordOfPoMessage(message, flags, converter);
  r.plural = std::move(plural);
  r.obsolete = po_message_is_obsolete(message) != 0;
  r.msgstr.emplace();
  for (int i = 0;; ++i) {
    const char *raw = rawPlural ? po_message_msgstr_plural(message, i)
                      : i == 0  ? po_message_msgstr(message)
                                : nullptr;
    if (!raw)
      break;
    std::optional<std::string> text = converter.ToUtf8(raw);
    if (!text)
      return;
    r.msgstr->push_back(std::move(*text));
  }
  std::string id;
  if (contextKey) {
    id = *context;
    r.msgid = std::move(msgid);
  } else {
    id = context ? Key::inContextOf(*context, *msgid).print()
                 : Key::escapeSourceText(*msgid);
  }
  out.Add(std::move(id), r);
}

void KeepRecords(MessageRecords &records) {
  auto &items = records.items;
  std::stable_sort(items.begin(), items.end(),
                   [](const auto &a, const auto &b) { return a.id < b.id; });
  items.erase(
      std::unique(items.begin(), items.end(),
                  [](const auto &a, const auto &b) { return a.id == b.id; }),
      items.end());
}

} // namespace phrasor::tool
