// tessivar-script, run as a separate process on scripts of user acts and
// queries; its printed JSON is read back and checked.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <sstream>
#include <string>
#include <variant>
#include <vector>

namespace {

namespace fs = std::filesystem;

// JSON as the script prints it: numbers, null, strings without escapes,
// lists and objects.
struct Json {
  std::variant<std::nullptr_t, double, std::string, std::vector<Json>, std::map<std::string, Json>>
      v;
  bool isNull() const { return std::holds_alternative<std::nullptr_t>(v); }
  double num() const { return std::get<double>(v); }
  const std::vector<Json>& list() const { return std::get<std::vector<Json>>(v); }
  const Json& operator[](const std::string& k) const {
    return std::get<std::map<std::string, Json>>(v).at(k);
  }
  const Json& operator[](std::size_t i) const { return list().at(i); }
};

Json parseValue(std::string_view& s) {
  auto eat = [&](char c) {
    while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
    if (s.empty() || s.front() != c) return false;
    s.remove_prefix(1);
    return true;
  };
  auto string = [&] {
    eat('"');
    std::string out(s.substr(0, s.find('"')));
    s.remove_prefix(out.size() + 1);
    return out;
  };
  if (eat('[')) {
    std::vector<Json> l;
    if (!eat(']')) {
      do l.push_back(parseValue(s));
      while (eat(','));
      if (!eat(']')) throw std::runtime_error("expected ]");
    }
    return {l};
  }
  if (eat('{')) {
    std::map<std::string, Json> o;
    do {
      std::string k = string();
      if (!eat(':')) throw std::runtime_error("expected :");
      o.emplace(k, parseValue(s));
    } while (eat(','));
    if (!eat('}')) throw std::runtime_error("expected }");
    return {o};
  }
  if (!s.empty() && s.front() == '"') return {string()};
  if (s.substr(0, 4) == "null") {
    s.remove_prefix(4);
    return {nullptr};
  }
  std::size_t used = 0;
  double d = std::stod(std::string(s.substr(0, 32)), &used);
  s.remove_prefix(used);
  return {d};
}

Json parse(const std::string& text) {
  std::string_view s = text;
  Json j = parseValue(s);
  if (!s.empty()) throw std::runtime_error("trailing text in " + text);
  return j;
}

// ------------------------------------------------------- running a script
struct Outcome {
  int status = -1;
  std::vector<std::string> out;  // one entry per printed line
  std::string err;
};

fs::path program() {
  const char* dir = std::getenv("TESSIVAR_BUILD_DIR");
  return fs::path(dir ? dir : ".") / "tessivar-script";
}

class Script : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(fs::exists(program())) << program() << " is not built";
    dir_ = fs::temp_directory_path() /
           ("tessivar-script-test-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs `script` in the test's own directory, from a file or standard input.
  Outcome run(const std::string& script, bool fromStdin = false) {
    std::ofstream(dir_ / "script.txt") << script;
    std::string cmd = "cd '" + dir_.string() + "' && '" + program().string() + "' " +
                      (fromStdin ? "< script.txt" : "script.txt") + " 2> err.txt";
    Outcome r;
    FILE* p = ::popen(cmd.c_str(), "r");
    if (!p) return r;
    std::string all;
    char buf[65536];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    int raw = ::pclose(p);
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::istringstream lines(all);
    for (std::string l; std::getline(lines, l);) r.out.push_back(l);
    std::ifstream e(dir_ / "err.txt");
    std::ostringstream es;
    es << e.rdbuf();
    r.err = es.str();
    return r;
  }

  // The runtime's own notes (Qt's about its runtime directory) are not
  // the script's.
  static std::vector<std::string> messages(const std::string& err) {
    std::vector<std::string> out;
    std::istringstream lines(err);
    for (std::string l; std::getline(lines, l);)
      if (l.rfind("QStandardPaths:", 0) != 0) out.push_back(l);
    return out;
  }

  fs::path dir_;
};

const char* kWideDesign =
    "type edit1 30\n"
    "type edit2 40\n"
    "type edit3 1.6\n"
    "type edit4 4.4\n"
    "type edit7 10\n"
    "type edit5 1\n"
    "type edit6 3\n";

TEST_F(Script, PrintsPropertiesOfTheMainWindowAsJson) {
  Outcome r =
      run("# start-up state\n"
          "\n"
          "get figure1 Name\n"
          "get edit1 Callback\n"
          "get slider5 Max\n"
          "get edit5 String\n"
          "get text26 String\n"
          "get frame13 BackgroundColor\n"
          "get slider6 value\n"
          "figures\n");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, (std::vector<std::string>{
                       "\"Rectangular patch\"", "\"inter_func_e1;\"", "0.5", "\"\"",
                       "[\"0\", \"\"]", "[1, 0.6666666666666666, 0.1607843137254902]", "0", "1"}));
  EXPECT_TRUE(messages(r.err).empty()) << r.err;
}

TEST_F(Script, ReadsStandardInputWhenGivenNoFile) {
  Outcome r = run("type edit2 40\nget slider5 Max\nget text27 String\n", true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, (std::vector<std::string>{"20", "\"20\""}));
}

TEST_F(Script, LinePrintsTheDrawnImpedanceToFullPrecision) {
  Outcome r = run(std::string(kWideDesign) + "line axes1\nline axes2\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.out.size(), 2u);
  Json re = parse(r.out[0]), im = parse(r.out[1]);
  ASSERT_EQ(re["x"].list().size(), 1000u);
  ASSERT_EQ(im["y"].list().size(), 1000u);
  EXPECT_EQ(re["x"][0].num(), 1);
  EXPECT_EQ(re["x"][999].num(), 3);
  // The worked example: the largest resistance is at the 407th point.
  std::size_t at = 0;
  for (std::size_t i = 0; i < 1000; ++i)
    if (re["y"][i].num() > re["y"][at].num()) at = i;
  EXPECT_EQ(at, 406u);
  EXPECT_NEAR(re["y"][at].num(), 159.3132, 5e-5);
  EXPECT_NEAR(im["y"][at].num(), -2.5818, 5e-5);
  // 17 significant digits: the text reads back to the same double.
  EXPECT_NE(r.out[0].find("1.002002002002002"), std::string::npos);
}

TEST_F(Script, LineOfAnEmptyAxesIsEmpty) {
  Outcome r = run("line axes2\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, (std::vector<std::string>{R"({"x": [], "y": []})"}));
}

TEST_F(Script, SurfacePrintsThePatternGridRowsFirst) {
  Outcome r = run(std::string(kWideDesign) + "slide slider6 1.8\nfigures\nsurface 1\n");
  ASSERT_EQ(r.status, 0) << r.err;
  ASSERT_EQ(r.out.size(), 2u);
  EXPECT_EQ(r.out[0], "2");
  Json s = parse(r.out[1]);
  for (const char* k : {"x", "y", "z", "c"}) {
    SCOPED_TRACE(k);
    ASSERT_EQ(s[k].list().size(), 91u);
    for (const Json& row : s[k].list()) ASSERT_EQ(row.list().size(), 91u);
    // theta = 0 is the first column, 0/0 there.
    for (const Json& row : s[k].list()) EXPECT_TRUE(row[0].isNull());
    EXPECT_FALSE(s[k][0][1].isNull());
  }
  // The worked example at 1.8 GHz: R at theta = pi/2 and phi = -pi/2
  // (row 0: rows follow phi).
  EXPECT_NEAR(s["c"][0][45].num(), 0.7093503, 5e-8);
}

TEST_F(Script, RendersTheWindowAndAPatternToFiles) {
  Outcome r = run(std::string(kWideDesign) +
                  "slide slider6 2\n"
                  "png 1 window.png\n"
                  "png 2 pattern.png\n"
                  "svg 1 window.svg\n");
  ASSERT_EQ(r.status, 0) << r.err;
  for (const char* f : {"window.png", "pattern.png"}) {
    std::ifstream in(dir_ / f, std::ios::binary);
    ASSERT_TRUE(in) << f << " was not written";
    char magic[8] = {};
    in.read(magic, 8);
    EXPECT_EQ(std::string(magic + 1, 3), "PNG") << f;
  }
  std::ifstream svg(dir_ / "window.svg");
  std::string head(256, '\0');
  svg.read(head.data(), 256);
  EXPECT_NE(head.find("<svg"), std::string::npos);
}

TEST_F(Script, LinesThatCannotBeCarriedOutAreReportedAndTheScriptGoesOn) {
  Outcome r =
      run("frobnicate\n"
          "type edit99 3\n"
          "type slider1 3\n"
          "slide edit1 3\n"
          "slide slider1 500\n"
          "slide slider1 wide\n"
          "get slider1 Colour\n"
          "png 3 x.png\n"
          "surface 1\n"
          "figures\n");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, (std::vector<std::string>{"1"}));
  std::vector<std::string> m = messages(r.err);
  ASSERT_EQ(m.size(), 9u) << r.err;
  for (std::size_t i = 0; i < m.size(); ++i)
    EXPECT_EQ(m[i].rfind("tessivar-script: line " + std::to_string(i + 1) + ": ", 0), 0u) << m[i];
  EXPECT_NE(m[0].find("unknown command"), std::string::npos);
  EXPECT_NE(m[1].find("edit99"), std::string::npos);
  EXPECT_NE(m[4].find("300"), std::string::npos) << "the message names the slider's range";
  // A slider that was refused was not moved.
  Outcome after = run("slide slider1 500\nget slider1 Value\nget edit1 String\n");
  EXPECT_EQ(after.out, (std::vector<std::string>{"1", "\"1\""}));
}

TEST_F(Script, ErrorsRaisedByTheProgramAreReportedButDoNotFailTheScript) {
  Outcome r =
      run("type edit5 1\n"
          "type edit8 fast\n"
          "get slider6 Value\n");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, (std::vector<std::string>{"1"}));
  std::vector<std::string> m = messages(r.err);
  ASSERT_EQ(m.size(), 1u) << r.err;
  EXPECT_NE(m[0].find("The radiation pattern frequency must be one number"), std::string::npos);
}

TEST_F(Script, FailedWritesAreReportedAndLeaveNoFileBehind) {
  std::ofstream(dir_ / "plain") << "";
  Outcome r =
      run("svg 1 /dev/full\n"
          "png 1 missing/window.png\n"
          "pdf 1 plain/window.pdf\n"
          "pdf 1 window.pdf\n");
  EXPECT_EQ(r.status, 2);
  std::vector<std::string> m = messages(r.err);
  ASSERT_EQ(m.size(), 3u) << r.err;
  const char* reasons[] = {"\"/dev/full\": No space left on device",
                           "\"missing/window.png\": No such file or directory",
                           "\"plain/window.pdf\": Not a directory"};
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(m[i].rfind("tessivar-script: line " + std::to_string(i + 1) + ": cannot write ", 0),
              0u)
        << m[i];
    EXPECT_NE(m[i].find(reasons[i]), std::string::npos) << m[i];
  }
  std::ifstream pdf(dir_ / "window.pdf", std::ios::binary);
  std::string head(5, '\0');
  pdf.read(head.data(), 5);
  EXPECT_EQ(head, "%PDF-");
  std::vector<std::string> left;
  for (const auto& e : fs::directory_iterator(dir_)) left.push_back(e.path().filename().string());
  std::sort(left.begin(), left.end());
  EXPECT_EQ(left, (std::vector<std::string>{"err.txt", "plain", "script.txt", "window.pdf"}));
}

TEST_F(Script, MessagesQuoteLinesShortAndWithoutControlBytes) {
  std::string huge(1 << 20, 'a');
  Outcome r = run("\x1b[2J" + huge + "\n" +           // an unknown command
                  "type edit1\x07" + huge + " 3\n" +  // an unknown tag
                  "png 1 missing/" + huge + "\n");    // a file name too long
  EXPECT_EQ(r.status, 2);
  std::vector<std::string> m = messages(r.err);
  ASSERT_EQ(m.size(), 3u) << r.err.substr(0, 2000);
  for (const std::string& line : m) {
    EXPECT_LT(line.size(), 500u) << line.substr(0, 600);
    EXPECT_NE(line.find("...\""), std::string::npos) << line.substr(0, 600);
    for (char c : line) ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
  }
  EXPECT_NE(m[0].find("\"\\x1b[2Jaaa"), std::string::npos) << m[0];
  EXPECT_NE(m[1].find("edit1\\x07aaa"), std::string::npos) << m[1];
  EXPECT_NE(m[2].find("\"missing/aaa"), std::string::npos) << m[2];
  EXPECT_NE(m[2].find("...\": File name too long"), std::string::npos) << m[2];
}

TEST_F(Script, RefusesAScriptItCannotRead) {
  fs::create_directories(dir_ / "folder");
  const std::pair<std::string, std::string> cases[] = {
      {"/nonexistent/script.txt", "No such file or directory"},
      {(dir_ / "folder").string(), "Is a directory"}};
  for (const auto& [path, reason] : cases) {
    std::string cmd = "'" + program().string() + "' '" + path + "' 2>&1";
    FILE* p = ::popen(cmd.c_str(), "r");
    ASSERT_TRUE(p);
    std::string all;
    char buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, p)) > 0;) all.append(buf, n);
    int raw = ::pclose(p);
    ASSERT_TRUE(WIFEXITED(raw));
    EXPECT_EQ(WEXITSTATUS(raw), 2) << path;
    EXPECT_EQ(all, "tessivar-script: cannot read " + path + ": " + reason + "\n");
  }
}

}  // namespace
