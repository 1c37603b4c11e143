// Seeded damage of a media file's bytes, as home videos meet it: bit flips,
// a cut end, a zeroed run, a damaged header or a chunk spliced in from
// elsewhere in the file.
#pragma once

#include <string>

namespace movanta::testing {

enum class Damage { kBitFlips, kCutEnd, kZeroedRun, kDamagedHeader, kSplicedChunk };

// The kind of damage a seed gives: the five kinds in turn.
Damage DamageOf(unsigned seed);

// `bytes` with one damage of the kind `DamageOf(seed)`, placed by `seed`.
// Bytes of fewer than 16 are returned as they are.
std::string Damaged(std::string bytes, unsigned seed);

// A name for the kind: "bit flips", "cut end"...
const char* DamageName(Damage damage);

}  // namespace movanta::testing
