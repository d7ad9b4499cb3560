// Callback dispatch: command strings, user acts, close requests, the front
// end and the running program's function table.
#include <cctype>
#include <exception>
#include <functional>
#include <map>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "platform/graphics/graphics_internal.h"

namespace rt {

namespace {

// The object store is made before the slot, so that at exit a front end is
// destroyed while the objects it may still look at exist.
std::unique_ptr<FrontEnd>& frontEndSlot() {
  static std::unique_ptr<FrontEnd> fe = [] {
    (void)gfx::detail::stateInitialised();
    return std::unique_ptr<FrontEnd>();
  }();
  return fe;
}

const MainInfo*& mainInfoSlot() {
  static const MainInfo* info = nullptr;
  return info;
}

}  // namespace

void setFrontEnd(std::unique_ptr<FrontEnd> fe) {
  frontEndSlot() = std::move(fe);
  FrontEnd* now = frontEndSlot().get();
  if (now == nullptr || !gfx::detail::stateInitialised()) return;
  // A front end installed late learns of the objects that already exist,
  // parents before children, oldest first.
  std::vector<double> order;
  std::vector<double> stack{0};
  while (!stack.empty()) {
    const double h = stack.back();
    stack.pop_back();
    const gfx::detail::Object* o = gfx::detail::find(h);
    if (o == nullptr) continue;
    if (h != 0 && o->announced) order.push_back(h);
    for (auto it = o->children.rbegin(); it != o->children.rend(); ++it) stack.push_back(*it);
  }
  for (double h : order)
    if (gfx::detail::find(h) != nullptr) now->objectCreated(h);
}

FrontEnd* frontEnd() {
  return frontEndSlot().get();
}

const MainInfo* currentMainInfo() {
  return mainInfoSlot();
}

const FunctionEntry* findFunction(std::string_view name) {
  const MainInfo* info = mainInfoSlot();
  if (info == nullptr) return nullptr;
  for (const FunctionEntry& e : info->functionTable)
    if (e.name != nullptr && name == e.name && e.byName != nullptr) return &e;
  return nullptr;
}

namespace gfx {

const MainInfo* setMainInfo(const MainInfo* info) {
  const MainInfo* old = mainInfoSlot();
  mainInfoSlot() = info;
  return old;
}

}  // namespace gfx

}  // namespace rt

namespace rt::gfx::detail {

namespace {

// `h` is the callback object while a command runs.
class CallbackScope {
 public:
  explicit CallbackScope(double h) { state().callbackStack.push_back(h); }
  ~CallbackScope() {
    State& s = state();
    if (!s.callbackStack.empty()) s.callbackStack.pop_back();
  }
  CallbackScope(const CallbackScope&) = delete;
  CallbackScope& operator=(const CallbackScope&) = delete;
};

std::string trim(std::string_view s) {
  std::size_t b = 0, e = s.size();
  while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) ++b;
  while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) --e;
  return std::string(s.substr(b, e - b));
}

std::vector<std::string> words(std::string_view s) {
  std::vector<std::string> out;
  std::size_t i = 0;
  while (i < s.size()) {
    while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
    std::size_t j = i;
    while (j < s.size() && !std::isspace(static_cast<unsigned char>(s[j]))) ++j;
    if (j > i) out.emplace_back(s.substr(i, j - i));
    i = j;
  }
  return out;
}

// One statement: `name`, `name()` or `name word ...` (command syntax, the
// words being passed as strings).
void runStatement(double h, const std::string& statement) {
  std::vector<std::string> w = words(statement);
  if (w.empty()) return;
  std::string name = w.front();
  if (name.size() > 2 && name.ends_with("()")) name.resize(name.size() - 2);
  std::vector<Array> inputs;
  for (std::size_t i = 1; i < w.size(); ++i) inputs.push_back(str(w[i]));

  if (const FunctionEntry* e = findFunction(name)) {
    e->byName(0, std::span<Array>(), inputs);
    return;
  }
  if (name == "warning") {
    std::string rest;
    for (std::size_t i = 1; i < w.size(); ++i) rest += (i > 1 ? " " : "") + w[i];
    warning(str(rest));
    return;
  }
  if (name == "closereq" && w.size() == 1) {
    if (Object* o = find(h)) {
      if (h != 0) destroy(figureOf(*o).handle);
    }
    return;
  }
  if (const auto* native = nativeFunction(name)) {
    (*native)(inputs);
    return;
  }
  error("Undefined function \"" + name + "\".");
}

// Statements are separated by ";" (a trailing one ends the last).
void runStatements(double h, const std::string& rest) {
  CallbackScope scope(h);
  std::size_t start = 0;
  while (start <= rest.size()) {
    const std::size_t end = rest.find(';', start);
    const std::string statement = trim(std::string_view(rest).substr(
        start, end == std::string::npos ? std::string::npos : end - start));
    if (!statement.empty()) runStatement(h, statement);
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

void runReported(double h, const Array& command) {
  try {
    gfx::runCommand(h, command);
  } catch (const std::exception& e) {
    reportError(e);
  }
}

void runAct(const PendingAct& act) {
  try {
    Object* o = find(act.handle);
    if (o == nullptr)
      error("There is no graphics object with handle " + formatHandle(act.handle) + ".");
    if (act.close) {
      if (!o->is("figure")) error("Only a figure can be closed.");
      const Array cmd = o->value("CloseRequestFcn");
      if (cmd.isNull() || cmd.empty())
        destroy(act.handle);
      else
        gfx::runCommand(act.handle, cmd);
      return;
    }
    for (const auto& [name, value] : act.changes) {
      Object& target = object(act.handle);
      write(target, resolve(*target.type, name), value);
    }
    Object& target = object(act.handle);
    if (auto i = target.type->find("Callback")) {
      const Array cmd = target.values[*i];
      if (!cmd.isNull() && !cmd.empty()) gfx::runCommand(act.handle, cmd);
    }
  } catch (const std::exception& e) {
    reportError(e);
  } catch (...) {
    reportError(std::runtime_error("An unknown error ended the callback."));
  }
}

// Never destroyed, for the same reason as the registered functions: an
// observer may be removed from a static destructor.
std::map<int, std::function<void()>>& actObservers() {
  static auto* observers = new std::map<int, std::function<void()>>;
  return *observers;
}

std::vector<std::function<void()>>& beforeActObservers() {
  static auto* observers = new std::vector<std::function<void()>>;
  return *observers;
}

void runObserver(const std::function<void()>& fn) {
  try {
    fn();
  } catch (const std::exception& e) {
    reportError(e);
  }
}

// An observer may remove itself or others while they run: each is looked up
// again before it is called.
void runActObservers() {
  std::vector<int> ids;
  for (const auto& entry : actObservers()) ids.push_back(entry.first);
  for (int id : ids) {
    auto it = actObservers().find(id);
    if (it == actObservers().end()) continue;
    const std::function<void()> fn = it->second;
    runObserver(fn);
  }
}

// Runs `act` now when no user act is running, else after the running one.
void dispatch(PendingAct act) {
  State& s = state();
  if (s.actRunning || gfx::callbackRunning()) {
    s.pending.push_back(std::move(act));
    return;
  }
  for (const std::function<void()>& fn : std::vector(beforeActObservers())) runObserver(fn);
  s.actRunning = true;
  struct Reset {
    ~Reset() { state().actRunning = false; }
  } reset;
  runAct(act);
  while (!state().pending.empty()) {
    PendingAct next = std::move(state().pending.front());
    state().pending.erase(state().pending.begin());
    // An object deleted while its act waited takes the act with it.
    if (find(next.handle) != nullptr) runAct(next);
  }
  runActObservers();
}

// Runs the acts that arrived while a command ran outside any user act.
void drainIfIdle() {
  State& s = state();
  while (!s.actRunning && s.callbackStack.empty() && !s.pending.empty()) {
    PendingAct next = std::move(s.pending.front());
    s.pending.erase(s.pending.begin());
    if (find(next.handle) != nullptr) dispatch(std::move(next));
  }
}

}  // namespace

void runCreateFcn(double h) {
  Object* o = find(h);
  if (o == nullptr) return;
  auto i = o->type->find("CreateFcn");
  if (!i) return;
  const Array cmd = o->values[*i];
  if (!cmd.isNull() && !cmd.empty()) runReported(h, cmd);
}

void notifyAllFiguresClosed() {
  if (FrontEnd* fe = frontEnd()) fe->allFiguresClosed();
}

}  // namespace rt::gfx::detail

namespace rt::gfx {

using namespace detail;

void runCommand(double h, const Array& command) {
  if (command.isNull()) return;
  if (command.isNumeric() && command.empty()) return;
  auto text = textOf(command);
  if (!text) error("A callback must be a command string.");
  try {
    runStatements(h, *text);
  } catch (...) {
    drainIfIdle();
    throw;
  }
  drainIfIdle();
}

void userAct(double h, std::initializer_list<std::pair<std::string_view, Array>> changes) {
  PendingAct act{h, {}, false};
  for (const auto& [name, value] : changes) act.changes.emplace_back(std::string(name), value);
  dispatch(std::move(act));
}

void closeRequest(double figure) {
  dispatch(PendingAct{figure, {}, true});
}

bool callbackRunning() {
  const State& s = state();
  return !s.callbackStack.empty();
}

}  // namespace rt::gfx

// ------------------------------------------------- hooks for additions
namespace rt::gfx {

int addActObserver(std::function<void()> fn) {
  static int next = 0;
  detail::actObservers().emplace(++next, std::move(fn));
  return next;
}

void removeActObserver(int id) {
  detail::actObservers().erase(id);
}

void addBeforeActObserver(std::function<void()> fn) {
  detail::beforeActObservers().push_back(std::move(fn));
}

}  // namespace rt::gfx
