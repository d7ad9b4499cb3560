// Character arrays: UTF-8/UTF-16 conversion, number formatting and parsing,
// string comparison and character classes.
#include <charconv>
#include <cmath>
#include <iostream>
#include <limits>
#include <string>
#include <system_error>

#include "platform/array/array.h"

namespace rt {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

Array charRow(std::u16string_view codes) {
  ArrayData d;
  d.cls = ClassId::Char;
  d.rows = codes.empty() ? 0 : 1;
  d.cols = codes.size();
  d.re.assign(codes.begin(), codes.end());
  return Array(std::move(d));
}

// A stored code as a UTF-16 unit; anything that is not one is replaced.
char16_t unit(double code) {
  if (!(code >= 0 && code <= 0xFFFF) || code != std::floor(code)) return kReplacement;
  return static_cast<char16_t>(code);
}

void appendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::string utf8Of(std::u16string_view s) {
  std::string out;
  out.reserve(s.size());
  for (std::size_t i = 0; i < s.size(); ++i) {
    char32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 &&
        s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = kReplacement;  // an unpaired surrogate
    }
    appendUtf8(out, c);
  }
  return out;
}

// Decodes UTF-8; each byte of a malformed sequence becomes U+FFFD.
std::u16string utf16Of(std::string_view s) {
  std::u16string out;
  out.reserve(s.size());
  std::size_t i = 0;
  while (i < s.size()) {
    const unsigned char b = static_cast<unsigned char>(s[i]);
    std::size_t len = 0;
    char32_t c = 0, min = 0;
    if (b < 0x80) {
      len = 1, c = b;
    } else if ((b & 0xE0) == 0xC0) {
      len = 2, c = b & 0x1F, min = 0x80;
    } else if ((b & 0xF0) == 0xE0) {
      len = 3, c = b & 0x0F, min = 0x800;
    } else if ((b & 0xF8) == 0xF0) {
      len = 4, c = b & 0x07, min = 0x10000;
    }
    bool ok = len > 0 && i + len <= s.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
      const unsigned char t = static_cast<unsigned char>(s[i + k]);
      ok = (t & 0xC0) == 0x80;
      c = (c << 6) | (t & 0x3F);
    }
    ok = ok && c >= min && c <= 0x10FFFF && !(c >= 0xD800 && c <= 0xDFFF);
    if (!ok) {
      out += kReplacement;
      ++i;
      continue;
    }
    if (c >= 0x10000) {
      out += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      out += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
    i += len;
  }
  return out;
}

// The codes of a one-row (or empty) character array; false otherwise.
bool rowCodes(const Array& a, std::u16string& out) {
  if (a.isNull() || !a.isChar() || a.rows() > 1) return false;
  out.clear();
  out.reserve(a.numel());
  for (double c : a.re()) out += unit(c);
  return true;
}

bool isSpace(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f';
}

std::u16string_view trim(std::u16string_view s) {
  while (!s.empty() && isSpace(s.front())) s.remove_prefix(1);
  while (!s.empty() && isSpace(s.back())) s.remove_suffix(1);
  return s;
}

bool isDigit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

char16_t lowerAscii(char16_t c) {
  return (c >= u'A' && c <= u'Z') ? c + 32 : c;
}

bool equalsNoCase(std::u16string_view s, std::u16string_view word) {
  if (s.size() != word.size()) return false;
  for (std::size_t i = 0; i < s.size(); ++i)
    if (lowerAscii(s[i]) != word[i]) return false;
  return true;
}

// One number, the whole of s: [+-] then digits with an optional point (at
// least one digit), an optional exponent e/E [+-] digits; or [+-] Inf / NaN
// in any case. No whitespace, hex, "infinity" or locale forms.
bool parseNumber(std::u16string_view s, double& out) {
  bool negative = false;
  if (!s.empty() && (s[0] == u'+' || s[0] == u'-')) {
    negative = s[0] == u'-';
    s.remove_prefix(1);
  }
  if (equalsNoCase(s, u"inf")) {
    out = negative ? -std::numeric_limits<double>::infinity()
                   : std::numeric_limits<double>::infinity();
    return true;
  }
  if (equalsNoCase(s, u"nan")) {
    out = std::numeric_limits<double>::quiet_NaN();
    return true;
  }
  // The mantissa; `magnitude` is the decimal exponent of its leading
  // significant digit, which tells overflow from underflow when the value
  // is out of range.
  std::size_t i = 0, digits = 0, intDigits = 0;
  bool seenPoint = false, seenNonZero = false, leadInInt = false;
  std::size_t leadPos = 0;  // among integer digits, or among fraction digits
  for (; i < s.size(); ++i) {
    const char16_t c = s[i];
    if (c == u'.' && !seenPoint) {
      seenPoint = true;
      continue;
    }
    if (!isDigit(c)) break;
    if (!seenNonZero && c != u'0') {
      seenNonZero = true;
      leadInInt = !seenPoint;
      leadPos = seenPoint ? digits - intDigits : digits;
    }
    ++digits;
    if (!seenPoint) ++intDigits;
  }
  if (digits == 0) return false;
  const long long magnitude = leadInInt ? static_cast<long long>(intDigits - leadPos) - 1
                                        : -static_cast<long long>(leadPos) - 1;
  long long exponent = 0;
  if (i < s.size()) {
    if (s[i] != u'e' && s[i] != u'E') return false;
    std::size_t j = i + 1;
    bool expNegative = false;
    if (j < s.size() && (s[j] == u'+' || s[j] == u'-')) expNegative = s[j++] == u'-';
    if (j == s.size()) return false;
    for (; j < s.size(); ++j) {
      if (!isDigit(s[j])) return false;
      if (exponent < 1000000000) exponent = exponent * 10 + (s[j] - u'0');
    }
    if (expNegative) exponent = -exponent;
  }
  // The accepted text is ASCII; hand it to from_chars unchanged.
  std::string ascii(s.size(), '\0');
  for (std::size_t k = 0; k < s.size(); ++k) ascii[k] = static_cast<char>(s[k]);
  double v = 0;
  const auto r =
      std::from_chars(ascii.data(), ascii.data() + ascii.size(), v, std::chars_format::general);
  if (r.ec == std::errc::result_out_of_range) {
    v = seenNonZero && magnitude + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
  } else if (r.ec != std::errc() || r.ptr != ascii.data() + ascii.size()) {
    return false;
  }
  out = negative ? -v : v;
  return true;
}

std::string formatReal(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x < 0 ? "-Inf" : "Inf";
  // to_chars writes a point under any locale the toolkit set, where printf
  // would write the locale's decimal comma.
  char buf[64];
  if (x == std::trunc(x) && std::fabs(x) < 1e15) {
    if (x == 0) return "0";
    return {buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::fixed, 0).ptr};
  }
  const int digits =
      std::min(17, std::max(5, static_cast<int>(std::floor(std::log10(std::fabs(x)))) + 5));
  return {buf, std::to_chars(buf, buf + sizeof buf, x, std::chars_format::general, digits).ptr};
}

std::string formatElement(const ArrayData& d, std::size_t i) {
  if (d.cls == ClassId::Logical) return d.re[i] != 0 ? "1" : "0";
  std::string s = formatReal(d.re[i]);
  if (d.im.empty()) return s;
  const double im = d.im[i];
  s += im < 0 ? '-' : '+';
  s += formatReal(im < 0 ? -im : im);
  s += 'i';
  return s;
}

// Unicode letters that are cheap to classify: ASCII, Latin-1, Latin
// Extended-A/B, basic Greek and Cyrillic.
bool letter(double code) {
  if (!(code >= 0) || code != std::floor(code)) return false;
  const auto c = static_cast<unsigned long>(code);
  if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')) return true;
  if (c == 0xAA || c == 0xB5 || c == 0xBA) return true;
  if (c >= 0xC0 && c <= 0x24F) return c != 0xD7 && c != 0xF7;
  if (c >= 0x391 && c <= 0x3C9) return c != 0x3A2 && !(c > 0x3A9 && c < 0x3B1);
  if (c >= 0x400 && c <= 0x481) return true;
  if (c >= 0x48A && c <= 0x52F) return true;
  return false;
}

char16_t foldCase(char16_t c) {
  if (c >= u'A' && c <= u'Z') return c + 32;
  if (c >= 0xC0 && c <= 0xDE && c != 0xD7) return c + 32;  // Latin-1 capitals
  return c;
}

}  // namespace

// ------------------------------------------------------------ conversion
std::string Array::text() const {
  if (d_->cls != ClassId::Char) return {};
  // Plain ASCII, what nearly every property and keyword holds, is its own
  // UTF-8: one pass and no UTF-16 string between.
  std::string out;
  out.reserve(d_->re.size() + d_->rows);
  for (std::size_t r = 0; r < d_->rows; ++r) {
    if (r > 0) out += '\n';
    for (std::size_t c = 0; c < d_->cols; ++c) {
      double code = d_->re[r + c * d_->rows];
      if (!(code >= 0 && code < 0x80) || static_cast<int>(code) != code) return utf8Of(u16());
      out += static_cast<char>(code);
    }
  }
  return out;
}

std::u16string Array::u16() const {
  if (d_->cls != ClassId::Char) return {};
  std::u16string out;
  out.reserve(d_->re.size() + d_->rows);
  for (std::size_t r = 0; r < d_->rows; ++r) {
    if (r > 0) out += u'\n';
    for (std::size_t c = 0; c < d_->cols; ++c) out += unit(d_->re[r + c * d_->rows]);
  }
  return out;
}

Array str(std::string_view utf8) {
  return charRow(utf16Of(utf8));
}
Array str(std::u16string_view text) {
  return charRow(text);
}
Array createString(std::string_view utf8) {
  return str(utf8);
}

// ---------------------------------------------------------------- number
Array num2str(const Array& v) {
  if (v.isNull()) error("Not enough input arguments.");
  if (v.isChar()) return v;
  if (v.isCell() || v.isStruct()) error("num2str needs a numeric, character or logical input.");
  const ArrayData& d = v.data();
  if (d.rows * d.cols == 0) return emptyChar();
  // Each element is formatted alone; columns are right-aligned to their
  // widest entry and separated by two spaces.
  std::vector<std::string> cellsText(d.re.size());
  std::vector<std::size_t> width(d.cols, 0);
  for (std::size_t j = 0; j < d.cols; ++j)
    for (std::size_t i = 0; i < d.rows; ++i) {
      std::string& s = cellsText[i + j * d.rows];
      s = formatElement(d, i + j * d.rows);
      width[j] = std::max(width[j], s.size());
    }
  std::vector<std::string> lines(d.rows);
  for (std::size_t i = 0; i < d.rows; ++i)
    for (std::size_t j = 0; j < d.cols; ++j) {
      const std::string& s = cellsText[i + j * d.rows];
      if (j > 0) lines[i] += "  ";
      lines[i].append(width[j] - s.size(), ' ');
      lines[i] += s;
    }
  if (d.rows == 1) return str(lines[0]);
  const std::size_t cols = lines[0].size();
  ArrayData out;
  out.cls = ClassId::Char;
  out.rows = d.rows;
  out.cols = cols;
  out.re.resize(d.rows * cols);
  for (std::size_t i = 0; i < d.rows; ++i)
    for (std::size_t j = 0; j < cols; ++j)
      out.re[i + j * d.rows] = static_cast<unsigned char>(lines[i][j]);
  return Array(std::move(out));
}

Array str2double(const Array& t) {
  double v = std::numeric_limits<double>::quiet_NaN();
  std::u16string codes;
  if (rowCodes(t, codes) && !parseNumber(trim(codes), v))
    v = std::numeric_limits<double>::quiet_NaN();
  return scalar(v);
}

// Only number text is converted, never evaluated: a number, or numbers
// separated by blanks and/or single commas, optionally inside one pair of
// square brackets. Anything else gives [].
Array str2num(const Array& t) {
  std::u16string codes;
  if (!rowCodes(t, codes)) return emptyDouble();
  std::u16string_view s = trim(codes);
  if (!s.empty() && s.front() == u'[') {
    if (s.size() < 2 || s.back() != u']') return emptyDouble();
    s = trim(s.substr(1, s.size() - 2));
  }
  std::vector<double> values;
  std::size_t i = 0;
  bool needSeparator = false;
  while (i < s.size()) {
    std::size_t j = i;
    bool comma = false;
    while (j < s.size() && (isSpace(s[j]) || s[j] == u',')) {
      if (s[j] == u',') {
        if (comma) return emptyDouble();  // an empty element
        comma = true;
      }
      ++j;
    }
    if (j == s.size()) return emptyDouble();  // a trailing comma
    if (needSeparator && j == i) return emptyDouble();
    if (!needSeparator && comma) return emptyDouble();  // a leading comma
    std::size_t k = j;
    while (k < s.size() && !isSpace(s[k]) && s[k] != u',') ++k;
    double v = 0;
    if (!parseNumber(s.substr(j, k - j), v)) return emptyDouble();
    values.push_back(v);
    needSeparator = true;
    i = k;
  }
  if (values.empty()) return emptyDouble();
  return row(values);
}

// -------------------------------------------------------------- compare
// True when both are char arrays of one size and the same codes. With a
// cell, each element is compared and the result has the cell's size.
Array strcmp(const Array& a, const Array& b) {
  if (a.isNull() || b.isNull()) error("Not enough input arguments.");
  auto same = [](const Array& x, const Array& y) {
    if (!x.isChar() || !y.isChar() || x.rows() != y.rows() || x.cols() != y.cols()) return false;
    return std::equal(x.re().begin(), x.re().end(), y.re().begin());
  };
  if (!a.isCell() && !b.isCell()) return logicalScalar(same(a, b));
  const Array& c = a.isCell() ? a : b;
  std::vector<double> out(c.numel());
  if (a.isCell() && b.isCell()) {
    if (b.numel() == 1 || a.numel() == 1) {
      const Array& one = a.numel() == 1 ? a.cells()[0] : b.cells()[0];
      const Array& many = a.numel() == 1 ? b : a;
      out.resize(many.numel());
      for (std::size_t i = 0; i < out.size(); ++i) out[i] = same(many.cells()[i], one);
      return numbers(ClassId::Logical, many.rows(), many.cols(), std::move(out));
    }
    if (a.rows() != b.rows() || a.cols() != b.cols()) error("Cell arrays must be the same size.");
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = same(a.cells()[i], b.cells()[i]);
  } else {
    const Array& other = a.isCell() ? b : a;
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = same(c.cells()[i], other);
  }
  return numbers(ClassId::Logical, c.rows(), c.cols(), std::move(out));
}

// Compares the first n characters (in storage order) ignoring the case of
// ASCII and Latin-1 letters. False when either argument is not text, when
// n is not a whole number of at least 1, or when either text is shorter
// than n.
Array strncmpi(const Array& a, const Array& b, const Array& n) {
  if (a.isNull() || b.isNull() || n.isNull()) error("Not enough input arguments.");
  if (!a.isChar() || !b.isChar() || n.isCell() || n.isStruct() || n.numel() != 1)
    return logicalScalar(false);
  const double k = n.scalar();
  if (!(k >= 1) || k != std::floor(k) || k > static_cast<double>(a.numel()) ||
      k > static_cast<double>(b.numel()))
    return logicalScalar(false);
  const auto m = static_cast<std::size_t>(k);
  for (std::size_t i = 0; i < m; ++i)
    if (foldCase(unit(a.re()[i])) != foldCase(unit(b.re()[i]))) return logicalScalar(false);
  return logicalScalar(true);
}

Array isletter(const Array& a) {
  if (a.isNull()) error("Not enough input arguments.");
  std::vector<double> out(a.numel(), 0.0);
  if (a.isChar())
    for (std::size_t i = 0; i < out.size(); ++i) out[i] = letter(a.re()[i]) ? 1.0 : 0.0;
  return numbers(ClassId::Logical, a.rows(), a.cols(), std::move(out));
}

Array ischar(const Array& a) {
  if (a.isNull()) error("Not enough input arguments.");
  return logicalScalar(a.isChar());
}

Array isstr(const Array& a) {
  return ischar(a);
}

// ---------------------------------------------------------------- display
void printAns(Array& ans, Array v) {
  ans = std::move(v);
  std::cout << "ans =\n\n";
  if (ans.isNull()) {
  } else if (ans.isStruct()) {
    for (std::size_t i = 0; i < ans.data().fieldNames.size(); ++i) {
      const Array& f = ans.data().fieldValues[i];
      std::cout << "    " << ans.data().fieldNames[i] << ": ";
      if (f.isChar() || ((f.isNumeric() || f.isLogical()) && f.rows() <= 1))
        std::cout << (f.isChar() ? f.text() : num2str(f).text()) << '\n';
      else
        std::cout << "[" << f.rows() << "x" << f.cols() << "]\n";
    }
  } else if (ans.isCell()) {
    std::cout << "    {" << ans.rows() << "x" << ans.cols() << " cell}\n";
  } else if (ans.isChar()) {
    std::cout << ans.text() << '\n';
  } else if (ans.empty()) {
    std::cout << "     []\n";
  } else {
    const std::string t = num2str(ans).text();
    std::size_t start = 0;
    while (start <= t.size()) {
      const std::size_t end = t.find('\n', start);
      std::cout << "    " << t.substr(start, end - start) << '\n';
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  std::cout << '\n';
}

}  // namespace rt
