// Reading lines and surfaces back out of the object system, and writing them
// as comma-separated text.
#include "platform/graphics/data_export.h"

#include <charconv>
#include <cmath>

#include "platform/graphics/graphics.h"

namespace rt::gfx {
namespace {

// A numeric property's real elements; empty when absent or not numeric.
std::vector<double> values(double h, const char* name) {
  try {
    const Array& a = prop(h, name);
    if (a.isNull() || !a.isNumeric()) return {};
    return {a.re().begin(), a.re().end()};
  } catch (const std::exception&) {
    return {};
  }
}

// A header field: quoted when it holds a comma, a quote or a line break.
std::string csvField(const std::string& s) {
  if (s.find_first_of(",\"\n\r") == std::string::npos) return s;
  std::string out = "\"";
  for (char ch : s) {
    if (ch == '"') out += '"';
    out += ch;
  }
  return out + "\"";
}

ColumnNamer& columnNamer() {
  static ColumnNamer name;
  return name;
}

OwnData& ownData() {
  static OwnData data;
  return data;
}

std::optional<std::string> ownDataOf(double h) {
  return ownData() ? ownData()(h) : std::nullopt;
}

// Each column under its axes' label, else the program's name for it, else
// the fallback.
std::string header(double ax, std::initializer_list<std::pair<const char*, const char*>> columns) {
  std::string line;
  for (auto [label, fallback] : columns) {
    if (!line.empty()) line += ',';
    std::string text = std::string_view(label) == "CData" ? "" : labelText(ax, label);
    if (text.empty() && columnNamer()) text = columnNamer()(ax, label);
    line += csvField(text.empty() ? fallback : text);
  }
  return line + '\n';
}

std::string lineBlock(double ax, double line) {
  std::vector<double> x = values(line, "XData"), y = values(line, "YData");
  if (x.empty() || y.empty()) return "";  // a line with nothing to show yet
  std::string out = header(ax, {{"XLabel", "x"}, {"YLabel", "y"}});
  for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k)
    out += exactNumber(x[k]) + ',' + exactNumber(y[k]) + '\n';
  return out;
}

std::string surfaceBlock(double ax, const SurfaceGrid& g) {
  std::string out = header(ax, {{"XLabel", "x"}, {"YLabel", "y"}, {"ZLabel", "z"}, {"CData", "c"}});
  for (std::size_t k = 0; k < g.z.size(); ++k) {
    out += exactNumber(g.x[k]) + ',' + exactNumber(g.y[k]) + ',' + exactNumber(g.z[k]) + ',' +
           exactNumber(g.c[k]) + '\n';
  }
  return out;
}

void appendBlock(std::string& out, const std::string& block) {
  if (block.empty()) return;
  if (!out.empty()) out += '\n';
  out += block;
}

}  // namespace

std::optional<SurfaceView> surfaceView(double s) {
  SurfaceView v;
  // A numeric property as it is stored; null when absent or not numeric.
  auto numeric = [s](const char* name) -> Array {
    try {
      const Array& a = prop(s, name);
      if (!a.isNull() && a.isNumeric()) return a;
    } catch (const std::exception&) {
    }
    return {};
  };
  Array z = numeric("ZData");
  if (z.isNull() || z.empty()) return std::nullopt;
  v.m = z.rows();
  v.n = z.cols();
  const std::size_t count = v.m * v.n;
  v.z = z.re();
  v.held_.push_back(z);
  // A coordinate along the grid: a full matrix (viewed as it is), a vector
  // along its own direction or the index when the data are absent (spread).
  auto coordinate = [&](const char* name, std::size_t along, bool alongColumns,
                        std::vector<double>& spread) -> std::optional<std::span<const double>> {
    Array d = numeric(name);
    const std::size_t size = d.isNull() ? 0 : d.numel();
    if (size == count) {
      v.held_.push_back(d);
      return d.re();
    }
    if (size != along && size != 0) return std::nullopt;
    spread.resize(count);
    for (std::size_t j = 0; j < v.n; ++j) {
      for (std::size_t i = 0; i < v.m; ++i) {
        const std::size_t index = alongColumns ? j : i;
        spread[j * v.m + i] = size == 0 ? static_cast<double>(index + 1) : d.re()[index];
      }
    }
    return std::span<const double>(spread);
  };
  std::optional<std::span<const double>> x = coordinate("XData", v.n, true, v.spreadX_);
  if (!x) return std::nullopt;
  std::optional<std::span<const double>> y = coordinate("YData", v.m, false, v.spreadY_);
  if (!y) return std::nullopt;
  v.x = *x;
  v.y = *y;
  Array c = numeric("CData");
  if (!c.isNull() && c.numel() == count) {
    v.c = c.re();
    v.held_.push_back(c);
  } else {
    v.c = v.z;
  }
  return v;
}

std::optional<SurfaceGrid> surfaceGrid(double s) {
  std::optional<SurfaceView> v = surfaceView(s);
  if (!v) return std::nullopt;
  auto copy = [](std::span<const double> d) { return std::vector<double>(d.begin(), d.end()); };
  return SurfaceGrid{v->m, v->n, copy(v->x), copy(v->y), copy(v->z), copy(v->c)};
}

std::string labelText(double ax, const char* label) {
  try {
    const Array& h = prop(ax, label);
    if (h.isNull() || !h.isNumeric() || h.empty() || !exists(h.scalar())) return "";
    const Array& s = prop(h.scalar(), "String");
    std::string text;
    auto add = [&text](const std::string& part) {
      if (part.empty()) return;
      if (!text.empty()) text += ' ';
      text += part;
    };
    if (s.isChar()) {
      std::string all = s.text();
      for (char& ch : all)
        if (ch == '\n') ch = ' ';
      add(all);
    } else if (s.isCell()) {
      for (const Array& c : s.cells())
        if (c.isChar()) add(c.text());
    }
    return text;
  } catch (const std::exception&) {
    return "";
  }
}

std::string exactNumber(double v) {
  if (std::isnan(v)) return "NaN";
  if (std::isinf(v)) return v > 0 ? "Inf" : "-Inf";
  char buf[32];
  auto [end, ec] = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 17);
  return ec == std::errc() ? std::string(buf, end) : std::string("NaN");
}

void setColumnNamer(ColumnNamer name) {
  columnNamer() = std::move(name);
}

void setOwnData(OwnData data) {
  ownData() = std::move(data);
}

std::string axesCsv(double ax) {
  if (std::optional<std::string> own = ownDataOf(ax)) return *own;
  std::string out;
  for (double c : children(ax)) {
    const std::string kind = type(c);
    // What the user cannot pick (a chart's grid) is drawing, not data.
    if ((kind != "line" && kind != "surface") || prop(c, "HitTest").text() == "off") continue;
    if (kind == "line") {
      appendBlock(out, lineBlock(ax, c));
    } else if (std::optional<SurfaceGrid> g = surfaceGrid(c)) {
      appendBlock(out, surfaceBlock(ax, *g));
    }
  }
  return out;
}

std::string figureCsv(double fig) {
  if (std::optional<std::string> own = ownDataOf(fig)) return *own;
  std::string out;
  for (double c : children(fig))
    if (type(c) == "axes") appendBlock(out, axesCsv(c));
  return out;
}

}  // namespace rt::gfx
