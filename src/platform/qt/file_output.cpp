// Whole-or-nothing file output for rendered figures (see file_output.h).
// POSIX calls rather than QSaveFile: every step's errno is kept for the
// message, and targets that cannot be renamed over (devices) are handled.
#include "platform/qt/file_output.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string_view>

namespace rt::qt {
namespace {

std::string failure(const std::string& path, int err) {
  return "cannot write " + path + ": " + std::strerror(err);
}

// Writes all of `bytes` to `fd`; 0 or the errno of the failed call.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return errno;
    if (n == 0) return EIO;
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

// Closing reports delayed write errors (network file systems), so its
// result counts.
int closeChecked(int fd, int err) {
  if (::close(fd) != 0 && err == 0) err = errno;
  return err;
}

// Devices and pipes cannot be replaced by renaming; they get the bytes
// directly, and a full device or a broken pipe is still an error.
std::string writeInPlace(const std::string& path, std::string_view bytes) {
  int fd = ::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
  if (fd < 0) return failure(path, errno);
  int err = closeChecked(fd, writeAll(fd, bytes));
  return err ? failure(path, err) : std::string();
}

std::string writeReplacing(const std::string& path, const std::string& target,
                           std::string_view bytes, const struct stat* existing) {
  namespace fs = std::filesystem;
  fs::path t(target);
  fs::path folder = t.has_parent_path() ? t.parent_path() : fs::path(".");
  // A name of our own beside the target: a rename within one folder is
  // atomic, and O_EXCL never takes over someone else's file.
  std::string temp;
  int fd = -1;
  for (int attempt = 0; fd < 0 && attempt < 100; ++attempt) {
    temp = (folder / ("." + t.filename().string() + ".tmp-" + std::to_string(::getpid()) + "-" +
                      std::to_string(attempt)))
               .string();
    fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return failure(path, errno);
  int err = writeAll(fd, bytes);
  // An existing file keeps its permissions; a new one gets the umask's.
  if (err == 0 && existing && ::fchmod(fd, existing->st_mode & 07777) != 0) err = errno;
  if (err == 0 && ::fsync(fd) != 0) err = errno;
  err = closeChecked(fd, err);
  if (err == 0 && ::rename(temp.c_str(), target.c_str()) != 0) err = errno;
  if (err != 0) {
    ::unlink(temp.c_str());
    return failure(path, err);
  }
  return {};
}

}  // namespace

std::string writeFile(const QString& qpath, const QByteArray& bytes) {
  const std::string path = qpath.toStdString();
  if (path.empty()) return "cannot write a file without a name";
  std::string_view content(bytes.constData(), static_cast<std::size_t>(bytes.size()));
  std::string target = path;
  struct stat st {};
  bool exists = ::stat(path.c_str(), &st) == 0;
  if (exists && !S_ISREG(st.st_mode)) {
    if (S_ISDIR(st.st_mode)) return failure(path, EISDIR);
    return writeInPlace(path, content);
  }
  // Renaming would replace a file its owner made read-only: refuse as
  // opening it for writing would.
  if (exists && ::access(path.c_str(), W_OK) != 0) return failure(path, errno);
  struct stat link {};
  if (exists && ::lstat(path.c_str(), &link) == 0 && S_ISLNK(link.st_mode)) {
    std::error_code ec;
    std::filesystem::path resolved = std::filesystem::canonical(path, ec);
    if (ec) return failure(path, ec.value());
    target = resolved.string();
  }
  return writeReplacing(path, target, content, exists ? &st : nullptr);
}

std::string writePng(const QString& path, const QImage& image) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  if (image.isNull() || !image.save(&buffer, "PNG"))
    return "cannot write " + path.toStdString() + ": the image could not be encoded";
  return writeFile(path, bytes);
}

std::string writeSvg(const QString& path, QSize size, const QString& title,
                     const PagePainter& paint) {
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QSvgGenerator generator;
  generator.setOutputDevice(&buffer);
  generator.setSize(size);
  generator.setViewBox(QRect(QPoint(0, 0), size));
  if (!title.isEmpty()) generator.setTitle(title);
  QPainter painter;
  if (size.isEmpty() || !painter.begin(&generator))
    return "cannot write " + path.toStdString() + ": the drawing could not be started";
  paint(painter);
  painter.end();
  return writeFile(path, bytes);
}

std::string writePdf(const QString& path, QSize size, const QString& title,
                     const PagePainter& paint) {
  constexpr int kDpi = 96;
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  {
    QPdfWriter writer(&buffer);
    writer.setResolution(kDpi);
    writer.setCreator("tessivar");
    if (!title.isEmpty()) writer.setTitle(title);
    QSizeF points(size.width() * 72.0 / kDpi, size.height() * 72.0 / kDpi);
    writer.setPageLayout(
        QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                    QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
    QPainter painter;
    if (size.isEmpty() || !painter.begin(&writer))
      return "cannot write " + path.toStdString() + ": the drawing could not be started";
    paint(painter);
    painter.end();  // the writer finishes the document here
  }
  return writeFile(path, bytes);
}

}  // namespace rt::qt
