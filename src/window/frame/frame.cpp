#include "window/frame/frame.h"

namespace frame {

const rt::LocalFunctionTable noLocals{};

const rt::Array& ConstantTable::add(std::function<rt::Array()> make) {
  slots_.push_back(Slot{std::move(make), rt::Array()});
  return slots_.back().value;
}

const rt::Array& ConstantTable::number(double v) {
  return add([v] { return rt::initializeDouble(v); });
}

const rt::Array& ConstantTable::string(std::string_view utf8) {
  return add([s = std::string(utf8)] { return rt::initializeString(s); });
}

const rt::Array& ConstantTable::vector(std::size_t rows, std::size_t cols,
                                       std::vector<double> byColumns) {
  return add(
      [rows, cols, d = std::move(byColumns)] { return rt::initializeDoubleVector(rows, cols, d); });
}

const rt::Array& ConstantTable::empty() {
  return add([] { return rt::initializeDoubleVector(0, 0, {}); });
}

void ConstantTable::initialize() {
  for (Slot& s : slots_) s.value = s.make();
}

void ConstantTable::terminate() {
  // Reverse iterators rather than a reversed view: clang (the fuzz builds)
  // does not take libstdc++'s views of a deque.
  for (auto s = slots_.rbegin(); s != slots_.rend(); ++s) rt::destroyArray(s->value);
}

std::string countMessage(std::string_view function, int line, std::string_view kind, int count) {
  std::string f(function);
  return "Run-time Error: File: " + f + " Line: " + std::to_string(line) +
         " Column: 1 The function \"" + f + "\" was called with more than the declared number of " +
         std::string(kind) + " (" + std::to_string(count) + ").";
}

}  // namespace frame
