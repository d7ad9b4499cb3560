// The front end of tessivar-script: the Qt front end without a display,
// whose event loop is replaced by a script.
#pragma once

#include <istream>
#include <memory>
#include <string>

#include "platform/qt/qt_front_end.h"
#include "script/session.h"

namespace script {

class ScriptFrontEnd : public rt::FrontEnd, public Canvas {
 public:
  // The Qt front end is made here; the platform must already be chosen.
  ScriptFrontEnd(int& argc, char** argv, std::istream& commands);

  void objectCreated(double h) override { qt_->objectCreated(h); }
  void objectDeleted(double h) override { qt_->objectDeleted(h); }
  void propertyChanged(double h, const std::string& name) override {
    qt_->propertyChanged(h, name);
  }
  // Plays the script, then closes every figure; the result is 0, or 2 when a
  // line of the script could not be carried out.
  int run() override;

  std::string savePng(double fig, const std::string& path) override;
  std::string saveSvg(double fig, const std::string& path) override;
  std::string savePdf(double fig, const std::string& path) override;

 private:
  std::unique_ptr<rt::qt::QtFrontEnd> qt_;
  std::istream& commands_;
};

// Chooses Qt's offscreen platform, with a screen large enough for the
// window's controls to be legible in a rendered file. The screen is
// described in a file without a name that the platform reads (through
// /proc/self/fd) when the application starts, so that no temporary folder's
// name can spoil the platform's argument and no file is left behind; the
// result closes it when it goes.
class OffscreenPlatform {
 public:
  OffscreenPlatform();
  ~OffscreenPlatform();
  OffscreenPlatform(const OffscreenPlatform&) = delete;
  OffscreenPlatform& operator=(const OffscreenPlatform&) = delete;

 private:
  int config_ = -1;
  std::string runtimeDir_;  // made for the run when the user has none
};

}  // namespace script
