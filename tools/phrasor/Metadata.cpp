//===- Metadata.cpp - The tool's own entries in a database ----------------===//

#include "tools/phrasor/Metadata.h"

#include "tools/phrasor/Utf.h"

#include <nlohmann/json.hpp>

namespace phrasor::tool {
namespace {

using OrderedJson = nlohmann::ordered_json;

/// An ordered JSON object of \p size keys that AppendKey fills.
OrderedJson OrderedObject(std::size_t size) {
  OrderedJson object = OrderedJson::object();
  object.get_ref<OrderedJson::object_t &>().reserve(size);
  return object;
}

/// Adds \p key, which \p object does not hold yet, at its end. The ordered
/// object's own insertion first walks every key before it, which made a
/// record of N messages, kinds or limits cost N² steps; the callers' keys
/// come from a std::map, so none repeats.
void AppendKey(OrderedJson &object, const std::string &key, OrderedJson value) {
  using Items = OrderedJson::object_t::Container;
  static_cast<Items &>(object.get_ref<OrderedJson::object_t &>())
      .emplace_back(key, std::move(value));
}

/// The JSON object of strings \p e holds, into \p into.
void ReadTexts(const authoring::Entry &e,
               std::map<std::string, std::string> &into, std::string &problem) {
  const nlohmann::json texts = nlohmann::json::parse(
      Utf16ToUtf8Lossy(*e.value), nullptr, /*allow_exceptions=*/false);
  if (!texts.is_object()) {
    problem = e.id + " is not a JSON object";
    return;
  }
  for (const auto &[id, text] : texts.items())
    if (text.is_string())
      into.emplace(id, text.get<std::string>());
    else
      problem = e.id + " gives '" + id + "' no text";
}

void ReadIds(const authoring::Entry &e, std::set<std::string> &into,
             std::string &problem) {
  const nlohmann::json ids = nlohmann::json::parse(
      Utf16ToUtf8Lossy(*e.value), nullptr, /*allow_exceptions=*/false);
  if (!ids.is_array()) {
    problem = e.id + " is not a JSON array";
    return;
  }
  for (const nlohmann::json &id : ids)
    if (id.is_string())
      into.insert(id.get<std::string>());
    else
      problem = e.id + " holds something other than an ID";
}

} // namespace

Metadata SplitMetadata(std::vector<authoring::Entry> &entries) {
  Metadata meta;
  std::vector<authoring::Entry> kept;
  kept.reserve(entries.size());
  for (authoring::Entry &e : entries) {
    if (e.id == kLocaleId && e.value) {
      meta.locale = Utf16ToUtf8Lossy(*e.value);
    } else if (e.id == kKindsId && e.value) {
      const nlohmann::json kinds = nlohmann::json::parse(
          Utf16ToUtf8Lossy(*e.value), nullptr, /*allow_exceptions=*/false);
      if (!kinds.is_object()) {
        meta.problem = "@kinds is not a JSON object";
        continue;
      }
      for (const auto &[id, name] : kinds.items()) {
        std::optional<TextKind> kind;
        if (name.is_string())
          kind = ParseKind(name.get<std::string>());
        if (!kind)
          meta.problem = "@kinds gives '" + id + "' an unknown kind";
        else
          meta.kinds.emplace(id, *kind);
      }
    } else if (e.id == kLimitsId && e.value) {
      const nlohmann::json limits = nlohmann::json::parse(
          Utf16ToUtf8Lossy(*e.value), nullptr, /*allow_exceptions=*/false);
      if (!limits.is_object()) {
        meta.problem = "@limits is not a JSON object";
        continue;
      }
      for (const auto &[id, n] : limits.items())
        if (n.is_number_unsigned() && n.get<uint64_t>() <= UINT32_MAX)
          meta.limits.emplace(id, n.get<unsigned>());
        else
          meta.problem = "@limits gives '" + id + "' no length";
    } else if ((e.id == kNotesId || e.id == kStatesId) && e.value) {
      ReadTexts(e, e.id == kNotesId ? meta.notes : meta.states, meta.problem);
    } else if (e.id == kUntranslatableId && e.value) {
      ReadIds(e, meta.untranslatable, meta.problem);
    } else if (e.id == kProtectId && e.value) {
      meta.protect = std::move(e.value);
    } else {
      // @po stays an entry, which every dump but PO's writes as it is.
      if (e.id == kPoId && e.value)
        meta.po = DecodePoRecord(Utf16ToUtf8Lossy(*e.value));
      if (e.id == kPluralFormsId && e.value)
        meta.pluralForms = Utf16ToUtf8Lossy(*e.value);
      if (e.id == kIcuArgsId && e.value)
        meta.icuArgs = Utf16ToUtf8Lossy(*e.value);
      kept.push_back(std::move(e));
    }
  }
  entries = std::move(kept);
  return meta;
}

std::u16string EncodeKinds(const std::map<std::string, TextKind> &kinds) {
  OrderedJson object = OrderedObject(kinds.size());
  for (const auto &[id, kind] : kinds)
    AppendKey(object, id, KindName(kind));
  return Utf8ToUtf16(object.dump()).value_or(u"{}");
}

namespace {

/// \p text as a JSON string, escaped as a JSON document's dump escapes it;
/// text that is not UTF-8 goes through the document, which replaces it.
void AppendString(std::string &out, std::string_view text) {
  if (!IsValidUtf8(text)) {
    out += nlohmann::json(std::string(text))
               .dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    return;
  }
  out += '"';
  std::size_t plain = 0; // start of the run not written yet
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c > 0x1F && c != '"' && c != '\\')
      continue;
    out.append(text.substr(plain, i - plain));
    plain = i + 1;
    static const char kShort[] = "btn\0fr"; // 0x08 to 0x0D
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c >= 0x08 && c <= 0x0D && kShort[c - 0x08] != '\0') {
      out += '\\';
      out += kShort[c - 0x08];
    } else {
      static const char kHex[] = "0123456789abcdef";
      out += "\\u00";
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    }
  }
  out.append(text.substr(plain));
  out += '"';
}

/// \p texts as a JSON array of strings.
void AppendStrings(std::string &out, const std::vector<std::string> &texts) {
  out += '[';
  for (std::size_t i = 0; i < texts.size(); ++i) {
    out += i ? "," : "";
    AppendString(out, texts[i]);
  }
  out += ']';
}

/// The object of one message, with the fields MessageObject gives.
void AppendMessage(std::string &out, const PoMessageRecord &m) {
  out += '{';
  const char *field = "";
  auto name = [&](const char *key) {
    out.append(field).append(key);
    field = ",";
  };
  if (m.plural) {
    name("\"plural\":");
    AppendString(out, *m.plural);
  }
  if (!m.flags.empty()) {
    name("\"flags\":");
    AppendStrings(out, m.flags);
  }
  if (!m.comments.empty()) {
    name("\"comments\":");
    AppendString(out, m.comments);
  }
  if (m.msgid) {
    name("\"msgid\":");
    AppendString(out, *m.msgid);
  }
  if (m.fuzzy)
    name("\"fuzzy\":true");
  if (m.obsolete)
    name("\"obsolete\":true");
  const std::pair<const char *, const std::optional<std::string> *> prev[] = {
      {"\"prev-msgctxt\":", &m.prevContext},
      {"\"prev-msgid\":", &m.prevMsgid},
      {"\"prev-msgid-plural\":", &m.prevPlural}};
  for (const auto &[key, text] : prev)
    if (*text) {
      name(key);
      AppendString(out, **text);
    }
  if (m.msgstr) {
    name("\"msgstr\":");
    AppendStrings(out, *m.msgstr);
  }
  out += '}';
}

/// The record's fields before its messages, and the messages' opening.
void AppendHead(std::string &out, const PoRecord &record) {
  out += "{\"header\":";
  AppendString(out, record.header);
  if (!record.headerComments.empty()) {
    out += ",\"header-comments\":";
    AppendString(out, record.headerComments);
  }
  if (record.contextKey)
    out += ",\"key\":\"context\"";
  if (record.pluralForms) {
    out += ",\"plural-forms\":";
    AppendString(out, *record.pluralForms);
  }
  out += ",\"messages\":{";
}

} // namespace

// Written straight, with the bytes a JSON document would give: at a
// million messages the document cost a tenth of a build.
std::string EncodePoRecord(const PoRecord &record) {
  std::string out;
  AppendHead(out, record);
  const char *comma = "";
  for (const auto &[id, m] : record.messages) {
    out += comma;
    comma = ",";
    AppendString(out, id);
    out += ':';
    AppendMessage(out, m);
  }
  out += "}}";
  return out;
}

void PoMessageTexts::Add(std::string id, const PoMessageRecord &m) {
  const std::size_t at = text.size();
  AppendMessage(text, m);
  items.push_back({std::move(id), at, text.size() - at});
}

std::string EncodePoRecord(const PoRecord &record,
                           const PoMessageTexts &messages) {
  std::string out;
  out.reserve(messages.text.size() + messages.items.size() * 40);
  AppendHead(out, record);
  const char *comma = "";
  for (const PoMessageTexts::Item &item : messages.items) {
    out += comma;
    comma = ",";
    AppendString(out, item.id);
    out += ':';
    out.append(messages.text, item.at, item.size);
  }
  out += "}}";
  return out;
}

namespace {

/// Reads a @po value straight into its record, without the JSON document
/// in between: for a million messages the document cost more time and
/// memory than the record it was read into. A value gives what a
/// document would: a key written twice counts with its last value, a
/// field of another type than its own is left out, and anything else is
/// skipped whole.
class PoRecordReader : public nlohmann::json_sax<nlohmann::json> {
public:
  PoRecord record;
  bool sawObject = false;

  bool null() override { return Value(nullptr); }
  bool boolean(bool b) override;
  bool number_integer(number_integer_t) override { return Value(nullptr); }
  bool number_unsigned(number_unsigned_t) override { return Value(nullptr); }
  bool number_float(number_float_t, const string_t &) override {
    return Value(nullptr);
  }
  bool binary(binary_t &) override { return Value(nullptr); }
  bool string(string_t &s) override { return Value(&s); }
  bool start_object(std::size_t) override;
  bool key(string_t &k) override;
  bool end_object() override;
  bool start_array(std::size_t) override;
  bool end_array() override;
  bool parse_error(std::size_t, const std::string &,
                   const nlohmann::detail::exception &) override {
    return false;
  }

private:
  enum class In { Nothing, Root, Messages, Message, Flags, Msgstr };

  bool Value(string_t *s);
  /// The message's field of the "#|" line \p field names, if it names one.
  std::optional<std::string> *Previous() {
    return field == "prev-msgctxt"        ? &message.prevContext
           : field == "prev-msgid"        ? &message.prevMsgid
           : field == "prev-msgid-plural" ? &message.prevPlural
                                          : nullptr;
  }

  In at = In::Nothing;
  std::size_t skipped = 0; ///< depth inside a value that nothing takes
  std::string rootKey, field, messageId;
  PoMessageRecord message;
};

bool PoRecordReader::Value(string_t *s) {
  if (skipped)
    return true;
  switch (at) {
  case In::Nothing:
    return false; // not an object
  case In::Root:
    if (s && rootKey == "header")
      record.header = std::move(*s);
    else if (s && rootKey == "plural-forms")
      record.pluralForms = std::move(*s);
    else if (s && rootKey == "header-comments")
      record.headerComments = std::move(*s);
    else if (s && rootKey == "key")
      record.contextKey = *s == "context";
    break;
  case In::Messages:
    break; // a message that is no object is left out
  case In::Message:
    if (s && field == "plural")
      message.plural = std::move(*s);
    else if (s && field == "comments")
      message.comments = std::move(*s);
    else if (s && field == "msgid")
      message.msgid = std::move(*s);
    else if (std::optional<std::string> *prev = Previous(); s && prev)
      *prev = std::move(*s);
    break;
  case In::Flags:
    if (s)
      message.flags.push_back(std::move(*s));
    break;
  case In::Msgstr:
    if (s)
      message.msgstr->push_back(std::move(*s));
    break;
  }
  return true;
}

bool PoRecordReader::boolean(bool b) {
  if (!skipped && at == In::Message && field == "fuzzy")
    message.fuzzy = b;
  else if (!skipped && at == In::Message && field == "obsolete")
    message.obsolete = b;
  return Value(nullptr);
}

bool PoRecordReader::start_object(std::size_t) {
  if (skipped || (at == In::Root && rootKey != "messages") ||
      at == In::Message || at == In::Flags || at == In::Msgstr) {
    ++skipped;
    return true;
  }
  if (at == In::Nothing) {
    at = In::Root;
    sawObject = true;
  } else if (at == In::Root) {
    at = In::Messages;
  } else {
    at = In::Message;
    message = PoMessageRecord();
  }
  return true;
}

bool PoRecordReader::key(string_t &k) {
  if (skipped)
    return true;
  // Each key starts its value afresh, as a document keeps the last.
  if (at == In::Root) {
    rootKey = k;
    if (k == "header")
      record.header.clear();
    else if (k == "plural-forms")
      record.pluralForms.reset();
    else if (k == "header-comments")
      record.headerComments.clear();
    else if (k == "key")
      record.contextKey = false;
    else if (k == "messages")
      record.messages.clear();
  } else if (at == In::Messages) {
    record.messages.erase(k);
    messageId = std::move(k);
  } else if (at == In::Message) {
    field = k;
    if (k == "plural")
      message.plural.reset();
    else if (k == "comments")
      message.comments.clear();
    else if (k == "flags")
      message.flags.clear();
    else if (k == "msgid")
      message.msgid.reset();
    else if (k == "fuzzy")
      message.fuzzy = false;
    else if (k == "obsolete")
      message.obsolete = false;
    else if (k == "msgstr")
      message.msgstr.reset();
    else if (std::optional<std::string> *prev = Previous())
      prev->reset();
  }
  return true;
}

bool PoRecordReader::end_object() {
  if (skipped) {
    --skipped;
    return true;
  }
  if (at == In::Message) {
    // The tool writes the messages in order, so each goes at the end.
    record.messages.insert_or_assign(record.messages.end(), messageId,
                                     std::move(message));
    at = In::Messages;
  } else if (at == In::Messages) {
    at = In::Root;
  } else {
    at = In::Nothing;
  }
  return true;
}

bool PoRecordReader::start_array(std::size_t) {
  if (!skipped && at == In::Nothing)
    return false; // not an object
  if (!skipped && at == In::Message && field == "flags") {
    at = In::Flags;
  } else if (!skipped && at == In::Message && field == "msgstr") {
    at = In::Msgstr;
    message.msgstr.emplace();
  } else {
    ++skipped;
  }
  return true;
}

bool PoRecordReader::end_array() {
  if (skipped)
    --skipped;
  else
    at = In::Message;
  return true;
}

} // namespace

std::optional<PoRecord> DecodePoRecord(const std::string &json) {
  PoRecordReader reader;
  if (!nlohmann::json::sax_parse(json, &reader) || !reader.sawObject)
    return std::nullopt;
  return std::move(reader.record);
}

std::u16string EncodeLimits(const std::map<std::string, unsigned> &limits) {
  OrderedJson object = OrderedObject(limits.size());
  for (const auto &[id, n] : limits)
    AppendKey(object, id, n);
  return Utf8ToUtf16(object.dump()).value_or(u"{}");
}

std::u16string EncodeTexts(const std::map<std::string, std::string> &texts) {
  OrderedJson object = OrderedObject(texts.size());
  for (const auto &[id, text] : texts)
    AppendKey(object, id, text);
  // A note read from a file that was not UTF-8 is replaced, not lost.
  return Utf8ToUtf16(
             object.dump(-1, ' ', false, OrderedJson::error_handler_t::replace))
      .value_or(u"{}");
}

std::u16string EncodeIds(const std::set<std::string> &ids) {
  const nlohmann::json array(ids);
  return Utf8ToUtf16(array.dump(-1, ' ', false,
                                nlohmann::json::error_handler_t::replace))
      .value_or(u"[]");
}

bool IsMetadataId(std::string_view id) {
  return id == kLocaleId || id == kKindsId || id == kLimitsId ||
         id == kNotesId || id == kStatesId || id == kProtectId || id == kPoId ||
         id == kKeysId || id == kPluralFormsId || id == kIcuArgsId ||
         id == kArbId || id == kUntranslatableId;
}

} // namespace phrasor::tool
