#include "testing/damage.h"

#include <algorithm>
#include <random>

namespace movanta::testing {

Damage DamageOf(unsigned seed) { return static_cast<Damage>(seed % 5); }

std::string Damaged(std::string bytes, unsigned seed) {
    const size_t size = bytes.size();
    if (size < 16) return bytes;
    std::mt19937 random(seed);
    auto at = [&](size_t from, size_t to) { return std::uniform_int_distribution<size_t>(from, to - 1)(random); };
    auto offset = [](size_t at) { return static_cast<std::ptrdiff_t>(at); };
    switch (DamageOf(seed)) {
        case Damage::kBitFlips:
            for (int i = 0; i < 20; ++i) bytes[at(0, size)] ^= static_cast<char>(1 << (random() % 8));
            break;
        case Damage::kCutEnd:
            bytes.resize(at(size / 4, size));
            break;
        case Damage::kZeroedRun: {
            const size_t from = at(0, size);
            std::fill(bytes.begin() + offset(from), bytes.begin() + offset(std::min(size, from + 4096)), '\0');
            break;
        }
        case Damage::kDamagedHeader:
            for (int i = 0; i < 8; ++i) bytes[at(0, std::min<size_t>(size, 512))] = static_cast<char>(random());
            break;
        case Damage::kSplicedChunk: {
            const size_t from = at(0, size / 2);
            const size_t to = at(size / 2, size);
            std::copy_n(bytes.begin() + offset(from), std::min<size_t>(2048, size - to), bytes.begin() + offset(to));
            break;
        }
    }
    return bytes;
}

const char* DamageName(Damage damage) {
    switch (damage) {
        case Damage::kBitFlips: return "bit flips";
        case Damage::kCutEnd: return "cut end";
        case Damage::kZeroedRun: return "zeroed run";
        case Damage::kDamagedHeader: return "damaged header";
        case Damage::kSplicedChunk: return "spliced chunk";
    }
    return "";
}

}  // namespace movanta::testing
