// The array runtime: every value the program handles is an rt::Array.
//
// An Array is a reference-counted, immutable value (a real or complex double
// matrix, a 16-bit character matrix, a logical matrix, a cell matrix or a 1x1
// structure). A default-constructed Array is null: "no value", the state of a
// variable that has not been assigned and of an absent argument. Copying an
// Array shares its data; operations return new arrays, except that logical
// scalar results share one stored true and one stored false, and that an
// arithmetic operation or elementary function may write its result over the
// storage of a temporary operand that nothing else shares.
//
// Errors are raised with rt::error, which throws rt::Error; the error handler
// (rt::reportError) prints the message on standard error.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace rt {

enum class ClassId { Double, Char, Logical, Cell, Struct };

class Array;

// The stored form of an array. Numeric, character and logical data live in
// `re` (character codes and 0/1 for logicals), column by column; `im` is empty
// unless the array is complex. Cells keep their elements in `cells`, column by
// column. A structure is 1x1 and keeps its fields in creation order.
struct ArrayData {
  ClassId cls = ClassId::Double;
  std::size_t rows = 0;
  std::size_t cols = 0;
  std::vector<double> re;
  std::vector<double> im;
  std::vector<Array> cells;
  std::vector<std::string> fieldNames;
  std::vector<Array> fieldValues;

  ArrayData();
  ArrayData(const ArrayData&);
  ArrayData(ArrayData&&) noexcept;  // moves the storage; still counts as live
  ArrayData& operator=(const ArrayData&) = delete;
  ~ArrayData();
};

class Array {
 public:
  Array() = default;
  explicit Array(ArrayData data);

  bool isNull() const { return !d_; }
  explicit operator bool() const { return static_cast<bool>(d_); }

  // Accessors; all but isNull() require a non-null array.
  ClassId classId() const { return d_->cls; }
  std::size_t rows() const { return d_->rows; }
  std::size_t cols() const { return d_->cols; }
  std::size_t numel() const { return d_->rows * d_->cols; }
  bool empty() const { return numel() == 0; }
  bool isComplex() const { return !d_->im.empty(); }
  bool isNumeric() const { return d_->cls == ClassId::Double; }
  bool isChar() const { return d_->cls == ClassId::Char; }
  bool isLogical() const { return d_->cls == ClassId::Logical; }
  bool isCell() const { return d_->cls == ClassId::Cell; }
  bool isStruct() const { return d_->cls == ClassId::Struct; }
  bool isScalar() const { return numel() == 1; }
  const ArrayData& data() const { return *d_; }
  std::span<const double> re() const { return d_->re; }
  std::span<const double> im() const { return d_->im; }
  std::span<const Array> cells() const { return d_->cells; }

  // The first real element (0 for an empty or non-numeric array).
  double scalar() const;
  // A character array as UTF-8 text, rows joined by '\n'; "" otherwise.
  std::string text() const;
  std::u16string u16() const;
  // A structure's field, null when absent.
  const Array& field(std::string_view name) const;

  // Identity of the stored data: equal for copies of one array.
  const void* id() const { return d_.get(); }
  long useCount() const { return d_.use_count(); }

  // The stored data of a temporary that is its only owner, for an operation
  // to write its result over (no other Array can see the change); null when
  // the data is shared.
  ArrayData* reusable() && { return d_ && d_.use_count() == 1 ? d_.get() : nullptr; }

 private:
  std::shared_ptr<ArrayData> d_;
};

// Number of ArrayData objects alive; tests use it to prove nothing leaks.
std::size_t liveArrays();

// ---------------------------------------------------------------- errors
class Error : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Raises msg (a character array) as an error; an empty or null message
// raises nothing and returns.
void error(const Array& msg);
[[noreturn]] void error(std::string_view msg);
// A variable read before it was given a value: kind 0 an input, 1 a local.
[[noreturn]] void validateError(int kind, std::string_view name);
// An output that was requested and never set.
[[noreturn]] void validateOutputError(std::string_view output, std::string_view function);
// The runtime's error handler: prints the message on standard error.
void reportError(const std::exception& e);
// rt::warning(str("off")) switches warnings off for the rest of the run;
// any other message is printed as a warning while warnings are on.
void warning(const Array& msg);
bool warningsEnabled();
// Empty array when low <= count <= high, else the argument-count message.
Array nargchk(const Array& low, const Array& high, const Array& count);

// -------------------------------------------------------------- factories
// A numeric, character or logical array from its stored parts (column by
// column; `im` empty for real data).
Array numbers(ClassId cls, std::size_t rows, std::size_t cols, std::vector<double> re,
              std::vector<double> im = {});
Array scalar(double v);
Array complexScalar(double re, double im);
Array logicalScalar(bool v);
Array str(std::string_view utf8);
Array str(std::u16string_view text);
Array createString(std::string_view utf8);
Array matrix(std::size_t rows, std::size_t cols, std::span<const double> byColumns);
Array complexMatrix(std::size_t rows, std::size_t cols, std::span<const double> re,
                    std::span<const double> im);
Array row(std::span<const double> values);
Array row(std::initializer_list<double> values);
Array emptyDouble();  // 0x0
Array emptyChar();    // 0x0 char
Array cell(std::size_t rows, std::size_t cols, std::vector<Array> byColumns);
Array cellRow(std::vector<Array> elements);

// Constants of module tables (kept until the module terminates).
Array initializeDouble(double v);
Array initializeString(std::string_view utf8);
Array initializeDoubleVector(std::size_t rows, std::size_t cols, std::span<const double> byColumns);
Array initializeComplex(double re, double im);
Array initializeCharVector(std::size_t rows, std::size_t cols, std::u16string_view byColumns);
Array initializeCell(std::vector<Array> elements);  // 1xN
Array initializeCellVector(std::size_t rows, std::size_t cols, std::vector<Array> byColumns);
Array getInf();

// -------------------------------------------------------------- arithmetic
// Element-wise with scalar expansion; complex when an operand is complex.
Array plus(const Array& a, const Array& b);
Array minus(const Array& a, const Array& b);
Array times(const Array& a, const Array& b);
Array rdivide(const Array& a, const Array& b);
// The same four operations written as operators, so that a formula reads as
// it is written: a*b/c is rdivide(times(a, b), c). Each is one call of its
// named operation; there is no matrix product among them.
Array operator+(const Array& a, const Array& b);
Array operator-(const Array& a, const Array& b);
Array operator*(const Array& a, const Array& b);
Array operator/(const Array& a, const Array& b);
// The same for temporary operands: the result takes over a temporary's
// storage when nothing else shares it, instead of allocating its own.
Array operator+(Array&& a, const Array& b);
Array operator+(const Array& a, Array&& b);
Array operator+(Array&& a, Array&& b);
Array operator-(Array&& a, const Array& b);
Array operator-(const Array& a, Array&& b);
Array operator-(Array&& a, Array&& b);
Array operator*(Array&& a, const Array& b);
Array operator*(const Array& a, Array&& b);
Array operator*(Array&& a, Array&& b);
Array operator/(Array&& a, const Array& b);
Array operator/(const Array& a, Array&& b);
Array operator/(Array&& a, Array&& b);
Array mtimes(const Array& a, const Array& b);    // matrix product; element-wise with a scalar
Array mrdivide(const Array& a, const Array& b);  // right division; element-wise by a scalar
double scalarRdivide(double a, double b);

Array sqrt(const Array& a);  // complex for negative input
Array exp(const Array& a);
Array log(const Array& a);  // log(0) = -Inf, complex for negative input
Array sin(const Array& a);
Array cos(const Array& a);
// The same over a temporary's storage when nothing else shares it.
Array sqrt(Array&& a);
Array exp(Array&& a);
Array log(Array&& a);
Array sin(Array&& a);
Array cos(Array&& a);
Array fix(Array&& a);
Array real(const Array& a);
Array imag(const Array& a);
Array fix(const Array& a);
Array ctranspose(const Array& a);

// ------------------------------------------------------------ construction
Array ones(std::size_t rows, std::size_t cols);
Array zeros(std::size_t rows, std::size_t cols);
Array linspace(const Array& a, const Array& b, const Array& n);
std::pair<Array, Array> meshgrid(const Array& x, const Array& y);
Array horzcat(std::initializer_list<Array> parts);
Array horzcat(std::span<const Array> parts);
// A 1x1 structure from field name / value pairs (`struct` is a C++ keyword).
Array struct_(std::initializer_list<Array> nameValuePairs);
Array struct_(std::span<const Array> nameValuePairs);

// ---------------------------------------------------------- tests & sizes
Array eq(const Array& a, const Array& b);  // logical; NaN is equal to nothing
Array le(const Array& a, const Array& b);
Array gt(const Array& a, const Array& b);
Array and_(const Array& a, const Array& b);  // `and`, `or`, `not` are C++ tokens
Array or_(const Array& a, const Array& b);
Array not_(const Array& a);
Array all(const Array& a);  // over a vector: one logical
Array any(const Array& a);
Array isempty(const Array& a);
Array ischar(const Array& a);
Array isletter(const Array& a);
Array isfield(const Array& s, const Array& name);
Array strcmp(const Array& a, const Array& b);
Array strncmpi(const Array& a, const Array& b, const Array& n);
Array isstr(const Array& a);
Array size(const Array& a);                    // [rows cols]
Array size(const Array& a, const Array& dim);  // one dimension
Array length(const Array& a);
std::size_t lengthInt(const Array& a);
Array intArrayRef1(const Array& a, std::size_t oneBasedIndex);
bool tobool(const Array& a);  // non-empty and no element zero
bool eqBool(const Array& a, const Array& b);
bool leBool(const Array& a, const Array& b);
bool gtBool(const Array& a, const Array& b);
bool notBool(const Array& a);

// ------------------------------------------------------------------- text
Array str2double(const Array& text);  // one number; NaN for anything else
Array str2num(const Array& text);     // number text (a scalar or a row); [] otherwise
Array num2str(const Array& value);    // default format; text is returned unchanged

// --------------------------------------------------------------- indexing
// ".name": a field of a structure (error when absent or not a structure).
Array indexRef(const Array& a, std::string_view path);
// Every element of a cell, spread as arguments ({:} indexing).
std::vector<Array> spread(const Array& cell);
// Field named by a character array set to value; a null or empty numeric
// `s` becomes a new structure.
Array indexAssign(const Array& s, const Array& fieldName, const Array& value);

// ------------------------------------------------------------------ values
inline void assign(Array& dst, Array src) {
  dst = std::move(src);
}
void destroyArray(Array& a);  // releases and nulls the variable
inline Array copyArray(const Array& a) {
  return a;
}
inline Array copyInputArg(const Array& a) {
  return a;
}
inline Array returnValue(Array a) {
  return a;
}
void assignAns(Array& ans, Array value);
void printAns(Array& ans, Array value);  // also shows it on standard output
// Called by destroyArray before it releases the array (tests only); it sees
// every call, a null variable included.
void setDestroyObserver(std::function<void(const Array&)> observer);

// ------------------------------------------------------------------ calls
Array varargin(std::span<const Array> args);            // into one 1xN cell
Array createVararginCell(std::span<const Array> args);  // same, for byName
std::vector<Array> columns(const Array& a);             // for-loop passes

// ------------------------------------------------------------ call frames
// The process-wide call context and local function table, switched in strict
// nesting by the module frame.
struct LocalFunctionTable;
const LocalFunctionTable* setCurrentLocalFunctionTable(const LocalFunctionTable* table);
const LocalFunctionTable* currentLocalFunctionTable();
void enterNewContext(int nargout, int nargin);
void restorePreviousContext();
int nargin();
int nargout();
std::size_t contextDepth();

// Library lifecycles (first pair of the start-up record).
void arrayLibraryInitialize();
void arrayLibraryTerminate();

}  // namespace rt
