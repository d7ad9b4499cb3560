// The script's RF commands end to end, in a separate tessivar-script
// process: a Touchstone file it writes is read by scikit-rf and compared
// with the window's lines, files scikit-rf writes are read back, and the
// commands' failures are reported the script's way.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <complex>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "rf/touchstone.h"

namespace {

namespace fs = std::filesystem;

const char* kWorkedExample =
    "type edit5 1\ntype edit6 3\nslide slider2 40\nslide slider1 30\nslide slider3 1.6\n"
    "slide slider4 4.4\nslide slider5 10\n";

// Reads the model's lines and the script's file with scikit-rf, compares
// them, and writes the same data at 75 ohm in MHz as MA and DB files.
const char* kCheckWithSkrf = R"(
import json, sys
import numpy as np
import skrf
out = open("out.txt").read().splitlines()
r, x = json.loads(out[0]), json.loads(out[1])
f = np.array(r["x"]) * 1e9
z = np.array(r["y"]) + 1j * np.array(x["y"])
n = skrf.Network("model.s1p")
s, z0 = n.s[:, 0, 0], n.z0[:, 0].real
zin = z0 * (1 + s) / (1 - s)  # Network.z of Debian's scikit-rf 0.15 fails on its numpy
rel = lambda a, b: float(np.max(np.abs(a - b) / np.abs(b)))
checks = {"points": abs(len(n.f) - 1000), "f": rel(n.f, f), "z0": rel(z0, 50),
          "s11": rel(s, (z - 50) / (z + 50)), "zin": rel(zin, z)}
bad = {k: v for k, v in checks.items() if not v < 1e-9}
at75 = skrf.Network(frequency=skrf.Frequency.from_f(n.f / 1e6, unit="mhz"),
                    s=((zin - 75) / (zin + 75)).reshape(-1, 1, 1), z0=75)
for form in ("ma", "db"):
    at75.write_touchstone("skrf_" + form, form=form)
print(json.dumps(bad))
sys.exit(1 if bad else 0)
)";

struct Outcome {
  int status = -1;
  std::string out, err;
};

class RfScript : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("TESSIVAR_BUILD_DIR");
    program_ = fs::path(build ? build : ".") / "tessivar-script";
    ASSERT_TRUE(fs::exists(program_)) << program_ << " is not built";
    dir_ = fs::temp_directory_path() /
           ("tessivar-rf-script-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Outcome shell(const std::string& command) {
    Outcome r;
    const std::string cmd = "cd '" + dir_.string() + "' && " + command + " 2> err.txt";
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.err = read("err.txt");
    return r;
  }

  Outcome script(const std::string& text) {
    std::ofstream(dir_ / "script.txt") << text;
    Outcome r = shell("'" + program_.string() + "' script.txt");
    std::ofstream(dir_ / "out.txt") << r.out;
    return r;
  }

  std::string read(const std::string& name) {
    std::ifstream in(dir_ / name);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }

  // The script's own messages (not Qt's notes about its folders).
  static std::string messages(const std::string& err) {
    std::istringstream lines(err);
    std::string out;
    for (std::string l; std::getline(lines, l);)
      if (l.rfind("QStandardPaths:", 0) != 0) out += l + "\n";
    return out;
  }

  fs::path program_, dir_;
};

// The numbers of the list that follows `key` in a line of JSON.
std::vector<double> listAfter(const std::string& json, const std::string& key) {
  std::vector<double> v;
  const char* p = json.c_str() + json.find("\"" + key + "\": [") + key.size() + 5;
  while (*p != ']') {
    char* end = nullptr;
    v.push_back(std::strtod(p, &end));
    p = end;
    while (*p == ',' || *p == ' ') ++p;
  }
  return v;
}

double numberAfter(const std::string& json, const std::string& key, std::size_t from = 0) {
  return std::strtod(json.c_str() + json.find("\"" + key + "\": ", from) + key.size() + 4, nullptr);
}

TEST_F(RfScript, TouchstoneOutAndInAgreeWithScikitRf) {
  if (std::system("/usr/bin/python3 -c 'import skrf' 2>/dev/null") != 0)
    GTEST_SKIP() << "/usr/bin/python3 cannot import skrf (Debian package python3-scikit-rf)";

  Outcome model = script(std::string(kWorkedExample) + "line axes1\nline axes2\n" +
                         "touchstone model.s1p\nmatch\n");
  ASSERT_EQ(model.status, 0) << model.err;
  const std::string header = read("model.s1p").substr(0, 200);
  EXPECT_NE(header.find("W = 30 mm, L = 40 mm, H = 1.6 mm, er = 4.4, offset = 10 mm"),
            std::string::npos)
      << header;
  EXPECT_NE(header.find("\n# GHz S RI R 50\n"), std::string::npos) << header;

  std::ofstream(dir_ / "check.py") << kCheckWithSkrf;
  Outcome checked = shell("/usr/bin/python3 check.py");
  ASSERT_EQ(checked.status, 0) << "differences over 1e-9: " << checked.out << checked.err;

  // The files scikit-rf wrote read back as the lines' impedance.
  std::istringstream lines(model.out);
  std::string r, x;
  std::getline(lines, r);
  std::getline(lines, x);
  const std::vector<double> ghz = listAfter(r, "x"), res = listAfter(r, "y"),
                            rea = listAfter(x, "y");
  for (const char* file : {"skrf_ma.s1p", "skrf_db.s1p"}) {
    SCOPED_TRACE(file);
    const rf::OnePort p = rf::readTouchstone((dir_ / file).string());
    EXPECT_EQ(p.z0, 75);
    ASSERT_EQ(p.ghz.size(), ghz.size());
    double worst = 0;
    for (std::size_t i = 0; i < ghz.size(); ++i) {
      const std::complex<double> z(res[i], rea[i]);
      worst = std::max({worst, std::abs(p.ghz[i] - ghz[i]) / ghz[i],
                        std::abs(rf::impedance(p.s11[i], 75) - z) / std::abs(z)});
    }
    EXPECT_LT(worst, 1e-9);
  }

  // Overlaid, the file's readout is the model's.
  Outcome both = script(std::string(kWorkedExample) + "overlay skrf_db.s1p\nmatch\n");
  ASSERT_EQ(both.status, 0) << both.err;
  const std::string& json = both.out;
  const std::size_t overlay = json.find("\"overlay\"");
  ASSERT_NE(overlay, std::string::npos) << json;
  for (const char* key : {"r_at_resonance", "s11_min_db", "s11_min_ghz", "vswr_at_resonance"})
    EXPECT_NEAR(numberAfter(json, key, overlay) / numberAfter(json, key), 1, 1e-9) << key;
}

TEST_F(RfScript, ReadoutOfTheWorkedExample) {
  Outcome o = script(std::string(kWorkedExample) + "match\nmatch 159.3132\n");
  ASSERT_EQ(o.status, 0) << o.err;
  std::istringstream lines(o.out);
  std::string at50, atPeak;
  std::getline(lines, at50);
  std::getline(lines, atPeak);
  EXPECT_EQ(at50.rfind("{\"z0\": 50, \"resonance_ghz\": [1.8128128128128", 0), 0u) << at50;
  EXPECT_NEAR(numberAfter(at50, "r_at_resonance"), 159.3132, 1e-4);
  // Against 50 ohm the patch is poorly matched; against its own R it is.
  EXPECT_NE(at50.find("\"bandwidth_ghz\": null, \"bandwidth_percent\": null"), std::string::npos);
  EXPECT_NEAR(numberAfter(atPeak, "vswr_at_resonance"), 1.0, 0.05);
  EXPECT_EQ(atPeak.find("\"bandwidth_ghz\": null"), std::string::npos) << atPeak;
}

TEST_F(RfScript, FailuresGetOneLineAndStatusTwoAndChangeNothing) {
  std::ofstream(dir_ / "two.s2p") << "# GHz S RI R 50\n1 0 0 0 0 0 0 0 0\n";
  Outcome o = script(std::string(kWorkedExample) +
                     "overlay missing.s1p\noverlay two.s2p\nmatch 0\nmatch abc\n"
                     "touchstone nofolder/x.s1p\nmatch\n");
  EXPECT_EQ(o.status, 2);
  EXPECT_EQ(messages(o.err),
            "tessivar-script: line 8: \"missing.s1p\": cannot open the file\n"
            "tessivar-script: line 9: \"two.s2p\", line 2: two-port data (9 numbers on a line): "
            "only one-port files are read\n"
            "tessivar-script: line 10: Z0 must be a finite positive number, not \"0\"\n"
            "tessivar-script: line 11: Z0 must be a number, not \"abc\"\n"
            "tessivar-script: line 12: cannot write \"nofolder/x.s1p\": No such file or "
            "directory\n");
  EXPECT_EQ(o.out.find("overlay"), std::string::npos) << o.out;
  EXPECT_EQ(o.out.rfind("{\"z0\": 50,", 0), 0u) << o.out;
  EXPECT_FALSE(fs::exists(dir_ / "nofolder"));
}

}  // namespace
