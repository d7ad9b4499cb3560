// The Match figure, drawn through the graphics runtime like any figure so
// that it saves, exports and renders as the others do. Its data come from
// the main window's impedance lines after each user act; the computation is
// in readout.cpp, and this file only turns results into objects.
#include "figures/match_figure.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <filesystem>
#include <memory>
#include <stdexcept>
#include <tuple>
#include <utility>
#include <vector>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/design_io.h"
#include "design/main_window.h"
#include "figures/charts.h"
#include "figures/figure_parts.h"
#include "formats/touchstone.h"
#include "platform/graphics/graphics.h"

namespace figures {

using design::addModelObserver;
using design::ImpedanceModel;
using design::removeModelObserver;
namespace {

using rt::Array;

constexpr const char* kFigureTag = "tessivar_match";
// The Z0 edit box names this native function as its callback.
constexpr const char* kZ0Callback = "tessivar_match_z0";
constexpr double kDefaultZ0 = 50;

// Figure layout in pixels.
constexpr Box kFigurePos{80, 80, 980, 640};
constexpr Box kS11AxesPos{70, 310, 420, 290};
constexpr Box kSmithAxesPos{580, 270, 340, 340};
constexpr Box kZ0LabelPos{20, 222, 110, 20};
constexpr Box kZ0EditPos{135, 222, 80, 22};
constexpr Box kMessagePos{225, 222, 735, 20};
constexpr Box kModelPanelPos{20, 20, 305, 190};
constexpr Box kOtherPanelPos{335, 20, 305, 190};
constexpr Box kOverlayPanelPos{650, 20, 310, 190};

using antenna::ghzFromHz;
using antenna::hzFromGhz;
using antenna::Readout;
using antenna::Sweep;
using formats::OnePort;

std::string label(double v) {
  return antenna::formatNumber(v, 6);
}

// A sweep's band ends as the figure shows them, and whether a marker (GHz,
// as the user places it) falls between them.
double firstGhz(const Sweep& s) {
  return ghzFromHz(s.hz.front());
}
double lastGhz(const Sweep& s) {
  return ghzFromHz(s.hz.back());
}
bool inBand(const Sweep& s, double ghz) {
  return ghz >= firstGhz(s) && ghz <= lastGhz(s);
}

// One text naming a band end on the Smith chart, above its point (the
// start) or below it (the end), and where and what it says when shown.
struct EndLabel {
  double text = 0;
  bool above = true;
  std::optional<std::pair<std::complex<double>, std::string>> shown;
};

// The lines that show one data set, and the texts naming its band ends.
struct Trace {
  double s11 = 0, locus = 0, ends = 0, resonances = 0;
  EndLabel start, end;
};

// A band-end label's room on the Smith chart (reflection-coefficient units)
// at its font size: two labels closer than this would overlap.
constexpr double kEndLabelWidth = 0.42, kEndLabelHeight = 0.085;

// A point of a sweep as the hover and the marker list word it.
std::string pointText(double ghz, std::complex<double> z, double z0, const char* separator) {
  const std::complex<double> g = antenna::sFromZ(z, z0);
  const std::string sign = z.imag() < 0 ? " - j" : " + j";
  return antenna::formatNumber(ghz, 5, "GHz") + separator +
         "Z = " + antenna::formatNumber(z.real(), 4) + sign +
         antenna::formatNumber(std::abs(z.imag()), 4) + " Ohm" + separator +
         "|S11| = " + antenna::formatNumber(antenna::magnitudeDb(g), 4, "dB") + separator +
         "VSWR = " + antenna::formatNumber(antenna::vswr(g), 4);
}

class MatchFigure {
 public:
  MatchFigure() {
    createFigure();
    buildS11Axes();
    buildSmithChart();
    buildControls();
    model_ = makeTrace(kColours.model);
    other_ = makeTrace(kColours.otherModel);
    overlay_ = makeTrace(kColours.solver);
    listen();
    takeWindowData();
    redraw();
  }

  ~MatchFigure() {
    rt::gfx::removeActObserver(observer_);
    removeModelObserver(modelObserver_);
    rt::gfx::registerFunction(kZ0Callback, nullptr);
  }

  MatchFigure(const MatchFigure&) = delete;
  MatchFigure& operator=(const MatchFigure&) = delete;

  double handle() const { return fig_; }
  double z0() const { return z0_; }

  bool alive() const { return isMatchFigure(fig_); }

  // After a user act: redraws the model when the window's lines or its band
  // changed.
  void follow() {
    if (takeWindowData()) redraw(Scope::model);
  }

  void setZ0(double z0) {
    z0_ = antenna::checkedReferenceImpedance(z0);
    message_.clear();
    redraw();
  }

  void showOther(bool show) {
    showOther_ = show;
    redraw();
  }
  bool otherShown() const { return showOther_; }

  void setOverlay(OnePort data, std::string title, std::optional<OverlayDesign> design) {
    Sweep s;
    s.hz = std::move(data.hz);
    for (const std::complex<double>& g : data.s11) {
      const std::complex<double> z = antenna::zFromS(g, data.z0);
      s.r.push_back(z.real());
      s.x.push_back(z.imag());
    }
    overlayData_ = std::move(s);
    overlayTitle_ = std::move(title);
    overlayDesign_ = std::move(design);
    redraw();
  }

  MatchReadouts readouts() const { return readouts_; }

  int addMarker(double ghz) {
    if (!modelData_) throw std::invalid_argument("no impedance yet: set a band in the main window");
    if (!inBand(*modelData_, ghz))
      throw std::invalid_argument("a marker at " + label(ghz) + " GHz lies outside the band " +
                                  label(firstGhz(*modelData_)) + " to " +
                                  label(lastGhz(*modelData_)) + " GHz");
    markers_.push_back(ghz);
    redraw(Scope::model);
    return static_cast<int>(markers_.size());
  }

  void removeMarker(int number) {
    if (number < 1 || number > static_cast<int>(markers_.size()))
      throw std::invalid_argument("there is no marker " + std::to_string(number) + " (" +
                                  std::to_string(markers_.size()) + " placed)");
    markers_.erase(markers_.begin() + (number - 1));
    redraw(Scope::model);
  }

  void clearMarkers() {
    markers_.clear();
    redraw(Scope::model);
  }

  const std::vector<double>& markers() const { return markers_; }
  double smithAxes() const { return smithAxes_; }

  // The sweep and Z0 behind a trace line; none for other lines.
  const std::optional<Sweep>* sweepOf(double line, bool modelOnly) const {
    if (line == model_.locus || line == model_.s11) return &modelData_;
    if (!modelOnly && (line == overlay_.locus || line == overlay_.s11)) return &overlayData_;
    return nullptr;
  }

  std::optional<std::string> tipText(double line, std::size_t index) const {
    const std::optional<Sweep>* s = sweepOf(line, false);
    if (!s || !*s || index >= (*s)->hz.size()) return std::nullopt;
    const Sweep& d = **s;
    return pointText(ghzFromHz(d.hz[index]), {d.r[index], d.x[index]}, z0_, "\n");
  }

  // The Z0 box was edited: a good value is taken, anything else is refused
  // in the figure and the box shows the last good value again.
  void z0Typed() {
    const std::string typed = rt::gfx::prop(z0Edit_, "String").text();
    try {
      setZ0(antenna::referenceImpedanceFrom(typed));
    } catch (const std::invalid_argument& e) {
      message_ = std::string(e.what()) + "; kept " + label(z0_) + " Ohm.";
      redraw();
    }
  }

 private:
  void createFigure() { fig_ = makeFigure({"Match and Smith chart", kFigureTag, kFigurePos}); }

  void setLabel(double ax, const char* which, const std::string& text) {
    rt::set(rt::get(rt::scalar(ax), which), {rt::str("String"), rt::str(text)});
  }

  void buildS11Axes() {
    s11Axes_ = makeAxes(fig_, kS11AxesPos);
    rt::grid(rt::scalar(s11Axes_), rt::str("on"));
    setLabel(s11Axes_, "XLabel", "Frequency (GHz)");
    setLabel(s11Axes_, "YLabel", "|S11| (dB)");
    tenDb_ = makeLine(s11Axes_, {}, {}, kColours.ink,
                      {rt::str("LineStyle"), rt::str("--"), rt::str("HitTest"), rt::str("off")});
  }

  void buildSmithChart() {
    smithAxes_ = makeAxes(fig_, kSmithAxesPos, /*equalAspect=*/true);
    drawSmithGrid(smithAxes_);
  }

  // Tops to bottom: the Z0 box with its label and the message beside it,
  // then the two readout panels.
  void buildControls() {
    const ControlDescription parts[] = {
        {"text", kZ0LabelPos, "Z0 (Ohm):"},
        {"edit", kZ0EditPos, label(z0_), "", kZ0Callback, {}, kColours.panel},
        {"text", kMessagePos, "", "", "", kColours.message},
        {"text", kModelPanelPos, "", "", "", kColours.model},
        {"text", kOtherPanelPos, "", "", "", kColours.otherModel},
        {"text", kOverlayPanelPos, "", "", "", kColours.solver},
    };
    double* handles[] = {nullptr,      &z0Edit_,     &messageText_,
                         &modelPanel_, &otherPanel_, &overlayPanel_};
    for (std::size_t i = 0; i < std::size(parts); ++i) {
      const double h = makeControl(fig_, parts[i]);
      if (handles[i] != nullptr) *handles[i] = h;
    }
  }

  Trace makeTrace(Rgb colour) {
    Trace t;
    t.s11 = makeLine(s11Axes_, {}, {}, colour, {rt::str("LineWidth"), rt::scalar(1)});
    t.locus = makeLine(smithAxes_, {}, {}, colour, {rt::str("LineWidth"), rt::scalar(1)});
    // Marks on the locus: a click on one goes to the locus under it.
    t.ends = makeLine(smithAxes_, {}, {}, colour,
                      {rt::str("LineStyle"), rt::str("none"), rt::str("Marker"), rt::str("square"),
                       rt::str("HitTest"), rt::str("off")});
    t.resonances =
        makeLine(smithAxes_, {}, {}, colour,
                 {rt::str("LineStyle"), rt::str("none"), rt::str("Marker"), rt::str("diamond"),
                  rt::str("MarkerSize"), rt::scalar(8), rt::str("HitTest"), rt::str("off")});
    // The band's ends often lie close together (both near a short): one
    // label above its point, the other below.
    t.start = {smithText(colour, "bottom"), true, std::nullopt};
    t.end = {smithText(colour, "top"), false, std::nullopt};
    return t;
  }

  double smithText(Rgb colour, const char* verticalAlignment) {
    return rt::text({rt::str("Parent"), rt::scalar(smithAxes_), rt::str("Position"),
                     rt::row({0.0, 0.0, 0.0}), rt::str("String"), rt::str(""), rt::str("FontSize"),
                     rt::scalar(8), rt::str("VerticalAlignment"), rt::str(verticalAlignment),
                     rt::str("Color"), colour.array()})
        .scalar();
  }

  void placeText(double text, double x, double y, const std::string& s) {
    rt::set(rt::scalar(text),
            {rt::str("Position"), rt::row({x, y, 0.0}), rt::str("String"), rt::str(s)});
  }

  // The markers: a ring on each plot and its number beside it, made anew
  // for each drawing (there are few).
  void drawMarkers() {
    for (double h : markerObjects_)
      if (rt::gfx::exists(h)) rt::gfx::deleteObject(h);
    markerObjects_.clear();
    if (!modelData_) return;
    const Sweep& s = *modelData_;
    const std::vector<double> db = antenna::s11Db(s, z0_);
    for (std::size_t k = 0; k < markers_.size(); ++k) {
      const double f = markers_[k];
      if (!inBand(s, f)) continue;
      const std::complex<double> g = antenna::sFromZ(antenna::impedanceAt(s, hzFromGhz(f)), z0_);
      const double dbAt = antenna::magnitudeDb(g);
      const std::string number = std::to_string(k + 1);
      for (auto [ax, x, y] :
           {std::tuple{s11Axes_, f, dbAt}, std::tuple{smithAxes_, g.real(), g.imag()}}) {
        markerObjects_.push_back(
            makeLine(ax, {x}, {y}, kColours.marker,
                     {rt::str("LineStyle"), rt::str("none"), rt::str("Marker"), rt::str("o"),
                      rt::str("MarkerSize"), rt::scalar(7), rt::str("HitTest"), rt::str("off")}));
        markerObjects_.push_back(
            rt::text({rt::str("Parent"), rt::scalar(ax), rt::str("Position"), rt::row({x, y, 0.0}),
                      rt::str("String"), rt::str(" " + number), rt::str("FontSize"), rt::scalar(9),
                      rt::str("FontWeight"), rt::str("bold"), rt::str("VerticalAlignment"),
                      rt::str("bottom"), rt::str("Color"), kColours.marker.array()})
                .scalar());
      }
    }
  }

  void listen() {
    rt::gfx::registerFunction(kZ0Callback, [](std::span<const Array>) {
      z0TypedInOpenFigure();
      return Array();
    });
    observer_ = rt::gfx::addActObserver([] { followInOpenFigure(); });
    // After the window's lines have taken the newly chosen model.
    modelObserver_ = addModelObserver([] { followInOpenFigure(); });
  }

  static void z0TypedInOpenFigure();
  static void followInOpenFigure();

  // Takes the window's impedance, keeping the last data while the band
  // draws nothing; false when nothing changed since the last time.
  bool takeWindowData() {
    const design::ShownData now = design::shownData();
    std::string stale = staleReason();
    if (now == seen_ && stale == stale_) return false;
    seen_ = now;
    stale_ = std::move(stale);
    // A window that draws nothing may still hold lines: of no numbers when
    // a box holds letters.
    if (auto s = design::shownImpedance(); s && stale_.empty()) {
      modelData_ = std::move(s);
      modelKind_ = design::shownModel();
      drawn_ = design::drawnDesign();
    }
    return true;
  }

  // Why the model shown is not the window's present one ("" when it is).
  static std::string staleReason() {
    if (!design::findMainFigure()) return "The main window is closed";
    const design::WindowDesign d = design::windowDesign();
    return d.unusable.empty() ? "" : "The band draws nothing (" + d.unusable.front() + ")";
  }

  // The model not shown in the window, on the design its lines belong to.
  std::optional<Sweep> otherData() const {
    if (!showOther_ || !drawn_ || !modelData_) return std::nullopt;
    try {
      return design::sweepIn(otherKind(), *drawn_);
    } catch (const std::invalid_argument&) {
      return std::nullopt;  // the other model cannot take it: nothing beside
    }
  }
  ImpedanceModel otherKind() const { return design::otherModel(modelKind_); }

  std::optional<design::Losses> lossesOf(ImpedanceModel m, const std::optional<Readout>& r) const {
    if (!r || r->resonanceHz.empty()) return std::nullopt;
    return design::lossesAt(m, r->resonanceHz.front());
  }

  // An act on the window changes only the model; an overlay, which may be
  // a hundred times longer, is redrawn only when it or Z0 changes.
  enum class Scope { model, all };

  void redraw(Scope scope = Scope::all) {
    readouts_.model = readoutOf(modelData_);
    readouts_.modelKind = modelKind_;
    readouts_.modelLosses = lossesOf(modelKind_, readouts_.model);
    drawTrace(model_, modelData_, readouts_.model);
    drawMarkers();
    showReadout(modelPanel_, "Model", readouts_.model, modelKind_, readouts_.modelLosses,
                markerLines());
    const std::optional<Sweep> other = otherData();
    readouts_.other = readoutOf(other);
    readouts_.otherLosses = lossesOf(otherKind(), readouts_.other);
    drawTrace(other_, other, readouts_.other);
    showReadout(otherPanel_, "Other model", readouts_.other, otherKind(), readouts_.otherLosses);
    if (scope == Scope::all) {
      readouts_.overlay = readoutOf(overlayData_);
      drawTrace(overlay_, overlayData_, readouts_.overlay);
      setLabel(smithAxes_, "Title", "Smith chart (Z0 = " + label(z0_) + " Ohm)");
    }
    placeEndLabels();
    showOverlayReadout();
    placeModelPanel();
    drawTenDbLine();
    showMessage();
  }

  // The model's panel takes the room of the panels to its right while they
  // show nothing, so that its marker lines need not wrap.
  void placeModelPanel() {
    for (const auto& [panel, shown] : {std::pair{otherPanel_, readouts_.other.has_value()},
                                       std::pair{overlayPanel_, readouts_.overlay.has_value()}})
      rt::set(rt::scalar(panel), {rt::str("Visible"), rt::str(shown ? "on" : "off")});
    Box b = kModelPanelPos;
    if (!readouts_.other) {
      const Box& upTo = readouts_.overlay ? kOtherPanelPos : kOverlayPanelPos;
      b.width = upTo.left + upTo.width - b.left;
    }
    placePart(modelPanel_, fig_, b);
  }

  std::optional<Readout> readoutOf(const std::optional<Sweep>& s) const {
    return s ? std::optional(antenna::computeReadout(*s, z0_)) : std::nullopt;
  }

  void drawTrace(Trace& t, const std::optional<Sweep>& s, const std::optional<Readout>& r) {
    if (!s) {
      for (double l : {t.s11, t.locus, t.ends, t.resonances}) setLineData(l, {}, {});
      t.start.shown = t.end.shown = std::nullopt;
      return;
    }
    setLineData(t.s11, ghzFromHz(s->hz), antenna::s11Db(*s, z0_));
    std::vector<double> gx, gy;
    for (std::size_t i = 0; i < s->hz.size(); ++i) {
      const std::complex<double> g = antenna::sFromZ({s->r[i], s->x[i]}, z0_);
      gx.push_back(g.real());
      gy.push_back(g.imag());
    }
    setLineData(t.ends, {gx.front(), gx.back()}, {gy.front(), gy.back()});
    t.start.shown = {{gx.front(), gy.front()}, "  " + label(firstGhz(*s)) + " GHz"};
    t.end.shown = {{gx.back(), gy.back()}, "  " + label(lastGhz(*s)) + " GHz"};
    setLineData(t.locus, gx, gy);
    std::vector<double> rx, ry;
    for (double f : r->resonanceHz) {
      const std::complex<double> g = antenna::sFromZ(antenna::impedanceAt(*s, f), z0_);
      rx.push_back(g.real());
      ry.push_back(g.imag());
    }
    setLineData(t.resonances, rx, ry);
  }

  // The band ends of every trace shown, the model's first: a label whose
  // point lies within a label's room of a placed one's point naming the
  // same frequency is left out (that one names both); one that would
  // overlap a placed label moves a line further from its point.
  void placeEndLabels() {
    struct Placed {
      std::complex<double> at, corner;  // its point, its box's lower left corner
      std::string text;
    };
    std::vector<Placed> placed;
    auto near = [](std::complex<double> a, std::complex<double> b) {
      return std::abs(a.real() - b.real()) < kEndLabelWidth &&
             std::abs(a.imag() - b.imag()) < kEndLabelHeight;
    };
    auto clear = [&](std::complex<double> corner) {
      return std::none_of(placed.begin(), placed.end(),
                          [&](const Placed& p) { return near(p.corner, corner); });
    };
    for (Trace* t : {&model_, &other_, &overlay_})
      for (EndLabel* l : {&t->start, &t->end}) {
        const bool named =
            l->shown && std::any_of(placed.begin(), placed.end(), [&](const Placed& p) {
              return p.text == l->shown->second && near(p.at, l->shown->first);
            });
        if (!l->shown || named) {
          placeText(l->text, 0, 0, "");
          continue;
        }
        const auto& [at, text] = *l->shown;
        const double step = l->above ? kEndLabelHeight : -kEndLabelHeight;
        std::complex<double> corner = at + std::complex<double>(0, std::min(step, 0.0));
        for (int moved = 0; moved < 4 && !clear(corner); ++moved)
          corner += std::complex<double>(0, step);
        placed.push_back({at, corner, text});
        placeText(l->text, at.real(), corner.imag() - std::min(step, 0.0), text);
      }
  }

  // The -10 dB line spans every band shown.
  void drawTenDbLine() {
    double lo = INFINITY, hi = -INFINITY;
    for (const auto* s : {&modelData_, &overlayData_}) {
      if (!*s) continue;
      lo = std::min(lo, firstGhz(**s));
      hi = std::max(hi, lastGhz(**s));
    }
    if (lo > hi)
      setLineData(tenDb_, {}, {});
    else
      setLineData(tenDb_, {lo, hi}, {-10, -10});
  }

  std::vector<std::string> markerLines() const {
    std::vector<std::string> lines;
    if (!modelData_) return lines;
    for (std::size_t k = 0; k < markers_.size(); ++k) {
      const double f = markers_[k];
      lines.push_back(
          "Marker " + std::to_string(k + 1) + ": " +
          (inBand(*modelData_, f)
               ? pointText(f, antenna::impedanceAt(*modelData_, hzFromGhz(f)), z0_, ", ")
               : label(f) + " GHz, outside the band"));
    }
    return lines;
  }

  // The overlay's readout, and whether it is of the design the window holds
  // now (which any act may change).
  void showOverlayReadout() {
    readouts_.overlayMatchesDesign.reset();
    std::vector<std::string> more;
    if (overlayData_ && overlayDesign_) {
      readouts_.overlayMatchesDesign =
          design::windowHolds(overlayDesign_->patch, overlayDesign_->board);
      if (!*readouts_.overlayMatchesDesign)
        more = {"Of an earlier design: the window's has changed since."};
    }
    showReadout(overlayPanel_, overlayTitle_, readouts_.overlay, std::nullopt, std::nullopt, more);
  }

  // A model's panel names it and gives its losses at resonance, then `more`.
  void showReadout(double panel, const std::string& title, const std::optional<Readout>& r,
                   std::optional<ImpedanceModel> model, const std::optional<design::Losses>& losses,
                   const std::vector<std::string>& more = {}) {
    std::vector<std::string> lines;
    if (r) {
      lines = antenna::readoutLines(*r);
      // One heading line: "Model: refined, Z0 = 50 Ohm".
      const std::string named = model ? title + ": " + design::modelTitle(*model) : title;
      lines.insert(lines.begin(), named + ", Z0 = " + label(z0_) + " Ohm");
      if (model && !(*model)->hasLosses())
        lines.push_back("Efficiency, Q: none (a lossless model)");
      else if (model && losses)
        lines.push_back("Efficiency " + antenna::formatNumber(100 * losses->efficiency, 3) +
                        " %, Q " + antenna::formatNumber(losses->q, 3) + " at resonance");
      lines.insert(lines.end(), more.begin(), more.end());
    }
    setTextLines(panel, lines);
  }

  void showMessage() {
    std::string text = message_;
    if (text.empty() && !modelData_)
      text = "No impedance yet: set a band in the main window.";
    else if (text.empty() && !stale_.empty())
      text = stale_ + ": showing the last impedance computed.";
    rt::set(rt::scalar(messageText_), {rt::str("String"), rt::str(text)});
    rt::set(rt::scalar(z0Edit_), {rt::str("String"), rt::str(label(z0_))});
  }

  double fig_ = 0, s11Axes_ = 0, smithAxes_ = 0, tenDb_ = 0;
  double z0Edit_ = 0, messageText_ = 0, modelPanel_ = 0, otherPanel_ = 0, overlayPanel_ = 0;
  Trace model_, other_, overlay_;
  ImpedanceModel modelKind_{};
  std::optional<design::DrawnDesign> drawn_;
  bool showOther_ = false;
  int modelObserver_ = 0;
  double z0_ = kDefaultZ0;
  std::optional<Sweep> modelData_, overlayData_;
  MatchReadouts readouts_;
  std::string overlayTitle_, message_;
  std::optional<OverlayDesign> overlayDesign_;
  design::ShownData seen_;
  std::string stale_;  // why the window's lines are not followed, "" when they are
  std::vector<double> markers_;
  std::vector<double> markerObjects_;
  int observer_ = 0;
};

// The open Match figure; one closed is let go when next asked for (which
// also stops it following the window).
OneFigure<MatchFigure>& slot() {
  static OneFigure<MatchFigure> figure;
  return figure;
}

MatchFigure* openFigure() {
  return slot().open();
}

MatchFigure& ensureOpen() {
  return slot().ensureOpen();
}

void MatchFigure::z0TypedInOpenFigure() {
  if (MatchFigure* f = openFigure()) f->z0Typed();
}

void MatchFigure::followInOpenFigure() {
  if (MatchFigure* f = openFigure()) f->follow();
}

}  // namespace

// By its tag, so that the answer holds while the figure is being built (its
// window's menus are made then).
bool isMatchFigure(double fig) {
  return isFigureTagged(fig, kFigureTag);
}

double openMatchFigure() {
  return slot().current().handle();
}

bool matchFigureOpen() {
  return openFigure() != nullptr;
}

double matchZ0() {
  MatchFigure* f = openFigure();
  return f ? f->z0() : kDefaultZ0;
}

void setMatchZ0(double z0) {
  antenna::checkedReferenceImpedance(z0);
  ensureOpen().setZ0(z0);
}

void overlayTouchstone(const std::string& path) {
  OnePort data = design::readTouchstone(path);
  ensureOpen().setOverlay(std::move(data),
                          "File " + std::filesystem::path(path).filename().string(), std::nullopt);
}

void overlayOnePort(const OnePort& data, const std::string& title,
                    std::optional<OverlayDesign> design) {
  ensureOpen().setOverlay(data, title, std::move(design));
}

MatchReadouts matchReadouts() {
  if (MatchFigure* f = openFigure()) return f->readouts();
  MatchReadouts r;
  if (auto s = design::shownImpedance()) r.model = antenna::computeReadout(*s, kDefaultZ0);
  return r;
}

int addMatchMarker(double ghz) {
  return ensureOpen().addMarker(ghz);
}

void removeMatchMarker(int number) {
  MatchFigure* f = openFigure();
  if (f == nullptr) throw std::invalid_argument("the Match figure is not open");
  f->removeMarker(number);
}

void clearMatchMarkers() {
  if (MatchFigure* f = openFigure()) f->clearMarkers();
}

std::vector<double> matchMarkers() {
  MatchFigure* f = openFigure();
  return f ? f->markers() : std::vector<double>{};
}

bool isSmithChart(double ax) {
  MatchFigure* f = openFigure();
  return f && ax == f->smithAxes();
}

std::optional<std::string> matchTipText(double line, std::size_t index) {
  MatchFigure* f = openFigure();
  return f ? f->tipText(line, index) : std::nullopt;
}

void markAtPoint(double line, std::size_t index) {
  MatchFigure* f = openFigure();
  const std::optional<Sweep>* s = f ? f->sweepOf(line, true) : nullptr;
  if (s && *s && index < (*s)->hz.size()) f->addMarker(ghzFromHz((*s)->hz[index]));
}

void showOtherModel(bool show) {
  ensureOpen().showOther(show);
}

bool otherModelShown() {
  MatchFigure* f = openFigure();
  return f && f->otherShown();
}

void saveTouchstoneAtMatchZ0(const std::string& path) {
  design::saveTouchstone(path, matchZ0());
}

}  // namespace figures
