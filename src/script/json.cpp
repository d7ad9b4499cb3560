#include "script/json.h"

#include <cmath>
#include <cstdio>
#include <functional>

#include "antenna/numbers.h"
#include "formats/words.h"

namespace script {

std::string jsonNumber(double v, Digits digits) {
  if (std::isnan(v)) return "null";
  if (std::isinf(v)) return v > 0 ? "1e999" : "-1e999";
  if (v == 0) return "0";  // also -0, which JSON readers may not keep
  return antenna::formatNumber(
      v, digits == Digits::seventeen ? antenna::kExactDigits : antenna::kShortest);
}

std::string jsonString(std::string_view utf8) {
  std::string out = "\"";
  const auto escape = [&out](unsigned code) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "\\u%04x", code);
    out += buf;
  };
  for (std::size_t i = 0; i < utf8.size(); ++i) {
    const char ch = utf8[i];
    auto c = static_cast<unsigned char>(ch);
    if (c >= 0x80) {
      // A byte of no UTF-8 character (a file name in another encoding)
      // would make the line no JSON: it becomes the lone surrogate U+DC00
      // plus the byte, which JSON readers take and which Python's
      // os.fsencode turns back into the byte.
      const std::size_t n = formats::characterLength(utf8.substr(i));
      if (n == 0) {
        escape(0xDC00 + c);
      } else {
        out += utf8.substr(i, n);
        i += n - 1;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          escape(c);
        } else {
          out += ch;
        }
    }
  }
  return out + "\"";
}

namespace {

// The elements of a rows-by-cols array (stored column by column) as JSON:
// one element alone, a single row as a list, otherwise a list of rows.
std::string grid(std::size_t rows, std::size_t cols,
                 const std::function<std::string(std::size_t)>& element) {
  if (rows * cols == 1) return element(0);
  auto rowText = [&](std::size_t r) {
    std::string s = "[";
    for (std::size_t c = 0; c < cols; ++c) {
      if (c) s += ", ";
      s += element(c * rows + r);
    }
    return s + "]";
  };
  if (rows * cols == 0) return "[]";
  if (rows == 1) return rowText(0);
  std::string s = "[";
  for (std::size_t r = 0; r < rows; ++r) {
    if (r) s += ", ";
    s += rowText(r);
  }
  return s + "]";
}

std::string utf8Of(std::u16string_view text) {
  rt::Array a = rt::str(text);
  return a.text();
}

}  // namespace

std::string json(const rt::Array& a, Digits digits) {
  if (a.isNull()) return "null";
  const std::size_t rows = a.rows(), cols = a.cols();
  switch (a.classId()) {
    case rt::ClassId::Char: {
      auto rowText = [&](std::size_t r) {
        std::u16string s;
        for (std::size_t c = 0; c < cols; ++c)
          s.push_back(static_cast<char16_t>(a.re()[c * rows + r]));
        return jsonString(utf8Of(s));
      };
      if (rows <= 1) return rows == 1 ? rowText(0) : jsonString("");
      std::string s = "[";
      for (std::size_t r = 0; r < rows; ++r) s += (r ? ", " : "") + rowText(r);
      return s + "]";
    }
    case rt::ClassId::Logical:
      return grid(rows, cols, [&](std::size_t i) { return a.re()[i] != 0 ? "true" : "false"; });
    case rt::ClassId::Cell:
      return grid(rows, cols, [&](std::size_t i) { return json(a.cells()[i], digits); });
    case rt::ClassId::Struct: {
      const rt::ArrayData& d = a.data();
      std::string s = "{";
      for (std::size_t i = 0; i < d.fieldNames.size(); ++i) {
        if (i) s += ", ";
        s += jsonString(d.fieldNames[i]) + ": " + json(d.fieldValues[i], digits);
      }
      return s + "}";
    }
    case rt::ClassId::Double:
      break;
  }
  auto part = [&](std::span<const double> v) {
    return grid(rows, cols, [&](std::size_t i) { return jsonNumber(v[i], digits); });
  };
  if (a.isComplex()) return "{\"re\": " + part(a.re()) + ", \"im\": " + part(a.im()) + "}";
  return part(a.re());
}

}  // namespace script
