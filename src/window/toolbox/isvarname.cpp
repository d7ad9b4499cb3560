// isvarname: whether a value can serve as a field (variable) name. The
// verdict on a character row depends on its characters alone, and guihandles
// asks it about the same few tags on every slider act, so verdicts on rows
// are kept by their characters.
#include "window/toolbox/isvarname.h"

#include <cstring>
#include <string>
#include <unordered_map>

#include "window/toolbox/iskeyword.h"

namespace isvarname {

frame::ConstantTable Def::constants;
constinit const rt::LocalFunctionTable localFunctions{};

namespace {
const rt::Array& kOne = Def::constants.number(1);
const rt::Array& kUnderscore = Def::constants.string("_");
const rt::Array& kZero = Def::constants.string("0");
const rt::Array& kNine = Def::constants.string("9");

// The longest name that is accepted; one character more is refused.
constexpr std::size_t kMaxNameLength = 63;

// Verdicts kept; past this many distinct rows the store starts afresh, so
// a program making names without end cannot grow it without end.
constexpr std::size_t kMostVerdicts = 4096;

// The exact characters of a character row (the bits of its stored codes,
// so that any two rows with one key are the same row), or "" when `s` is no
// non-empty character row and its verdict is not kept.
std::string rowKey(const rt::Array& s) {
  if (s.isNull() || !s.isChar() || s.rows() != 1 || s.empty()) return {};
  std::span<const double> codes = s.re();
  std::string key(codes.size_bytes(), '\0');
  std::memcpy(key.data(), codes.data(), codes.size_bytes());
  return key;
}
}  // namespace

rt::Array body(int /*nargout*/, const rt::Array& sIn) {
  thread_local std::unordered_map<std::string, bool> verdicts;
  const std::string key = rowKey(sIn);
  if (!key.empty()) {
    if (auto known = verdicts.find(key); known != verdicts.end())
      return rt::logicalScalar(known->second);
  }
  frame::Var s = frame::input("s", sIn);
  frame::Var t("t");
  t = rt::and_(rt::and_(rt::ischar(s), rt::eq(rt::size(s, kOne), kOne)),
               rt::logicalScalar(rt::lengthInt(s) <= kMaxNameLength));
  // A row without characters has no first letter: not a name.
  t = rt::and_(t, rt::not_(rt::isempty(s)));
  if (rt::tobool(t)) {
    const rt::Array digit = rt::and_(rt::le(kZero, s), rt::le(s, kNine));
    t = rt::and_(rt::isletter(rt::intArrayRef1(s, 1)),
                 rt::all(rt::or_(rt::or_(rt::isletter(s), rt::eq(s, kUnderscore)), digit)));
    t = rt::and_(t, rt::not_(iskeyword::call(s)));
  }
  if (!key.empty()) {
    if (verdicts.size() >= kMostVerdicts) verdicts.clear();
    verdicts.emplace(key, rt::tobool(t));
  }
  return t.take();
}

}  // namespace isvarname
