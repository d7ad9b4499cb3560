// The Python module `tessivar`: the patch calculator's physics without its
// window, for sweeps and optimisation loops in Python. Patches and boards,
// the impedance models by name, synthesis within the window's slider ranges,
// the far field, and one-port Touchstone files through the program's own
// reader and writer. Frequencies cross in GHz and sizes in mm, as the window
// and the script show them; arrays go in and out as numpy arrays. Every
// refusal is the library's own message, raised as ValueError.
#include <pybind11/complex.h>
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <complex>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "antenna/farfield.h"
#include "antenna/models.h"
#include "antenna/network.h"
#include "antenna/numbers.h"
#include "antenna/patch_pattern.h"
#include "antenna/slider_ranges.h"
#include "antenna/synthesis.h"
#include "antenna/units.h"
#include "formats/board_text.h"
#include "formats/touchstone.h"
#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"

namespace py = pybind11;
using antenna::mmFromMetres;

namespace {

using Complex = std::complex<double>;
using Doubles = py::array_t<double, py::array::c_style | py::array::forcecast>;
using Complexes = py::array_t<Complex, py::array::c_style | py::array::forcecast>;

// The feeds by the names the module takes, one row a feed.
struct FeedName {
  antenna::Feed feed;
  const char* name;
};
constexpr FeedName kFeedNames[] = {{antenna::Feed::probe, "probe"}};

std::string feedName(antenna::Feed f) {
  for (const FeedName& n : kFeedNames)
    if (n.feed == f) return n.name;
  return "?";
}

antenna::Feed feedNamed(const std::string& name) {
  std::string choices;
  for (const FeedName& n : kFeedNames) {
    if (name == n.name) return n.feed;
    choices += (choices.empty() ? "" : " or ") + std::string(n.name);
  }
  throw std::invalid_argument("the feed is " + choices + ", not \"" + name + "\"");
}

antenna::ImpedanceModel modelNamed(const std::string& name) {
  if (const std::optional<antenna::ImpedanceModel> m = antenna::impedanceModelNamed(name))
    return *m;
  throw std::invalid_argument("model is " + antenna::impedanceModelChoices() + ", not \"" + name +
                              "\"");
}

// The board words' numbers exactly, so that a board read back is the same.
std::string exact(double v) {
  return antenna::formatNumber(v, antenna::kExactDigits);
}

// A board from keyword arguments named as the board words are (tand,
// copper_um, sigma, pin_mm) and the feed, checked as the script checks them.
antenna::Board boardFrom(const py::kwargs& kw) {
  std::string words;
  antenna::Board b;
  for (const auto& [key, value] : kw) {
    const std::string k = py::str(key);
    if (k == "feed") {
      b.feed = feedNamed(value.cast<std::string>());
      continue;
    }
    words += k + "=" + exact(value.cast<double>()) + " ";
  }
  const antenna::Feed feed = b.feed;
  if (!words.empty()) b = formats::boardFromWords(words, b);
  b.feed = feed;
  return b;
}

// The board words, as the script writes them, between commas.
std::string boardRepr(const antenna::Board& b) {
  std::string s = "Board(";
  for (char c : formats::boardWords(b)) s += c == ' ' ? std::string(", ") : std::string(1, c);
  return s + ", feed='" + feedName(b.feed) + "')";
}

std::string patchRepr(const antenna::Patch& p) {
  const auto mm = [](double m) { return antenna::formatNumber(mmFromMetres(m), 0); };
  return "Patch(w_mm=" + mm(p.width) + ", l_mm=" + mm(p.length) + ", h_mm=" + mm(p.height) +
         ", er=" + antenna::formatNumber(p.er, 0) + ", feed_mm=" + mm(p.feedOffset) + ")";
}

std::vector<double> hzOf(const Doubles& ghz) {
  std::vector<double> hz(ghz.data(), ghz.data() + ghz.size());
  for (double& f : hz) f = antenna::hzFromGhz(f);
  return hz;
}

// A numpy array of `shape` holding `values`.
template <class T>
py::array_t<T> arrayOf(const std::vector<T>& values, std::vector<py::ssize_t> shape) {
  py::array_t<T> out(shape);
  std::copy(values.begin(), values.end(), out.mutable_data());
  return out;
}
template <class T>
py::array_t<T> arrayOf(const std::vector<T>& values) {
  return arrayOf(values, {static_cast<py::ssize_t>(values.size())});
}

std::vector<py::ssize_t> shapeOf(const py::array& a) {
  return {a.shape(), a.shape() + a.ndim()};
}

const antenna::Board& orDefault(const std::optional<antenna::Board>& b) {
  static const antenna::Board kDefault{};
  return b ? *b : kDefault;
}

py::array_t<Complex> impedance(const antenna::Patch& patch, const Doubles& fGhz,
                               const std::string& model,
                               const std::optional<antenna::Board>& board) {
  const antenna::ImpedanceModel m = modelNamed(model);
  const std::vector<double> hz = hzOf(fGhz);
  const std::vector<Complex> z = m->impedance(patch, orDefault(board), hz);
  try {
    antenna::requireFiniteImpedance(z, hz);
  } catch (const std::invalid_argument& e) {
    throw std::invalid_argument("the " + std::string(m->title()) + " model: " + e.what());
  }
  return arrayOf(z, shapeOf(fGhz));
}

py::dict design(double f0Ghz, double er, double hMm, double z0, const std::string& model,
                const std::optional<antenna::Board>& board) {
  const antenna::ImpedanceModel m = modelNamed(model);
  const antenna::Target target{antenna::hzFromGhz(f0Ghz), er, antenna::metresFromMm(hMm), z0};
  const antenna::Design d =
      antenna::synthesiseOn(target, antenna::sliderLimitsInMetres(), m, orDefault(board));
  py::dict out;
  out["w_mm"] = antenna::boardMm(d.patch.width);
  out["l_mm"] = antenna::boardMm(d.patch.length);
  out["offset_mm"] = antenna::boardMm(d.patch.feedOffset);
  out["band"] = py::make_tuple(antenna::ghzFromHz(d.band.fmin), antenna::ghzFromHz(d.band.fmax));
  out["peak_ghz"] = antenna::ghzFromHz(d.peakHz);
  out["peak_ohm"] = d.peakOhm;
  out["model"] = std::string(m->name());
  out["trust"] = m->trust(target.f0, target.er, target.height);
  out["patch"] = d.patch;
  return out;
}

py::object orNone(const std::optional<double>& v) {
  return v ? py::object(py::float_(*v)) : py::object(py::none());
}

py::dict cutDict(const antenna::Cut& c) {
  py::dict d;
  d["angle_deg"] = arrayOf(c.angleDeg);
  d["level_db"] = arrayOf(c.levelDb);
  return d;
}

py::dict farfield(const antenna::Patch& patch, double fGhz, const std::string& model,
                  const std::optional<antenna::Board>& board) {
  const antenna::ImpedanceModel m = modelNamed(model);
  const double hz = antenna::hzFromGhz(fGhz);
  const antenna::FarField f = antenna::analyseFarField(antenna::PatchPattern(patch, hz));
  std::optional<double> efficiency, gain;
  if (m->hasLosses()) {
    const double at[] = {hz};
    efficiency = m->losses(patch, orDefault(board), at)->efficiency.at(0);
    gain = f.directivityDbi + 10 * std::log10(*efficiency);
  }
  py::dict out;
  out["frequency_ghz"] = fGhz;
  out["model"] = std::string(m->name());
  out["directivity_dbi"] = f.directivityDbi;
  out["gain_dbi"] = orNone(gain);
  out["efficiency"] = orNone(efficiency);
  out["hpbw_e_deg"] = orNone(f.hpbwEDeg);
  out["hpbw_h_deg"] = orNone(f.hpbwHDeg);
  out["max_theta_deg"] = f.maxThetaDeg;
  out["max_phi_deg"] = f.maxPhiDeg;
  out["e_plane"] = cutDict(f.ePlane);
  out["h_plane"] = cutDict(f.hPlane);
  return out;
}

// S11 of each impedance against z0, at frequencies of the same count.
formats::OnePort onePortOf(const Doubles& fGhz, const Complexes& zin, double z0) {
  antenna::checkedReferenceImpedance(z0);
  if (fGhz.size() != zin.size())
    throw std::invalid_argument(std::to_string(fGhz.size()) + " frequencies but " +
                                std::to_string(zin.size()) + " impedances");
  formats::OnePort data{hzOf(fGhz), {}, z0};
  for (py::ssize_t i = 0; i < zin.size(); ++i)
    data.s11.push_back(antenna::sFromZ(zin.data()[i], z0));
  return data;
}

py::object toNetwork(const Doubles& fGhz, const Complexes& zin, double z0,
                     const std::optional<std::string>& name) {
  const formats::OnePort data = onePortOf(fGhz, zin, z0);
  const py::module_ skrf = py::module_::import("skrf");
  py::array_t<Complex> s(
      {static_cast<py::ssize_t>(data.s11.size()), py::ssize_t{1}, py::ssize_t{1}});
  std::copy(data.s11.begin(), data.s11.end(), s.mutable_data());
  const py::object frequency =
      skrf.attr("Frequency")
          .attr("from_f")(arrayOf(antenna::ghzFromHz(data.hz)), py::arg("unit") = "ghz");
  py::object network =
      skrf.attr("Network")(py::arg("frequency") = frequency, py::arg("s") = s, py::arg("z0") = z0);
  if (name) network.attr("name") = *name;
  return network;
}

py::tuple readTouchstone(const std::string& path) {
  std::string why;
  const std::optional<std::string> text =
      rt::readBoundedFile(path, formats::kMaxTouchstoneBytes, why);
  if (!text) throw formats::TouchstoneError(path, 0, why);
  const formats::OnePort data = formats::parseTouchstone(*text, path);
  std::vector<Complex> z;
  for (const Complex& s : data.s11) z.push_back(antenna::zFromS(s, data.z0));
  return py::make_tuple(arrayOf(antenna::ghzFromHz(data.hz)), arrayOf(z), data.z0);
}

void writeTouchstone(const std::string& path, const Doubles& fGhz, const Complexes& zin,
                     double z0) {
  const std::string text = formats::formatTouchstone(
      onePortOf(fGhz, zin, z0), {"tessivar: one-port S11 from the input impedance"});
  const std::string failure = rt::writeFileAtomically(path, text, "\"" + path + "\"");
  if (!failure.empty()) {
    PyErr_SetString(PyExc_OSError, failure.c_str());
    throw py::error_already_set();
  }
}

}  // namespace

PYBIND11_MODULE(tessivar, m) {
  m.doc() =
      "The tessivar patch calculator without its window: impedance models, synthesis, the far "
      "field and Touchstone files. Frequencies are in GHz, sizes in mm, impedances in ohm.";
  // A file that is no Touchstone file is bad input like any other.
  py::register_exception<formats::TouchstoneError>(m, "TouchstoneError", PyExc_ValueError);

  py::class_<antenna::Patch>(m, "Patch",
                             "A probe-fed rectangular patch: width W and length L (mm), "
                             "substrate height h (mm) and relative permittivity er, and the "
                             "feed's offset from a radiating edge along L (mm).")
      .def(py::init([](double w, double l, double h, double er, double feed) {
             using antenna::metresFromMm;
             return antenna::Patch{metresFromMm(w), metresFromMm(l), metresFromMm(h), er,
                                   metresFromMm(feed)};
           }),
           py::arg("w_mm"), py::arg("l_mm"), py::arg("h_mm"), py::arg("er"), py::arg("feed_mm"))
      .def_property_readonly("w_mm", [](const antenna::Patch& p) { return mmFromMetres(p.width); })
      .def_property_readonly("l_mm", [](const antenna::Patch& p) { return mmFromMetres(p.length); })
      .def_property_readonly("h_mm", [](const antenna::Patch& p) { return mmFromMetres(p.height); })
      .def_property_readonly("er", [](const antenna::Patch& p) { return p.er; })
      .def_property_readonly("feed_mm",
                             [](const antenna::Patch& p) { return mmFromMetres(p.feedOffset); })
      .def("__repr__", &patchRepr);

  py::class_<antenna::Board> board(
      m, "Board",
      "The board and feed beyond the patch, which the refined model takes: Board(tand=0.02, "
      "copper_um=35, sigma=5.8e7, pin_mm=1.27, feed='probe'), any subset by keyword: loss "
      "tangent, copper thickness (um), conductivity (S/m), probe pin diameter (mm), feed kind.");
  board.def(py::init(&boardFrom))
      .def_property_readonly("feed", [](const antenna::Board& b) { return feedName(b.feed); })
      .def("__repr__", &boardRepr)
      .def("__eq__", [](const antenna::Board& a, const antenna::Board& b) { return a == b; });
  for (const formats::BoardField& f : formats::boardFields())
    board.def_property_readonly(
        std::string(f.key).c_str(), [f](const antenna::Board& b) { return b.*f.value / f.toSi; },
        (std::string(f.meaning) + " (" + std::string(f.unit) + ")").c_str());

  m.def(
      "models",
      [] {
        std::vector<std::string> names;
        for (const antenna::ImpedanceModel& model : antenna::impedanceModels())
          names.emplace_back(model->name());
        return names;
      },
      "The impedance models' names, the default (the window's own) first.");
  m.def("impedance", &impedance, py::arg("patch"), py::arg("f_ghz"), py::arg("model") = "classic",
        py::arg("board") = py::none(),
        "The input impedance Zin (ohm, complex) at the feed at each frequency of f_ghz (GHz, "
        "any array-like), on the named model with the board (the default board when None).");
  m.def("design", &design, py::arg("f0_ghz"), py::arg("er"), py::arg("h_mm"), py::arg("z0") = 50.0,
        py::arg("model") = "classic", py::arg("board") = py::none(),
        "The patch for resonance at f0_ghz (GHz) on a substrate of er and h_mm (mm) matched "
        "to z0 (ohm), within the window's slider ranges: w_mm, l_mm, offset_mm (mm), band "
        "(GHz, the band drawn), peak_ghz and peak_ohm (the resistance's peak), model, trust, "
        "and the Patch itself.");
  m.def("farfield", &farfield, py::arg("patch"), py::arg("f_ghz"), py::arg("model") = "classic",
        py::arg("board") = py::none(),
        "The far field at f_ghz (GHz): directivity_dbi, gain_dbi and efficiency (None on a "
        "lossless model), hpbw_e_deg, hpbw_h_deg, max_theta_deg, max_phi_deg, and the "
        "e_plane and h_plane cuts, each {angle_deg, level_db} as numpy arrays.");
  m.def("to_network", &toNetwork, py::arg("f_ghz"), py::arg("zin"), py::arg("z0") = 50.0,
        py::arg("name") = py::none(),
        "A one-port skrf.Network of S11 against z0 (ohm) from Zin (ohm) at f_ghz (GHz).");
  m.def("read_touchstone", &readTouchstone, py::arg("path"),
        "A one-port Touchstone file as (f_ghz, zin, z0): GHz, ohm (complex), ohm.");
  m.def("write_touchstone", &writeTouchstone, py::arg("path"), py::arg("f_ghz"), py::arg("zin"),
        py::arg("z0") = 50.0,
        "Writes S11 of Zin (ohm) against z0 (ohm) at f_ghz (GHz) as a one-port Touchstone "
        "file, whole or not at all.");
}
