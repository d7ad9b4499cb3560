// The trim's arithmetic and its runs.
#include "fullwave/trim.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <exception>
#include <stdexcept>

#include "antenna/units.h"

namespace fullwave {

using antenna::Patch;

Trimmer::Trimmer(const Patch& start, const antenna::Board& board, ImpedanceModel model, double f0Hz,
                 double z0)
    : current_(start), board_(board), model_(model), f0_(f0Hz), z0_(z0) {
  if (!(f0Hz > 0) || !(z0 > 0))
    throw std::invalid_argument("The trim needs a positive frequency and resistance.");
}

bool Trimmer::take(double resonanceHz, double r) {
  steps_.push_back({current_, resonanceHz, r});
  met_ = std::abs(resonanceHz - f0_) <= kFrequencyTolerance * f0_ &&
         std::abs(r - z0_) <= kResistanceTolerance * z0_;
  if (met_ || static_cast<int>(steps_.size()) >= kMaxRuns) return false;
  // The model's slopes by central differences; its own errors cancel in
  // them, so they size the step even where its absolute answer is off.
  const double dL = 1e-3 * current_.length, dx = 1e-2 * current_.feedOffset;
  Patch lo = current_, hi = current_;
  lo.length -= dL, hi.length += dL;
  const auto fLo = modelResonance(lo, board_, model_, resonanceHz);
  const auto fHi = modelResonance(hi, board_, model_, resonanceHz);
  Patch xlo = current_, xhi = current_;
  xlo.feedOffset -= dx, xhi.feedOffset += dx;
  const auto rLo = modelResonance(xlo, board_, model_, resonanceHz);
  const auto rHi = modelResonance(xhi, board_, model_, resonanceHz);
  if (!fLo || !fHi || !rLo || !rHi) return false;
  const double dFdL = (fHi->hz - fLo->hz) / (2 * dL);
  const double dRdx = (rHi->r - rLo->r) / (2 * dx);
  Patch next = current_;
  if (dFdL != 0) next.length += (f0_ - resonanceHz) / dFdL;
  if (dRdx != 0) next.feedOffset += (z0_ - r) / dRdx;
  // The feed stays on the patch's half towards its edge; both sizes are
  // what a board can hold, so that the patch the solver runs is the one the
  // window is given.
  next.feedOffset = std::clamp(next.feedOffset, 0.02 * next.length, 0.49 * next.length);
  next.length = antenna::onBoardGrid(next.length);
  next.feedOffset = antenna::onBoardGrid(next.feedOffset);
  if (!(next.length > 0)) return false;
  current_ = next;
  return true;
}

std::string Trimmer::stepText(const TrimStep& s) const {
  char text[200];
  std::snprintf(text, sizeof text,
                "run %zu: L %.4f mm, feed %.4f mm -> resonance %.5f GHz (%+.2f%%), R %.2f ohm "
                "(%+.1f%%)",
                static_cast<size_t>(&s - steps_.data()) + 1, antenna::mmFromMetres(s.patch.length),
                antenna::mmFromMetres(s.patch.feedOffset), antenna::ghzFromHz(s.resonanceHz),
                (s.resonanceHz - f0_) / f0_ * 100, s.r, (s.r - z0_) / z0_ * 100);
  return text;
}

Trim::Trim(const Request& start, ImpedanceModel model, double f0Hz, double z0, int threads,
           bool large)
    : trimmer_(start.patch, start.board, model, f0Hz, z0),
      request_(start),
      threads_(threads),
      large_(large),
      check_(std::make_unique<Check>(start, threads, large)) {}

Trim::State Trim::poll() {
  taken_.reset();
  stepText_.clear();
  if (state_ != State::Running) return state_;
  const State s = check_->poll();
  if (s == State::Running) return state_;
  if (s != State::Finished) {
    state_ = s;
    message_ = check_->message();
    return state_;
  }
  taken_ = *check_->result();
  if (cancelled_) {
    state_ = State::Cancelled;
    return state_;
  }
  const auto res = resonanceOf(taken_->solver);
  if (!res) {
    state_ = State::Failed;
    message_ = kNoResonance;
    return state_;
  }
  const bool again = trimmer_.take(res->hz, res->r);
  stepText_ = trimmer_.stepText(trimmer_.steps().back());
  if (!again) {
    state_ = State::Finished;
    return state_;
  }
  request_.patch = trimmer_.current();
  try {
    check_ = std::make_unique<Check>(request_, threads_, large_);
  } catch (const std::exception& e) {
    state_ = State::Failed;
    message_ = e.what();
  }
  return state_;
}

void Trim::cancel() {
  if (state_ != State::Running) return;
  cancelled_ = true;
  check_->cancel();
}

}  // namespace fullwave
