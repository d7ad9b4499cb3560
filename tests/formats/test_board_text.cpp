// The board words refusing boards no maker sells, each naming its limit.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "formats/board_text.h"
#include "refusal.h"

namespace {

TEST(BoardWords, RefuseBoardsNoMakerSellsNamingTheLimit) {
  const std::pair<const char*, const char*> cases[] = {
      {"copper_um=1e-6", "between 1 um and 1 mm, not 1e-06 um"},
      {"copper_um=5000", "between 1 um and 1 mm, not 5000 um"},
      {"sigma=1e12", "between 1e6 and 1e8 S/m, not 1e+12 S/m"},
      {"pin_mm=0.001", "at least 0.01 mm, not 0.001 mm"},
      {"tand=0.5", "between 0 and 0.1"},
  };
  for (const auto& [words, limit] : cases) {
    const std::string said = refusal::of([&] { formats::boardFromWords(words, {}); });
    EXPECT_NE(said.find(limit), std::string::npos) << said;
  }
  // The edges of the ranges are boards.
  const antenna::Board b = formats::boardFromWords("copper_um=1 sigma=1e8 pin_mm=0.01", {});
  EXPECT_EQ(b.copperThickness, 1e-6);
}

}  // namespace
