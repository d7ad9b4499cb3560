// Designing from a target, and saving and opening designs, on the real window
// without a display: every check reads the controls and the drawn lines.
#include "design/commands.h"
#include "refusal.h"
#include "window/window_session.h"

namespace {

namespace fs = std::filesystem;

// The folder of the test's own holds the design files.
class DesignTest : public session::ScriptTest {
 protected:
  std::string file(const char* name) const { return (dir_ / name).string(); }
};

TEST_F(DesignTest, DrawnResistancePeaksAtATargetAndAnUnreachableOneChangesNothing) {
  const struct {
    const char* board;
    double ghz, er, mm, z0;
    double textbookWMm = 0;  // 0: no textbook width to compare with
  } cases[] = {
      {"FR-4", 2.4, 4.4, 1.6, 50, 38.04},          {"low permittivity", 2.4, 2.2, 0.787, 50},
      {"thick substrate", 2.4, 2.2, 5, 50},        {"75 ohm", 2.4, 4.4, 1.6, 75},
      {"ceramic at 5.8 GHz", 5.8, 10.2, 1.27, 50},
  };
  session::inProgram([&] {
    for (const auto& c : cases) {
      SCOPED_TRACE(c.board);
      std::optional<antenna::Design> s;
      ASSERT_NO_THROW(s = design::designFor({c.ghz * 1e9, c.er, c.mm / 1000, c.z0}));
      const std::vector<double> f = session::data("axes1", "XData"),
                                r = session::data("axes1", "YData");
      const std::size_t k = std::max_element(r.begin(), r.end()) - r.begin();
      EXPECT_NEAR(f.at(k), c.ghz, 1e-3 * c.ghz);
      EXPECT_NEAR(r[k], c.z0, 1e-2 * c.z0);
      EXPECT_EQ(f[k] * 1e9, s->peakHz);
      EXPECT_TRUE(c.textbookWMm == 0 || std::abs(s->patch.width * 1000 - c.textbookWMm) < 0.05)
          << s->patch.width;
      // Typed as a user types: the boxes hold the numbers, the sliders
      // follow them, the feed lies within its slider and the axes fit.
      EXPECT_EQ(session::number("slider2") / 1000, s->patch.length);
      EXPECT_EQ(std::stod(session::text("edit2")) / 1000, s->patch.length);
      EXPECT_LE(session::number("slider5"), session::number("slider5", "Max"));
      EXPECT_EQ(session::number("slider6", "Min"), 0.8 * c.ghz);
      session::expectFitted();
    }
    // An unreachable target says why and leaves every control as it was.
    const auto before = session::snapshot();
    const std::string said = refusal::of([] { design::designFor({2.4e9, 21, 1.6e-3}); });
    EXPECT_NE(said.find("er 21 is outside"), std::string::npos) << said;
    EXPECT_EQ(session::snapshot(), before);
  });
}

// Watches every property write for a feed offset beyond its slider's Max or
// a pattern slider whose Min is above its Max.
class ConsistencyWatch : public session::Headless {
 public:
  using Headless::Headless;
  void propertyChanged(double h, const std::string& name) override {
    if (!watching || rt::gfx::type(h) != "uicontrol") return;
    const std::string tag = rt::gfx::prop(h, "Tag").text();
    auto at = [&](const char* p) { return rt::gfx::prop(h, p).scalar(); };
    if ((tag == "slider5" && at("Value") > at("Max")) ||
        (tag == "slider6" && at("Min") > at("Max")))
      broken.push_back(tag + " after " + name);
  }
  static inline bool watching = false;
  static inline std::vector<std::string> broken;
};

TEST_F(DesignTest, EveryCallbackSeesAConsistentWindowWhileADesignIsTyped) {
  EXPECT_EQ(session::run(std::make_unique<ConsistencyWatch>([] {
              // A long patch fed far from its edge, on a band above the design's.
              for (auto [box, text] :
                   {std::pair{"edit2", "100"}, {"edit7", "40"}, {"edit6", "6"}, {"edit5", "5"}})
                session::type(box, text);
              ConsistencyWatch::watching = true;
              EXPECT_NO_THROW(design::designFor({2.4e9, 4.4, 1.6e-3}));
              ConsistencyWatch::watching = false;
            })),
            0);
  EXPECT_EQ(ConsistencyWatch::broken, std::vector<std::string>{});
}

// Save then open reproduces every control; a design file is taken whole or
// not at all, by the script's rules, and a window that no file could rebuild
// is not saved.
TEST_F(DesignTest, SaveThenOpenReproducesEveryControlAndWhatTheScriptRefusesChangesNothing) {
  const std::pair<std::string, const char*> bad[] = {
      {"type edit1 30\nslide slider1 99999\n",
       "line 2: \"slider1\" moves only from its Min 1 to its Max 300, not 99999"},
      {"type edit2 20\nslide slider5 15\n",
       "line 2: \"slider5\" moves only from its Min 0 to its Max 10"},
      {"type edit1 30\rtype edit2 40\r",
       "line 1: the text \"30\\x0dtype edit2 40\" holds a control byte"},
      {std::string(2 << 20, '#'), "is larger than 1 MiB"},
      {"\x1b]0;title\x07 x\n", "line 1: \"\\x1b]0;title\\x07\" is not an act of a design"},
      {"# nothing\n", "holds no acts"},
  };
  session::inProgram([&] {
    ASSERT_NO_THROW(design::designFor({2.4e9, 4.4, 1.6e-3}));
    // A dragged slider shows a rounded number in its box: the file must
    // carry the slider's own value.
    session::slide("slider1", 37.123456789);
    session::type("edit8", "2.45");
    const auto saved = session::snapshot();
    ASSERT_NO_THROW(design::saveDesign(file("patch.txt")));

    ASSERT_NO_THROW(design::designFor({5.8e9, 3.38, 0.813e-3, 75}));
    session::type("edit7", "abc");
    ASSERT_NE(session::snapshot(), saved);
    ASSERT_NO_THROW(design::openDesign(file("patch.txt")));
    EXPECT_EQ(session::snapshot(), saved);

    for (const auto& [text, why] : bad) {
      std::ofstream(file("bad.txt")) << text;
      const std::string failure = refusal::of([&] { design::openDesign(file("bad.txt")); });
      EXPECT_NE(failure.find(file("bad.txt")), std::string::npos) << failure;
      EXPECT_NE(failure.find(why), std::string::npos) << failure;
      EXPECT_EQ(session::snapshot(), saved);
    }
    session::type("edit3", "1\r2");
    const std::string failure = refusal::of([&] { design::saveDesign(file("cr.txt")); });
    EXPECT_NE(failure.find("slider3 holds no number (edit3 reads \"1\\x0d2\")"), std::string::npos)
        << failure;
  });
  const std::string text = read("patch.txt");
  EXPECT_EQ(text.rfind("# tessivar design, saved ", 0), 0u);
  EXPECT_NE(text.find("\nslide slider1 37.123456789\n"), std::string::npos);
  EXPECT_NE(text.find("\ntype edit8 2.45\n"), std::string::npos);
  // Only the files written whole are in the folder: no temporary file, and
  // nothing of the refused save.
  EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 2);
}

TEST_F(DesignTest, StartupActionRunsOnceOnTheBuiltWindowBeforeAnyUserAct) {
  int runs = 0;
  bool windowBuilt = false, userActed = false;
  rt::setStartupAction([&] {
    ++runs;
    windowBuilt = session::mainWindow() >= 0;
    throw std::runtime_error("reported, and the program goes on");
  });
  session::inProgram([&] { userActed = true; });
  session::inProgram([] {});
  EXPECT_TRUE(runs == 1 && windowBuilt && userActed);
}

// The design commands of tessivar-script, run as a separate process: what
// `design` prints, its refusals, and a saved design played back as a script.
using DesignScript = session::ScriptTest;

TEST_F(DesignScript, RefusalsGoToStandardErrorAndASavedDesignPlaysBackAsAScript) {
  const Outcome r =
      run("design 2.4 0.5 1.6\ndesign 2.4 4.4\nopen missing.txt\n"
          "design 2.4 4.4 1.6\nsave patch.txt\nline axes1\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(messages(r.err),
            (std::vector<std::string>{
                "tessivar-script: line 1: design: er must be at least 1 (no substrate has less "
                "permittivity than vacuum), not 0.5",
                "tessivar-script: line 2: design needs F0 (GHz), ER and H (mm), and optionally Z0 "
                "(ohm)",
                "tessivar-script: line 3: open: cannot read \"missing.txt\": No such file or "
                "directory"}));
  const std::vector<std::string> out = session::lines(r.out);
  ASSERT_EQ(out.size(), 2u);
  for (const char* field : {"\"w_mm\": 38.01", "\"l_mm\": ", "\"offset_mm\": ",
                            "\"band\": [1.92, 2.88]", "\"trust\": \"Transmission-line model"})
    EXPECT_NE(out[0].find(field), std::string::npos) << field << " in " << out[0];

  const Outcome replayed = run(read("patch.txt") + "line axes1\n", false, "replay.txt");
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(replayed.out, out[1] + "\n");
}

}  // namespace
