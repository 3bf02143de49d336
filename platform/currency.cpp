#include "platform/currency.h"

#include <cmath>

Currency::Currency(double amount) {
  const double scaled = std::nearbyint(amount * 10000.0);
  // 2^63 is exactly representable; anything at or past it does not fit.
  if (!std::isfinite(scaled) || scaled >= 9223372036854775808.0 || scaled < -9223372036854775808.0) {
    throw EConvertError("'" + AnsiString(std::to_string(amount)) + "' is not a valid currency value");
  }
  Val = static_cast<std::int64_t>(scaled);
}

AnsiString Currency::ToString() const {
  const bool negative = Val < 0;
  // Work on the magnitude unsigned so the smallest value does not overflow.
  const std::uint64_t magnitude =
      negative ? ~static_cast<std::uint64_t>(Val) + 1 : static_cast<std::uint64_t>(Val);
  std::string text = std::to_string(magnitude / 10000);
  std::uint64_t fraction = magnitude % 10000;
  if (fraction != 0) {
    std::string digits = std::to_string(fraction);
    digits.insert(0, 4 - digits.size(), '0');
    while (digits.back() == '0') digits.pop_back();
    text += "." + digits;
  }
  return AnsiString(negative ? "-" + text : text);
}
