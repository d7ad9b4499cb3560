#include "script/session.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <iostream>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/units.h"
#include "design/acts.h"
#include "design/commands.h"
#include "design/design_io.h"
#include "design/history.h"
#include "design/main_window.h"
#include "design/model_view.h"
#include "figures/farfield_figure.h"
#include "figures/match_figure.h"
#include "formats/board_text.h"
#include "formats/touchstone.h"
#include "formats/words.h"
#include "platform/files/atomic_file.h"
#include "platform/graphics/data_export.h"
#include "platform/graphics/graphics.h"
#include "platform/qt/interaction.h"
#include "platform/qt/renderer.h"
#include "script/farfield_json.h"
#include "script/fullwave_command.h"
#include "script/json.h"

namespace script {
namespace {

// A line that cannot be carried out; its message goes to the user.
struct BadLine : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string quoted(std::string_view s) {
  return "\"" + formats::shown(s, 80) + "\"";
}

// A failure whose message names `path` in full: the path is cut short as a
// line's parts are, so that the reason after it stays within the message.
BadLine naming(std::string_view path, std::string message) {
  const std::size_t at = path.empty() ? std::string::npos : message.find(path);
  if (at != std::string::npos) message.replace(at, path.size(), formats::shown(path, 80));
  return BadLine(message);
}

// A message as a line shows it: cut short, when long, in its middle, so
// that the reason at its end stays.
std::string headAndEnd(std::string_view message) {
  constexpr std::size_t kHead = 300, kEnd = 100;
  if (message.size() <= kHead + kEnd) return formats::shown(message, kHead + kEnd);
  std::string_view end = message.substr(message.size() - kEnd);
  while (!end.empty() && (static_cast<unsigned char>(end.front()) & 0xC0) == 0x80)
    end.remove_prefix(1);  // within a character
  return formats::shown(message, kHead) + formats::shown(end, kEnd);
}

std::string textOf(double h, std::string_view property) {
  return rt::gfx::prop(h, property).text();
}

// Every object below h (h itself first), hidden ones included.
void descendants(double h, std::vector<double>& out) {
  out.push_back(h);
  for (double c : rt::gfx::children(h)) descendants(c, out);
}

std::vector<double> below(double h) {
  std::vector<double> all;
  descendants(h, all);
  return all;
}

double mainWindow() {
  if (std::optional<double> f = design::findMainFigure()) return *f;
  throw BadLine("the main window is not open");
}

// The object of the main window with this tag.
double tagged(std::string_view tag) {
  if (tag.empty()) throw BadLine("a tag is missing");
  if (std::optional<double> h = rt::findByTag(mainWindow(), tag)) return *h;
  throw BadLine("no object of the main window is tagged " + quoted(tag));
}

double control(std::string_view tag, std::string_view style, std::string_view what) {
  double h = tagged(tag);
  if (rt::gfx::type(h) != "uicontrol" || textOf(h, "Style") != style)
    throw BadLine(quoted(tag) + " is not " + std::string(what));
  return h;
}

double number(std::string_view text, std::string_view what) {
  if (std::optional<double> v = antenna::parseNumber(text)) return *v;
  throw BadLine(std::string(what) + " must be a number, not " + quoted(text));
}

// A figure by its number: 1 is the main window, then the others in the
// order they were opened.
double figureNumber(std::string_view text) {
  std::size_t n = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  std::vector<double> figs = rt::gfx::figures();
  if (text.empty() || ec != std::errc() || end != text.data() + text.size() || n == 0)
    throw BadLine("a figure number (1, 2, ...) is needed, not " + quoted(text));
  if (n > figs.size())
    throw BadLine("there is no figure " + std::string(text) + " (" + std::to_string(figs.size()) +
                  " open)");
  // The main window first, the rest in creation order.
  double main = mainWindow();
  std::vector<double> ordered = {main};
  for (double f : figs)
    if (f != main) ordered.push_back(f);
  return ordered[n - 1];
}

// All elements, column by column, as one list.
std::string list(const rt::Array& a) {
  std::string s = "[";
  if (!a.isNull() && a.isNumeric()) {
    for (std::size_t i = 0; i < a.numel(); ++i) {
      if (i) s += ", ";
      s += jsonNumber(a.re()[i], Digits::seventeen);
    }
  }
  return s + "]";
}

// A matrix as a list of its rows.
std::string rows(const rt::Array& a) {
  std::string s = "[";
  if (!a.isNull() && a.isNumeric()) {
    for (std::size_t r = 0; r < a.rows(); ++r) {
      s += r ? ", [" : "[";
      for (std::size_t c = 0; c < a.cols(); ++c) {
        if (c) s += ", ";
        s += jsonNumber(a.re()[c * a.rows() + r], Digits::seventeen);
      }
      s += "]";
    }
  }
  return s + "]";
}

// design F0 ER H [Z0] (GHz, relative permittivity, mm, ohm): the design as
// one line of JSON, with how far to trust it.
std::string designReport(std::string_view rest) {
  std::vector<double> numbers;
  for (std::string_view w = formats::word(rest); !w.empty(); w = formats::word(rest)) {
    const std::optional<double> v = antenna::parseNumber(w);
    if (!v) throw BadLine("design: " + quoted(w) + " is not a number");
    numbers.push_back(*v);
  }
  if (numbers.size() < 3 || numbers.size() > 4)
    throw BadLine("design needs F0 (GHz), ER and H (mm), and optionally Z0 (ohm)");
  antenna::Target target{antenna::hzFromGhz(numbers[0]), numbers[1],
                         antenna::metresFromMm(numbers[2])};
  if (numbers.size() == 4) target.z0 = numbers[3];
  antenna::Design d;
  try {
    d = design::designFor(target);
  } catch (const std::exception& e) {
    throw BadLine(std::string("design: ") + e.what());
  }
  const auto mm = [](double metres) { return jsonNumber(antenna::boardMm(metres)); };
  const auto ghz = [](double hz) { return jsonNumber(antenna::ghzFromHz(hz)); };
  return "{\"w_mm\": " + mm(d.patch.width) + ", \"l_mm\": " + mm(d.patch.length) +
         ", \"offset_mm\": " + mm(d.patch.feedOffset) + ", \"band\": [" + ghz(d.band.fmin) + ", " +
         ghz(d.band.fmax) + "], \"peak_ghz\": " + ghz(d.peakHz) +
         ", \"peak_ohm\": " + jsonNumber(d.peakOhm) +
         ", \"model\": " + jsonString(design::modelName(design::chosenModel())) +
         ", \"trust\": " + jsonString(design::trustFor(target)) + "}";
}

// save FILE and open FILE: the design as a file of acts, and back.
void designFile(std::string_view command, std::string_view rest) {
  const std::string path(formats::strip(rest));
  if (path.empty()) throw BadLine(std::string(command) + " needs a file");
  try {
    command == "save" ? design::saveDesign(path) : design::openDesign(path);
  } catch (const std::runtime_error& e) {
    throw naming(path, std::string(command) + ": " + e.what());
  }
}

// ------------------------------------------------- the RF engineer's view
std::string optionalNumber(const std::optional<double>& v) {
  return v ? jsonNumber(*v) : "null";
}

// The model a readout belongs to, with its efficiency and Q at resonance
// (null for the classic model and for a file).
std::string modelJson(std::optional<design::ImpedanceModel> m,
                      const std::optional<design::Losses>& l) {
  return ", \"model\": " + (m ? jsonString(design::modelName(*m)) : std::string("null")) +
         ", \"efficiency\": " + (l ? jsonNumber(l->efficiency) : "null") +
         ", \"q\": " + (l ? jsonNumber(l->q) : "null");
}

std::string readoutJson(const antenna::Readout& r, const std::string& model) {
  std::string resonances = "[";
  const auto ghz = [](double hz) { return jsonNumber(antenna::ghzFromHz(hz)); };
  for (double f : r.resonanceHz) resonances += (resonances.size() > 1 ? ", " : "") + ghz(f);
  std::string kinds;
  for (antenna::ResonanceKind k : r.resonanceKinds)
    kinds += std::string(kinds.empty() ? "" : ", ") +
             (k == antenna::ResonanceKind::resistancePeak ? "\"r_peak\"" : "\"x_zero\"");
  std::string band = r.bandwidthHz
                         ? "[" + ghz(r.bandwidthHz->first) + ", " + ghz(r.bandwidthHz->second) + "]"
                         : "null";
  return "{\"z0\": " + jsonNumber(r.z0) + ", \"resonance_ghz\": " + resonances +
         "], \"resonance_kinds\": [" + kinds +
         "], \"r_at_resonance\": " + optionalNumber(r.rAtResonance) +
         ", \"s11_min_db\": " + jsonNumber(r.s11MinDb) + ", \"s11_min_ghz\": " + ghz(r.s11MinHz) +
         ", \"band_ghz\": " + band + ", \"bandwidth_ghz\": " + band +
         ", \"bandwidth_percent\": " + optionalNumber(r.bandwidthPercent) +
         ", \"vswr_at_resonance\": " + optionalNumber(r.vswrAtResonance) + model + "}";
}

double z0Argument(std::string_view text) {
  try {
    return antenna::checkedReferenceImpedance(antenna::parseNumber(text).value_or(NAN),
                                              quoted(text));
  } catch (const std::invalid_argument& e) {
    throw BadLine(e.what());
  }
}

// match [Z0]: opens the Match figure and prints its readout.
std::string match(std::string_view z0) {
  figures::openMatchFigure();
  if (!z0.empty()) figures::setMatchZ0(z0Argument(z0));
  const figures::MatchReadouts r = figures::matchReadouts();
  if (!r.model) throw BadLine("no impedance has been computed yet: set a band first");
  std::string json = readoutJson(*r.model, modelJson(r.modelKind, r.modelLosses));
  if (r.other)
    json.insert(json.size() - 1,
                ", \"other\": " + readoutJson(*r.other, modelJson(design::otherModel(r.modelKind),
                                                                  r.otherLosses)));
  // A solver's result says whether it is of the window's design; a file of
  // no known design gives null.
  const std::string matches = !r.overlayMatchesDesign   ? "null"
                              : *r.overlayMatchesDesign ? "true"
                                                        : "false";
  if (r.overlay)
    json.insert(
        json.size() - 1,
        ", \"overlay\": " + readoutJson(*r.overlay, modelJson(std::nullopt, std::nullopt) +
                                                        ", \"matches_design\": " + matches));
  return json;
}

void touchstone(std::string_view file, std::string_view z0) {
  if (file.empty()) throw BadLine("touchstone needs a file");
  try {
    design::saveTouchstone(std::string(file), z0.empty() ? figures::matchZ0() : z0Argument(z0));
  } catch (const std::runtime_error& e) {
    if (dynamic_cast<const BadLine*>(&e)) throw;
    throw naming(file, e.what());
  }
}

void overlay(std::string_view file) {
  if (file.empty()) throw BadLine("overlay needs a file");
  try {
    figures::overlayTouchstone(std::string(file));
  } catch (const formats::TouchstoneError& e) {
    throw naming(file, e.what());
  }
}

// marker F | marker remove N | marker clear | marker: changes the Match
// figure's markers and prints their frequencies, in their numbers' order.
std::string marker(std::string_view rest) {
  const std::string_view what = formats::word(rest);
  try {
    if (what == "clear") {
      figures::clearMatchMarkers();
    } else if (what == "remove") {
      const double n = number(formats::strip(rest), "the marker's number");
      if (n != std::floor(n) || std::abs(n) > 1e6) throw BadLine("a marker's number is whole");
      figures::removeMatchMarker(static_cast<int>(n));
    } else if (!what.empty()) {
      figures::addMatchMarker(number(what, "the marker's frequency"));
    }
  } catch (const std::invalid_argument& e) {
    throw BadLine(e.what());
  }
  std::string list;
  for (double f : figures::matchMarkers()) list += (list.empty() ? "" : ", ") + jsonNumber(f);
  return "[" + list + "]";
}

// model classic|refined, board KEY=VALUE..., othermodel on|off.
void chooseModel(std::string_view rest) {
  const std::string_view name = formats::strip(rest);
  const std::optional<antenna::ImpedanceModel> model = antenna::impedanceModelNamed(name);
  if (!model)
    throw BadLine("model is " + antenna::impedanceModelChoices() + ", not " + quoted(name));
  design::chooseModel(*model);
}

void chooseBoard(std::string_view rest) {
  try {
    design::chooseCheckedBoard(formats::boardFromWords(rest, design::chosenBoard()));
  } catch (const std::invalid_argument& e) {
    throw BadLine(std::string("board: ") + e.what());
  }
}

void otherModelShown(std::string_view rest) {
  const std::string_view onOff = formats::strip(rest);
  if (onOff != "on" && onOff != "off")
    throw BadLine("othermodel is on or off, not " + quoted(onOff));
  figures::showOtherModel(onOff == "on");
}

// farfield [F [FILE]]: the model's far field of the window's design at F GHz
// (the pattern frequency or the resonance without it) in the Far-field
// figure, as one line of JSON with the kept solver's beside it, and its cuts
// as CSV in FILE when given.
std::string farfield(std::string_view rest) {
  const std::string_view f = formats::word(rest);
  const std::string file(formats::strip(rest));
  std::optional<double> ghz;
  if (!f.empty()) {
    ghz = antenna::parseNumber(f);
    if (!ghz) throw BadLine("farfield: the frequency must be a number in GHz, not " + quoted(f));
  }
  try {
    const figures::FarFieldCase c = figures::windowFarFieldCase(ghz);
    figures::showWindowFarField(c, ghz);
    if (!file.empty()) figures::saveShownCuts(file);
    return farFieldJson(c, figures::keptFullWaveCuts(c.patch, c.ghz));
  } catch (const std::invalid_argument& e) {
    throw BadLine(std::string("farfield: ") + e.what());
  } catch (const std::runtime_error& e) {
    throw BadLine(std::string("farfield: ") + e.what());
  }
}

class Player;

// A command of the script language: its name, what follows it, what it
// does (for the usage text) and the Player method that carries it out.
struct Command {
  std::string_view name, arguments, does;
  void (Player::*act)(std::string_view command, std::string_view rest);
};

class Player {
 public:
  Player(std::ostream& out, Canvas& canvas) : out_(out), canvas_(canvas) {}

  void line(std::string_view text);

  void type(std::string_view, std::string_view rest) {
    std::string_view tag = formats::word(rest);
    double h = control(tag, "edit", "an edit box");
    std::string typed(rest);
    while (!typed.empty() && typed.back() == '\r') typed.pop_back();
    rt::gfx::userAct(h, {{"String", rt::str(typed)}});
  }

  void slide(std::string_view, std::string_view rest) {
    std::string_view tag = formats::word(rest);
    double h = control(tag, "slider", "a slider");
    double v = number(formats::strip(rest), "the slider position");
    double lo = rt::gfx::prop(h, "Min").scalar(), hi = rt::gfx::prop(h, "Max").scalar();
    if (!(lo <= v && v <= hi)) {
      std::ostringstream range;
      range << quoted(tag) << " moves only from its Min " << jsonNumber(lo) << " to its Max "
            << jsonNumber(hi);
      throw BadLine(range.str());
    }
    rt::gfx::userAct(h, {{"Value", rt::scalar(v)}});
  }

  void get(std::string_view, std::string_view rest) {
    std::string_view tag = formats::word(rest);
    std::string_view property = formats::word(rest);
    if (property.empty()) throw BadLine("get needs a tag and a property");
    double h = tagged(tag);
    rt::Array value;
    try {
      value = rt::get(rt::gfx::handleArray(h), rt::str(property));
    } catch (const rt::Error& e) {
      throw BadLine(e.what());
    }
    print(json(value));
  }

  void lineOf(std::string_view, std::string_view rest) {
    std::string_view tag = formats::word(rest);
    double ax = tagged(tag);
    if (rt::gfx::type(ax) != "axes") throw BadLine(quoted(tag) + " is not an axes");
    std::optional<double> newest;
    for (double c : rt::gfx::children(ax))
      if (rt::gfx::type(c) == "line") newest = c;
    if (!newest) {
      print(R"({"x": [], "y": []})");
    } else {
      print("{\"x\": " + list(rt::gfx::prop(*newest, "XData")) +
            ", \"y\": " + list(rt::gfx::prop(*newest, "YData")) + "}");
    }
  }

  void surface(std::string_view, std::string_view rest) {
    std::string_view n = formats::word(rest);
    std::size_t k = 0;
    auto [end, ec] = std::from_chars(n.data(), n.data() + n.size(), k);
    if (n.empty() || ec != std::errc() || end != n.data() + n.size() || k == 0)
      throw BadLine("surface needs a pattern figure number (1, 2, ...), not " + quoted(n));
    double main = mainWindow();
    std::vector<double> patterns;
    for (double f : rt::gfx::figures())
      if (f != main) patterns.push_back(f);
    if (k > patterns.size())
      throw BadLine("the pattern has opened " + std::to_string(patterns.size()) +
                    " figure(s), not " + std::string(n));
    std::optional<double> surface;
    for (double h : below(patterns[k - 1]))
      if (rt::gfx::type(h) == "surface") surface = h;
    if (!surface) throw BadLine("pattern figure " + std::string(n) + " holds no surface");
    print("{\"x\": " + rows(rt::gfx::prop(*surface, "XData")) +
          ", \"y\": " + rows(rt::gfx::prop(*surface, "YData")) +
          ", \"z\": " + rows(rt::gfx::prop(*surface, "ZData")) +
          ", \"c\": " + rows(rt::gfx::prop(*surface, "CData")) + "}");
  }

  void figures(std::string_view, std::string_view) {
    print(std::to_string(rt::gfx::figures().size()));
  }

  void save(std::string_view command, std::string_view rest) {
    double fig = figureNumber(formats::word(rest));
    std::string path(formats::strip(rest));
    if (path.empty()) throw BadLine(std::string(command) + " needs a figure number and a file");
    std::string failure = command == "png"   ? canvas_.savePng(fig, path)
                          : command == "svg" ? canvas_.saveSvg(fig, path)
                                             : canvas_.savePdf(fig, path);
    if (!failure.empty()) throw writeFailure(path, failure);
  }

  void csv(std::string_view, std::string_view rest) {
    double fig = figureNumber(formats::word(rest));
    std::string path(formats::strip(rest));
    if (path.empty()) throw BadLine("csv needs a figure number and a file");
    std::string failure = rt::writeFileAtomically(path, rt::gfx::figureCsv(fig));
    if (!failure.empty()) throw writeFailure(path, failure);
  }

  void rotate(std::string_view, std::string_view rest) {
    std::string_view n = formats::word(rest);
    double fig = figureNumber(n);
    double az = number(formats::word(rest), "the azimuth");
    double el = number(formats::strip(rest), "the elevation");
    std::optional<double> ax;
    for (double c : rt::gfx::children(fig))
      if (rt::gfx::type(c) == "axes" && rt::qt::isThreeD(c)) ax = c;
    if (!ax) throw BadLine("figure " + std::string(n) + " has no 3-D axes");
    rt::qt::rotateTo(*ax, az, el);
  }

  void matchReadout(std::string_view, std::string_view rest) { print(match(formats::word(rest))); }

  void touchstoneFile(std::string_view, std::string_view rest) {
    std::string_view file = formats::word(rest);
    touchstone(file, formats::word(rest));
  }

  void overlayFile(std::string_view, std::string_view rest) { overlay(formats::strip(rest)); }

  void farfieldReport(std::string_view, std::string_view rest) { print(farfield(rest)); }

  void designFor(std::string_view, std::string_view rest) { print(designReport(rest)); }
  void markerAct(std::string_view, std::string_view rest) { print(marker(rest)); }
  void model(std::string_view, std::string_view rest) { chooseModel(rest); }
  void board(std::string_view, std::string_view rest) { chooseBoard(rest); }
  void otherModel(std::string_view, std::string_view rest) { otherModelShown(rest); }
  void designFileAct(std::string_view command, std::string_view rest) { designFile(command, rest); }
  void historyStep(std::string_view command, std::string_view) {
    const bool back = command == "undo";
    if (!(back ? design::undoDesignChange() : design::redoDesignChange()))
      throw BadLine(back ? "nothing to undo" : "nothing to redo");
  }

  void fullwave(std::string_view, std::string_view rest) {
    try {
      print(fullWaveCommand(rest, std::cerr));
    } catch (const std::exception& e) {
      throw BadLine(e.what());
    }
  }

 private:
  // Output that does not arrive (a full disk, /dev/full) fails its line
  // with the reason; the next line tries again.
  void print(const std::string& s) {
    errno = 0;
    out_ << s << '\n' << std::flush;
    if (out_) return;
    const int err = errno != 0 ? errno : EIO;
    out_.clear();
    if (&out_ == &std::cout) std::clearerr(stdout);
    throw BadLine(std::string("cannot write the standard output: ") + std::strerror(err));
  }

  // The writer names the file in full; a message quotes it short, like any
  // other part of a line.
  static BadLine writeFailure(const std::string& path, std::string failure) {
    const std::string named = "cannot write " + path + ": ";
    if (failure.rfind(named, 0) == 0)
      failure = "cannot write " + quoted(path) + ": " + failure.substr(named.size());
    return BadLine(failure);
  }

  std::ostream& out_;
  Canvas& canvas_;
};

constexpr Command kCommands[] = {
    {"type", "TAG TEXT", "types TEXT into the edit box TAG and presses Enter", &Player::type},
    {"slide", "TAG VALUE", "moves the slider TAG to VALUE (within its Min and Max)",
     &Player::slide},
    {"get", "TAG PROPERTY", "prints the property of the object TAG as JSON", &Player::get},
    {"line", "TAG", "prints {\"x\": [...], \"y\": [...]} of the line in the axes TAG",
     &Player::lineOf},
    {"surface", "N", "prints the surface of the Nth pattern figure", &Player::surface},
    {"figures", "", "prints the number of open figures", &Player::figures},
    {"png", "N FILE", "renders figure N (1: the main window) as a PNG image", &Player::save},
    {"svg", "N FILE", "renders figure N as an SVG drawing", &Player::save},
    {"pdf", "N FILE", "renders figure N as a one-page PDF document", &Player::save},
    {"csv", "N FILE", "writes the data of figure N as comma-separated text, a block per axes",
     &Player::csv},
    {"rotate", "N AZ EL", "turns the 3-D axes of figure N to azimuth AZ, elevation EL (degrees)",
     &Player::rotate},
    {"match", "[Z0]", "opens the Match figure and prints its readout as JSON",
     &Player::matchReadout},
    {"touchstone", "FILE [Z0]", "writes S11 of the drawn impedance as a Touchstone file",
     &Player::touchstoneFile},
    {"overlay", "FILE", "reads a one-port Touchstone file into the Match figure",
     &Player::overlayFile},
    {"farfield", "[F [FILE]]",
     "shows the far field at F GHz (the pattern frequency or resonance), prints it as JSON, "
     "and writes its cuts as CSV to FILE",
     &Player::farfieldReport},
    {"marker", "F|remove N|clear",
     "places a marker at F GHz in the Match figure (or removes one); prints their frequencies",
     &Player::markerAct},
    {"model", "classic|refined",
     "chooses the impedance model the window draws (classic: the transmission-line model)",
     &Player::model},
    {"board", "KEY=VALUE...",
     "sets the refined model's board: tand, copper_um, sigma (S/m), pin_mm (any of them)",
     &Player::board},
    {"othermodel", "on|off", "shows the other model beside the chosen one in the Match figure",
     &Player::otherModel},
    {"design", "F0 ER H [Z0]",
     "types a patch resonating at F0 GHz on a board of ER and H mm, fed for Z0 ohm (50), on "
     "the chosen model",
     &Player::designFor},
    {"save", "FILE", "writes the design in the boxes as a file of type lines",
     &Player::designFileAct},
    {"open", "FILE", "checks a design file whole, then plays its acts", &Player::designFileAct},
    {"undo", "", "types the design before the last change back in (as Ctrl+Z)",
     &Player::historyStep},
    {"redo", "", "types the change undone last in again (as Ctrl+Shift+Z)", &Player::historyStep},
    {"fullwave", "[quick|standard|fine] [large=yes]",
     "checks the design with the openEMS solver (waits for it) and prints its figures as JSON",
     &Player::fullwave},
    {"fullwave trim", "[F0] [Z0] [large=yes]",
     "trims L and the feed until the solver resonates at F0 GHz with R = Z0 ohm, and types it",
     &Player::fullwave},
    {"fullwave export", "DIR [LEVEL]",
     "writes the solver's run folder and run.sh without running it", &Player::fullwave},
    {"fullwave import", "DIR", "reads a run folder a solver has filled and prints its JSON",
     &Player::fullwave},
};

void Player::line(std::string_view text) {
  std::string_view rest = text;
  std::string_view command = formats::word(rest);
  for (const Command& c : kCommands)
    if (c.name == command) return (this->*c.act)(command, rest);
  throw BadLine("unknown command " + quoted(command));
}

}  // namespace

// The longest script line: a line that never ends (a device read as a
// script) stops the script here instead of growing memory.
constexpr std::size_t kMaxLine = 16 << 20;

// std::getline with a limit: false at the end of `in` or past the limit
// (`tooLong` says which).
bool boundedLine(std::istream& in, std::string& text, bool& tooLong) {
  text.clear();
  for (int c = in.get(); c != std::char_traits<char>::eof(); c = in.get()) {
    if (c == '\n') return true;
    if (text.size() == kMaxLine) return !(tooLong = true);
    text.push_back(static_cast<char>(c));
  }
  return !text.empty();
}

int play(std::istream& in, std::ostream& out, std::ostream& err, Canvas& canvas) {
  Player player(out, canvas);
  int status = 0;
  std::string text;
  bool tooLong = false;
  for (int number = 1;; ++number) {
    if (!boundedLine(in, text, tooLong)) {
      if (!tooLong) break;
      err << "tessivar-script: line " << number << " is longer than 16 MiB: the script stops\n"
          << std::flush;
      return 2;
    }
    std::string_view t = formats::strip(text);
    if (t.empty() || t.front() == '#') continue;
    try {
      player.line(text);
    } catch (const BadLine& e) {
      // Parts of the line are already cut short; a file name from the
      // canvas's message, or a folder from the environment, may still be long.
      err << "tessivar-script: line " << number << ": " << headAndEnd(e.what()) << '\n'
          << std::flush;
      status = 2;
    } catch (const std::exception& e) {
      // Raised by the program or its runtime while acting: reported the
      // runtime's way, and the script goes on.
      rt::reportError(e);
    }
  }
  return status;
}

std::string commandHelp() {
  std::string text;
  for (const Command& c : kCommands) {
    std::string usage =
        "  " + std::string(c.name) + (c.arguments.empty() ? "" : " ") + std::string(c.arguments);
    usage.resize(std::max<std::size_t>(usage.size() + 2, 22), ' ');
    text += usage + std::string(c.does) + "\n";
  }
  return text;
}

}  // namespace script
