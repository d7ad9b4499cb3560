// The impedance models of the patch the program offers, each an entry
// behind one interface: its name, its labels, what it needs, the input
// impedance over a band and, where it has them, the radiation efficiency and
// the quality factor. The menu, the script, design files, synthesis and the
// figures ask the registry; none of them knows a model by name. The first
// entry, the classic transmission-line model, is the default and the one the
// window's own callbacks draw.
#pragma once

#include <complex>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "antenna/patch.h"
#include "antenna/synthesis.h"

namespace antenna {

// What a model gives beside the impedance, at each frequency.
struct ModelLosses {
  std::vector<double> efficiency;  // radiated over accepted power, 0..1
  std::vector<double> q;           // total quality factor
};

// One impedance model. Frequencies are in Hz, sizes in metres.
class PatchModel {
 public:
  virtual ~PatchModel() = default;
  // As the script, design files and JSON name it ("classic").
  virtual std::string_view name() const = 0;
  // As captions and headers name it ("classic transmission line").
  virtual std::string_view title() const = 0;
  // As a menu offers it ("Classic transmission line").
  virtual std::string_view label() const = 0;
  // Whether it models the patch fed this way.
  virtual bool takesFeed(Feed feed) const = 0;
  // Whether it takes the board (losses, copper, probe) beyond the patch.
  virtual bool takesBoard() const = 0;
  // Why it cannot take this patch, board and band; empty when it can.
  virtual std::string problem(const Patch& patch, const Board& board,
                              std::span<const double> hz) const = 0;
  // The input impedance at the feed. Throws std::invalid_argument with
  // problem()'s message when that is not empty.
  virtual std::vector<std::complex<double>> impedance(const Patch& patch, const Board& board,
                                                      std::span<const double> hz) const = 0;
  // Whether it has losses, and so an efficiency and a Q.
  virtual bool hasLosses() const = 0;
  // Efficiency and Q where the model has losses; nothing for a lossless one.
  virtual std::optional<ModelLosses> losses(const Patch& patch, const Board& board,
                                            std::span<const double> hz) const = 0;
  // How far to trust a design made on it for f0 on a board of er and
  // height h, in one line.
  virtual std::string trust(double f0Hz, double er, double height) const = 0;
};

// A model as a value: copied, compared and passed like a number. A default
// one is the registry's first, the classic model.
class ImpedanceModel {
 public:
  ImpedanceModel();
  explicit ImpedanceModel(const PatchModel& model) : model_(&model) {}
  const PatchModel* operator->() const { return model_; }
  const PatchModel& operator*() const { return *model_; }
  bool operator==(const ImpedanceModel&) const = default;
  // Whether this is the model the window's own callbacks draw.
  bool isDefault() const { return *this == ImpedanceModel(); }

 private:
  const PatchModel* model_;
};

// Every model, the default first.
std::span<const ImpedanceModel> impedanceModels();
// The model nearest full-wave runs, which a design proposal starts on so
// that a built patch resonates where it was asked to.
ImpedanceModel mostTrustedModel();
// The model of that name, or nothing.
std::optional<ImpedanceModel> impedanceModelNamed(std::string_view name);
// The names as a message lists the choices: "classic or refined".
std::string impedanceModelChoices();
// As the script, saved designs and JSON name it.
inline std::string_view modelName(ImpedanceModel m) {
  return m->name();
}

// No curve, readout or file is made of what is no number: throws
// std::invalid_argument "it gives no finite impedance at F GHz for this design
// and board." at the first value of `z` (at `hz`) that is not finite.
void requireFiniteImpedance(std::span<const std::complex<double>> z, std::span<const double> hz);

// The design for the target within `limits` on `model` with `board`. The
// default model is searched through the classic function the window draws
// with, so that its design is the window's to the last bit.
Design synthesiseOn(const Target& target, const Limits& limits, ImpedanceModel model,
                    const Board& board);

}  // namespace antenna
