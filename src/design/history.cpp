// The design history: a list of designs, each the acts that rebuild it, and
// the place of the window's present one. The list is brought up to date
// before and after every user act; a perform's acts are noted once it ends,
// so a design opened from a file is one change. A design the acts cannot
// rebuild (a box typed with no number) is not noted: undo first takes that
// edit back. Designs the window can no longer be taken back to (no band,
// once a band was typed) are dropped, so undo never mixes them with the
// present one.
#include "design/history.h"

#include <algorithm>
#include <cmath>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "design/main_window.h"
#include "platform/graphics/graphics.h"

namespace design {
namespace {

// Enough for a session's worth of changes; the oldest go first.
constexpr std::size_t kMostChanges = 200;
// The application data that marks the main window the history belongs to.
constexpr const char* kMark = "tessivar:history";

using Acts = std::vector<Act>;

bool sameActs(const Acts& a, const Acts& b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](const Act& x, const Act& y) { return line(x) == line(y); });
}

const Act* actFor(const Acts& acts, const Parameter& p) {
  for (const Act& a : acts)
    if (&parameterOf(a) == &p) return &a;
  return nullptr;
}

// The acts that take the window from `present` to `target`: those of the
// parameters that differ. The pattern frequency has an act only where it
// stands apart from Fmin; brought back to Fmin, it is slid there.
Acts changesTo(const Acts& present, const Acts& target) {
  Acts changes;
  for (const Parameter& p : parameters()) {
    const Act *now = actFor(present, p), *then = actFor(target, p);
    if (then && (!now || line(*now) != line(*then))) changes.push_back(*then);
    if (!then && now && p.quantity == Quantity::pattern)
      if (const Act* band = actFor(target, parameter(Quantity::fmin)))
        changes.push_back({Act::Kind::slide, std::string(p.slider), band->text});
  }
  return changes;
}

// Whether acts take the window from `from` to `to`: a band box once typed
// is never emptied by an act (its callback keeps the band), so a design
// without a band act is out of reach of one with it, and stepping there
// would draw the older sizes over the newer band, a design never shown.
bool reaches(const Acts& from, const Acts& to) {
  for (Quantity q : {Quantity::fmin, Quantity::fmax})
    if (actFor(from, parameter(q)) && !actFor(to, parameter(q))) return false;
  return true;
}

// The untagged figures besides the main window: those the pattern opens.
std::vector<double> patternWindows() {
  const std::optional<double> main = findMainFigure();
  std::vector<double> out;
  for (double f : rt::gfx::figures())
    if (f != main && rt::gfx::prop(f, "Tag").text().empty()) out.push_back(f);
  return out;
}

// The window's callback opens a new figure for every pattern frequency, as
// the user's own act asks. A step through the history shows its frequency in
// the pattern window already open instead (the newest, in its place), or in
// none when none is open, so that stepping back and forth opens nothing.
class PatternWindowKept {
 public:
  PatternWindowKept() : before_(patternWindows()) {}
  PatternWindowKept(const PatternWindowKept&) = delete;
  PatternWindowKept& operator=(const PatternWindowKept&) = delete;
  ~PatternWindowKept() {
    try {
      std::vector<double> opened;
      for (double f : patternWindows())
        if (std::find(before_.begin(), before_.end(), f) == before_.end()) opened.push_back(f);
      if (opened.empty()) return;
      const double shown = opened.back();
      opened.pop_back();
      for (double f : opened) rt::gfx::deleteObject(f);
      std::optional<double> open;
      for (double f : before_)
        if (rt::gfx::exists(f)) open = f;
      if (!open) {
        rt::gfx::deleteObject(shown);
        return;
      }
      rt::set(rt::scalar(shown), {rt::str("Position"), rt::gfx::prop(*open, "Position")});
      rt::gfx::deleteObject(*open);
    } catch (const std::exception&) {
      // Only a window being closed throws here: there is nothing to keep.
    }
  }

 private:
  const std::vector<double> before_;
};

class History {
 public:
  // Notes the window's design as a change when it differs from the present
  // one; a new main window starts a new history.
  void note() {
    if (quiet_ > 0) return;
    const std::optional<double> fig = findMainFigure();
    if (!fig) return;
    std::optional<Acts> now = present();
    if (!now) return;
    // Handles are taken again by a later window (a new run of the program
    // in one process): the window the history belongs to carries its mark.
    const rt::Array fh = rt::scalar(*fig), key = rt::str(kMark);
    const rt::Array mark = rt::getappdata(fh, key);
    if (!(mark.isNumeric() && mark.numel() == 1 && mark.re()[0] == mark_)) {
      mark_ += 1;  // never a mark given before
      rt::setappdata(fh, key, rt::scalar(mark_));
      designs_.clear();
    }
    if (!designs_.empty() && sameActs(designs_[at_], *now)) return;
    if (!designs_.empty()) designs_.erase(designs_.begin() + at_ + 1, designs_.end());
    designs_.push_back(std::move(*now));
    if (designs_.size() > kMostChanges) designs_.erase(designs_.begin());
    const Acts newest = designs_.back();
    std::erase_if(designs_, [&](const Acts& d) { return !reaches(newest, d); });
    at_ = designs_.size() - 1;
  }

  // Steps `by` one design back or forward. A kept design the window does
  // not take back (its callbacks keep a band once one was typed, whatever
  // empty text comes) is dropped, and the step goes on to the next one.
  bool step(int by) {
    mainFigure();  // raises when the window is closed
    note();
    // A refused edit (text its callback reads as no number) left the window
    // with a design no acts rebuild, and so unnoted: undo takes that one
    // edit back, to the design noted last.
    if (by < 0 && !designs_.empty() && !present()) {
      typeIn(designs_[at_]);
      if (rt::gfx::callbackRunning()) return true;
      if (std::optional<Acts> now = present()) {
        designs_[at_] = std::move(*now);
        return true;
      }
      // Not taken back: the step goes on to the design before.
    }
    for (;;) {
      const std::ptrdiff_t to = static_cast<std::ptrdiff_t>(at_) + by;
      if (designs_.empty() || to < 0 || to >= static_cast<std::ptrdiff_t>(designs_.size()))
        return false;
      const Acts from = designs_[at_];
      typeIn(designs_[to]);
      std::optional<Acts> now = settled();
      if (now && sameActs(*now, from)) {
        designs_.erase(designs_.begin() + to);
        if (by < 0) --at_;
        continue;
      }
      at_ = static_cast<std::size_t>(to);
      if (now) designs_[at_] = std::move(*now);
      return true;
    }
  }

  // The acts of the window's parameters that differ from `target`'s, typed
  // in as one change of no note.
  void typeIn(const Acts& target) {
    const PatternWindowKept kept;
    Quiet quiet(*this);
    perform(changesTo(readableActs(), target));
  }

  // Acts queued behind a running callback are noted when their chain ends;
  // otherwise the window's own wording of the design is kept, so that the
  // next note sees no change.
  static std::optional<Acts> settled() {
    return rt::gfx::callbackRunning() ? std::nullopt : present();
  }

  HistorySteps steps() {
    note();
    if (designs_.empty()) return {};
    return {at_, designs_.size() - 1 - at_};
  }

  // While a perform types its acts in, or undo types a design back.
  struct Quiet {
    explicit Quiet(History& h) : h_(h) { ++h_.quiet_; }
    ~Quiet() { --h_.quiet_; }
    History& h_;
  };
  void performing(bool starting) noexcept {
    if (!starting) --quiet_;
    try {
      if (starting || !rt::gfx::callbackRunning()) note();
    } catch (const std::exception&) {
      // Only a window being closed throws here: there is nothing to note.
    }
    if (starting) ++quiet_;
  }

 private:
  static std::optional<Acts> present() {
    try {
      return presentActs();
    } catch (const std::exception&) {
      return std::nullopt;  // a box holding no number: no acts rebuild it
    }
  }

  std::vector<Acts> designs_;
  std::size_t at_ = 0;
  double mark_ = 0;
  int quiet_ = 0;
};

History& history() {
  static History h;
  return h;
}

}  // namespace

void keepDesignHistory() {
  static bool kept = false;
  if (kept) return;
  kept = true;
  rt::gfx::addBeforeActObserver([] { history().note(); });
  rt::gfx::addActObserver([] { history().note(); });
  watchPerform([](bool starting) { history().performing(starting); });
}

bool undoDesignChange() {
  return history().step(-1);
}

bool redoDesignChange() {
  return history().step(+1);
}

HistorySteps historySteps() {
  return history().steps();
}

}  // namespace design
