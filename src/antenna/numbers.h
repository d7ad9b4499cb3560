// The one way numbers are read from what a person typed and written for a
// person to read: every panel, dialog, readout, file and message of the
// program goes through these two, so "3.5", "+3.5" and " 3.5 " mean the same
// everywhere and a value shows with the same digits wherever it appears.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace antenna {

// A finite number from the whole of `text` (blanks around it allowed, one
// leading '+' allowed), or nothing: "", "1e999", "nan", "3 mm" and "1,5"
// are not numbers.
std::optional<double> parseNumber(std::string_view text);

// `value` to `digits` significant digits in the shortest form (as printf's
// %g in the C locale), followed by a blank and `unit` when there is one:
// "1.813 GHz". The same text under every locale.
std::string formatNumber(double value, int digits, std::string_view unit = {});

// Enough digits that parseNumber gives back the same double, always.
inline constexpr int kExactDigits = 17;
// As digits: the fewest digits that give back the same double ("0.1").
inline constexpr int kShortest = 0;

}  // namespace antenna
