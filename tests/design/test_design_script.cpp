// The design commands of tessivar-script, run as a separate process: what
// `design` prints, its refusals, and a saved design played back as a script.
#include <gtest/gtest.h>

#include "shell/test_window_session.h"

namespace {

class DesignScript : public session::ScriptTest {};

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
