// The one atomic writer, which every file the program saves goes through: a
// file is replaced whole or not at all, through a link the linked file is
// replaced, devices are written in place, and a failure names the file and
// the reason on one line and leaves nothing behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>

#include "platform/files/atomic_file.h"

namespace {

namespace fs = std::filesystem;
using rt::writeFileAtomically;

class AtomicFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("tessivar-atomic-" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string path(const char* name) const { return (dir_ / name).string(); }
  static std::string read(const std::string& p) {
    std::ifstream in(p);
    return {std::istreambuf_iterator<char>(in), {}};
  }
  std::set<std::string> entries() const {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(dir_)) names.insert(e.path().filename().string());
    return names;
  }
  fs::path dir_;
};

TEST_F(AtomicFile, ReplacesTheFileOrTheLinkedFileWhole) {
  const std::string file = path("a.s1p"), link = path("link.s1p");
  ASSERT_EQ(writeFileAtomically(file, "first version, longer"), "");
  ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
  ASSERT_EQ(writeFileAtomically(file, "second"), "");
  EXPECT_EQ(read(file), "second");
  struct stat st {};
  ASSERT_EQ(::stat(file.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u) << "an existing file keeps its permissions";
  ASSERT_EQ(::symlink("a.s1p", link.c_str()), 0);
  ASSERT_EQ(writeFileAtomically(link, "third"), "");
  EXPECT_EQ(read(file), "third");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(entries(), (std::set<std::string>{"a.s1p", "link.s1p"})) << "no temporary left";
}

TEST_F(AtomicFile, FailuresNameTheFileAndTheReasonAndLeaveNothing) {
  fs::create_directories(dir_ / "folder");
  std::ofstream(path("plain")).close();
  const std::string inPlain = path("plain/a.png");
  struct Case {
    std::string path, shownAs, message;
  } cases[] = {
      {path("no/a.s1p"), "", "cannot write " + path("no/a.s1p") + ": No such file or directory"},
      {inPlain, "", "cannot write " + inPlain + ": Not a directory"},
      {path("folder"), "\"folder\"", "cannot write \"folder\": Is a directory"},
      {"/dev/full", "", "cannot write /dev/full: No space left on device"},
      {"", "", "cannot write a file without a name"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(writeFileAtomically(c.path, std::string(100000, 'x'), c.shownAs), c.message);
  // Not even root may create files here; the reason is the system's.
  const std::string proc = writeFileAtomically("/proc/tessivar-out.png", "x");
  EXPECT_EQ(proc.rfind("cannot write /proc/tessivar-out.png: ", 0), 0u) << proc;
  EXPECT_EQ(proc.find('\n'), std::string::npos) << proc;
  EXPECT_EQ(entries(), (std::set<std::string>{"folder", "plain"}));
  EXPECT_EQ(read(path("plain")), "");
}

}  // namespace
