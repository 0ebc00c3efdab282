//===- Particles.cpp - Korean particles chosen by the inserted word -------===//

#include "cpp/Particles.h"

#include <algorithm>
#include <cstring>

namespace phrasor {
namespace {

struct Pair {
  const char16_t *consonant; ///< after a final consonant
  const char16_t *vowel;     ///< after a vowel
  const char16_t *either;    ///< when the ending is unknown
  bool rieulAsVowel;         ///< 으로/로: final ㄹ takes the vowel form
};

constexpr Pair kPairs[kParticlePairs] = {
    {u"은", u"는", u"은(는)", false},  {u"이", u"가", u"이(가)", false},
    {u"을", u"를", u"을(를)", false},  {u"과", u"와", u"과(와)", false},
    {u"으로", u"로", u"(으)로", true}, {u"아", u"야", u"아(야)", false},
};

// Closing punctuation, quotes, brackets and spaces after a word say
// nothing of how it is read.
bool passedOver(char32_t c) {
  if (c < 0x80)
    return !((c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') ||
             (c >= 'a' && c <= 'z'));
  return (c >= 0x2000 && c <= 0x206F) || (c >= 0x3000 && c <= 0x303F) ||
         (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF1A && c <= 0xFF20) ||
         (c >= 0xFF3B && c <= 0xFF40) || (c >= 0xFF5B && c <= 0xFF65);
}

// A digit as Korean reads it (영 일 이 삼 사 오 육 칠 팔 구): a number read
// whole ends in the reading of its last digit or, for a last 0, in 십, 백,
// 천 or 만, which end in a consonant as 영 does.
Ending digitEnding(int digit) {
  static constexpr Ending kDigits[10] = {
      Ending::Consonant, Ending::Rieul, Ending::Vowel,     Ending::Consonant,
      Ending::Vowel,     Ending::Vowel, Ending::Consonant, Ending::Rieul,
      Ending::Rieul,     Ending::Vowel};
  return kDigits[digit];
}

// A Latin word as its last sound is usually written in Hangul: "-l" is ㄹ
// (Paul 폴), "-m", "-n", "-ng", "-b", "-c", "-k" and "-p" a final consonant
// (Tom 톰, John 존, King 킹, Bob 밥, Eric 에릭, Jack 잭, Philip 필립), and
// every other letter a vowel, as a final consonant written with 으 is
// (Robert 로버트, David 데이비드, Max 맥스, Peter 피터).
Ending latinEnding(char32_t last, char32_t before) {
  const auto lower = [](char32_t c) {
    return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c;
  };
  last = lower(last);
  if (last == 'l')
    return Ending::Rieul;
  if (last == 'g')
    return lower(before) == 'n' ? Ending::Consonant : Ending::Vowel;
  const char32_t consonants[] = {'m', 'n', 'b', 'c', 'k', 'p'};
  return std::find(std::begin(consonants), std::end(consonants), last) !=
                 std::end(consonants)
             ? Ending::Consonant
             : Ending::Vowel;
}

// Full-width digits and letters are read as their ASCII selves.
char32_t narrowed(char32_t c) {
  return c >= 0xFF10 && c <= 0xFF5A ? c - 0xFF10 + '0' : c;
}

class Judge {
public:
  void feed(char32_t c) {
    if (passedOver(c))
      return;
    before = last;
    last = c;
  }
  Ending result() const {
    const char32_t c = narrowed(last), b = narrowed(before);
    if (c >= 0xAC00 && c <= 0xD7A3) {
      const char32_t jong = (c - 0xAC00) % 28; // the final consonant
      return jong == 0   ? Ending::Vowel
             : jong == 8 ? Ending::Rieul
                         : Ending::Consonant;
    }
    if (c >= 0x3131 && c <= 0x314E) // a consonant letter alone
      return c == 0x3139 ? Ending::Rieul : Ending::Consonant;
    if (c >= 0x314F && c <= 0x3163) // a vowel letter alone
      return Ending::Vowel;
    if (c >= '0' && c <= '9')
      return digitEnding(static_cast<int>(c - '0'));
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'))
      return latinEnding(c, b);
    return Ending::Unknown;
  }

private:
  char32_t last = 0, before = 0;
};

// The pair spelled by \p units (either form first), or -1.
int pairOf(const PhrasorWChar *units, std::size_t count) {
  const auto same = [&](const char16_t *s, std::size_t from, std::size_t n) {
    std::size_t k = 0;
    for (; k < n && s[k]; ++k)
      if (units[from + k] != static_cast<PhrasorWChar>(s[k]))
        return false;
    return k == n && !s[k];
  };
  const auto slash = std::find(units, units + count, PhrasorWChar('/'));
  if (slash == units + count)
    return -1;
  const auto left = static_cast<std::size_t>(slash - units);
  const std::size_t right = count - left - 1;
  for (std::size_t p = 0; p < kParticlePairs; ++p) {
    const Pair &pair = kPairs[p];
    if ((same(pair.consonant, 0, left) && same(pair.vowel, left + 1, right)) ||
        (same(pair.vowel, 0, left) && same(pair.consonant, left + 1, right)))
      return static_cast<int>(p);
  }
  return -1;
}

// Reads a pair at \p t[i] (a '(' first in an insert's spec); the units it
// takes, or 0 with the form's problem set.
std::uint32_t takePair(const PhrasorWChar *t, std::uint32_t i,
                       std::uint32_t percentAt, std::uint32_t argument,
                       ParticleForm &form) {
  constexpr std::uint32_t kLongest = 8; // "(으로/로)" and room to spare
  std::uint32_t close = i + 1;
  while (t[close] && t[close] != ')' && close - i <= kLongest)
    ++close;
  const int pair = t[close] == ')' ? pairOf(t + i + 1, close - i - 1) : -1;
  if (pair < 0) {
    if (form.problem.empty())
      form.problem = "the bracket in the insert at character " +
                     std::to_string(percentAt + 1) +
                     " is not a particle pair (은/는, 이/가, 을/를, 과/와, "
                     "으로/로 or 아/야)";
    return 0;
  }
  // A precision cuts the written text, which would cut the particle off
  // the word it goes with.
  std::uint32_t spec = close + 1;
  while (t[spec] && t[spec] < 0x80 &&
         std::strchr("-+ #0'123456789*", static_cast<char>(t[spec])))
    ++spec;
  if (t[spec] == '.' && form.problem.empty())
    form.problem = "the insert at character " + std::to_string(percentAt + 1) +
                   " carries a particle pair and a precision, which would "
                   "cut the particle off";
  form.inserts.push_back(
      ParticleInsert{percentAt, argument, static_cast<std::uint8_t>(pair)});
  form.cutAt.push_back(i);
  form.cutLength.push_back(close + 1 - i);
  return close + 1 - i;
}

// Walks a printf spec from \p i to just past its conversion letter,
// counting the arguments its '*'s take.
std::uint32_t walkPrintfSpec(const PhrasorWChar *t, std::uint32_t i,
                             std::uint32_t &stars) {
  const auto in = [](PhrasorWChar c, const char *set) {
    return c && c < 0x80 && std::strchr(set, static_cast<char>(c));
  };
  for (; in(t[i], "-+ #0'123456789.*hlLjztwIq"); ++i)
    stars += t[i] == '*';
  return t[i] ? i + 1 : i;
}

} // namespace

Ending endingOf(const PhrasorWChar *word, std::size_t length) {
  Judge judge;
  for (std::size_t k = 0; k < length; ++k)
    judge.feed(word[k]);
  return judge.result();
}

Ending endingOf(const char *utf8, std::size_t length) {
  // Only the letters judged need decoding right; a bad byte is one that
  // says nothing (U+FFFD), as the text shows it.
  Judge judge;
  const auto *b = reinterpret_cast<const unsigned char *>(utf8);
  for (std::size_t i = 0; i < length;) {
    const unsigned lead = b[i];
    const std::size_t n = lead < 0x80    ? 1
                          : lead >= 0xF0 ? 4
                          : lead >= 0xE0 ? 3
                                         : 2;
    char32_t c = n == 1 ? lead : lead & (0x3Fu >> (n - 1));
    bool bad = lead >= 0x80 && lead < 0xC2;
    for (std::size_t k = 1; k < n && !bad; ++k) {
      bad = i + k >= length || (b[i + k] & 0xC0) != 0x80;
      c = (c << 6) | (b[i + k] & 0x3Fu);
    }
    judge.feed(bad ? 0xFFFD : c);
    i += bad ? 1 : n;
  }
  return judge.result();
}

const char16_t *particleFor(std::size_t pair, Ending ending) {
  const Pair &p = kPairs[pair];
  switch (ending) {
  case Ending::Consonant:
    return p.consonant;
  case Ending::Rieul:
    return p.rieulAsVowel ? p.vowel : p.consonant;
  case Ending::Vowel:
    return p.vowel;
  case Ending::Unknown:
    break;
  }
  return p.either;
}

std::uint32_t ParticleForm::moved(std::uint32_t at) const {
  std::uint32_t shift = 0;
  for (std::size_t k = 0; k < cutAt.size() && cutAt[k] < at; ++k)
    shift += cutLength[k];
  return at - shift;
}

ParticleForm takeParticles(const PhrasorWChar *t, Style style) {
  ParticleForm form;
  const bool message = style == Style::Message;
  std::uint32_t argument = 0; // a printf text's next, a message's field
  for (std::uint32_t i = 0; t[i];) {
    if (t[i] != '%') {
      form.text.push_back(t[i++]);
      continue;
    }
    const auto percentAt = static_cast<std::uint32_t>(form.text.size());
    form.text.push_back(t[i++]);
    if (message) {
      // Only a field's spec, after "%N!", can carry a pair; any other '%'
      // escapes the one character after it.
      if (t[i] < '1' || t[i] > '9') {
        if (t[i])
          form.text.push_back(t[i++]);
        continue;
      }
      argument = 0;
      while (t[i] >= '0' && t[i] <= '9') {
        argument = argument * 10 + static_cast<std::uint32_t>(t[i] - '0');
        form.text.push_back(t[i++]);
      }
      if (t[i] != '!')
        continue;
      form.text.push_back(t[i++]);
      if (t[i] == '(')
        i += takePair(t, i, percentAt, argument - 1, form);
      continue;
    }
    if (t[i] == '%') {
      form.text.push_back(t[i++]);
      continue;
    }
    const std::uint32_t taken =
        t[i] == '(' ? takePair(t, i, percentAt, 0, form) : 0;
    std::uint32_t stars = 0;
    const std::uint32_t end = walkPrintfSpec(t, i + taken, stars);
    if (taken && !form.inserts.empty() &&
        form.inserts.back().begin == percentAt)
      form.inserts.back().argument = argument + stars;
    argument += stars + 1;
    form.text.append(t + i + taken, t + end);
    i = end;
  }
  return form;
}

} // namespace phrasor
