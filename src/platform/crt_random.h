// The C runtime's linear congruential generator, reproduced exactly: formatted volumes receive
// their random identifiers from it, and a run's sequence (41, 18467, 6334, ...) is part of the
// program's observable behaviour.
#pragma once

namespace platform {

// state <- state * 214013 + 2531011 (mod 2^32); yields (state >> 16) & 0x7FFF.
[[nodiscard]] int Rand();

// The state starts at 1 when the program starts; only tests reseed it.
void SeedRand(unsigned seed);

}  // namespace platform
