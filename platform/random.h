#pragma once

// The process's one seedable pseudo-random generator (std::srand / std::rand). Fill bytes of sealed
// payloads and the IV keys of the layer cipher both draw from it, so it is reached only through here.
void SeedRandom(unsigned seed);
int NextRandom();
