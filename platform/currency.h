// The class library's money type: a fixed-point amount with four decimal
// places, kept as a 64-bit count of ten-thousandths so sums never pick up
// binary rounding.
#pragma once

#include <cstdint>

#include "platform/sysutils.h"

struct Currency {
  std::int64_t Val = 0;  // the amount times 10000

  Currency() = default;
  // Rounds to the nearest ten-thousandth; EConvertError when out of range.
  explicit Currency(double amount);
  explicit Currency(int amount) : Val(static_cast<std::int64_t>(amount) * 10000) {}
  static Currency FromVal(std::int64_t val) {
    Currency c;
    c.Val = val;
    return c;
  }

  double ToDouble() const { return static_cast<double>(Val) / 10000.0; }
  // Plain decimal, no trailing zeros: "12.5", "-0.0001", "3".
  AnsiString ToString() const;

  bool operator==(const Currency&) const = default;
};
