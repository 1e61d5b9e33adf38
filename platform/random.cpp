#include "platform/random.h"

#include <cstdlib>

void SeedRandom(unsigned seed) {
    std::srand(seed);
}

int NextRandom() {
    return std::rand();
}
