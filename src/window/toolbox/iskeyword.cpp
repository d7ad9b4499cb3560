#include "window/toolbox/iskeyword.h"

#include <array>

namespace iskeyword {

frame::ConstantTable Def::constants;

namespace {

const std::array<const rt::Array*, 17> kWords = {
    &Def::constants.string("break"),      &Def::constants.string("case"),
    &Def::constants.string("catch"),      &Def::constants.string("continue"),
    &Def::constants.string("else"),       &Def::constants.string("elseif"),
    &Def::constants.string("end"),        &Def::constants.string("for"),
    &Def::constants.string("function"),   &Def::constants.string("global"),
    &Def::constants.string("if"),         &Def::constants.string("otherwise"),
    &Def::constants.string("persistent"), &Def::constants.string("return"),
    &Def::constants.string("switch"),     &Def::constants.string("try"),
    &Def::constants.string("while")};

const rt::Array& kList = Def::constants.add([] {
  std::vector<rt::Array> words;
  for (const rt::Array* w : kWords) words.push_back(*w);
  const std::size_t n = words.size();  // before the list is moved away
  return rt::initializeCellVector(n, 1, std::move(words));
});
}  // namespace

rt::Array body(int /*nargout*/, const rt::Array& sIn) {
  frame::Var s = frame::input("s", sIn);
  frame::Var L("L");
  L = rt::copyArray(kList);
  if (rt::nargin() >= 1) {
    std::vector<rt::Array> hits;
    for (const rt::Array& w : rt::spread(L)) hits.push_back(rt::strcmp(s, w));
    L = rt::any(rt::horzcat(hits));
  }
  return L.take();
}

}  // namespace iskeyword
