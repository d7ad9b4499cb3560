// fullwave [quick|standard|fine], fullwave trim [F0] [Z0], fullwave export
// DIR [LEVEL], fullwave import DIR. A check prints one JSON line of its
// figures; the trim prints one per solver run and types the trimmed design.
#include "script/fullwave_command.h"

#include <chrono>
#include <optional>
#include <stdexcept>
#include <thread>

#include "antenna/numbers.h"
#include "design/acts.h"
#include "design/commands.h"
#include "design/model_choice.h"
#include "figures/fullwave_figure.h"
#include "formats/words.h"
#include "fullwave/check.h"
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

// Runs the check to its end, telling its progress every two seconds.
fullwave::Result finished(fullwave::Check& check, std::ostream& progress) {
  auto told = std::chrono::steady_clock::now();
  while (check.poll() == fullwave::Check::State::Running) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    if (std::chrono::steady_clock::now() - told > std::chrono::seconds(2)) {
      progress << "fullwave: " << check.progressText() << '\n' << std::flush;
      told = std::chrono::steady_clock::now();
    }
  }
  if (check.state() != fullwave::Check::State::Finished) throw std::runtime_error(check.message());
  if (!check.message().empty()) progress << "fullwave: " << check.message() << '\n';
  return *check.result();
}

std::string summaryJson(const fullwave::Result& r) {
  const fullwave::Summary s =
      fullwave::summarise(r, fullwave::modelSweep(r.request, design::chosenModel()));
  const auto n = [](double v) { return jsonNumber(v); };
  return "{\"quality\": " + jsonString(fullwave::solverQualityName(r.request.quality)) +
         ", \"cells\": " + std::to_string(r.stats.cells) +
         ", \"timesteps\": " + std::to_string(r.stats.timesteps) +
         ", \"seconds\": " + n(r.stats.seconds) + ", \"end_db\": " + n(r.stats.endDb) +
         ", \"truncated\": " + (r.stats.truncated ? "true" : "false") +
         ", \"resonance_ghz\": " + n(s.resonanceGhz) +
         ", \"r_at_resonance\": " + n(s.rAtResonance) +
         ", \"model_resonance_ghz\": " + n(s.modelResonanceGhz) +
         ", \"shift_percent\": " + n(s.shiftPercent) + ", \"s11_min_db\": " + n(s.s11MinDb) +
         ", \"bandwidth_ghz\": " + n(s.bandwidthGhz) +
         ", \"directivity_dbi\": " + n(s.directivityDbi) + ", \"folder\": " + jsonString(r.folder) +
         "}";
}

fullwave::Result check(const fullwave::Request& request, std::ostream& progress) {
  fullwave::Check c(request);
  return finished(c, progress);
}

std::string trim(std::string_view rest, std::ostream& progress) {
  fullwave::Request request = design::windowRequest(SolverQuality::Quick);
  const double centre = 0.5 * (request.band.fmin + request.band.fmax);
  const auto model =
      fullwave::modelResonance(request.patch, request.board, design::chosenModel(), centre);
  const double f0 =
      numberOr(formats::word(rest), model ? model->hz / 1e9 : centre / 1e9, "F0 in GHz") * 1e9;
  const double z0 = numberOr(formats::word(rest), 50, "Z0 in ohm");
  fullwave::Trimmer trimmer(request.patch, request.board, design::chosenModel(), f0, z0);
  std::string lines;
  std::optional<fullwave::Result> last;
  for (bool again = true; again;) {
    request.patch = trimmer.current();
    const fullwave::Result& r = *(last = check(request, progress));
    const auto res = fullwave::resonanceOf(r.solver);
    if (!res)
      throw std::runtime_error("The solver shows no resonance in the band; the trim stops.");
    again = trimmer.take(res->hz, res->r);
    const std::string step = trimmer.stepText(trimmer.steps().back());
    progress << "fullwave trim: " << step << '\n' << std::flush;
    lines += (lines.empty() ? "" : "\n") + summaryJson(r);
  }
  design::typeTrimmedDesign(trimmer.steps().back().patch);
  figures::showFullWaveResult(*last);
  if (!trimmer.met())
    progress << "fullwave trim: not within 0.2% and 5% after " << trimmer.steps().size()
             << " runs; the last design is typed in\n";
  return lines;
}

}  // namespace

std::string fullwaveCommand(std::string_view rest, std::ostream& progress) {
  const std::string_view first = formats::word(rest);
  if (first == "trim") return trim(rest, progress);
  if (first == "export" || first == "import") {
    const std::string_view dir = formats::word(rest);
    if (dir.empty())
      throw std::invalid_argument("fullwave " + std::string(first) + " needs a folder");
    if (first == "import") {
      const fullwave::Result r = fullwave::importRun(std::string(dir));
      figures::showFullWaveResult(r);
      return summaryJson(r);
    }
    const std::string run = fullwave::exportRun(
        design::windowRequest(qualityOf(formats::word(rest))), std::string(dir));
    return "{\"folder\": " + jsonString(dir) + ", \"run\": " + jsonString(run) + "}";
  }
  const fullwave::Result r = check(design::windowRequest(qualityOf(first)), progress);
  figures::showFullWaveResult(r);
  return summaryJson(r);
}

}  // namespace script
