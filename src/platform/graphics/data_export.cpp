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

std::string header(double ax, std::initializer_list<std::pair<const char*, const char*>> columns) {
  std::string line;
  for (auto [label, fallback] : columns) {
    if (!line.empty()) line += ',';
    std::string text = label ? labelText(ax, label) : "";
    line += csvField(text.empty() ? fallback : text);
  }
  return line + '\n';
}

std::string lineBlock(double ax, double line) {
  std::vector<double> x = values(line, "XData"), y = values(line, "YData");
  std::string out = header(ax, {{"XLabel", "x"}, {"YLabel", "y"}});
  for (std::size_t k = 0; k < std::min(x.size(), y.size()); ++k)
    out += exactNumber(x[k]) + ',' + exactNumber(y[k]) + '\n';
  return out;
}

std::string surfaceBlock(double ax, const SurfaceGrid& g) {
  std::string out = header(ax, {{"XLabel", "x"}, {"YLabel", "y"}, {"ZLabel", "z"}, {nullptr, "c"}});
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

std::optional<SurfaceGrid> surfaceGrid(double s) {
  SurfaceGrid g;
  Array z;
  try {
    z = prop(s, "ZData");
  } catch (const std::exception&) {
    return std::nullopt;
  }
  if (z.isNull() || !z.isNumeric() || z.empty()) return std::nullopt;
  g.m = z.rows();
  g.n = z.cols();
  const std::size_t count = g.m * g.n;
  g.z.assign(z.re().begin(), z.re().end());
  std::vector<double> xd = values(s, "XData"), yd = values(s, "YData");
  // A coordinate along the grid: a full matrix, a vector along its own
  // direction, or the index when the data are absent.
  auto spread = [count](const std::vector<double>& d, std::size_t along, std::size_t index,
                        std::size_t k) -> std::optional<double> {
    if (d.size() == count) return d[k];
    if (d.size() == along) return d[index];
    if (d.empty()) return static_cast<double>(index + 1);
    return std::nullopt;
  };
  g.x.resize(count);
  g.y.resize(count);
  for (std::size_t j = 0; j < g.n; ++j) {
    for (std::size_t i = 0; i < g.m; ++i) {
      const std::size_t k = j * g.m + i;
      std::optional<double> x = spread(xd, g.n, j, k), y = spread(yd, g.m, i, k);
      if (!x || !y) return std::nullopt;
      g.x[k] = *x;
      g.y[k] = *y;
    }
  }
  std::vector<double> cd = values(s, "CData");
  g.c = cd.size() == count ? std::move(cd) : g.z;
  return g;
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

std::string axesCsv(double ax) {
  std::string out;
  for (double c : children(ax)) {
    const std::string kind = type(c);
    if (kind == "line") {
      appendBlock(out, lineBlock(ax, c));
    } else if (kind == "surface") {
      if (std::optional<SurfaceGrid> g = surfaceGrid(c)) appendBlock(out, surfaceBlock(ax, *g));
    }
  }
  return out;
}

std::string figureCsv(double fig) {
  std::string out;
  for (double c : children(fig))
    if (type(c) == "axes") appendBlock(out, axesCsv(c));
  return out;
}

}  // namespace rt::gfx
