// Typed reads of graphics properties for the Qt front end and the renderer.
//
// The object system stores every property as an rt::Array; these helpers turn
// them into what Qt wants (colours, rectangles, fonts, strings) and give a
// fallback when a property is absent or holds something unusable, so that a
// malformed value never stops a window from painting.
#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/array/array.h"

namespace rt::qt {

// The property, or null when the object or the property does not exist.
Array tryProp(double h, std::string_view name);

// Text of a character property, lower-cased ("" when absent or not text).
std::string propKeyword(double h, std::string_view name);
bool propOn(double h, std::string_view name, bool fallback);
double propScalar(double h, std::string_view name, double fallback);
// Real elements of a numeric property, column by column (empty when absent).
std::vector<double> propValues(double h, std::string_view name);

// A colour value: an RGB triple in [0, 1] or a colour name ("r", "red", ...).
// "none", an empty value and anything unreadable give no colour.
std::optional<QColor> toColor(const Array& value);
std::optional<QColor> propColor(double h, std::string_view name);

// Lines of a text value: a character matrix gives its rows, a cell its
// elements (each of them may be a character matrix again), a number its
// default text form.
QStringList toLines(const Array& value);
QStringList propLines(double h, std::string_view name);

// Rectangle of an object's "Position" (x, y from the lower left corner, width,
// height, in its "Units") inside `parent`, in the parent's device coordinates
// (y grows downwards).
QRectF positionRect(double h, const QRectF& parent);
// Converts a length in the given units to device pixels; `parentLength` is
// used by "normalized".
double toPixels(double v, std::string_view units, double parentLength);

// The font of an object from FontSize, FontUnits ("normalized": a fraction of
// `referenceHeight`), FontWeight, FontAngle and FontName.
QFont propFont(double h, double referenceHeight);

// The figure's colour map (its "Colormap"; a 64-row default when unusable).
std::vector<QColor> figureColormap(double fig);
// The ancestor of h that is a figure (NaN when none).
double figureOf(double h);

}  // namespace rt::qt
