// Whole-or-nothing file output for rendered figures (see file_output.h):
// the content is made in memory and handed to the program's one atomic
// writer.
#include "platform/qt/file_output.h"

#include <QBuffer>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QSvgGenerator>

#include "platform/files/atomic_file.h"

namespace rt::qt {

std::string writeFile(const QString& path, const QByteArray& bytes) {
  return writeFileAtomically(
      path.toStdString(),
      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
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
