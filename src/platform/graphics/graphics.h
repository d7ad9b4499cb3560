// The graphics object system: figures, axes, user-interface controls, texts,
// lines and surfaces, named by graphics handles (double scalars). Handle 0 is
// the root, whose "default<Type><Property>" values seed new objects.
//
// Every property is an rt::Array stored on its object; names match without
// regard to case. The system does not depend on any window toolkit: a front
// end (the Qt one, or a headless one in tests) observes it through
// rt::FrontEnd and reports user acts back through rt::gfx::userAct.
#pragma once

#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/array/array.h"
#include "platform/startup/startup_record.h"

namespace rt {

// Initialises the libraries and modules, calls the main entry once, runs the
// front end's event loop while a figure is open, then terminates the modules
// and the libraries. Returns the exit status.
int runMain(int argc, char** argv, ByNameFn mainEntry, int nargout, const MainInfo& info);
// ------------------------------------------------------- start-up action
// An action that runMain runs once, after the main entry has built the
// program's window and before the front end dispatches any user act (for
// one given on the command line). Its errors are reported and the program
// goes on. Null: none. The action is cleared when it runs.
void setStartupAction(std::function<void()> action);

// The start-up record of the running program (null outside runMain).
const MainInfo* currentMainInfo();
// Finds a module of the running program's function table by name.
const FunctionEntry* findFunction(std::string_view name);

// --------------------------------------------------------------- front end
// Notifications: objectCreated once an object is complete (its creation
// properties applied; an axes comes before its four label texts);
// objectDeleted before an object goes, children before their parent;
// propertyChanged after each write (also for writes the system makes
// itself, such as automatic limits and current objects).
class FrontEnd {
 public:
  virtual ~FrontEnd() = default;
  virtual void objectCreated(double /*h*/) {}
  virtual void objectDeleted(double /*h*/) {}
  // `name` is the canonical (declared) spelling of the property.
  virtual void propertyChanged(double /*h*/, const std::string& /*name*/) {}
  // The last open figure has been deleted: the event loop should end.
  virtual void allFiguresClosed() {}
  // The event loop: returns when no figure is left open; result = exit status.
  virtual int run() = 0;
};
// Installs the front end that runMain uses (null: the default one). A front
// end installed while objects exist is told of each (objectCreated, parents
// first).
void setFrontEnd(std::unique_ptr<FrontEnd> fe);
FrontEnd* frontEnd();
// The default front end (the Qt one); defined by the front-end library.
std::unique_ptr<FrontEnd> makeDefaultFrontEnd(int& argc, char** argv);

void graphicsLibraryInitialize();
void graphicsLibraryTerminate();

// --------------------------------------------------- creation and current
// Each takes its property/value pairs as one list; a null name ends it.
Array figure();  // a new figure, made current
Array figure(std::span<const Array> pairs);
Array axes(std::span<const Array> pairs);  // new axes in the current figure
void axes(const Array& ax);                // make those axes current
Array uicontrol(std::span<const Array> pairs);
inline Array figure(std::initializer_list<Array> pairs) {
  return figure(std::span<const Array>(pairs.begin(), pairs.size()));
}
inline Array axes(std::initializer_list<Array> pairs) {
  return axes(std::span<const Array>(pairs.begin(), pairs.size()));
}
inline Array uicontrol(std::initializer_list<Array> pairs) {
  return uicontrol(std::span<const Array>(pairs.begin(), pairs.size()));
}
// Surface from data arrays (Z; or X, Y, Z; or X, Y, Z, C) then pairs.
Array surface(std::span<const Array> args);
Array plot(const Array& x, const Array& y);  // one line in the current axes

// --------------------------------------------------------------- properties
Array get(const Array& h, const Array& name);
Array get(const Array& h, std::string_view name);
void set(const Array& h, std::span<const Array> pairs);
inline void set(const Array& h, std::initializer_list<Array> pairs) {
  set(h, std::span<const Array>(pairs.begin(), pairs.size()));
}

// The colour map that figures start with: 64 rows of (red, green, blue),
// from dark blue through cyan and yellow to dark red, by columns.
inline constexpr std::size_t kDefaultColormapRows = 64;
std::vector<double> defaultColormap();

// ------------------------------------------------------------------ search
// Searches list an object before its children and children newest first
// (the order of the "Children" property).
Array findobj(std::initializer_list<Array> pairs);  // visible objects matching
Array findall(const Array& h);                      // h and all below, hidden too; a column
Array gcbo();
Array gcf();
Array gca();
Array ishandle(const Array& h);

// The object whose Tag is exactly `tag`, at or below h, hidden ones
// included: h first, then its children oldest first, each with everything
// below it. None when no such object is there.
std::optional<double> findByTag(double h, std::string_view tag);

// ---------------------------------------------------------- application data
void setappdata(const Array& h, const Array& name, const Array& value);
Array getappdata(const Array& h, const Array& name);
Array isappdata(const Array& h, const Array& name);

// ---------------------------------------------------------------- plotting
void axis(const Array& option);  // "tight" on the current axes
void grid(const Array& onOff);   // current axes
void grid(const Array& ax, const Array& onOff);
// view(ax, 3): the default 3-D view [-37.5 30] (2: the view from above;
// [az el]: that view) when the first argument is the handle of an axes;
// otherwise view(az, el) for the current axes.
void view(const Array& axOrAz, const Array& viewOrEl);
void view(const Array& ax, const Array& az, const Array& el);  // null ax: current axes
Array newplot();
bool ishold(const Array& ax);
// The label bypass: calls the function that application data `name` of ax
// holds with (ax, text, further arguments) and gives its single result.
Array labelBypass(std::span<const Array> args);

namespace gfx {

// Inspection for front ends and tests.
bool exists(double h);
std::string type(double h);                          // "root", "figure", "axes", "uicontrol", ...
double parent(double h);                             // root's parent: NaN
std::vector<double> children(double h);              // in creation order, oldest first
std::vector<double> figures();                       // open figures, in creation order
const Array& prop(double h, std::string_view name);  // error if no such property
Array handleArray(double h);

// A user act on a control: writes the properties the act changed (no
// callback runs for the write) and then runs the control's callback once.
// Errors raised by the callback are reported; the state written stays.
void userAct(double h, std::initializer_list<std::pair<std::string_view, Array>> changes);
// Runs a command string ("inter_func_s1", "inter_func_e1;", "warning off")
// with `h` as the callback object. Statements are separated by ";"; each is
// a name, called by name with no inputs and no outputs, optionally followed
// by words passed as string inputs. Names are looked up in the running
// program's function table, then among the built-in commands ("warning",
// "closereq"), then among the registered native functions.
void runCommand(double h, const Array& command);
bool callbackRunning();

// A user's request to close a figure window: runs its CloseRequestFcn as a
// callback (queued like userAct); an empty one deletes the figure, the
// default "closereq" deletes it as well.
void closeRequest(double figure);

// A native function that command strings and the label bypass can name
// (after the program's function table). A null `fn` removes the name.
void registerFunction(std::string name, std::function<Array(std::span<const Array>)> fn);

// Sets the start-up record that findFunction searches (runMain does this for
// its duration); returns the previous one. For tests of callbacks.
const MainInfo* setMainInfo(const MainInfo* info);

// Deletes an object and all below it (closing a figure window).
void deleteObject(double h);

}  // namespace gfx
}  // namespace rt

// ------------------------------------------------- hooks for additions
// Small general mechanisms for features built beside the program's own
// window: they name no module, so the start-up record stays as it is.
namespace rt {
// A text in the current axes (or in the axes its Parent pair names).
Array text(std::initializer_list<Array> pairs);
namespace gfx {
// Runs `fn` after each user act or close request has finished (its callback
// and the acts queued behind it), outside any callback; an error it raises
// is reported like a callback's. Gives an id for removeActObserver.
int addActObserver(std::function<void()> fn);
void removeActObserver(int id);
// Runs `fn` before a user act or close request starts, when no other is
// running (the acts queued behind it come without another call), outside
// any callback; an error it raises is reported like a callback's.
void addBeforeActObserver(std::function<void()> fn);
}  // namespace gfx
}  // namespace rt
