// The Match figure: |S11| in dB against frequency, a Smith chart with the
// locus of the input impedance, a readout and an edit box for the reference
// impedance Z0. It follows the impedance lines of the main window and can
// show a Touchstone file beside the model. One Match figure at a time.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "antenna/patch.h"
#include "antenna/readout.h"
#include "design/model_view.h"

namespace formats {
struct OnePort;
}  // namespace formats

namespace figures {

using design::ImpedanceModel;

// Opens the Match figure, or makes the open one current; gives its handle.
// This is what "Match and Smith chart..." calls, which then brings the
// figure's window to the front.
double openMatchFigure();
bool matchFigureOpen();
// Whether `fig` is a Match figure (its menus carry the Touchstone entries).
bool isMatchFigure(double fig);

// The reference impedance of the figure (50 ohm until changed; kept while
// the figure is open). setMatchZ0 raises std::invalid_argument for a value
// the reference impedance check refuses, and keeps the last good one.
double matchZ0();
void setMatchZ0(double z0);

// Reads a one-port Touchstone file and shows it in the Match figure, which
// is opened when needed. A file that cannot be read raises TouchstoneError
// and changes nothing. This is what "Compare with Touchstone..." calls.
void overlayTouchstone(const std::string& path);
// The same for data in memory (a full-wave check's S11) headed `title`,
// with the design it was run on: while the window holds another, the
// readout says the overlay is of an earlier design (and it stays drawn,
// for comparison).
struct OverlayDesign {
  antenna::Patch patch;
  antenna::Board board;
};
void overlayOnePort(const formats::OnePort& data, const std::string& title,
                    std::optional<OverlayDesign> design = std::nullopt);

// The readouts at the figure's Z0: of the impedance the window shows (or
// that the figure kept) in the chosen model, of the other model when the
// figure shows it, and of the overlay when one is loaded. The losses are the
// model's radiation efficiency and Q at the first resonance (none for the
// classic model).
struct MatchReadouts {
  std::optional<antenna::Readout> model, other, overlay;
  // Whether the overlay is of the window's design; nothing for a file of
  // no known design.
  std::optional<bool> overlayMatchesDesign;
  ImpedanceModel modelKind{};
  std::optional<design::Losses> modelLosses, otherLosses;
};

// Shows the other model's S11, locus and readout beside the chosen one's
// (opening the figure when needed), or stops showing it.
void showOtherModel(bool show);
bool otherModelShown();
MatchReadouts matchReadouts();

// Markers at frequencies (GHz) of the model, numbered from 1 in the order
// they were placed: each shows on both plots with its number and is listed
// in the model's readout. addMatchMarker opens the figure when needed and
// raises std::invalid_argument for a frequency outside the model's band (or
// when there is no model yet); removeMatchMarker for a number not listed.
int addMatchMarker(double ghz);
void removeMatchMarker(int number);
void clearMatchMarkers();
std::vector<double> matchMarkers();

// Whether `ax` is the Smith chart of the Match figure (kept round under zoom).
bool isSmithChart(double ax);
// The hover text of point `index` of a Match figure trace (the locus or the
// |S11| curve of the model or of a file): frequency, R + jX, |S11| and VSWR.
std::optional<std::string> matchTipText(double line, std::size_t index);
// A click on point `index` of the model's locus or |S11| curve places a
// marker at its frequency; any other line is left alone.
void markAtPoint(double line, std::size_t index);

// What "Save as Touchstone..." calls: the shown impedance at the figure's Z0.
void saveTouchstoneAtMatchZ0(const std::string& path);

}  // namespace figures
