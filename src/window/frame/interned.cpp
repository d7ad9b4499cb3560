// Interning keys a value by its kind and exact bits, so 0 and -0, or two
// numbers that print alike, stay two constants.
#include "window/frame/interned.h"

#include <bit>
#include <cstdint>

namespace frame {
namespace {

std::string bits(double v) {
  return std::to_string(std::bit_cast<std::uint64_t>(v));
}

}  // namespace

const rt::Array& InternedConstants::text(std::string_view s) {
  return find("s" + std::string(s), [&] { return &table_.string(s); });
}

const rt::Array& InternedConstants::number(double v) {
  return find("n" + bits(v), [&] { return &table_.number(v); });
}

const rt::Array& InternedConstants::matrix(std::size_t rows, std::size_t cols,
                                           std::vector<double> byColumns) {
  std::string key = "v" + std::to_string(rows) + "x" + std::to_string(cols);
  for (double d : byColumns) key += ":" + bits(d);
  return find(key, [&] { return &table_.vector(rows, cols, std::move(byColumns)); });
}

const rt::Array& InternedConstants::cell(const std::vector<std::string_view>& texts) {
  std::string key = "c";
  std::vector<const rt::Array*> items;
  for (std::string_view t : texts) {
    key += "|" + std::string(t);
    items.push_back(&text(t));
  }
  return find(key, [&] {
    return &table_.add([items] {
      std::vector<rt::Array> elements;
      for (const rt::Array* i : items) elements.push_back(*i);
      return rt::initializeCell(std::move(elements));
    });
  });
}

}  // namespace frame
