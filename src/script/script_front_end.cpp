#include "script/script_front_end.h"

#include <fcntl.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QString>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <utility>

#include "platform/graphics/graphics.h"

namespace script {

ScriptFrontEnd::ScriptFrontEnd(int& argc, char** argv, std::istream& commands)
    : qt_(std::make_unique<rt::qt::QtFrontEnd>(argc, argv)), commands_(commands) {}

int ScriptFrontEnd::run() {
  QCoreApplication::processEvents();
  int status = play(commands_, std::cout, std::cerr, *this);
  for (double fig : rt::gfx::figures())
    if (rt::gfx::exists(fig)) rt::gfx::deleteObject(fig);
  QCoreApplication::processEvents();
  return status;
}

namespace {

// The toolkit names files in Unicode: a name that is not UTF-8 text (a
// Latin-1 "caf\xE9.png") would be written under another name, so it is
// refused instead.
template <class Save>
std::string saved(const std::string& path, Save save) {
  const QString name = QString::fromStdString(path);
  if (name.toStdString() != path)
    return "cannot write " + path + ": the file name is not UTF-8 text";
  // Pending events first: a window changed by the script's last line is
  // laid out before it is drawn.
  QCoreApplication::processEvents();
  return save(name);
}

}  // namespace

std::string ScriptFrontEnd::savePng(double fig, const std::string& path) {
  return saved(path, [&](const QString& name) { return qt_->savePng(fig, name); });
}

std::string ScriptFrontEnd::saveSvg(double fig, const std::string& path) {
  return saved(path, [&](const QString& name) { return qt_->saveSvg(fig, name); });
}

std::string ScriptFrontEnd::savePdf(double fig, const std::string& path) {
  return saved(path, [&](const QString& name) { return qt_->savePdf(fig, name); });
}

namespace {

// The screen the figures open on: TESSIVAR_SCREEN=WIDTHxHEIGHT (a netbook's
// 1024x600, to see how the figures fit it), else 1400 by 1000.
std::pair<int, int> screenSize() {
  const char* asked = std::getenv("TESSIVAR_SCREEN");
  int w = 0, h = 0;
  char rest = 0;
  if (asked == nullptr) return {1400, 1000};
  if (std::sscanf(asked, "%dx%d%c", &w, &h, &rest) == 2 && w >= 320 && h >= 240 && w <= 7680 &&
      h <= 4320)
    return {w, h};
  std::cerr << "TESSIVAR_SCREEN=" << asked
            << " is not WIDTHxHEIGHT between 320x240 and 7680x4320; using 1400x1000.\n";
  return {1400, 1000};
}

}  // namespace

OffscreenPlatform::OffscreenPlatform() {
  // The offscreen platform's own screen is 800 by 600; a larger one keeps
  // the window's small captions readable in the rendered files.
  // Qt splits the platform's argument at ':' and ',', which a TMPDIR may
  // hold: the file is named by its descriptor instead.
  const auto [width, height] = screenSize();
  const std::string screen = R"({"screens": [{"name": "script", "x": 0, "y": 0, "width": )" +
                             std::to_string(width) + R"(, "height": )" + std::to_string(height) +
                             R"(, "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]})" + "\n";
  // A TMPDIR that is no folder is passed over, as the C library does.
  std::error_code noTemp;
  std::string temp = std::filesystem::temp_directory_path(noTemp).string();
  if (noTemp) temp = "/tmp";
  config_ = ::open(temp.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
  if (config_ < 0) {
    std::string name = temp + "/tessivar-script-screen-XXXXXX";
    config_ = ::mkostemp(name.data(), O_CLOEXEC);
    if (config_ >= 0) ::unlink(name.c_str());
  }
  if (config_ >= 0 &&
      ::write(config_, screen.data(), screen.size()) == static_cast<ssize_t>(screen.size())) {
    const std::string platform = "offscreen:configfile=/proc/self/fd/" + std::to_string(config_);
    ::setenv("QT_QPA_PLATFORM", platform.c_str(), 1);
  } else {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);  // its own 800 by 600 screen
  }
  // Without a runtime directory Qt warns on standard error, where the
  // script's own messages go; give it a private one for the run.
  if (std::getenv("XDG_RUNTIME_DIR") == nullptr) {
    std::string dir = temp + "/tessivar-script-XXXXXX";
    if (::mkdtemp(dir.data()) != nullptr) {
      runtimeDir_ = dir;
      ::setenv("XDG_RUNTIME_DIR", runtimeDir_.c_str(), 1);
    }
  }
}

OffscreenPlatform::~OffscreenPlatform() {
  std::error_code ignored;
  if (config_ >= 0) ::close(config_);
  if (!runtimeDir_.empty()) std::filesystem::remove_all(runtimeDir_, ignored);
}

}  // namespace script
