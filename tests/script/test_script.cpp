// The two programs as separate processes: tessivar-script on scripts of
// user acts and queries, its printed JSON read back and checked; and both
// as a desktop starts them, where --help and --version answer without a
// window and tessivar without a display says so instead of aborting.
#include <stdlib.h>

#include <regex>

#include "comma_locale.h"
#include "window/window_session.h"

namespace {

using session::kWorkedExampleScript;
using session::lines;
using session::numbersAfter;
using Strings = std::vector<std::string>;

class Script : public session::ScriptTest {};

// Errors a callback raises are reported but do not fail the script.
TEST_F(Script, ReadsStandardInputAndPrintsPropertiesAsJsonAndTheProgramsErrors) {
  Outcome r =
      run("# start-up state\n\nget figure1 Name\nget edit1 Callback\nget edit5 String\n"
          "get text26 String\nget frame13 BackgroundColor\nget slider6 value\nfigures\n"
          "line axes2\ntype edit2 40\nget slider5 Max\nget text27 String\ntype edit5 1\n"
          "type edit8 fast\nget slider6 Value\n",
          true);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(lines(r.out), (Strings{"\"Rectangular patch\"", "\"inter_func_e1;\"", "\"\"",
                                   "[\"0\", \"\"]", "[1, 0.6666666666666666, 0.1607843137254902]",
                                   "0", "1", R"({"x": [], "y": []})", "20", "\"20\"", "1"}));
  EXPECT_EQ(messages(r.err),
            Strings{"The radiation pattern frequency must be one number (in GHz)."});
}

TEST_F(Script, PrintsTheWorkedExampleToFullPrecisionAndRendersItToFiles) {
  Outcome r = run(std::string(kWorkedExampleScript) +
                  "line axes1\nline axes2\nslide slider6 1.8\nsurface 1\npng 1 window.png\n"
                  "png 2 pattern.png\nsvg 1 window.svg\npdf 1 window.pdf\n");
  ASSERT_EQ(r.status, 0) << r.err;
  const Strings out = lines(r.out);
  ASSERT_EQ(out.size(), 3u);
  const std::vector<double> f = numbersAfter(out[0], "x"), re = numbersAfter(out[0], "y"),
                            im = numbersAfter(out[1], "y");
  for (const auto* v : {&f, &re, &im}) ASSERT_EQ(v->size(), 1000u);
  EXPECT_TRUE(f[0] == 1 && f[999] == 3);
  // 17 significant digits: the text reads back to the same double (the
  // model's numbers are its own tests').
  EXPECT_NE(out[0].find("1.002002002002002"), std::string::npos);

  // The pattern at 1.8 GHz, rows first: rows follow phi, so theta = 0 (0/0)
  // is the first of each row, and theta = pi/2, phi = -pi/2 the 46th.
  const std::vector<double> c = numbersAfter(out[2], "c");
  ASSERT_EQ(c.size(), 91u * 91u);
  EXPECT_TRUE(std::isnan(c[0]) && std::isnan(c[91]) && !std::isnan(c[1]));
  EXPECT_NEAR(c[45], 0.7093503, 5e-8);
  EXPECT_EQ(read("window.png").rfind("\x89PNG", 0), 0u);
  EXPECT_EQ(read("pattern.png").rfind("\x89PNG", 0), 0u);
  EXPECT_NE(read("window.svg").substr(0, 256).find("<svg"), std::string::npos);
  EXPECT_EQ(read("window.pdf").rfind("%PDF-", 0), 0u);
}

TEST_F(Script, LinesThatCannotBeCarriedOutAreReportedAndTheScriptGoesOn) {
  Outcome r =
      run("frobnicate\ntype edit99 3\ntype slider1 3\nslide edit1 3\nslide slider1 500\n"
          "slide slider1 wide\nget slider1 Colour\npng 3 x.png\nsurface 1\nfigures\n"
          "type edit5 5\ntype edit6 3\nslide slider6 4\ntype edit5 abc\nslide slider6 2\n"
          "get slider1 Value\nget edit1 String\nget slider6 Value\n"
          "svg 1 /dev/full\npdf 1 missing/window.pdf\n");
  EXPECT_EQ(r.status, 2);
  // A slider that was refused was not moved.
  EXPECT_EQ(lines(r.out), (Strings{"1", "1", "\"1\"", "null"}));
  const Strings m = messages(r.err);
  const int at[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 13, 15, 19, 20};
  ASSERT_EQ(m.size(), std::size(at)) << r.err;
  for (std::size_t i = 0; i < m.size(); ++i)
    EXPECT_EQ(m[i].rfind("tessivar-script: line " + std::to_string(at[i]) + ": ", 0), 0u) << m[i];
  EXPECT_NE(m[0].find("unknown command"), std::string::npos);
  EXPECT_NE(m[1].find("edit99"), std::string::npos);
  EXPECT_NE(m[4].find("300"), std::string::npos) << "the message names the slider's range";
  // The pattern slider refuses every move while its range is inverted or no number.
  for (std::size_t i : {9, 10})
    EXPECT_NE(m[i].find(" moves only from its Min "), std::string::npos);
  // The vector writers report a failed write (the atomic writer's own tests
  // cover every reason and that nothing is left behind).
  EXPECT_EQ(
      Strings(m.end() - 2, m.end()),
      (Strings{"tessivar-script: line 19: cannot write \"/dev/full\": No space left on device",
               "tessivar-script: line 20: cannot write \"missing/window.pdf\": No such file "
               "or directory"}));
}

TEST_F(Script, MessagesQuoteLinesShortAndWithoutControlBytes) {
  std::string huge(1 << 20, 'a');
  Outcome r = run("\x1b[2J" + huge + "\n" +           // an unknown command
                  "type edit1\x07" + huge + " 3\n" +  // an unknown tag
                  "png 1 missing/" + huge + "\n" +    // a file name too long
                  "fullwave import " + huge + "\n");  // a folder's
  EXPECT_EQ(r.status, 2);
  const Strings m = messages(r.err);
  ASSERT_EQ(m.size(), 4u) << r.err.substr(0, 2000);
  for (const std::string& line : m) {
    EXPECT_LT(line.size(), 500u) << line.substr(0, 600);
    EXPECT_NE(line.find("..."), std::string::npos) << line.substr(0, 600);
    for (char c : line) ASSERT_FALSE(static_cast<unsigned char>(c) < 0x20) << line;
  }
  EXPECT_NE(m[0].find("\"\\x1b[2Jaaa"), std::string::npos) << m[0];
  EXPECT_NE(m[1].find("edit1\\x07aaa"), std::string::npos) << m[1];
  EXPECT_NE(m[2].find("\"missing/aaa"), std::string::npos) << m[2];
  EXPECT_NE(m[2].find("...\": File name too long"), std::string::npos) << m[2];
  EXPECT_NE(m[3].find("a/check.txt: File name too long"), std::string::npos) << m[3];
}

// The toolkit takes the user's locale; under one of decimal commas the
// boxes and every file the script writes are as under the C locale, so the
// program (and any other reader) reads them back.
TEST_F(Script, BoxesAndFilesAreTheSameUnderALocaleOfDecimalCommas) {
  TESSIVAR_REQUIRE_COMMA_LOCALE();
  const char* const files[] = {"t.s1p", "run/model.xml", "run/check.txt", "d.txt"};
  std::string made[2][std::size(files)];
  for (int german = 0; german < 2; ++german) {
    std::ofstream(dir_ / "script.txt")
        << "design 2.4 4.4 1.6\ntouchstone t.s1p\noverlay t.s1p\nsave d.txt\nopen d.txt\n"
           "fullwave export run draft\nget edit4 String\n";
    const Outcome r = shell(std::string("env LC_ALL=") + (german ? comma_locale::kName : "C") +
                            " '" + program_.string() + "' script.txt");
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).back(), "\"4.4\"");
    for (std::size_t i = 0; i < std::size(files); ++i) {
      made[german][i] = read(files[i]);
      // The design file's first line tells when it was saved.
      if (i == 3) made[german][i].erase(0, made[german][i].find('\n'));
    }
    std::filesystem::remove_all(dir_ / "run");
  }
  for (std::size_t i = 0; i < std::size(files); ++i) {
    EXPECT_FALSE(made[0][i].empty()) << files[i];
    EXPECT_EQ(made[1][i], made[0][i]) << files[i];
  }
}

// Folders and names of any bytes a file system allows (a line break, the
// characters Qt's platform argument splits at) never stop or hang the
// script: the temporary folder, the working folder and the files it writes.
TEST_F(Script, RunsWhateverItsFoldersAndFilesAreNamed) {
  const std::filesystem::path odd = dir_ / "a\nb,c:d $(e) 'f'";
  std::filesystem::create_directories(odd);
  std::ofstream(odd / "script.txt")
      << "design 2.4 4.4 1.6\nsave d.txt\nopen d.txt\ntouchstone t.s1p\npng 1 w.png\n"
         "fullwave export r\xffn\nget edit4 String\n";
  ::setenv("TESSIVAR_TEST_FOLDER", odd.c_str(), 1);
  for (const std::string& temp : {odd.string(), std::string("/nonexistent")}) {
    SCOPED_TRACE(temp);
    ::setenv("TESSIVAR_TEST_TMPDIR", temp.c_str(), 1);
    const Outcome r = shell(
        "sh -c 'cd \"$TESSIVAR_TEST_FOLDER\" && TMPDIR=\"$TESSIVAR_TEST_TMPDIR\" exec timeout 20 "
        "\"$0\" script.txt' '" +
        program_.string() + "'");
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(lines(r.out).back(), "\"4.4\"");
    // A byte of no UTF-8 character leaves the line JSON.
    EXPECT_NE(r.out.find("{\"folder\": \"r\\udcffn\", \"run\": \"sh 'r\\udcffn/run.sh'\"}"),
              std::string::npos)
        << r.out;
    for (const char* file : {"d.txt", "t.s1p", "w.png", "r\xffn/run.sh"})
      EXPECT_TRUE(std::filesystem::exists(odd / file)) << file;
  }
  ::unsetenv("TESSIVAR_TEST_FOLDER");
  ::unsetenv("TESSIVAR_TEST_TMPDIR");
}

class Desktop : public session::ScriptTest {
 protected:
  // Runs a built program with `args`, without any display or platform
  // choice but those `env` names.
  Outcome start(const std::string& program, const std::string& args, const std::string& env = "") {
    return shell("env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM " + env + " '" +
                 (program_.parent_path() / program).string() + "' " + args + " </dev/null");
  }
};

TEST_F(Desktop, CommandLinesAreAnsweredWithoutADisplayAndTessivarSaysItNeedsOne) {
  for (const std::string program : {"tessivar", "tessivar-script"}) {
    SCOPED_TRACE(program);
    Outcome version = start(program, "--version");
    EXPECT_EQ(version.status, 0);
    EXPECT_TRUE(std::regex_match(version.out, std::regex(program + " [0-9]+\\.[0-9]+.*\n")))
        << version.out;
    // An answer that never arrived is no success.
    Outcome lost = start(program, "--version >/dev/full");
    EXPECT_EQ(lost.status, program == "tessivar" ? 1 : 2);
    EXPECT_EQ(lost.err, program + ": cannot write the standard output: No space left on device\n");
    for (const char* help : {"--help", "-h"}) {
      Outcome r = start(program, help);
      EXPECT_EQ(r.status, 0) << r.err;
      EXPECT_EQ(r.out.rfind("usage: " + program, 0), 0u) << help << ": " << r.out;
    }
  }
  EXPECT_EQ(start("tessivar-script", "a b").status, 2);
  std::ofstream(dir_ / "lost.txt") << "figures\n";
  EXPECT_NE(start("tessivar-script", "lost.txt >/dev/full")
                .err.find("line 1: cannot write the standard output: No space"),
            std::string::npos);
  // Without a display, or with one named that no server answers, tessivar
  // says so and points to the script.
  for (const char* env : {"", "DISPLAY=:9917", "QT_QPA_PLATFORM=xcb DISPLAY=:9917"}) {
    SCOPED_TRACE(env);
    Outcome r = start("tessivar", "", env);
    EXPECT_EQ(r.status, 1) << r.err;
    EXPECT_NE(r.err.find("tessivar: no graphical display"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("tessivar-script"), std::string::npos);
    EXPECT_EQ(r.err.find("Reinstalling"), std::string::npos) << r.err;
  }
}

}  // namespace
