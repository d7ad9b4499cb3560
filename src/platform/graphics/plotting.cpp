// Plotting into axes: newplot and hold, lines and surfaces, limits, grid,
// view and the label bypass.
#include <algorithm>
#include <array>
#include <cfloat>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt::gfx::detail {

namespace {

struct Range {
  double lo = INFINITY;
  double hi = -INFINITY;
  bool any() const { return lo <= hi; }
  void add(std::span<const double> v) {
    for (double x : v) {
      if (!std::isfinite(x)) continue;
      lo = std::min(lo, x);
      hi = std::max(hi, x);
    }
  }
};

struct DataRanges {
  Range x, y, z, c;
  bool surface = false;
};

DataRanges dataRanges(const Object& ax) {
  DataRanges r;
  for (double h : ax.children) {
    const Object* c = find(h);
    if (c == nullptr || !(c->is("line") || c->is("surface"))) continue;
    r.x.add(c->value("XData").re());
    r.y.add(c->value("YData").re());
    r.z.add(c->value("ZData").re());
    if (c->is("surface")) {
      r.surface = true;
      r.c.add(c->value("CData").re());
    }
  }
  return r;
}

// A non-degenerate range around one value.
std::pair<double, double> around(double v) {
  const double d = v == 0 ? 1.0 : std::abs(v) * 0.1;
  double lo = std::max(v - d, -DBL_MAX);
  double hi = std::min(v + d, DBL_MAX);
  if (!(lo < hi)) {
    lo = v - 1;
    hi = v + 1;
  }
  return {lo, hi};
}

std::pair<double, double> tightLimits(const Range& r) {
  if (!r.any()) return {0.0, 1.0};
  if (r.lo == r.hi) return around(r.lo);
  return {r.lo, r.hi};
}

// The data range widened to whole multiples of a round tick step.
std::pair<double, double> niceLimits(const Range& r) {
  if (!r.any()) return {0.0, 1.0};
  if (r.lo == r.hi) return around(r.lo);
  const double span = r.hi - r.lo;
  if (!std::isfinite(span)) return {r.lo, r.hi};
  const double rough = span / 5;
  const double mag = std::pow(10.0, std::floor(std::log10(rough)));
  double step = 10 * mag;
  for (double m : {1.0, 2.0, 5.0}) {
    if (m * mag >= rough * (1 - 1e-12)) {
      step = m * mag;
      break;
    }
  }
  const double lo = std::floor(r.lo / step + 1e-9) * step;
  const double hi = std::ceil(r.hi / step - 1e-9) * step;
  if (!std::isfinite(lo) || !std::isfinite(hi) || !(lo < hi)) return {r.lo, r.hi};
  return {std::min(lo, r.lo), std::max(hi, r.hi)};
}

void setLimits(Object& ax, std::string_view name, std::pair<double, double> lim) {
  const std::size_t i = ax.type->at(name);
  const Array& cur = ax.values[i];
  if (cur.numel() == 2 && cur.re()[0] == lim.first && cur.re()[1] == lim.second) return;
  ax.values[i] = row({lim.first, lim.second});
  notify(ax, name);
}

void setText(Object& o, std::string_view name, std::string_view value) {
  const std::size_t i = o.type->at(name);
  if (o.values[i].isChar() && o.values[i].text() == value) return;
  o.values[i] = str(value);
  if (name == "Tag") fileTag(o);
  notify(o, name);
}

Object& axesArg(const Array& ax, std::string_view what) {
  if (ax.isNull()) return object(gca().scalar());
  Object& a = object(toHandle(ax, what));
  if (!a.is("axes"))
    error(std::string(what) + ": " + formatHandle(a.handle) + " is not the handle of an axes.");
  return a;
}

// Deletes the axes' children except their title and label texts.
void clearAxesChildren(Object& ax) {
  const std::vector<double> kids = ax.children;
  for (double k : kids)
    if (!isLabelOf(ax, k) && find(k) != nullptr) destroy(k);
}

std::string option(const Array& a, std::string_view what) {
  auto s = textOf(a);
  if (!s) error(std::string(what) + ": expected a string option.");
  return lower(*s);
}

bool isVector(const Array& a) {
  return a.rows() == 1 || a.cols() == 1 || a.empty();
}

bool numbers(const Array& a) {
  return !a.isNull() && (a.isNumeric() || a.isLogical());
}

Array realRow(const Array& a) {
  std::vector<double> v(a.re().begin(), a.re().end());
  return row(v);
}

// Arrays are never changed in place: data that are real doubles already
// are kept as they are, shared with the caller (and CData with ZData when
// the colour is the height), rather than copied.
Array realMatrix(const Array& a) {
  if (a.isNumeric() && !a.isComplex()) return a;
  return matrix(a.rows(), a.cols(), a.re());
}

// Never destroyed: an addition may unregister its functions from a static
// destructor that runs after this one would have.
std::map<std::string, std::function<Array(std::span<const Array>)>, std::less<>>& natives() {
  static auto* m =
      new std::map<std::string, std::function<Array(std::span<const Array>)>, std::less<>>;
  return *m;
}

}  // namespace

bool isLabelOf(const Object& ax, double h) {
  for (std::string_view n : {"Title", "XLabel", "YLabel", "ZLabel"}) {
    const Array& v = ax.value(n);
    if (!v.empty() && v.scalar() == h) return true;
  }
  return false;
}

void updateAutoLimits(Object& ax) {
  const DataRanges r = dataRanges(ax);
  if (ax.text("XLimMode") == "auto") setLimits(ax, "XLim", niceLimits(r.x));
  if (ax.text("YLimMode") == "auto") setLimits(ax, "YLim", niceLimits(r.y));
  if (ax.text("ZLimMode") == "auto") setLimits(ax, "ZLim", niceLimits(r.z));
  if (ax.text("CLimMode") == "auto") setLimits(ax, "CLim", tightLimits(r.c));
}

const std::function<Array(std::span<const Array>)>* nativeFunction(std::string_view name) {
  auto it = natives().find(name);
  return it == natives().end() ? nullptr : &it->second;
}

}  // namespace rt::gfx::detail

namespace rt {

using namespace gfx::detail;

Array newplot() {
  Object& f = object(gcf().scalar());
  const std::string fnp = f.text("NextPlot");
  if (fnp == "replace" || fnp == "replacechildren") {
    const double fh = f.handle;
    for (double k : visibleChildrenNewestFirst(f))
      if (find(k) != nullptr) destroy(k);
    Object& fig = object(fh);
    if (fnp == "replace") {
      const std::vector<Array>& d = state().defaults.at(fig.type);
      for (std::size_t i = 0; i < fig.type->props.size(); ++i) {
        const PropDef& p = fig.type->props[i];
        if (!p.hasDefault() || p.name == "Position" || p.name == "Units" ||
            p.name == "IntegerHandle")
          continue;
        if (fig.values[i].id() == d[i].id()) continue;
        fig.values[i] = d[i];
        if (p.name == "Tag") fileTag(fig);
        notify(fig, p.name);
      }
    }
  }
  Object& ax = object(gca().scalar());
  const std::string anp = ax.text("NextPlot");
  if (anp == "replace") {
    clearAxesChildren(ax);
    for (std::string_view n : {"Title", "XLabel", "YLabel", "ZLabel"}) {
      const Array& lh = ax.value(n);
      if (lh.empty()) continue;
      if (Object* label = find(lh.scalar())) {
        label->values[label->type->at("String")] = emptyChar();
        notify(*label, "String");
      }
    }
    resetAxes(ax);
  } else if (anp == "replacechildren") {
    clearAxesChildren(ax);
  }
  return scalar(ax.handle);
}

bool ishold(const Array& ax) {
  return axesArg(ax, "ishold").text("NextPlot") == "add";
}

Array plot(const Array& x, const Array& y) {
  if (!numbers(x) || !numbers(y) || !isVector(x) || !isVector(y) || x.numel() != y.numel())
    error("plot: X and Y must be vectors of the same length.");
  const double ax = newplot().scalar();
  Object& a = object(ax);
  std::size_t lines = 0;
  for (double k : a.children)
    if (const Object* c = find(k); c != nullptr && c->is("line")) ++lines;
  const Array& order = a.value("ColorOrder");
  const std::size_t rows = order.rows();
  const std::size_t r = rows == 0 ? 0 : lines % rows;
  const Array colour = rows == 0
                           ? row({0, 0, 1})
                           : row({order.re()[r], order.re()[rows + r], order.re()[2 * rows + r]});
  Object& line = createObject(typeDef("line"), ax);
  line.values[line.type->at("XData")] = realRow(x);
  line.values[line.type->at("YData")] = realRow(y);
  line.values[line.type->at("Color")] = colour;
  announce(line);
  const double h = line.handle;
  updateAutoLimits(object(ax));
  return scalar(h);
}

void axis(const Array& opt) {
  const std::string o = option(opt, "axis");
  if (o != "tight" && o != "auto" && o != "manual")
    error("axis: unknown option \"" + (textOf(opt) ? *textOf(opt) : o) + "\".");
  Object& ax = object(gca().scalar());
  if (o == "tight") {
    const DataRanges r = dataRanges(ax);
    setLimits(ax, "XLim", tightLimits(r.x));
    setLimits(ax, "YLim", tightLimits(r.y));
    if (r.surface) setLimits(ax, "ZLim", tightLimits(r.z));
  }
  const char* mode = o == "auto" ? "auto" : "manual";
  setText(ax, "XLimMode", mode);
  setText(ax, "YLimMode", mode);
  setText(ax, "ZLimMode", mode);
  if (o == "auto") updateAutoLimits(ax);
}

void grid(const Array& onOff) {
  grid(Array(), onOff);
}

void grid(const Array& ax, const Array& onOff) {
  const std::string o = option(onOff, "grid");
  if (o != "on" && o != "off") error("grid: expected \"on\" or \"off\".");
  Object& a = axesArg(ax, "grid");
  const Array v = str(o);
  for (std::string_view n : {"XGrid", "YGrid", "ZGrid"}) write(a, a.type->at(n), v);
}

// With two arguments: (axes, 2 or 3 or [az el]) when the first names an
// axes, else (azimuth, elevation) for the current axes.
void view(const Array& first, const Array& second) {
  if (!first.isNull() && numbers(first) && first.numel() == 1) {
    if (Object* a = find(first.re()[0]); a != nullptr && a->is("axes")) {
      if (!numbers(second)) error("view: expected 2, 3 or [azimuth elevation].");
      if (second.numel() == 2) {
        view(first, scalar(second.re()[0]), scalar(second.re()[1]));
        return;
      }
      if (second.numel() == 1 && second.re()[0] == 3) {
        view(first, scalar(-37.5), scalar(30));
        return;
      }
      if (second.numel() == 1 && second.re()[0] == 2) {
        view(first, scalar(0), scalar(90));
        return;
      }
      error("view: expected 2, 3 or [azimuth elevation].");
    }
  }
  view(Array(), first, second);
}

void view(const Array& ax, const Array& az, const Array& el) {
  if (!numbers(az) || !numbers(el) || az.numel() != 1 || el.numel() != 1 ||
      !std::isfinite(az.re()[0]) || !std::isfinite(el.re()[0]))
    error("view: the azimuth and elevation must be finite numbers.");
  Object& a = axesArg(ax, "view");
  write(a, a.type->at("View"), row({az.re()[0], el.re()[0]}));
}

Array surface(std::span<const Array> args) {
  // Leading data arrays, then name/value pairs.
  std::size_t nData = 0;
  while (nData < args.size() && !args[nData].isNull() && !args[nData].isChar()) ++nData;
  std::vector<Array> data(args.begin(), args.begin() + static_cast<std::ptrdiff_t>(nData));
  for (const Array& d : data)
    if (!numbers(d)) error("surface: the data must be real numbers.");
  // Complex data are drawn by their real parts, as plot draws them (a
  // computation that went complex, e.g. through the square root of a
  // negative size, still shows its surface rather than failing after its
  // window opened).
  if (std::any_of(data.begin(), data.end(), [](const Array& d) { return d.isComplex(); }))
    warning(str("surface: the imaginary parts of complex data are ignored."));
  if (nData != 1 && nData != 3 && nData != 4)
    error("surface: expected Z, or X, Y and Z, or X, Y, Z and C before the property pairs.");
  const Array& z = nData == 1 ? data[0] : data[2];
  const std::size_t m = z.rows(), n = z.cols();
  Array x, y;
  if (nData == 1) {
    std::vector<double> xs(n), ys(m);
    for (std::size_t j = 0; j < n; ++j) xs[j] = static_cast<double>(j + 1);
    for (std::size_t i = 0; i < m; ++i) ys[i] = static_cast<double>(i + 1);
    x = row(xs);
    y = matrix(m, 1, ys);
  } else {
    x = data[0];
    y = data[1];
    const bool xOk = (x.rows() == m && x.cols() == n) || (isVector(x) && x.numel() == n);
    const bool yOk = (y.rows() == m && y.cols() == n) || (isVector(y) && y.numel() == m);
    if (!xOk || !yOk)
      error("surface: the sizes of X, Y and Z do not agree (Z is " + std::to_string(m) + "x" +
            std::to_string(n) + ", X is " + std::to_string(x.rows()) + "x" +
            std::to_string(x.cols()) + ", Y is " + std::to_string(y.rows()) + "x" +
            std::to_string(y.cols()) + ").");
  }
  const Array c = nData == 4 ? data[3] : z;
  if (c.rows() != m || c.cols() != n)
    error("surface: C must have the size of Z (" + std::to_string(m) + "x" + std::to_string(n) +
          ").");
  // The pairs; any leading part of "parent" names the parent.
  std::vector<Array> pairs(args.begin() + static_cast<std::ptrdiff_t>(nData), args.end());
  std::optional<double> parent;
  const TypeDef& t = typeDef("surface");
  for (std::size_t i = 0; i < pairs.size(); i += 2) {
    if (pairs[i].isNull()) {
      pairs.resize(i);
      break;
    }
    auto name = textOf(pairs[i]);
    if (!name) error("Property names must be strings.");
    if (!name->empty() && name->size() <= 6 &&
        iequals(*name, std::string_view("parent").substr(0, name->size()))) {
      if (i + 1 >= pairs.size()) break;
      const Array& v = pairs[i + 1];
      const Object* a = (numbers(v) && v.numel() == 1) ? find(v.re()[0]) : nullptr;
      if (a == nullptr || !a->is("axes"))
        badValue(t, t.props[t.at("Parent")], "the handle of an axes");
      parent = a->handle;
      pairs[i] = str("Parent");
    }
  }
  if (pairs.size() % 2 != 0) error("Property names and values must come in pairs.");
  const double ax = parent ? *parent : gca().scalar();
  // The data go first, so that the object is complete when it is announced.
  std::vector<Array> all = {str("XData"), realMatrix(x), str("YData"), realMatrix(y),
                            str("ZData"), realMatrix(z), str("CData"), realMatrix(c)};
  all.insert(all.end(), pairs.begin(), pairs.end());
  const double h = createWith("surface", all, [ax] { return ax; });
  updateAutoLimits(object(ax));
  return scalar(h);
}

Array labelBypass(std::span<const Array> args) {
  if (args.size() < 3 || args[0].isNull() || args[1].isNull())
    error("labelBypass: expected the axes, the application data name and the label text.");
  const Array fn = getappdata(args[0], args[1]);
  auto name = textOf(fn);
  if (!name || name->empty())
    error("labelBypass: the application data \"" + (textOf(args[1]) ? *textOf(args[1]) : "") +
          "\" does not name a function.");
  std::vector<Array> inputs;
  inputs.push_back(args[0]);
  inputs.insert(inputs.end(), args.begin() + 2, args.end());
  if (const FunctionEntry* e = findFunction(*name)) {
    std::array<Array, 1> out;
    e->byName(1, out, inputs);
    return out[0];
  }
  if (const auto* native = nativeFunction(*name)) return (*native)(inputs);
  error("Undefined function \"" + *name + "\".");
}

namespace gfx {

void registerFunction(std::string name, std::function<Array(std::span<const Array>)> fn) {
  if (fn)
    natives()[std::move(name)] = std::move(fn);
  else
    natives().erase(name);
}

}  // namespace gfx
}  // namespace rt
