#include "engine/random.h"

#include <cmath>
#include <ctime>

namespace nodelyx {
namespace {

thread_local std::uint32_t generatorState = 1;

}  // namespace

void seedRandom(std::uint32_t seed) { generatorState = seed; }

std::uint32_t randomState() { return generatorState; }

std::uint32_t timeSeed() { return static_cast<std::uint32_t>(std::time(nullptr)); }

int randomInt() {
  generatorState = generatorState * 214013u + 2531011u;
  return static_cast<int>((generatorState >> 16) & 0x7fffu);
}

std::uint32_t randomIndex(std::uint32_t count) {
  if (count <= static_cast<std::uint32_t>(kRandomMax) + 1)
    return static_cast<std::uint32_t>(randomInt()) % count;
  const auto high = static_cast<std::uint64_t>(randomInt());
  const auto low = static_cast<std::uint64_t>(randomInt());
  return static_cast<std::uint32_t>(((high << 15) | low) % count);
}

double randomUnit() { return randomInt() * (1.0 / 32767.0); }

double gaussian(double mean, double sigma) {
  if (sigma == 0.0) return mean;
  // The odd constants (32727, 32737) keep a and b strictly inside (-1, 1),
  // so s can never be 0 and the logarithm is always defined.
  double a = 0.0;
  double s = 0.0;
  do {
    a = (randomInt() % 32727) * (1.0 / 32737.0) * 2.0 - 1.0;
    const double b = (randomInt() % 32727) * (1.0 / 32737.0) * 2.0 - 1.0;
    s = a * a + b * b;
  } while (s > 1.0);
  return std::sqrt(-2.0 * std::log(s) / s) * a * sigma + mean;
}

}  // namespace nodelyx
