// Array storage, factories, structures, indexing, sizes and argument lists.
#include "platform/array/array.h"

#include <atomic>
#include <cmath>
#include <limits>

namespace rt {

namespace {

std::atomic<std::size_t> liveCount{0};

const ArrayData& value(const Array& a) {
  if (a.isNull()) error("Undefined value used in an operation.");
  return a.data();
}

bool hasNumbers(ClassId c) {
  return c == ClassId::Double || c == ClassId::Char || c == ClassId::Logical;
}

// Rejects stored forms whose parts do not match their size, so that no
// operation can index outside the data.
void checkShape(const ArrayData& d) {
  const std::size_t n = d.rows * d.cols;
  bool ok = true;
  if (hasNumbers(d.cls)) {
    ok = d.re.size() == n && (d.im.empty() || d.im.size() == n) && d.cells.empty();
    ok = ok && (d.im.empty() || d.cls == ClassId::Double);
  } else if (d.cls == ClassId::Cell) {
    ok = d.cells.size() == n && d.re.empty() && d.im.empty();
  } else {
    ok = d.rows == 1 && d.cols == 1 && d.fieldNames.size() == d.fieldValues.size();
  }
  if (!ok) error("Array data does not match its size.");
}

Array cellOf(std::size_t rows, std::size_t cols, std::vector<Array> elements) {
  // A cell never holds "no value": an absent element is the empty matrix.
  for (Array& e : elements)
    if (e.isNull()) e = emptyDouble();
  ArrayData d;
  d.cls = ClassId::Cell;
  d.rows = rows;
  d.cols = cols;
  d.cells = std::move(elements);
  return Array(std::move(d));
}

Array structOf(std::vector<std::string> names, std::vector<Array> values) {
  ArrayData d;
  d.cls = ClassId::Struct;
  d.rows = 1;
  d.cols = 1;
  d.fieldNames = std::move(names);
  d.fieldValues = std::move(values);
  return Array(std::move(d));
}

// Argument lists of the runtime end with a null; a span may carry it.
std::span<const Array> untilNull(std::span<const Array> args) {
  std::size_t n = 0;
  while (n < args.size() && !args[n].isNull()) ++n;
  return args.first(n);
}

}  // namespace

// ------------------------------------------------------------- storage
ArrayData::ArrayData() {
  ++liveCount;
}

ArrayData::ArrayData(const ArrayData& o)
    : cls(o.cls),
      rows(o.rows),
      cols(o.cols),
      re(o.re),
      im(o.im),
      cells(o.cells),
      fieldNames(o.fieldNames),
      fieldValues(o.fieldValues) {
  ++liveCount;
}

ArrayData::ArrayData(ArrayData&& o) noexcept
    : cls(o.cls),
      rows(o.rows),
      cols(o.cols),
      re(std::move(o.re)),
      im(std::move(o.im)),
      cells(std::move(o.cells)),
      fieldNames(std::move(o.fieldNames)),
      fieldValues(std::move(o.fieldValues)) {
  ++liveCount;
}

ArrayData::~ArrayData() {
  --liveCount;
}

std::size_t liveArrays() {
  return liveCount.load(std::memory_order_relaxed);
}

Array::Array(ArrayData data) {
  checkShape(data);
  d_ = std::make_shared<ArrayData>(std::move(data));
}

double Array::scalar() const {
  return d_->re.empty() ? 0.0 : d_->re[0];
}

const Array& Array::field(std::string_view name) const {
  static const Array none;
  if (d_->cls != ClassId::Struct) return none;
  for (std::size_t i = 0; i < d_->fieldNames.size(); ++i)
    if (d_->fieldNames[i] == name) return d_->fieldValues[i];
  return none;
}

// ------------------------------------------------------------ factories
Array numbers(ClassId cls, std::size_t rows, std::size_t cols, std::vector<double> re,
              std::vector<double> im) {
  ArrayData d;
  d.cls = cls;
  d.rows = rows;
  d.cols = cols;
  d.re = std::move(re);
  d.im = std::move(im);
  return Array(std::move(d));
}

Array scalar(double v) {
  return numbers(ClassId::Double, 1, 1, {v});
}
Array complexScalar(double re, double im) {
  return numbers(ClassId::Double, 1, 1, {re}, {im});
}
namespace {
// Tests (isempty, strcmp, eq on scalars, ...) give thousands of logical
// scalars per callback; arrays are immutable, so each of the two values is
// stored once and shared. Made at start-up, before any test counts the live
// arrays.
const Array kLogicalFalse = numbers(ClassId::Logical, 1, 1, {0.0});
const Array kLogicalTrue = numbers(ClassId::Logical, 1, 1, {1.0});
}  // namespace

Array logicalScalar(bool v) {
  return v ? kLogicalTrue : kLogicalFalse;
}

Array matrix(std::size_t rows, std::size_t cols, std::span<const double> byColumns) {
  if (byColumns.size() != rows * cols) error("Matrix data does not match its size.");
  return numbers(ClassId::Double, rows, cols, {byColumns.begin(), byColumns.end()});
}

Array complexMatrix(std::size_t rows, std::size_t cols, std::span<const double> re,
                    std::span<const double> im) {
  if (re.size() != rows * cols || im.size() != rows * cols)
    error("Matrix data does not match its size.");
  return numbers(ClassId::Double, rows, cols, {re.begin(), re.end()}, {im.begin(), im.end()});
}

Array row(std::span<const double> values) {
  return numbers(ClassId::Double, 1, values.size(), {values.begin(), values.end()});
}
Array row(std::initializer_list<double> values) {
  return row(std::span<const double>(values.begin(), values.size()));
}

Array emptyDouble() {
  return numbers(ClassId::Double, 0, 0, {});
}
Array emptyChar() {
  return numbers(ClassId::Char, 0, 0, {});
}

Array cell(std::size_t rows, std::size_t cols, std::vector<Array> byColumns) {
  if (byColumns.size() != rows * cols) error("Cell data does not match its size.");
  return cellOf(rows, cols, std::move(byColumns));
}

Array cellRow(std::vector<Array> elements) {
  const std::size_t n = elements.size();
  return cellOf(n == 0 ? 0 : 1, n, std::move(elements));
}

Array initializeDouble(double v) {
  return scalar(v);
}
Array initializeString(std::string_view utf8) {
  return str(utf8);
}
Array initializeDoubleVector(std::size_t rows, std::size_t cols,
                             std::span<const double> byColumns) {
  return matrix(rows, cols, byColumns);
}
Array initializeComplex(double re, double im) {
  return complexScalar(re, im);
}
Array initializeCharVector(std::size_t rows, std::size_t cols, std::u16string_view byColumns) {
  if (byColumns.size() != rows * cols) error("Character data does not match its size.");
  return numbers(ClassId::Char, rows, cols, {byColumns.begin(), byColumns.end()});
}
Array initializeCell(std::vector<Array> elements) {
  const std::size_t n = elements.size();
  return cellOf(1, n, std::move(elements));
}
Array initializeCellVector(std::size_t rows, std::size_t cols, std::vector<Array> byColumns) {
  return cell(rows, cols, std::move(byColumns));
}
Array getInf() {
  return scalar(std::numeric_limits<double>::infinity());
}

Array ones(std::size_t rows, std::size_t cols) {
  return numbers(ClassId::Double, rows, cols, std::vector<double>(rows * cols, 1.0));
}
Array zeros(std::size_t rows, std::size_t cols) {
  return numbers(ClassId::Double, rows, cols, std::vector<double>(rows * cols, 0.0));
}

// ----------------------------------------------------------- structures
// Values are stored as given, except that a 1x1 cell stands for its one
// element (struct('f', {v}) gives f = v); other cells would describe
// structure arrays, which this runtime does not have.
Array struct_(std::initializer_list<Array> nameValuePairs) {
  return struct_(std::span<const Array>(nameValuePairs.begin(), nameValuePairs.size()));
}

Array struct_(std::span<const Array> nameValuePairs) {
  std::span<const Array> args = untilNull(nameValuePairs);
  if (args.size() % 2 != 0) error("Field and value input arguments must come in pairs.");
  std::vector<std::string> names;
  std::vector<Array> values;
  for (std::size_t i = 0; i < args.size(); i += 2) {
    const Array& name = args[i];
    if (!name.isChar() || name.rows() != 1) error("Field names must be non-empty text.");
    std::string n = name.text();
    for (const std::string& existing : names)
      if (existing == n) error("Duplicate field name \"" + n + "\".");
    Array v = args[i + 1];
    if (v.isCell()) {
      if (v.numel() != 1) error("Structure arrays are not supported: use a 1x1 cell value.");
      v = v.cells()[0];
    }
    names.push_back(std::move(n));
    values.push_back(std::move(v));
  }
  return structOf(std::move(names), std::move(values));
}

Array isfield(const Array& s, const Array& name) {
  if (name.isNull()) error("Not enough input arguments.");
  auto has = [&](const Array& n) {
    return !s.isNull() && s.isStruct() && n.isChar() && !s.field(n.text()).isNull();
  };
  if (!name.isCell()) return logicalScalar(has(name));
  std::vector<double> out;
  out.reserve(name.numel());
  for (const Array& n : name.cells()) out.push_back(has(n) ? 1.0 : 0.0);
  return numbers(ClassId::Logical, name.rows(), name.cols(), std::move(out));
}

Array indexAssign(const Array& s, const Array& fieldName, const Array& v) {
  if (v.isNull()) error("Undefined value used in an operation.");
  if (fieldName.isNull() || !fieldName.isChar() || fieldName.rows() != 1)
    error("Field names must be non-empty text.");
  const std::string name = fieldName.text();
  std::vector<std::string> names;
  std::vector<Array> values;
  if (!s.isNull() && s.isStruct()) {
    names = s.data().fieldNames;
    values = s.data().fieldValues;
  } else if (!s.isNull() && !(s.isNumeric() && s.empty())) {
    error("A field can only be assigned to a structure.");
  }
  bool replaced = false;
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (names[i] == name) {
      values[i] = v;
      replaced = true;
    }
  }
  if (!replaced) {
    names.push_back(name);
    values.push_back(v);
  }
  return structOf(std::move(names), std::move(values));
}

// Accepts one or more ".name" steps ("." then the field name).
Array indexRef(const Array& a, std::string_view path) {
  if (path.empty() || path[0] != '.')
    error("Unsupported index expression \"" + std::string(path) + "\".");
  Array cur = a;
  while (!path.empty()) {
    path.remove_prefix(1);
    const std::size_t end = path.find('.');
    const std::string_view name = path.substr(0, end);
    path = end == std::string_view::npos ? std::string_view() : path.substr(end);
    if (name.empty()) error("Unsupported index expression: empty field name.");
    if (cur.isNull() || !cur.isStruct())
      error("Attempt to reference field '" + std::string(name) + "' of a non-structure array.");
    const Array& next = cur.field(name);
    if (next.isNull()) error("Reference to non-existent field '" + std::string(name) + "'.");
    cur = next;
  }
  return cur;
}

std::vector<Array> spread(const Array& c) {
  if (value(c).cls != ClassId::Cell) error("Cell contents reference from a non-cell array object.");
  return {c.cells().begin(), c.cells().end()};
}

// --------------------------------------------------------------- sizes
Array size(const Array& a) {
  const ArrayData& d = value(a);
  return row({static_cast<double>(d.rows), static_cast<double>(d.cols)});
}

Array size(const Array& a, const Array& dim) {
  const ArrayData& d = value(a);
  const ArrayData& k = value(dim);
  if (!hasNumbers(k.cls) || k.re.size() != 1 || !(k.re[0] >= 1) || k.re[0] != std::floor(k.re[0]))
    error("Dimension argument must be a positive integer scalar.");
  if (k.re[0] == 1) return scalar(static_cast<double>(d.rows));
  if (k.re[0] == 2) return scalar(static_cast<double>(d.cols));
  return scalar(1.0);
}

std::size_t lengthInt(const Array& a) {
  const ArrayData& d = value(a);
  return d.rows * d.cols == 0 ? 0 : std::max(d.rows, d.cols);
}

Array length(const Array& a) {
  return scalar(static_cast<double>(lengthInt(a)));
}

Array isempty(const Array& a) {
  return logicalScalar(value(a).rows * a.cols() == 0);
}

Array intArrayRef1(const Array& a, std::size_t i) {
  const ArrayData& d = value(a);
  const std::size_t n = d.rows * d.cols;
  if (i < 1) error("Index must be a positive integer.");
  if (i > n) error("Index exceeds matrix dimensions.");
  const std::size_t k = i - 1;
  switch (d.cls) {
    case ClassId::Cell:
      return cellOf(1, 1, {d.cells[k]});
    case ClassId::Struct:
      return a;
    default:
      return numbers(d.cls, 1, 1, {d.re[k]},
                     d.im.empty() ? std::vector<double>{} : std::vector<double>{d.im[k]});
  }
}

// The columns of a, each as a rows x 1 array of a's class: the passes of a
// for-loop over a.
std::vector<Array> columns(const Array& a) {
  const ArrayData& d = value(a);
  if (d.cls == ClassId::Struct) return {a};
  std::vector<Array> out;
  if (d.rows == 0) return out;
  out.reserve(d.cols);
  for (std::size_t j = 0; j < d.cols; ++j) {
    const std::size_t b = j * d.rows, e = b + d.rows;
    if (d.cls == ClassId::Cell) {
      out.push_back(cellOf(d.rows, 1, {d.cells.begin() + b, d.cells.begin() + e}));
    } else {
      std::vector<double> im;
      if (!d.im.empty()) im.assign(d.im.begin() + b, d.im.begin() + e);
      out.push_back(numbers(d.cls, d.rows, 1, {d.re.begin() + b, d.re.begin() + e}, std::move(im)));
    }
  }
  return out;
}

// ------------------------------------------------------------- arguments
Array varargin(std::span<const Array> args) {
  std::span<const Array> given = untilNull(args);
  return cellOf(1, given.size(), {given.begin(), given.end()});
}

Array createVararginCell(std::span<const Array> args) {
  return varargin(args);
}

}  // namespace rt
