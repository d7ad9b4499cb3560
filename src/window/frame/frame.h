// The module frame, shared by every module of the program.
//
// A module header is the module's comment, its body's declaration and one
// line, inside the module's namespace, that declares the module:
//
//   namespace offset_impedance {
//   rt::Array body(int nargout, const rt::Array& handles);
//   FRAME_MODULE(.name = "offset_impedance", .inputs = 1, .outputs = 1, .output = "pon");
//   }
//
// The line gives the namespace the entries `call` (typed), `byName`,
// `initialize` and `terminate`, and the constant table `Def::constants`,
// which the module's .cpp defines and fills. A module with a variable
// argument list (inputs -1, or -2 for one named input before the list) is
// declared with FRAME_VARARGS_MODULE and has `callN` and `callV` as well. A
// local function `<f>` with its body `<f>_body` is declared after its module
// with FRAME_LOCAL_FUNCTION(<f>, ...) and has the entries `<f>` and
// `<f>_byName`. The attributes are the fields of frame::Attributes, written
// as designated initialisers; all but `name` have defaults. Each module may
// name its own local function table `localFunctions` (`.locals =
// &localFunctions`), defined in its .cpp.
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
#include "platform/startup/startup_record.h"

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

// What a module declares about itself.
struct Attributes {
  // In messages; a local function's is "<module>/<function>".
  std::string_view name;
  // Named inputs; -1 a variable list only, -2 one named input and a list.
  int inputs = 0;
  int outputs = 0;
  // The output variable, named when a requested output is left unset.
  std::string_view output = {};
  // The line that the argument-count messages give.
  int line = 1;
  // The name in a local function table; null: `name`.
  const char* entryName = nullptr;
  // Current while the body runs; null: the shared empty table.
  const rt::LocalFunctionTable* locals = nullptr;
};

namespace detail {

// What the frame derives from a module's attributes, and its body as the
// frame runs it.
template <class D>
struct Frame {
  static constexpr Attributes kAttributes = D::attributes;
  static constexpr int kIn = kAttributes.inputs;
  static constexpr int kOut = kAttributes.outputs;
  static constexpr int kNamed = kIn >= 0 ? kIn : (kIn == -2 ? 1 : 0);
  static constexpr bool kVarargs = kIn < 0;

  static const rt::LocalFunctionTable* locals() {
    return kAttributes.locals != nullptr ? kAttributes.locals : &noLocals;
  }

  // The module's local function table is current while the body runs, and
  // a requested output that it leaves unset is an error.
  template <class... A>
  static rt::Array runBody(int nargout, const A&... args) {
    LocalTableScope scope(locals());
    rt::Array result;
    if constexpr (kOut > 0) {
      result = D::run(nargout, args...);
    } else if constexpr (std::is_void_v<decltype(D::run(args...))>) {
      D::run(args...);
    } else {
      result = D::run(args...);
    }
    if (nargout >= 1 && kOut >= 1 && result.isNull())
      rt::validateOutputError(kAttributes.output, kAttributes.name);
    return result;
  }
};

template <std::size_t>
using ArrayArg = rt::Array;

inline int countGiven(std::initializer_list<const rt::Array*> in) {
  int n = 0;
  for (const rt::Array* a : in) n += a->isNull() ? 0 : 1;
  return n;
}

// The typed entry of a module with a fixed argument list: one parameter per
// named input, absent inputs being null arrays. One plain function, so that
// every module's `call` is taken the same way.
template <class D, class = std::make_index_sequence<Frame<D>::kNamed>>
struct FixedEntry;

template <class D, std::size_t... I>
struct FixedEntry<D, std::index_sequence<I...>> {
  using Result = std::conditional_t<(Frame<D>::kOut > 0), rt::Array, void>;

  static Result call(const ArrayArg<I>&... in) {
    ContextScope ctx(0, countGiven({&in...}));
    if constexpr (Frame<D>::kOut > 0) {
      return rt::returnValue(Frame<D>::runBody(1, in...));
    } else {
      Frame<D>::runBody(0, in...);
    }
  }
};

// The typed entries of a variable-argument module: the named input (if the
// module has one) is the first of `args`; the rest go into one cell.
template <class D>
struct VarargEntries {
  static rt::Array callN(int nargout, std::initializer_list<rt::Array> args) {
    return callSpan(nargout, std::span<const rt::Array>(args.begin(), args.size()));
  }
  static rt::Array call(std::initializer_list<rt::Array> args) { return callN(1, args); }
  static void callV(std::initializer_list<rt::Array> args) { callN(0, args); }

  static rt::Array callSpan(int nargout, std::span<const rt::Array> args) {
    constexpr auto kNamed = static_cast<std::size_t>(Frame<D>::kNamed);
    rt::Array named = (kNamed == 1 && !args.empty()) ? args[0] : rt::Array();
    rt::Array list = rt::varargin(args.subspan(std::min(args.size(), kNamed)));
    rt::Array result;
    {
      ContextScope ctx(0, static_cast<int>(args.size()));
      if constexpr (kNamed == 1)
        result = Frame<D>::runBody(nargout, named, list);
      else
        result = Frame<D>::runBody(nargout, list);
    }
    rt::destroyArray(list);
    return nargout > 0 ? rt::returnValue(std::move(result)) : rt::Array();
  }
};

template <std::size_t N, class F, std::size_t... I>
decltype(auto) applyArray(F&& f, const std::array<rt::Array, N>& a, std::index_sequence<I...>) {
  return f(a[I]...);
}

}  // namespace detail

// A module's entries, from its declaration D: D::attributes, D::run (the
// body) and, for a module with constants, D::constants.
template <class D>
struct Module : detail::Frame<D>,
                std::conditional_t<detail::Frame<D>::kVarargs, detail::VarargEntries<D>,
                                   detail::FixedEntry<D>> {
  using F = detail::Frame<D>;

  static void initialize() { D::constants.initialize(); }
  static void terminate() { D::constants.terminate(); }

  static rt::FunctionEntry entry() {
    const rt::LocalFunctionTable* l = F::locals();
    const char* name =
        F::kAttributes.entryName != nullptr ? F::kAttributes.entryName : F::kAttributes.name.data();
    return {name, &byName, F::kIn, F::kOut, l->entries.empty() ? nullptr : l};
  }

  // Call-by-name entry, used by the runtime and listed in function tables.
  static void byName(int nargout, std::span<rt::Array> outputs, std::span<const rt::Array> inputs) {
    if (nargout > F::kOut)
      rt::error(countMessage(F::kAttributes.name, F::kAttributes.line, "outputs", F::kOut));
    if constexpr (!F::kVarargs) {
      if (inputs.size() > static_cast<std::size_t>(F::kIn))
        rt::error(countMessage(F::kAttributes.name, F::kAttributes.line, "inputs", F::kIn));
    }
    constexpr auto kNamed = static_cast<std::size_t>(F::kNamed);
    std::array<rt::Array, kNamed> named{};
    for (std::size_t i = 0; i < named.size() && i < inputs.size(); ++i) named[i] = inputs[i];
    rt::Array result;
    {
      ContextScope ctx(nargout, static_cast<int>(inputs.size()));
      if constexpr (F::kVarargs) {
        rt::Array list = rt::createVararginCell(inputs.subspan(std::min(inputs.size(), kNamed)));
        if constexpr (kNamed == 1)
          result = F::runBody(nargout, named[0], list);
        else
          result = F::runBody(nargout, list);
        rt::destroyArray(list);
      } else {
        result = detail::applyArray([&](const auto&... a) { return F::runBody(nargout, a...); },
                                    named, std::make_index_sequence<kNamed>());
      }
    }
    if constexpr (F::kOut > 0) {
      if (!outputs.empty()) outputs[0] = std::move(result);
    }
  }
};

// The program's modules in the order in which the runtime lists them by name
// and initialises them; both of its tables come from this one list.
template <class... Ms>
struct ModuleList {
  static constexpr std::size_t kSize = sizeof...(Ms);

  static std::array<rt::FunctionEntry, kSize> functionTable() { return {Ms::entry()...}; }

  // The modules' pairs after `first` (the runtime libraries'), since modules
  // are initialised after the libraries they call.
  template <std::size_t L>
  static constexpr std::array<rt::InitTermPair, L + kSize> initTermTable(
      const std::array<rt::InitTermPair, L>& first) {
    std::array<rt::InitTermPair, L + kSize> all{};
    std::copy(first.begin(), first.end(), all.begin());
    const std::array<rt::InitTermPair, kSize> modules = {{{&Ms::initialize, &Ms::terminate}...}};
    std::copy(modules.begin(), modules.end(), all.begin() + L);
    return all;
  }
};

}  // namespace frame

// The entries shared by both kinds of module (see the file's opening). The
// local function table is declared for every module so that its attributes
// can name it; only a module that names it defines it.
#define FRAME_MODULE_COMMON_(...)                                 \
  extern const ::rt::LocalFunctionTable localFunctions;           \
  struct Def {                                                    \
    static constexpr ::frame::Attributes attributes{__VA_ARGS__}; \
    static constexpr auto run = &body;                            \
    static ::frame::ConstantTable constants;                      \
  };                                                              \
  using M = ::frame::Module<Def>;                                 \
  inline constexpr auto& call = M::call;                          \
  inline constexpr auto& byName = M::byName;                      \
  inline constexpr auto& initialize = M::initialize;              \
  inline constexpr auto& terminate = M::terminate

#define FRAME_MODULE(...)            \
  FRAME_MODULE_COMMON_(__VA_ARGS__); \
  static_assert(!M::kVarargs, "a variable argument list needs FRAME_VARARGS_MODULE")

#define FRAME_VARARGS_MODULE(...)                                         \
  FRAME_MODULE_COMMON_(__VA_ARGS__);                                      \
  static_assert(M::kVarargs, "a fixed argument list needs FRAME_MODULE"); \
  inline constexpr auto& callN = M::callN;                                \
  inline constexpr auto& callV = M::callV

#define FRAME_LOCAL_FUNCTION(f, ...)                              \
  struct f##_Def {                                                \
    static constexpr ::frame::Attributes attributes{__VA_ARGS__}; \
    static constexpr auto run = &f##_body;                        \
  };                                                              \
  inline constexpr auto& f = ::frame::Module<f##_Def>::call;      \
  inline constexpr auto& f##_byName = ::frame::Module<f##_Def>::byName
