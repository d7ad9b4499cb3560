// fullwave [quick|standard|fine] [large=yes], fullwave trim [F0] [Z0]
// [large=yes], fullwave export DIR [LEVEL], fullwave import DIR. A check
// prints one JSON line of its figures; the trim prints one per solver run
// and types the trimmed design. A large run starts only with large=yes.
#include "script/fullwave_command.h"

#include <chrono>
#include <cmath>
#include <optional>
#include <stdexcept>
#include <thread>

#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/acts.h"
#include "design/commands.h"
#include "design/model_choice.h"
#include "figures/fullwave_figure.h"
#include "formats/words.h"
#include "fullwave/check.h"
#include "fullwave/trim.h"
#include "script/json.h"

namespace script {
namespace {

using fullwave::SolverQuality;

SolverQuality qualityOf(std::string_view name) {
  if (name.empty()) return SolverQuality::Quick;
  if (auto q = fullwave::solverQualityNamed(name)) return *q;
  throw std::invalid_argument("fullwave takes quick, standard or fine, not \"" + std::string(name) +
                              "\"");
}

double numberOr(std::string_view text, double fallback, const char* what) {
  if (text.empty()) return fallback;
  if (auto v = antenna::parseNumber(text); v && *v > 0) return *v;
  throw std::invalid_argument(std::string("fullwave trim needs ") + what + " as a positive number");
}

constexpr std::string_view kLargeWord = "large=yes";

// Takes "large=yes" off the end of `rest`: whether it was there.
bool takeLarge(std::string_view& rest) {
  const std::string_view line = formats::strip(rest);
  const size_t at = line.find_last_of(" \t");
  const std::string_view last = at == std::string_view::npos ? line : line.substr(at + 1);
  if (last.starts_with("large=") && last != kLargeWord)
    throw std::invalid_argument("fullwave takes large=yes to run a large check, not \"" +
                                formats::shown(last, 40) + "\"");
  if (last != kLargeWord) return false;
  rest = line.substr(0, line.size() - last.size());
  return true;
}

// A large run not confirmed: its size, and how to run it.
[[noreturn]] void refuseLarge(const fullwave::LargeRun& e, std::string_view command) {
  throw std::invalid_argument(std::string(e.what()) + " Run it with \"" + std::string(command) +
                              " " + std::string(kLargeWord) + "\" if you want it.");
}

// The wait between two polls of a run, telling its progress every two
// seconds from the run's start.
class Waiting {
 public:
  explicit Waiting(std::ostream& progress) : progress_(progress) {}
  // A new run has started.
  void restart() { told_ = std::chrono::steady_clock::now(); }
  void pause(const fullwave::Check& running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (std::chrono::steady_clock::now() - told_ > std::chrono::seconds(2)) {
      progress_ << "fullwave: " << running.progressText() << '\n' << std::flush;
      told_ = std::chrono::steady_clock::now();
    }
  }

 private:
  std::ostream& progress_;
  std::chrono::steady_clock::time_point told_ = std::chrono::steady_clock::now();
};

std::string summaryJson(const fullwave::Result& r) {
  const fullwave::Summary s =
      fullwave::summarise(r, fullwave::modelSweep(r.request, design::chosenModel()));
  const auto n = [](double v) { return jsonNumber(v); };
  const auto ghz = [](double hz) { return jsonNumber(antenna::ghzFromHz(hz)); };
  return "{\"quality\": " + jsonString(fullwave::solverQualityName(r.request.quality)) +
         ", \"cells\": " + std::to_string(r.stats.cells) +
         ", \"timesteps\": " + std::to_string(r.stats.timesteps) +
         ", \"seconds\": " + n(r.stats.seconds) + ", \"end_db\": " + n(r.stats.endDb) +
         ", \"truncated\": " + (r.stats.truncated ? "true" : "false") +
         ", \"resonance_ghz\": " + ghz(s.resonanceHz) +
         ", \"r_at_resonance\": " + n(s.rAtResonance) +
         ", \"model_resonance_ghz\": " + ghz(s.modelResonanceHz) +
         ", \"shift_percent\": " + n(s.shiftPercent) + ", \"s11_min_db\": " + n(s.s11MinDb) +
         ", \"band_ghz\": " +
         (std::isnan(s.bandFromHz) ? "null"
                                   : "[" + ghz(s.bandFromHz) + ", " + ghz(s.bandToHz) + "]") +
         ", \"bandwidth_ghz\": " + ghz(s.bandwidthHz) +
         ", \"directivity_dbi\": " + n(s.directivityDbi) + ", \"folder\": " + jsonString(r.folder) +
         "}";
}

// Runs the check to its end.
fullwave::Result check(const fullwave::Request& request, bool large, std::ostream& progress) {
  std::optional<fullwave::Check> started;
  try {
    started.emplace(request, 0, large);
  } catch (const fullwave::LargeRun& e) {
    refuseLarge(e, "fullwave " + std::string(fullwave::solverQualityName(request.quality)));
  }
  fullwave::Check& c = *started;
  Waiting waiting(progress);
  if (c.waiting()) progress << "fullwave: " << c.progressText() << '\n' << std::flush;
  while (c.poll() == fullwave::Check::State::Running) waiting.pause(c);
  if (c.state() != fullwave::Check::State::Finished) throw std::runtime_error(c.message());
  if (!c.message().empty()) progress << "fullwave: " << c.message() << '\n';
  return *c.result();
}

std::string trim(std::string_view rest, std::ostream& progress) {
  const bool large = takeLarge(rest);
  fullwave::Request request = design::windowRequest(SolverQuality::Quick);
  const double centre = 0.5 * (request.band.fmin + request.band.fmax);
  const auto model =
      fullwave::modelResonance(request.patch, request.board, design::chosenModel(), centre);
  const double f0 = antenna::hzFromGhz(
      numberOr(formats::word(rest), antenna::ghzFromHz(model ? model->hz : centre), "F0 in GHz"));
  const double z0 = numberOr(formats::word(rest), 50, "Z0 in ohm");
  std::optional<fullwave::Trim> started;
  try {
    started.emplace(request, design::chosenModel(), f0, z0, 0, large);
  } catch (const fullwave::LargeRun& e) {
    refuseLarge(e, "fullwave trim " + antenna::formatNumber(antenna::ghzFromHz(f0), 6) + " " +
                       antenna::formatNumber(z0, 6));
  }
  fullwave::Trim& trim = *started;
  Waiting waiting(progress);
  std::string lines;
  std::optional<fullwave::Result> last;
  for (;;) {
    const fullwave::Trim::State state = trim.poll();
    if (trim.taken()) {
      last = trim.taken();
      if (!trim.stepText().empty()) {
        progress << "fullwave trim: " << trim.stepText() << '\n' << std::flush;
        lines += (lines.empty() ? "" : "\n") + summaryJson(*last);
      }
      waiting.restart();
    }
    if (state != fullwave::Trim::State::Running) break;
    if (!trim.taken()) waiting.pause(trim.check());
  }
  if (trim.state() != fullwave::Trim::State::Finished) throw std::runtime_error(trim.message());
  design::typeTrimmedDesign(trim.trimmer().steps().back().patch);
  figures::showFullWaveResult(*last);
  if (!trim.met())
    progress << "fullwave trim: not within 0.2% and 5% after " << trim.trimmer().steps().size()
             << " runs; the last design is typed in\n";
  return lines;
}

}  // namespace

std::string fullWaveCommand(std::string_view rest, std::ostream& progress) {
  std::string_view whole = rest;
  const std::string_view first = formats::word(rest);
  if (first == "trim") return trim(rest, progress);
  if (first == "export" || first == "import") {
    const std::string_view dir = formats::word(rest);
    if (dir.empty())
      throw std::invalid_argument("fullwave " + std::string(first) + " needs a folder");
    if (first == "import") {
      const fullwave::Result r = fullwave::importRun(std::string(dir));
      if (const std::string note = fullwave::cautionNote(r); !note.empty())
        progress << "fullwave: " << note << '\n';
      figures::showFullWaveResult(r);
      return summaryJson(r);
    }
    const std::string run = fullwave::exportRun(
        design::windowRequest(qualityOf(formats::word(rest))), std::string(dir));
    return "{\"folder\": " + jsonString(dir) + ", \"run\": " + jsonString(run) + "}";
  }
  const bool large = takeLarge(whole);
  const fullwave::Result r =
      check(design::windowRequest(qualityOf(formats::word(whole))), large, progress);
  figures::showFullWaveResult(r);
  return summaryJson(r);
}

}  // namespace script
