// The short forms of a decimal number, read without from_chars and with
// the same result. Inline, so that the data reader's loop over a block of
// text calls nothing for the usual number.
#pragma once

#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstring>

namespace nodelyx {

namespace short_number_detail {

inline constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                               1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                               1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

inline bool isDigit(char c) { return static_cast<unsigned char>(c - '0') < 10; }

inline constexpr std::uint64_t kBytes(std::uint8_t b) { return 0x0101010101010101ULL * b; }

// Appends the run of digits at p to digits, eight bytes at a time where
// eight can be read before last (the bytes are digits in text order, so
// the first is the lowest byte of a little-endian load); count grows by
// the number of digits.
inline const char* appendDigits(const char* p, const char* last, std::uint64_t& digits, int& count) {
  if constexpr (std::endian::native == std::endian::little) {
    constexpr std::uint64_t kPowers[] = {1, 10, 100, 1000, 10000, 100000, 1000000, 10000000, 100000000};
    while (last - p >= 8) {
      std::uint64_t bytes = 0;
      std::memcpy(&bytes, p, 8);
      const std::uint64_t values = bytes - kBytes('0');
      const std::uint64_t others = ((bytes + kBytes(0x46)) | values) & kBytes(0x80);
      const int run = others == 0 ? 8 : std::countr_zero(others) / 8;
      if (run == 0) return p;
      // The run's digits moved to the top bytes, zeros below: eight digits.
      std::uint64_t v = values << (8 * (8 - run));
      v = v * 10 + (v >> 8);
      v = (((v & 0x000000FF000000FFULL) * 0x000F424000000064ULL) +
           (((v >> 16) & 0x000000FF000000FFULL) * 0x0000271000000001ULL)) >>
          32;
      digits = digits * kPowers[run] + v;
      count += run;
      p += run;
      if (run < 8) return p;
    }
  }
  for (; p != last && isDigit(*p); ++p, ++count) digits = digits * 10 + static_cast<unsigned>(*p - '0');
  return p;
}

}  // namespace short_number_detail

// A decimal number of at most 19 digits whose value as digits is at most
// 2^53 and whose power of ten is at most 22 either way: the digits and the
// power are exact doubles, so one multiplication or division rounds once and
// gives the correctly rounded value, the bits from_chars gives. Anything else
// is left to from_chars, which reads it or refuses it.
inline const char* readShortNumber(const char* p, const char* last, double& value) {
  bool negative = false;
  if (p != last && (*p == '+' || *p == '-')) negative = *p++ == '-';
  std::uint64_t digits = 0;
  int count = 0;
  p = short_number_detail::appendDigits(p, last, digits, count);
  int scale = count;
  if (p != last && *p == '.') p = short_number_detail::appendDigits(p + 1, last, digits, count);
  scale -= count;
  if (count == 0 || count > 19) return nullptr;
  if (p != last && (*p | 0x20) == 'e') {
    ++p;
    const bool down = p != last && *p == '-';
    if (p != last && (*p == '-' || *p == '+')) ++p;
    if (p == last || !short_number_detail::isDigit(*p)) return nullptr;
    int exponent = 0;
    for (; p != last && short_number_detail::isDigit(*p); ++p)
      exponent = std::min(exponent * 10 + (*p - '0'), 100000);
    scale += down ? -exponent : exponent;
  }
  if (digits > (std::uint64_t{1} << 53) || scale < -22 || scale > 22) return nullptr;
  const double x = static_cast<double>(digits);
  const double magnitude = scale < 0 ? x / short_number_detail::kExactPowersOfTen[-scale]
                                     : x * short_number_detail::kExactPowersOfTen[scale];
  value = negative ? -magnitude : magnitude;
  return p;
}

}  // namespace nodelyx
