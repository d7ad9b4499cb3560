// Undo and redo of the design on the real window without a display, and the
// recent-designs file against what a disk can hold.
#include <sys/stat.h>

#include "design/commands.h"
#include "design/history.h"
#include "design/recent.h"
#include "window/window_session.h"
#include "within_time.h"

namespace {

namespace fs = std::filesystem;

using History = session::ScriptTest;

TEST_F(History, UndoAndRedoTypeEachKeptDesignBackAndANewChangeDropsTheRedos) {
  design::keepDesignHistory();
  std::vector<std::map<std::string, std::string>> seen;
  session::inProgram([&] {
    session::type("edit5", "1");
    session::type("edit6", "3");
    seen.push_back(session::snapshot());
    design::designFor({2.4e9, 4.4, 1.6e-3});  // one perform: one change
    seen.push_back(session::snapshot());
    session::slide("slider1", 37.123456789);
    seen.push_back(session::snapshot());
    session::slide("slider6", 2.45);  // the pattern apart from Fmin
    seen.push_back(session::snapshot());
    for (int i = 3; i > 0; --i) {
      ASSERT_TRUE(design::undoDesignChange());
      EXPECT_EQ(session::snapshot(), seen[i - 1]) << "undo to " << i - 1;
    }
    for (int i = 1; i < 4; ++i) {
      ASSERT_TRUE(design::redoDesignChange());
      EXPECT_EQ(session::snapshot(), seen[i]) << "redo to " << i;
    }
    EXPECT_FALSE(design::redoDesignChange());
    ASSERT_TRUE(design::undoDesignChange());
    session::type("edit3", "1.2");
    EXPECT_FALSE(design::redoDesignChange());
    EXPECT_EQ(design::historySteps().forward, 0u);
    ASSERT_TRUE(design::undoDesignChange());
    EXPECT_EQ(session::snapshot(), seen[2]);
  });
}

TEST_F(History, UndoKeepsToDesignsShownOneActAStepAndOpensNoPatternWindow) {
  design::keepDesignHistory();
  std::ofstream(dir_ / "d.txt") << "type edit3 1.6\ntype edit1 38\ntype edit2 29.5\n"
                                   "type edit6 3\ntype edit5 2\n";
  session::inProgram([&] {
    design::openDesign((dir_ / "d.txt").string());
    const auto opened = session::snapshot();
    // The fresh window's sizes were never drawn on this band.
    EXPECT_FALSE(design::undoDesignChange());
    EXPECT_EQ(session::snapshot(), opened);
    session::type("edit2", "30");
    const auto typed = session::snapshot();
    session::type("edit2", "abc");  // the slider then holds no number
    ASSERT_TRUE(design::undoDesignChange());
    EXPECT_EQ(session::snapshot(), typed) << "one undo, one act";
    ASSERT_TRUE(design::undoDesignChange());
    EXPECT_EQ(session::snapshot(), opened);

    session::type("edit8", "2.4");
    session::type("edit8", "2.5");
    const std::size_t figures = rt::gfx::figures().size();
    ASSERT_EQ(figures, 3u);
    for (bool back : {true, true, false, false}) {
      ASSERT_TRUE(back ? design::undoDesignChange() : design::redoDesignChange());
      EXPECT_EQ(rt::gfx::figures().size(), figures);
    }
    EXPECT_EQ(session::number("slider6"), 2.5);
  });
}

// The list survives bad files and keeps the newest first. A name may hold
// any byte a file system allows: a line break, a control byte or a "%" is
// kept and given back; a list file that is a pipe is refused with the reason
// at once.
TEST_F(History, TheRecentListSurvivesBadFilesKeepsNamesOfAnyByteAndNeverWaitsForAPipe) {
  const fs::path file = design::recentDesignsFile();
  EXPECT_TRUE(design::recentDesigns().empty());  // no file yet
  fs::create_directories(file);                  // a folder where the file should be
  EXPECT_TRUE(design::recentDesigns().empty());
  EXPECT_NE(design::noteRecentDesign("/x.txt").find(file.string()), std::string::npos);
  fs::remove(file);
  std::ofstream(file) << "relative.txt\n/a.txt\n\x01/bad\n/a.txt\n/b\x7f.txt\n/c.txt";
  EXPECT_EQ(design::recentDesigns(), (std::vector<std::string>{"/a.txt", "/c.txt"}));

  for (int i = 0; i < 10; ++i)
    EXPECT_EQ(design::noteRecentDesign((dir_ / (std::to_string(i) + ".txt")).string()), "");
  EXPECT_EQ(design::noteRecentDesign((dir_ / "x" / ".." / "3.txt").string()), "");
  // Names of any byte go in front of the ten, of which the last few are kept.
  const std::string odd[] = {(dir_ / "a\nb.txt").string(), (dir_ / "100%\x01.txt").string(),
                             (dir_ / "%41.txt").string()};
  for (const std::string& name : odd) EXPECT_EQ(design::noteRecentDesign(name), "");
  const std::vector<std::string> list = design::recentDesigns();
  ASSERT_EQ(list.size(), design::kMostRecentDesigns);
  EXPECT_EQ(std::vector(list.begin(), list.begin() + 5),
            (std::vector<std::string>{odd[2], odd[1], odd[0], (dir_ / "3.txt").string(),
                                      (dir_ / "9.txt").string()}));

  fs::remove(file);
  ASSERT_EQ(::mkfifo(file.c_str(), 0600), 0);
  EXPECT_EQ(within_time::outcome([&] {
              return std::to_string(design::recentDesigns().size()) + " " +
                     design::noteRecentDesign(odd[0]);
            }),
            "0 cannot write " + file.string() + ": it is a named pipe that nothing reads");
}

}  // namespace
