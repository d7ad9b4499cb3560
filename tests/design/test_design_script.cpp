// The design commands of tessivar-script, run as a separate process: what
// `design` prints, its refusals, and a saved design played back as a script.
#include <gtest/gtest.h>

#include "shell/test_window_session.h"

namespace {

class DesignScript : public session::ScriptTest {};

TEST_F(DesignScript, DesignPrintsOneLineOfJsonAndASavedDesignPlaysBackAsAScript) {
  const Outcome designed = run("design 2.4 4.4 1.6\nsave patch.txt\nline axes1\n");
  ASSERT_EQ(designed.status, 0) << designed.err;
  const std::vector<std::string> out = session::lines(designed.out);
  ASSERT_EQ(out.size(), 2u);
  for (const char* field : {"\"w_mm\": 38.01", "\"l_mm\": ", "\"offset_mm\": ",
                            "\"band\": [1.92, 2.88]", "\"trust\": \"Transmission-line model"})
    EXPECT_NE(out[0].find(field), std::string::npos) << field << " in " << out[0];

  const Outcome replayed = run(read("patch.txt") + "line axes1\n", false, "replay.txt");
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(replayed.out, out[1] + "\n");
}

TEST_F(DesignScript, RefusalsGoToStandardErrorWithStatusTwo) {
  const Outcome r = run("design 2.4 0.5 1.6\ndesign 2.4 4.4\nopen missing.txt\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 1: design: er must be at least 1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 2: design needs F0"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 3: open: cannot read \"missing.txt\""), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
