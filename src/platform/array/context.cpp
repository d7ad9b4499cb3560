// Errors, warnings, call contexts, variable release and library lifecycle.
#include <iostream>
#if defined(__GLIBC__)
#include <malloc.h>
#endif
#include <utility>
#include <vector>

#include "platform/array/array.h"

namespace rt {

namespace {

struct Context {
  int nargout;
  int nargin;
};

// Process-wide state of the runtime; one thread uses it.
struct State {
  std::vector<Context> contexts;
  const LocalFunctionTable* localTable = nullptr;
  bool warningsOn = true;
  std::function<void(const Array&)> destroyObserver;
};

State& state() {
  static State s;
  return s;
}

}  // namespace

// ---------------------------------------------------------------- errors
void error(const Array& msg) {
  if (msg.isNull() || msg.empty()) return;
  if (!msg.isChar()) error(std::string_view("Error messages must be text."));
  throw Error(msg.text());
}

void error(std::string_view msg) {
  throw Error(std::string(msg));
}

void validateError(int kind, std::string_view name) {
  const std::string n(name);
  if (kind == 0) throw Error("Input argument \"" + n + "\" is undefined.");
  throw Error("Variable \"" + n + "\" is undefined.");
}

void validateOutputError(std::string_view output, std::string_view function) {
  throw Error("Output argument \"" + std::string(output) + "\" was not set by the function \"" +
              std::string(function) + "\".");
}

void reportError(const std::exception& e) {
  std::cerr << e.what() << '\n';
}

void warning(const Array& msg) {
  if (msg.isNull() || msg.empty()) return;
  const std::string text = msg.isChar() ? msg.text() : std::string();
  if (text == "off") {
    state().warningsOn = false;
    return;
  }
  if (state().warningsOn) std::cerr << "Warning: " << text << '\n';
}

bool warningsEnabled() {
  return state().warningsOn;
}

Array nargchk(const Array& low, const Array& high, const Array& count) {
  if (low.isNull() || high.isNull() || count.isNull()) error("Not enough input arguments.");
  const double n = count.scalar();
  if (n < low.scalar()) return str("Not enough input arguments.");
  if (n > high.scalar()) return str("Too many input arguments.");
  return emptyDouble();
}

// ---------------------------------------------------------------- values
void destroyArray(Array& a) {
  if (state().destroyObserver) state().destroyObserver(a);
  a = Array();
}

void assignAns(Array& ans, Array value) {
  ans = std::move(value);
}

void setDestroyObserver(std::function<void(const Array&)> observer) {
  state().destroyObserver = std::move(observer);
}

// ----------------------------------------------------------- call frames
const LocalFunctionTable* setCurrentLocalFunctionTable(const LocalFunctionTable* table) {
  return std::exchange(state().localTable, table);
}

const LocalFunctionTable* currentLocalFunctionTable() {
  return state().localTable;
}

void enterNewContext(int nargout, int nargin) {
  state().contexts.push_back({nargout, nargin});
}

// An unmatched restore leaves the (empty) stack as it is.
void restorePreviousContext() {
  if (!state().contexts.empty()) state().contexts.pop_back();
}

int nargin() {
  return state().contexts.empty() ? 0 : state().contexts.back().nargin;
}
int nargout() {
  return state().contexts.empty() ? 0 : state().contexts.back().nargout;
}
std::size_t contextDepth() {
  return state().contexts.size();
}

// ------------------------------------------------------------- lifecycle
namespace {
// Grid operations allocate and free blocks of tens of kilobytes one after
// the other. By default glibc hands free memory at the top of the heap back
// to the system as soon as 128 KiB are free there, and the next operation
// then faults the same pages in afresh, which cost more than the arithmetic.
// Freed memory is kept up to the sizes below instead; blocks that large are
// rarer than the grids, and still come from the system directly.
void keepFreedMemory() {
#if defined(__GLIBC__)
  mallopt(M_MMAP_THRESHOLD, 16 << 20);
  mallopt(M_TRIM_THRESHOLD, 64 << 20);
#endif
}
}  // namespace

void arrayLibraryInitialize() {
  keepFreedMemory();
  State& s = state();
  s.contexts.clear();
  s.localTable = nullptr;
  s.warningsOn = true;
}

// The destroy observer belongs to the test that installed it and is kept.
void arrayLibraryTerminate() {
  State& s = state();
  s.contexts.clear();
  s.contexts.shrink_to_fit();
  s.localTable = nullptr;
}

}  // namespace rt
