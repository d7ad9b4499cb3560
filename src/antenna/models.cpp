// The registry of impedance models: the classic transmission-line model
// (the default) and the refined one, each wrapping its own formulas.
#include "antenna/models.h"

#include <array>
#include <cmath>
#include <stdexcept>
#include <vector>

#include "antenna/classic_model.h"
#include "antenna/numbers.h"
#include "antenna/refined_model.h"
#include "antenna/synthesis.h"
#include "antenna/units.h"

namespace antenna {
namespace {

class ClassicModel final : public PatchModel {
 public:
  std::string_view name() const override { return "classic"; }
  std::string_view title() const override { return "classic transmission line"; }
  std::string_view label() const override { return "Classic transmission line"; }
  bool takesFeed(Feed feed) const override { return feed == Feed::probe; }
  bool takesBoard() const override { return false; }
  bool hasLosses() const override { return false; }
  std::string problem(const Patch&, const Board&, std::span<const double>) const override {
    return {};
  }
  std::vector<std::complex<double>> impedance(const Patch& patch, const Board&,
                                              std::span<const double> hz) const override {
    return classic::inputImpedance(patch, std::vector<double>(hz.begin(), hz.end()));
  }
  std::optional<ModelLosses> losses(const Patch&, const Board&,
                                    std::span<const double>) const override {
    return std::nullopt;
  }
  std::string trust(double f0Hz, double er, double height) const override {
    return classicTrust(f0Hz, er, height);
  }
};

class RefinedModel final : public PatchModel {
 public:
  std::string_view name() const override { return "refined"; }
  std::string_view title() const override { return "refined"; }
  std::string_view label() const override { return "Refined"; }
  bool takesFeed(Feed feed) const override { return feed == Feed::probe; }
  bool takesBoard() const override { return true; }
  bool hasLosses() const override { return true; }
  std::string problem(const Patch& patch, const Board& board,
                      std::span<const double> hz) const override {
    return refinedInputProblem(patch, board, hz);
  }
  std::vector<std::complex<double>> impedance(const Patch& patch, const Board& board,
                                              std::span<const double> hz) const override {
    return refinedImpedance(patch, board, hz).zin;
  }
  std::optional<ModelLosses> losses(const Patch& patch, const Board& board,
                                    std::span<const double> hz) const override {
    RefinedSweep s = refinedImpedance(patch, board, hz);
    return ModelLosses{std::move(s.efficiency), std::move(s.q)};
  }
  std::string trust(double, double, double) const override { return std::string(refinedTrustNote); }
};

const ClassicModel kClassic;
const RefinedModel kRefined;
const std::array<ImpedanceModel, 2> kModels{ImpedanceModel(kClassic), ImpedanceModel(kRefined)};

}  // namespace

ImpedanceModel::ImpedanceModel() : model_(&kClassic) {}

std::span<const ImpedanceModel> impedanceModels() {
  return kModels;
}

ImpedanceModel mostTrustedModel() {
  return ImpedanceModel(kRefined);
}

std::optional<ImpedanceModel> impedanceModelNamed(std::string_view name) {
  for (const ImpedanceModel& m : kModels)
    if (m->name() == name) return m;
  return std::nullopt;
}

std::string impedanceModelChoices() {
  std::string out;
  for (std::size_t i = 0; i < kModels.size(); ++i) {
    if (i > 0) out += i + 1 == kModels.size() ? " or " : ", ";
    out += kModels[i]->name();
  }
  return out;
}

void requireFiniteImpedance(std::span<const std::complex<double>> z, std::span<const double> hz) {
  for (std::size_t i = 0; i < z.size(); ++i)
    if (!std::isfinite(z[i].real()) || !std::isfinite(z[i].imag()))
      throw std::invalid_argument("it gives no finite impedance at " +
                                  formatNumber(ghzFromHz(hz[i]), 6) +
                                  " GHz for this design and board.");
}

Design synthesiseOn(const Target& target, const Limits& limits, ImpedanceModel model,
                    const Board& board) {
  if (model.isDefault()) return synthesise(target, limits);
  return synthesise(target, limits, [model, &board](const Patch& p, const std::vector<double>& hz) {
    return model->impedance(p, board, hz);
  });
}

}  // namespace antenna
