// The script's RF commands end to end, in a separate tessivar-script
// process: a Touchstone file it writes is read by scikit-rf and compared
// with the window's lines, files scikit-rf writes are read back, and the
// commands' failures are reported the script's way. Without scikit-rf its
// tests skip, and fail under CI.

#include "antenna/network.h"
#include "design/design_io.h"
#include "formats/touchstone.h"
#include "required_tool.h"
#include "window/window_session.h"

namespace {

using namespace session;

class RfScript : public session::ScriptTest {};

TEST_F(RfScript, TouchstoneOutAndInAgreeWithScikitRf) {
  TESSIVAR_REQUIRE_TOOL("skrf", "/usr/bin/python3 -c 'import skrf'",
                        "/usr/bin/python3 cannot import skrf", "python3-scikit-rf");

  Outcome model =
      run(std::string(kWorkedExampleScript) + "line axes1\nline axes2\ntouchstone model.s1p\n");
  ASSERT_EQ(model.status, 0) << model.err;
  const std::string header = read("model.s1p").substr(0, 200);
  for (const char* part :
       {"W = 30 mm, L = 40 mm, H = 1.6 mm, er = 4.4, offset = 10 mm\n", "\n# GHz S RI R 50\n"})
    EXPECT_NE(header.find(part), std::string::npos) << header;

  std::ofstream(dir_ / "out.txt") << model.out;
  Outcome checked = shell("/usr/bin/python3 '" +
                          required_tool::besideSource(__FILE__, "skrf_check.py").string() + "'");
  ASSERT_EQ(checked.status, 0) << "differences over 1e-9: " << checked.out << checked.err;

  // The files scikit-rf wrote read back as the lines' impedance.
  const std::vector<std::string> lines = session::lines(model.out);
  ASSERT_GE(lines.size(), 2u);
  const std::vector<double> ghz = numbersAfter(lines[0], "x"), res = numbersAfter(lines[0], "y"),
                            rea = numbersAfter(lines[1], "y");
  for (const char* file : {"skrf_ma.s1p", "skrf_db.s1p"}) {
    SCOPED_TRACE(file);
    const formats::OnePort p = design::readTouchstone((dir_ / file).string());
    EXPECT_EQ(p.z0, 75);
    ASSERT_EQ(p.hz.size(), ghz.size());
    double worst = 0;
    for (std::size_t i = 0; i < ghz.size(); ++i) {
      const std::complex<double> z(res[i], rea[i]);
      worst = std::max({worst, std::abs(p.hz[i] / 1e9 - ghz[i]) / ghz[i],
                        std::abs(antenna::zFromS(p.s11[i], 75) - z) / std::abs(z)});
    }
    EXPECT_LT(worst, 1e-9);
  }

  // Overlaid, the file's readout is the model's.
  Outcome both = run(std::string(kWorkedExampleScript) + "overlay skrf_db.s1p\nmatch\n");
  ASSERT_EQ(both.status, 0) << both.err;
  const std::size_t overlay = both.out.find("\"overlay\"");
  ASSERT_NE(overlay, std::string::npos) << both.out;
  for (const char* key : {"r_at_resonance", "s11_min_db", "s11_min_ghz", "vswr_at_resonance"})
    EXPECT_NEAR(numbersAfter(both.out, key, overlay).at(0) / numbersAfter(both.out, key).at(0), 1,
                1e-9)
        << key;
}

// Failures get one line each and status 2 and change nothing; markers are
// listed in their numbers' order after each change, one outside the band
// refused; the readout says which resonance is the R peak and which the X
// crossing.
TEST_F(RfScript, FailuresGetOneLineAndStatusTwoAndChangeNothingAndMarkersAreListed) {
  std::ofstream(dir_ / "two.s2p") << "# GHz S RI R 50\n1 0 0 0 0 0 0 0 0\n";
  Outcome o = run(std::string(kWorkedExampleScript) +
                  "overlay missing.s1p\noverlay two.s2p\nmatch 0\nmatch abc\n"
                  "touchstone nofolder/x.s1p\nmatch\nmatch 159.3132\n"
                  "marker 2\nmarker 2.5\nmarker remove 1\nmarker 9\nmarker clear\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(
      messages(o.err),
      (std::vector<std::string>{
          "tessivar-script: line 8: \"missing.s1p\": No such file or directory",
          "tessivar-script: line 9: \"two.s2p\", line 2: two-port data (9 numbers on a line): "
          "only one-port files are read",
          "tessivar-script: line 10: Z0 must be a finite positive number of ohms, not \"0\"",
          "tessivar-script: line 11: Z0 must be a finite positive number of ohms, not \"abc\"",
          "tessivar-script: line 12: cannot write \"nofolder/x.s1p\": No such file or "
          "directory",
          "tessivar-script: line 18: a marker at 9 GHz lies outside the band 1 to 3 GHz"}));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "nofolder"));

  // Nothing was overlaid; the readout of the worked example is poorly matched
  // against 50 ohm and matched against its own R (the readout's numbers are
  // the library's tests').
  const std::vector<std::string> lines = session::lines(o.out);
  ASSERT_EQ(lines.size(), 6u) << o.out;
  const std::string &at50 = lines[0], &atPeak = lines[1];
  EXPECT_EQ(o.out.find("overlay"), std::string::npos) << o.out;
  EXPECT_EQ(at50.rfind("{\"z0\": 50, ", 0), 0u) << at50;
  EXPECT_NE(at50.find("\"resonance_kinds\": [\"r_peak\", \"x_zero\"]"), std::string::npos) << at50;
  EXPECT_EQ(std::vector<std::string>(lines.begin() + 2, lines.end()),
            (std::vector<std::string>{"[2]", "[2, 2.5]", "[2.5]", "[]"}));
  EXPECT_NE(at50.find("\"bandwidth_ghz\": null, \"bandwidth_percent\": null"), std::string::npos);
  EXPECT_NEAR(numbersAfter(atPeak, "vswr_at_resonance").at(0), 1.0, 0.05);
  EXPECT_EQ(atPeak.find("\"bandwidth_ghz\": null"), std::string::npos) << atPeak;
}

// Every reader stops at its limit and reads only regular files, quickly;
// every writer names the file short and keeps the reason, and writes a file
// under the name it was given or says why not.
TEST_F(RfScript, ReadersRefuseWhatIsNoRegularFileAndWritersKeepTheReason) {
  ASSERT_EQ(::mkfifo((dir_ / "fifo").c_str(), 0600), 0);
  std::string deep;
  for (int i = 0; i < 40; ++i) deep += "dddddddddd/";
  const Outcome o = run(std::string(kWorkedExampleScript) +
                        "overlay /dev/zero\noverlay .\nopen fifo\n"
                        "save " +
                        deep + "\ntouchstone " + deep + "\npng 1 caf\xE9.png\n");
  const std::string shortened = "\"" + deep.substr(0, 80) + "...\"";
  EXPECT_EQ(
      messages(o.err),
      (std::vector<std::string>{
          "tessivar-script: line 8: \"/dev/zero\": is not a regular file",
          "tessivar-script: line 9: \".\": is a directory",
          "tessivar-script: line 10: open: cannot read \"fifo\": is not a regular file",
          "tessivar-script: line 11: save: cannot write " + shortened +
              ": No such file or directory",
          "tessivar-script: line 12: cannot write " + shortened + ": No such file or directory",
          "tessivar-script: line 13: cannot write \"caf\xE9.png\": the file name is not UTF-8 "
          "text"}));
  EXPECT_EQ(shell("'" + program_.string() + "' /dev/zero").err,
            "tessivar-script: cannot read /dev/zero: is not a regular file\n");
  const Outcome endless = shell("'" + program_.string() + "' < /dev/zero");
  EXPECT_EQ(endless.status, 2);
  EXPECT_EQ(
      messages(endless.err),
      std::vector<std::string>{"tessivar-script: line 1 is longer than 16 MiB: the script stops"});
}

// farfield: the README's FR-4 patch, at the frequency given and at the
// pattern frequency by default, as JSON; its cuts as CSV, a block a plane.
TEST_F(RfScript, FarFieldReportAndCuts) {
  Outcome o =
      run("type edit1 38\ntype edit2 29.5\ntype edit3 1.6\ntype edit4 4.4\ntype edit7 5\n"
          "type edit5 1.5\ntype edit6 3\nfarfield 2.4 cuts.csv\ntype edit8 2.2\nfarfield\n"
          "farfield 2.4GHz\nfarfield -1\nfarfield 2.4 nofolder/cuts.csv\ncsv 1 1.csv\ncsv 2 2.csv\n"
          "csv 3 3.csv\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(messages(o.err),
            (std::vector<std::string>{
                "tessivar-script: line 11: farfield: the frequency must be a number in GHz, not "
                "\"2.4GHz\"",
                "tessivar-script: line 12: farfield: the far field needs a frequency above 0 GHz, "
                "not -1 GHz",
                "tessivar-script: line 13: farfield: cannot write \"nofolder/cuts.csv\": No such "
                "file or directory"}));
  const std::vector<std::string> lines = session::lines(o.out);
  ASSERT_EQ(lines.size(), 2u) << o.out;
  const std::string& at24 = lines[0];
  EXPECT_EQ(at24.rfind("{\"frequency_ghz\": 2.4, \"model\": \"classic\", \"directivity_dbi\": ", 0),
            0u)
      << at24;
  EXPECT_NE(at24.find("\"gain_dbi\": null, \"efficiency\": null, \"hpbw_e_deg\": null"),
            std::string::npos);
  EXPECT_EQ(numbersAfter(lines[1], "frequency_ghz").at(0), 2.2);

  // The cuts' file (its layout is the library's tests').
  EXPECT_EQ(read("cuts.csv").rfind("angle_deg,e_plane_db\n-90,", 0), 0u);
  // The data export names its columns as the figures show them: the
  // window's frequency, the Far-field figure's cuts, the pattern's colours.
  EXPECT_EQ(session::lines(read("1.csv")).at(0), "Frequency (GHz),Resistance (Ohms)");
  EXPECT_EQ(read("2.csv").rfind("angle_deg,e_plane_db\n-90,", 0), 0u);
  EXPECT_EQ(session::lines(read("3.csv")).at(0), "X,Y,Z,\"Field amplitude (relative, no unit)\"");
}

}  // namespace

// Touchstone 2.0 and CR-only files read as scikit-rf reads them.
TEST_F(RfScript, VersionTwoAndCarriageReturnFilesAgreeWithScikitRf) {
  TESSIVAR_REQUIRE_TOOL("skrf", "/usr/bin/python3 -c 'import skrf'",
                        "/usr/bin/python3 cannot import skrf", "python3-scikit-rf");
  const std::pair<const char*, const char*> files[] = {
      {"v2.s1p",
       "[Version] 2.0\n# MHz S DB R 75\n[Number of Ports] 1\n[Number of Frequencies] 3\n"
       "[Network Data]\n1000 -3 10\n2000 -20 -45\n3000 -6 90\n[End]\n"},
      {"cr.s1p", "! CR only\r# GHz S MA R 50\r1 0.5 10\r2 0.1 -45\r3 1 0\r"},
  };
  for (const auto& [name, text] : files) {
    SCOPED_TRACE(name);
    std::ofstream(dir_ / name) << text;
    const Outcome skrf =
        shell(std::string("/usr/bin/python3 -c 'import skrf; n = skrf.Network(\"") + name +
              "\"); print(*n.f, n.z0[0, 0].real, *n.s[:, 0, 0].real, "
              "*n.s[:, 0, 0].imag)'");
    // The last line: scikit-rf may first print a note about plotting.
    std::istringstream in(skrf.out.substr(skrf.out.rfind('\n', skrf.out.size() - 2) + 1));
    const formats::OnePort p = design::readTouchstone((dir_ / name).string());
    std::vector<double> ours(p.hz.begin(), p.hz.end());
    ours.push_back(p.z0);
    for (const bool imaginary : {false, true})
      for (const std::complex<double>& s : p.s11) ours.push_back(imaginary ? s.imag() : s.real());
    for (double v : ours) {
      double theirs = NAN;
      in >> theirs;
      EXPECT_NEAR(v, theirs, 1e-12 * std::max(1.0, std::abs(v))) << skrf.out << skrf.err;
    }
  }
}
