// Touchstone reading in all its units, kinds and formats, and the writer,
// which refuses what is no number; the files it must refuse, each with its
// line and reason.
#include <gtest/gtest.h>

#include <algorithm>
#include <numbers>

#include "antenna/numbers.h"
#include "formats/touchstone.h"
#include "refusal.h"

namespace {

using namespace std::string_literals;

TEST(Touchstone, ReadsEveryUnitKindAndFormatAndWhatItWritesWhichHoldsOnlyNumbers) {
  // One point, S11 = 0.6 - 0.2j against 50 ohm at 2.5 GHz, written every way.
  const std::complex<double> s(0.6, -0.2), z = (1.0 + s) / (1.0 - s), y = 1.0 / z;
  auto pair = [](double a, double b) {
    return antenna::formatNumber(a, antenna::kExactDigits) + ' ' +
           antenna::formatNumber(b, antenna::kExactDigits);
  };
  const double deg = std::arg(s) * 180 / std::numbers::pi;
  const std::string ma = pair(std::abs(s), deg), db = pair(20 * std::log10(std::abs(s)), deg);
  const std::string files[] = {
      "# GHz S RI R 50\n2.5 0.6 -0.2\n",
      "! comment\n\n#  mhz  s  ma  r 50  ! trailing\n2500 " + ma + "\n",
      "# KHZ S DB\n2500000 " + db + "\n",
      "# Hz Z RI R 50\n2.5e9 " + pair(z.real(), z.imag()) + "\n",
      "# hz y ri r 50\n2500000000 " + pair(y.real(), y.imag()) + "\r\n",
      "2.5 " + ma + "\n",  // no option line: GHz S MA R 50
      "! CR line ends\r# GHz S RI R 50\r2.5 0.6 -0.2\r",
      "[Version] 2.0\n# MHz S MA R 75\n[Number of Ports] 1\n[Number of Frequencies] 1\n"
      "[Reference]\n50\n[Network Data]\n2500 " +
          ma + "\n[End]\n",
  };
  for (const std::string& file : files) {
    SCOPED_TRACE(file);
    const formats::OnePort p = formats::parseTouchstone(file, "t.s1p");
    ASSERT_EQ(p.hz.size(), 1u);
    EXPECT_DOUBLE_EQ(p.hz[0], 2.5e9);
    EXPECT_NEAR(std::abs(p.s11[0] - s), 0, 1e-12);
    EXPECT_EQ(p.z0, 50);
  }

  // What it writes reads back exactly.
  formats::OnePort p{
      {1e9, 1.5e9, 2e9}, {{0.1, 0.2}, {-0.3, 1.0 / 3}, {std::numbers::pi / 10, -0.7}}, 75};
  const std::string text = formats::formatTouchstone(p, {"design A"});
  EXPECT_EQ(text.substr(0, text.find('\n', text.find('\n') + 1) + 1),
            "! design A\n# GHz S RI R 75\n");
  const formats::OnePort back = formats::parseTouchstone(text, "t");
  EXPECT_EQ(back.hz, p.hz);
  EXPECT_EQ(back.s11, p.s11);  // 17 digits: exact
  EXPECT_EQ(back.z0, 75);
  // It writes no row that is no number.
  for (double bad : {NAN, INFINITY}) {
    p.s11[1] = {0.3, bad};
    EXPECT_EQ(refusal::of([&] { formats::formatTouchstone(p, {}); }),
              "S11 is not a number at point 2 (1.5 GHz)");
  }
}

// Why parsing `text` fails ("accepted" when it does not).
std::string refusal(const std::string& text) {
  return refusal::of<formats::TouchstoneError>([&] { formats::parseTouchstone(text, "f.s1p"); });
}

TEST(Touchstone, RefusesWhatIsNotOnePortDataWithLineAndReason) {
  // Each file fails on its last line.
  const std::pair<std::string, const char*> cases[] = {
      {"# GHz S RI R 50\n1 0.1 0.2 0.3 0.4 0.5 0.6 0.7 0.8\n",
       "two-port data (9 numbers on a line): only one-port files are read"},
      {"1 0.1\n", "expected 3 numbers (frequency and one parameter), found 2"},
      {"1 0.1 0.2\n2 0.1 0..2\n", "\"0..2\" is not a number"},
      {"1 0.1 nan\n", "\"nan\" is not a number"},
      {"1 0.1 0.2\n1 0.1 0.2\n", "the frequencies do not increase (1 after a higher or equal one)"},
      {"-1 0.1 0.2\n", "a frequency is negative"},
      {"1 0.1 0.2\n\x7f"
       "ELF\x01\x00\n"s,
       "binary content (byte 0x01)"},
      {"# GHz H RI\n", "\"H\" parameters are not one-port data"},
      {"# GHz S RI R -5\n", "the reference resistance after \"R\" must be a positive number"},
      {"# GHz S XY\n", "unknown option \"XY\""},
      {"1 0.1 0.2\n# GHz S RI\n", "the option line comes after data"},
      {"# GHz S RI\n# MHz S RI\n", "a second option line (line 1 is the first)"},
      {"# GHz MHz S RI\n", "two frequency units on the option line (\"GHz\" and \"MHz\")"},
      {"# S RI R 50 R 75\n", "two reference resistances on the option line (\"R\" and \"R\")"},
      {"# GHz S DB\n1 7000 0\n", "the parameter \"7000 0\" gives no finite S11"},
      {"# GHz Z RI\n1 -1 0\n", "the parameter \"-1 0\" gives no finite S11"},
      {"# GHz S RI\n[Version] 2.0\n", "[Version] 2.x must come first, before any other line"},
      {"[Version] 2.0\n[Number of Ports] 2\n",
       "[Number of Ports] must be 1: only one-port files are read"},
      {"[Version] 2.0\n# GHz Z RI\n",
       "\"Z\" parameters of a Touchstone 2 file are not read: only S parameters are"},
      {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n1 0 0\n", "data before [Network Data]"},
      {"[Version] 2.0\n[Noise Data]\n",
       "the keyword \"[Noise Data]\" is not read: only one-port network data are"},
      {"[Version] 2.0\n# GHz S RI\n[Number of Ports] 1\n[Number of Frequencies] 2\n"
       "[Network Data]\n1 0 0\n[End]\n",
       "[Number of Frequencies] says 2 but 1 are given"},
      {"! only a comment\n", "the file holds no data"},
      {"1e300 0 0\n", "the frequency 1e300 is too large"},
  };
  for (const auto& [file, reason] : cases)
    EXPECT_EQ(refusal(file),
              "\"f.s1p\", line " + std::to_string(std::ranges::count(file, '\n')) + ": " + reason);

  // At most 100000 points, and a file that can be opened.
  std::string big;
  for (std::size_t i = 1; i <= formats::kMaxTouchstonePoints; ++i)
    big += std::to_string(i) + " 0 0\n";
  EXPECT_EQ(formats::parseTouchstone(big, "ok").hz.size(), formats::kMaxTouchstonePoints);
  EXPECT_EQ(refusal(big + "1e9 0 0\n"), "\"f.s1p\", line " +
                                            std::to_string(formats::kMaxTouchstonePoints + 1) +
                                            ": more than 100000 data points");
}

}  // namespace
