// A headless front end for the graphics tests, and the fixture that gives
// each test a fresh graphics system with that front end installed.
#pragma once

#include <memory>
#include <string_view>

#include "platform/array/array_test.h"
#include "platform/graphics/graphics.h"

namespace gtest_graphics {

struct Event {
  enum Kind { Created, Deleted, Changed, AllClosed };
  Kind kind;
  double h;
  std::string name;
};

// What the front end saw, shared with the test (the graphics system owns the
// front end itself).
struct Log {
  std::vector<Event> events;
  int runs = 0;
  bool figureOpenWhenRun = false;

  std::size_t count(Event::Kind k, double h = -1, const std::string& name = {}) const {
    std::size_t n = 0;
    for (const Event& e : events)
      if (e.kind == k && (h < 0 || e.h == h) && (name.empty() || e.name == name)) ++n;
    return n;
  }
};

// Records every notification; its event loop runs `script` (the user's acts)
// and then closes every window that is still open, as a user would.
class HeadlessFrontEnd : public rt::FrontEnd {
 public:
  HeadlessFrontEnd(std::shared_ptr<Log> log, std::function<void()> script = {})
      : log_(std::move(log)), script_(std::move(script)) {}

  void objectCreated(double h) override { log_->events.push_back({Event::Created, h, {}}); }
  void objectDeleted(double h) override {
    // The object is still there while it is being deleted.
    EXPECT_TRUE(rt::gfx::exists(h));
    log_->events.push_back({Event::Deleted, h, {}});
  }
  void propertyChanged(double h, const std::string& name) override {
    log_->events.push_back({Event::Changed, h, name});
  }
  void allFiguresClosed() override { log_->events.push_back({Event::AllClosed, 0, {}}); }
  int run() override {
    ++log_->runs;
    log_->figureOpenWhenRun = !rt::gfx::figures().empty();
    if (script_) script_();
    for (double f : rt::gfx::figures()) rt::gfx::closeRequest(f);
    return rt::gfx::figures().empty() ? 0 : 3;
  }

 private:
  std::shared_ptr<Log> log_;
  std::function<void()> script_;
};

// A fresh graphics system per test, observed by a HeadlessFrontEnd.
class GraphicsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rt::graphicsLibraryTerminate();
    rt::graphicsLibraryInitialize();
    log = std::make_shared<Log>();
    rt::setFrontEnd(std::make_unique<HeadlessFrontEnd>(log));
  }
  void TearDown() override {
    rt::graphicsLibraryTerminate();
    rt::setFrontEnd(nullptr);
    rt::gfx::setMainInfo(nullptr);
  }

  std::shared_ptr<Log> log;
};

// A string, a number, and the handle an array holds.
inline const auto s = [](const char* text) { return rt::str(text); };
inline const auto n = [](double v) { return rt::scalar(v); };
inline const auto h = [](const rt::Array& a) { return a.scalar(); };

using array_test::errorOf, array_test::V, array_test::values;

// The children of `parent` of one type.
inline V ofType(double parent, std::string_view type) {
  V out;
  for (double c : rt::gfx::children(parent))
    if (rt::gfx::type(c) == type) out.push_back(c);
  return out;
}
inline std::string textOf(const rt::Array& h, const char* name) {
  return rt::get(h, name).text();
}

}  // namespace gtest_graphics
