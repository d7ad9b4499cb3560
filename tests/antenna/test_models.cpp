// Every registered impedance model with every feed it takes, through the
// same checks: the registry finds it by its name, a design synthesised on
// it resonates on it where the synthesis said, and its impedance over the
// band is finite and passive. A new model or feed is tested by being
// registered.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <set>
#include <string>

#include "antenna/models.h"
#include "antenna/refined_model.h"
#include "antenna/synthesis.h"

namespace {

using antenna::ImpedanceModel;

// The main window's slider ranges (mm, and er).
constexpr antenna::Limits kLimits{{1e-3, 0.3}, {1e-3, 0.3}, {0.1e-3, 20e-3}, {1, 20}};

TEST(ImpedanceModels, EachIsFoundByItsOwnNameAndTheClassicOneComesFirst) {
  std::set<std::string> names;
  for (const ImpedanceModel m : antenna::impedanceModels()) {
    EXPECT_EQ(antenna::impedanceModelNamed(m->name()), m);
    EXPECT_TRUE(names.insert(std::string(m->name())).second) << "two models named " << m->name();
    EXPECT_NE(antenna::impedanceModelChoices().find(m->name()), std::string::npos);
    EXPECT_FALSE(m->label().empty());
  }
  const ImpedanceModel first = antenna::impedanceModels().front();
  EXPECT_TRUE(first.isDefault() && first->name() == "classic") << first->name();
  EXPECT_FALSE(antenna::impedanceModelNamed("Classic"));
  EXPECT_FALSE(antenna::impedanceModelNamed(""));
}

TEST(ImpedanceModels, EveryModelAndFeedResonatesWhereItsSynthesisPutItAndIsPassive) {
  const antenna::Target targets[] = {{2.4e9, 4.4, 1.6e-3, 50}, {5.8e9, 2.2, 0.787e-3, 50}};
  for (const ImpedanceModel m : antenna::impedanceModels())
    for (const antenna::Feed feed : antenna::kFeeds) {
      if (!m->takesFeed(feed)) continue;
      antenna::Board board;
      board.feed = feed;
      for (const antenna::Target& t : targets) {
        SCOPED_TRACE(std::string(m->name()) + " at " + std::to_string(t.f0) + " Hz");
        const antenna::Design d = antenna::synthesise(
            t, kLimits, [&](const antenna::Patch& p, const std::vector<double>& hz) {
              return m->impedance(p, board, hz);
            });
        const antenna::Patch& p = d.patch;
        const std::vector<double> hz = antenna::linearBand(d.band.fmin, d.band.fmax);
        ASSERT_EQ(m->problem(p, board, hz), "");
        const auto z = m->impedance(p, board, hz);
        ASSERT_EQ(z.size(), hz.size());
        for (const auto& v : z) {
          ASSERT_TRUE(std::isfinite(v.real()) && std::isfinite(v.imag()));
          ASSERT_GE(v.real(), 0) << "a passive patch takes power, never gives it";
        }
        const auto peak = std::max_element(z.begin(), z.end(),
                                           [](auto a, auto b) { return a.real() < b.real(); });
        const double step = hz[1] - hz[0];
        EXPECT_NEAR(hz[peak - z.begin()], d.peakHz, step);
        EXPECT_NEAR(d.peakHz, t.f0, 0.005 * t.f0);
        EXPECT_NEAR(peak->real(), t.z0, 0.05 * t.z0);
        if (const auto losses = m->losses(p, board, std::span(hz).subspan(0, 3))) {
          ASSERT_TRUE(m->hasLosses());
          for (double e : losses->efficiency) EXPECT_TRUE(e > 0 && e <= 1) << e;
          for (double q : losses->q) EXPECT_GT(q, 1);
        } else {
          EXPECT_FALSE(m->hasLosses());
        }
      }
    }
}

TEST(ImpedanceModels, AModelThatTakesTheBoardFollowsItsLosses) {
  const antenna::Patch p{0.038, 0.0295, 1.6e-3, 4.4, 9e-3};
  const double hz[] = {2.3e9};
  for (const ImpedanceModel m : antenna::impedanceModels()) {
    antenna::Board lossy, lossless;
    lossless.lossTangent = 1e-4;
    const auto a = m->impedance(p, lossy, hz)[0], b = m->impedance(p, lossless, hz)[0];
    if (m->takesBoard())
      EXPECT_NE(a, b) << m->name() << " ignores the loss tangent";
    else
      EXPECT_EQ(a, b) << m->name() << " says it takes no board";
  }
}

}  // namespace
