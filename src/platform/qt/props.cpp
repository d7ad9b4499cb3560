#include "platform/qt/props.h"

#include <QFontDatabase>
#include <QGuiApplication>
#include <algorithm>
#include <cmath>

#include "platform/graphics/graphics.h"

namespace rt::qt {
namespace {

// Device pixels per inch of the drawings and windows.
constexpr double kPixelsPerInch = 96.0;

// Keywords are ASCII; other bytes (of UTF-8 text) stay as they are whatever
// the locale.
std::string lower(std::string s) {
  for (char& c : s)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return s;
}

QString arrayText(const Array& a) {
  if (a.isNull()) return {};
  return QString::fromStdString(a.text());
}

std::optional<QColor> namedColor(const std::string& name) {
  struct Named {
    const char* shortName;
    const char* longName;
    int r, g, b;
  };
  static constexpr Named kNames[] = {
      {"y", "yellow", 255, 255, 0},  {"m", "magenta", 255, 0, 255}, {"c", "cyan", 0, 255, 255},
      {"r", "red", 255, 0, 0},       {"g", "green", 0, 255, 0},     {"b", "blue", 0, 0, 255},
      {"w", "white", 255, 255, 255}, {"k", "black", 0, 0, 0},
  };
  for (const Named& n : kNames) {
    if (name == n.shortName || name == n.longName) return QColor(n.r, n.g, n.b);
  }
  return std::nullopt;
}

}  // namespace

Array tryProp(double h, std::string_view name) {
  try {
    if (!gfx::exists(h)) return {};
    return gfx::prop(h, name);
  } catch (const std::exception&) {
    // A property this type of object lacks reads as unset, the same as an
    // object already deleted: every caller draws with its default then.
    return {};
  }
}

std::string propKeyword(double h, std::string_view name) {
  Array a = tryProp(h, name);
  if (a.isNull() || !a.isChar()) return {};
  return lower(a.text());
}

bool propOn(double h, std::string_view name, bool fallback) {
  std::string k = propKeyword(h, name);
  if (k == "on") return true;
  if (k == "off") return false;
  return fallback;
}

double propScalar(double h, std::string_view name, double fallback) {
  Array a = tryProp(h, name);
  if (a.isNull() || !(a.isNumeric() || a.isLogical()) || a.empty()) return fallback;
  return a.re()[0];
}

std::vector<double> propValues(double h, std::string_view name) {
  Array a = tryProp(h, name);
  if (a.isNull() || !(a.isNumeric() || a.isLogical())) return {};
  return {a.re().begin(), a.re().end()};
}

std::optional<QColor> toColor(const Array& value) {
  if (value.isNull() || value.empty()) return std::nullopt;
  if (value.isChar()) return namedColor(lower(value.text()));
  if (!value.isNumeric() || value.numel() != 3) return std::nullopt;
  auto channel = [&](std::size_t i) {
    double v = value.re()[i];
    if (!std::isfinite(v)) v = 0;
    return std::clamp(v, 0.0, 1.0);
  };
  return QColor::fromRgbF(static_cast<float>(channel(0)), static_cast<float>(channel(1)),
                          static_cast<float>(channel(2)));
}

std::optional<QColor> propColor(double h, std::string_view name) {
  return toColor(tryProp(h, name));
}

QStringList toLines(const Array& value) {
  if (value.isNull()) return {};
  if (value.isCell()) {
    QStringList lines;
    for (const Array& e : value.cells()) {
      QStringList part = toLines(e);
      lines += part.isEmpty() ? QStringList(QString()) : part;  // '' is an empty line
    }
    return lines;
  }
  if (value.isChar()) {
    if (value.empty()) return value.rows() > 0 ? QStringList(QString()) : QStringList();
    return arrayText(value).split(QLatin1Char('\n'));
  }
  if ((value.isNumeric() || value.isLogical()) && !value.empty()) {
    QStringList parts;
    for (double v : value.re()) parts << QString::number(v, 'g', 5);
    return {parts.join(QLatin1Char(' '))};
  }
  return {};
}

QStringList propLines(double h, std::string_view name) {
  return toLines(tryProp(h, name));
}

double toPixels(double v, std::string_view units, double parentLength) {
  if (units == "normalized") return v * parentLength;
  if (units == "inches") return v * kPixelsPerInch;
  if (units == "centimeters") return v * kPixelsPerInch / 2.54;
  if (units == "points") return v * kPixelsPerInch / 72.0;
  if (units == "characters") return v * 6.0;
  return v;  // pixels
}

QRectF positionRect(double h, const QRectF& parent) {
  std::vector<double> pos = propValues(h, "Position");
  if (pos.size() < 4 ||
      !std::all_of(pos.begin(), pos.begin() + 4, [](double v) { return std::isfinite(v); })) {
    return parent;
  }
  std::string units = propKeyword(h, "Units");
  if (units.empty()) units = "pixels";
  double x, y;
  if (units == "normalized") {
    x = pos[0] * parent.width();
    y = pos[1] * parent.height();
  } else if (units == "characters") {
    x = pos[0] * 6.0;
    y = pos[1] * 13.0;
  } else {
    // Pixel positions count from 1 at the lower left corner.
    double one = units == "pixels" ? 1.0 : 0.0;
    x = toPixels(pos[0] - one, units, parent.width());
    y = toPixels(pos[1] - one, units, parent.height());
  }
  double w = units == "characters" ? pos[2] * 6.0 : toPixels(pos[2], units, parent.width());
  double hgt = units == "characters" ? pos[3] * 13.0 : toPixels(pos[3], units, parent.height());
  w = std::max(w, 0.0);
  hgt = std::max(hgt, 0.0);
  return {parent.left() + x, parent.bottom() - y - hgt, w, hgt};
}

namespace {

// The family a FontName is drawn with. The generic names and the classic
// PostScript ones go to the DejaVu families the program installs, so that a
// figure looks the same on every machine whatever else fontconfig would
// substitute (URW's fonts take over "Helvetica" where they are installed).
// Any other family is used when it is installed, DejaVu Sans otherwise.
QString fontFamily(const QString& name) {
  struct Alias {
    const char* name;
    const char* family;
  };
  static const Alias aliases[] = {
      {"", "DejaVu Sans"},
      {"helvetica", "DejaVu Sans"},
      {"arial", "DejaVu Sans"},
      {"sans", "DejaVu Sans"},
      {"sansserif", "DejaVu Sans"},
      {"sans-serif", "DejaVu Sans"},
      {"sans serif", "DejaVu Sans"},
      {"courier", "DejaVu Sans Mono"},
      {"courier new", "DejaVu Sans Mono"},
      {"fixedwidth", "DejaVu Sans Mono"},
      {"monospace", "DejaVu Sans Mono"},
      {"times", "DejaVu Serif"},
      {"times new roman", "DejaVu Serif"},
      {"serif", "DejaVu Serif"},
  };
  const std::string key = lower(name.trimmed().toStdString());
  for (const Alias& a : aliases)
    if (key == a.name) return a.family;
  // The font database needs the application; without one nothing is drawn.
  if (QGuiApplication::instance() && QFontDatabase::hasFamily(name.trimmed()))
    return name.trimmed();
  return "DejaVu Sans";
}

}  // namespace

QFont propFont(double h, double referenceHeight) {
  QFont font;
  font.setFamily(fontFamily(arrayText(tryProp(h, "FontName"))));
  double size = propScalar(h, "FontSize", 10.0);
  if (!std::isfinite(size) || size <= 0) size = 10.0;
  std::string units = propKeyword(h, "FontUnits");
  if (units.empty()) units = "points";
  double px = toPixels(size, units, referenceHeight);
  font.setPixelSize(std::clamp(static_cast<int>(std::lround(px)), 1, 2000));
  std::string weight = propKeyword(h, "FontWeight");
  if (weight == "bold") {
    font.setWeight(QFont::Bold);
  } else if (weight == "demi") {
    font.setWeight(QFont::DemiBold);
  } else if (weight == "light") {
    font.setWeight(QFont::Light);
  } else {
    font.setWeight(QFont::Normal);
  }
  std::string angle = propKeyword(h, "FontAngle");
  font.setItalic(angle == "italic" || angle == "oblique");
  return font;
}

std::vector<QColor> figureColormap(double fig) {
  Array map = tryProp(fig, "Colormap");
  std::vector<double> fallback;
  std::span<const double> v;
  std::size_t n = 0;
  if (!map.isNull() && map.isNumeric() && map.cols() == 3 && map.rows() > 0) {
    v = map.re();
    n = map.rows();
  } else {
    fallback = defaultColormap();
    v = fallback;
    n = kDefaultColormapRows;
  }
  std::vector<QColor> colors;
  colors.reserve(n);
  for (std::size_t i = 0; i < n; ++i) {
    auto c = [&](std::size_t col) {
      double x = v[col * n + i];
      return static_cast<float>(std::isfinite(x) ? std::clamp(x, 0.0, 1.0) : 0.0);
    };
    colors.push_back(QColor::fromRgbF(c(0), c(1), c(2)));
  }
  return colors;
}

double figureOf(double h) {
  try {
    for (int depth = 0; depth < 64 && gfx::exists(h); ++depth) {
      if (gfx::type(h) == "figure") return h;
      h = gfx::parent(h);
    }
  } catch (const std::exception&) {
    // A chain of parents broken by a deletion leads to no figure: NaN, which
    // every caller takes as "none".
  }
  return std::nan("");
}

}  // namespace rt::qt
