// The object store: creation, deletion, property reads and writes with their
// side effects, root defaults and application data.
#include <algorithm>
#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt::gfx::detail {

namespace {

// Non-integer handles: a counter plus this fraction (exact in binary).
constexpr double kHandleFraction = 0.000732421875;

State& raw() {
  static State s;
  return s;
}

const TypeDef& rootType() {
  return typeDef("root");
}

// ---------------------------------------------------- root default names
struct DefaultName {
  const TypeDef* type;
  std::size_t index;
};

// "default<type><Property>", matched without regard to case; the property
// may be abbreviated.
std::optional<DefaultName> parseDefaultName(std::string_view name) {
  constexpr std::string_view kPrefix = "default";
  if (name.size() <= kPrefix.size() || !iequals(name.substr(0, kPrefix.size()), kPrefix))
    return std::nullopt;
  std::string_view rest = name.substr(kPrefix.size());
  for (const TypeDef* t : objectTypes()) {
    if (rest.size() > t->name.size() && iequals(rest.substr(0, t->name.size()), t->name)) {
      auto i = tryResolve(*t, rest.substr(t->name.size()));
      if (i && t->props[*i].hasDefault()) return DefaultName{t, *i};
      return std::nullopt;
    }
  }
  return std::nullopt;
}

std::string defaultCanonical(const DefaultName& d) {
  return "default" + std::string(d.type->name) + std::string(d.type->props[d.index].name);
}

double allocateHandle(const TypeDef& t, bool integerHandle) {
  State& s = raw();
  if (t.name == "figure" && integerHandle) {
    for (double n = 1;; ++n)
      if (!s.objects.contains(n)) return n;
  }
  s.counter += 1;
  return s.counter + kHandleFraction;
}

// The type a parent of `t` must have.
std::string_view parentTypeFor(const TypeDef& t) {
  if (t.name == "figure") return "root";
  if (t.name == "axes" || t.name == "uicontrol") return "figure";
  return "axes";
}

double checkParent(const TypeDef& t, const Array& v) {
  const PropDef& p = t.props[t.at("Parent")];
  const std::string_view want = parentTypeFor(t);
  const std::string expected = want == "root"
                                   ? std::string("the root (0)")
                                   : (want == "axes" ? std::string("the handle of an axes")
                                                     : "the handle of a " + std::string(want));
  if (v.isNull() || !(v.isNumeric() || v.isLogical()) || v.numel() != 1 || v.isComplex())
    badValue(t, p, expected);
  const double h = v.re()[0];
  const Object* o = find(h);
  if (o == nullptr || o->type->name != want) badValue(t, p, expected);
  return h;
}

void removeChild(Object& parent, double h) {
  auto& c = parent.children;
  c.erase(std::remove(c.begin(), c.end(), h), c.end());
}

// The newest child of `o` of the given type, or NaN.
double newestChild(const Object& o, std::string_view type) {
  for (auto it = o.children.rbegin(); it != o.children.rend(); ++it) {
    const Object* c = find(*it);
    if (c != nullptr && c->is(type)) return *it;
  }
  return std::nan("");
}

void assignNotify(Object& o, std::string_view canonical, Array v) {
  o.values[o.type->at(canonical)] = std::move(v);
  notify(o, canonical);
}

// After deletions: the current figure and current axes name live objects.
void repairCurrent() {
  Object& r = root();
  const Array& cf = r.value("CurrentFigure");
  if (!cf.empty() && find(cf.scalar()) == nullptr) {
    const double f = newestChild(r, "figure");
    assignNotify(r, "CurrentFigure", std::isnan(f) ? emptyDouble() : scalar(f));
  }
  for (double fh : r.children) {
    Object* f = find(fh);
    if (f == nullptr) continue;
    const Array& ca = f->value("CurrentAxes");
    if (!ca.empty()) {
      const Object* a = find(ca.scalar());
      if (a == nullptr || a->parent != fh) {
        const double n = newestChild(*f, "axes");
        assignNotify(*f, "CurrentAxes", std::isnan(n) ? emptyDouble() : scalar(n));
      }
    }
  }
}

void unfileTag(Object& o) {
  if (!o.filedTag) return;
  auto it = raw().byTag.find(*o.filedTag);
  if (it != raw().byTag.end()) {
    std::vector<double>& hs = it->second;
    hs.erase(std::remove(hs.begin(), hs.end(), o.handle), hs.end());
    if (hs.empty()) raw().byTag.erase(it);
  }
  o.filedTag.reset();
}

void destroyTree(double h) {
  State& s = raw();
  auto it = s.objects.find(h);
  if (it == s.objects.end()) return;
  const std::vector<double> kids = it->second->children;
  for (auto k = kids.rbegin(); k != kids.rend(); ++k) destroyTree(*k);
  it = s.objects.find(h);
  if (it == s.objects.end()) return;
  if (it->second->announced) {
    if (FrontEnd* fe = frontEnd()) fe->objectDeleted(h);
  }
  it = s.objects.find(h);
  if (it == s.objects.end()) return;
  if (Object* p = find(it->second->parent)) removeChild(*p, h);
  unfileTag(*it->second);
  s.objects.erase(it);
}

void reparent(Object& o, double newParent) {
  if (newParent == o.parent) return;
  const double old = o.parent;
  if (Object* p = find(old)) removeChild(*p, o.handle);
  object(newParent).children.push_back(o.handle);
  o.parent = newParent;
  o.values[o.type->at("Parent")] = scalar(newParent);
  repairCurrent();
  if (o.is("line") || o.is("surface")) {
    if (Object* a = find(old); a != nullptr && a->is("axes")) updateAutoLimits(*a);
    updateAutoLimits(object(newParent));
  }
}

void writeHandle(Object& o, const PropDef& p, const Array& v) {
  const std::string_view want = p.handleType;
  const std::string expected =
      (want == "axes" ? "the handle of an axes" : "the handle of a " + std::string(want)) +
      (p.allowEmpty ? " or []" : "");
  if (v.isNull()) badValue(*o.type, p, expected);
  if (p.allowEmpty && (v.isNumeric() || v.isLogical()) && v.empty()) {
    o.values[o.type->at(p.name)] = emptyDouble();
    return;
  }
  if (!(v.isNumeric() || v.isLogical()) || v.numel() != 1 || v.isComplex())
    badValue(*o.type, p, expected);
  const double h = v.re()[0];
  const Object* target = find(h);
  if (target == nullptr || target->type->name != want) badValue(*o.type, p, expected);
  if (p.name == "CurrentAxes" && target->parent != o.handle)
    badValue(*o.type, p, "axes of this figure");
  o.values[o.type->at(p.name)] = scalar(h);
}

// XLim -> XLimMode and the like.
std::optional<std::string> modeOf(std::string_view name) {
  if (name == "XLim" || name == "YLim" || name == "ZLim" || name == "CLim" || name == "ALim" ||
      name == "CameraPosition")
    return std::string(name) + "Mode";
  return std::nullopt;
}

bool isData(std::string_view name) {
  return name == "XData" || name == "YData" || name == "ZData" || name == "CData";
}

}  // namespace

// ------------------------------------------------------------------ state
State& state() {
  State& s = raw();
  if (!s.initialised) initialiseState();
  return s;
}

bool stateInitialised() {
  return raw().initialised;
}

void initialiseState() {
  State& s = raw();
  if (s.initialised) clearState();
  s.initialised = true;
  for (const TypeDef* t : objectTypes()) {
    std::vector<Array> d(t->props.size());
    for (std::size_t i = 0; i < t->props.size(); ++i)
      if (t->props[i].hasDefault()) d[i] = t->props[i].factory();
    s.defaults[t] = std::move(d);
  }
  const TypeDef& rt = rootType();
  auto r = std::make_unique<Object>();
  r->handle = 0;
  r->type = &rt;
  r->parent = std::nan("");
  r->values.resize(rt.props.size());
  for (std::size_t i = 0; i < rt.props.size(); ++i) r->values[i] = rt.props[i].factory();
  r->values[rt.at("Type")] = str("root");
  r->announced = true;
  fileTag(*r);
  s.objects.emplace(0.0, std::move(r));
}

void clearState() {
  State& s = raw();
  if (!s.initialised) return;
  if (Object* r = find(0)) {
    const std::vector<double> figs = r->children;
    for (auto it = figs.rbegin(); it != figs.rend(); ++it) destroyTree(*it);
  }
  s.objects.clear();
  s.byTag.clear();
  s.defaults.clear();
  s.pending.clear();
  s.callbackStack.clear();
  s.actRunning = false;
  s.counter = 0;
  s.initialised = false;
}

Object* find(double h) {
  State& s = state();
  if (std::isnan(h)) return nullptr;
  auto it = s.objects.find(h);
  return it == s.objects.end() ? nullptr : it->second.get();
}

Object& object(double h) {
  Object* o = find(h);
  if (o == nullptr) error("There is no graphics object with handle " + formatHandle(h) + ".");
  return *o;
}

Object& root() {
  return object(0);
}

double toHandle(const Array& h, std::string_view what) {
  if (h.isNull() || !(h.isNumeric() || h.isLogical()) || h.numel() != 1 || h.isComplex())
    error(std::string(what) + ": expected one graphics handle.");
  return h.re()[0];
}

std::vector<double> toHandles(const Array& h, std::string_view what) {
  if (h.isNull() || !(h.isNumeric() || h.isLogical()) || h.isComplex())
    error(std::string(what) + ": expected graphics handles.");
  std::vector<double> out(h.re().begin(), h.re().end());
  for (double x : out) object(x);
  return out;
}

// ---------------------------------------------------------------- objects
Object& createObject(const TypeDef& t, double parent, bool integerHandle) {
  State& s = state();
  Object& p = object(parent);
  const double h = allocateHandle(t, integerHandle);
  auto o = std::make_unique<Object>();
  o->handle = h;
  o->type = &t;
  o->parent = parent;
  o->values.resize(t.props.size());
  const std::vector<Array>& d = s.defaults.at(&t);
  for (std::size_t i = 0; i < t.props.size(); ++i)
    o->values[i] = d[i].isNull() ? t.props[i].factory() : d[i];
  o->values[t.at("Type")] = str(t.name);
  o->values[t.at("Parent")] = scalar(parent);
  Object& ref = *o;
  s.objects.emplace(h, std::move(o));
  p.children.push_back(h);
  fileTag(ref);
  return ref;
}

void fileTag(Object& o) {
  const Array& tag = o.value("Tag");
  std::string key = tag.isChar() ? tag.text() : std::string();
  if (o.filedTag == key) return;
  unfileTag(o);
  raw().byTag[key].push_back(o.handle);
  o.filedTag = std::move(key);
}

void announce(Object& o) {
  o.announced = true;
  if (FrontEnd* fe = frontEnd()) fe->objectCreated(o.handle);
}

void notify(const Object& o, std::string_view canonical) {
  if (!o.announced) return;
  if (FrontEnd* fe = frontEnd()) fe->propertyChanged(o.handle, std::string(canonical));
}

const Array& read(Object& o, std::size_t index) {
  const PropDef& p = o.type->props[index];
  if (p.kind == Kind::Children) {
    const std::vector<double> kids = visibleChildrenNewestFirst(o);
    o.values[index] = kids.empty() ? zeros(0, 1) : matrix(kids.size(), 1, kids);
  } else if (p.kind == Kind::Parent) {
    if (o.handle == 0 && !o.values[index].empty()) o.values[index] = emptyDouble();
  }
  return o.values[index];
}

void write(Object& o, std::size_t index, const Array& given) {
  const TypeDef& t = *o.type;
  const PropDef& p = t.props[index];
  if (p.kind == Kind::Parent) {
    if (o.handle == 0) error("The \"Parent\" property of the \"root\" object is read-only.");
    const double np = checkParent(t, given);
    if (np != o.parent) {
      reparent(o, np);
      notify(o, p.name);
    }
    return;
  }
  if (p.kind == Kind::Handle) {
    if (given.isNull()) badValue(t, p, "a handle");
    writeHandle(o, p, given);
    notify(o, p.name);
    return;
  }
  Array v = validate(t, p, given);
  o.values[index] = std::move(v);
  if (p.name == "Tag") fileTag(o);
  notify(o, p.name);
  if (auto mode = modeOf(p.name); mode && t.find(*mode)) {
    assignNotify(o, *mode, str("manual"));
  } else if (o.is("axes") && p.name.ends_with("Mode")) {
    updateAutoLimits(o);
  } else if ((o.is("line") || o.is("surface")) && isData(p.name) && o.announced) {
    // An object still being created counts once it is complete: its creator
    // fits the limits then, not at each of its data arrays.
    if (Object* a = find(o.parent); a != nullptr && a->is("axes")) updateAutoLimits(*a);
  }
}

void writePairs(Object& o, std::span<const Array> pairs) {
  const std::size_t n = givenPairs(pairs, "Property names and values must come in pairs.");
  for (std::size_t i = 0; i < n; i += 2) {
    auto name = textOf(pairs[i]);
    if (!name) error("Property names must be strings.");
    if (o.handle == 0) {
      if (auto d = parseDefaultName(*name)) {
        const PropDef& p = d->type->props[d->index];
        state().defaults[d->type][d->index] = validate(*d->type, p, pairs[i + 1]);
        notify(o, defaultCanonical(*d));
        continue;
      }
    }
    write(o, resolve(*o.type, *name), pairs[i + 1]);
  }
}

double createWith(std::string_view type, std::span<const Array> pairs,
                  const std::function<double()>& defaultParent) {
  const TypeDef& t = typeDef(type);
  const std::size_t n = givenPairs(pairs, "Property names and values must come in pairs.");
  std::vector<std::size_t> idx;
  std::optional<double> parent;
  bool integerHandle = true;
  const std::size_t parentIndex = t.at("Parent");
  for (std::size_t i = 0; i < n; i += 2) {
    auto name = textOf(pairs[i]);
    if (!name) error("Property names must be strings.");
    const std::size_t k = resolve(t, *name);
    idx.push_back(k);
    if (k == parentIndex) parent = checkParent(t, pairs[i + 1]);
    if (t.name == "figure" && t.props[k].name == "IntegerHandle")
      integerHandle = validate(t, t.props[k], pairs[i + 1]).text() == "on";
  }
  const double par = parent ? *parent : defaultParent();
  Object& o = createObject(t, par, integerHandle);
  const double h = o.handle;
  std::vector<double> labels;
  try {
    if (t.name == "axes") {
      const std::array<std::string_view, 4> names = {"Title", "XLabel", "YLabel", "ZLabel"};
      for (std::size_t j = 0; j < names.size(); ++j) {
        Object& label = createObject(typeDef("text"), h);
        label.values[label.type->at("HandleVisibility")] = str("off");
        label.values[label.type->at("HorizontalAlignment")] = str(j == 3 ? "right" : "center");
        label.values[label.type->at("VerticalAlignment")] =
            str(j == 0 ? "bottom" : (j == 1 ? "cap" : (j == 2 ? "bottom" : "middle")));
        if (j == 2) label.values[label.type->at("Rotation")] = scalar(90);
        labels.push_back(label.handle);
        object(h).values[t.at(names[j])] = scalar(label.handle);
      }
    }
    for (std::size_t i = 0; i < n; i += 2) {
      if (idx[i / 2] == parentIndex) continue;
      write(object(h), idx[i / 2], pairs[i + 1]);
    }
  } catch (...) {
    destroyTree(h);
    throw;
  }
  announce(object(h));
  for (double l : labels)
    if (Object* lo = find(l)) announce(*lo);
  return h;
}

// Whether the tree of `o` holds an object that CurrentFigure or a figure's
// CurrentAxes may name: deleting one that does not (a line, a label) leaves
// every current object standing, and with many figures open the repair
// walks them all.
bool holdsCurrent(const Object& o) {
  if (o.is("figure") || o.is("axes")) return true;
  return std::any_of(o.children.begin(), o.children.end(), [](double c) {
    const Object* child = find(c);
    return child != nullptr && holdsCurrent(*child);
  });
}

void destroy(double h) {
  if (h == 0) error("The root object cannot be deleted.");
  Object& o = object(h);
  const bool wasFigure = o.is("figure");
  const double parent = o.parent;
  const bool data = o.is("line") || o.is("surface");
  const bool current = holdsCurrent(o);
  destroyTree(h);
  if (current) repairCurrent();
  if (data) {
    if (Object* a = find(parent); a != nullptr && a->is("axes")) updateAutoLimits(*a);
  }
  if (wasFigure && gfx::figures().empty()) notifyAllFiguresClosed();
}

void resetAxes(Object& ax) {
  const TypeDef& t = *ax.type;
  const std::vector<Array>& d = state().defaults.at(&t);
  for (std::size_t i = 0; i < t.props.size(); ++i) {
    const PropDef& p = t.props[i];
    if (!p.hasDefault() || p.name == "Position" || p.name == "Units" || p.name == "OuterPosition")
      continue;
    if (ax.values[i].id() == d[i].id()) continue;
    ax.values[i] = d[i];
    if (p.name == "Tag") fileTag(ax);
    notify(ax, p.name);
  }
  updateAutoLimits(ax);
}

}  // namespace rt::gfx::detail

// ================================================================ public API
namespace rt {

using namespace gfx::detail;

void graphicsLibraryInitialize() {
  initialiseState();
}

void graphicsLibraryTerminate() {
  clearState();
}

Array get(const Array& h, const Array& name) {
  auto n = textOf(name);
  if (!n) error("Property names must be strings.");
  return get(h, *n);
}

Array get(const Array& h, std::string_view name) {
  auto one = [&](double hd) -> Array {
    Object& o = object(hd);
    if (hd == 0) {
      if (!tryResolve(*o.type, name)) {
        if (auto d = parseDefaultName(name)) return state().defaults[d->type][d->index];
      }
    }
    return read(o, resolve(*o.type, name));
  };
  if (!h.isNull() && h.isNumeric() && h.numel() != 1 && !h.isComplex()) {
    std::vector<Array> values;
    for (double hd : toHandles(h, "get")) values.push_back(one(hd));
    const std::size_t count = values.size();
    return cell(count, 1, std::move(values));
  }
  return one(toHandle(h, "get"));
}

void set(const Array& h, std::span<const Array> pairs) {
  for (double hd : toHandles(h, "set")) writePairs(object(hd), pairs);
}

void setappdata(const Array& h, const Array& name, const Array& value) {
  Object& o = object(toHandle(h, "setappdata"));
  auto n = textOf(name);
  if (!n || n->empty()) error("setappdata: the name must be a non-empty string.");
  if (value.isNull()) error("setappdata: no value given for \"" + *n + "\".");
  for (auto& [k, v] : o.appdata) {
    if (k == *n) {
      v = value;
      return;
    }
  }
  o.appdata.emplace_back(*n, value);
}

Array getappdata(const Array& h, const Array& name) {
  Object& o = object(toHandle(h, "getappdata"));
  auto n = textOf(name);
  if (!n) error("getappdata: the name must be a string.");
  for (const auto& [k, v] : o.appdata)
    if (k == *n) return v;
  return emptyDouble();
}

Array isappdata(const Array& h, const Array& name) {
  Object& o = object(toHandle(h, "isappdata"));
  auto n = textOf(name);
  if (!n) return logicalScalar(false);
  for (const auto& kv : o.appdata)
    if (kv.first == *n) return logicalScalar(true);
  return logicalScalar(false);
}

namespace gfx {

bool exists(double h) {
  return find(h) != nullptr;
}

std::string type(double h) {
  return std::string(object(h).type->name);
}

double parent(double h) {
  return object(h).parent;
}

std::vector<double> children(double h) {
  return object(h).children;
}

std::vector<double> figures() {
  std::vector<double> out;
  for (double f : root().children)
    if (find(f) != nullptr) out.push_back(f);
  return out;
}

const Array& prop(double h, std::string_view name) {
  Object& o = object(h);
  if (h == 0 && !tryResolve(*o.type, name)) {
    if (auto d = parseDefaultName(name)) return state().defaults[d->type][d->index];
  }
  return read(o, resolve(*o.type, name));
}

Array handleArray(double h) {
  return scalar(h);
}

void deleteObject(double h) {
  destroy(h);
}

}  // namespace gfx
}  // namespace rt

// ------------------------------------------------- hooks for additions
namespace rt {

Array text(std::initializer_list<Array> pairs) {
  using namespace gfx::detail;
  return scalar(createWith("text", std::span<const Array>(pairs.begin(), pairs.size()),
                           [] { return gca().scalar(); }));
}

}  // namespace rt
