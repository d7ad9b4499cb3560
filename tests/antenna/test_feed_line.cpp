// The feed line against published 50-ohm designs, against scikit-rf's
// microstrip line with the same models, and its refusals. Without scikit-rf
// the comparison skips, and fails under CI.

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <sstream>
#include <stdexcept>
#include <vector>

#include "antenna/feed_line.h"
#include "refusal.h"
#include "required_tool.h"

namespace {

using namespace antenna;

TEST(FeedLine, WidthsMatchPublishedDesignsAndTheirImpedance) {
  // Pozar, Microwave Engineering, ex. 3.7: 50 ohm on 1.27 mm of er 2.2 is
  // 3.91 mm wide with ee 1.87, and 90 degrees at 2.5 GHz is 21.9 mm. 1.6 mm
  // FR-4 (er 4.4) takes 3.0-3.1 mm, about 3.0 mm with 35 um copper; 0.635
  // mm alumina (er 9.8) about 0.61 mm, ee 6.55.
  struct Row {
    const char* name;
    LineBoard board;
    double width, ee, quarterAt2p5;  // published; 0 where none is given
  };
  const Row rows[] = {{"Pozar", {1.27e-3, 2.2, 0}, 3.91e-3, 1.87, 21.9e-3},
                      {"FR-4", {1.6e-3, 4.4, 0}, 3.06e-3, 3.33, 0},
                      {"FR-4 35 um", {1.6e-3, 4.4, 35e-6}, 3.0e-3, 0, 0},
                      {"alumina", {0.635e-3, 9.8, 0}, 0.61e-3, 6.55, 0}};
  for (const Row& r : rows) {
    SCOPED_TRACE(r.name);
    const double w = feedLineWidth(50, r.board);
    EXPECT_NEAR(w, r.width, 0.015 * r.width);
    const FeedLine line(w, r.board);
    EXPECT_NEAR(line.quasiStatic().zc, 50, 50e-6);
    const double ee = line.quasiStatic().ee, quarter = line.guidedWavelength(2.5e9) / 4;
    EXPECT_TRUE(r.ee == 0 || std::abs(ee / r.ee - 1) <= 0.01) << ee;
    EXPECT_TRUE(r.quarterAt2p5 == 0 || std::abs(quarter / r.quarterAt2p5 - 1) <= 0.01) << quarter;
  }
  // At a frequency the width is solved on the dispersive impedance, which
  // has risen by 10 GHz: the 50-ohm strip is wider.
  const LineBoard fr4{1.6e-3, 4.4, 35e-6};
  const double w10 = feedLineWidth(50, fr4, 10e9);
  EXPECT_NEAR(FeedLine(w10, fr4).at(10e9).zc, 50, 50e-6);
  EXPECT_GT(w10, 1.05 * feedLineWidth(50, fr4));
  // 200 ohm at a patch edge to 50 ohm: a 100-ohm section, its impedance and
  // its quarter wavelength both taken at 2.4 GHz.
  const QuarterWaveTransformer t = quarterWaveTransformer(200, 50, fr4, 2.4e9);
  EXPECT_DOUBLE_EQ(t.impedance, 100);
  const LineState at = FeedLine(t.width, fr4).at(2.4e9);
  EXPECT_NEAR(at.zc, 100, 100e-6);
  EXPECT_NEAR(t.length * std::sqrt(at.ee) * 4, 299792458.0 / 2.4e9, 1e-9);
}

TEST(FeedLine, ThicknessCorrectionIsContinuousAndKeepsAirAnAirLine) {
  // Copper widens the strip: a lower impedance and, with more field in air,
  // a lower ee; it vanishes smoothly as the copper thins to nothing.
  const LineState thin = hammerstadJensenLine(1.9, 4.4),
                  thick = hammerstadJensenLine(1.9, 4.4, 0.02);
  EXPECT_LT(thick.zc, thin.zc - 0.3);
  EXPECT_LT(thick.ee, thin.ee);
  EXPECT_NEAR(hammerstadJensenLine(1.9, 4.4, 1e-12).zc, thin.zc, 1e-9);
  // On air the thick strip is an air line (ee exactly 1), whose impedance is
  // the zero-thickness air line's at the wider strip u1.
  const LineState air = hammerstadJensenLine(1.9, 1.0, 0.05);
  EXPECT_EQ(air.ee, 1.0);
  EXPECT_NEAR(air.zc, hammerstadJensenLine(hammerstadJensenThickStrip(1.9, 1.0, 0.05).air, 1.0).zc,
              1e-12);
  // Dispersion starts from the quasi-static line, impedance and ee alike.
  const FeedLine line(3e-3, {1.6e-3, 4.4, 35e-6});
  EXPECT_NEAR(line.at(1e3).zc, line.quasiStatic().zc, 1e-9);
  EXPECT_NEAR(line.at(1e3).ee, line.quasiStatic().ee, 1e-9);
}

// scikit-rf's microstrip line on the lines of skrf_mline.py, beside it.
TEST(FeedLine, AgreesWithScikitRf) {
  TESSIVAR_REQUIRE_TOOL("skrf", "/usr/bin/python3 -c 'import skrf'",
                        "/usr/bin/python3 cannot import skrf", "python3-scikit-rf");
  const auto script = required_tool::besideSource(__FILE__, "skrf_mline.py");
  FILE* pipe = popen(("/usr/bin/python3 '" + script.string() + "' 2>&1").c_str(), "r");
  ASSERT_NE(pipe, nullptr);
  std::string out;
  for (char buf[4096]; std::fgets(buf, sizeof buf, pipe);) out += buf;
  ASSERT_EQ(pclose(pipe), 0) << out;

  std::istringstream in(out);
  int rows = 0;
  for (double w, h, er, t, ghz, zc, ee; in >> w >> h >> er >> t >> ghz >> zc >> ee; ++rows) {
    SCOPED_TRACE(testing::Message() << w << " m wide at " << ghz << " GHz");
    const FeedLine ours(w, {h, er, t});
    const LineState at = ghz == 0 ? ours.quasiStatic() : ours.at(ghz * 1e9);
    // Within the two programs' eta0 (theirs from CODATA 2018's mu0).
    EXPECT_NEAR(at.zc, zc, 1e-8 * zc);
    EXPECT_NEAR(at.ee, ee, 1e-8 * ee);
  }
  EXPECT_TRUE(in.eof() && rows >= 20) << out;
}

TEST(FeedLine, RefusesWhatNoBoardCanHoldNamingTheLimit) {
  const LineBoard fr4{1.6e-3, 4.4, 35e-6}, thin{1e-6, 4.4, 0}, belowVacuum{1.6e-3, 0.5, 0},
      allCopper{1.6e-3, 4.4, 2e-3};
  const auto refused = [](auto&& f) { return refusal::of<std::invalid_argument>(f); };
  struct Row {
    std::string message;
    std::vector<std::string> parts;
  };
  const Row rows[] = {
      {refused([&] { feedLineWidth(200, fr4); }), {"200 ohm", "narrower than 0.1 mm", "159.6 ohm"}},
      {refused([&] { feedLineWidth(1, fr4); }), {"1 ohm", "wider than 100 h (160 mm)"}},
      {refused([&] { feedLineWidth(-50, fr4); }), {"-50 ohm"}},
      {refused([&] { feedLineWidth(50, thin); }), {"0.001 mm", "holds no line"}},
      {refused([&] { feedLineWidth(50, belowVacuum); }), {"er", "0.5"}},
      {refused([&] { feedLineWidth(50, allCopper); }), {"thinner than the board", "2 mm"}},
      {refused([&] { FeedLine(NAN, fr4); }), {"strip width", "nan"}},
      {refused([&] { FeedLine(3e-3, fr4).at(0); }), {"frequency"}},
      {refused([&] { quarterWaveTransformer(0, 50, fr4, 2e9); }), {"edge resistance", "0 ohm"}},
  };
  for (const Row& r : rows)
    for (const std::string& part : r.parts)
      EXPECT_NE(r.message.find(part), std::string::npos) << r.message << " lacks " << part;
}

}  // namespace
