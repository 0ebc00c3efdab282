//===- Catalog.cpp - Lookups and formatting from an open catalog ---------===//
//
// A lookup hashes the ID once, folded to lower case, and compares one
// candidate record; a repeat of the ID this thread formatted last costs one
// comparison. Parsed inserts are cached per entry on first use.
//
//===----------------------------------------------------------------------===//

#include "cpp/CatalogState.h"
#include "cpp/LocaleName.h"

#include "cpp/PlainRender.h"
#include "cpp/Render.h"
#include "phrasor/Key.h"

#include <algorithm>
#include <cstring>

namespace phrasor {
namespace {

constexpr std::uint32_t kMaxBuffer = kMaxOutputUnits + 1;

// The entry this thread formatted last and the state it belongs to: a
// game formats the same few IDs frame after frame, and a repeat then costs
// a comparison of the ID instead of its hash and probe. Per thread, so
// threads formatting different IDs never write to a shared line.
struct LastFound {
  std::uint64_t serial;
  const Entry *entry;
};
thread_local LastFound lastFound{0, nullptr};

SelectorValue valueOf(Count count) {
  return {count.scaled(), count.fractionDigits(), count.exponent(), {}};
}

} // namespace

const Entry *Catalog::Impl::lookup(std::string_view id) const {
  if (caseMarked && Key::marksCase(id, true))
    if (const Entry *e = lookupMarked(id))
      return e;
  if (id.empty() || id[0] != '@')
    return lookupStored(id);
  const Key k = Key::parse(id);
  if (!Key::escapesSourceText(k.stem))
    return lookupStored(id);
  char local[256];
  std::string heap;
  char *escaped = local;
  if (id.size() + 1 > sizeof local) {
    heap.resize(id.size() + 1);
    escaped = &heap[0];
  }
  escaped[0] = '@';
  std::memcpy(escaped + 1, id.data(), id.size());
  if (const Entry *e = lookupStored(std::string_view(escaped, id.size() + 1)))
    return e;
  // "@@locale" may be a name of its own; "@locale" is the tool's.
  return Key::isReserved(k.stem) ? nullptr : lookupStored(id);
}

// A msgid that another of its file equals but for case is stored with its
// case marked, after the '@' that keeps it from the tool's own IDs; no
// other ID spells that, so an entry found so is the text's own.
const Entry *Catalog::Impl::lookupMarked(std::string_view id) const {
  const std::size_t at =
      id[0] == '@' && Key::escapesSourceText(Key::parse(id).stem) ? 1 : 0;
  const std::size_t size = Key::markedSize(id) + at;
  char local[256];
  std::string heap;
  char *marked = local;
  if (size > sizeof local) {
    heap.resize(size);
    marked = &heap[0];
  }
  Key::markCaseTo(id, marked + at);
  if (at) {
    marked[0] = Key::kCaseMark;
    marked[1] = '@';
  }
  return lookupStored(std::string_view(marked, size));
}

const Entry *Catalog::Impl::lookupStored(std::string_view id) const {
  if (id.size() == 6 && std::memcmp(id.data(), kNoneId, 6) == 0)
    return &none();
  const std::uint32_t hash = foldedHash(id.data(), id.size());
  for (std::uint32_t slot = hash & mask;; slot = (slot + 1) & mask) {
    const std::uint64_t k = slots[slot];
    if (k == kEmptySlot)
      return nullptr;
    if (static_cast<std::uint32_t>(k >> 32) != hash)
      continue;
    const Entry &e = *reinterpret_cast<const Entry *>(
        &records[8 * static_cast<std::uint32_t>(k)]);
    // A query holding a zero byte never equals a stored ID (those end at
    // their first zero), as the runtime compares terminated strings.
    if (e.idLength == id.size() && foldedMatch(e.foldedId(), id))
      return &e;
  }
}

// The form of \p id that \p count selects by \p row (resolveSelected);
// \p key is left holding its ID, or empty when none has a text.
const Entry *Catalog::Impl::pluralEntry(std::string_view id, Count count,
                                        const Selector &row,
                                        std::string &key) const {
  const Entry *e = nullptr;
  const SelectorValue n = valueOf(count);
  auto has = [&](std::size_t, const std::string &k) {
    return (e = lookup(k)) && e->value;
  };
  auto chosen = [&](std::size_t) { return gettext.choose(row, *rules, n); };
  auto own = [&](std::size_t) {
    return &row == &kPluralSelector ? gettext.category(n) : std::string_view();
  };
  char exact[24];
  if (resolveSelectedBy(id, row, 1, chosen, own, has, key,
                        selectors::exactMatchOf(n, exact)) == 0)
    return e;
  key.clear();
  return nullptr;
}

// The form of \p id that \p choice selects (resolveSelected, with the count
// when it has one); \p key as pluralEntry leaves it.
const Entry *Catalog::Impl::selectEntry(std::string_view id,
                                        const Selection &choice,
                                        std::string &key) const {
  const Entry *e = nullptr;
  auto has = [&](std::size_t, const std::string &k) {
    return (e = lookup(k)) && e->value;
  };
  const std::string_view value = selectors::wordForm(*choice.row, choice.value);
  std::size_t at = 0;
  if (!choice.count) {
    at = resolveSelected(
        id, *choice.row, 1, [&](std::size_t) { return value; }, has, key);
  } else {
    const SelectorValue n = valueOf(*choice.count);
    // The word's forms, the other word's and the stem's all ask for the
    // count's category: the rules are run once.
    std::string_view category;
    auto chosen = [&](std::size_t) {
      if (category.empty())
        category = kPluralSelector.choose(*rules, n);
      return category;
    };
    char exact[24];
    at = resolveSelected(id, *choice.row, value, kPluralSelector, 1, chosen,
                         has, key, selectors::exactMatchOf(n, exact));
  }
  if (at == 0)
    return e;
  key.clear();
  return nullptr;
}

const Inserts &Catalog::Impl::inserts(const Entry &e, Style style) const {
  std::atomic<const Inserts *> &cell =
      cells[2 * e.number + (style == Style::Printf)];
  const Inserts *known = cell.load(std::memory_order_acquire);
  if (known)
    return *known;
  // A catalog that sets its inserts apart keeps each text's twin with the
  // marks in it, so no call has to mark a copy.
  const bool apart = isolating();
  Inserts *fresh =
      new Inserts(style == Style::Printf ? parsePrintf(e.value, apart)
                                         : parseMessage(e.value, apart));
  if (cell.compare_exchange_strong(known, fresh, std::memory_order_acq_rel))
    return *fresh;
  delete fresh;
  return *known;
}

std::optional<Error> Catalog::Impl::resolve(std::string_view id,
                                            const Entry *&e) const {
  // An entry lives as long as its state, and the serial names the state,
  // so the remembered entry is valid whenever the serial matches.
  // "<none>" is not looked up by its spelling's fold, so it never is here.
  const LastFound last = lastFound;
  // An ID beginning with '@' may name another stored ID (lookup), so it
  // is never matched against the remembered one by its letters.
  if (last.serial == serial && last.entry->idLength == id.size() &&
      (id.empty() || id[0] != '@') && foldedMatch(last.entry->foldedId(), id) &&
      !(id.size() == 6 && std::memcmp(id.data(), kNoneId, 6) == 0)) {
    e = last.entry;
    return std::nullopt;
  }
  e = lookup(id);
  // Only entries with a text are remembered: a hit skips the checks below.
  if (e && e != &noneEntry && e->value)
    lastFound = LastFound{serial, e};
  if (!e)
    return Error(Errc::MissingId, "no entry '" + std::string(id) + "'");
  if (!e->value)
    return Error(Errc::NoValue, "entry '" + std::string(id) + "' has no text");
  return std::nullopt;
}

Expected<Text> Catalog::Impl::render(const Entry &e, std::string_view id,
                                     Style style, const Arg *args,
                                     std::size_t count) const {
  if (style == Style::Stored)
    style = e.kind();
  if (style == Style::Plain)
    return Text(e.value, e.valueLength);
  const Inserts &parsed =
      setApartFor(formFor(inserts(e, style), args, count), isolating());
  if (!parsed.ok)
    return Error(
        Errc::BadMessage,
        "'" + std::string(id) + "': the stored text is not a valid " +
            (style == Style::Message ? "message: " : "printf format: ") +
            parsed.problem);
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e.value, id, args, count, list, text,
                        *numberStyle, marksPerCall(parsed)))
    return std::move(*refused);
  // Most texts come out near their stored length; the buffer grows only
  // when the formatter says the output was cut.
  std::uint32_t capacity = e.valueLength + e.valueLength / 2 + 32;
  if (capacity > kMaxBuffer)
    capacity = kMaxBuffer;
  Text out;
  if (parsed.plain.ok && !marksPerCall(parsed)) {
    out.resize(capacity);
    std::uint32_t written = 0;
    if (writePlainUtf16(parsed.plain, args, count, *numberStyle, &out[0],
                        capacity - 1, written)) {
      out.resize(written);
      return out;
    }
  }
  for (;;) {
    out.resize(capacity);
    std::uint32_t written = 0;
    switch (renderText(style, parsed, e.value, &out[0], capacity, text, list,
                       written)) {
    case RenderResult::Written:
      out.resize(written);
      return out;
    case RenderResult::Refused:
      return Error(Errc::BadMessage,
                   "'" + std::string(id) + "': the formatter refused the text");
    case RenderResult::Cut:
      break;
    }
    if (capacity == kMaxBuffer)
      return Error(Errc::TooLong,
                   "'" + std::string(id) + "': the output is longer than " +
                       std::to_string(kMaxOutputUnits) + " units");
    capacity = capacity > kMaxBuffer / 4 ? kMaxBuffer : capacity * 4;
  }
}

// --- Catalog ------------------------------------------------------------

Catalog::Catalog(std::unique_ptr<Impl> state) : impl(std::move(state)) {}
Catalog::Catalog(Catalog &&other) noexcept = default;
Catalog &Catalog::operator=(Catalog &&other) noexcept = default;
Catalog::~Catalog() = default;

const Catalog::Impl &Catalog::state() const noexcept {
  if (!impl)
    detail::expectedMisuse("use of a moved-from Catalog",
                           "only assignment and destruction are allowed");
  return *impl;
}

std::size_t Catalog::size() const { return state().idCount; }
std::string_view Catalog::locale() const { return state().localeTag; }
HSTRINGKEEPER Catalog::handle() const noexcept { return state().keeper; }

std::optional<TextView> Catalog::find(std::string_view id) const {
  const Entry *e = state().lookup(id);
  if (!e || !e->value)
    return std::nullopt;
  return TextView(e->value, e->valueLength);
}

std::optional<std::string_view> Catalog::voicePath(std::string_view id) const {
  const Entry *e = state().lookup(id);
  if (!e || !e->voice)
    return std::nullopt;
  return std::string_view(e->voice);
}

Expected<Text> Catalog::formatArgs(std::string_view id, Style style,
                                   const Arg *args, std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  return state().render(*e, id, style, args, count);
}

Expected<std::size_t> Catalog::formatArgsTo(PhrasorWChar *buffer,
                                            std::size_t length,
                                            std::string_view id, Style style,
                                            const Arg *args,
                                            std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind();
  if (style == Style::Plain) {
    if (!buffer || length <= e->valueLength) {
      if (buffer && length)
        buffer[0] = 0;
      return Error(Errc::TooLong,
                   "'" + std::string(id) + "': the output does not fit in " +
                       std::to_string(length ? length - 1 : 0) + " units");
    }
    std::memcpy(buffer, e->value, e->valueLength * sizeof(PhrasorWChar));
    buffer[e->valueLength] = 0;
    return std::size_t{e->valueLength};
  }
  const Inserts &parsed = setApartFor(
      formFor(state().inserts(*e, style), args, count), state().isolating());
  if (!parsed.ok)
    return Error(Errc::BadMessage,
                 "'" + std::string(id) +
                     "': the stored text is not valid: " + parsed.problem);
  if (!buffer || length == 0)
    return Error(Errc::TooLong, "'" + std::string(id) + "': no buffer");
  const std::uint32_t capacity =
      length > kMaxBuffer ? kMaxBuffer : static_cast<std::uint32_t>(length);
  std::uint32_t written = 0;
  if (parsed.plain.ok && !state().marksPerCall(parsed) &&
      writePlainUtf16(parsed.plain, args, count, *state().numberStyle, buffer,
                      capacity - 1, written))
    return std::size_t{written};
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e->value, id, args, count, list, text,
                        *state().numberStyle, state().marksPerCall(parsed)))
    return std::move(*refused);
  switch (renderText(style, parsed, e->value, buffer, capacity, text, list,
                     written)) {
  case RenderResult::Written:
    return std::size_t{written};
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  buffer[0] = 0;
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output does not fit in " +
                                  std::to_string(capacity - 1) + " units");
}

// --- UTF-8 output -------------------------------------------------------

namespace {

// A plain text is its own output: it goes to the drain as stored, ended as
// a formatted text would be.
bool copyPlain(const Entry &e, Utf8Drain &drain) {
  return drain.Take(e.value, e.valueLength) && drain.finish();
}

} // namespace

Expected<std::string> Catalog::formatArgsUtf8(std::string_view id, Style style,
                                              const Arg *args,
                                              std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind();
  std::string out;
  Utf8Drain drain(out);
  if (style == Style::Plain) {
    if (copyPlain(*e, drain))
      return out;
    return Error(Errc::TooLong, "'" + std::string(id) +
                                    "': the output is longer than " +
                                    std::to_string(kMaxOutputUnits) + " units");
  }
  const Inserts &parsed = setApartFor(
      formFor(state().inserts(*e, style), args, count), state().isolating());
  if (!parsed.ok)
    return Error(
        Errc::BadMessage,
        "'" + std::string(id) + "': the stored text is not a valid " +
            (style == Style::Message ? "message: " : "printf format: ") +
            parsed.problem);
  // A short output of plain inserts is written on the stack and copied
  // once; anything else streams into the string.
  if (parsed.plain.ok && !state().marksPerCall(parsed)) {
    char local[256];
    std::size_t written = 0;
    if (writePlainUtf8(parsed.plain, args, count, *state().numberStyle, local,
                       sizeof local - 1, written))
      return std::string(local, written);
  }
  ArgList list;
  const PhrasorWChar *text;
  if (std::optional<Error> refused =
          bindArguments(parsed, e->value, id, args, count, list, text,
                        *state().numberStyle, state().marksPerCall(parsed)))
    return std::move(*refused);
  switch (renderUtf8(style, parsed, e->value, text, list, drain)) {
  case RenderResult::Written:
    return out;
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output is longer than " +
                                  std::to_string(kMaxOutputUnits) + " units");
}

Expected<std::size_t> Catalog::formatArgsUtf8To(char *buffer,
                                                std::size_t length,
                                                std::string_view id,
                                                Style style, const Arg *args,
                                                std::size_t count) const {
  const Entry *e;
  if (std::optional<Error> missing = state().resolve(id, e))
    return std::move(*missing);
  if (style == Style::Stored)
    style = e->kind();
  if (!buffer || length == 0)
    return Error(Errc::TooLong, "'" + std::string(id) + "': no buffer");
  Utf8Drain drain(buffer, length - 1);
  RenderResult result = RenderResult::Cut;
  if (style == Style::Plain) {
    if (copyPlain(*e, drain))
      return drain.size();
  } else {
    const Inserts &parsed = setApartFor(
        formFor(state().inserts(*e, style), args, count), state().isolating());
    if (!parsed.ok)
      return Error(Errc::BadMessage,
                   "'" + std::string(id) +
                       "': the stored text is not valid: " + parsed.problem);
    std::size_t written = 0;
    if (parsed.plain.ok && !state().marksPerCall(parsed) &&
        writePlainUtf8(parsed.plain, args, count, *state().numberStyle, buffer,
                       length - 1, written))
      return written;
    ArgList list;
    const PhrasorWChar *text;
    if (std::optional<Error> refused =
            bindArguments(parsed, e->value, id, args, count, list, text,
                          *state().numberStyle, state().marksPerCall(parsed)))
      return std::move(*refused);
    result = renderUtf8(style, parsed, e->value, text, list, drain);
  }
  switch (result) {
  case RenderResult::Written:
    return drain.size();
  case RenderResult::Refused:
    return Error(Errc::BadMessage,
                 "'" + std::string(id) + "': the formatter refused the text");
  case RenderResult::Cut:
    break;
  }
  buffer[0] = 0;
  if (drain.overLimit())
    return Error(Errc::TooLong, "'" + std::string(id) +
                                    "': the output is longer than " +
                                    std::to_string(kMaxOutputUnits) + " units");
  return Error(Errc::TooLong, "'" + std::string(id) +
                                  "': the output does not fit in " +
                                  std::to_string(length - 1) + " bytes");
}

std::string_view Catalog::category(const Selector &row, Count count) const {
  const Impl &s = state();
  return s.gettext.choose(row, *s.rules, valueOf(count));
}

std::string_view Catalog::gettextCategory(const Selector &row,
                                          Count count) const {
  if (&row != &kPluralSelector)
    return std::string_view();
  return state().gettext.category(valueOf(count));
}

std::string_view Catalog::pluralCategory(Count count) const {
  return category(kPluralSelector, count);
}

std::string_view Catalog::ordinalCategory(Count count) const {
  return category(kOrdinalSelector, count);
}

bool Catalog::hasPluralRules() const { return state().rules->hasRules(); }

void Catalog::setLocale(std::string_view tag) {
  state(); // a moved-from catalog stops here
  Impl &s = *impl;
  s.localeTag.assign(tag);
  s.rules.reset(new PluralRules(s.localeTag));
  s.numberStyle = &numberStyleFor(s.localeTag);
  s.rightToLeft = writtenRightToLeft(s.localeTag);
}

void Catalog::setIsolateInserts(bool on) {
  state(); // a moved-from catalog stops here
  impl->isolateAsked.store(on, std::memory_order_relaxed);
}

bool Catalog::isolatesInserts() const { return state().isolating(); }

std::string Catalog::pluralId(std::string_view id, Count count) const {
  std::string key;
  state().pluralEntry(id, count, kPluralSelector, key);
  return key;
}

std::string Catalog::ordinalId(std::string_view id, Count count) const {
  std::string key;
  state().pluralEntry(id, count, kOrdinalSelector, key);
  return key;
}

Expected<Text> Catalog::Impl::renderPlural(std::string_view id, Count count,
                                           const Selector &row, const Arg *args,
                                           std::size_t argCount) const {
  std::string chosen;
  const Entry *form = pluralEntry(id, count, row, chosen);
  return renderForm(id, form, chosen, "plural", args, argCount);
}

// The form \p form of \p id, stored as \p chosen; why not when null, with
// the forms called \p kind ("plural").
Expected<Text> Catalog::Impl::renderForm(std::string_view id, const Entry *form,
                                         std::string_view chosen,
                                         std::string_view kind, const Arg *args,
                                         std::size_t argCount) const {
  if (!form) {
    const Entry *e = lookup(id);
    if (e && !e->value)
      return Error(Errc::NoValue, "entry '" + std::string(id) +
                                      "' has no text and no " +
                                      std::string(kind) + " forms");
    return Error(Errc::MissingId, "no entry '" + std::string(id) + "' and no " +
                                      std::string(kind) + " forms");
  }
  return render(*form, chosen, Style::Stored, args, argCount);
}

Expected<Text> Catalog::pluralArgs(std::string_view id, Count count,
                                   const Arg *args,
                                   std::size_t argCount) const {
  return state().renderPlural(id, count, kPluralSelector, args, argCount);
}

Expected<Text> Catalog::ordinalArgs(std::string_view id, Count count,
                                    const Arg *args,
                                    std::size_t argCount) const {
  return state().renderPlural(id, count, kOrdinalSelector, args, argCount);
}

Expected<Text> Catalog::selectArgs(std::string_view id, const Selection &choice,
                                   const Arg *args,
                                   std::size_t argCount) const {
  // The forms' keys are spelled in a buffer kept per thread, so choosing
  // one allocates nothing once the thread has spelled a key as long.
  thread_local std::string chosen;
  const Impl &s = state();
  return s.renderForm(id, s.selectEntry(id, choice, chosen), chosen,
                      choice.row->name, args, argCount);
}

std::string Catalog::selectId(std::string_view id,
                              const Selection &choice) const {
  std::string key;
  state().selectEntry(id, choice, key);
  return key;
}

} // namespace phrasor
