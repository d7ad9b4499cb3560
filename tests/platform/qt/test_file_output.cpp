// Whole-or-nothing file output: a failure is reported with the file and the
// reason, and leaves neither a damaged target nor a temporary file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "platform/qt/file_output.h"

namespace {

using rt::qt::writeFile;

QByteArray readAll(const QString& path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QStringList entries(const QTemporaryDir& dir) {
  return QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
}

TEST(FileOutput, ReplacesTheFileWholeKeepingItsPermissions) {
  QTemporaryDir dir;
  QString path = dir.filePath("out.svg");
  ASSERT_EQ(writeFile(path, "first version, longer"), "");
  ASSERT_EQ(::chmod(path.toLocal8Bit().constData(), 0640), 0);
  ASSERT_EQ(writeFile(path, "second"), "");
  EXPECT_EQ(readAll(path), "second");
  struct stat st {};
  ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);
  // Through a link, the linked file is replaced and the link stays.
  QString link = dir.filePath("link.svg");
  ASSERT_EQ(::symlink("out.svg", link.toLocal8Bit().constData()), 0);
  ASSERT_EQ(writeFile(link, "third"), "");
  EXPECT_EQ(readAll(path), "third");
  EXPECT_TRUE(QFileInfo(link).isSymLink());
  EXPECT_EQ(entries(dir), (QStringList{"link.svg", "out.svg"}));
}

TEST(FileOutput, FailuresNameTheFileAndTheReason) {
  QTemporaryDir dir;
  QFile plain(dir.filePath("plain"));
  ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
  plain.close();
  ASSERT_TRUE(QDir(dir.path()).mkdir("taken.png"));
  struct Case {
    QString path;
    const char* reason;
  } cases[] = {
      {"/dev/full", "No space left on device"},
      {dir.filePath("missing/out.png"), "No such file or directory"},
      {dir.filePath("plain/out.png"), "Not a directory"},
      {dir.filePath("taken.png"), "Is a directory"},
      // Not even root may create files here.
      {"/proc/tessivar-out.png", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.path.toStdString());
    std::string message = writeFile(c.path, QByteArray(100000, 'x'));
    EXPECT_EQ(message.rfind("cannot write " + c.path.toStdString() + ": ", 0), 0u) << message;
    EXPECT_NE(message.find(c.reason), std::string::npos) << message;
    EXPECT_EQ(message.find('\n'), std::string::npos);
  }
  EXPECT_EQ(entries(dir), (QStringList{"plain", "taken.png"})) << "no temporary file is left";
  EXPECT_EQ(readAll(dir.filePath("plain")), "");
}

TEST(FileOutput, ANonWritableFolderOrFileIsRefused) {
  if (::geteuid() == 0) GTEST_SKIP() << "root writes into any folder and file";
  QTemporaryDir dir;
  QString kept = dir.filePath("kept.png");
  ASSERT_EQ(writeFile(kept, "old"), "");
  ASSERT_EQ(::chmod(kept.toLocal8Bit().constData(), 0444), 0);
  EXPECT_NE(writeFile(kept, "new").find("Permission denied"), std::string::npos);
  EXPECT_EQ(readAll(kept), "old");
  ASSERT_EQ(::chmod(dir.path().toLocal8Bit().constData(), 0500), 0);
  std::string message = writeFile(dir.filePath("out.png"), "x");
  ::chmod(dir.path().toLocal8Bit().constData(), 0700);
  EXPECT_NE(message.find("Permission denied"), std::string::npos) << message;
  EXPECT_EQ(entries(dir), QStringList{"kept.png"});
}

}  // namespace
