// The trim: the patch's length and feed stepped towards a resonance and a
// resistance, each step sized by the model's own sensitivity, one solver
// check after another. The Trimmer does the arithmetic; the Trim runs the
// checks, driven by poll() without blocking, so the Full-wave figure
// follows it from its ticker and the script waits on it.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fullwave/check.h"

namespace fullwave {

// Each solver answer for current() moves L by the resonance's error over
// the model's dF/dL and the feed by the resistance's error over the
// model's dR/doffset, until both are within tolerance or the runs are
// spent.
struct TrimStep {
  antenna::Patch patch;  // the patch the solver ran
  double resonanceHz = 0, r = 0;
};
class Trimmer {
 public:
  static constexpr int kMaxRuns = 5;
  static constexpr double kFrequencyTolerance = 0.002, kResistanceTolerance = 0.05;
  Trimmer(const antenna::Patch& start, const antenna::Board& board, ImpedanceModel model,
          double f0Hz, double z0);
  const antenna::Patch& current() const { return current_; }
  // Takes the solver's resonance and R for current(); true when another run
  // is wanted.
  bool take(double resonanceHz, double r);
  bool met() const { return met_; }
  const std::vector<TrimStep>& steps() const { return steps_; }
  std::string stepText(const TrimStep& s) const;

 private:
  antenna::Patch current_;
  antenna::Board board_;
  ImpedanceModel model_;
  double f0_, z0_;
  bool met_ = false;
  std::vector<TrimStep> steps_;
};

// The trim's runs: a Check of the Trimmer's current patch at a time. Each
// poll() follows the run; the poll that sees it finish takes its result
// (taken()), hands its resonance and R to the Trimmer (stepText()) and
// starts the next run, if one is wanted. The trim ends Finished when the
// Trimmer wants no more runs (met() tells whether it met its tolerance),
// Failed when a run gives no result, shows no resonance or cannot start
// (message() says why), and Cancelled after cancel().
class Trim {
 public:
  using State = Check::State;
  static constexpr const char* kNoResonance =
      "The solver shows no resonance in the band; the trim stops.";

  // Starts the first run, of `start`. Throws std::invalid_argument for a
  // target that is not positive, and as Check does (`large` goes to each
  // of its checks).
  Trim(const Request& start, ImpedanceModel model, double f0Hz, double z0, int threads = 0,
       bool large = false);

  State poll();
  // Cancels the run under way; its result, should it finish first, is
  // taken but not stepped on.
  void cancel();

  State state() const { return state_; }
  const std::string& message() const { return message_; }
  bool met() const { return trimmer_.met(); }
  const Trimmer& trimmer() const { return trimmer_; }
  // The run under way, or the last one.
  const Check& check() const { return *check_; }
  // The request of that run.
  const Request& request() const { return request_; }
  // What the last poll took: the result of the run that finished, and the
  // step's line when its answer was stepped on (empty when it showed no
  // resonance or the trim was cancelled).
  const std::optional<Result>& taken() const { return taken_; }
  const std::string& stepText() const { return stepText_; }

 private:
  Trimmer trimmer_;
  Request request_;
  int threads_;
  bool large_;
  std::unique_ptr<Check> check_;
  State state_ = State::Running;
  std::string message_;
  bool cancelled_ = false;
  std::optional<Result> taken_;
  std::string stepText_;
};

}  // namespace fullwave
