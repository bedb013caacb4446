#include "files/c_format.h"

#include <locale.h>

#include <charconv>
#include <clocale>
#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace nodelyx {
namespace {

// The "C" locale object, created once and kept for the process's life.
locale_t cLocale() {
  static const locale_t locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(nullptr));
  return locale;
}

// Switches the calling thread to the "C" locale for one scope.
class CLocaleScope {
 public:
  CLocaleScope() : previous_(uselocale(cLocale())) {}
  ~CLocaleScope() { uselocale(previous_); }
  CLocaleScope(const CLocaleScope&) = delete;
  CLocaleScope& operator=(const CLocaleScope&) = delete;

 private:
  locale_t previous_;
};

std::string formatV(const char* format, va_list args) {
  CLocaleScope scope;
  char buffer[256];
  va_list copy;
  va_copy(copy, args);
  const int length = std::vsnprintf(buffer, sizeof buffer, format, copy);
  va_end(copy);
  if (length < 0) return {};
  if (static_cast<std::size_t>(length) < sizeof buffer)
    return std::string(buffer, static_cast<std::size_t>(length));
  std::string text(static_cast<std::size_t>(length) + 1, '\0');
  std::vsnprintf(text.data(), text.size(), format, args);
  text.resize(static_cast<std::size_t>(length));
  return text;
}

}  // namespace

std::string formatC(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::string text = formatV(format, args);
  va_end(args);
  return text;
}

std::string formatDouble(double value) { return formatC("%g", value); }

std::string formatRoundTrip(double value) {
  if (std::isnan(value)) return std::signbit(value) ? "-nan" : "nan";
  if (std::isinf(value)) return value < 0 ? "-inf" : "inf";
  char text[32];
  const auto [end, error] = std::to_chars(text, text + sizeof text, value);
  return error == std::errc() ? std::string(text, end) : formatC("%.17g", value);
}

std::string formatTimestamp(long long secondsSinceEpoch) {
  static constexpr const char* kDays[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr const char* kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                            "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const auto seconds = static_cast<std::time_t>(secondsSinceEpoch);
  std::tm local{};
  if (localtime_r(&seconds, &local) == nullptr) return std::string(24, ' ');
  return formatC("%.3s %.3s%3d %.2d:%.2d:%.2d %d", kDays[local.tm_wday % 7], kMonths[local.tm_mon % 12],
                 local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec, 1900 + local.tm_year);
}

std::string currentTimestamp() { return formatTimestamp(static_cast<long long>(std::time(nullptr))); }

}  // namespace nodelyx
