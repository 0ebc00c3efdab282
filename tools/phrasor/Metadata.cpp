//===- Metadata.cpp - The tool's own entries in a database ----------------===//

#include "tools/phrasor/Metadata.h"

#include "tools/phrasor/Utf.h"
#include "tools/phrasor/formats/Registry.h"

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
        std::optional<ValueKind> kind;
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
    } else if (e.id == kProtectId && e.value) {
      meta.protect = std::move(e.value);
    } else {
      // @po stays an entry, which every dump but PO's writes as it is.
      if (e.id == kPoId && e.value)
        meta.po = DecodePoRecord(Utf16ToUtf8Lossy(*e.value));
      kept.push_back(std::move(e));
    }
  }
  entries = std::move(kept);
  return meta;
}

std::u16string EncodeKinds(const std::map<std::string, ValueKind> &kinds) {
  OrderedJson object = OrderedObject(kinds.size());
  for (const auto &[id, kind] : kinds)
    AppendKey(object, id, KindName(kind));
  return Utf8ToUtf16(object.dump()).value_or(u"{}");
}

std::string EncodePoRecord(const PoRecord &record) {
  OrderedJson object = OrderedJson::object();
  object["header"] = record.header;
  if (record.pluralForms)
    object["plural-forms"] = *record.pluralForms;
  OrderedJson messages = OrderedObject(record.messages.size());
  for (const auto &[id, m] : record.messages) {
    OrderedJson one = OrderedJson::object();
    if (m.plural)
      one["plural"] = *m.plural;
    if (!m.flags.empty())
      one["flags"] = m.flags;
    if (!m.comments.empty())
      one["comments"] = m.comments;
    AppendKey(messages, id, std::move(one));
  }
  object["messages"] = std::move(messages);
  return object.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

std::optional<PoRecord> DecodePoRecord(const std::string &json) {
  const nlohmann::json object =
      nlohmann::json::parse(json, nullptr, /*allow_exceptions=*/false);
  if (!object.is_object())
    return std::nullopt;
  PoRecord r;
  auto text = [](const nlohmann::json &o, const char *key, std::string &into) {
    auto at = o.find(key);
    if (at != o.end() && at->is_string())
      into = at->get<std::string>();
    return at != o.end() && at->is_string();
  };
  text(object, "header", r.header);
  std::string forms;
  if (text(object, "plural-forms", forms))
    r.pluralForms = forms;
  auto messages = object.find("messages");
  if (messages == object.end() || !messages->is_object())
    return r;
  for (const auto &[id, one] : messages->items()) {
    if (!one.is_object())
      continue;
    PoMessageRecord m;
    std::string plural;
    if (text(one, "plural", plural))
      m.plural = plural;
    text(one, "comments", m.comments);
    auto flags = one.find("flags");
    if (flags != one.end() && flags->is_array())
      for (const nlohmann::json &f : *flags)
        if (f.is_string())
          m.flags.push_back(f.get<std::string>());
    r.messages.emplace(id, std::move(m));
  }
  return r;
}

std::u16string EncodeLimits(const std::map<std::string, unsigned> &limits) {
  OrderedJson object = OrderedObject(limits.size());
  for (const auto &[id, n] : limits)
    AppendKey(object, id, n);
  return Utf8ToUtf16(object.dump()).value_or(u"{}");
}

bool IsMetadataId(std::string_view id) {
  return id == kLocaleId || id == kKindsId || id == kLimitsId ||
         id == kProtectId || id == kPoId || id == kKeysId;
}

ValueKind KindOf(const authoring::Entry &e, const Metadata &meta,
                 const std::string &where, Diagnostics *diag) {
  auto recorded = meta.kinds.find(e.id);
  if (recorded != meta.kinds.end())
    return recorded->second;
  const KindReading inferred = InferKind(e.value.value_or(u""));
  if (diag && !inferred.doubt.empty())
    diag->Warning(where, "ID '" + e.id + "': " + inferred.doubt + "; " +
                             HowToMarkText(where));
  return inferred.kind;
}

} // namespace phrasor::tool
