// printf-style formatting that always uses the "C" locale, whatever locale
// the program runs in: every file format writes "." as the decimal point.
// Thread-safe (the locale is switched for the calling thread only).
#pragma once

#include <string>

namespace nodelyx {

// Like snprintf into a std::string, in the "C" locale.
std::string formatC(const char* format, ...) __attribute__((format(printf, 1, 2)));

// The stream library's default form of a double (six significant digits,
// "%g"), as the text formats use it.
std::string formatDouble(double value);

// The shortest text that reads back to exactly the same double ("0.1",
// "1000000.1", "1e-300"); "nan", "-nan", "inf" or "-inf" for the values
// that are not finite. Files that must reproduce a model bit for bit
// (weights, scale ranges, generated code) write their doubles this way.
std::string formatRoundTrip(double value);

// The 24-character local date and time "Www Mmm dd hh:mm:ss yyyy" with
// English names, as file headers and history records carry it.
std::string formatTimestamp(long long secondsSinceEpoch);
std::string currentTimestamp();

}  // namespace nodelyx
