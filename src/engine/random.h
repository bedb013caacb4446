// The engine's random numbers: a linear congruential generator with the
// classic C runtime recurrence, so runs repeat bit for bit on every platform.
// The state belongs to the calling thread; each thread starts from seed 1.
#pragma once

#include <cstdint>

namespace nodelyx {

// Largest value randomInt() returns.
inline constexpr int kRandomMax = 32767;

// Seeds the calling thread's generator (state = seed).
void seedRandom(std::uint32_t seed);
// The calling thread's generator state: seedRandom(randomState()) changes nothing.
std::uint32_t randomState();

// The current time in seconds, the seed of every time-seeded operation.
std::uint32_t timeSeed();

// Next value in 0..32767: state = state * 214013 + 2531011 (mod 2^32),
// result = bits 16..30 of the new state.
int randomInt();

// An index in 0..count-1 (count >= 1): randomInt() mod count, or for counts
// beyond 32768, which one draw cannot reach, two draws combined.
std::uint32_t randomIndex(std::uint32_t count);

// A uniform value in [0, 1]: randomInt() * (1/32767).
double randomUnit();

// A normal deviate by the polar method; returns mean without drawing when
// sigma is 0.
double gaussian(double mean, double sigma);

}  // namespace nodelyx
