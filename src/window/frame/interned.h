// A module's constants made once per distinct value: a module whose body
// passes the same text, number or row in many places (a window built from
// tables) asks for each value where it is used and gets one constant of its
// table for all of them.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "window/frame/frame.h"

namespace frame {

class InternedConstants {
 public:
  explicit InternedConstants(ConstantTable& table) : table_(table) {}

  const rt::Array& text(std::string_view s);
  const rt::Array& number(double v);
  const rt::Array& matrix(std::size_t rows, std::size_t cols, std::vector<double> byColumns);
  const rt::Array& cell(const std::vector<std::string_view>& texts);  // 1-by-N

 private:
  // The constant of this key; `add` puts it in the table when it is new.
  template <class Add>
  const rt::Array& find(const std::string& key, Add add) {
    auto [it, fresh] = seen_.try_emplace(key, nullptr);
    if (fresh) it->second = add();
    return *it->second;
  }

  ConstantTable& table_;
  std::map<std::string, const rt::Array*> seen_;
};

}  // namespace frame
