// The one atomic writer, which every file the program saves goes through: a
// file is replaced whole or not at all, through a link the linked file is
// replaced (or, for a folder the program fills, the link itself), devices
// are written in place, and a failure (a write cut short too) names the file
// and the reason on one line, keeps the previous file and leaves nothing
// behind; and where the user's cache and state folders are.
#include <gtest/gtest.h>
#include <sys/inotify.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "platform/files/atomic_file.h"
#include "platform/files/bounded_file.h"
#include "platform/files/user_folders.h"
#include "within_time.h"

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

// Also under a name near the system's limit, through a link to a file not
// yet made, and when a termination signal comes inside a long write.
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
  const std::string longName(250, 'n');
  EXPECT_EQ(writeFileAtomically(path(longName.c_str()), "x"), "");
  EXPECT_EQ(read(path(longName.c_str())), "x");
  ASSERT_EQ(::symlink("made.txt", path("dangling").c_str()), 0);
  EXPECT_EQ(writeFileAtomically(path("dangling"), "through"), "");
  EXPECT_TRUE(fs::is_symlink(path("dangling")));
  EXPECT_EQ(read(path("made.txt")), "through");
  const std::string big(128 << 20, 'b');
  for (int signal : {SIGTERM, SIGINT, SIGHUP}) {
    const pid_t child = ::fork();
    if (child == 0) {
      writeFileAtomically(path("big"), big);
      ::_exit(0);
    }
    ::usleep(50000);
    ::kill(child, signal);
    int status = 0;
    ::waitpid(child, &status, 0);
  }
  std::set<std::string> left = entries();
  left.erase("big");
  EXPECT_EQ(left, (std::set<std::string>{"a.s1p", "link.s1p", longName, "dangling", "made.txt"}))
      << "no temporary left";
}

TEST_F(AtomicFile, FailuresNameTheFileAndTheReasonAndLeaveNothing) {
  fs::create_directories(dir_ / "folder");
  std::ofstream(path("plain")).close();
  const std::string inPlain = path("plain/a.png"), fifo = path("fifo"), lots(100000, 'x');
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path, shownAs, message;
  } cases[] = {
      {path("no/a.s1p"), "", "cannot write " + path("no/a.s1p") + ": No such file or directory"},
      {inPlain, "", "cannot write " + inPlain + ": Not a directory"},
      {path("folder"), "\"folder\"", "cannot write \"folder\": Is a directory"},
      {"/dev/full", "", "cannot write /dev/full: No space left on device"},
      {"", "", "cannot write a file without a name"},
      // A pipe nobody reads is refused at once, never waited for.
      {fifo, "", "cannot write " + fifo + ": it is a named pipe that nothing reads"},
  };
  for (const Case& c : cases)
    EXPECT_EQ(within_time::outcome([&] { return writeFileAtomically(c.path, lots, c.shownAs); }),
              c.message);
  // Not even root may create files here; the reason is the system's.
  const std::string proc = writeFileAtomically("/proc/tessivar-out.png", "x");
  EXPECT_EQ(proc.rfind("cannot write /proc/tessivar-out.png: ", 0), 0u) << proc;
  EXPECT_EQ(proc.find('\n'), std::string::npos) << proc;
  // A write cut short, as on a full disk (here by the file-size limit).
  struct rlimit limit {};
  ::getrlimit(RLIMIT_FSIZE, &limit);
  const struct rlimit small = {1000, limit.rlim_max};
  std::signal(SIGXFSZ, SIG_IGN), ::setrlimit(RLIMIT_FSIZE, &small);
  const std::string cut = writeFileAtomically(path("plain"), lots);
  ::setrlimit(RLIMIT_FSIZE, &limit);
  EXPECT_EQ(cut, "cannot write " + path("plain") + ": File too large");
  EXPECT_EQ(entries(), (std::set<std::string>{"fifo", "folder", "plain"}));
  EXPECT_EQ(read(path("plain")), "");
}

// The files of a folder the program fills: whatever holds the name is
// replaced by a regular file and never written through.
TEST_F(AtomicFile, ReplacingNeverWritesThroughWhatHoldsTheName) {
  using rt::replaceFileAtomically;
  std::ofstream(path("outside")) << "the user's";
  ASSERT_EQ(::chmod(path("outside").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("outside", path("link").c_str()), 0);
  ASSERT_EQ(::symlink("made.txt", path("dangling").c_str()), 0);
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", path("device").c_str()), 0);
  for (const char* name : {"link", "dangling", "fifo", "device"}) {
    EXPECT_EQ(within_time::outcome([&] { return replaceFileAtomically(path(name), name); }), "")
        << name;
    EXPECT_FALSE(fs::is_symlink(path(name))) << name;
    EXPECT_TRUE(fs::is_regular_file(path(name))) << name;
    EXPECT_EQ(read(path(name)), name);
  }
  EXPECT_EQ(read(path("outside")), "the user's");
  EXPECT_FALSE(fs::exists(path("made.txt")));
  // A program may be run wherever it may be read, and only there.
  ASSERT_EQ(replaceFileAtomically(path("run.sh"), "#!/bin/sh\n", rt::FileKind::Program), "");
  struct stat st {};
  ASSERT_EQ(::stat(path("run.sh").c_str(), &st), 0);
  EXPECT_EQ((st.st_mode & 0111) << 2, st.st_mode & 0444);
  EXPECT_NE(st.st_mode & 0100, 0u);
  ASSERT_EQ(::stat(path("outside").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0600u);
  EXPECT_EQ(replaceFileAtomically(dir_.string(), "x"),
            "cannot write " + dir_.string() + ": Is a directory");
}

// Only regular files are read, to their limit, whatever the file is; a FIFO
// without a writer does not block, nor is it opened at all.
TEST_F(AtomicFile, TheBoundedReaderStopsAtItsLimitAndReadsOnlyRegularFiles) {
  ASSERT_EQ(::mkfifo(path("fifo").c_str(), 0600), 0);
  const int opened = ::inotify_init1(IN_NONBLOCK);
  ASSERT_GE(::inotify_add_watch(opened, path("fifo").c_str(), IN_OPEN), 0);
  std::ofstream(path("small")) << "12345";
  const std::pair<std::string, std::string> cases[] = {
      {"/dev/zero", "is not a regular file"},
      {path("fifo"), "is not a regular file"},
      {dir_.string(), "is a directory"},
      {path("none"), "No such file or directory"},
      {"/proc/self/status", "is larger than 4 bytes"},
      {path("small"), "is larger than 4 bytes"},
  };
  std::string why;
  for (const auto& [file, reason] : cases) {
    EXPECT_EQ(rt::readBoundedFile(file, 4, why), std::nullopt) << file;
    EXPECT_EQ(why, reason);
  }
  char event[256];
  EXPECT_LT(::read(opened, event, sizeof event), 0) << "the pipe was opened";
  ::close(opened);
  EXPECT_EQ(rt::readBoundedFile(path("small"), 5, why), "12345");
}

// The cache and state folders: an absolute XDG folder, else one under an
// absolute HOME, else none (never a folder others may write to).
TEST(UserFolder, IsAnAbsoluteXdgFolderElseOneUnderHomeElseNone) {
  for (auto [xdg, home, folder] :
       {std::tuple{"/x", "/h", "/x"}, {"rel", "/h", "/h/.cache"}, {"", "rel", ""}}) {
    ::setenv("XDG_CACHE_HOME", xdg, 1), ::setenv("HOME", home, 1);
    EXPECT_EQ(rt::userFolder("XDG_CACHE_HOME", ".cache"), folder) << xdg;
  }
}

}  // namespace
