//===- Particles.h - Korean particles chosen by the inserted word -*- C++
//-*-===//
//
// A Korean particle has two forms, one after a word that ends in a final
// consonant and one after a word that ends in a vowel, so a text cannot
// spell it before it knows the name it takes. A text marks a text insert
// with the pair, first in its spec (%1!(은/는)s!, %(이/가)s), which the
// runtime's parsers refuse, so no text they accept means anything by it.
// The layer takes the pair out of the text, keeps which insert carries it,
// and writes the form the inserted text needs right after it.
//
//===----------------------------------------------------------------------===//

#ifndef PHRASOR_CPP_PARTICLES_H
#define PHRASOR_CPP_PARTICLES_H

#include "phrasor/Style.h"
#include "phrasor/Text.h"

#include <cstdint>
#include <string>
#include <vector>

namespace phrasor {

/// How a word ends, as a particle after it hears it.
enum class Ending : std::uint8_t {
  Consonant, ///< a final consonant other than ㄹ
  Rieul,     ///< final ㄹ: a consonant, except to 으로/로
  Vowel,
  Unknown, ///< no Hangul, digit or Latin letter to judge by
};

/// How \p word (its last letter or digit; closing punctuation is passed
/// over) ends.
Ending endingOf(const PhrasorWChar *word, std::size_t length);
Ending endingOf(const char *utf8, std::size_t length);

/// The pairs a text may carry, by index.
constexpr std::size_t kParticlePairs = 6;

/// The form of pair \p pair after a word that ends as \p ending, as
/// UTF-16 units; an Unknown ending gets both forms, the written way of
/// leaving the choice to the reader ("은(는)", "(으)로").
const char16_t *particleFor(std::size_t pair, Ending ending);

/// The most units particleFor gives.
constexpr std::size_t kMaxParticleUnits = 4;

/// An insert that carries a particle.
struct ParticleInsert {
  std::uint32_t begin;    ///< where its '%' is in the text without the pairs
  std::uint32_t argument; ///< the argument it takes, from 0
  std::uint8_t pair;
};

/// A text with its particle pairs taken out.
struct ParticleForm {
  std::string problem; ///< a bracket after an insert that is no known pair
  Text text;
  std::vector<ParticleInsert> inserts;
  /// The place in \p text of a unit that was at \p at in the text given.
  std::uint32_t moved(std::uint32_t at) const;
  /// Where pairs were taken out (in the text given) and how long they were.
  std::vector<std::uint32_t> cutAt, cutLength;
};

/// Takes the pairs out of \p text, read as \p style.
ParticleForm takeParticles(const PhrasorWChar *text, Style style);

} // namespace phrasor

#endif // PHRASOR_CPP_PARTICLES_H
