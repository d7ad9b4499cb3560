// Writing rendered figures to files so that a failure is never silent and
// never leaves a damaged file: the content is made in memory, written beside
// the target under a temporary name and renamed over it only when every byte
// is on disk. Each function returns an empty string on success, otherwise a
// one-line message naming the file and the reason.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <QSize>
#include <QString>
#include <functional>
#include <string>

namespace rt::qt {

// Draws a page of the given size on a painter that is already active.
using PagePainter = std::function<void(QPainter&)>;

// Replaces `path` with `bytes`, whole or not at all. A target that is not a
// regular file (a device, a pipe) is written in place; a symbolic link's
// target is replaced, not the link.
std::string writeFile(const QString& path, const QByteArray& bytes);

std::string writePng(const QString& path, const QImage& image);
std::string writeSvg(const QString& path, QSize size, const QString& title,
                     const PagePainter& paint);
// One page of `size` pixels at 96 per inch.
std::string writePdf(const QString& path, QSize size, const QString& title,
                     const PagePainter& paint);

}  // namespace rt::qt
