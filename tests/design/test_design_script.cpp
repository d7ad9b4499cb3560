// The design commands of tessivar-script, run as a separate process: what
// `design` prints, its refusals, and a saved design played back as a script.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

namespace {

namespace fs = std::filesystem;

struct Played {
  int status = -1;
  std::string out, err;
};

class DesignScript : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* build = std::getenv("TESSIVAR_BUILD_DIR");
    program_ = fs::path(build ? build : ".") / "tessivar-script";
    ASSERT_TRUE(fs::exists(program_)) << program_ << " is not built";
    dir_ = fs::temp_directory_path() / ("tessivar-design-script-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  Played play(const std::string& name, const std::string& script) {
    std::ofstream(dir_ / name) << script;
    const std::string cmd =
        "cd '" + dir_.string() + "' && '" + program_.string() + "' " + name + " 2> err.txt";
    Played r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) r.out.append(buf, n);
    const int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream e(dir_ / "err.txt");
    std::ostringstream es;
    es << e.rdbuf();
    r.err = es.str();
    return r;
  }

  fs::path program_, dir_;
};

TEST_F(DesignScript, DesignPrintsOneLineOfJsonAndASavedDesignPlaysBackAsAScript) {
  const Played designed = play("design.txt", "design 2.4 4.4 1.6\nsave patch.txt\nline axes1\n");
  ASSERT_EQ(designed.status, 0) << designed.err;
  std::istringstream lines(designed.out);
  std::string json, drawn;
  std::getline(lines, json);
  std::getline(lines, drawn);
  for (const char* field : {"\"w_mm\": 38.01", "\"l_mm\": ", "\"offset_mm\": ",
                            "\"band\": [1.92, 2.88]", "\"trust\": \"Transmission-line model"})
    EXPECT_NE(json.find(field), std::string::npos) << field << " in " << json;

  std::ifstream saved(dir_ / "patch.txt");
  std::stringstream text;
  text << saved.rdbuf();
  const Played replayed = play("replay.txt", text.str() + "line axes1\n");
  ASSERT_EQ(replayed.status, 0) << replayed.err;
  EXPECT_EQ(replayed.out, drawn + "\n");
}

TEST_F(DesignScript, RefusalsGoToStandardErrorWithStatusTwo) {
  const Played r = play("refused.txt", "design 2.4 0.5 1.6\ndesign 2.4 4.4\nopen missing.txt\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("line 1: design: er must be at least 1"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 2: design needs F0"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("line 3: open: cannot read \"missing.txt\""), std::string::npos) << r.err;
  EXPECT_EQ(r.out, "");
}

}  // namespace
