// Handle visibility, object search and the current figure and axes.
#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt::gfx::detail {

bool handleVisible(const Object& o) {
  if (o.handle == 0) return true;
  if (root().textIs("ShowHiddenHandles", "on")) return true;
  if (o.textIs("HandleVisibility", "on")) return true;
  if (o.textIs("HandleVisibility", "callback")) return gfx::callbackRunning();
  return false;
}

std::vector<double> visibleChildrenNewestFirst(const Object& o) {
  std::vector<double> out;
  for (auto it = o.children.rbegin(); it != o.children.rend(); ++it) {
    const Object* c = find(*it);
    if (c != nullptr && handleVisible(*c)) out.push_back(*it);
  }
  return out;
}

Object& figureOf(Object& o) {
  Object* p = &o;
  while (p != nullptr && !p->is("figure")) p = find(p->parent);
  if (p == nullptr) error("The object " + formatHandle(o.handle) + " is not inside a figure.");
  return *p;
}

void makeCurrentFigure(double fig) {
  Object& r = root();
  const std::size_t i = r.type->at("CurrentFigure");
  if (!r.values[i].empty() && r.values[i].scalar() == fig) return;
  r.values[i] = scalar(fig);
  notify(r, "CurrentFigure");
}

void makeCurrentAxes(Object& ax) {
  Object& f = figureOf(ax);
  const std::size_t i = f.type->at("CurrentAxes");
  if (f.values[i].empty() || f.values[i].scalar() != ax.handle) {
    f.values[i] = scalar(ax.handle);
    notify(f, "CurrentAxes");
  }
  makeCurrentFigure(f.handle);
}

double currentFigureIfVisible() {
  const Array& cf = root().value("CurrentFigure");
  if (cf.empty()) return std::nan("");
  Object* f = find(cf.scalar());
  if (f == nullptr || !handleVisible(*f)) return std::nan("");
  return f->handle;
}

namespace {

Array column(const std::vector<double>& h) {
  return h.empty() ? emptyDouble() : matrix(h.size(), 1, h);
}

bool sameValue(const PropDef& p, const Array& have, const Array& want) {
  if (have.isNull() || want.isNull()) return false;
  if (have.isChar() || want.isChar()) {
    if (!have.isChar() || !want.isChar()) return false;
    if (have.empty() && want.empty()) return true;
    if (have.rows() != want.rows() || have.cols() != want.cols()) return false;
    if (p.kind == Kind::Enum || p.kind == Kind::Type) return iequals(have.text(), want.text());
    return std::equal(have.re().begin(), have.re().end(), want.re().begin());
  }
  if ((have.isNumeric() || have.isLogical()) && (want.isNumeric() || want.isLogical())) {
    if (have.numel() != want.numel()) return false;
    if (have.numel() > 1 && (have.rows() != want.rows() || have.cols() != want.cols()))
      return false;
    if (have.isComplex() || want.isComplex()) return false;
    return std::equal(have.re().begin(), have.re().end(), want.re().begin());
  }
  return false;
}

struct Criterion {
  std::string name;
  Array value;
};

std::vector<Criterion> criteria(std::span<const Array> pairs) {
  const std::size_t n = givenPairs(pairs, "findobj: property names and values must come in pairs.");
  std::vector<Criterion> out;
  for (std::size_t i = 0; i < n; i += 2) {
    auto name = textOf(pairs[i]);
    if (!name) error("findobj: property names must be strings.");
    if (pairs[i + 1].isNull()) error("findobj: no value given for \"" + *name + "\".");
    out.push_back({*name, pairs[i + 1]});
  }
  return out;
}

bool matches(Object& o, const std::vector<Criterion>& cs) {
  for (const Criterion& c : cs) {
    auto i = tryResolve(*o.type, c.name);
    if (!i) return false;
    if (!sameValue(o.type->props[*i], read(o, *i), c.value)) return false;
  }
  return true;
}

void searchVisible(Object& o, const std::vector<Criterion>& cs, std::vector<double>& out) {
  if (matches(o, cs)) out.push_back(o.handle);
  for (double c : visibleChildrenNewestFirst(o))
    if (Object* child = find(c)) searchVisible(*child, cs, out);
}

// Whether the walk from the root reaches `o`: it and every ancestor visible.
bool reached(const Object& o) {
  const Object* at = &o;
  while (at != nullptr && at->handle != 0) {
    if (!handleVisible(*at)) return false;
    at = find(at->parent);
  }
  return at != nullptr;
}

// Where the walk from the root meets an object it reaches: its place among
// its parent's visible children (newest first) at each level from the root
// down.
std::vector<std::size_t> placeInWalk(const Object& o) {
  std::vector<std::size_t> place;
  for (const Object* at = &o; at->handle != 0;) {
    const Object& parent = object(at->parent);
    std::size_t before = 0;
    for (auto it = parent.children.rbegin(); it != parent.children.rend() && *it != at->handle;
         ++it) {
      if (const Object* c = find(*it); c != nullptr && handleVisible(*c)) ++before;
    }
    place.push_back(before);
    at = &parent;
  }
  std::reverse(place.begin(), place.end());
  return place;
}

// searchVisible for criteria that name a Tag as text: only the objects
// filed under that tag are looked at, and they come in the walk's order
// (worked out only when there are several: it counts the siblings before
// each ancestor, every open figure among them).
void searchTagged(const std::string& tag, const std::vector<Criterion>& cs,
                  std::vector<double>& out) {
  auto filed = state().byTag.find(tag);
  if (filed == state().byTag.end()) return;
  std::vector<double> hits;
  for (double h : filed->second) {
    Object* o = find(h);
    if (o != nullptr && matches(*o, cs) && reached(*o)) hits.push_back(h);
  }
  if (hits.size() < 2) {
    out.insert(out.end(), hits.begin(), hits.end());
    return;
  }
  std::vector<std::pair<std::vector<std::size_t>, double>> found;
  for (double h : hits) found.emplace_back(placeInWalk(object(h)), h);
  std::sort(found.begin(), found.end());
  for (const auto& f : found) out.push_back(f.second);
}

const Object* firstTagged(const Object& o, std::string_view tag) {
  if (o.textIs("Tag", tag)) return &o;
  for (double c : o.children) {
    if (const Object* child = find(c))
      if (const Object* hit = firstTagged(*child, tag)) return hit;
  }
  return nullptr;
}

void collectAll(const Object& o, std::vector<double>& out) {
  out.push_back(o.handle);
  for (auto it = o.children.rbegin(); it != o.children.rend(); ++it)
    if (const Object* c = find(*it)) collectAll(*c, out);
}

}  // namespace
}  // namespace rt::gfx::detail

namespace rt {

using namespace gfx::detail;

Array findobj(std::initializer_list<Array> pairs) {
  const std::vector<Criterion> cs = criteria(std::span<const Array>(pairs.begin(), pairs.size()));
  std::vector<double> out;
  auto tag = std::find_if(cs.begin(), cs.end(), [](const Criterion& c) {
    return iequals(c.name, "Tag") && c.value.isChar();
  });
  if (tag != cs.end()) {
    searchTagged(tag->value.text(), cs, out);
  } else {
    searchVisible(root(), cs, out);
  }
  return column(out);
}

Array findall(const Array& h) {
  std::vector<double> out;
  for (double hd : toHandles(h, "findall")) collectAll(object(hd), out);
  return column(out);
}

std::optional<double> findByTag(double h, std::string_view tag) {
  if (const Object* hit = firstTagged(object(h), tag)) return hit->handle;
  return std::nullopt;
}

Array gcbo() {
  const State& s = state();
  if (s.callbackStack.empty()) return emptyDouble();
  return scalar(s.callbackStack.back());
}

Array gcf() {
  const double f = currentFigureIfVisible();
  if (!std::isnan(f)) return scalar(f);
  return figure();
}

Array gca() {
  Object& f = object(gcf().scalar());
  const Array& ca = f.value("CurrentAxes");
  if (!ca.empty()) {
    if (Object* a = find(ca.scalar()); a != nullptr && a->parent == f.handle)
      return scalar(a->handle);
  }
  const double fh = f.handle;
  const double ax = createWith("axes", {}, [fh] { return fh; });
  makeCurrentAxes(object(ax));
  return scalar(ax);
}

Array ishandle(const Array& h) {
  if (h.isNull()) error("ishandle: expected an argument.");
  std::vector<double> out(h.numel(), 0.0);
  if ((h.isNumeric() || h.isLogical()) && !h.isComplex()) {
    for (std::size_t i = 0; i < h.numel(); ++i) out[i] = find(h.re()[i]) != nullptr ? 1.0 : 0.0;
  }
  return numbers(ClassId::Logical, h.rows(), h.cols(), std::move(out));
}

Array figure() {
  return figure({});
}

Array figure(std::span<const Array> pairs) {
  const double f = createWith("figure", pairs, [] { return 0.0; });
  makeCurrentFigure(f);
  return scalar(f);
}

Array axes(std::span<const Array> pairs) {
  const double ax = createWith("axes", pairs, [] { return gcf().scalar(); });
  makeCurrentAxes(object(ax));
  return scalar(ax);
}

void axes(const Array& ax) {
  Object& a = object(toHandle(ax, "axes"));
  if (!a.is("axes")) error("axes: " + formatHandle(a.handle) + " is not the handle of an axes.");
  makeCurrentAxes(a);
}

Array uicontrol(std::span<const Array> pairs) {
  const double c = createWith("uicontrol", pairs, [] { return gcf().scalar(); });
  runCreateFcn(c);
  return scalar(c);
}

}  // namespace rt
