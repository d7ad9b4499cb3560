// The Far-field figure, drawn through the graphics runtime like any figure
// so that it saves, exports and renders as the others do. The analysis is in
// antenna/farfield.cpp and the pattern in antenna/patch_pattern.cpp; this
// file picks the frequency and model, and turns the results into objects:
// each cut on a polar chart (charts.h), the -3 dB points marked on it.
#include "figures/farfield_figure.h"

#include <algorithm>
#include <cmath>
#include <span>
#include <stdexcept>

#include "antenna/numbers.h"
#include "antenna/patch_pattern.h"
#include "antenna/readout.h"
#include "antenna/refined_model.h"
#include "antenna/units.h"
#include "design/design_io.h"
#include "design/main_window.h"
#include "figures/charts.h"
#include "figures/figure_parts.h"
#include "figures/pattern_windows.h"
#include "fullwave/check.h"
#include "platform/files/atomic_file.h"
#include "platform/graphics/graphics.h"

namespace figures {

using design::addModelObserver;
using design::chosenBoard;
using design::chosenModel;
using design::ImpedanceModel;
using design::removeModelObserver;
namespace {

using rt::Array;

constexpr const char* kFigureTag = "tessivar_farfield";
// Figure layout in pixels; each plot's box has the shape of its limits, so
// that a circle is round.
constexpr Box kFigurePos{100, 40, 980, 660};
const Box kEAxesPos{30, 200, 450, polarChartHeight(450)};
const Box kHAxesPos{500, 200, 450, polarChartHeight(450)};
constexpr Box kModelPanelPos{20, 20, 460, 150};
constexpr Box kFullWavePanelPos{500, 20, 460, 150};

std::string number(double v, std::string_view unit = {}) {
  return antenna::formatNumber(v, 4, unit);
}

std::string hpbwText(const std::optional<double>& hpbw) {
  return hpbw ? number(*hpbw, "deg") + " (between the circles)"
              : "none (above -3 dB down to the ground plane)";
}

std::vector<std::string> cutLines(const antenna::FarField& f) {
  return {"Directivity: " + number(f.directivityDbi, "dBi"),
          "HPBW E-plane: " + hpbwText(f.hpbwEDeg), "HPBW H-plane: " + hpbwText(f.hpbwHDeg),
          "Maximum: theta " + number(f.maxThetaDeg, "deg") + ", phi " + number(f.maxPhiDeg, "deg")};
}

// The model's two blocks, then the solver's; or one plane's, the model's
// then the solver's.
std::string cutsText(const FarFieldCase& c, const std::optional<FullWaveCuts>& fw) {
  std::string text = antenna::cutsCsv(c.field);
  if (fw) text += "\n" + antenna::cutsCsv(fw->field);
  return text;
}
std::string planeText(const FarFieldCase& c, const std::optional<FullWaveCuts>& fw, bool ePlane) {
  std::string text = antenna::cutCsv(c.field, ePlane);
  if (fw) text += "\n" + antenna::cutCsv(fw->field, ePlane);
  return text;
}

// The lines that show one far field on both plots.
struct Trace {
  double e = 0, h = 0, eMarks = 0, hMarks = 0;
};

class FarFieldFigure {
 public:
  FarFieldFigure() {
    fig_ = makeFigure({"Far field", kFigureTag, kFigurePos});
    // White, so that the axes' own lines and ticks, drawn white, do not show.
    rt::set(rt::scalar(fig_), {rt::str("Color"), kColours.panel.array()});
    eAxes_ = polarAxes(kEAxesPos, "E-plane (phi = 0/180 deg), dB");
    hAxes_ = polarAxes(kHAxesPos, "H-plane (phi = 90/270 deg), dB");
    model_ = makeTrace(kColours.model);
    fullWave_ = makeTrace(kColours.solver);
    modelPanel_ =
        makeControl(fig_, {"text", kModelPanelPos, "", "", "", kColours.model, kColours.panel});
    fullWavePanel_ =
        makeControl(fig_, {"text", kFullWavePanelPos, "", "", "", kColours.solver, kColours.panel});
    observer_ = addModelObserver([] { followModelInOpenFigure(); });
    actObserver_ = rt::gfx::addActObserver([] { followWindowInOpenFigure(); });
  }

  ~FarFieldFigure() {
    removeModelObserver(observer_);
    rt::gfx::removeActObserver(actObserver_);
  }
  FarFieldFigure(const FarFieldFigure&) = delete;
  FarFieldFigure& operator=(const FarFieldFigure&) = delete;

  double handle() const { return fig_; }
  bool alive() const { return isFarFieldFigure(fig_); }

  void show(const FarFieldCase& c, const std::optional<FullWaveCuts>& fw) {
    shown_ = c;
    shownFullWave_ = fw;
    draw(model_, &c.field);
    draw(fullWave_, fw ? &fw->field : nullptr);
    setTextLines(modelPanel_, farFieldLines(c));
    setTextLines(
        fullWavePanel_,
        fw ? fullWaveLines(*fw)
           : std::vector<std::string>{"No full-wave result shown for this design and frequency."});
  }

  std::string csv() const { return cutsText(shown_, shownFullWave_); }

  // The cuts as angles and levels for the figure or one of its plots: the
  // points of a polar plot are only where they fall on the page.
  std::optional<std::string> dataOf(double h) const {
    if (h == fig_) return csv();
    if (h == eAxes_ || h == hAxes_) return planeText(shown_, shownFullWave_, h == eAxes_);
    return std::nullopt;
  }

  // Whether acts on the main window move the figure to its new design (at
  // `ghz`, or the default frequency): so when it was opened for the
  // window's design, not when for a pattern window's.
  void followsWindow(bool follows, std::optional<double> ghz) {
    following_ = follows;
    askedGhz_ = ghz;
  }

  // A trim typing its design, or the user's edits: the window's new design
  // is shown; one the pattern cannot take keeps the last, said to be of an
  // earlier design.
  void followWindow() {
    if (!following_ || design::windowHolds(shown_.patch, chosenBoard())) return;
    try {
      const FarFieldCase c = windowFarFieldCase(askedGhz_);
      show(c, keptFullWaveCuts(c.patch, c.ghz));
    } catch (const std::exception& e) {
      std::vector<std::string> lines = farFieldLines(shown_);
      lines.push_back("Of an earlier design: " + std::string(e.what()));
      setTextLines(modelPanel_, lines);
    }
  }

  // Another model or board chosen: the gain follows it. A design the refined
  // model refuses keeps the directivity and says why there is no gain.
  void followModel() {
    FarFieldCase c = shown_;
    std::string refusal;
    try {
      c = farFieldCase(shown_.patch, shown_.ghz);
    } catch (const std::invalid_argument& e) {
      c.model = chosenModel();
      c.efficiency.reset();
      refusal = e.what();
    }
    show(c, shownFullWave_);
    if (!refusal.empty()) {
      std::vector<std::string> lines = farFieldLines(c);
      lines.push_back(refusal);
      setTextLines(modelPanel_, lines);
    }
  }

  static void followModelInOpenFigure();
  static void followWindowInOpenFigure();

 private:
  double polarAxes(const Box& pos, const std::string& title) {
    const double ax = makeAxes(fig_, pos, /*equalAspect=*/true);
    drawPolarGrid(ax);
    rt::set(rt::get(rt::scalar(ax), "Title"), {rt::str("String"), rt::str(title)});
    return ax;
  }

  Trace makeTrace(Rgb colour) {
    Trace t;
    const std::initializer_list<Array> marks = {
        rt::str("LineStyle"),  rt::str("none"), rt::str("Marker"),  rt::str("o"),
        rt::str("MarkerSize"), rt::scalar(7),   rt::str("HitTest"), rt::str("off")};
    t.e = makeLine(eAxes_, {}, {}, colour, {rt::str("LineWidth"), rt::scalar(1.5)});
    t.h = makeLine(hAxes_, {}, {}, colour, {rt::str("LineWidth"), rt::scalar(1.5)});
    t.eMarks = makeLine(eAxes_, {}, {}, colour, marks);
    t.hMarks = makeLine(hAxes_, {}, {}, colour, marks);
    return t;
  }

  void setData(double l, const std::pair<std::vector<double>, std::vector<double>>& xy) {
    setLineData(l, xy.first, xy.second);
  }

  void draw(const Trace& t, const antenna::FarField* f) {
    if (f == nullptr) {
      for (double l : {t.e, t.h, t.eMarks, t.hMarks}) setData(l, {});
      return;
    }
    setData(t.e, polarPoints(f->ePlane.angleDeg, f->ePlane.levelDb));
    setData(t.h, polarPoints(f->hPlane.angleDeg, f->hPlane.levelDb));
    for (auto [cut, marks] : {std::pair{&f->ePlane, t.eMarks}, std::pair{&f->hPlane, t.hMarks}}) {
      const antenna::HalfPowerAngles half = antenna::halfPowerAngles(*cut);
      std::vector<double> at;
      for (const std::optional<double>& side : {half.leftDeg, half.rightDeg})
        if (side) at.push_back(*side);
      setData(marks, polarPoints(at, std::vector<double>(at.size(), -3)));
    }
  }

  double fig_ = 0, eAxes_ = 0, hAxes_ = 0, modelPanel_ = 0, fullWavePanel_ = 0;
  Trace model_, fullWave_;
  FarFieldCase shown_;
  std::optional<FullWaveCuts> shownFullWave_;
  bool following_ = false;
  std::optional<double> askedGhz_;
  int observer_ = 0, actObserver_ = 0;
};

OneFigure<FarFieldFigure>& slot() {
  static OneFigure<FarFieldFigure> figure;
  return figure;
}

void FarFieldFigure::followModelInOpenFigure() {
  if (FarFieldFigure* f = slot().open()) f->followModel();
}

void FarFieldFigure::followWindowInOpenFigure() {
  if (FarFieldFigure* f = slot().open()) f->followWindow();
}

std::optional<double> gainOf(double directivityDbi, const std::optional<double>& efficiency) {
  if (!efficiency) return std::nullopt;
  return directivityDbi + 10 * std::log10(*efficiency);
}

// The solver's step between near-field dumps, over the frequency.
constexpr double kDumpStep = 0.015;

std::optional<std::pair<antenna::Patch, FullWaveCuts>>& kept() {
  static std::optional<std::pair<antenna::Patch, FullWaveCuts>> k;
  return k;
}

}  // namespace

std::optional<double> FarFieldCase::gainDbi() const {
  return gainOf(field.directivityDbi, efficiency);
}

std::optional<double> FullWaveCuts::gainDbi() const {
  return gainOf(field.directivityDbi, efficiency);
}

void keepFullWaveResult(const fullwave::Result& r) {
  if (!r.farField) return;
  const fullwave::FarField& ff = *r.farField;
  try {
    FullWaveCuts cuts =
        fullWaveCutsFrom(ff.directivityDbi, ff.angleDeg, ff.ePlaneDb, ff.hPlaneDb, "openEMS");
    cuts.ghz = antenna::ghzFromHz(ff.frequencyHz);
    kept().emplace(r.request.patch, std::move(cuts));
  } catch (const std::invalid_argument&) {
    // Cuts the plots cannot take: the figure shows the model's alone.
  }
}

std::optional<FullWaveCuts> keptFullWaveCuts(const antenna::Patch& patch,
                                             std::optional<double> ghz) {
  const auto& k = kept();
  if (!k || !antenna::sameDesign(k->first, patch)) return std::nullopt;
  if (ghz && !(std::abs(*ghz - k->second.ghz) <= kDumpStep * k->second.ghz)) return std::nullopt;
  return k->second;
}

FarFieldCase farFieldCase(const antenna::Patch& patch, double ghz) {
  if (!std::isfinite(ghz) || ghz <= 0)
    throw std::invalid_argument("the far field needs a frequency above 0 GHz, not " +
                                antenna::formatNumber(ghz, 6) + " GHz");
  FarFieldCase c{patch, ghz, chosenModel(), {}, {}};
  c.field = antenna::analyseFarField(antenna::PatchPattern(patch, antenna::hzFromGhz(ghz)));
  if (c.model->hasLosses()) {
    const double hz[] = {antenna::hzFromGhz(ghz)};
    c.efficiency = c.model->losses(patch, chosenBoard(), hz)->efficiency.at(0);
  }
  return c;
}

double defaultFarFieldGhz() {
  const design::WindowDesign d = design::windowDesign();
  // Typing a band puts the pattern slider at Fmin: there it says nothing of
  // where the user wants the far field.
  if (std::isfinite(d.patternGhz) && d.patternGhz > 0 && d.patternGhz != d.fminGhz)
    return d.patternGhz;
  if (const std::optional<antenna::Sweep> s = design::shownImpedance()) {
    const antenna::Readout r = antenna::computeReadout(*s, 50);
    if (!r.resonanceHz.empty()) return antenna::ghzFromHz(r.resonanceHz.front());
  }
  throw std::invalid_argument(
      "no frequency for the far field: give one, or set the pattern frequency or a band with a "
      "resonance in the main window");
}

FarFieldCase windowFarFieldCase(std::optional<double> ghz) {
  design::mainFigure();  // a closed window is told as such, not as a bad design
  const antenna::Patch patch = design::windowDesign().patch;
  if (!ghz)
    if (const std::optional<FullWaveCuts> fw = keptFullWaveCuts(patch)) ghz = fw->ghz;
  return farFieldCase(patch, ghz ? *ghz : defaultFarFieldGhz());
}

std::vector<std::string> farFieldLines(const FarFieldCase& c) {
  std::vector<std::string> lines = {
      "Model: " + std::string(c.model->name()) + " transmission line, at " + number(c.ghz, "GHz"),
      "Design: " + designCaption(c.patch)};
  std::vector<std::string> cut = cutLines(c.field);
  lines.push_back(cut.front());
  if (const std::optional<double> g = c.gainDbi())
    lines.push_back("Gain: " + number(*g, "dBi") + " (efficiency " +
                    number(100 * *c.efficiency, "%") + ")");
  else if (!c.model->hasLosses())
    lines.push_back("Gain: lossless model, directivity only");
  else
    lines.push_back("Gain: none, the " + std::string(c.model->name()) +
                    " model does not take this design");
  lines.insert(lines.end(), cut.begin() + 1, cut.end());
  lines.push_back("Polarisation: linear, along the patch length (x)");
  // The cuts stop at the horizon because the model has nothing beyond it.
  lines.push_back("Behind the board: nothing, the model's ground plane is infinite");
  return lines;
}

std::vector<std::string> fullWaveLines(const FullWaveCuts& fw) {
  std::vector<std::string> lines = {"Solver: " + fw.source};
  if (fw.ghz > 0) lines.push_back("Frequency: " + number(fw.ghz, "GHz"));
  for (std::string& l : cutLines(fw.field)) lines.push_back(std::move(l));
  // The solver's board is finite: some of the field goes behind it.
  const antenna::Cut& e = fw.field.ePlane;
  if (!e.angleDeg.empty() && std::abs(e.angleDeg.back()) >= 179)
    lines.push_back("Behind the board (theta 180 deg): " + number(e.levelDb.back(), "dB"));
  return lines;
}

FullWaveCuts fullWaveCutsFrom(double directivityDbi, const std::vector<double>& angleDeg,
                              const std::vector<double>& eDb, const std::vector<double>& hDb,
                              std::string source) {
  if (eDb.size() != angleDeg.size() || hDb.size() != angleDeg.size())
    throw std::invalid_argument("the solver's cuts and their angles differ in length");
  FullWaveCuts fw{{}, std::move(source), 0, {}};
  fw.field.directivityDbi = directivityDbi;
  for (std::size_t i = 0; i < angleDeg.size(); ++i) {
    if (!(std::abs(angleDeg[i]) <= 180)) continue;
    for (auto [cut, level] : {std::pair{&fw.field.ePlane, eDb[i]}, {&fw.field.hPlane, hDb[i]}}) {
      cut->angleDeg.push_back(angleDeg[i]);
      cut->levelDb.push_back(std::isnan(level) ? antenna::kCutFloorDb
                                               : std::max(level, antenna::kCutFloorDb));
    }
  }
  if (fw.field.ePlane.angleDeg.empty())
    throw std::invalid_argument("the solver's cuts hold no angle between -180 and 180 degrees");
  fw.field.hpbwEDeg = antenna::halfPowerAngles(fw.field.ePlane).widthDeg();
  fw.field.hpbwHDeg = antenna::halfPowerAngles(fw.field.hPlane).widthDeg();
  auto peak = [](const antenna::Cut& c) {
    return std::max_element(c.levelDb.begin(), c.levelDb.end()) - c.levelDb.begin();
  };
  const auto e = peak(fw.field.ePlane), h = peak(fw.field.hPlane);
  const bool inE = fw.field.ePlane.levelDb[e] >= fw.field.hPlane.levelDb[h];
  const double a = inE ? fw.field.ePlane.angleDeg[e] : fw.field.hPlane.angleDeg[h];
  fw.field.maxThetaDeg = std::abs(a);
  fw.field.maxPhiDeg = a == 0 ? 0 : (inE ? 0 : 90) + (a < 0 ? 180 : 0);
  return fw;
}

double showFarField(const FarFieldCase& c, const std::optional<FullWaveCuts>& fullWave) {
  FarFieldFigure& f = slot().current();
  f.followsWindow(false, std::nullopt);
  f.show(c, fullWave ? fullWave : keptFullWaveCuts(c.patch, c.ghz));
  return f.handle();
}

double showWindowFarField(const FarFieldCase& c, std::optional<double> askedGhz) {
  const double fig = showFarField(c);
  slot().current().followsWindow(true, askedGhz);
  return fig;
}

bool isFarFieldFigure(double fig) {
  return isFigureTagged(fig, kFigureTag);
}

std::optional<std::string> farFieldData(double figureOrAxes) {
  FarFieldFigure* f = slot().open();
  return f ? f->dataOf(figureOrAxes) : std::nullopt;
}

std::string shownCutsCsv() {
  FarFieldFigure* f = slot().open();
  if (f == nullptr) throw std::runtime_error("no Far-field figure is open");
  return f->csv();
}

namespace {
void writeWhole(const std::string& path, const std::string& text) {
  const std::string failure = rt::writeFileAtomically(path, text, "\"" + path + "\"");
  if (!failure.empty()) throw std::runtime_error(failure);
}
}  // namespace

void saveShownCuts(const std::string& path) {
  writeWhole(path, shownCutsCsv());
}

void saveCuts(const std::string& path, const FarFieldCase& c,
              const std::optional<FullWaveCuts>& fullWave) {
  writeWhole(path, cutsText(c, fullWave));
}

}  // namespace figures
