// Inner parts of the graphics object system shared by its source files:
// property tables, the object store and the helpers that keep it consistent.
// Nothing outside src/platform/graphics includes this header.
#pragma once

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/array/array.h"
#include "platform/graphics/graphics.h"

namespace rt::gfx::detail {

// ------------------------------------------------------------ property tables
enum class Kind {
  Enum,          // one of `words`, matched without regard to case
  Colour,        // 1x3 in [0, 1] or a colour name; or one of `words`
  ColourMatrix,  // n-by-3 in [0, 1], n >= 1
  Vector,        // `length` finite numbers, stored as a row
  Lim,           // two finite increasing numbers
  Scalar,        // one real number (NaN allowed)
  Positive,      // one finite positive number
  Matrix,        // real numbers of any size, empty included
  Text,          // a character array ([] is taken as '')
  TextOrCell,    // a character array or a cell of character arrays
  Command,       // a command string (one row)
  Any,           // anything
  Handle,        // a live object of type `handleType`, or empty when `allowEmpty`
  Parent,        // the parent object (re-parents on write)
  Children,      // read-only: the visible children, newest first
  Type,          // read-only: the type name
  ReadOnly,      // read-only value
};

struct PropDef {
  std::string_view name;
  Kind kind;
  std::vector<std::string_view> words;
  std::size_t length = 0;
  std::string_view handleType;
  bool allowEmpty = false;
  std::function<Array()> factory;  // the factory default

  // Whether the root keeps a "default<Type><Name>" value for the property.
  bool hasDefault() const {
    return kind != Kind::Handle && kind != Kind::Parent && kind != Kind::Children &&
           kind != Kind::Type && kind != Kind::ReadOnly;
  }
  bool readOnly() const {
    return kind == Kind::Children || kind == Kind::Type || kind == Kind::ReadOnly;
  }
};

struct TypeDef {
  std::string_view name;
  std::vector<PropDef> props;
  std::map<std::string, std::size_t, std::less<>> byLowerName;
  // The declared spellings (views of the tables' literals), looked up first:
  // the system's own reads name properties so, without lowering a copy.
  std::unordered_map<std::string_view, std::size_t> byName;

  // Index of a canonical (declared) name; it must exist.
  std::size_t at(std::string_view canonical) const;
  // Index of a declared name, matched without regard to case, if any.
  std::optional<std::size_t> find(std::string_view name) const;
};

const TypeDef& typeDef(std::string_view type);  // "root", "figure", ...
// The object types below the root, in a fixed order.
const std::vector<const TypeDef*>& objectTypes();

// The property a user-given name means: the declared name matched without
// regard to case, else the only property whose name starts with it.
// Unknown or ambiguous names raise an error naming the object type.
std::size_t resolve(const TypeDef& t, std::string_view name);
std::optional<std::size_t> tryResolve(const TypeDef& t, std::string_view name);
// The value as stored, or an error naming the property and the type.
// Parent and Handle kinds are checked by the object store.
Array validate(const TypeDef& t, const PropDef& p, const Array& value);
[[noreturn]] void badValue(const TypeDef& t, const PropDef& p, std::string_view expected);

// ------------------------------------------------------------ text helpers
std::string lower(std::string_view s);
bool iequals(std::string_view a, std::string_view b);
// The text of a character row, or nullopt for anything else.
std::optional<std::string> textOf(const Array& a);
std::string formatHandle(double h);
// How many of the name-value `pairs` are given: a list of arguments ends at
// the first missing name. An odd count is refused with `oddMessage`.
std::size_t givenPairs(std::span<const Array> pairs, std::string_view oddMessage);

// ------------------------------------------------------------- object store
struct Object {
  double handle = 0;
  const TypeDef* type = nullptr;
  std::vector<Array> values;
  double parent = 0;
  std::vector<double> children;  // creation order
  std::vector<std::pair<std::string, Array>> appdata;
  bool announced = false;               // the front end has been told of it
  std::optional<std::string> filedTag;  // the key State::byTag files it under

  const Array& value(std::string_view canonical) const { return values[type->at(canonical)]; }
  std::string text(std::string_view canonical) const;
  // Whether the property is the character row `ascii` (no copy is made).
  bool textIs(std::string_view canonical, std::string_view ascii) const;
  bool is(std::string_view typeName) const { return type->name == typeName; }
};

struct PendingAct {
  double handle;
  std::vector<std::pair<std::string, Array>> changes;
  bool close = false;  // a close request of a figure
};

struct State {
  bool initialised = false;
  std::map<double, std::unique_ptr<Object>> objects;
  // Root defaults, per type, indexed like the type's properties (null where
  // the property keeps none).
  std::map<const TypeDef*, std::vector<Array>> defaults;
  double counter = 0;
  std::vector<double> callbackStack;  // objects whose callbacks run, innermost last
  std::vector<PendingAct> pending;
  bool actRunning = false;
  // Every object by the text of its Tag, so that a search naming a tag
  // looks at the few objects that have it, however many windows are open.
  std::unordered_map<std::string, std::vector<double>> byTag;
};

State& state();  // the store, initialised on first use
bool stateInitialised();
void initialiseState();
void clearState();  // deletes every object, the root included

Object* find(double h);
Object& object(double h);  // error when no such object
Object& root();
// The one handle an array holds (error otherwise; `what` names the caller).
double toHandle(const Array& h, std::string_view what);
std::vector<double> toHandles(const Array& h, std::string_view what);

// A new object below `parent` with the root defaults of its type; the front
// end is not told until announce().
Object& createObject(const TypeDef& t, double parent, bool integerHandle = false);
void announce(Object& o);
// Creation of a whole object: figure, axes, uicontrol, line, surface; pairs
// are applied after a Parent pair (if any) has placed it. The object is
// announced, then its creation function runs.
double createWith(std::string_view type, std::span<const Array> pairs,
                  const std::function<double()>& defaultParent);

// Writes one property (already resolved) with its side effects, then tells
// the front end.
void write(Object& o, std::size_t index, const Array& value);
void writePairs(Object& o, std::span<const Array> pairs);
void notify(const Object& o, std::string_view canonical);
const Array& read(Object& o, std::size_t index);
// Removes an object and everything below it.
void destroy(double h);
// Files the object in State::byTag under its Tag as it is now; every write
// of a Tag goes through here.
void fileTag(Object& o);
// Resets the properties of axes to their defaults, except placement.
void resetAxes(Object& ax);

// --------------------------------------------------------- visibility, current
bool handleVisible(const Object& o);
std::vector<double> visibleChildrenNewestFirst(const Object& o);
void makeCurrentAxes(Object& ax);
void makeCurrentFigure(double fig);
double currentFigureIfVisible();  // NaN when none
Object& figureOf(Object& o);

// -------------------------------------------------------------- plotting
void updateAutoLimits(Object& ax);
bool isLabelOf(const Object& ax, double h);

// A native function registered with gfx::registerFunction, or null.
const std::function<Array(std::span<const Array>)>* nativeFunction(std::string_view name);

// ------------------------------------------------------------- dispatch
void runCreateFcn(double h);
void notifyAllFiguresClosed();

}  // namespace rt::gfx::detail
