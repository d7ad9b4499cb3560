// The design history: a list of designs, each the acts that rebuild it, and
// the place of the window's present one. The list is brought up to date
// before and after every user act; a perform's acts are noted once it ends,
// so a design opened from a file is one change. A design the acts cannot
// rebuild (a box typed with no number) is not noted: undo skips it.
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
    if (*fig != figure_) {
      figure_ = *fig;
      designs_.clear();
    }
    if (!designs_.empty() && sameActs(designs_[at_], *now)) return;
    if (!designs_.empty()) designs_.erase(designs_.begin() + at_ + 1, designs_.end());
    designs_.push_back(std::move(*now));
    if (designs_.size() > kMostChanges) designs_.erase(designs_.begin());
    at_ = designs_.size() - 1;
  }

  // Steps `by` one design back or forward. A kept design the window does
  // not take back (its callbacks keep a band once one was typed, whatever
  // empty text comes) is dropped, and the step goes on to the next one.
  bool step(int by) {
    mainFigure();  // raises when the window is closed
    note();
    for (;;) {
      const std::ptrdiff_t to = static_cast<std::ptrdiff_t>(at_) + by;
      if (designs_.empty() || to < 0 || to >= static_cast<std::ptrdiff_t>(designs_.size()))
        return false;
      const Acts from = designs_[at_];
      {
        Quiet quiet(*this);
        perform(changesTo(from, designs_[to]));
      }
      // Acts queued behind a running callback are noted when their chain
      // ends; otherwise the window's own wording of the design is kept, so
      // that the next note sees no change.
      std::optional<Acts> now = rt::gfx::callbackRunning() ? std::nullopt : present();
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
  double figure_ = NAN;
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
