// JSON text of runtime arrays, for the script's output.
#pragma once

#include <string>

#include "platform/array/array.h"

namespace script {

// How numbers are written: the shortest text that reads back to the same
// double, or always 17 significant digits.
enum class Digits { shortest, seventeen };

// One number: NaN is null, infinities are +-1e999 (which JSON readers take
// as infinite).
std::string jsonNumber(double v, Digits digits = Digits::shortest);

// A whole array: a character row is a string (several rows: a list of
// strings); a number, logical or cell with one element is that element; a
// single row is a list; a matrix is a list of its rows; a structure is an
// object; a complex array is {"re": ..., "im": ...}; null is null.
std::string json(const rt::Array& a, Digits digits = Digits::shortest);

// A text as a JSON string.
std::string jsonString(std::string_view utf8);

}  // namespace script
