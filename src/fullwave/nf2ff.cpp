// nf2ff reads an XML file naming the frequencies, the angles (radians, as
// comma lists) and the E/H dump files of each face of the box; it writes an
// HDF5 file with the mesh of angles, per frequency the fields and radiated
// power on it, and the directivity "Dmax" as an attribute. Learnt from the
// program's own messages and output.
#include "fullwave/nf2ff.h"

#include <hdf5.h>
#include <sys/wait.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <sstream>

#include "antenna/numbers.h"
#include "antenna/patch.h"
#include "fullwave/process.h"
#include "fullwave/run.h"
#include "fullwave/run_folder.h"
#include "platform/files/atomic_file.h"

namespace fullwave {

namespace fs = std::filesystem;

namespace {

constexpr int kThetaSteps = 90;  // 0..180 by 2 degrees

// The frequencies the run's near-field dumps hold, from its input.
std::vector<double> dumpedFrequencies(const fs::path& dir) {
  const std::string text = readRunFile(dir / run_folder::kInput);
  const auto at = text.find("<FD_Samples>");
  std::vector<double> f;
  if (at == std::string::npos) return f;
  const auto end = text.find("</FD_Samples>", at);
  std::istringstream list(text.substr(at + 12, end - at - 12));
  for (std::string item; std::getline(list, item, ',');)
    if (auto v = antenna::parseNumber(item)) f.push_back(*v);
  return f;
}

std::string list(const std::vector<double>& v) {
  std::string s;
  for (double x : v) s += (s.empty() ? "" : ",") + antenna::formatNumber(x, antenna::kExactDigits);
  return s;
}

// `text` as an XML attribute's value: the markup characters as entities and
// the blanks and control bytes as character references (a reader would turn
// a literal line break into a blank), so that any folder's name arrives.
std::string xmlAttribute(std::string_view text) {
  std::string out;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '&')
      out += "&amp;";
    else if (c == '"')
      out += "&quot;";
    else if (c == '<')
      out += "&lt;";
    else if (c == '>')
      out += "&gt;";
    else if (c == '\'')
      out += "&apos;";
    else if (byte < 0x20 || byte == 0x7f)
      out += "&#" + std::to_string(byte) + ";";
    else
      out += c;
  }
  return out;
}

// Whether `path` names a regular file (through links): nf2ff would wait for
// ever on a pipe and read a device without end.
bool regularFile(const fs::path& path) {
  std::error_code ec;
  return fs::is_regular_file(path, ec);
}

// Runs nf2ff in `dir` on its input there, its output in its log; "" when
// it ran and wrote its output, else why not: not installed, not started (a
// log that cannot be made), stopped by a signal (a crash on a damaged dump)
// or failed.
std::string runTransform(const fs::path& dir) {
  const fs::path log = dir / run_folder::kFarFieldLog;
  Process nf2ff({{"nf2ff", (dir / run_folder::kFarFieldInput).string()}, dir.string(), log});
  const std::string program = "The far-field program (nf2ff) ";
  if (nf2ff.startError() == ENOENT) return program + "could not be run; it comes with openEMS.";
  if (!nf2ff.started())
    return program + "could not be started: " + std::strerror(nf2ff.startError()) + ".";
  std::string none;
  const std::optional<int> status = nf2ff.wait(none, none);
  if (status && WIFSIGNALED(*status))
    return program + "was stopped by signal " + std::to_string(WTERMSIG(*status)) + " (" +
           strsignal(WTERMSIG(*status)) + "); see " + log.string() + ".";
  if (!status || !WIFEXITED(*status) || WEXITSTATUS(*status) != 0 ||
      !regularFile(dir / run_folder::kFarFieldOutput))
    return program + "failed; see " + log.string() + ".";
  return {};
}

// An HDF5 dataset as doubles, in its stored order; empty when missing.
std::vector<double> readDataset(hid_t file, const std::string& name) {
  std::vector<double> v;
  if (H5Lexists(file, name.c_str(), H5P_DEFAULT) <= 0) return v;
  const hid_t d = H5Dopen2(file, name.c_str(), H5P_DEFAULT);
  if (d < 0) return v;
  const hid_t space = H5Dget_space(d);
  const hssize_t n = H5Sget_simple_extent_npoints(space);
  if (n > 0) {
    v.resize(static_cast<size_t>(n));
    if (H5Dread(d, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, v.data()) < 0) v.clear();
  }
  H5Sclose(space);
  H5Dclose(d);
  return v;
}

std::vector<double> readAttribute(hid_t file, const char* object, const char* name) {
  std::vector<double> v;
  if (H5Aexists_by_name(file, object, name, H5P_DEFAULT) <= 0) return v;
  const hid_t a = H5Aopen_by_name(file, object, name, H5P_DEFAULT, H5P_DEFAULT);
  if (a < 0) return v;
  const hid_t space = H5Aget_space(a);
  const hssize_t n = H5Sget_simple_extent_npoints(space);
  if (n > 0) {
    v.resize(static_cast<size_t>(n));
    if (H5Aread(a, H5T_NATIVE_DOUBLE, v.data()) < 0) v.clear();
  }
  H5Sclose(space);
  H5Aclose(a);
  return v;
}

}  // namespace

std::vector<double> farFieldDumpFrequencies(double modelResonanceHz) {
  std::vector<double> f;
  for (int k = 0; k <= 8; ++k) f.push_back(modelResonanceHz * (0.90 + 0.015 * k));
  return f;
}

std::optional<FarField> farFieldOf(const std::string& folder, double hz, std::string& error) {
  const fs::path dir = fs::absolute(folder);
  const std::vector<double> dumped = dumpedFrequencies(dir);
  if (dumped.empty()) {
    error = "The run in " + folder + " kept no near fields for the far field.";
    return std::nullopt;
  }
  const size_t k = static_cast<size_t>(
      std::min_element(dumped.begin(), dumped.end(),
                       [hz](double a, double b) { return std::abs(a - hz) < std::abs(b - hz); }) -
      dumped.begin());
  // Cuts only: phi 0, 90, 180, 270. The directivity is the radiated power
  // through the box against the strongest direction, which for a patch is
  // broadside, on every cut.
  std::vector<double> theta, phi;
  for (int i = 0; i <= kThetaSteps; ++i) theta.push_back(antenna::kPi * i / kThetaSteps);
  for (int i = 0; i < 4; ++i) phi.push_back(antenna::kPi / 2 * i);
  std::string xml = "<nf2ff freq=\"" + list(dumped) + "\" Outfile=\"" +
                    xmlAttribute((dir / run_folder::kFarFieldOutput).string()) + "\">\n  <theta>" +
                    list(theta) + "</theta>\n  <phi>" + list(phi) + "</phi>\n";
  for (const char* face : run_folder::kNearFieldFaces) {
    std::string fields[2];  // electric, magnetic
    for (bool magnetic : {false, true}) {
      const std::string name = run_folder::nearFieldFile(magnetic, face);
      std::error_code ec;
      if (!fs::exists(dir / name, ec)) {
        error = "The run in " + folder + " lacks its near-field file " + name + ".";
        return std::nullopt;
      }
      if (!regularFile(dir / name)) {
        error = "The near-field file " + name + " in " + folder + " is not a regular file.";
        return std::nullopt;
      }
      fields[magnetic] = xmlAttribute((dir / name).string());
    }
    xml += "  <Planes E_Field=\"" + fields[0] + "\" H_Field=\"" + fields[1] + "\"/>\n";
  }
  xml += "</nf2ff>\n";
  // The far field's files are replaced, never written through: a link or a
  // pipe left in the folder under their names goes first.
  const std::string failure =
      rt::replaceFileAtomically((dir / run_folder::kFarFieldInput).string(), xml);
  if (!failure.empty()) {
    error = failure + ".";
    return std::nullopt;
  }
  std::error_code ec;
  fs::remove(dir / run_folder::kFarFieldOutput, ec);
  fs::remove(dir / run_folder::kFarFieldLog, ec);
  if (const std::string failure = runTransform(dir); !failure.empty()) {
    error = failure;
    return std::nullopt;
  }
  H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);  // failures are told here, not printed
  const hid_t file =
      H5Fopen((dir / run_folder::kFarFieldOutput).c_str(), H5F_ACC_RDONLY, H5P_DEFAULT);
  if (file < 0) {
    error = "The far-field program's output in " + folder + " is unreadable.";
    return std::nullopt;
  }
  const std::vector<double> dmax = readAttribute(file, "nf2ff", "Dmax");
  const std::vector<double> power = readDataset(file, "/nf2ff/P_rad/FD/f" + std::to_string(k));
  H5Fclose(file);
  const size_t nt = theta.size();
  if (dmax.size() != dumped.size() || power.size() != 4 * nt || !(dmax[k] > 0)) {
    error = "The far-field program's output in " + folder + " holds no usable field.";
    return std::nullopt;
  }
  FarField f;
  f.frequencyHz = dumped[k];
  f.directivity = dmax[k];
  f.directivityDbi = 10 * std::log10(dmax[k]);
  const double peak = *std::max_element(power.begin(), power.end());
  // The stored order is phi-major: power[p * nt + t]. A cut runs from
  // theta 180 at phi+180 (negative angles) through broadside to theta 180
  // at phi.
  const auto cut = [&](size_t p, std::vector<double>& out) {
    for (size_t t = nt; t-- > 1;) out.push_back(10 * std::log10(power[(p + 2) * nt + t] / peak));
    for (size_t t = 0; t < nt; ++t) out.push_back(10 * std::log10(power[p * nt + t] / peak));
  };
  for (size_t t = nt; t-- > 1;) f.angleDeg.push_back(-180.0 * t / kThetaSteps);
  for (size_t t = 0; t < nt; ++t) f.angleDeg.push_back(180.0 * t / kThetaSteps);
  cut(1, f.ePlaneDb);  // phi 90: the y-z plane, along the patch's length
  cut(0, f.hPlaneDb);  // phi 0: the x-z plane, along its width
  return f;
}

}  // namespace fullwave
