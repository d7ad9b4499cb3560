// Shared set-up of the Qt tests: the array and graphics libraries, a Qt front
// end installed as the object system's front end, and small helpers.
#pragma once

#include <QApplication>
#include <QColor>
#include <QImage>

#include "platform/graphics/headless.h"
#include "platform/qt/qt_front_end.h"

namespace qt_test {

using gtest_graphics::n;
using gtest_graphics::s;

// Libraries initialised, a QtFrontEnd installed (it owns the QApplication
// when it made one); everything is torn down again after each test.
class QtTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::arrayLibraryInitialize();
    rt::graphicsLibraryInitialize();
    static int argc = 1;
    static char name[] = "test_qt";
    static char* argv[] = {name, nullptr};
    auto fe = std::make_unique<rt::qt::QtFrontEnd>(argc, argv);
    front = fe.get();
    rt::setFrontEnd(std::move(fe));
  }
  void TearDown() override {
    rt::setFrontEnd(nullptr);
    front = nullptr;
    rt::graphicsLibraryTerminate();
    rt::arrayLibraryTerminate();
  }

  static double handle(const rt::Array& h) { return h.scalar(); }

  rt::qt::QtFrontEnd* front = nullptr;
};

inline int colorDistance(QColor a, QColor b) {
  return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green()) +
         std::abs(a.blue() - b.blue());
}

// How many pixels of `img` (every `step`-th both ways) within `area` (the
// whole picture when null) `match` takes.
template <class Match>
int countPixels(const QImage& img, Match match, QRect area = {}, int step = 1) {
  if (area.isNull()) area = img.rect();
  int n = 0;
  for (int y = area.top(); y <= area.bottom(); y += step)
    for (int x = area.left(); x <= area.right(); x += step) n += match(img.pixelColor(x, y));
  return n;
}

}  // namespace qt_test
