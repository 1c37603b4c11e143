// Writes a copy of a media file with one seeded damage, for the damaged-input
// comparison: damage_file INPUT OUTPUT SEED. Prints the kind of damage.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "testing/damage.h"
#include "testing/testing.h"

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: damage_file INPUT OUTPUT SEED\n");
        return 2;
    }
    char* end = nullptr;
    const unsigned long seed = std::strtoul(argv[3], &end, 10);
    if (end == argv[3] || *end != '\0') {
        std::fprintf(stderr, "damage_file: the seed must be a number\n");
        return 2;
    }
    if (!std::ifstream(argv[1], std::ios::binary)) {
        std::fprintf(stderr, "damage_file: cannot read %s\n", argv[1]);
        return 1;
    }
    const std::string bytes = movanta::testing::FileBytes(argv[1]);
    std::ofstream out(argv[2], std::ios::binary);
    out << movanta::testing::Damaged(bytes, static_cast<unsigned>(seed));
    if (!out.flush()) {
        std::fprintf(stderr, "damage_file: cannot write %s\n", argv[2]);
        return 1;
    }
    std::printf("%s\n", movanta::testing::DamageName(movanta::testing::DamageOf(static_cast<unsigned>(seed))));
    return 0;
}
