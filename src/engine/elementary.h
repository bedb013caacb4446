// exp and tanh for the activation functions, computed with IEEE double
// additions, multiplications and divisions only (no fused multiply-add, no
// platform library), so that every machine, every library version and every
// vector width gives the same bits. exp is within one unit in the last place
// of the true value, tanh within three. Inline and branch-free on the common
// path, so that loops over a layer vectorise.
#pragma once

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>

namespace nodelyx::elementary {

namespace detail {
inline constexpr double kInvLn2 = 1.44269504088896338700e+00;
inline constexpr double kLn2Hi = 6.93147180369123816490e-01;  // few bits: k * kLn2Hi is exact
inline constexpr double kLn2Lo = 1.90821492927058770002e-10;
inline constexpr double kRoundShift = 6755399441055744.0;  // 1.5 * 2^52: rounds to an integer
inline constexpr double kOverflow = 7.09782712893383973096e+02;
inline constexpr double kUnderflow = -7.45133219101941108420e+02;
// Remez coefficients of the rational approximation of exp on [-ln2/2, ln2/2].
inline constexpr double kP1 = 1.66666666666666019037e-01;
inline constexpr double kP2 = -2.77777777770155933842e-03;
inline constexpr double kP3 = 6.61375632143793436117e-05;
inline constexpr double kP4 = -1.65339022054652515390e-06;
inline constexpr double kP5 = 4.13813679705723846039e-08;

// 2^(e - 1023) for a biased exponent e in 1..2046.
inline double powerOfTwo(std::uint64_t biasedExponent) { return std::bit_cast<double>(biasedExponent << 52); }
}  // namespace detail

// e^x.
inline double exp(double x) {
  using namespace detail;
  // Clamp first so that the reduction sees only finite values of a safe
  // size (a NaN becomes the upper bound here and is restored at the end).
  double xc = x < kOverflow ? x : kOverflow;
  xc = xc > kUnderflow ? xc : kUnderflow;
  // x = k ln2 + r, |r| <= ln2/2.
  const double shifted = xc * kInvLn2 + kRoundShift;
  const double kd = shifted - kRoundShift;
  // k + 2048 (never negative here), taken from the low bits of `shifted`.
  const std::uint64_t biasedK =
      std::bit_cast<std::uint64_t>(shifted) - std::bit_cast<std::uint64_t>(kRoundShift) + 2048;
  const double hi = xc - kd * kLn2Hi;
  const double lo = kd * kLn2Lo;
  const double r = hi - lo;
  const double t = r * r;
  const double c = r - t * (kP1 + t * (kP2 + t * (kP3 + t * (kP4 + t * kP5))));
  const double y = 1.0 - ((lo - (r * c) / (2.0 - c)) - hi);
  // y * 2^k as y * 2^k1 * 2^k2 with k1 = floor(k/2), k2 = k - k1: both
  // factors are normal, and a subnormal result is rounded only once.
  const std::uint64_t halfK = biasedK >> 1;  // k1 + 1024
  double result = y * powerOfTwo(halfK - 1) * powerOfTwo(biasedK - halfK - 1);
  result = x > kOverflow ? std::numeric_limits<double>::infinity() : result;
  result = x < kUnderflow ? 0.0 : result;
  return x == x ? result : x;
}

// The odd Taylor series of tanh below 0.5, highest term first:
// tanh(a) = a + a s (c1 + c2 s + ...), s = a^2.
inline constexpr double kTanhSeries[] = {
    -1.7406618963571648e-07, 4.294911078273806e-07,  -1.0597268320104654e-06, 2.6147711512907546e-06,
    -6.451689215655431e-06,  1.5918905069328964e-05, -3.927832388331683e-05,  9.691537956929451e-05,
    -0.00023912911424355248, 0.000590027440945586,   -0.0014558343870513183,  0.003592128036572481,
    -0.008863235529902197,   0.021869488536155203,   -0.05396825396825397,    0.13333333333333333,
    -0.3333333333333333};

// The hyperbolic tangent.
inline double tanh(double x) {
  const double a = x < 0.0 ? -x : x;
  double result;
  if (a < 0.5) {
    const double s = a * a;
    double p = 0.0;
    for (const double c : kTanhSeries) p = p * s + c;
    result = a + a * s * p;
  } else if (a < 22.0) {
    result = 1.0 - 2.0 / (exp(2.0 * a) + 1.0);
  } else {
    result = a == a ? 1.0 : a;  // 1, or NaN for NaN
  }
  return std::copysign(result, x);
}

}  // namespace nodelyx::elementary
