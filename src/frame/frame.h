// The module frame, shared by every module of the program.
//
// A module declares a Def with its name, declared input and output counts,
// constant table, local function table and body, and takes its entries from
// frame::Module<Def>:
//
//   namespace offset_impedance {
//   rt::Array body(int nargout, const rt::Array& handles);
//   struct Def {
//     static constexpr std::string_view name = "offset_impedance";
//     static constexpr int inputs = 1, outputs = 1;
//     static constexpr std::string_view output = "pon";
//     static constexpr auto body = &offset_impedance::body;
//     static frame::ConstantTable constants;
//   };
//   using M = frame::Module<Def>;
//   inline constexpr auto& call = M::call;  ... byName, initialize, terminate
//   }
//
// Optional members of Def: `line` (default 1), `entryName` (the name in a
// local function table, default `name`), `locals` (a LocalFunctionTable*).
//
// Bodies: a module with outputs takes `int nargout` first; then one
// `const rt::Array&` per named input; variable-argument modules take the
// packed argument cell last. A body returns its output (rt::Array), or void
// when the module has no output.
#pragma once

#include <algorithm>
#include <array>
#include <cstddef>
#include <deque>
#include <functional>
#include <initializer_list>
#include <span>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <utility>
#include <vector>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"

namespace frame {

// ------------------------------------------------------------ constants
// An ordered table of a module's constants: created in order by
// initialize(), destroyed in reverse order by terminate(). Each add() gives
// the slot that holds the constant (null until initialisation).
class ConstantTable {
 public:
  const rt::Array& add(std::function<rt::Array()> make);
  const rt::Array& number(double v);
  const rt::Array& string(std::string_view utf8);
  const rt::Array& vector(std::size_t rows, std::size_t cols, std::vector<double> byColumns);
  const rt::Array& empty();  // the 0x0 double array

  void initialize();
  void terminate();
  std::size_t size() const { return slots_.size(); }
  const rt::Array& at(std::size_t i) const { return slots_[i].value; }

 private:
  struct Slot {
    std::function<rt::Array()> make;
    rt::Array value;
  };
  std::deque<Slot> slots_;
};

// --------------------------------------------------------- named variables
// A variable of a body. Reading it while it holds no value raises the
// runtime's undefined-variable error naming it (kind 0 inputs, 1 locals).
class Var {
 public:
  explicit Var(std::string_view name, int kind = 1) : name_(name), kind_(kind) {}
  Var(std::string_view name, int kind, rt::Array value)
      : name_(name), kind_(kind), value_(std::move(value)) {}
  Var(const Var&) = delete;
  Var& operator=(const Var&) = delete;

  Var& operator=(rt::Array v) {
    value_ = std::move(v);
    return *this;
  }
  operator const rt::Array&() const { return get(); }  // NOLINT: reads check definition
  const rt::Array& get() const {
    if (value_.isNull()) rt::validateError(kind_, name_);
    return value_;
  }
  bool isSet() const { return !value_.isNull(); }
  const rt::Array& raw() const { return value_; }
  rt::Array take() { return std::move(value_); }
  std::string_view name() const { return name_; }

 private:
  std::string_view name_;
  int kind_;
  rt::Array value_;
};

// A private copy of a named input.
inline Var input(std::string_view name, const rt::Array& given) {
  return Var(name, 0, rt::copyArray(given));
}

// "Run-time Error: File: <f> Line: <l> Column: 1 The function "<f>" was
// called with more than the declared number of <kind> (<count>)."
std::string countMessage(std::string_view function, int line, std::string_view kind, int count);

// Scoped process-wide state that the frame switches in strict nesting.
class ContextScope {
 public:
  ContextScope(int nargout, int nargin) { rt::enterNewContext(nargout, nargin); }
  ~ContextScope() { rt::restorePreviousContext(); }
  ContextScope(const ContextScope&) = delete;
  ContextScope& operator=(const ContextScope&) = delete;
};

class LocalTableScope {
 public:
  explicit LocalTableScope(const rt::LocalFunctionTable* t)
      : saved_(rt::setCurrentLocalFunctionTable(t)) {}
  ~LocalTableScope() { rt::setCurrentLocalFunctionTable(saved_); }
  LocalTableScope(const LocalTableScope&) = delete;
  LocalTableScope& operator=(const LocalTableScope&) = delete;

 private:
  const rt::LocalFunctionTable* saved_;
};

extern const rt::LocalFunctionTable noLocals;

namespace detail {
template <class D>
constexpr int line() {
  if constexpr (requires { D::line; })
    return D::line;
  else
    return 1;
}
template <class D>
constexpr const char* entryName() {
  if constexpr (requires { D::entryName; })
    return D::entryName;
  else
    return D::name.data();
}
template <class D>
const rt::LocalFunctionTable* locals() {
  if constexpr (requires { D::locals; })
    return D::locals;
  else
    return &noLocals;
}
template <std::size_t N, class F, std::size_t... I>
decltype(auto) applyArray(F&& f, const std::array<rt::Array, N>& a, std::index_sequence<I...>) {
  return f(a[I]...);
}
inline int countGiven(std::initializer_list<const rt::Array*> in) {
  int n = 0;
  for (const rt::Array* a : in) n += a->isNull() ? 0 : 1;
  return n;
}
}  // namespace detail

template <class D>
struct Module {
  static constexpr int kIn = D::inputs;
  static constexpr int kOut = D::outputs;
  static constexpr int kNamed = kIn >= 0 ? kIn : (kIn == -2 ? 1 : 0);
  static constexpr bool kVarargs = kIn < 0;

  static void initialize() { D::constants.initialize(); }
  static void terminate() { D::constants.terminate(); }

  static rt::FunctionEntry entry() {
    const rt::LocalFunctionTable* l = detail::locals<D>();
    return {detail::entryName<D>(), &byName, kIn, kOut,
            (l == nullptr || l->entries.empty()) ? nullptr : l};
  }

  // The body as the frame runs it: the module's local function table is
  // current while it runs, and a requested output that it leaves unset is
  // an error.
  template <class... A>
  static rt::Array runBody(int nargout, const A&... args) {
    LocalTableScope scope(detail::locals<D>());
    rt::Array result;
    if constexpr (kOut > 0) {
      result = D::body(nargout, args...);
    } else if constexpr (std::is_void_v<decltype(D::body(args...))>) {
      D::body(args...);
    } else {
      result = D::body(args...);
    }
    if (nargout >= 1 && kOut >= 1 && result.isNull()) rt::validateOutputError(D::output, D::name);
    return result;
  }

  // Typed entry of a module with a fixed argument list; absent inputs are
  // null arrays.
  template <class... A>
    requires(!kVarargs && sizeof...(A) == static_cast<std::size_t>(kNamed))
  static auto call(const A&... in) {
    ContextScope ctx(0, detail::countGiven({&in...}));
    if constexpr (kOut > 0) {
      return rt::returnValue(runBody(1, in...));
    } else {
      runBody(0, in...);
    }
  }

  // Typed entries of a variable-argument module: the named input (if the
  // module has one) is the first of `args`; the rest go into one cell.
  static rt::Array callN(int nargout, std::initializer_list<rt::Array> args)
    requires kVarargs
  {
    return callSpan(nargout, std::span<const rt::Array>(args.begin(), args.size()));
  }
  static rt::Array call(std::initializer_list<rt::Array> args)
    requires kVarargs
  {
    return callN(1, args);
  }
  static void callV(std::initializer_list<rt::Array> args)
    requires kVarargs
  {
    callN(0, args);
  }
  static rt::Array callSpan(int nargout, std::span<const rt::Array> args)
    requires kVarargs
  {
    rt::Array named = (kNamed == 1 && !args.empty()) ? args[0] : rt::Array();
    std::span<const rt::Array> rest =
        args.subspan(std::min<std::size_t>(args.size(), static_cast<std::size_t>(kNamed)));
    rt::Array list = rt::varargin(rest);
    rt::Array result;
    {
      ContextScope ctx(0, static_cast<int>(args.size()));
      if constexpr (kNamed == 1)
        result = runBody(nargout, named, list);
      else
        result = runBody(nargout, list);
    }
    rt::destroyArray(list);
    return nargout > 0 ? rt::returnValue(std::move(result)) : rt::Array();
  }

  // Call-by-name entry, used by the runtime and listed in function tables.
  static void byName(int nargout, std::span<rt::Array> outputs, std::span<const rt::Array> inputs) {
    if (nargout > kOut) rt::error(countMessage(D::name, detail::line<D>(), "outputs", kOut));
    if constexpr (!kVarargs) {
      if (inputs.size() > static_cast<std::size_t>(kIn))
        rt::error(countMessage(D::name, detail::line<D>(), "inputs", kIn));
    }
    std::array<rt::Array, kNamed> named{};
    for (std::size_t i = 0; i < named.size() && i < inputs.size(); ++i) named[i] = inputs[i];
    rt::Array result;
    {
      ContextScope ctx(nargout, static_cast<int>(inputs.size()));
      if constexpr (kVarargs) {
        rt::Array list = rt::createVararginCell(
            inputs.subspan(std::min<std::size_t>(inputs.size(), static_cast<std::size_t>(kNamed))));
        if constexpr (kNamed == 1)
          result = runBody(nargout, named[0], list);
        else
          result = runBody(nargout, list);
        rt::destroyArray(list);
      } else {
        result = detail::applyArray(
            [&](const auto&... a) { return runBody(nargout, a...); }, named,
            std::make_index_sequence<kNamed>());
      }
    }
    if constexpr (kOut > 0) {
      if (!outputs.empty()) outputs[0] = std::move(result);
    }
  }
};

}  // namespace frame
