#include "engine/elementary.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <random>

namespace nodelyx {
namespace {

// Distance in units of the last place between two doubles of the same sign.
std::int64_t ulps(double a, double b) {
  if (a == b) return 0;
  auto ordered = [](double v) {
    const auto bits = std::bit_cast<std::int64_t>(v);
    return bits < 0 ? INT64_MIN - bits : bits;
  };
  return std::llabs(ordered(a) - ordered(b));
}

TEST(ElementaryTest, CloseToTheLibraryFunctions) {
  std::mt19937_64 generator(1);
  std::uniform_real_distribution<double> wide(-745.0, 709.0), narrow(-40.0, 40.0), small(-1.0, 1.0);
  std::int64_t worstExp = 0, worstTanh = 0;
  for (int k = 0; k < 300000; ++k) {
    const double x = k % 3 == 0 ? wide(generator) : k % 3 == 1 ? narrow(generator) : small(generator) * 1e-3;
    worstExp = std::max(worstExp, ulps(elementary::exp(x), std::exp(x)));
    if (std::fabs(x) < 40) worstTanh = std::max(worstTanh, ulps(elementary::tanh(x), std::tanh(x)));
  }
  EXPECT_LE(worstExp, 1);
  EXPECT_LE(worstTanh, 3);
}

TEST(ElementaryTest, SpecialValues) {
  EXPECT_EQ(elementary::exp(0.0), 1.0);
  EXPECT_EQ(elementary::exp(-0.0), 1.0);
  EXPECT_EQ(elementary::exp(710.0), INFINITY);
  EXPECT_EQ(elementary::exp(INFINITY), INFINITY);
  EXPECT_EQ(elementary::exp(-INFINITY), 0.0);
  EXPECT_EQ(elementary::exp(-746.0), 0.0);
  EXPECT_EQ(elementary::exp(-745.0), std::exp(-745.0)) << "the smallest subnormal";
  EXPECT_EQ(elementary::exp(-708.5), std::exp(-708.5));
  EXPECT_TRUE(std::isnan(elementary::exp(NAN)));
  EXPECT_EQ(elementary::tanh(0.0), 0.0);
  EXPECT_TRUE(std::signbit(elementary::tanh(-0.0)));
  EXPECT_EQ(elementary::tanh(30.0), 1.0);
  EXPECT_EQ(elementary::tanh(-INFINITY), -1.0);
  EXPECT_EQ(elementary::tanh(1e-300), 1e-300);
  EXPECT_TRUE(std::isnan(elementary::tanh(NAN)));
}

}  // namespace
}  // namespace nodelyx
